#pragma once

#include <QObject>

struct AppState;
class FunctionListView;
class ProjectTreeView;
class QLabel;
class QWidget;
class WorkspaceQueries;

// What the main window shows of the data: the project tree, the function list with its title,
// and the summary panels of the status bar, each loaded from the core. The choices in the tree
// and the list set the shared state's current project and function.
class WorkspacePanes : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        ProjectTreeView* tree = nullptr;
        FunctionListView* list = nullptr;
        QLabel* listTitle = nullptr;
        QLabel* remHour = nullptr;
        QLabel* remMoney = nullptr;
        QLabel* remRate = nullptr;
    };
    // window: the owner of the messages.
    WorkspacePanes(AppState& state, const Widgets& widgets, QWidget* window);

    // Rebuilds the tree and chooses the current project again; a project that is gone leaves
    // nothing chosen and an empty list. Clears Updated.
    void BuildProjectTree();
    // 0 reloads the whole list; a function id refreshes, adds or removes that one row. Clears
    // Updated and PricesChanged.
    void RefreshFunctionList(int functionId);
    void UpdateListTitle();
    void ShowRemainingHours();
    void ShowProfit();
    // The remaining hours, then the profit.
    void refreshSummary();
    int SelectedFunctionId() const;

private:
    WorkspaceQueries queries() const;
    void projectChosen(int project);
    void sortRequested(int column);

    AppState& m_state;
    Widgets m_widgets;
    QWidget* m_window;
};
