#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

class DbConnection;
class Recordset;

// Every project at once, read with one SELECT and walked in memory: the tree, the descendants
// of a project and the path names cost one statement however many projects there are.
class ProjectForest {
public:
    struct Node {
        int id = 0;
        int parent = 0; // 0 for a top-level project and for a NULL parent
        bool parentNull = false;
        QString name;
    };

    // Every project in the order given (the tree's order by default). Raises DbError, also for
    // a key beyond 32 bits.
    static ProjectForest read(DbConnection& connection,
                              const QString& orderBy = QStringLiteral("NSORT, NPROJECT"));
    // The rows of a result set with the columns NPROJECT, NPARPROJ and CPROJNAME.
    static ProjectForest fromRows(Recordset& rs);

    const QVector<Node>& nodes() const { return m_nodes; }
    const Node* find(int id) const;

    // The projects whose parent is parent (0: the top level), in the order read. A project
    // whose parent is NULL is nobody's child, so it is not in the tree, as no query for the
    // children of a parent finds it.
    QVector<const Node*> childrenOf(int parent) const;

    // ", 4, 9, 5": the descendants, depth first in the order read, each preceded by ", " and
    // listed once even where a parent chain runs in a circle; empty without children.
    QString descendantIds(int project) const;
    QSet<int> descendants(int project) const;

    // The names of parent and its ancestors in front of text, joined with " - ": "A - B - C"
    // for C under B under top-level A. A chain that runs in a circle ends at the first project
    // seen twice; one that leads to a missing project ends there.
    QString pathName(int parent, const QString& text) const;

private:
    void appendDescendants(int project, QSet<int>& seen, QString* ids) const;

    QVector<Node> m_nodes;
    QHash<int, int> m_index;             // id -> position in m_nodes
    QHash<int, QVector<int>> m_children; // parent id -> positions, in the order read
};

// ", 4, 9, 5" for the project (ProjectForest::descendantIds) from one query.
QString ChildProjectIds(DbConnection& connection, int project);

// The path name of text under parent (ProjectForest::pathName) from one query of parent and its
// ancestors.
QString ProjectPathName(DbConnection& connection, int parent, const QString& text);

// Whether candidate is the project itself or one of its ancestors, from one query of the chain.
bool IsInParentChain(DbConnection& connection, int project, int candidate);

// "A - B - C" for project C under B under top-level A; "" when the project is gone.
QString ProjectPath(DbConnection& connection, int project);
