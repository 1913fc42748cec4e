#include "workspace/workspace_commands.h"

#include "common/messages.h"
#include "help/help.h"
#include "state/app_state.h"
#include "workspace/editors.h"
#include "workspace/recalculation.h"
#include "workspace/run_command.h"
#include "workspace/workspace_panes.h"
#include "workspace/workspace_queries.h"

#include <QAction>
#include <optional>

WorkspaceCommands::WorkspaceCommands(AppState& state, WorkspacePanes& panes, QWidget* window)
    : QObject(window), m_state(state), m_panes(panes), m_window(window)
{
}

void WorkspaceCommands::createActions()
{
    struct ActionEntry {
        const char* name;
        const char* caption;
        std::optional<Editor> editor; // the editor behind it, when there is one
        void (WorkspaceCommands::*command)();
    };
    const ActionEntry entries[] = {
        {"mnuDbConn", "DB設定(&D)...", Editor::ConnectionSettings, nullptr},
        {"mnuFileClose", "VORNAの終了(&X)", std::nullopt, nullptr},
        {"mnuFuncNew", "新しい機能項目(&N)...", Editor::Function, &WorkspaceCommands::newFunction},
        {"mnuFuncUp", "機能項目の編集(&U)...", Editor::Function, &WorkspaceCommands::editFunction},
        {"mnuProjNew", "新しいﾌﾟﾛｼﾞｪｸﾄ(&N)...", Editor::Project, &WorkspaceCommands::newProject},
        {"mnuProjUp", "ﾌﾟﾛｼﾞｪｸﾄの編集(&U)...", Editor::Project, &WorkspaceCommands::editProject},
        {"mnuCustUp", "顧客の編集(&U)...", Editor::Customers, nullptr},
        {"mnuPriUp", "作業費単価の編集(&K)...", Editor::PriceKinds, &WorkspaceCommands::editPriceKinds},
        {"mnuLangUp", "開発言語の編集(&L)...", Editor::Languages, nullptr},
        {"mnuMembUp", "作業メンバ名の編集(&M)...", Editor::Members, nullptr},
        {"mnuExpUp", "経費項目名の編集(&E)...", Editor::Items, nullptr},
        {"mnuPolicy", "ポリシー(&P)...", Editor::Policy, &WorkspaceCommands::editPolicy},
        {"mnuMembChg", "メンバ入替え(&C)...", Editor::MemberReplacement, &WorkspaceCommands::replaceMembers},
        {"mnuHelpContents", "目次(&C)", std::nullopt, &WorkspaceCommands::showHelpContents},
        {"mnuOpenHP", "ﾎｰﾑﾍﾟｰｼﾞを開く(&H)", std::nullopt, &WorkspaceCommands::openHomePage},
        {"mnuHelpAbout", "VORNAについて(&A)...", Editor::About, nullptr},
    };
    for (const ActionEntry& entry : entries) {
        auto* action = new QAction(QString::fromUtf8(entry.caption), m_window);
        action->setObjectName(QString::fromLatin1(entry.name));
        if (entry.editor && !IsEditorRegistered(*entry.editor)) {
            action->setEnabled(false);
        }
        if (entry.command) {
            const auto command = entry.command;
            connect(action, &QAction::triggered, this,
                    [this, command] { RunCommand(m_window, [this, command] { (this->*command)(); }); });
        } else if (entry.editor) {
            const Editor editor = *entry.editor;
            connect(action, &QAction::triggered, this, [this, editor] { openPlainEditor(editor); });
        }
    }
}

void WorkspaceCommands::openSelectedFunction()
{
    RunCommand(m_window, [this] { editFunction(); });
}

bool WorkspaceCommands::mastersExist(const QStringList& tables, const QStringList& names)
{
    const WorkspaceQueries queries(m_state.conn());
    QStringList missing;
    for (int i = 0; i < tables.size(); ++i) {
        if (!queries.hasRows(tables[i])) {
            missing << names[i];
        }
    }
    if (missing.isEmpty()) {
        return true;
    }
    Messages::exclamation(m_window, QStringLiteral("マスタ未登録"),
                          QStringLiteral("次のマスタを１つ以上登録しておく必要があります。\n") +
                              missing.join(QLatin1Char('\n')));
    return false;
}

// A command on the selected project: its editor is part of the build and a project is selected.
bool WorkspaceCommands::readyForProject(Editor editor)
{
    if (!IsEditorRegistered(editor)) {
        return false;
    }
    if (m_state.CurProject == 0) {
        Messages::noProjectSelected(m_window);
        return false;
    }
    return true;
}

void WorkspaceCommands::newProject()
{
    if (!IsEditorRegistered(Editor::Project)) {
        return;
    }
    if (!mastersExist({QStringLiteral("MCUSTOMER"), QStringLiteral("MPRIBASE")},
                      {QStringLiteral("「顧客」"), QStringLiteral("「作業費単価」")})) {
        return;
    }
    const int selected = m_state.CurProject;
    m_state.ProposedParent = selected;
    m_state.CurProject = 0;
    m_state.EditMode = 0;
    OpenEditor(Editor::Project, m_state, m_window);
    m_state.ProposedParent = 0;
    if (m_state.Updated && m_state.CurProject != 0) {
        m_panes.BuildProjectTree();
        m_panes.RefreshFunctionList(0);
    } else {
        const bool updated = m_state.Updated;
        m_state.CurProject = selected;
        if (updated) {
            m_panes.BuildProjectTree();
        }
    }
    m_panes.refreshSummary();
}

void WorkspaceCommands::editProject()
{
    if (!readyForProject(Editor::Project)) {
        return;
    }
    const int edited = m_state.CurProject;
    m_state.EditMode = 1;
    OpenEditor(Editor::Project, m_state, m_window);
    // Both flags are read before either reload clears them.
    const bool updated = m_state.Updated;
    const bool pricesChanged = m_state.PricesChanged;
    // A deleted project leaves CurProject 0: its functions leave the list with it.
    const bool deleted = m_state.CurProject != edited;
    if (pricesChanged || deleted) {
        m_panes.RefreshFunctionList(0);
    }
    if (updated || deleted) {
        m_panes.BuildProjectTree();
    }
    m_panes.refreshSummary();
}

void WorkspaceCommands::newFunction()
{
    if (!readyForProject(Editor::Function)) {
        return;
    }
    if (!mastersExist({QStringLiteral("MLANG")}, {QStringLiteral("「開発言語」")})) {
        return;
    }
    const int previous = m_state.CurFunction;
    m_state.CurFunction = 0;
    m_state.FuncEditMode = 0;
    OpenEditor(Editor::Function, m_state, m_window);
    if (m_state.Updated && m_state.CurFunction != 0) {
        m_panes.RefreshFunctionList(m_state.CurFunction);
        m_panes.refreshSummary();
    } else {
        m_state.Updated = false;
        m_state.CurFunction = previous;
    }
}

void WorkspaceCommands::editFunction()
{
    if (!readyForProject(Editor::Function)) {
        return;
    }
    m_state.CurFunction = m_panes.SelectedFunctionId();
    if (m_state.CurFunction == 0) {
        Messages::information(m_window, QStringLiteral("未選択"),
                              QStringLiteral("機能項目が選択されていません。"));
        return;
    }
    m_state.FuncEditMode = 1;
    OpenEditor(Editor::Function, m_state, m_window);
    if (m_state.Updated) {
        m_panes.RefreshFunctionList(m_state.CurFunction);
        m_panes.refreshSummary();
    }
}

void WorkspaceCommands::editPriceKinds()
{
    if (!OpenEditor(Editor::PriceKinds, m_state, m_window)) {
        return;
    }
    if (m_state.Updated) {
        RecalcFunctionPrices(m_state, 0, m_window);
        m_state.Updated = false;
        if (m_state.CurProject != 0) {
            m_panes.RefreshFunctionList(0);
            m_panes.refreshSummary();
        }
    }
}

void WorkspaceCommands::editPolicy()
{
    const bool charge = m_state.policy.Charge;
    if (!OpenEditor(Editor::Policy, m_state, m_window)) {
        return;
    }
    if (m_state.policy.Charge != charge) {
        RecalcFunctionPrices(m_state, 0, m_window);
        if (m_state.CurProject != 0) {
            m_panes.RefreshFunctionList(0);
        }
    }
    m_panes.refreshSummary();
}

void WorkspaceCommands::replaceMembers()
{
    if (!IsEditorRegistered(Editor::MemberReplacement)) {
        return;
    }
    if (!m_state.policy.Charge) {
        Messages::information(m_window, QStringLiteral("使用不可"),
                              QStringLiteral("「工程別単価で計算する」モードなので使用できません。"));
        return;
    }
    if (m_state.CurProject == 0) {
        Messages::noProjectSelected(m_window);
        return;
    }
    OpenEditor(Editor::MemberReplacement, m_state, m_window);
    if (m_state.Updated) {
        RecalcFunctionPrices(m_state, m_state.CurProject, m_window);
        m_state.Updated = false;
        m_panes.RefreshFunctionList(0);
        m_panes.refreshSummary();
    }
}

void WorkspaceCommands::openPlainEditor(Editor editor)
{
    RunCommand(m_window, [this, editor] {
        OpenEditor(editor, m_state, m_window);
        // These editors change nothing the tree or the list show; a flag they leave is stale.
        m_state.Updated = false;
    });
}

void WorkspaceCommands::showHelpContents()
{
    Help::openContents(m_window);
}

void WorkspaceCommands::openHomePage()
{
    Help::openHomePage(m_window);
}
