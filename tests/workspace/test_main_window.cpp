#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/help.h"
#include "foundation/project_rows.h"
#include "foundation/settings_store.h"
#include "gui_helpers.h"
#include "pricing/policy.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"
#include "workspace/price_recalc.h"

#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

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
    double price(int function) const
    {
        return scalar(*state->Conn, u"SELECT NPRICE AS V FROM TFUNCTION WHERE NFUNCTION = %1"_s.arg(function))
            .toDouble();
    }
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

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
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
    void treeAndList_data() { addEngineRows(); }
    void treeAndList()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        bool opened = false;
        RegisterEditor(Editor::Function, [&](AppState&, QWidget*) { opened = true; });
        f.open();
        // Ordered by NSORT, then id; root and top level open, deeper levels closed.
        QTreeWidgetItem* root = f.tree()->topLevelItem(0);
        QCOMPARE(root->text(0), u"ﾌﾟﾛｼﾞｪｸﾄ一覧"_s);
        QCOMPARE(childTexts(root), (QStringList{u"保守案件"_s, u"本社システム"_s}));
        QTreeWidgetItem* head = root->child(1);
        QCOMPARE(childTexts(head), (QStringList{u"在庫管理"_s, u"販売管理"_s}));
        QCOMPARE(childTexts(head->child(1)), QStringList{u"請求"_s});
        QVERIFY(root->isExpanded() && head->isExpanded() && !head->child(1)->isExpanded());
        QCOMPARE(f.label("lblTitle_1"), u"[未選択] 機能項目一覧： "_s);

        f.select(f.t.sales);
        QCOMPARE(f.state->CurPriKind, 1);
        QTreeWidget* list = f.list();
        QCOMPARE(rowTexts(list, 0, 1), (QStringList{u"×"_s, u"出荷指示"_s, u"改造"_s, u"普通"_s, u"普通"_s,
                                                    u"標準"_s, u"標準"_s, u"20"_s, u"93,500"_s}));
        QCOMPARE(rowTexts(list, 1, 1), (QStringList{QString(), u"受注入力"_s, u"新規"_s, u"重要"_s, u"普通"_s,
                                                    u"標準"_s, u"短期"_s, u"50"_s, u"401,400"_s}));
        QCOMPARE(rowTexts(list, 2, 8), (QStringList{u"0"_s, u"-5,000"_s}));
        QCOMPARE(rowTexts(list, 3, 8), (QStringList{QString(), QString()}));
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理 機能項目一覧： "_s);
        QCOMPARE(f.panels(),
                 (QStringList{u"残工数：370/420時間"_s, u"純利益：2,470,000円"_s, u"利益率：49.40％"_s}));

        // A loss stands out in red.
        const auto red = [&](const char* panel) {
            return f.find<QLabel>(panel)->styleSheet().contains(u"color"_s);
        };
        QVERIFY(!red("remMoney"));
        f.select(f.t.stock);
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        QCOMPARE(f.label("remMoney"), u"純利益：-370,000円"_s);
        QVERIFY(red("remMoney") && !red("remHour"));
        QCOMPARE(f.titles(), QStringList{u"在庫照会"_s});

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
        QCOMPARE(list->header()->sortIndicatorSection(), 8);
        // A width the user gave survives the reloads; the order holds for the next project too.
        QCOMPARE(list->columnWidth(2), 333);
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(f.titles().first(), u"帳票出力"_s);

        StatementLog log;
        log.failOn(u"FROM TFUNCTION WHERE NPROJECT"_s, true);
        clickHeader(list, 9);
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QVERIFY(Messages::last().text.startsWith(u"injected failure\nSELECT NFUNCTION, CVALID"_s));
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

    // A command refused before its editor opens: one message, and the editor stays shut. The
    // rows that set up masters start from the reference data alone.
    void refusals_data()
    {
        addColumns<QString, bool, bool, QString, QString, QString, int>(
            {"setup", "select", "charge", "command", "title", "text", "icon"});
        const QString project = u"プロジェクトが選択されていません。"_s;
        const QString masters = u"次のマスタを１つ以上登録しておく必要があります。\n"_s;
        const QString perProcess = u"「工程別単価で計算する」モードなので使用できません。"_s;
        const auto add = [](const char* name, const QString& setup, bool select, bool charge,
                            const char* command, const QString& title, const QString& text,
                            Messages::Icon icon) {
            QTest::newRow(name) << setup << select << charge << QString::fromLatin1(command) << title << text
                                << int(icon);
        };
        for (const char* command : {"PU", "mnuFuncNew", "FU", "mnuMembChg"}) {
            add(command, {}, false, true, command, u"未選択"_s, project, Messages::Information);
        }
        add("no function", {}, true, true, "mnuFuncUp", u"未選択"_s, u"機能項目が選択されていません。"_s,
            Messages::Information);
        // Per-process mode refuses the replacement before looking at the selection.
        add("per process", {}, false, false, "mnuMembChg", u"使用不可"_s, perProcess, Messages::Information);
        add("per process, selected", {}, true, false, "mnuMembChg", u"使用不可"_s, perProcess,
            Messages::Information);
        add("no customer", u"DELETE FROM MCUSTOMER"_s, false, true, "mnuProjNew", u"マスタ未登録"_s,
            masters + u"「顧客」"_s, Messages::Exclamation);
        add("no customer, no price kind", u"DELETE FROM MPRIPROG;DELETE FROM MPRIBASE"_s, false, true, "PN",
            u"マスタ未登録"_s, masters + u"「顧客」\n「作業費単価」"_s, Messages::Exclamation);
        add("no price kind",
            u"DELETE FROM MPRIPROG;DELETE FROM MPRIBASE;INSERT INTO MCUSTOMER (CCUSTNAME) VALUES ('c')"_s,
            false, true, "PN", u"マスタ未登録"_s, masters + u"「作業費単価」"_s, Messages::Exclamation);
        add("no language", u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME) VALUES (0, 'p');DELETE FROM MLANG"_s,
            true, true, "FN", u"マスタ未登録"_s, masters + u"「開発言語」"_s, Messages::Exclamation);
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
        QTEST(int(Messages::last().icon), "icon");
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
        QCOMPARE(f.list()->topLevelItemCount(), 4);

        save = [](AppState& s) {
            s.CurProject = insertProject(*s.Conn, s.ProposedParent, u"新規案件"_s, 1, 0, 0, u"NULL"_s);
        };
        f.trigger("mnuProjNew");
        QCOMPARE(childTexts(f.node(f.t.sales)), (QStringList{u"請求"_s, u"新規案件"_s}));
        QCOMPARE(f.tree()->currentItem(), f.node(f.state->CurProject));
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理 - 新規案件 機能項目一覧： "_s);
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
        QCOMPARE(list->topLevelItemCount(), 4);

        // A new function goes to the end whatever the order, until the next full reload.
        save = [](AppState& s) {
            s.CurFunction = insertFunction(*s.Conn, s.CurProject, u"'1'"_s, u"1, 2, 2, 2, 2"_s, u"追加機能"_s,
                                           u"0"_s, u"10, 75000, 75000"_s, 0);
            assign(*s.Conn, s.CurProject, s.CurFunction, 3, 1, 2, u"10"_s);
        };
        f.trigger("mnuFuncNew");
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(list->currentItem(), list->topLevelItem(4));
        QCOMPARE(list->currentItem()->text(2), u"追加機能"_s);
        QCOMPARE(f.label("remHour"), u"残工数：360/420時間"_s);
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(list->topLevelItem(0)->text(2), u"追加機能"_s);

        // An update rewrites the row where it is; Enter opens the current row.
        save = [](AppState& s) {
            execArgs(
                *s.Conn,
                u"UPDATE TFUNCTION SET CSFUNC = '受注入力（改）', NPRICE = 500000 WHERE NFUNCTION = %1"_s,
                s.CurFunction);
        };
        const int index = list->indexOfTopLevelItem(f.rowOf(f.t.order));
        list->setCurrentItem(f.rowOf(f.t.order));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(seen, (QList<int>{f.t.order, 1}));
        QCOMPARE(rowTexts(list, index, 8), (QStringList{u"50"_s, u"500,000"_s}));
        QCOMPARE(list->topLevelItem(index)->text(2), u"受注入力（改）"_s);
        QCOMPARE(list->topLevelItemCount(), 5);

        // A double click opens the function of that row; a deleted function's row goes.
        save = [&](AppState& s) { deleteRows(s, s.CurFunction); };
        const QPoint cell(list->columnViewportPosition(2) + 10,
                          list->visualItemRect(f.rowOf(f.t.closing)).center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(seen, (QList<int>{f.t.closing, 1}));
        QVERIFY(!f.rowOf(f.t.closing));
        QCOMPARE(list->topLevelItemCount(), 4);
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
        QCOMPARE(f.price(f.t.inquiry), 1.0);
        change = true;
        f.trigger("mnuPriUp");
        QVERIFY(!f.state->Updated);
        // (10 x 10,000 + 30 x 6,000 + 10 x 7,500) x 1.21 - 10,000
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"419,550"_s);
        QCOMPARE(f.price(f.t.inquiry), 72000.0);

        stale(f.t.billing);
        f.trigger("mnuMembChg");
        // 受注入力: the 30 PG hours now SE hours at 7,500.
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"474,000"_s);
        QCOMPARE(f.rowOf(f.t.shipping)->text(9), u"127,500"_s);
        QCOMPARE(f.price(f.t.invoice), 1.0);

        triggerWithModal(f.window.get(), u"mnuPolicy"_s, [](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), u"frmPolicy"_s);
            control<QComboBox>(dialog, u"cmbCharge"_s)->setCurrentIndex(1);
            clickButton(dialog, u"cmdOK"_s);
        });
        QCOMPARE(rowTexts(f.list(), 1, 8), (QStringList{u"53"_s, u"416,525"_s}));
        QCOMPARE(f.price(f.t.invoice), 64000.0);
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

    // The documented names and captions of the window, its menus, tool bar and list. Each command
    // opens its own editor over the main window; without it the command is greyed out and does
    // nothing.
    void captionsAndCommands()
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
        QStringList shown{f.window->objectName(), f.window->windowTitle(), f.label("lblTitle_0")};
        for (QAction* menu : f.window->menuBar()->actions()) {
            shown << menu->text() + u":"_s;
            for (QAction* a : menu->menu()->actions()) {
                shown << (a->isSeparator() ? u"-"_s : a->objectName() + u"="_s + a->text());
            }
        }
        for (QAction* a : f.find<QToolBar>("tbToolBar")->actions()) {
            shown << (a->isSeparator() ? u"|"_s : a->objectName());
        }
        for (int c = 0; c < f.list()->columnCount(); ++c) {
            shown << f.list()->headerItem()->text(c);
        }
        QCOMPARE(shown.join(u' '),
                 u"frmMain VORNA プロジェクト一覧 "
                 u"ﾌｧｲﾙ(&F): mnuDbConn=DB設定(&D)... - mnuFileClose=VORNAの終了(&X) "
                 u"表示(&V): mnuViewToolbar=ﾂｰﾙ ﾊﾞｰ(&T) mnuViewStatusBar=ｽﾃｰﾀｽ ﾊﾞｰ(&B) "
                 u"機能項目(&F): mnuFuncNew=新しい機能項目(&N)... mnuFuncUp=機能項目の編集(&U)... "
                 u"ﾌﾟﾛｼﾞｪｸﾄ(&P): mnuProjNew=新しいﾌﾟﾛｼﾞｪｸﾄ(&N)... mnuProjUp=ﾌﾟﾛｼﾞｪｸﾄの編集(&U)... "
                 u"マスタ(&M): mnuCustUp=顧客の編集(&U)... mnuPriUp=作業費単価の編集(&K)... "
                 u"mnuLangUp=開発言語の編集(&L)... - mnuMembUp=作業メンバ名の編集(&M)... "
                 u"mnuExpUp=経費項目名の編集(&E)... - mnuPolicy=ポリシー(&P)... "
                 u"ﾂｰﾙ(&T): mnuMembChg=メンバ入替え(&C)... "
                 u"ﾍﾙﾌﾟ(&H): mnuHelpContents=目次(&C) - mnuOpenHP=ﾎｰﾑﾍﾟｰｼﾞを開く(&H) - "
                 u"mnuHelpAbout=VORNAについて(&A)... "
                 u"PN PU | FN FU NFUNCTION 保 機能表題 改新 重度 難度 安全 期間 総工数(H) 価格(円)"_s);
        // Each pane offers its own commands on its context menu.
        QCOMPARE(f.tree()->actions(), (QList<QAction*>{f.action("mnuProjNew"), f.action("mnuProjUp")}));
        QCOMPARE(f.list()->actions(), (QList<QAction*>{f.action("mnuFuncNew"), f.action("mnuFuncUp")}));
        QVERIFY(QRegularExpression(u"^\\d{4}/\\d{2}/\\d{2}$"_s).match(f.label("sbDate")).hasMatch());
        QVERIFY(QRegularExpression(u"^\\d{2}:\\d{2}$"_s).match(f.label("sbTime")).hasMatch());
        f.select(f.t.sales);
        for (const auto& [name, editor] : commands) {
            QVERIFY2(!f.action(name)->isEnabled(), name);
            f.trigger(name);
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(f.list()->topLevelItemCount(), 4);
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
            SaveSetting(u"VORNA"_s, u"Settings"_s, QString::fromLatin1(keys[i]),
                        QString::fromLatin1(twips[i]));
        }
        const auto placement = [&] {
            QStringList stored;
            for (const char* key : keys) {
                stored << GetSetting(u"VORNA"_s, u"Settings"_s, QString::fromLatin1(key));
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
            f.trigger("mnuViewToolbar");
            f.trigger("mnuViewStatusBar");
            QVERIFY(bar->isVisible() && status->isVisible());
            QTRY_COMPARE(f.tree()->height(), treeHeight);

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
        SaveSetting(u"VORNA"_s, u"Settings"_s, u"MainWidth"_s, u"1000"_s);
        Fixture f;
        QCOMPARE(f.open().width(), 200);
    }

    // Without its pages the help says so; the help folder of the build holds the contents page,
    // which links every window's page, and F1 opens the page of the window.
    void help()
    {
        Fixture f;
        QTemporaryDir empty;
        Help::setFolder(empty.path());
        QList<QUrl> opened;
        Help::setOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        f.open();
        Help::install(*qApp);
        const QString missing =
            u"ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"_s;
        f.trigger("mnuHelpContents");
        COMPARE_LAST_MESSAGE(u"VORNA"_s, missing, Messages::Information);
        Messages::clearShown();
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(Messages::last().text, missing);
        QVERIFY(opened.isEmpty());

        const QDir help(QCoreApplication::applicationDirPath() + u"/help"_s);
        QFile index(help.filePath(u"index.html"_s));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(index.readAll());
        for (const int topic :
             {6, 10, 14, 16, 18, 20, 22, 26, 28, 30, 34, 36, 38, 40, 42, 44, 50, 52, 54, 56, 58, 60, 66}) {
            const QString page = u"%1.html"_s.arg(topic);
            QVERIFY2(text.contains(u"href=\""_s + page + u"\""_s) && help.exists(page), qPrintable(page));
        }
        Help::setFolder(help.path());
        Messages::clearShown();
        f.trigger("mnuHelpContents");
        f.trigger("mnuOpenHP");
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QVERIFY(Messages::shown().isEmpty());
        const QUrl contents = QUrl::fromLocalFile(index.fileName());
        QCOMPARE(opened, (QList<QUrl>{contents, contents, QUrl::fromLocalFile(help.filePath(u"10.html"_s))}));
    }

    void unreadablePolicyStopsTheStart()
    {
        Fixture f;
        SaveSetting(u"VORNA"_s, u"Policy"_s, u"Rate"_s, u"abc"_s);
        QVERIFY_THROWS_EXCEPTION(PolicyError, f.open());
    }

private:
    static void cleanupEditors()
    {
        for (const Editor e : kAllEditors) {
            RegisterEditor(e, nullptr);
        }
    }
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
