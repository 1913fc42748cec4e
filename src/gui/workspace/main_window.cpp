#include "workspace/main_window.h"

#include "accuracy/accuracy_commands.h"
#include "common/dialog_placement.h"
#include "common/form_widgets.h"
#include "common/icons.h"
#include "common/messages.h"
#include "common/twips.h"
#include "convert/conversions.h"
#include "documents/document_commands.h"
#include "help/help.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "workspace/function_list_view.h"
#include "workspace/project_summary.h"
#include "workspace/project_tree_view.h"
#include "workspace/run_command.h"
#include "workspace/workspace_commands.h"
#include "workspace/workspace_panes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The window may not be narrower than this, and each pane keeps this much.
constexpr int kMinWindowTwips = 3000;
constexpr int kMinPaneTwips = 1500;
// The list starts 140 twips right of the tree's edge in the original layout.
constexpr int kPaneGapTwips = 140;

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

} // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("VORNA"));
    setWindowIcon(Icons::application());
    setMinimumWidth(TwipsToPixels(kMinWindowTwips));

    createCentralArea();
    createStatusBar();
    m_panes =
        new WorkspacePanes(m_state, {m_tree, m_list, m_listTitle, m_remHour, m_remMoney, m_remRate}, this);
    m_commands = new WorkspaceCommands(m_state, *m_panes, this);
    createActions();
    createMenus();
    AddDocumentCommands(this, m_state);
    AddAccuracyCommands(this, m_state);
    createToolBar();
    addPaneCommands();

    m_state.policy = LoadPolicy();
    m_state.Updated = false;
    m_state.PricesChanged = false;
    Help::setTopic(this, 10);
    m_panes->BuildProjectTree();
    // Once the tree is there: a first start sizes the panes by what they show.
    restorePlacement();
}

MainWindow::~MainWindow() = default;

// ---- construction ----------------------------------------------------------------------------

void MainWindow::createActions()
{
    m_commands->createActions();
    connect(findChild<QAction*>(QStringLiteral("mnuFileClose")), &QAction::triggered, this, &QWidget::close);

    m_viewToolbar = new QAction(QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"), this);
    m_viewToolbar->setObjectName(QStringLiteral("mnuViewToolbar"));
    m_viewToolbar->setCheckable(true);
    m_viewToolbar->setChecked(true);
    m_viewStatusBar = new QAction(QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&B)"), this);
    m_viewStatusBar->setObjectName(QStringLiteral("mnuViewStatusBar"));
    m_viewStatusBar->setCheckable(true);
    m_viewStatusBar->setChecked(true);
    connect(m_viewStatusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);
    m_viewRefresh = new QAction(QStringLiteral("最新の情報に更新(&R)"), this);
    m_viewRefresh->setObjectName(QStringLiteral("mnuViewRefresh"));
    m_viewRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(m_viewRefresh, &QAction::triggered, this,
            [this] { RunCommand(this, [this] { m_panes->refreshAll(); }); });
}

// The commands of each pane on its context menu as well; a double click or Enter on a row of
// the list opens its function.
void MainWindow::addPaneCommands()
{
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tree->addActions({findChild<QAction*>(QStringLiteral("mnuProjNew")),
                        findChild<QAction*>(QStringLiteral("mnuProjUp"))});
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list->addActions({findChild<QAction*>(QStringLiteral("mnuFuncNew")),
                        findChild<QAction*>(QStringLiteral("mnuFuncUp"))});
    connect(m_list, &FunctionListView::openRequested, m_commands, &WorkspaceCommands::openSelectedFunction);
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
    view->addSeparator();
    view->addAction(m_viewRefresh);

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

    // The filter box sits above the tree, in the tree's pane, so that both keep one width.
    auto* treePane = new QWidget(m_splitter);
    auto* treeLayout = new QVBoxLayout(treePane);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(2);
    m_filter = new QLineEdit(treePane);
    m_filter->setObjectName(QStringLiteral("txtPFilter"));
    m_filter->setPlaceholderText(QStringLiteral("プロジェクト名で絞り込み"));
    // The placeholder is cut where the tree pane is narrow; the tip shows it whole.
    m_filter->setToolTip(QStringLiteral("プロジェクト名で絞り込み（Escで解除）"));
    m_filter->setClearButtonEnabled(true);
    auto* clearFilter = new QAction(m_filter);
    clearFilter->setShortcut(QKeySequence(Qt::Key_Escape));
    clearFilter->setShortcutContext(Qt::WidgetShortcut);
    m_filter->addAction(clearFilter);
    connect(clearFilter, &QAction::triggered, m_filter, &QLineEdit::clear);
    m_tree = new ProjectTreeView(treePane);
    connect(m_filter, &QLineEdit::textChanged, m_tree, &ProjectTreeView::setFilter);
    treeLayout->addWidget(m_filter);
    treeLayout->addWidget(m_tree, 1);
    treePane->setMinimumWidth(TwipsToPixels(kMinPaneTwips));
    m_list = new FunctionListView(m_splitter);
    m_list->setMinimumWidth(TwipsToPixels(kMinPaneTwips - kPaneGapTwips));

    m_splitter->addWidget(treePane);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->handle(1)->setObjectName(QStringLiteral("imgSplitter"));
    connect(m_splitter, &QSplitter::splitterMoved, this, &MainWindow::SizeControls);
    m_tree->installEventFilter(this);
    m_list->installEventFilter(this);

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
    for (int c = 1; c < m_list->columnCount(); ++c) {
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
    const QRect r = isMaximized() || isFullScreen() ? normalGeometry() : QRect(FramePosition(this), size());
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
    return QMainWindow::eventFilter(watched, event);
}
