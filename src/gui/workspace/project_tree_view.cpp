#include "workspace/project_tree_view.h"

#include "common/icons.h"
#include "common/list_helpers.h"

#include <QSignalBlocker>
#include <optional>

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
    m_projects = projects;
    build();
}

void ProjectTreeView::setFilter(const QString& text)
{
    if (text == m_filter) {
        return;
    }
    m_filter = text;
    build();
    showChosen();
}

void ProjectTreeView::build()
{
    QHash<int, QList<const ProjectNode*>> children;
    for (const ProjectNode& node : m_projects) {
        children[node.parent].append(&node);
    }
    std::optional<QSet<int>> shown;
    if (!m_filter.isEmpty()) {
        shown = ProjectsMatching(m_projects, m_filter);
    }
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    auto* root = new QTreeWidgetItem(this, QStringList(QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ一覧")));
    SetItemKey(root, kRootKey);
    root->setIcon(0, Icons::projectList());
    root->setExpanded(true);
    addChildren(root, 0, children, shown ? &*shown : nullptr);
    setUpdatesEnabled(true);
}

// A project the filter leaves out is hidden, not dropped: it is still there to be chosen when
// the filter is cleared.
void ProjectTreeView::addChildren(QTreeWidgetItem* node, int parent,
                                  const QHash<int, QList<const ProjectNode*>>& children,
                                  const QSet<int>* shown)
{
    const bool isRoot = parent == 0;
    for (const ProjectNode* project : children.value(parent)) {
        auto* child = new QTreeWidgetItem(node, QStringList(project->name));
        SetItemKey(child, projectKey(project->id));
        child->setIcon(0, Icons::project());
        addChildren(child, project->id, children, shown);
        if (shown) {
            child->setHidden(!shown->contains(project->id));
            child->setExpanded(!child->isHidden());
        } else if (isRoot) {
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
    m_chosen = project != 0 ? projectKey(project) : kRootKey;
    showChosen();
}

// A project the filter hides stays chosen, and shows as chosen again once it is in sight.
void ProjectTreeView::showChosen()
{
    QTreeWidgetItem* target = findNode(m_chosen);
    if (!target || target->isHidden()) {
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
    m_chosen = key;
    int id = 0;
    if (key != kRootKey && !KeyNumber(key, &id, window())) {
        return;
    }
    emit projectChosen(id);
}
