#include "workspace/workspace_queries.h"

#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "project/project_rows.h"
#include "workspace/project_summary.h"

namespace {

QString idText(int id)
{
    return QString::number(id);
}

QString functionSelect(int project)
{
    return QStringLiteral("SELECT ") + WorkspaceQueries::functionFields().join(QStringLiteral(", ")) +
           QStringLiteral(" FROM TFUNCTION WHERE NPROJECT = ") + idText(project);
}

} // namespace

WorkspaceQueries::WorkspaceQueries(DbConnection& connection) : m_connection(connection)
{
}

const QStringList& WorkspaceQueries::functionFields()
{
    static const QStringList fields{QStringLiteral("NFUNCTION"), QStringLiteral("CVALID"),
                                    QStringLiteral("CSFUNC"),    QStringLiteral("NNUP"),
                                    QStringLiteral("NIMP"),      QStringLiteral("NDEF"),
                                    QStringLiteral("NRSK"),      QStringLiteral("NTRM"),
                                    QStringLiteral("NHTOTAL"),   QStringLiteral("NPRICE")};
    return fields;
}

QList<ProjectNode> WorkspaceQueries::projects() const
{
    QList<ProjectNode> nodes;
    addChildren(0, &nodes);
    return nodes;
}

// Depth first: a project's children are read before its next sibling.
void WorkspaceQueries::addChildren(int parent, QList<ProjectNode>* nodes) const
{
    Recordset rs =
        OpenRs(m_connection, QStringLiteral("SELECT NPROJECT, CPROJNAME FROM TPROJECT WHERE NPARPROJ = ") +
                                 idText(parent) + QStringLiteral(" ORDER BY NSORT, NPROJECT"));
    for (; !rs.eof(); rs.moveNext()) {
        ProjectNode node;
        node.id = rs.field(QStringLiteral("NPROJECT")).toInt();
        node.parent = parent;
        node.name = rs.field(QStringLiteral("CPROJNAME")).toString();
        nodes->append(node);
        addChildren(node.id, nodes);
    }
}

QList<FunctionRow> WorkspaceQueries::functions(int project, const FunctionOrder& order) const
{
    return readFunctions(functionSelect(project) + QStringLiteral(" ORDER BY ") + order.key +
                         (order.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC")));
}

std::optional<FunctionRow> WorkspaceQueries::function(int project, int function) const
{
    const QList<FunctionRow> rows =
        readFunctions(functionSelect(project) + QStringLiteral(" AND NFUNCTION = ") + idText(function));
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return rows.first();
}

QList<FunctionRow> WorkspaceQueries::readFunctions(const QString& statement) const
{
    const QStringList& fields = functionFields();
    constexpr int firstClass = 3; // NNUP
    QList<FunctionRow> rows;
    Recordset rs = OpenRs(m_connection, statement);
    rows.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        FunctionRow row;
        row.id = rs.field(QStringLiteral("NFUNCTION")).toInt();
        row.title = rs.field(QStringLiteral("CSFUNC")).toString();
        row.onHold = !rs.field(QStringLiteral("CVALID")).isValid();
        for (int i = 0; i < Division::ClassCount; ++i) {
            row.classLabels << DivName(m_connection, Division::FirstClass + i,
                                       rs.field(fields[firstClass + i]).toInt());
        }
        row.hours = rs.field(QStringLiteral("NHTOTAL"));
        row.price = rs.field(QStringLiteral("NPRICE"));
        rows.append(row);
    }
    return rows;
}

ListTitle WorkspaceQueries::listTitle(int project) const
{
    ListTitle title;
    QString name = Summary::kNotSelected;
    if (project >= 1) {
        Recordset rs =
            OpenRs(m_connection,
                   QStringLiteral("SELECT NPARPROJ,CPROJNAME,NPRIKIND FROM TPROJECT WHERE NPROJECT = ") +
                       idText(project));
        if (!rs.eof()) {
            title.priceKind = rs.field(QStringLiteral("NPRIKIND")).toInt();
            name = rs.field(QStringLiteral("CPROJNAME")).toString();
            const int parent = rs.field(QStringLiteral("NPARPROJ")).toInt();
            if (parent != 0) {
                name = ProjectPathName(m_connection, parent, name);
            }
        }
    }
    title.text = name + QStringLiteral(" 機能項目一覧： ");
    return title;
}

bool WorkspaceQueries::hasRows(const QString& table) const
{
    Recordset rs = OpenRs(m_connection, QStringLiteral("SELECT COUNT(*) AS CNT FROM ") + table);
    return !rs.eof() && rs.field(QStringLiteral("CNT")).toInt() != 0;
}
