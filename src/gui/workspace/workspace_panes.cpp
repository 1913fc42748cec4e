#include "workspace/workspace_panes.h"

#include "state/app_state.h"
#include "workspace/function_list_view.h"
#include "workspace/project_summary.h"
#include "workspace/project_tree_view.h"
#include "workspace/run_command.h"
#include "workspace/workspace_queries.h"

#include <QLabel>

namespace {

// Overbooked hours and a loss stand out in red.
void setPanel(QLabel* panel, const QString& text)
{
    panel->setText(text);
    const bool negative = text.section(QStringLiteral("："), 1).startsWith(QLatin1Char('-'));
    panel->setStyleSheet(negative ? QStringLiteral("QLabel { color: #b3261e; }") : QString());
}

} // namespace

WorkspacePanes::WorkspacePanes(AppState& state, const Widgets& widgets, QWidget* window)
    : QObject(window), m_state(state), m_widgets(widgets), m_window(window)
{
    connect(m_widgets.tree, &ProjectTreeView::projectChosen, this,
            [this](int project) { RunCommand(m_window, [this, project] { projectChosen(project); }); });
    connect(m_widgets.list, &FunctionListView::functionChosen, this,
            [this](int function) { m_state.CurFunction = function; });
    connect(m_widgets.list, &FunctionListView::sortRequested, this,
            [this](int column) { RunCommand(m_window, [this, column] { sortRequested(column); }); });
}

WorkspaceQueries WorkspacePanes::queries() const
{
    return WorkspaceQueries(m_state.conn());
}

void WorkspacePanes::BuildProjectTree()
{
    m_state.Updated = false;
    m_widgets.tree->showProjects(queries().projects());
    // A project that is gone (deleted in the project editor) leaves nothing selected.
    if (m_state.CurProject != 0 && !m_widgets.tree->hasProject(m_state.CurProject)) {
        m_state.CurProject = 0;
        m_state.CurFunction = 0;
        RefreshFunctionList(0);
    }
    m_widgets.tree->selectProject(m_state.CurProject);
    UpdateListTitle();
}

void WorkspacePanes::RefreshFunctionList(int functionId)
{
    m_state.Updated = false;
    m_state.PricesChanged = false;
    FunctionListView* list = m_widgets.list;
    // Read first: a failing statement leaves the list as it was.
    if (functionId == 0) {
        const QList<FunctionRow> rows = queries().functions(m_state.CurProject, list->order());
        if (!list->showRows(rows, m_state.CurFunction)) {
            m_state.CurFunction = 0;
        }
    } else {
        const std::optional<FunctionRow> row = queries().function(m_state.CurProject, functionId);
        list->showRow(functionId, row);
        if (!row && m_state.CurFunction == functionId) {
            m_state.CurFunction = 0;
        }
    }
    UpdateListTitle();
}

void WorkspacePanes::UpdateListTitle()
{
    const ListTitle title = queries().listTitle(m_state.CurProject);
    m_state.CurPriKind = title.priceKind;
    m_widgets.listTitle->setText(title.text);
    m_widgets.listTitle->setToolTip(title.text.trimmed());
}

void WorkspacePanes::ShowRemainingHours()
{
    setPanel(m_widgets.remHour, RemainingHoursText(m_state));
}

void WorkspacePanes::ShowProfit()
{
    const ProfitTexts texts = ProfitPanelTexts(m_state);
    setPanel(m_widgets.remMoney, texts.money);
    setPanel(m_widgets.remRate, texts.rate);
}

void WorkspacePanes::refreshSummary()
{
    ShowRemainingHours();
    ShowProfit();
}

int WorkspacePanes::SelectedFunctionId() const
{
    return m_widgets.list->SelectedFunctionId();
}

void WorkspacePanes::projectChosen(int project)
{
    m_state.CurProject = project;
    try {
        RefreshFunctionList(0);
    } catch (...) {
        // The rows of the project left behind must not be edited as rows of this one.
        m_widgets.list->clearRows();
        m_state.CurFunction = 0;
        throw;
    }
    refreshSummary();
}

void WorkspacePanes::sortRequested(int column)
{
    if (!m_widgets.list->sortBy(column)) {
        return;
    }
    RefreshFunctionList(0);
    refreshSummary();
}
