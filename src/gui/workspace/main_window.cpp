#include "workspace/main_window.h"

#include "accuracy/accuracy_commands.h"
#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/icons.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/twips.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "documents/document_commands.h"
#include "help/help.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "workspace/editors.h"
#include "workspace/project_summary.h"
#include "workspace/recalculation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kRootKey = QStringLiteral("ROOT");
const QString kInitialSortKey = QStringLiteral("NSORT,NFUNCTION");

// The window may not be narrower than this, and each pane keeps this much.
constexpr int kMinWindowTwips = 3000;
constexpr int kMinPaneTwips = 1500;
// The list starts 140 twips right of the tree's edge in the original layout.
constexpr int kPaneGapTwips = 140;

struct Column {
    const char* heading;
    const char* field;
    int twips;
    Qt::Alignment align;
};

const Column kColumns[] = {
    {"NFUNCTION", "NFUNCTION", 0, Qt::AlignLeft},   {"保", "CVALID", 360, Qt::AlignHCenter},
    {"機能表題", "CSFUNC", 3000, Qt::AlignLeft},    {"改新", "NNUP", 600, Qt::AlignLeft},
    {"重度", "NIMP", 600, Qt::AlignLeft},           {"難度", "NDEF", 600, Qt::AlignLeft},
    {"安全", "NRSK", 600, Qt::AlignLeft},           {"期間", "NTRM", 600, Qt::AlignLeft},
    {"総工数(H)", "NHTOTAL", 1000, Qt::AlignRight}, {"価格(円)", "NPRICE", 1000, Qt::AlignRight},
};
constexpr int kColumnCount = 10;
constexpr int kTitleColumn = 2;
constexpr int kFirstClassColumn = 3; // NNUP … NTRM, the labels of the five classes

QString field(int column)
{
    return QString::fromLatin1(kColumns[column].field);
}

QString projectKey(int id)
{
    return QStringLiteral("P") + QString::number(id);
}

QString functionKey(int id)
{
    return QStringLiteral("F") + QString::number(id);
}

// A stored size or place, or the key's default when none was stored or it is not a number.
double storedTwips(Settings::Key key)
{
    double value = 0;
    if (ParseNumber(Settings::text(key), &value)) {
        return value;
    }
    return ParseNumber(Settings::defaultText(key), &value) ? value : 0.0;
}

QLabel* statusPanel(const QString& name, const QString& text, const QString& tip, QWidget* parent)
{
    auto* label = NamedLabel(parent, name, text);
    label->setToolTip(tip);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(6, 0, 6, 0);
    return label;
}

// A project path deeper than the title strip is wide shows its start and its end; the whole
// title is in the tool tip.
class TitleLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
        if (shown == text()) {
            QLabel::paintEvent(event);
            return;
        }
        QFrame::paintEvent(event);
        QPainter painter(this);
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                              foregroundRole());
    }
};

// The function list keeps its key column hidden; the cursor keys never land on it, since a
// current cell in a hidden column leaves the row unselected.
class FunctionListView : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        QModelIndex index = QTreeWidget::moveCursor(action, modifiers);
        if (index.isValid() && isColumnHidden(index.column())) {
            index = index.sibling(index.row(), kTitleColumn);
        }
        return index;
    }
};

} // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("VORNA"));
    setWindowIcon(Icons::application());
    setMinimumWidth(TwipsToPixels(kMinWindowTwips));

    createActions();
    createMenus();
    AddDocumentCommands(this, m_state);
    AddAccuracyCommands(this, m_state);
    createToolBar();
    createCentralArea();
    createStatusBar();

    m_state.policy = LoadPolicy();
    m_state.Updated = false;
    m_state.PricesChanged = false;
    m_sortKey = kInitialSortKey;
    m_sortAsc = true;
    Help::setTopic(this, 10);
    BuildProjectTree();
    // Once the tree is there: a first start sizes the panes by what they show.
    restorePlacement();
}

MainWindow::~MainWindow() = default;

template <typename Command> void MainWindow::run(Command command)
{
    RunHandler(this, [&command] {
        const WaitCursor wait;
        command();
    });
}

// ---- construction ----------------------------------------------------------------------------

void MainWindow::createActions()
{
    struct ActionEntry {
        const char* name;
        const char* caption;
        int editor; // -1: no editor behind it
        void (MainWindow::*command)();
    };
    const ActionEntry entries[] = {
        {"mnuDbConn", "DB設定(&D)...", int(Editor::ConnectionSettings), nullptr},
        {"mnuFileClose", "VORNAの終了(&X)", -1, nullptr},
        {"mnuFuncNew", "新しい機能項目(&N)...", int(Editor::Function), &MainWindow::newFunction},
        {"mnuFuncUp", "機能項目の編集(&U)...", int(Editor::Function), &MainWindow::editFunction},
        {"mnuProjNew", "新しいﾌﾟﾛｼﾞｪｸﾄ(&N)...", int(Editor::Project), &MainWindow::newProject},
        {"mnuProjUp", "ﾌﾟﾛｼﾞｪｸﾄの編集(&U)...", int(Editor::Project), &MainWindow::editProject},
        {"mnuCustUp", "顧客の編集(&U)...", int(Editor::Customers), nullptr},
        {"mnuPriUp", "作業費単価の編集(&K)...", int(Editor::PriceKinds), &MainWindow::editPriceKinds},
        {"mnuLangUp", "開発言語の編集(&L)...", int(Editor::Languages), nullptr},
        {"mnuMembUp", "作業メンバ名の編集(&M)...", int(Editor::Members), nullptr},
        {"mnuExpUp", "経費項目名の編集(&E)...", int(Editor::Items), nullptr},
        {"mnuPolicy", "ポリシー(&P)...", int(Editor::Policy), &MainWindow::editPolicy},
        {"mnuMembChg", "メンバ入替え(&C)...", int(Editor::MemberReplacement), &MainWindow::replaceMembers},
        {"mnuHelpContents", "目次(&C)", -1, &MainWindow::showHelpContents},
        {"mnuOpenHP", "ﾎｰﾑﾍﾟｰｼﾞを開く(&H)", -1, &MainWindow::openHomePage},
        {"mnuHelpAbout", "VORNAについて(&A)...", int(Editor::About), nullptr},
    };
    for (const ActionEntry& entry : entries) {
        auto* action = new QAction(QString::fromUtf8(entry.caption), this);
        action->setObjectName(QString::fromLatin1(entry.name));
        // An editor that is not part of this build leaves its command greyed out.
        if (entry.editor >= 0 && !IsEditorRegistered(static_cast<Editor>(entry.editor))) {
            action->setEnabled(false);
        }
        if (entry.command) {
            const auto command = entry.command;
            connect(action, &QAction::triggered, this,
                    [this, command] { run([this, command] { (this->*command)(); }); });
        } else if (entry.editor >= 0) {
            const int editor = entry.editor;
            connect(action, &QAction::triggered, this, [this, editor] { openPlainEditor(editor); });
        }
    }
    connect(findChild<QAction*>(QStringLiteral("mnuFileClose")), &QAction::triggered, this, &QWidget::close);

    m_viewToolbar = new QAction(QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"), this);
    m_viewToolbar->setObjectName(QStringLiteral("mnuViewToolbar"));
    m_viewToolbar->setCheckable(true);
    m_viewToolbar->setChecked(true);
    m_viewStatusBar = new QAction(QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&B)"), this);
    m_viewStatusBar->setObjectName(QStringLiteral("mnuViewStatusBar"));
    m_viewStatusBar->setCheckable(true);
    m_viewStatusBar->setChecked(true);
}

void MainWindow::createMenus()
{
    const auto action = [this](const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); };
    const auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    menuBar()->setObjectName(QStringLiteral("mnuBar"));

    QMenu* file = menu("mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->addAction(action("mnuDbConn"));
    file->addSeparator();
    file->addAction(action("mnuFileClose"));

    QMenu* view = menu("mnuView", QStringLiteral("表示(&V)"));
    view->addAction(m_viewToolbar);
    view->addAction(m_viewStatusBar);

    QMenu* func = menu("mnuFunc", QStringLiteral("機能項目(&F)"));
    func->addAction(action("mnuFuncNew"));
    func->addAction(action("mnuFuncUp"));

    QMenu* proj = menu("mnuProj", QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ(&P)"));
    proj->addAction(action("mnuProjNew"));
    proj->addAction(action("mnuProjUp"));

    QMenu* masters = menu("mnuMasmen", QStringLiteral("マスタ(&M)"));
    masters->addAction(action("mnuCustUp"));
    masters->addAction(action("mnuPriUp"));
    masters->addAction(action("mnuLangUp"));
    masters->addSeparator();
    masters->addAction(action("mnuMembUp"));
    masters->addAction(action("mnuExpUp"));
    masters->addSeparator();
    masters->addAction(action("mnuPolicy"));

    QMenu* tool = menu("mnuTool", QStringLiteral("ﾂｰﾙ(&T)"));
    tool->addAction(action("mnuMembChg"));

    QMenu* help = menu("mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(action("mnuHelpContents"));
    help->addSeparator();
    help->addAction(action("mnuOpenHP"));
    help->addSeparator();
    help->addAction(action("mnuHelpAbout"));
}

void MainWindow::createToolBar()
{
    auto* bar = new QToolBar(QStringLiteral("ﾂｰﾙ ﾊﾞｰ"), this);
    bar->setObjectName(QStringLiteral("tbToolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, bar);

    struct Button {
        const char* key;
        const char* tip;
        QIcon icon;
        const char* menuAction;
    };
    const Button buttons[] = {
        {"PN", "プロジェクトの新規作成", Icons::newProject(), "mnuProjNew"},
        {"PU", "プロジェクトの更新", Icons::editProject(), "mnuProjUp"},
        {"FN", "機能項目の新規追加", Icons::newFunction(), "mnuFuncNew"},
        {"FU", "機能項目の更新", Icons::editFunction(), "mnuFuncUp"},
    };
    for (const Button& b : buttons) {
        QAction* command = findChild<QAction*>(QString::fromLatin1(b.menuAction));
        auto* action = new QAction(b.icon, QString::fromUtf8(b.tip), this);
        action->setObjectName(QString::fromLatin1(b.key));
        action->setToolTip(QString::fromUtf8(b.tip));
        action->setEnabled(command->isEnabled());
        connect(action, &QAction::triggered, command, &QAction::trigger);
        bar->addAction(action);
        if (QByteArray(b.key) == "PU") {
            bar->addSeparator();
        }
    }

    connect(m_viewToolbar, &QAction::toggled, bar, &QWidget::setVisible);
}

void MainWindow::createCentralArea()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 0);
    layout->setSpacing(2);

    m_titles = new QWidget(central);
    m_titles->setObjectName(QStringLiteral("picTitles"));
    m_treeTitle = NamedLabel(m_titles, QStringLiteral("lblTitle_0"), QStringLiteral("プロジェクト一覧"));
    m_listTitle = new TitleLabel(Summary::kInitialListTitle, m_titles);
    m_listTitle->setObjectName(QStringLiteral("lblTitle_1"));
    for (QLabel* label : {m_treeTitle, m_listTitle}) {
        label->setStyleSheet(
            QStringLiteral("QLabel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                           "stop:0 #e9f0f8, stop:1 #d3e0ef); color: #1d3a5c; "
                           "border: 1px solid #a9bcd2; border-radius: 2px; padding: 2px 6px; "
                           "font-weight: bold; }"));
    }
    m_treeTitle->ensurePolished();
    m_titles->setFixedHeight(m_treeTitle->sizeHint().height());
    m_titles->installEventFilter(this);
    layout->addWidget(m_titles);

    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(5);
    layout->addWidget(m_splitter, 1);

    m_tree = new QTreeWidget(m_splitter);
    m_tree->setObjectName(QStringLiteral("tvwPList"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setMinimumWidth(TwipsToPixels(kMinPaneTwips));
    m_tree->setIconSize(QSize(16, 16));

    m_list = new FunctionListView(m_splitter);
    MakeReportList(m_list, QStringLiteral("lvwFList"));
    m_list->setSortingEnabled(false);
    m_list->setMinimumWidth(TwipsToPixels(kMinPaneTwips - kPaneGapTwips));
    QList<ListColumn> columns;
    for (const Column& column : kColumns) {
        columns << ListColumn{QString::fromUtf8(column.heading), column.twips, column.align};
    }
    SetListColumns(m_list, columns);
    QHeaderView* header = m_list->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    m_list->setColumnHidden(0, true);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { run([this, column] { sortByColumn(column); }); });

    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->handle(1)->setObjectName(QStringLiteral("imgSplitter"));
    connect(m_splitter, &QSplitter::splitterMoved, this, &MainWindow::SizeControls);
    m_tree->installEventFilter(this);
    m_list->installEventFilter(this);

    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { run([this, current] { projectSelected(current); }); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, &MainWindow::functionSelected);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && m_list->currentItem() != item) {
            m_list->setCurrentItem(item, kTitleColumn);
        }
        run([this] { editFunction(); });
    });

    // The commands of each pane on its context menu as well.
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tree->addActions({findChild<QAction*>(QStringLiteral("mnuProjNew")),
                        findChild<QAction*>(QStringLiteral("mnuProjUp"))});
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list->addActions({findChild<QAction*>(QStringLiteral("mnuFuncNew")),
                        findChild<QAction*>(QStringLiteral("mnuFuncUp"))});

    setCentralWidget(central);
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    m_remHour = statusPanel(QStringLiteral("remHour"), Summary::kInitialHours, Summary::kHoursTip, bar);
    m_remMoney = statusPanel(QStringLiteral("remMoney"), Summary::kInitialProfit, Summary::kProfitTip, bar);
    m_remRate = statusPanel(QStringLiteral("remRate"), Summary::kInitialRate, Summary::kRateTip, bar);
    m_date = statusPanel(QStringLiteral("sbDate"), QString(), QStringLiteral("今日の日付"), bar);
    m_time = statusPanel(QStringLiteral("sbTime"), QString(), QStringLiteral("現在の時刻"), bar);
    bar->addWidget(m_remHour, 2);
    bar->addWidget(m_remMoney, 2);
    bar->addWidget(m_remRate, 1);
    bar->addPermanentWidget(m_date);
    bar->addPermanentWidget(m_time);

    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::updateClock);
    m_clock->start();
    updateClock();

    connect(m_viewStatusBar, &QAction::toggled, bar, &QWidget::setVisible);
}

void MainWindow::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_date->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    m_time->setText(now.toString(QStringLiteral("HH:mm")));
}

QMenu* MainWindow::createPopupMenu()
{
    // The toolbar and status bar are switched from the 表示 menu only.
    return nullptr;
}

// ---- placement -------------------------------------------------------------------------------

void MainWindow::restorePlacement()
{
    QRect wanted(static_cast<int>(storedTwips(Settings::MainLeft) / kTwipsPerPixel),
                 static_cast<int>(storedTwips(Settings::MainTop) / kTwipsPerPixel),
                 static_cast<int>(storedTwips(Settings::MainWidth) / kTwipsPerPixel),
                 static_cast<int>(storedTwips(Settings::MainHeight) / kTwipsPerPixel));
    wanted.setWidth(qMax(wanted.width(), TwipsToPixels(kMinWindowTwips)));
    // The list's columns, and the names of the projects shown, up to two fifths of the window.
    int list = 2 * m_list->frameWidth() + m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c = 1; c < kColumnCount; ++c) {
        list += m_list->columnWidth(c);
    }
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int panes = margins.left() + margins.right() + m_splitter->handleWidth();
    const QAbstractItemView* treeView = m_tree; // where the size hint is public
    const int names = treeView->sizeHintForColumn(0) + 2 * m_tree->frameWidth() +
                      m_tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && !Settings::has(Settings::MainWidth)) {
        // First start: 6500 twips square would hide the last menus, cut the status panels and
        // every list column; the window takes at least two thirds of the screen instead, and on
        // a small screen what the names and the columns need.
        const QRect area = primary->availableGeometry();
        wanted.setWidth(std::max({wanted.width(), area.width() * 2 / 3, names + list + panes}));
        wanted.setHeight(qMax(wanted.height(), area.height() * 2 / 3));
    }
    wanted.setHeight(qMax(wanted.height(), 120));
    // A place stored on a larger or second monitor is pulled back onto this screen; a window as
    // wide or as high as the screen is shown maximized, so that its frame stays on the screen too.
    bool whole = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        whole = wanted.width() >= area.width() || wanted.height() >= area.height();
        wanted.setWidth(qMin(wanted.width(), area.width()));
        wanted.setHeight(qMin(wanted.height(), area.height()));
        wanted.moveLeft(qMax(area.left(), qMin(wanted.left(), area.right() + 1 - wanted.width())));
        wanted.moveTop(qMax(area.top(), qMin(wanted.top(), area.bottom() + 1 - wanted.height())));
    }
    move(wanted.topLeft());
    resize(wanted.size());
    if (whole) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }

    int tree = static_cast<int>(storedTwips(Settings::MainSplitter) / kTwipsPerPixel);
    if (tree <= 0) {
        // The tree shows its names whole where the window allows, the list the rest; the tree
        // never takes more than two fifths, and no less than a third where the list has room.
        const int room = wanted.width() - panes - list;
        tree = std::max({TwipsToPixels(kMinPaneTwips), qMin(names, wanted.width() * 2 / 5),
                         qMin(wanted.width() / 3, room)});
    }
    m_splitter->setSizes({tree, qMax(1, wanted.width() - tree)});
}

void MainWindow::savePlacement()
{
    if (isMinimized()) {
        return;
    }
    const QRect r = isMaximized() || isFullScreen() ? normalGeometry() : QRect(pos(), size());
    const Settings::Values place{{Settings::MainLeft, PlainNumber(PixelsToTwips(r.x()))},
                                 {Settings::MainTop, PlainNumber(PixelsToTwips(r.y()))},
                                 {Settings::MainWidth, PlainNumber(PixelsToTwips(r.width()))},
                                 {Settings::MainHeight, PlainNumber(PixelsToTwips(r.height()))},
                                 {Settings::MainSplitter, PlainNumber(PixelsToTwips(m_tree->width()))}};
    if (!Settings::write(place)) {
        Messages::settingsNotSaved(this);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Other windows go first, the last opened first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* w = *it;
        if (w != this && w->isVisible() && !w->inherits("QMenu")) {
            w->close();
        }
    }
    savePlacement();
    event->accept();
}

// The two title labels follow the panes below them.
void MainWindow::SizeControls()
{
    const int treeWidth = m_tree->width();
    const int listLeft = m_list->x();
    const int height = m_titles->height();
    m_treeTitle->setGeometry(0, 0, treeWidth, height);
    m_listTitle->setGeometry(listLeft, 0, qMax(0, m_titles->width() - listLeft), height);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_titles || watched == m_tree || watched == m_list) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show)) {
        SizeControls();
    }
    // Enter on a function row opens it, like a double click.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_list->currentItem()) {
            run([this] { editFunction(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- tree and list ---------------------------------------------------------------------------

void MainWindow::BuildProjectTree()
{
    m_state.Updated = false;
    {
        const QSignalBlocker quiet(m_tree);
        m_tree->setUpdatesEnabled(false);
        m_tree->clear();
        auto* root = new QTreeWidgetItem(m_tree, QStringList(QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ一覧")));
        SetItemKey(root, kRootKey);
        root->setIcon(0, Icons::projectList());
        root->setExpanded(true);
        try {
            addChildren(root, 0, true);
        } catch (...) {
            m_tree->setUpdatesEnabled(true);
            throw;
        }
        m_tree->setUpdatesEnabled(true);
    }
    // A project that is gone (deleted in the project editor) leaves nothing selected.
    if (m_state.CurProject != 0 && !findNode(projectKey(m_state.CurProject))) {
        m_state.CurProject = 0;
        m_state.CurFunction = 0;
        RefreshFunctionList(0);
    }
    selectProjectNode(m_state.CurProject);
    UpdateListTitle();
}

void MainWindow::addChildren(QTreeWidgetItem* node, int parentId, bool isRoot)
{
    Recordset rs =
        OpenRs(*m_state.Conn, QStringLiteral("SELECT NPROJECT, CPROJNAME FROM TPROJECT WHERE NPARPROJ = ") +
                                  QString::number(parentId) + QStringLiteral(" ORDER BY NSORT, NPROJECT"));
    for (; !rs.eof(); rs.moveNext()) {
        const int id = rs.field(QStringLiteral("NPROJECT")).toInt();
        auto* child =
            new QTreeWidgetItem(node, QStringList(rs.field(QStringLiteral("CPROJNAME")).toString()));
        SetItemKey(child, projectKey(id));
        child->setIcon(0, Icons::project());
        addChildren(child, id, false);
        if (isRoot) {
            child->setExpanded(true);
        }
    }
}

QTreeWidgetItem* MainWindow::findNode(const QString& key) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (ItemKey(*it) == key) {
            return *it;
        }
    }
    return nullptr;
}

// Selects without the reload of a click: the callers reload what they need themselves.
void MainWindow::selectProjectNode(int project)
{
    QTreeWidgetItem* target = findNode(project != 0 ? projectKey(project) : kRootKey);
    if (!target) {
        return;
    }
    const QSignalBlocker quiet(m_tree);
    for (QTreeWidgetItem* p = target->parent(); p; p = p->parent()) {
        p->setExpanded(true);
    }
    m_tree->setCurrentItem(target);
    m_tree->scrollToItem(target);
}

void MainWindow::projectSelected(QTreeWidgetItem* item)
{
    if (!item) {
        return;
    }
    const QString key = ItemKey(item);
    int id = 0;
    if (key != kRootKey && !KeyNumber(key, &id, this)) {
        return;
    }
    m_state.CurProject = id;
    try {
        RefreshFunctionList(0);
    } catch (...) {
        // The rows of the project left behind must not be edited as rows of this one.
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        m_state.CurFunction = 0;
        throw;
    }
    ShowRemainingHours();
    ShowProfit();
}

void MainWindow::functionSelected(QTreeWidgetItem* item)
{
    int id = 0;
    if (item && KeyNumber(ItemKey(item), &id, this)) {
        m_state.CurFunction = id;
    }
}

void MainWindow::RefreshFunctionList(int functionId)
{
    m_state.Updated = false;
    m_state.PricesChanged = false;

    QStringList fields;
    for (int c = 0; c < kColumnCount; ++c) {
        fields << field(c);
    }
    QString sql = QStringLiteral("SELECT ") + fields.join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM TFUNCTION WHERE NPROJECT = ") + QString::number(m_state.CurProject);
    if (functionId != 0) {
        sql += QStringLiteral(" AND NFUNCTION = ") + QString::number(functionId);
    } else {
        sql += QStringLiteral(" ORDER BY ") + m_sortKey +
               (m_sortAsc ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    // Read first: a failing statement leaves the list as it was.
    Recordset rs = OpenRs(*m_state.Conn, sql);

    const QSignalBlocker quiet(m_list);
    m_list->setUpdatesEnabled(false);
    QTreeWidgetItem* select = nullptr;
    if (functionId == 0) {
        m_list->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(rs.recordCount());
        for (; !rs.eof(); rs.moveNext()) {
            auto* item = new QTreeWidgetItem;
            fillRow(item, rs);
            items << item;
            if (m_state.CurFunction != 0 && ItemKey(item) == functionKey(m_state.CurFunction)) {
                select = item;
            }
        }
        m_list->addTopLevelItems(items);
        if (!select) {
            m_state.CurFunction = 0;
        }
    } else if (rs.eof()) {
        delete FindItemByKey(m_list, functionKey(functionId));
        if (m_state.CurFunction == functionId) {
            m_state.CurFunction = 0;
        }
    } else {
        QTreeWidgetItem* item = FindItemByKey(m_list, functionKey(functionId));
        if (!item) {
            item = new QTreeWidgetItem(m_list);
        }
        fillRow(item, rs);
        select = item;
    }
    // A saved function may bring a longer figure or title than the columns were fitted to.
    FitListColumns(m_list);
    if (select) {
        m_list->setCurrentItem(select, kTitleColumn);
        m_list->scrollToItem(select);
    }
    m_list->setUpdatesEnabled(true);
    showSortIndicator();
    UpdateListTitle();
}

void MainWindow::fillRow(QTreeWidgetItem* item, const Recordset& rs)
{
    const int id = rs.field(QStringLiteral("NFUNCTION")).toInt();
    SetItemKey(item, functionKey(id));
    const QString title = rs.field(QStringLiteral("CSFUNC")).toString();
    const bool onHold = !rs.field(QStringLiteral("CVALID")).isValid();
    QStringList texts{title, onHold ? QStringLiteral("×") : QString(), title};
    DbConnection& conn = *m_state.Conn;
    for (int i = 0; i < Division::ClassCount; ++i) {
        texts << DivName(conn, Division::FirstClass + i, rs.field(field(kFirstClassColumn + i)).toInt());
    }
    for (const int c : {8, 9}) {
        const QVariant value = rs.field(field(c));
        texts << (value.isValid() ? FormatAmount(value) : QString());
    }
    SetRowTexts(item, texts, m_list);
    for (int c = 1; c < kColumnCount; ++c) {
        // Functions on hold count in no total: shown greyed.
        item->setForeground(c, onHold ? m_list->palette().brush(QPalette::Disabled, QPalette::Text)
                                      : m_list->palette().brush(QPalette::Active, QPalette::Text));
    }
    item->setIcon(2, Icons::function());
}

void MainWindow::showSortIndicator()
{
    QHeaderView* header = m_list->header();
    int column = -1;
    for (int c = 0; c < kColumnCount; ++c) {
        if (field(c) == m_sortKey) {
            column = c;
        }
    }
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0) {
        header->setSortIndicator(column, m_sortAsc ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
}

void MainWindow::sortByColumn(int column)
{
    if (column < 0 || column >= kColumnCount) {
        return;
    }
    const QString key = field(column);
    if (key != m_sortKey) {
        m_sortKey = key;
        m_sortAsc = true;
    } else {
        m_sortAsc = !m_sortAsc;
    }
    RefreshFunctionList(0);
    ShowRemainingHours();
    ShowProfit();
}

int MainWindow::SelectedFunctionId() const
{
    const QVariant key = SelectedKey(m_list);
    int id = 0;
    if (!key.isValid() || !KeyNumber(key.toString(), &id, const_cast<MainWindow*>(this))) {
        return 0;
    }
    return id;
}

// ---- summary ---------------------------------------------------------------------------------

void MainWindow::UpdateListTitle()
{
    const QString title = ::UpdateListTitle(m_state);
    m_listTitle->setText(title);
    m_listTitle->setToolTip(title.trimmed());
}

namespace {

// Overbooked hours and a loss stand out in red.
void setPanel(QLabel* panel, const QString& text)
{
    panel->setText(text);
    const bool negative = text.section(QStringLiteral("："), 1).startsWith(QLatin1Char('-'));
    panel->setStyleSheet(negative ? QStringLiteral("QLabel { color: #b3261e; }") : QString());
}

} // namespace

void MainWindow::ShowRemainingHours()
{
    setPanel(m_remHour, RemainingHoursText(m_state));
}

void MainWindow::ShowProfit()
{
    const ProfitTexts texts = ProfitPanelTexts(m_state);
    setPanel(m_remMoney, texts.money);
    setPanel(m_remRate, texts.rate);
}

void MainWindow::refreshSummary()
{
    ShowRemainingHours();
    ShowProfit();
}

// ---- commands --------------------------------------------------------------------------------

bool MainWindow::mastersExist(const QStringList& tables, const QStringList& names)
{
    QStringList missing;
    for (int i = 0; i < tables.size(); ++i) {
        Recordset rs = OpenRs(*m_state.Conn, QStringLiteral("SELECT COUNT(*) AS CNT FROM ") + tables[i]);
        if (rs.eof() || rs.field(QStringLiteral("CNT")).toInt() == 0) {
            missing << names[i];
        }
    }
    if (missing.isEmpty()) {
        return true;
    }
    Messages::exclamation(this, QStringLiteral("マスタ未登録"),
                          QStringLiteral("次のマスタを１つ以上登録しておく必要があります。\n") +
                              missing.join(QLatin1Char('\n')));
    return false;
}

namespace {

void notSelectedProject(QWidget* parent)
{
    Messages::information(parent, QStringLiteral("未選択"),
                          QStringLiteral("プロジェクトが選択されていません。"));
}

} // namespace

// A command on the selected project: its editor is part of the build and a project is selected.
bool MainWindow::readyForProject(Editor editor)
{
    if (!IsEditorRegistered(editor)) {
        return false;
    }
    if (m_state.CurProject == 0) {
        notSelectedProject(this);
        return false;
    }
    return true;
}

void MainWindow::newProject()
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
    OpenEditor(Editor::Project, m_state, this);
    m_state.ProposedParent = 0;
    if (m_state.Updated && m_state.CurProject != 0) {
        BuildProjectTree();
        RefreshFunctionList(0);
    } else {
        const bool updated = m_state.Updated;
        m_state.CurProject = selected;
        if (updated) {
            BuildProjectTree();
        }
    }
    refreshSummary();
}

void MainWindow::editProject()
{
    if (!readyForProject(Editor::Project)) {
        return;
    }
    const int edited = m_state.CurProject;
    m_state.EditMode = 1;
    OpenEditor(Editor::Project, m_state, this);
    // Both flags are read before either reload clears them.
    const bool updated = m_state.Updated;
    const bool pricesChanged = m_state.PricesChanged;
    // A deleted project leaves CurProject 0: its functions leave the list with it.
    const bool deleted = m_state.CurProject != edited;
    if (pricesChanged || deleted) {
        RefreshFunctionList(0);
    }
    if (updated || deleted) {
        BuildProjectTree();
    }
    refreshSummary();
}

void MainWindow::newFunction()
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
    OpenEditor(Editor::Function, m_state, this);
    if (m_state.Updated && m_state.CurFunction != 0) {
        RefreshFunctionList(m_state.CurFunction);
        refreshSummary();
    } else {
        m_state.Updated = false;
        m_state.CurFunction = previous;
    }
}

void MainWindow::editFunction()
{
    if (!readyForProject(Editor::Function)) {
        return;
    }
    m_state.CurFunction = SelectedFunctionId();
    if (m_state.CurFunction == 0) {
        Messages::information(this, QStringLiteral("未選択"),
                              QStringLiteral("機能項目が選択されていません。"));
        return;
    }
    m_state.FuncEditMode = 1;
    OpenEditor(Editor::Function, m_state, this);
    if (m_state.Updated) {
        RefreshFunctionList(m_state.CurFunction);
        refreshSummary();
    }
}

void MainWindow::editPriceKinds()
{
    if (!OpenEditor(Editor::PriceKinds, m_state, this)) {
        return;
    }
    if (m_state.Updated) {
        RecalcFunctionPrices(m_state, 0, this);
        m_state.Updated = false;
        if (m_state.CurProject != 0) {
            RefreshFunctionList(0);
            refreshSummary();
        }
    }
}

void MainWindow::editPolicy()
{
    const bool charge = m_state.policy.Charge;
    if (!OpenEditor(Editor::Policy, m_state, this)) {
        return;
    }
    if (m_state.policy.Charge != charge) {
        RecalcFunctionPrices(m_state, 0, this);
        if (m_state.CurProject != 0) {
            RefreshFunctionList(0);
        }
    }
    refreshSummary();
}

void MainWindow::replaceMembers()
{
    if (!IsEditorRegistered(Editor::MemberReplacement)) {
        return;
    }
    if (!m_state.policy.Charge) {
        Messages::information(this, QStringLiteral("使用不可"),
                              QStringLiteral("「工程別単価で計算する」モードなので使用できません。"));
        return;
    }
    if (m_state.CurProject == 0) {
        notSelectedProject(this);
        return;
    }
    OpenEditor(Editor::MemberReplacement, m_state, this);
    if (m_state.Updated) {
        RecalcFunctionPrices(m_state, m_state.CurProject, this);
        m_state.Updated = false;
        RefreshFunctionList(0);
        refreshSummary();
    }
}

void MainWindow::openPlainEditor(int editor)
{
    run([this, editor] {
        OpenEditor(static_cast<Editor>(editor), m_state, this);
        // These editors change nothing the tree or the list show; a flag they leave is stale.
        m_state.Updated = false;
    });
}

void MainWindow::showHelpContents()
{
    Help::openContents(this);
}

void MainWindow::openHomePage()
{
    Help::openHomePage(this);
}
