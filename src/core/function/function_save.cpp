#include "function/function_save.h"

#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "project/project_rows.h"
#include "state/app_state.h"

#include <QPair>

namespace {

QString num(int value)
{
    return QString::number(value);
}

QVector<QPair<QString, QVariant>> functionColumns(const AppState& state, const FunctionData& d)
{
    return {
        {QStringLiteral("NPROJECT"), state.CurProject},
        {QStringLiteral("CVALID"), d.onHold ? QVariant() : QVariant(QStringLiteral("1"))},
        {QStringLiteral("NNUP"), d.nup},
        {QStringLiteral("NIMP"), d.imp},
        {QStringLiteral("NDEF"), d.def},
        {QStringLiteral("NRSK"), d.rsk},
        {QStringLiteral("NTRM"), d.trm},
        {QStringLiteral("NLNG"), d.lang},
        {QStringLiteral("CSFUNC"), d.title},
        {QStringLiteral("CLFUNC"), d.description},
        {QStringLiteral("NDISCOUNT"), d.discount},
        {QStringLiteral("NHTOTAL"), d.hoursTotal},
        {QStringLiteral("NTOTAL"), d.total},
        {QStringLiteral("NPRICE"), d.price},
    };
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
    w.exec(QStringLiteral("UPDATE TFUNCTION SET ") + sets.join(QStringLiteral(", ")) + w.where());
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

void WriteFunctionData(AppState& state, int mode, const FunctionData& data, QString* lastStatement)
{
    QString& last = *lastStatement;
    last.clear();
    Writer w(state, last);
    try {
        Transaction transaction(*state.Conn);
        if (mode == SaveDelete) {
            DeleteProjectRows(*state.Conn, state.CurProject, state.CurFunction);
        } else {
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
}
