#include "common/messages.h"
#include "common/wait_cursor.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "gui_helpers.h"
#include "help/help.h"
#include "help/help_window.h"
#include "project/project_rows.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "small_tree.h"
#include "state/app_state.h"
#include "test_support.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"
#include "workspace/price_recalc.h"
#include "workspace/project_summary.h"
#include "workspace/recalculation.h"
#include "workspace/workspace_panes.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QThread>
#include <QToolBar>
#include <optional>

namespace {

const Editor kAllEditors[] = {Editor::Project,   Editor::Function,          Editor::PriceKinds,
                              Editor::Customers, Editor::Languages,         Editor::Members,
                              Editor::Items,     Editor::MemberReplacement, Editor::Policy,
                              Editor::About,     Editor::ConnectionSettings};

// A window over the small tree, opened after the test has registered its editors.
struct Fixture : TreeWorld {
    using TreeWorld::TreeWorld;
    std::unique_ptr<MainWindow> window;

    MainWindow& open()
    {
        window = std::make_unique<MainWindow>(*state);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qFatal("main window not shown");
        }
        return *window;
    }
    template <typename T = QWidget> T* find(const char* name) const
    {
        return control<T>(window.get(), QString::fromLatin1(name));
    }
    QTreeWidget* tree() const { return find<QTreeWidget>("tvwPList"); }
    QTreeWidget* list() const { return find<QTreeWidget>("lvwFList"); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    QAction* action(const char* name) const { return find<QAction>(name); }
    void trigger(const char* name) const { action(name)->trigger(); }
    QTreeWidgetItem* node(int project) const
    {
        for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
            if (ItemKey(*it) == u"P"_s + QString::number(project)) {
                return *it;
            }
        }
        return nullptr;
    }
    void select(int project) const { tree()->setCurrentItem(node(project)); }
    QStringList titles() const { return columnTexts(list(), 2); }
    QTreeWidgetItem* rowOf(int function) const { return FindItemByKey(list(), u"F%1"_s.arg(function)); }
    QStringList panels() const { return {label("remHour"), label("remMoney"), label("remRate")}; }
};

const QStringList kNothingSelected{u"残工数：[未選択]"_s, u"純利益：[未選択]"_s, u"利益率：[未選択]"_s};

QStringList childTexts(const QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) {
        texts << item->child(i)->text(0);
    }
    return texts;
}

void clickHeader(QTreeWidget* list, int column)
{
    QHeaderView* header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

bool progressVisible()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return qobject_cast<QProgressDialog*>(w) && w->isVisible(); });
}

enum Which { None, Maintenance, Sales, Stock, Billing, Missing };

} // namespace

// The main window over the small tree, the prices recalculated over it and the figures of its
// summary panels.
class TestWorkspace : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<GuiTestEnvironment>();
        cleanupEditors();
    }
    void cleanup()
    {
        cleanupEditors();
        Help::setFolder(QString());
        m_env.reset();
    }

    // The tree and the list of the selected project with its panels; a click on a heading sorts,
    // again reverses; a list that cannot be read is reported and keeps no rows of another project.
    void treeAndList()
    {
        Fixture f;
        bool opened = false;
        RegisterEditor(Editor::Function, [&](AppState&, QWidget*) { opened = true; });
        f.open();
        // Ordered by NSORT, then id; root and top level open, deeper levels closed.
        QTreeWidgetItem* root = f.tree()->topLevelItem(0);
        QCOMPARE(childTexts(root), (QStringList{u"保守案件"_s, u"本社システム"_s}));
        QTreeWidgetItem* head = root->child(1);
        QCOMPARE(childTexts(head), (QStringList{u"在庫管理"_s, u"販売管理"_s}));
        QCOMPARE(childTexts(head->child(1)), QStringList{u"請求"_s});
        QVERIFY(root->isExpanded() && head->isExpanded() && !head->child(1)->isExpanded());

        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        QCOMPARE(rowTexts(list, 0, 1), (QStringList{u"×"_s, u"出荷指示"_s, u"改造"_s, u"普通"_s, u"普通"_s,
                                                    u"標準"_s, u"標準"_s, u"20"_s, u"93,500"_s}));
        QCOMPARE(rowTexts(list, 1, 1), (QStringList{QString(), u"受注入力"_s, u"新規"_s, u"重要"_s, u"普通"_s,
                                                    u"標準"_s, u"短期"_s, u"50"_s, u"401,400"_s}));
        QCOMPARE(rowTexts(list, 2, 8), (QStringList{u"0"_s, u"-5,000"_s}));
        QCOMPARE(rowTexts(list, 3, 8), (QStringList{QString(), QString()}));
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理 機能項目一覧： "_s);

        // A loss stands out in red.
        const auto red = [&](const char* panel) {
            return f.find<QLabel>(panel)->styleSheet().contains(u"color"_s);
        };
        QVERIFY(!red("remMoney"));
        f.select(f.t.stock);
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        QCOMPARE(f.label("remMoney"), u"純利益：-370,000円"_s);
        QVERIFY(red("remMoney") && !red("remHour"));

        f.tree()->setCurrentItem(root);
        QCOMPARE(f.state->CurPriKind, 0);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(f.panels(), kNothingSelected);

        f.select(f.t.sales);
        list->setColumnWidth(2, 333);
        const QStringList byPrice = {u"帳票出力"_s, u"請求締め"_s, u"出荷指示"_s, u"受注入力"_s};
        clickHeader(list, 9);
        QCOMPARE(f.titles(), byPrice);
        clickHeader(list, 9);
        QCOMPARE(f.titles(), (QStringList{byPrice.rbegin(), byPrice.rend()}));
        // Another column sorts ascending again.
        clickHeader(list, 8);
        QCOMPARE(f.titles(), byPrice);
        // A width the user gave survives the reloads; the order holds for the next project too.
        QCOMPARE(list->columnWidth(2), 333);
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(f.titles().first(), u"帳票出力"_s);

        StatementLog log;
        log.failOn(u"FROM TFUNCTION WHERE NPROJECT"_s, true);
        clickHeader(list, 9);
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QVERIFY(Messages::last().text.startsWith(u"injected failure\n"_s + log.failedStatement()));
        QCOMPARE(list->topLevelItemCount(), 4); // the list keeps what it showed
        // Another project whose functions cannot be read: the rows of the previous one go, so
        // that none of them is opened as a function of this project.
        list->setCurrentItem(f.rowOf(f.t.order));
        Messages::clearShown();
        f.select(f.t.billing);
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QCOMPARE(list->topLevelItemCount(), 0);
        f.trigger("FU");
        QVERIFY(!opened);
        QCOMPARE(Messages::last().text, u"機能項目が選択されていません。"_s);
    }

    // A database used for years: tree and list keys beyond 32767 ("P40003", "F70001") chosen,
    // listed and titled as any other. The filter box narrows the tree to the names containing its
    // text, whatever its case and width, with their ancestors, all open; Esc brings back the
    // whole tree as it was built.
    void keysBeyond16BitsAndFilter()
    {
        Fixture f(Engine::SQLite, true, 40001);
        f.open();
        QCOMPARE(f.t.sales, 40003);
        f.select(f.t.sales);
        QCOMPARE(f.state->CurProject, 40003);
        QCOMPARE(ItemKey(f.rowOf(70001)), u"F70001"_s);
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理 機能項目一覧： "_s);
        f.list()->setCurrentItem(f.rowOf(f.t.order));
        QCOMPARE(f.state->CurFunction, 70001);
        f.select(f.t.stock);
        QCOMPARE(f.state->CurPriKind, 40001);

        const auto shown = [&] {
            QStringList names;
            for (QTreeWidgetItemIterator it(f.tree()); *it; ++it) {
                bool visible = true;
                for (const QTreeWidgetItem* i = *it; i; i = i->parent()) {
                    visible = visible && !i->isHidden() && (i == *it || i->isExpanded());
                }
                if (visible) {
                    names << (*it)->text(0);
                }
            }
            return names;
        };
        const QStringList whole{u"ﾌﾟﾛｼﾞｪｸﾄ一覧"_s, u"保守案件"_s, u"本社システム"_s, u"在庫管理"_s,
                                u"販売管理"_s};
        QCOMPARE(shown(), whole);
        auto* filter = f.find<QLineEdit>("txtPFilter");
        QCOMPARE(filter->placeholderText(), u"プロジェクト名で絞り込み"_s);
        filter->setText(u"請求"_s);
        QCOMPARE(shown(), (QStringList{u"ﾌﾟﾛｼﾞｪｸﾄ一覧"_s, u"本社システム"_s, u"販売管理"_s, u"請求"_s}));
        filter->setText(u"ｼｽﾃﾑ"_s);
        QCOMPARE(shown(), (QStringList{u"ﾌﾟﾛｼﾞｪｸﾄ一覧"_s, u"本社システム"_s}));
        // The tree rebuilt after an edit keeps the filter.
        f.window->panes().BuildProjectTree();
        QCOMPARE(shown(), (QStringList{u"ﾌﾟﾛｼﾞｪｸﾄ一覧"_s, u"本社システム"_s}));
        QCOMPARE(f.state->CurProject, f.t.stock);
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(filter->text().isEmpty());
        QCOMPARE(shown(), whole);
        QCOMPARE(ItemKey(f.tree()->currentItem()), u"P40004"_s);
    }

    // A command refused before its editor opens: one message, and the editor stays shut. The
    // rows that set up masters start from the reference data alone.
    void refusals_data()
    {
        addColumns<QString, bool, bool, QString, QString, QString>(
            {"setup", "select", "charge", "command", "title", "text"});
        const QString project = u"プロジェクトが選択されていません。"_s;
        const QString masters = u"次のマスタを１つ以上登録しておく必要があります。\n"_s;
        const QString perProcess = u"「工程別単価で計算する」モードなので使用できません。"_s;
        const auto add = [](const char* name, const QString& setup, bool select, bool charge,
                            const char* command, const QString& title, const QString& text) {
            QTest::newRow(name) << setup << select << charge << QString::fromLatin1(command) << title << text;
        };
        for (const char* command : {"PU", "mnuFuncNew", "FU", "mnuMembChg"}) {
            add(command, {}, false, true, command, u"未選択"_s, project);
        }
        add("no function", {}, true, true, "mnuFuncUp", u"未選択"_s, u"機能項目が選択されていません。"_s);
        // Per-process mode refuses the replacement before looking at the selection.
        add("per process", {}, false, false, "mnuMembChg", u"使用不可"_s, perProcess);
        add("no customer, no price kind", u"DELETE FROM MPRIPROG;DELETE FROM MPRIBASE"_s, false, true, "PN",
            u"マスタ未登録"_s, masters + u"「顧客」\n「作業費単価」"_s);
        add("no price kind",
            u"DELETE FROM MPRIPROG;DELETE FROM MPRIBASE;INSERT INTO MCUSTOMER (CCUSTNAME) VALUES ('c')"_s,
            false, true, "PN", u"マスタ未登録"_s, masters + u"「作業費単価」"_s);
        add("no language", u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME) VALUES (0, 'p');DELETE FROM MLANG"_s,
            true, true, "FN", u"マスタ未登録"_s, masters + u"「開発言語」"_s);
    }
    void refusals()
    {
        QFETCH(QString, setup);
        QFETCH(bool, select);
        QFETCH(bool, charge);
        QFETCH(QString, command);
        Fixture f(Engine::SQLite, setup.isEmpty());
        bool opened = false;
        for (const Editor e : {Editor::Project, Editor::Function, Editor::MemberReplacement}) {
            RegisterEditor(e, [&](AppState&, QWidget*) { opened = true; });
        }
        for (const QString& sql : setup.split(u';', Qt::SkipEmptyParts)) {
            ExecSql(*f.state->Conn, sql);
        }
        f.open();
        if (select) {
            f.tree()->setCurrentItem(f.t.sales ? f.node(f.t.sales) : f.tree()->topLevelItem(0)->child(0));
        }
        f.list()->clearSelection();
        f.state->policy.Charge = charge;
        f.trigger(qPrintable(command));
        QCOMPARE(Messages::shown().size(), 1);
        QTEST(Messages::last().title, "title");
        QTEST(Messages::last().text, "text");
        QVERIFY(!opened);
    }

    // New, edited and deleted projects and functions through stand-in editors: what the tree,
    // the list and the panels show afterwards.
    void editorsReload()
    {
        Fixture f;
        std::function<void(AppState&)> save; // what the editor saves; none when it is cancelled
        QList<int> seen;                     // what the editor finds in the state
        const auto run = [&](AppState& s) {
            if (save) {
                save(s);
                s.Updated = true;
            }
        };
        RegisterEditor(Editor::Project, [&](AppState& s, QWidget*) {
            seen = {s.CurProject, s.EditMode, s.ProposedParent};
            run(s);
        });
        RegisterEditor(Editor::Function, [&](AppState& s, QWidget*) {
            seen = {s.CurFunction, s.FuncEditMode};
            run(s);
        });
        const auto deleteRows = [](AppState& s, int function) {
            Transaction transaction(*s.Conn);
            DeleteProjectRows(*s.Conn, s.CurProject, function);
            transaction.commit();
        };
        f.open();
        f.select(f.t.sales);
        // Cancelled: the selection comes back and nothing reloads.
        f.trigger("PN");
        QCOMPARE(seen, (QList<int>{0, 0, f.t.sales}));
        QCOMPARE(f.state->CurProject, f.t.sales);

        save = [](AppState& s) {
            s.CurProject = insertProject(*s.Conn, s.ProposedParent, u"新規案件"_s, 1, 0, 0, u"NULL"_s);
        };
        f.trigger("mnuProjNew");
        QCOMPARE(childTexts(f.node(f.t.sales)), (QStringList{u"請求"_s, u"新規案件"_s}));
        QCOMPARE(f.tree()->currentItem(), f.node(f.state->CurProject));
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.panels(), (QStringList{u"残工数：0/0時間"_s, u"純利益：0円"_s, u"利益率：[計算不能]"_s}));

        // A rename together with a price-kind change reaches both the list and the tree.
        save = [&](AppState& s) {
            execArgs(
                *s.Conn,
                u"UPDATE TPROJECT SET CPROJNAME = '販売管理システム', NPRIKIND = %1 WHERE NPROJECT = %2"_s,
                f.t.priceKind2, s.CurProject);
            RecalcFunctionPrices(s, s.CurProject);
            s.PricesChanged = true;
        };
        f.select(f.t.sales);
        f.trigger("PU");
        QCOMPARE(seen, (QList<int>{f.t.sales, 1, 0}));
        // 受注入力 under kind 2: (10 x 12,000 + 30 x 7,000 + 10 x 9,000) x 1.21 - 10,000.
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"498,200"_s);
        QCOMPARE(f.tree()->currentItem()->text(0), u"販売管理システム"_s);
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理システム 機能項目一覧： "_s);
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        QVERIFY(!f.state->Updated && !f.state->PricesChanged);

        // A tree that cannot be read again is reported and keeps every project it showed.
        save = [](AppState&) {};
        {
            StatementLog log;
            log.failOn(u"SELECT NPROJECT, NPARPROJ, CPROJNAME FROM TPROJECT ORDER BY NSORT, NPROJECT"_s);
            Messages::clearShown();
            f.trigger("PU");
            QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
            QVERIFY(Messages::last().text.startsWith(u"injected failure\n"_s + log.failedStatement()));
        }
        QCOMPARE(childTexts(f.node(f.t.head)), (QStringList{u"在庫管理"_s, u"販売管理システム"_s}));
        QCOMPARE(childTexts(f.node(f.t.sales)), (QStringList{u"請求"_s, u"新規案件"_s}));
        QCOMPARE(f.tree()->currentItem(), f.node(f.t.sales));
        Messages::clearShown();

        // A deleted project leaves nothing selected, whether or not the editor clears CurProject.
        for (const int project : {f.t.billing, f.t.stock}) {
            save = [&](AppState& s) {
                deleteRows(s, 0);
                s.CurProject = project == f.t.billing ? 0 : s.CurProject;
            };
            f.select(project);
            QCOMPARE(f.list()->topLevelItemCount(), 1);
            f.trigger("mnuProjUp");
            QVERIFY(!f.node(project));
            QCOMPARE(f.list()->topLevelItemCount(), 0);
            QCOMPARE(f.panels(), kNothingSelected);
        }

        save = nullptr;
        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        list->setCurrentItem(f.rowOf(f.t.closing));
        f.trigger("FN");
        QCOMPARE(seen, (QList<int>{0, 0}));
        QCOMPARE(f.state->CurFunction, f.t.closing);

        // A new function goes to the end whatever the order, until the next full reload.
        save = [](AppState& s) {
            s.CurFunction = insertFunction(*s.Conn, s.CurProject, u"'1'"_s, u"1, 2, 2, 2, 2"_s, u"追加機能"_s,
                                           u"0"_s, u"10, 75000, 75000"_s, 0);
            assign(*s.Conn, s.CurProject, s.CurFunction, 3, 1, 2, u"10"_s);
        };
        f.trigger("mnuFuncNew");
        QCOMPARE(list->currentItem(), list->topLevelItem(4));
        QCOMPARE(list->currentItem()->text(2), u"追加機能"_s);
        QCOMPARE(f.label("remHour"), u"残工数：360/420時間"_s);
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(list->topLevelItem(0)->text(2), u"追加機能"_s);

        // An update rewrites the row where it is, fits the columns to a longer figure and
        // refreshes the panels; Enter opens the current row.
        save = [](AppState& s) {
            execArgs(
                *s.Conn,
                u"UPDATE TFUNCTION SET CSFUNC = '受注入力（改）', NPRICE = 1234567890 WHERE NFUNCTION = %1"_s,
                s.CurFunction);
            execArgs(*s.Conn, u"UPDATE TCHARGE SET NHOUR = 15 WHERE NFUNCTION = %1 AND NPROC = 1"_s,
                     s.CurFunction);
        };
        const int index = list->indexOfTopLevelItem(f.rowOf(f.t.order));
        list->setCurrentItem(f.rowOf(f.t.order));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(seen, (QList<int>{f.t.order, 1}));
        QCOMPARE(rowTexts(list, index, 8), (QStringList{u"50"_s, u"1,234,567,890"_s}));
        QCOMPARE(list->topLevelItem(index)->text(2), u"受注入力（改）"_s);
        const QAbstractItemView* view = list; // where the size hint is public
        QVERIFY(list->columnWidth(9) >= view->sizeHintForColumn(9));
        QCOMPARE(f.label("remHour"), u"残工数：355/420時間"_s);

        // A double click opens the function of that row; a deleted function's row goes.
        save = [&](AppState& s) { deleteRows(s, s.CurFunction); };
        const QPoint cell(list->columnViewportPosition(2) + 10,
                          list->visualItemRect(f.rowOf(f.t.closing)).center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(seen, (QList<int>{f.t.closing, 1}));
        QVERIFY(!f.rowOf(f.t.closing));
        QVERIFY(Messages::shown().isEmpty());
    }

    // A price-kind change reprices every project; a member replacement only the selected one.
    // Through the program's own policy dialog, per-process prices reprice every function and
    // another switch only refreshes the figures.
    void editorsRecalculate()
    {
        Fixture f;
        RegisterAllEditors();
        bool change = false;
        RegisterEditor(Editor::PriceKinds, [&](AppState& s, QWidget*) {
            if (change) {
                ExecSql(
                    *s.Conn,
                    u"UPDATE MPRIPROG SET NDPRI = 6000 WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 4"_s);
                s.Updated = true;
            }
        });
        RegisterEditor(Editor::MemberReplacement, [&](AppState& s, QWidget*) {
            execArgs(*s.Conn, u"UPDATE TCHARGE SET NMEMBER = 2 WHERE NPROJECT = %1 AND NMEMBER = 3"_s,
                     s.CurProject);
            s.Updated = true;
        });
        f.open();
        f.select(f.t.sales);
        const auto stale = [&](int project) {
            ExecSql(*f.state->Conn, u"UPDATE TFUNCTION SET NPRICE = 1 WHERE NPROJECT = %1"_s.arg(project));
        };
        stale(f.t.stock);
        f.trigger("mnuPriUp");
        QCOMPARE(totals(*f.state->Conn, f.t.inquiry), u"8 72000 1"_s);
        change = true;
        f.trigger("mnuPriUp");
        // (10 x 10,000 + 30 x 6,000 + 10 x 7,500) x 1.21 - 10,000
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"419,550"_s);
        QCOMPARE(totals(*f.state->Conn, f.t.inquiry), u"8 72000 72000"_s);

        stale(f.t.billing);
        f.trigger("mnuMembChg");
        // 受注入力: the 30 PG hours now SE hours at 7,500.
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"474,000"_s);
        QCOMPARE(totals(*f.state->Conn, f.t.invoice), u"10 70000 1"_s);

        triggerWithModal(f.window.get(), u"mnuPolicy"_s, [](QWidget* dialog) {
            control<QComboBox>(dialog, u"cmbCharge"_s)->setCurrentIndex(1);
            clickButton(dialog, u"cmdOK"_s);
        });
        QCOMPARE(rowTexts(f.list(), 1, 8), (QStringList{u"53"_s, u"416,525"_s}));
        QCOMPARE(totals(*f.state->Conn, f.t.invoice), u"10 65000 64000"_s);
        QCOMPARE(f.label("remHour"), u"残工数：367.5/420時間"_s);

        StatementLog log;
        triggerWithModal(f.window.get(), u"mnuPolicy"_s, [](QWidget* dialog) {
            control<QCheckBox>(dialog, u"chkHour"_s)->setChecked(true);
            clickButton(dialog, u"cmdOK"_s);
        });
        QVERIFY(log.statements().filter(QRegularExpression(u"^UPDATE"_s)).isEmpty());
        QCOMPARE(f.label("remHour"), u"残工数：397.5/450時間"_s);
        QVERIFY(Messages::shown().isEmpty());
    }

    // Each command opens its own editor over the main window; without it the command is greyed
    // out and does nothing. Each pane offers its own commands on its context menu.
    void commands()
    {
        const std::pair<const char*, Editor> commands[] = {{"FU", Editor::Function},
                                                           {"mnuFuncNew", Editor::Function},
                                                           {"mnuDbConn", Editor::ConnectionSettings},
                                                           {"mnuCustUp", Editor::Customers},
                                                           {"mnuLangUp", Editor::Languages},
                                                           {"mnuMembUp", Editor::Members},
                                                           {"mnuExpUp", Editor::Items},
                                                           {"mnuHelpAbout", Editor::About},
                                                           {"mnuPriUp", Editor::PriceKinds},
                                                           {"mnuPolicy", Editor::Policy},
                                                           {"PU", Editor::Project},
                                                           {"PN", Editor::Project},
                                                           {"mnuMembChg", Editor::MemberReplacement}};
        Fixture f;
        f.open();
        QCOMPARE(f.window->windowTitle(), u"VORNA"_s);
        QCOMPARE(f.tree()->actions(), (QList<QAction*>{f.action("mnuProjNew"), f.action("mnuProjUp")}));
        QCOMPARE(f.list()->actions(), (QList<QAction*>{f.action("mnuFuncNew"), f.action("mnuFuncUp")}));
        f.select(f.t.sales);
        for (const auto& [name, editor] : commands) {
            QVERIFY2(!f.action(name)->isEnabled(), name);
            f.trigger(name);
        }
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(f.action("mnuHelpContents")->isEnabled() && f.action("mnuFileClose")->isEnabled());

        QList<int> opened;
        for (const Editor e : kAllEditors) {
            RegisterEditor(e, [&opened, e](AppState&, QWidget* parent) {
                QVERIFY(parent && parent->objectName() == u"frmMain"_s);
                opened << int(e);
            });
        }
        // A second window over the same state: its list fills once a project is chosen in it.
        f.open();
        f.select(f.t.head);
        f.select(f.t.sales);
        f.list()->setCurrentItem(f.list()->topLevelItem(0));
        for (const auto& [name, editor] : commands) {
            opened.clear();
            f.trigger(name);
            QVERIFY2(opened == QList<int>{int(editor)}, name);
        }
        QVERIFY(Messages::shown().isEmpty());
    }

    // The stored placement is taken and stored again on closing, unless the window is minimised.
    // Without a stored splitter position the tree leaves the list the room for its last column;
    // the panes take the room of hidden bars and keep a minimum at the splitter.
    void placementAndLayout()
    {
        const char* keys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
        const char* twips[] = {"750", "1200", "11250", "6000"};
        for (int i = 0; i < 4; ++i) {
            StoreSetting(u"Settings"_s, QString::fromLatin1(keys[i]), QString::fromLatin1(twips[i]));
        }
        const auto placement = [&] {
            QStringList stored;
            for (const char* key : keys) {
                stored << StoredSetting(u"Settings"_s, QString::fromLatin1(key));
            }
            return stored;
        };
        const QStringList stored{u"600"_s, u"450"_s, u"7500"_s, u"4500"_s};
        {
            Fixture f;
            f.open();
            QCOMPARE(QRect(f.window->pos(), f.window->size()), QRect(50, 80, 750, 400));
            f.select(f.t.sales);
            QTRY_VERIFY(f.list()->header()->length() <= f.list()->viewport()->width());
            QVERIFY(f.tree()->width() > 150);

            auto* bar = f.find<QToolBar>("tbToolBar");
            auto* status = f.find<QStatusBar>("sbStatusBar");
            const int treeHeight = f.tree()->height();
            f.trigger("mnuViewToolbar");
            f.trigger("mnuViewStatusBar");
            QVERIFY(!bar->isVisible() && !status->isVisible());
            QTRY_VERIFY(f.tree()->height() > treeHeight);

            f.window->resize(700, 400);
            auto* splitter = f.window->findChild<QSplitter*>();
            QCOMPARE(splitter->handle(1)->objectName(), u"imgSplitter"_s);
            splitter->setSizes({10, 1000});
            QTRY_VERIFY(f.tree()->width() >= 100);
            splitter->setSizes({1000, 10});
            QTRY_VERIFY(f.list()->width() >= 90);
            QVERIFY(f.tree()->width() >= 100);
            // The titles follow the panes.
            QTRY_COMPARE(f.find("lblTitle_0")->width(), f.tree()->width());
            QCOMPARE(f.find("lblTitle_1")->x(), f.list()->x());

            f.window->move(40, 30);
            f.window->resize(500, 300);
            QTRY_COMPARE(f.window->size(), QSize(500, 300));
            f.window->close();
        }
        QCOMPARE(placement(), stored);
        {
            Fixture f;
            f.open();
            f.window->move(10, 10);
            f.window->showMinimized();
            QTRY_VERIFY(f.window->isMinimized());
            f.window->close();
        }
        QCOMPARE(placement(), stored);
        // Too narrow a stored width is raised to the window's minimum.
        StoreSetting(u"Settings"_s, u"MainWidth"_s, u"1000"_s);
        Fixture f;
        QCOMPARE(f.open().width(), 200);
    }

    // Help opens in the program's own window, so it needs no browser. Without its pages the
    // contents and the home page say so; with the help folder of the build F1 opens the page of
    // the window, the pages' links, back, forward and the contents move through the help in that
    // one window, and the system browser is there on request: one that cannot start is reported.
    void help()
    {
        Fixture f;
        QTemporaryDir empty;
        Help::setFolder(empty.path());
        QList<QUrl> opened;
        bool browserStarts = true;
        Help::setOpener([&](const QUrl& url) {
            opened << url;
            return browserStarts;
        });
        f.open();
        Help::install(*qApp);
        f.trigger("mnuHelpContents");
        COMPARE_LAST_MESSAGE(
            u"VORNA"_s, u"ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"_s,
            Messages::Information);
        f.trigger("mnuOpenHP");
        COMPARE_LAST_MESSAGE(u"VORNA"_s,
                             u"ホームページを開けませんでした。\n"_s +
                                 QDir::toNativeSeparators(QDir(empty.path()).filePath(u"index.html"_s)),
                             Messages::Exclamation);
        QVERIFY(!f.window->findChild<HelpWindow*>());

        const QDir help(QCoreApplication::applicationDirPath() + u"/help"_s);
        const auto page = [&](const char* file) {
            return QUrl::fromLocalFile(help.filePath(QLatin1String(file)));
        };
        Help::setFolder(help.path());
        Messages::clearShown();
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        auto* viewer = f.window->findChild<HelpWindow*>();
        QVERIFY(viewer && viewer->isVisible());
        auto* browser = control<QTextBrowser>(viewer, u"txtHelp"_s);
        QCOMPARE(browser->source(), page("10.html"));
        QVERIFY(browser->toPlainText().contains(u"メイン画面"_s));
        QVERIFY(!control<QPushButton>(viewer, u"cmdBack"_s)->isEnabled());
        clickButton(viewer, u"cmdContents"_s);
        QCOMPARE(browser->source(), page("index.html"));
        clickLink(browser, u"16.html"_s);
        QCOMPARE(browser->source(), page("16.html"));
        QCOMPARE(viewer->windowTitle(), u"開発言語編集 - VORNA"_s);
        clickButton(viewer, u"cmdBack"_s);
        QCOMPARE(browser->source(), page("index.html"));
        clickButton(viewer, u"cmdForward"_s);
        QCOMPARE(browser->source(), page("16.html"));
        QVERIFY(!control<QPushButton>(viewer, u"cmdForward"_s)->isEnabled());
        f.trigger("mnuOpenHP");
        f.trigger("mnuHelpContents");
        QCOMPARE(f.window->findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(browser->source(), page("index.html"));
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(opened.isEmpty());

        clickButton(viewer, u"cmdBrowser"_s);
        QCOMPARE(opened, QList<QUrl>{page("index.html")});
        QVERIFY(Messages::shown().isEmpty());
        browserStarts = false;
        clickButton(viewer, u"cmdBrowser"_s);
        COMPARE_LAST_MESSAGE(u"VORNA"_s,
                             u"ブラウザを起動できませんでした。\n"_s +
                                 QDir::toNativeSeparators(help.filePath(u"index.html"_s)),
                             Messages::Exclamation);
        QCOMPARE(browser->source(), page("index.html"));
    }

    // A command shows the hourglass once, over all its statements, and puts it away when it is
    // done; an editor it opens runs with the normal pointer. The data access itself never
    // touches the pointer.
    void oneHourglassPerCommand()
    {
        Fixture f;
        QList<bool> waiting; // one entry per statement: the hourglass was up
        bool waitingInEditor = true;
        RegisterEditor(Editor::Function, [&](AppState& s, QWidget*) {
            waitingInEditor = WaitCursor::shown();
            s.Updated = true;
            s.CurFunction = f.t.order;
        });
        f.open();
        DbConnection::setStatementHook(
            [&](const DbConnection&, const QString&) { waiting << WaitCursor::shown(); });

        ExecSql(*f.state->Conn, u"UPDATE TPROJECT SET NSORT = NSORT"_s);
        QCOMPARE(waiting, QList<bool>{false});

        waiting.clear();
        f.select(f.t.sales);
        QVERIFY(waiting.size() > 3);
        QCOMPARE(waiting, QList<bool>(waiting.size(), true));
        QVERIFY(!WaitCursor::shown());
        QVERIFY(!QGuiApplication::overrideCursor());

        waiting.clear();
        f.list()->setCurrentItem(f.rowOf(f.t.order));
        f.trigger("mnuFuncUp");
        QVERIFY(!waitingInEditor);
        QVERIFY(!waiting.isEmpty()); // the row and the summary read again
        QCOMPARE(waiting, QList<bool>(waiting.size(), true));
        QVERIFY(!QGuiApplication::overrideCursor());
        DbConnection::setStatementHook(nullptr);
    }

    void unreadablePolicyStopsTheStart()
    {
        Fixture f;
        StoreSetting(u"Policy"_s, u"Rate"_s, u"abc"_s);
        QVERIFY_THROWS_EXCEPTION(PolicyError, f.open());
    }

    // Whatever statement fails, no total changes and the failure is reported with it. Called
    // inside a transaction of the shared connection (no statement given), it refuses at once
    // instead of waiting on the caller's own uncommitted rows.
    void failureChangesNothing_data() { addEngineRows(); }
    void failureChangesNothing()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& c = *w.state->Conn;
        for (const QString& failing :
             {u"UPDATE TFUNCTION SET NHTOTAL"_s, u"UPDATE TFUNCTION SET NPRICE"_s, QString()}) {
            markStale(c);
            Messages::clearShown();
            {
                StatementLog log;
                std::optional<Transaction> transaction;
                if (failing.isEmpty()) {
                    transaction.emplace(c);
                    execArgs(c, u"UPDATE TFUNCTION SET NDISCOUNT = 0 WHERE NFUNCTION = %1"_s, w.t.order);
                } else {
                    log.failOn(failing);
                }
                RecalcFunctionPrices(*w.state, 0);
                QCOMPARE(Messages::shown().size(), 1);
                QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
                QVERIFY(Messages::last().text.startsWith(
                    failing.isEmpty() ? u"保存の処理中は価格を再計算できません。"_s
                                      : u"injected failure\n"_s + log.failedStatement()));
            }
            QVERIFY2(rowCount(c, u"TFUNCTION"_s, u"NHTOTAL = 7 AND NTOTAL = 7 AND NPRICE = 7"_s) == 6,
                     qPrintable(failing));
            // The private connection is gone: nothing holds a lock on the functions.
            ExecSql(c, u"UPDATE TFUNCTION SET NPRICE = 8"_s);
            QCOMPARE(rowCount(c, u"TFUNCTION"_s, u"NPRICE = 8"_s), 6);
        }
    }

    // Many functions: the prices go out in several statements, every one of them right. The
    // first update of a total is held back, so that the recalculation of every project takes
    // long enough to show its progress.
    void manyFunctionsShowProgress()
    {
        TreeWorld w;
        DbConnection& c = *w.state->Conn;
        for (int i = 1; i <= 900; ++i) {
            // 重要 1.10 x 難しい 1.15 on every other function, a discount on every third.
            const int function =
                insertFunction(c, w.t.maintenance, u"'1'"_s, u"1, %1, %1, 2, 2"_s.arg(i % 2 ? 3 : 2),
                               u"f%1"_s.arg(i), QString::number(i % 3 ? 0 : 100), u"NULL, NULL, NULL"_s, i);
            hours(c, w.t.maintenance, function, 4, QString::number(i), 5000);
        }
        w.state->policy.Charge = false;
        int totalUpdates = 0, priceStatements = 0;
        bool progressShown = false;
        // The totals of all 900 functions are one statement, their prices another: a slow first
        // one brings the bar up before the second.
        DbConnection::setStatementHook([&](const DbConnection&, const QString& sql) {
            if (sql.startsWith(u"UPDATE TFUNCTION SET NPRICE"_s)) {
                ++priceStatements;
                progressShown = progressVisible();
            } else if (sql.startsWith(u"UPDATE TFUNCTION SET NHTOTAL"_s)) {
                ++totalUpdates;
                QThread::msleep(700);
            }
        });
        RecalcFunctionPrices(*w.state, 0);
        DbConnection::setStatementHook(nullptr);
        QCOMPARE(totalUpdates, 1);
        QCOMPARE(priceStatements, 1);
        QVERIFY(progressShown);
        QVERIFY(!progressVisible()); // gone when done
        // Each function's hours (its NSORT) x 5,000, times 1.1 x 1.15 on the 重要 ones, less the discount.
        const QString right =
            u"NPROJECT = %1 AND NHTOTAL = NSORT AND NTOTAL = NHTOTAL * 5000 AND "
            u"NPRICE = ROUND(NTOTAL * CASE NIMP WHEN 3 THEN 1.265 ELSE 1 END) - NDISCOUNT"_s;
        QCOMPARE(rowCount(c, u"TFUNCTION"_s, right.arg(w.t.maintenance)), 900);
    }

    // The three panels under the policy switches. 販売管理: P 5,000,000, B 100,000, W 1,850,000,
    // I 160,000, O 250,000, D 130,000, E0 80,000, E1 120,000 (E2 999,000 counts nowhere); work
    // total 396,400 (the function on hold and the NULL price count nowhere). 450 hours occupied,
    // 30 indirect; 50 hours assigned to counted functions (not the 20 of the function on hold),
    // 52.5 typed per process.
    void panels_data()
    {
        addColumns<int, int, QString, QString>({"engine", "project", "switches", "panels"});
        const auto add = [](const char* name, int project, const char* switches, const char* panels) {
            for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
                QTest::addRow("%s/%s", e == Engine::SQLite ? "sqlite" : "postgresql", name)
                    << int(e) << project << QString::fromUtf8(switches) << QString::fromUtf8(panels);
            }
        };
        add("defaults", Sales, "", "370/420時間 2,470,000円 49.40％");
        add("indirect hours", Sales, "Hour=1 Indirect=0", "400/450時間 2,630,000円 52.60％");
        add("per process", Sales, "Charge=0 Expe0=0", "367.5/420時間 2,550,000円 51.00％");
        add("all switches off", Sales, "Work=0 Base=0 Opt=0 Deliv=0 Expe0=0 Expe1=0",
            "370/420時間 5,000,000円 100.00％");
        add("rate on work total", Sales, "Rate=1", "370/420時間 2,470,000円 623.11％");
        add("rate on outlay", Sales, "Rate=2", "370/420時間 2,470,000円 97.63％");
        add("outlay without indirect", Sales, "Rate=2 IndirectR=0", "370/420時間 2,470,000円 104.22％");
        add("outlay without labour", Sales, "Rate=2 WorkR=0 IndirectR=0", "370/420時間 2,470,000円 363.24％");
        add("outlay of customer expenses", Sales, "Rate=2 WorkR=0 BaseR=0 OptR=0 DelivR=0 Expe0R=0",
            "370/420時間 2,470,000円 2,058.33％");
        add("outlay all off", Sales, "Rate=2 WorkR=0 BaseR=0 OptR=0 DelivR=0 Expe0R=0 Expe1R=0",
            "370/420時間 2,470,000円 [計算不能]");
        add("other rate kind", Sales, "Rate=7", "370/420時間 2,470,000円 97.63％");
        add("loss with no contract price", Stock, "", "72/80時間 -370,000円 [計算不能]");
        add("overbooked", Billing, "", "-4.5/5.5時間 283,500円 94.50％");
        // 5.5 - 3.7 in binary is 1.7999999999999998.
        add("fractional hours", Billing, "BillingHours=3.7", "1.8/5.5時間 283,500円 94.50％");
        add("no members, no counted functions", Maintenance, "Rate=1", "0/0時間 800,000円 [計算不能]");
        add("nothing selected", None, "", "[未選択] [未選択] [未選択]");
        add("deleted project", Missing, "", "0/0時間 [未選択] [未選択]");
    }
    void panels()
    {
        FETCH_ENGINE();
        QFETCH(int, project);
        QFETCH(QString, switches);
        TreeWorld w(dbEngine);
        const int ids[] = {0, w.t.maintenance, w.t.sales, w.t.stock, w.t.billing, 999};
        w.state->CurProject = ids[project];
        for (const QString& s : switches.split(u' ', Qt::SkipEmptyParts)) {
            if (s.startsWith(u"BillingHours="_s)) {
                execArgs(*w.state->Conn, u"UPDATE TCHARGE SET NHOUR = %1 WHERE NPROJECT = %2"_s, s.mid(13),
                         w.t.billing);
            } else {
                StoreSetting(u"Policy"_s, s.section(u'=', 0, 0), s.section(u'=', 1));
            }
        }
        w.state->policy = LoadPolicy();
        QFETCH(QString, panels);
        const QStringList e = panels.split(u' ');
        const ProfitTexts texts = ProfitPanelTexts(*w.state);
        QCOMPARE((QStringList{RemainingHoursText(*w.state), texts.money, texts.rate}),
                 (QStringList{u"残工数："_s + e[0], u"純利益："_s + e[1], u"利益率："_s + e[2]}));
    }

    // 表示 → "最新の情報に更新" (F5) shows what another user, on a connection of its own, has
    // saved meanwhile: a new project in the tree, a changed function in the list, the panels; the
    // chosen project and function stay chosen. A chosen project another user deleted leaves
    // nothing chosen. The connection dropped before it is reopened unseen.
    void refreshShowsOthersWork_data() { addEngineRows(); }
    void refreshShowsOthersWork()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        f.open();
        QAction* refresh = f.action("mnuViewRefresh");
        QCOMPARE(refresh->text(), u"最新の情報に更新(&R)"_s);
        QCOMPARE(refresh->shortcut(), QKeySequence(Qt::Key_F5));
        QVERIFY(f.find<QMenu>("mnuView")->actions().contains(refresh));

        f.select(f.t.sales);
        f.list()->setCurrentItem(f.rowOf(f.t.closing));
        QCOMPARE(f.state->CurFunction, f.t.closing);
        const QStringList panels = f.panels();
        const std::unique_ptr<DbConnection> b = f.db->connect();
        const int added = insertProject(*b, f.t.head, u"新規案件"_s, 1, 0, 0, u"9"_s);
        execArgs(*b, u"UPDATE TFUNCTION SET CSFUNC = '受注入力B' WHERE NFUNCTION = %1"_s, f.t.order);
        execArgs(*b, u"UPDATE TMEMBER SET NMEMBOCCU = NMEMBOCCU + 100 WHERE NPROJECT = %1"_s, f.t.sales);
        QVERIFY(!f.node(added));

        DropConnection(*f.state->Conn);
        Messages::clearShown();
        f.trigger("mnuViewRefresh");
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(f.node(added));
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(ItemKey(f.tree()->currentItem()), u"P%1"_s.arg(f.t.sales));
        QVERIFY(f.titles().contains(u"受注入力B"_s));
        QCOMPARE(f.state->CurFunction, f.t.closing);
        QCOMPARE(ItemKey(f.list()->currentItem()), u"F%1"_s.arg(f.t.closing));
        QVERIFY(f.panels() != panels);

        f.select(f.t.stock);
        DeleteProjectRows(*b, f.t.stock, 0);
        f.trigger("mnuViewRefresh");
        QVERIFY(!f.node(f.t.stock));
        QCOMPARE(f.state->CurProject, 0);
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.panels(), kNothingSelected);
    }

private:
    static void cleanupEditors()
    {
        for (const Editor e : kAllEditors) {
            RegisterEditor(e, nullptr);
        }
    }
    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestWorkspace)
#include "test_workspace.moc"
