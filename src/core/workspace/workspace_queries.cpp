#include "workspace/workspace_queries.h"

#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "project/project_forest.h"
#include "workspace/project_summary.h"

#include <QHash>

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

QString folded(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

} // namespace

QSet<int> ProjectsMatching(const QList<ProjectNode>& projects, const QString& text)
{
    QHash<int, const ProjectNode*> byId;
    byId.reserve(projects.size());
    for (const ProjectNode& node : projects) {
        byId.insert(node.id, &node);
    }
    const QString wanted = folded(text);
    QSet<int> shown;
    for (const ProjectNode& node : projects) {
        if (!wanted.isEmpty() && !folded(node.name).contains(wanted)) {
            continue;
        }
        for (const ProjectNode* n = &node; n && !shown.contains(n->id); n = byId.value(n->parent)) {
            shown.insert(n->id);
        }
    }
    return shown;
}

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
    const ProjectForest forest = ProjectForest::read(m_connection);
    QList<ProjectNode> nodes;
    nodes.reserve(forest.nodes().size());
    addChildren(forest, 0, &nodes);
    return nodes;
}

// Depth first: a project's children come before its next sibling. Only what hangs under the
// top is reached, as a query per parent from the top would reach it.
void WorkspaceQueries::addChildren(const ProjectForest& forest, int parent, QList<ProjectNode>* nodes) const
{
    for (const ProjectForest::Node* child : forest.childrenOf(parent)) {
        nodes->append({child->id, parent, child->name});
        addChildren(forest, child->id, nodes);
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
    // A list of hundreds of rows: each column is found once.
    const int id = rs.column(QStringLiteral("NFUNCTION"));
    const int title = rs.column(QStringLiteral("CSFUNC"));
    const int valid = rs.column(QStringLiteral("CVALID"));
    const int hours = rs.column(QStringLiteral("NHTOTAL"));
    const int price = rs.column(QStringLiteral("NPRICE"));
    int classes[Division::ClassCount];
    for (int i = 0; i < Division::ClassCount; ++i) {
        classes[i] = rs.column(fields[firstClass + i]);
    }
    for (; !rs.eof(); rs.moveNext()) {
        FunctionRow row;
        row.id = rs.key(id);
        row.title = rs.value(title).toString();
        row.onHold = !rs.value(valid).isValid();
        for (int i = 0; i < Division::ClassCount; ++i) {
            row.classLabels << DivName(m_connection, Division::FirstClass + i, rs.value(classes[i]).toInt());
        }
        row.hours = rs.value(hours);
        row.price = rs.value(price);
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
            title.priceKind = rs.key(QStringLiteral("NPRIKIND"));
            name = rs.field(QStringLiteral("CPROJNAME")).toString();
            const int parent = rs.key(QStringLiteral("NPARPROJ"));
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
