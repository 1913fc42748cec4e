#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class DbConnection;
class ProjectForest;

// A project as the tree shows it.
struct ProjectNode {
    int id = 0;
    int parent = 0; // 0 for a top-level project
    QString name;
};

// The projects whose name contains text, compared without regard to case or to full- and
// half-width forms (letters, digits, katakana), together with their ancestors; every project
// for an empty text.
QSet<int> ProjectsMatching(const QList<ProjectNode>& projects, const QString& text);

// A row of the function list: what its cells are made of.
struct FunctionRow {
    int id = 0;
    QString title;           // CSFUNC
    bool onHold = false;     // CVALID is NULL: the function counts in no total
    QStringList classLabels; // the labels of the five classes, NNUP … NTRM
    QVariant hours;          // NHTOTAL, null for NULL
    QVariant price;          // NPRICE, null for NULL
};

// The order of the whole list: an ORDER BY expression (a column's field, or the first order).
struct FunctionOrder {
    QString key = QStringLiteral("NSORT,NFUNCTION");
    bool ascending = true;
};

// The title above the function list and the price kind of its project.
struct ListTitle {
    QString text;
    int priceKind = 0; // 0 when no project is selected or it is gone
};

// What the main window reads: the project tree, the function list, the list's title and the
// rows its commands count. Errors propagate as DbError carrying the statement.
class WorkspaceQueries {
public:
    explicit WorkspaceQueries(DbConnection& connection);

    // The fields of the function list, in column order; a column's field is its sort key.
    static const QStringList& functionFields();

    // Every project under the top, each after its parent and its earlier siblings' subtrees;
    // siblings in display order (NSORT, NPROJECT). One statement, whatever the number of projects.
    QList<ProjectNode> projects() const;

    // The functions of a project in the given order.
    QList<FunctionRow> functions(int project, const FunctionOrder& order) const;
    // One function of the project; none when it is gone.
    std::optional<FunctionRow> function(int project, int function) const;

    // "A - B - C 機能項目一覧： " for project C under B under A; "[未選択]" in place of the
    // path for project 0 or a project that is gone.
    ListTitle listTitle(int project) const;

    // Whether a master table holds a row.
    bool hasRows(const QString& table) const;

private:
    void addChildren(const ProjectForest& forest, int parent, QList<ProjectNode>* nodes) const;
    QList<FunctionRow> readFunctions(const QString& statement) const;

    DbConnection& m_connection;
};
