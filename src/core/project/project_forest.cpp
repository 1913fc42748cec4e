#include "project/project_forest.h"

#include "convert/conversions.h"
#include "db/db_connection.h"

#include <QVarLengthArray>
#include <algorithm>

namespace {

// A parent chain longer than this is taken for a circle (SQL Server stops a recursive query
// after 100 rounds).
constexpr int kMaxAncestors = 90;

} // namespace

ProjectForest ProjectForest::read(DbConnection& connection, const QString& orderBy)
{
    Recordset rs = OpenRs(
        connection, QStringLiteral("SELECT NPROJECT, NPARPROJ, CPROJNAME FROM TPROJECT ORDER BY ") + orderBy);
    return fromRows(rs);
}

ProjectForest ProjectForest::fromRows(Recordset& rs)
{
    ProjectForest forest;
    const int idColumn = rs.column(QStringLiteral("NPROJECT"));
    const int parentColumn = rs.column(QStringLiteral("NPARPROJ"));
    const int nameColumn = rs.column(QStringLiteral("CPROJNAME"));
    forest.m_nodes.reserve(rs.recordCount());
    forest.m_index.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        Node node;
        node.id = rs.key(idColumn);
        node.parentNull = !rs.value(parentColumn).isValid();
        node.parent = rs.key(parentColumn);
        node.name = rs.value(nameColumn).toString();
        const int at = forest.m_nodes.size();
        if (!forest.m_index.contains(node.id)) {
            forest.m_index.insert(node.id, at);
        }
        if (!node.parentNull) {
            forest.m_children[node.parent].append(at);
        }
        forest.m_nodes.append(std::move(node));
    }
    return forest;
}

const ProjectForest::Node* ProjectForest::find(int id) const
{
    const auto it = m_index.constFind(id);
    return it == m_index.constEnd() ? nullptr : &m_nodes.at(it.value());
}

QVector<const ProjectForest::Node*> ProjectForest::childrenOf(int parent) const
{
    QVector<const Node*> children;
    const auto it = m_children.constFind(parent);
    if (it != m_children.constEnd()) {
        children.reserve(it->size());
        for (const int at : *it) {
            children.append(&m_nodes.at(at));
        }
    }
    return children;
}

void ProjectForest::appendDescendants(int project, QSet<int>& seen, QString* ids) const
{
    const auto it = m_children.constFind(project);
    if (it == m_children.constEnd()) {
        return;
    }
    for (const int at : *it) {
        const int child = m_nodes.at(at).id;
        if (seen.contains(child)) {
            continue;
        }
        seen.insert(child);
        if (ids) {
            *ids += QStringLiteral(", ") + QString::number(child);
        }
        appendDescendants(child, seen, ids);
    }
}

QString ProjectForest::descendantIds(int project) const
{
    QSet<int> seen{project};
    QString ids;
    appendDescendants(project, seen, &ids);
    return ids;
}

QSet<int> ProjectForest::descendants(int project) const
{
    QSet<int> seen{project};
    appendDescendants(project, seen, nullptr);
    seen.remove(project);
    return seen;
}

QString ProjectForest::pathName(int parent, const QString& text) const
{
    // Called for every row of the parent list: no set and one string built at the end.
    QVarLengthArray<const Node*, 16> chain;
    qsizetype length = text.size();
    while (parent != 0) {
        const Node* node = find(parent);
        if (!node || std::find(chain.cbegin(), chain.cend(), node) != chain.cend()) {
            break;
        }
        chain.append(node);
        length += node->name.size() + 3;
        parent = node->parent;
    }
    QString result;
    result.reserve(length);
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        result += (*it)->name;
        result += QLatin1String(" - ");
    }
    result += text;
    return result;
}

QString ChildProjectIds(DbConnection& connection, int project)
{
    return ProjectForest::read(connection).descendantIds(project);
}

namespace {

// The project and its ancestors, nearest first, from one query (NPROJECT, NPARPROJ, CPROJNAME).
Recordset parentChain(DbConnection& connection, int project)
{
    return OpenRs(
        connection,
        QStringLiteral("WITH A (NPROJECT, NPARPROJ, CPROJNAME, NLEVEL) AS (") +
            QStringLiteral("SELECT NPROJECT, NPARPROJ, CPROJNAME, 1 FROM TPROJECT WHERE NPROJECT = ") +
            QString::number(project) +
            QStringLiteral(" UNION ALL SELECT P.NPROJECT, P.NPARPROJ, P.CPROJNAME, A.NLEVEL + 1") +
            QStringLiteral(" FROM TPROJECT P, A WHERE P.NPROJECT = A.NPARPROJ AND A.NLEVEL < ") +
            QString::number(kMaxAncestors) + QStringLiteral(") SELECT NPROJECT, NPARPROJ, CPROJNAME FROM A"));
}

} // namespace

QString ProjectPathName(DbConnection& connection, int parent, const QString& text)
{
    if (parent == 0) {
        return text;
    }
    Recordset rs = parentChain(connection, parent);
    return ProjectForest::fromRows(rs).pathName(parent, text);
}

bool IsInParentChain(DbConnection& connection, int project, int candidate)
{
    for (Recordset rs = parentChain(connection, project); !rs.eof(); rs.moveNext()) {
        if (rs.key(QStringLiteral("NPROJECT")) == candidate) {
            return true;
        }
    }
    return false;
}

QString ProjectPath(DbConnection& connection, int project)
{
    Recordset rs =
        OpenRs(connection, QStringLiteral("SELECT NPARPROJ, CPROJNAME FROM TPROJECT WHERE NPROJECT = ") +
                               QString::number(project));
    if (rs.eof()) {
        return QString();
    }
    const QString name = ToText(rs.field(QStringLiteral("CPROJNAME")));
    const int parent = rs.key(QStringLiteral("NPARPROJ"));
    return parent != 0 ? ProjectPathName(connection, parent, name) : name;
}
