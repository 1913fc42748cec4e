#pragma once

#include <QMainWindow>

struct AppState;
class FunctionListView;
class ProjectTreeView;
class QAction;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QWidget;
class WorkspaceCommands;
class WorkspacePanes;

// frmMain: the project tree, the function list and the summary; the hub of every editor. The
// window builds and places the panes, the menus, the toolbar and the status bar; the panes load
// what they show (WorkspacePanes) and the commands open the editors and reload after them
// (WorkspaceCommands).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Raises PolicyError for an unreadable stored policy value and DbError when the tree cannot
    // be read; start-up reports both.
    explicit MainWindow(AppState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What the window shows of the data, loaded again on request.
    WorkspacePanes& panes() const { return *m_panes; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createCentralArea();
    void createStatusBar();
    void addPaneCommands();
    void restorePlacement();
    void savePlacement();
    void SizeControls();
    void updateClock();

    AppState& m_state;
    WorkspacePanes* m_panes = nullptr;
    WorkspaceCommands* m_commands = nullptr;

    ProjectTreeView* m_tree = nullptr;
    QLineEdit* m_filter = nullptr; // txtPFilter
    FunctionListView* m_list = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_titles = nullptr;
    QLabel* m_treeTitle = nullptr;
    QLabel* m_listTitle = nullptr;
    QLabel* m_remHour = nullptr;
    QLabel* m_remMoney = nullptr;
    QLabel* m_remRate = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_time = nullptr;
    QTimer* m_clock = nullptr;
    QAction* m_viewToolbar = nullptr;
    QAction* m_viewStatusBar = nullptr;
    QAction* m_viewRefresh = nullptr; // F5: what other users have saved meanwhile
};
