#include "workspace/project_tree_view.h"

#include "common/icons.h"
#include "common/list_helpers.h"

#include <QSignalBlocker>

namespace {

const QString kRootKey = QStringLiteral("ROOT");

QString projectKey(int id)
{
    return QStringLiteral("P") + QString::number(id);
}

} // namespace

ProjectTreeView::ProjectTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("tvwPList"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::currentItemChanged, this, &ProjectTreeView::nodeChanged);
}

void ProjectTreeView::showProjects(const QList<ProjectNode>& projects)
{
    QHash<int, QList<const ProjectNode*>> children;
    for (const ProjectNode& node : projects) {
        children[node.parent].append(&node);
    }
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    auto* root = new QTreeWidgetItem(this, QStringList(QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ一覧")));
    SetItemKey(root, kRootKey);
    root->setIcon(0, Icons::projectList());
    root->setExpanded(true);
    addChildren(root, 0, children);
    setUpdatesEnabled(true);
}

void ProjectTreeView::addChildren(QTreeWidgetItem* node, int parent,
                                  const QHash<int, QList<const ProjectNode*>>& children)
{
    const bool isRoot = parent == 0;
    for (const ProjectNode* project : children.value(parent)) {
        auto* child = new QTreeWidgetItem(node, QStringList(project->name));
        SetItemKey(child, projectKey(project->id));
        child->setIcon(0, Icons::project());
        addChildren(child, project->id, children);
        if (isRoot) {
            child->setExpanded(true);
        }
    }
}

bool ProjectTreeView::hasProject(int project) const
{
    return findNode(projectKey(project)) != nullptr;
}

QTreeWidgetItem* ProjectTreeView::findNode(const QString& key) const
{
    for (QTreeWidgetItemIterator it(const_cast<ProjectTreeView*>(this)); *it; ++it) {
        if (ItemKey(*it) == key) {
            return *it;
        }
    }
    return nullptr;
}

void ProjectTreeView::selectProject(int project)
{
    QTreeWidgetItem* target = findNode(project != 0 ? projectKey(project) : kRootKey);
    if (!target) {
        return;
    }
    const QSignalBlocker quiet(this);
    for (QTreeWidgetItem* p = target->parent(); p; p = p->parent()) {
        p->setExpanded(true);
    }
    setCurrentItem(target);
    scrollToItem(target);
}

void ProjectTreeView::nodeChanged(QTreeWidgetItem* current)
{
    if (!current) {
        return;
    }
    const QString key = ItemKey(current);
    int id = 0;
    if (key != kRootKey && !KeyNumber(key, &id, window())) {
        return;
    }
    emit projectChosen(id);
}
