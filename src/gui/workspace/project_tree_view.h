#pragma once

#include "workspace/workspace_queries.h"

#include <QHash>
#include <QTreeWidget>

// tvwPList: every project under the root "ﾌﾟﾛｼﾞｪｸﾄ一覧", the root and the top-level projects
// open, deeper levels closed. Root key "ROOT", a project's "P" + its id.
class ProjectTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ProjectTreeView(QWidget* parent = nullptr);

    // Shows the projects in place of what the tree showed; nothing is chosen.
    void showProjects(const QList<ProjectNode>& projects);
    bool hasProject(int project) const;
    // Chooses the project's node (the root for 0) without telling: the callers reload what
    // they need themselves.
    void selectProject(int project);

signals:
    // The user chose a node: its project, 0 for the root.
    void projectChosen(int project);

private:
    void addChildren(QTreeWidgetItem* node, int parent,
                     const QHash<int, QList<const ProjectNode*>>& children);
    QTreeWidgetItem* findNode(const QString& key) const;
    void nodeChanged(QTreeWidgetItem* current);
};
