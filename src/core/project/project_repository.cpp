#include "project/project_repository.h"

#include "db/concurrent_change.h"
#include "db/db_connection.h"
#include "db/row_image.h"
#include "db/sql_literal.h"
#include "divisions/division_ids.h"
#include "project/project_forest.h"
#include "project/project_rows.h"
#include "project/project_save.h"

#include <QSet>
#include <QStringList>

namespace {

QString num(int value)
{
    return QString::number(value);
}

QString text(const Recordset& rs, const char* column)
{
    return ToText(rs.field(QLatin1String(column)));
}

QVariant value(const Recordset& rs, const char* column)
{
    return rs.field(QLatin1String(column));
}

WholeNumber whole(const Recordset& rs, const char* column)
{
    return ToInt(rs.field(QLatin1String(column)));
}

// Keys are 32-bit.
WholeNumber key(const Recordset& rs, const char* column)
{
    return ToLng(rs.field(QLatin1String(column)));
}

// A component table whose rows name a master row and a code of a division.
struct LabelledTable {
    QString table;    // TMEMBER
    QString master;   // MMEMBER
    QString key;      // NMEMBER
    QString code;     // NMKIND
    int division = 0; // of the code
};

// The project's rows in list order with the names of their master row and code. Outer joins: a
// row whose master row or label is gone is still read, so that the next save keeps it.
QString labelledRows(int project, const QStringList& columns, const LabelledTable& t)
{
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(", E.") + t.code +
           QStringLiteral(" AS ") + t.code + QStringLiteral(" FROM ") + t.table + QStringLiteral(" E") +
           QStringLiteral(" LEFT OUTER JOIN ") + t.master + QStringLiteral(" I ON E.") + t.key +
           QStringLiteral(" = I.") + t.key + QStringLiteral(" LEFT OUTER JOIN MDIV D ON D.NDID = ") +
           num(t.division) + QStringLiteral(" AND D.NVAL = E.") + t.code +
           QStringLiteral(" WHERE E.NPROJECT = ") + num(project) + QStringLiteral(" ORDER BY E.NADD");
}

// The component tables a save rewrites whole.
const char* const kComponentTables[] = {"TCONTRACT", "TDATE", "TDELIV", "TEXPENSE", "TMEMBER"};

QString projectCondition(int project)
{
    return QStringLiteral("NPROJECT = ") + num(project);
}

} // namespace

QList<RowImage> ProjectRepository::componentImages(int project) const
{
    QList<RowImage> images;
    for (const char* table : kComponentTables) {
        images << RowImage::read(m_connection, QStringLiteral("SELECT * FROM ") + QLatin1String(table) +
                                                   QStringLiteral(" WHERE ") + projectCondition(project));
    }
    return images;
}

std::optional<LoadedProject> ProjectRepository::load(int project) const
{
    const Recordset row =
        OpenRs(m_connection, QStringLiteral("SELECT * FROM TPROJECT WHERE NPROJECT = ") + num(project));
    if (row.eof()) {
        return std::nullopt;
    }
    LoadedProject p;
    p.storedRow = RowImage::currentRow(row, ProjectColumns());
    p.storedComponents = componentImages(project);
    p.id = project;
    p.parent = value(row, "NPARPROJ");
    p.name = value(row, "CPROJNAME");
    p.endCustomer = value(row, "NENDCUST");
    p.contractCustomer = value(row, "NCONTCUST");
    p.priceKind = value(row, "NPRIKIND");
    p.base = value(row, "NBASE");
    p.price = value(row, "NPRICE");
    p.outline = value(row, "COUTLINE");
    p.special = value(row, "CSPECIAL");
    const char* const quote[] = {"CBASE", "CWORK", "COPT", "CDELIV", "CEXPE0", "CEXPE1"};
    for (int i = 0; i < 6; ++i) {
        p.quote[i] = value(row, quote[i]);
    }
    p.discount = value(row, "NDISCOUNT");
    return p;
}

QList<ScheduleRow> ProjectRepository::scheduleDates(int project, int function) const
{
    // Ordered by the process code, so that each row is saved under the code it was loaded with.
    const QString sql = QStringLiteral("SELECT CNAME, DDATE, NVAL FROM TDATE RIGHT OUTER JOIN MDIV") +
                        QStringLiteral(" ON NDKIND = NVAL ") + QStringLiteral(" AND NPROJECT = ") +
                        num(project) + QStringLiteral(" AND NFUNCTION = ") + num(function) +
                        QStringLiteral(" WHERE NDID = ") + num(Division::Process) + QStringLiteral(" ") +
                        QStringLiteral("ORDER BY NVAL");
    QList<ScheduleRow> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        rows.append({whole(rs, "NVAL"), text(rs, "CNAME"), text(rs, "DDATE")});
    }
    return rows;
}

QList<StoredDeliverable> ProjectRepository::deliverables(int project) const
{
    const QString sql = QStringLiteral("SELECT * FROM TDELIV WHERE NPROJECT = ") + num(project) +
                        QStringLiteral(" ORDER BY NADD");
    QList<StoredDeliverable> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        StoredDeliverable row;
        const QVariant kind = value(rs, "NVAL");
        if (kind.isValid()) {
            row.kind = ToInt(kind);
        }
        row.delivered = text(rs, "CHAVE") == QLatin1String("1");
        row.formatSpecified = text(rs, "CFMT") == QLatin1String("1");
        row.name = text(rs, "CDELIV");
        row.price = value(rs, "NPRI");
        rows.append(row);
    }
    return rows;
}

QList<StoredExpense> ProjectRepository::expenses(int project) const
{
    const QString sql =
        labelledRows(project,
                     {QStringLiteral("E.NITEM"), QStringLiteral("I.CITEM"), QStringLiteral("D.CNAME"),
                      QStringLiteral("E.NAPIECE"), QStringLiteral("E.NNUM"), QStringLiteral("E.NDISCP"),
                      QStringLiteral("E.NPRICEP")},
                     {QStringLiteral("TEXPENSE"), QStringLiteral("MITEM"), QStringLiteral("NITEM"),
                      QStringLiteral("NBUY"), Division::Buyer});
    QList<StoredExpense> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        StoredExpense row;
        row.buyer = whole(rs, "NBUY");
        row.item = key(rs, "NITEM");
        row.itemName = text(rs, "CITEM");
        row.buyerName = text(rs, "CNAME");
        row.unitPrice = value(rs, "NAPIECE");
        row.quantity = text(rs, "NNUM");
        row.discount = value(rs, "NDISCP");
        row.amount = value(rs, "NPRICEP");
        rows.append(row);
    }
    return rows;
}

QList<StoredMember> ProjectRepository::members(int project) const
{
    const QString sql = labelledRows(
        project,
        {QStringLiteral("E.NMEMBER"), QStringLiteral("I.CMEMBER"), QStringLiteral("D.CNAME"),
         QStringLiteral("E.NMEMBPRI"), QStringLiteral("E.NMEMBOCCU"), QStringLiteral("E.NINDIRECT")},
        {QStringLiteral("TMEMBER"), QStringLiteral("MMEMBER"), QStringLiteral("NMEMBER"),
         QStringLiteral("NMKIND"), Division::MemberKind});
    QList<StoredMember> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        StoredMember row;
        row.member = key(rs, "NMEMBER");
        row.kind = whole(rs, "NMKIND");
        row.name = text(rs, "CMEMBER");
        row.kindName = text(rs, "CNAME");
        row.pricePerHour = value(rs, "NMEMBPRI");
        row.occupiedHours = text(rs, "NMEMBOCCU");
        row.indirectHours = text(rs, "NINDIRECT");
        rows.append(row);
    }
    return rows;
}

QList<StoredContract> ProjectRepository::contracts(int project) const
{
    const QString sql = QStringLiteral("SELECT * FROM TCONTRACT WHERE NPROJECT = ") + num(project) +
                        QStringLiteral(" ORDER BY NCID");
    QList<StoredContract> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        rows.append(
            {whole(rs, "NCID"), value(rs, "NVAL"), text(rs, "CNAME"), text(rs, "CMEMO"), value(rs, "NPRI")});
    }
    return rows;
}

bool ProjectRepository::hasSubProjects(int project) const
{
    return !OpenRs(m_connection,
                   QStringLiteral("SELECT NPROJECT FROM TPROJECT WHERE NPARPROJ = ") + num(project))
                .eof();
}

bool ProjectRepository::memberIsCharged(int project, int member) const
{
    return !OpenRs(m_connection, QStringLiteral("SELECT * FROM TCHARGE") +
                                     QStringLiteral(" WHERE NPROJECT = ") + num(project) +
                                     QStringLiteral(" AND NMEMBER = ") + num(member))
                .eof();
}

WholeNumber ProjectRepository::pricedFunctionCount(int project) const
{
    const Recordset rs = OpenRs(m_connection, QStringLiteral("SELECT COUNT(*) AS CNT FROM TFUNCTION") +
                                                  QStringLiteral(" WHERE NPROJECT = ") + num(project) +
                                                  QStringLiteral(" AND Coalesce(NPRICE,0) != 0"));
    return ToLng(rs.field(QStringLiteral("CNT")));
}

double ProjectRepository::workTotal(int project) const
{
    return ProjectWorkTotal(m_connection, project);
}

// The editor refuses to take out a member with assigned work, but another user may have
// assigned some since it read the project. Asked after the project's row is written, when any
// save that assigns work in the project (which holds the row shared) has ended.
bool ProjectRepository::assignedToDroppedMember(int project, const QList<MemberRow>& kept) const
{
    QSet<int> keptIds;
    for (const MemberRow& row : kept) {
        keptIds.insert(row.member);
    }
    QList<int> dropped;
    for (Recordset rs = OpenRs(m_connection, QStringLiteral("SELECT NMEMBER FROM TMEMBER WHERE NPROJECT = ") +
                                                 num(project));
         !rs.eof(); rs.moveNext()) {
        const int member = rs.key(0);
        if (!keptIds.contains(member)) {
            dropped << member;
        }
    }
    // Most saves keep every member: the assignments, many rows, are read only when one goes.
    return !dropped.isEmpty() &&
           !OpenRs(m_connection, QStringLiteral("SELECT NMEMBER FROM TCHARGE WHERE NPROJECT = ") +
                                     num(project) + QStringLiteral(" AND NMEMBER IN (") +
                                     SqlKeyList(dropped) + QStringLiteral(")"))
                .eof();
}

std::optional<int> ProjectRepository::save(SaveMode mode, const LoadedProject& loaded,
                                           const ProjectRecord& record, const ProjectComponents& components,
                                           const WithinSave& beforeCommit,
                                           const OverwriteQuestion& overwriteChanged)
{
    const QString table = QStringLiteral("TPROJECT");
    Transaction transaction(m_connection);
    int project = loaded.id;
    if (mode == SaveMode::Delete) {
        if (LockRows(m_connection, table, projectCondition(project), RowLock::Delete).eof()) {
            throw ConcurrentChangeError(ConcurrentChangeError::Project);
        }
        if (hasSubProjects(project)) {
            throw ConcurrentChangeError(ConcurrentChangeError::SubProjectAdded);
        }
        DeleteProjectRows(m_connection, project, 0);
        transaction.commit();
        return project;
    }
    if (record.parent != 0 && LockRows(m_connection, table, projectCondition(record.parent), RowLock::Keep,
                                       QStringLiteral("NPROJECT"))
                                  .eof()) {
        throw ConcurrentChangeError(ConcurrentChangeError::ParentProject);
    }
    if (mode == SaveMode::Insert) {
        ExecSql(m_connection, ProjectInsertStatement(record));
        project = GetIdentity(m_connection, table);
    } else {
        const Recordset stored = LockRows(m_connection, table, projectCondition(project), RowLock::Update);
        if (stored.eof()) {
            throw ConcurrentChangeError(ConcurrentChangeError::Project);
        }
        const bool changed = RowImage::currentRow(stored, ProjectColumns()) != loaded.storedRow ||
                             componentImages(project) != loaded.storedComponents;
        if (changed && !(overwriteChanged && overwriteChanged())) {
            return std::nullopt;
        }
        // The editor offered no parent below the project, but another user may have moved the
        // chosen one there since: the tree would then run in a circle and both would vanish
        // from it. Saves that move a project take turns, so two of them cannot cross.
        if (record.parent != 0 && record.parent != stored.key(QStringLiteral("NPARPROJ"))) {
            LockTableForWriting(m_connection, table);
            if (IsInParentChain(m_connection, record.parent, project)) {
                throw ConcurrentChangeError(ConcurrentChangeError::ParentBelow);
            }
        }
        if (ExecSql(m_connection, ProjectUpdateStatement(record, project)) != 1) {
            throw ConcurrentChangeError(ConcurrentChangeError::Project);
        }
        if (assignedToDroppedMember(project, components.members)) {
            throw ConcurrentChangeError(ConcurrentChangeError::MemberCharged);
        }
    }
    QStringList statements;
    statements << ContractStatements(project, components.contracts)
               << ScheduleStatements(project, components.dates)
               << DeliverableStatements(project, components.deliverables)
               << ExpenseStatements(project, components.expenses)
               << MemberStatements(project, components.members);
    for (const QString& sql : statements) {
        ExecSql(m_connection, sql);
    }
    if (beforeCommit) {
        beforeCommit(m_connection, project);
    }
    transaction.commit();
    return project;
}
