#include "function/function_save.h"

#include "db/concurrent_change.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "project/project_rows.h"
#include "state/app_state.h"

#include <QPair>
#include <QSet>

namespace {

QString num(int value)
{
    return QString::number(value);
}

// The tables a save rewrites whole for the function: an existing function in charge mode keeps
// its hours rows, and only charge mode writes assignments.
QStringList rewrittenTables(const AppState& state)
{
    QStringList tables{QStringLiteral("TFP"), QStringLiteral("TFPADJ"), QStringLiteral("TCOCOMO")};
    if (!(state.policy.Charge && state.FuncEditMode != 0)) {
        tables << QStringLiteral("THOUR");
    }
    if (state.policy.Charge) {
        tables << QStringLiteral("TCHARGE");
    }
    return tables;
}

QString functionCondition(const AppState& state)
{
    return QStringLiteral("NPROJECT = ") + num(state.CurProject) + QStringLiteral(" AND NFUNCTION = ") +
           num(state.CurFunction);
}

QList<RowImage> rewrittenRows(const AppState& state)
{
    QList<RowImage> images;
    for (const QString& table : rewrittenTables(state)) {
        images << RowImage::read(*state.Conn, QStringLiteral("SELECT * FROM ") + table +
                                                  QStringLiteral(" WHERE ") + functionCondition(state));
    }
    return images;
}

const char* const kFunctionColumns[] = {"NPROJECT",  "CVALID",  "NNUP",   "NIMP",   "NDEF",
                                        "NRSK",      "NTRM",    "NLNG",   "CSFUNC", "CLFUNC",
                                        "NDISCOUNT", "NHTOTAL", "NTOTAL", "NPRICE"};

QStringList functionColumnNames()
{
    QStringList names;
    for (const char* column : kFunctionColumns) {
        names << QLatin1String(column);
    }
    return names;
}

QVector<QPair<QString, QVariant>> functionColumns(const AppState& state, const FunctionData& d)
{
    const QVariant values[] = {state.CurProject,
                               d.onHold ? QVariant() : QVariant(QStringLiteral("1")),
                               d.nup,
                               d.imp,
                               d.def,
                               d.rsk,
                               d.trm,
                               d.lang,
                               d.title,
                               d.description,
                               d.discount,
                               d.hoursTotal,
                               d.total,
                               d.price};
    QVector<QPair<QString, QVariant>> columns;
    int i = 0;
    for (const QString& name : functionColumnNames()) {
        columns.append({name, values[i++]});
    }
    return columns;
}

class Writer {
public:
    Writer(AppState& state, QString& last) : m_state(state), m_last(last) {}

    void exec(const QString& sql)
    {
        m_last = sql;
        ExecSql(*m_state.Conn, sql);
    }

    QString where() const
    {
        return QStringLiteral(" WHERE NPROJECT = ") + num(m_state.CurProject) +
               QStringLiteral(" AND NFUNCTION = ") + num(m_state.CurFunction);
    }

    QString keys() const { return num(m_state.CurProject) + QStringLiteral(", ") + num(m_state.CurFunction); }

private:
    AppState& m_state;
    QString& m_last;
};

void writeFunctionRow(AppState& state, Writer& w, QString& last, int mode, const FunctionData& d)
{
    const auto columns = functionColumns(state, d);
    if (mode == SaveNew) {
        QStringList names;
        QStringList values;
        for (const auto& c : columns) {
            names << c.first;
            values << SqlLiteral(c.second, c.first);
        }
        w.exec(QStringLiteral("INSERT INTO TFUNCTION (") + names.join(QStringLiteral(", ")) +
               QStringLiteral(") VALUES(") + values.join(QStringLiteral(", ")) + QStringLiteral(")"));
        last = QStringLiteral("SELECT @@IDENTITY AS ID FROM TFUNCTION");
        state.CurFunction = GetIdentity(*state.Conn, QStringLiteral("TFUNCTION"));
        return;
    }
    QStringList sets;
    for (const auto& c : columns) {
        sets << c.first + QStringLiteral(" = ") + SqlLiteral(c.second, c.first);
    }
    last = QStringLiteral("UPDATE TFUNCTION SET ") + sets.join(QStringLiteral(", ")) + w.where();
    if (ExecSql(*state.Conn, last) != 1) {
        throw ConcurrentChangeError(ConcurrentChangeError::Function);
    }
    w.exec(QStringLiteral("DELETE TFP") + w.where());
    w.exec(QStringLiteral("DELETE TFPADJ") + w.where());
    w.exec(QStringLiteral("DELETE TCOCOMO") + w.where());
}

void writeChildRows(Writer& w, const FunctionData& d)
{
    for (int i = 0; i < d.fpRows.size(); ++i) {
        const FpRowData& row = d.fpRows[i];
        w.exec(QStringLiteral("INSERT INTO TFP VALUES (") + w.keys() + QStringLiteral(", ") + num(i + 1) +
               QStringLiteral(", ") + SqlLiteral(row.title, QStringLiteral("C")) + QStringLiteral(", ") +
               num(row.kind) + QStringLiteral(", ") + num(row.complexity) + QStringLiteral(")"));
    }
    for (int i = 0; i < kAdjustFactors; ++i) {
        w.exec(QStringLiteral("INSERT INTO TFPADJ VALUES (") + w.keys() + QStringLiteral(", ") + num(i + 1) +
               QStringLiteral(", ") + num(d.adjust[i]) + QStringLiteral(")"));
    }
    for (int i = 0; i < kScaleDrivers; ++i) {
        w.exec(QStringLiteral("INSERT INTO TCOCOMO VALUES (") + w.keys() + QStringLiteral(", ") +
               QStringLiteral("1, ") + num(i + 1) + QStringLiteral(", ") + num(d.scaleRanks[i]) +
               QStringLiteral(")"));
    }
    for (int i = 0; i < kCostDrivers; ++i) {
        w.exec(QStringLiteral("INSERT INTO TCOCOMO VALUES (") + w.keys() + QStringLiteral(", ") +
               QStringLiteral("2, ") + num(i + 1) + QStringLiteral(", ") + num(d.costRanks[i]) +
               QStringLiteral(")"));
    }
}

// An existing function in charge mode keeps its hours rows: they hold the per-process hours
// and unit prices for a later switch back to process mode.
void saveHours(const AppState& state, Writer& w, const FunctionData& d)
{
    if (state.policy.Charge && state.FuncEditMode != 0) {
        return;
    }
    w.exec(QStringLiteral("DELETE THOUR") + w.where());
    for (const HourRowData& row : d.hours) {
        w.exec(QStringLiteral("INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (") +
               w.keys() + QStringLiteral(", ") + num(row.code) + QStringLiteral(", ") +
               SqlLiteral(row.hourText, QStringLiteral("N")) + QStringLiteral(", ") +
               SqlLiteral(row.unitPriceText, QStringLiteral("N")) + QStringLiteral(")"));
    }
}

// The members the assignments name, each once, in the order met.
QList<int> assignedMembers(const AppState& state)
{
    QList<int> members;
    for (int p = 1; p <= kCountedProcesses; ++p) {
        for (int s = 1; s <= kMaxAssignments; ++s) {
            const ChargeSlot& slot = state.chargeTable[p][s];
            if (slot.NADD > 0 && !members.contains(slot.NMEMBER)) {
                members << slot.NMEMBER;
            }
        }
    }
    return members;
}

// Every member the assignments name is still in the project: another user may have taken one
// out since the editor listed them. The project row is held (Share) from the start of the save,
// so no project save changes the members until this one ends.
void checkAssignedMembers(const AppState& state)
{
    const QList<int> members = assignedMembers(state);
    if (members.isEmpty()) {
        return;
    }
    QSet<int> present;
    for (Recordset rs = OpenRs(*state.Conn, QStringLiteral("SELECT NMEMBER FROM TMEMBER WHERE NPROJECT = ") +
                                                num(state.CurProject) + QStringLiteral(" AND NMEMBER IN (") +
                                                SqlKeyList(members) + QStringLiteral(")"));
         !rs.eof(); rs.moveNext()) {
        present.insert(rs.key(0));
    }
    if (present.size() != members.size()) {
        throw ConcurrentChangeError(ConcurrentChangeError::MemberGone);
    }
}

// Member assignments are stored by process row and slot; empty slots are skipped.
void saveCharges(AppState& state, Writer& w)
{
    if (!state.policy.Charge) {
        return;
    }
    w.exec(QStringLiteral("DELETE TCHARGE") + w.where());
    for (int p = 1; p <= kCountedProcesses; ++p) {
        for (int s = 1; s <= kMaxAssignments; ++s) {
            const ChargeSlot& slot = state.chargeTable[p][s];
            if (slot.NADD <= 0) {
                continue;
            }
            w.exec(QStringLiteral("INSERT INTO TCHARGE VALUES(") + w.keys() + QStringLiteral(", ") + num(p) +
                   QStringLiteral(", ") + SqlLiteral(slot.NADD, QStringLiteral("N")) + QStringLiteral(", ") +
                   SqlLiteral(slot.NMEMBER, QStringLiteral("N")) + QStringLiteral(", ") +
                   SqlLiteral(slot.NHOUR, QStringLiteral("N")) + QStringLiteral(")"));
        }
    }
}

} // namespace

StoredFunction ReadStoredFunction(const AppState& state)
{
    const Recordset row =
        OpenRs(*state.Conn, QStringLiteral("SELECT * FROM TFUNCTION WHERE ") + functionCondition(state));
    return {RowImage::currentRow(row, functionColumnNames()), rewrittenRows(state)};
}

bool WriteFunctionData(AppState& state, int mode, const FunctionData& data, QString* lastStatement,
                       const StoredFunction* stored, const OverwriteQuestion& overwriteChanged)
{
    QString& last = *lastStatement;
    last.clear();
    Writer w(state, last);
    DbConnection& conn = *state.Conn;
    try {
        Transaction transaction(conn);
        // The project first: a deletion of the project takes it before it reaches the functions.
        // Assignments rely on the project's members as well, which a project save rewrites.
        const bool assigns = state.policy.Charge && mode != SaveDelete;
        if (LockRows(conn, QStringLiteral("TPROJECT"), QStringLiteral("NPROJECT = ") + num(state.CurProject),
                     assigns ? RowLock::Share : RowLock::Keep, QStringLiteral("NPROJECT"))
                .eof()) {
            throw ConcurrentChangeError(mode == SaveNew ? ConcurrentChangeError::ParentProject
                                                        : ConcurrentChangeError::Function);
        }
        if (mode != SaveNew) {
            const Recordset row = LockRows(conn, QStringLiteral("TFUNCTION"), functionCondition(state),
                                           mode == SaveDelete ? RowLock::Delete : RowLock::Update);
            if (row.eof()) {
                throw ConcurrentChangeError(ConcurrentChangeError::Function);
            }
            const bool changed = mode == SaveUpdate && stored &&
                                 (RowImage::currentRow(row, functionColumnNames()) != stored->row ||
                                  rewrittenRows(state) != stored->rows);
            if (changed && !(overwriteChanged && overwriteChanged())) {
                return false;
            }
        }
        if (mode == SaveDelete) {
            DeleteProjectRows(conn, state.CurProject, state.CurFunction);
        } else {
            if (assigns) {
                checkAssignedMembers(state);
            }
            writeFunctionRow(state, w, last, mode, data);
            writeChildRows(w, data);
            saveHours(state, w, data);
            saveCharges(state, w);
        }
        transaction.commit();
    } catch (...) {
        if (mode == SaveNew) {
            state.CurFunction = 0;
        }
        throw;
    }
    state.Updated = true;
    return true;
}
