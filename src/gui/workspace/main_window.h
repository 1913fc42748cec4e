#pragma once

#include <QMainWindow>

struct AppState;
enum class Editor;
class QAction;
class QLabel;
class QSplitter;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// frmMain: the project tree, the function list and the summary; the hub of every editor. The
// editors are modal dialogs opened through OpenEditor; after each one the window decides from
// the shared flags what to reload.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Raises PolicyError for an unreadable stored policy value and DbError when the tree cannot
    // be read; start-up reports both.
    explicit MainWindow(AppState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    void BuildProjectTree();
    // 0 reloads the whole list; a function id refreshes, adds or removes that one row.
    void RefreshFunctionList(int functionId);
    void UpdateListTitle();
    void ShowRemainingHours();
    void ShowProfit();
    int SelectedFunctionId() const;

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
    void restorePlacement();
    void savePlacement();
    void SizeControls();
    void updateClock();

    // Every command runs through here, under one hourglass (an editor it opens runs with the
    // normal pointer): a database error after start-up is reported, never lost in the event
    // loop.
    template <typename Command> void run(Command command);

    void newProject();
    void editProject();
    void newFunction();
    void editFunction();
    void editPriceKinds();
    void editPolicy();
    void replaceMembers();
    void openPlainEditor(int editor);
    void showHelpContents();
    void openHomePage();

    void projectSelected(QTreeWidgetItem* item);
    void functionSelected(QTreeWidgetItem* item);
    void sortByColumn(int column);
    void refreshSummary();

    void addChildren(QTreeWidgetItem* node, int parentId, bool isRoot);
    QTreeWidgetItem* findNode(const QString& key) const;
    void selectProjectNode(int project);
    void fillRow(QTreeWidgetItem* item, const class Recordset& rs);
    void showSortIndicator();
    bool mastersExist(const QStringList& tables, const QStringList& names);
    bool readyForProject(Editor editor);

    AppState& m_state;
    QString m_sortKey;
    bool m_sortAsc = true;

    QTreeWidget* m_tree = nullptr;
    QTreeWidget* m_list = nullptr;
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
};
