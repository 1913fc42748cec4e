#pragma once

#include "workspace/workspace_queries.h"

#include <QHash>
#include <QSet>
#include <QTreeWidget>

// tvwPList: every project under the root "ﾌﾟﾛｼﾞｪｸﾄ一覧", the root and the top-level projects
// open, deeper levels closed. Root key "ROOT", a project's "P" + its id.
class ProjectTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ProjectTreeView(QWidget* parent = nullptr);

    // Shows the projects in place of what the tree showed; nothing is chosen. A filter in
    // force stays.
    void showProjects(const QList<ProjectNode>& projects);
    // Shows only the projects whose name contains the text, with their ancestors, all open;
    // an empty text shows the whole tree as it was built. The chosen project stays chosen.
    void setFilter(const QString& text);
    bool hasProject(int project) const;
    // Chooses the project's node (the root for 0) without telling: the callers reload what
    // they need themselves.
    void selectProject(int project);

signals:
    // The user chose a node: its project, 0 for the root.
    void projectChosen(int project);

private:
    void build();
    void addChildren(QTreeWidgetItem* node, int parent, const QHash<int, QList<const ProjectNode*>>& children,
                     const QSet<int>* shown);
    QTreeWidgetItem* findNode(const QString& key) const;
    void nodeChanged(QTreeWidgetItem* current);
    void showChosen();

    QList<ProjectNode> m_projects;
    QString m_filter;
    QString m_chosen; // the key of the chosen node
};
