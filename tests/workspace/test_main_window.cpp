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

void unregisterAll()
{
    for (const Editor e : kAllEditors) {
        RegisterEditor(e, nullptr);
    }
}

void storePlacement(const char* key, const char* twips)
{
    SaveSetting(u"VORNA"_s, u"Settings"_s, QString::fromLatin1(key), QString::fromLatin1(twips));
}

QString storedPlacement(const char* key)
{
    return GetSetting(u"VORNA"_s, u"Settings"_s, QString::fromLatin1(key));
}

// A window over the small tree, built after the test has registered its editors.
struct Fixture {
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    SmallTree t;
    std::unique_ptr<MainWindow> window;

    explicit Fixture(Engine engine = Engine::SQLite, bool withTree = true)
        : db(TestDatabase::create(engine)), state(db->makeState())
    {
        if (withTree) {
            t = SmallTree::build(*state->Conn);
        }
    }
    MainWindow& open(bool shown = false)
    {
        window = std::make_unique<MainWindow>(*state);
        if (shown) {
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get())) {
                qFatal("main window not shown");
            }
        }
        return *window;
    }
    QTreeWidget* tree() const { return control<QTreeWidget>(window.get(), u"tvwPList"_s); }
    QTreeWidget* list() const { return control<QTreeWidget>(window.get(), u"lvwFList"_s); }
    QString label(const char* name) const { return controlText(window.get(), QString::fromLatin1(name)); }
    QAction* action(const char* name) const
    {
        return control<QAction>(window.get(), QString::fromLatin1(name));
    }
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
    QTreeWidgetItem* rowOf(int function) const
    {
        return FindItemByKey(list(), u"F"_s + QString::number(function));
    }
    double price(int function) const
    {
        return scalar(*state->Conn,
                      u"SELECT NPRICE AS V FROM TFUNCTION WHERE NFUNCTION = "_s + QString::number(function))
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
        unregisterAll();
    }
    void cleanup()
    {
        unregisterAll();
        Help::setFolder(QString());
        m_env.reset();
    }

    void treeAndList_data() { addEngineRows(); }
    void treeAndList()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        f.open();
        QCOMPARE(f.window->objectName(), u"frmMain"_s);
        QCOMPARE(f.window->windowTitle(), u"VORNA"_s);
        QCOMPARE(f.tree()->topLevelItemCount(), 1);
        QTreeWidgetItem* root = f.tree()->topLevelItem(0);
        QCOMPARE(root->text(0), u"ﾌﾟﾛｼﾞｪｸﾄ一覧"_s);
        QCOMPARE(ItemKey(root), u"ROOT"_s);
        // Ordered by NSORT, then id; root and top level open, deeper levels closed.
        QVERIFY(root->isExpanded());
        QCOMPARE(childTexts(root), (QStringList{u"保守案件"_s, u"本社システム"_s}));
        QTreeWidgetItem* head = root->child(1);
        QCOMPARE(ItemKey(head), u"P%1"_s.arg(f.t.head));
        QVERIFY(head->isExpanded());
        QCOMPARE(childTexts(head), (QStringList{u"在庫管理"_s, u"販売管理"_s}));
        QVERIFY(!head->child(1)->isExpanded());
        QCOMPARE(childTexts(head->child(1)), QStringList{u"請求"_s});
        QCOMPARE(f.label("lblTitle_0"), u"プロジェクト一覧"_s);
        QCOMPARE(f.label("lblTitle_1"), u"[未選択] 機能項目一覧： "_s);
        QCOMPARE(f.panels(), kNothingSelected);

        f.select(f.t.sales);
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(f.state->CurPriKind, 1);
        QTreeWidget* list = f.list();
        QVERIFY(list->isColumnHidden(0));
        QStringList headings;
        for (int c = 0; c < list->columnCount(); ++c) {
            headings << list->headerItem()->text(c);
        }
        QCOMPARE(headings, (QStringList{u"NFUNCTION"_s, u"保"_s, u"機能表題"_s, u"改新"_s, u"重度"_s,
                                        u"難度"_s, u"安全"_s, u"期間"_s, u"総工数(H)"_s, u"価格(円)"_s}));
        QCOMPARE(rowTexts(list, 0, 1), (QStringList{u"×"_s, u"出荷指示"_s, u"改造"_s, u"普通"_s, u"普通"_s,
                                                    u"標準"_s, u"標準"_s, u"20"_s, u"93,500"_s}));
        QCOMPARE(rowTexts(list, 1, 1), (QStringList{QString(), u"受注入力"_s, u"新規"_s, u"重要"_s, u"普通"_s,
                                                    u"標準"_s, u"短期"_s, u"50"_s, u"401,400"_s}));
        QCOMPARE(rowTexts(list, 2, 8), (QStringList{u"0"_s, u"-5,000"_s}));
        QCOMPARE(rowTexts(list, 3, 8), (QStringList{QString(), QString()}));
        QCOMPARE(ItemKey(list->topLevelItem(1)), u"F%1"_s.arg(f.t.order));
        QVERIFY(list->topLevelItem(1)->textAlignment(9) & Qt::AlignRight);
        QVERIFY(list->topLevelItem(0)->textAlignment(1) & Qt::AlignHCenter);
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理 機能項目一覧： "_s);
        QCOMPARE(f.panels(),
                 (QStringList{u"残工数：370/420時間"_s, u"純利益：2,470,000円"_s, u"利益率：49.40％"_s}));

        // A loss stands out in red.
        const auto red = [&](const char* panel) {
            return control<QLabel>(f.window.get(), QString::fromLatin1(panel))
                ->styleSheet()
                .contains(u"color"_s);
        };
        QVERIFY(!red("remMoney"));
        f.select(f.t.stock);
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        QCOMPARE(f.label("remMoney"), u"純利益：-370,000円"_s);
        QVERIFY(red("remMoney"));
        QVERIFY(!red("remHour"));
        QCOMPARE(f.titles(), QStringList{u"在庫照会"_s});

        f.tree()->setCurrentItem(root);
        QCOMPARE(f.state->CurProject, 0);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(f.panels(), kNothingSelected);
    }

    void sortingToggles_data() { addEngineRows(); }
    void sortingToggles()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        f.open(true);
        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        list->setColumnWidth(2, 333);
        const QStringList byPrice = {u"帳票出力"_s, u"請求締め"_s, u"出荷指示"_s, u"受注入力"_s};
        clickHeader(list, 9);
        QCOMPARE(f.titles(), byPrice);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(list, 9);
        QStringList reversed = byPrice;
        std::reverse(reversed.begin(), reversed.end());
        QCOMPARE(f.titles(), reversed);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        // Another column sorts ascending again.
        clickHeader(list, 8);
        QCOMPARE(f.titles(), byPrice);
        QCOMPARE(list->header()->sortIndicatorSection(), 8);
        // A width the user gave survives the reloads; the order holds for the next project too.
        QCOMPARE(list->columnWidth(2), 333);
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(f.titles().first(), u"帳票出力"_s);
    }

    void newProjectUnderTheSelection()
    {
        Fixture f;
        int seenProject = -1, seenMode = -1, seenParent = -1;
        bool save = false;
        RegisterEditor(Editor::Project, [&](AppState& s, QWidget*) {
            seenProject = s.CurProject;
            seenMode = s.EditMode;
            seenParent = s.ProposedParent;
            if (save) {
                ExecSql(*s.Conn,
                        u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, "
                        u"NBASE, NPRICE) VALUES (%1, '新規案件', 1, 1, 1, 0, 0)"_s.arg(s.ProposedParent));
                s.CurProject = GetIdentity(*s.Conn, u"TPROJECT"_s);
                s.Updated = true;
            }
        });
        f.open();
        f.select(f.t.sales);
        // Cancelled: the selection comes back and nothing reloads.
        f.trigger("PN");
        QCOMPARE(seenProject, 0);
        QCOMPARE(seenMode, 0);
        QCOMPARE(seenParent, f.t.sales);
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(f.list()->topLevelItemCount(), 4);

        save = true;
        f.trigger("mnuProjNew");
        const int created = f.state->CurProject;
        QVERIFY(created != f.t.sales && created != 0);
        QTreeWidgetItem* node = f.node(created);
        QVERIFY(node);
        QCOMPARE(node->text(0), u"新規案件"_s);
        QCOMPARE(ItemKey(node->parent()), u"P%1"_s.arg(f.t.sales));
        QCOMPARE(f.tree()->currentItem(), node);
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理 - 新規案件 機能項目一覧： "_s);
        QCOMPARE(f.panels(), (QStringList{u"残工数：0/0時間"_s, u"純利益：0円"_s, u"利益率：[計算不能]"_s}));
        QVERIFY(!f.state->Updated);
    }

    void missingMastersAreNamed()
    {
        Fixture f(Engine::SQLite, false);
        bool opened = false;
        RegisterEditor(Editor::Project, [&](AppState&, QWidget*) { opened = true; });
        RegisterEditor(Editor::Function, [&](AppState&, QWidget*) { opened = true; });
        f.open();
        // An empty database shows the root alone.
        QCOMPARE(f.tree()->topLevelItemCount(), 1);
        QCOMPARE(f.tree()->topLevelItem(0)->childCount(), 0);
        const QString lead = u"次のマスタを１つ以上登録しておく必要があります。\n"_s;
        f.trigger("mnuProjNew");
        COMPARE_LAST_MESSAGE(u"マスタ未登録"_s, lead + u"「顧客」"_s, Messages::Exclamation);
        DbConnection& c = *f.state->Conn;
        ExecSql(c, u"DELETE FROM MPRIPROG"_s);
        ExecSql(c, u"DELETE FROM MPRIBASE"_s);
        f.trigger("PN");
        QCOMPARE(Messages::last().text, lead + u"「顧客」\n「作業費単価」"_s);
        ExecSql(c, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('c', '', 1)"_s);
        f.trigger("PN");
        QCOMPARE(Messages::last().text, lead + u"「作業費単価」"_s);
        ExecSql(c, u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME) VALUES (0, 'p')"_s);
        const int project = GetIdentity(c, u"TPROJECT"_s);
        ExecSql(c, u"DELETE FROM MLANG"_s);
        f.window->BuildProjectTree();
        f.select(project);
        f.trigger("FN");
        QCOMPARE(Messages::last().text, lead + u"「開発言語」"_s);
        QCOMPARE(Messages::shown().size(), 4);
        QVERIFY(!opened);
    }

    void nothingSelected()
    {
        Fixture f;
        bool opened = false;
        for (const Editor e : {Editor::Project, Editor::Function, Editor::MemberReplacement}) {
            RegisterEditor(e, [&](AppState&, QWidget*) { opened = true; });
        }
        f.open();
        for (const char* command : {"PU", "mnuFuncNew", "FU", "mnuMembChg"}) {
            Messages::clearShown();
            f.trigger(command);
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"未選択"_s, u"プロジェクトが選択されていません。"_s, Messages::Information);
        }
        // Per-process mode refuses the replacement before looking at the selection.
        f.state->policy.Charge = false;
        f.trigger("mnuMembChg");
        QCOMPARE(Messages::last().title, u"使用不可"_s);
        QCOMPARE(Messages::last().text, u"「工程別単価で計算する」モードなので使用できません。"_s);
        f.select(f.t.sales);
        f.trigger("mnuMembChg");
        QCOMPARE(Messages::last().title, u"使用不可"_s);
        f.list()->clearSelection();
        f.trigger("mnuFuncUp");
        QCOMPARE(Messages::last().text, u"機能項目が選択されていません。"_s);
        QVERIFY(!opened);
    }

    // A rename together with a price-kind change reaches both the list and the tree.
    void projectEditorReloads()
    {
        Fixture f;
        int seenMode = -1;
        RegisterEditor(Editor::Project, [&](AppState& s, QWidget* parent) {
            seenMode = s.EditMode;
            ExecSql(*s.Conn,
                    u"UPDATE TPROJECT SET CPROJNAME = '販売管理システム', NPRIKIND = %1 WHERE NPROJECT = %2"_s
                        .arg(f.t.priceKind2)
                        .arg(s.CurProject));
            RecalcFunctionPrices(s, s.CurProject, parent);
            s.PricesChanged = true;
            s.Updated = true;
        });
        f.open();
        f.select(f.t.sales);
        f.trigger("PU");
        QCOMPARE(seenMode, 1);
        // 受注入力 under kind 2: (10 x 12,000 + 30 x 7,000 + 10 x 9,000) x 1.21 - 10,000.
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"498,200"_s);
        QCOMPARE(f.node(f.t.sales)->text(0), u"販売管理システム"_s);
        QCOMPARE(f.tree()->currentItem(), f.node(f.t.sales));
        QCOMPARE(f.label("lblTitle_1"), u"本社システム - 販売管理システム 機能項目一覧： "_s);
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        QVERIFY(!f.state->Updated);
        QVERIFY(!f.state->PricesChanged);
    }

    // Whether or not the editor clears CurProject itself.
    void deletedProjectLeavesNothingSelected_data()
    {
        QTest::addColumn<bool>("editorClears");
        QTest::newRow("editor clears") << true;
        QTest::newRow("editor keeps") << false;
    }
    void deletedProjectLeavesNothingSelected()
    {
        QFETCH(bool, editorClears);
        Fixture f;
        RegisterEditor(Editor::Project, [&](AppState& s, QWidget*) {
            Transaction transaction(*s.Conn);
            DeleteProjectRows(*s.Conn, s.CurProject, 0);
            transaction.commit();
            if (editorClears) {
                s.CurProject = 0;
            }
            s.Updated = true;
        });
        f.open();
        f.select(f.t.billing);
        QCOMPARE(f.list()->topLevelItemCount(), 1);
        f.trigger("mnuProjUp");
        QCOMPARE(f.state->CurProject, 0);
        QVERIFY(!f.node(f.t.billing));
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.label("lblTitle_1"), u"[未選択] 機能項目一覧： "_s);
        QCOMPARE(f.panels(), kNothingSelected);
        QVERIFY(Messages::shown().isEmpty());
    }

    void functionEditorRefreshesOneRow()
    {
        Fixture f;
        enum Action { Cancel, Insert, Update, Delete } action = Cancel;
        int seenFunction = -1, seenMode = -1;
        RegisterEditor(Editor::Function, [&](AppState& s, QWidget*) {
            seenFunction = s.CurFunction;
            seenMode = s.FuncEditMode;
            DbConnection& c = *s.Conn;
            if (action == Cancel) {
                return;
            }
            if (action == Insert) {
                ExecSql(
                    c,
                    u"INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, "
                    u"CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE, NSORT) VALUES (%1, '1', 1, 2, 2, 2, 2, 1, "
                    u"'追加機能', '', 0, 10, 75000, 75000, 0)"_s.arg(s.CurProject));
                s.CurFunction = GetIdentity(c, u"TFUNCTION"_s);
                ExecSql(c, u"INSERT INTO TCHARGE VALUES (%1, %2, 3, 1, 2, 10)"_s.arg(s.CurProject)
                               .arg(s.CurFunction));
            } else if (action == Update) {
                ExecSql(
                    c,
                    u"UPDATE TFUNCTION SET CSFUNC = '受注入力（改）', NPRICE = 500000 WHERE NFUNCTION = "_s +
                        QString::number(s.CurFunction));
            } else {
                Transaction transaction(c);
                DeleteProjectRows(c, s.CurProject, s.CurFunction);
                transaction.commit();
            }
            s.Updated = true;
        });
        f.open(true);
        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        list->setCurrentItem(f.rowOf(f.t.closing));
        f.trigger("FN");
        QCOMPARE(seenFunction, 0);
        QCOMPARE(seenMode, 0);
        QCOMPARE(f.state->CurFunction, f.t.closing);
        QCOMPARE(list->topLevelItemCount(), 4);

        // A new function goes to the end whatever the order, until the next full reload.
        action = Insert;
        f.trigger("mnuFuncNew");
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(list->topLevelItem(4)->text(2), u"追加機能"_s);
        QCOMPARE(ItemKey(list->topLevelItem(4)), u"F%1"_s.arg(f.state->CurFunction));
        QCOMPARE(list->currentItem(), list->topLevelItem(4));
        QCOMPARE(f.label("remHour"), u"残工数：360/420時間"_s);
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(list->topLevelItem(0)->text(2), u"追加機能"_s);

        // An update rewrites the row where it is; Enter opens the current row.
        action = Update;
        const int index = list->indexOfTopLevelItem(f.rowOf(f.t.order));
        list->setCurrentItem(f.rowOf(f.t.order));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(seenFunction, f.t.order);
        QCOMPARE(seenMode, 1);
        QCOMPARE(list->indexOfTopLevelItem(f.rowOf(f.t.order)), index);
        QCOMPARE(f.rowOf(f.t.order)->text(2), u"受注入力（改）"_s);
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"500,000"_s);
        QCOMPARE(list->topLevelItemCount(), 5);

        // A double click opens the function of that row; a deleted function's row goes.
        action = Delete;
        const QPoint cell(list->columnViewportPosition(2) + 10,
                          list->visualItemRect(f.rowOf(f.t.closing)).center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(seenFunction, f.t.closing);
        QVERIFY(!f.rowOf(f.t.closing));
        QCOMPARE(list->topLevelItemCount(), 4);
    }

    void priceKindChangeRecalculatesAll_data() { addEngineRows(); }
    void priceKindChangeRecalculatesAll()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        bool change = false;
        RegisterEditor(Editor::PriceKinds, [&](AppState& s, QWidget*) {
            if (change) {
                ExecSql(
                    *s.Conn,
                    u"UPDATE MPRIPROG SET NDPRI = 6000 WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 4"_s);
                s.Updated = true;
            }
        });
        f.open();
        f.select(f.t.sales);
        ExecSql(*f.state->Conn, u"UPDATE TFUNCTION SET NPRICE = 1 WHERE NPROJECT = %1"_s.arg(f.t.stock));
        f.trigger("mnuPriUp");
        QCOMPARE(f.price(f.t.inquiry), 1.0);
        change = true;
        f.trigger("mnuPriUp");
        QVERIFY(!f.state->Updated);
        // (10 x 10,000 + 30 x 6,000 + 10 x 7,500) x 1.21 - 10,000
        QCOMPARE(f.price(f.t.order), 419550.0);
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"419,550"_s);
        QCOMPARE(f.price(f.t.inquiry), 72000.0);
        QVERIFY(Messages::shown().isEmpty());
    }

    // With the program's own policy dialog: per-process prices reprice every function; another
    // switch only refreshes the figures.
    void policyDialogSwitchesCharge()
    {
        Fixture f;
        RegisterAllEditors();
        f.open();
        f.select(f.t.sales);
        triggerWithModal(f.window.get(), u"mnuPolicy"_s, [](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), u"frmPolicy"_s);
            control<QComboBox>(dialog, u"cmbCharge"_s)->setCurrentIndex(1);
            clickButton(dialog, u"cmdOK"_s);
        });
        QVERIFY(!f.state->policy.Charge);
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"416,525"_s);
        QCOMPARE(f.rowOf(f.t.order)->text(8), u"53"_s);
        QCOMPARE(f.price(f.t.invoice), 64000.0);
        QCOMPARE(f.label("remHour"), u"残工数：367.5/420時間"_s);

        StatementLog log;
        triggerWithModal(f.window.get(), u"mnuPolicy"_s, [](QWidget* dialog) {
            control<QCheckBox>(dialog, u"chkHour"_s)->setChecked(true);
            clickButton(dialog, u"cmdOK"_s);
        });
        QVERIFY(f.state->policy.Hour);
        QVERIFY(log.statements().filter(QRegularExpression(u"^UPDATE"_s)).isEmpty());
        QCOMPARE(f.label("remHour"), u"残工数：397.5/450時間"_s);
    }

    void memberReplacementRecalculatesTheProject()
    {
        Fixture f;
        RegisterEditor(Editor::MemberReplacement, [&](AppState& s, QWidget*) {
            ExecSql(*s.Conn, u"UPDATE TCHARGE SET NMEMBER = 2 WHERE NPROJECT = %1 AND NMEMBER = 3"_s.arg(
                                 s.CurProject));
            s.Updated = true;
        });
        f.open();
        f.select(f.t.sales);
        f.trigger("mnuMembChg");
        QVERIFY(!f.state->Updated);
        // 受注入力: the 30 PG hours now SE hours at 7,500; another project untouched.
        QCOMPARE(f.rowOf(f.t.order)->text(9), u"474,000"_s);
        QCOMPARE(f.rowOf(f.t.shipping)->text(9), u"127,500"_s);
        QCOMPARE(f.price(f.t.invoice), 69000.0);
    }

    // Each command opens its own editor over the main window; without it the command is greyed
    // out and does nothing.
    void commandsOpenTheirEditors()
    {
        const char* names[] = {"FU",        "mnuFuncNew", "mnuDbConn",    "mnuCustUp", "mnuLangUp",
                               "mnuMembUp", "mnuExpUp",   "mnuHelpAbout", "mnuPriUp",  "mnuPolicy",
                               "PU",        "PN",         "mnuMembChg"};
        const Editor editors[] = {Editor::Function,
                                  Editor::Function,
                                  Editor::ConnectionSettings,
                                  Editor::Customers,
                                  Editor::Languages,
                                  Editor::Members,
                                  Editor::Items,
                                  Editor::About,
                                  Editor::PriceKinds,
                                  Editor::Policy,
                                  Editor::Project,
                                  Editor::Project,
                                  Editor::MemberReplacement};
        Fixture f;
        f.open();
        f.select(f.t.sales);
        for (const char* name : names) {
            QVERIFY2(!f.action(name)->isEnabled(), name);
            f.trigger(name);
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(f.list()->topLevelItemCount(), 4);
        QVERIFY(f.action("mnuHelpContents")->isEnabled());
        QVERIFY(f.action("mnuFileClose")->isEnabled());

        QList<int> opened;
        for (const Editor e : kAllEditors) {
            RegisterEditor(e, [&opened, e](AppState&, QWidget* parent) {
                QVERIFY(parent && parent->objectName() == u"frmMain"_s);
                opened << int(e);
            });
        }
        f.open();
        f.select(f.t.head);
        f.select(f.t.sales);
        f.list()->setCurrentItem(f.list()->topLevelItem(0));
        for (int i = 0; i < 13; ++i) {
            opened.clear();
            f.trigger(names[i]);
            QVERIFY2(opened == QList<int>{int(editors[i])}, names[i]);
        }
        QVERIFY(Messages::shown().isEmpty());
    }

    void menusToolbarAndPanels()
    {
        Fixture f;
        f.open();
        QStringList menus;
        for (QAction* menu : f.window->menuBar()->actions()) {
            menus << menu->text() + u":"_s;
            for (QAction* a : menu->menu()->actions()) {
                menus << (a->isSeparator() ? u"-"_s : a->objectName() + u"="_s + a->text());
            }
        }
        QCOMPARE(menus.join(u' '),
                 u"ﾌｧｲﾙ(&F): mnuDbConn=DB設定(&D)... - mnuFileClose=VORNAの終了(&X) "
                 u"表示(&V): mnuViewToolbar=ﾂｰﾙ ﾊﾞｰ(&T) mnuViewStatusBar=ｽﾃｰﾀｽ ﾊﾞｰ(&B) "
                 u"機能項目(&F): mnuFuncNew=新しい機能項目(&N)... mnuFuncUp=機能項目の編集(&U)... "
                 u"ﾌﾟﾛｼﾞｪｸﾄ(&P): mnuProjNew=新しいﾌﾟﾛｼﾞｪｸﾄ(&N)... mnuProjUp=ﾌﾟﾛｼﾞｪｸﾄの編集(&U)... "
                 u"マスタ(&M): mnuCustUp=顧客の編集(&U)... mnuPriUp=作業費単価の編集(&K)... "
                 u"mnuLangUp=開発言語の編集(&L)... - mnuMembUp=作業メンバ名の編集(&M)... "
                 u"mnuExpUp=経費項目名の編集(&E)... - mnuPolicy=ポリシー(&P)... "
                 u"ﾂｰﾙ(&T): mnuMembChg=メンバ入替え(&C)... "
                 u"ﾍﾙﾌﾟ(&H): mnuHelpContents=目次(&C) - mnuOpenHP=ﾎｰﾑﾍﾟｰｼﾞを開く(&H) - "
                 u"mnuHelpAbout=VORNAについて(&A)..."_s);
        QStringList buttons;
        for (QAction* a : control<QToolBar>(f.window.get(), u"tbToolBar"_s)->actions()) {
            if (!a->isSeparator()) {
                buttons << a->objectName() + u"="_s + a->toolTip();
            }
        }
        QCOMPARE(buttons, (QStringList{u"PN=プロジェクトの新規作成"_s, u"PU=プロジェクトの更新"_s,
                                       u"FN=機能項目の新規追加"_s, u"FU=機能項目の更新"_s}));
        // Each pane offers its own commands on its context menu.
        QCOMPARE(f.tree()->actions(), (QList<QAction*>{f.action("mnuProjNew"), f.action("mnuProjUp")}));
        QCOMPARE(f.list()->actions(), (QList<QAction*>{f.action("mnuFuncNew"), f.action("mnuFuncUp")}));
        const auto tip = [&](const char* name) {
            return control<QLabel>(f.window.get(), QString::fromLatin1(name))->toolTip();
        };
        QCOMPARE(tip("remHour"), u"メンバ占有工数-機能別見積工数合計"_s);
        QCOMPARE(tip("remMoney"), u"受注金額-（経費計+契約ｵﾌﾟｼｮﾝ+ﾒﾝﾊﾞ占有時間*費用)"_s);
        QCOMPARE(tip("remRate"), u"純利益*100/(受注金額-（経費計+契約ｵﾌﾟｼｮﾝ))"_s);
        QVERIFY(QRegularExpression(u"^\\d{4}/\\d{2}/\\d{2}$"_s).match(f.label("sbDate")).hasMatch());
        QVERIFY(QRegularExpression(u"^\\d{2}:\\d{2}$"_s).match(f.label("sbTime")).hasMatch());
    }

    void toolbarAndStatusBarToggle()
    {
        Fixture f;
        f.open(true);
        auto* bar = control<QToolBar>(f.window.get(), u"tbToolBar"_s);
        QStatusBar* status = f.window->statusBar();
        QCOMPARE(status->objectName(), u"sbStatusBar"_s);
        const int treeHeight = f.tree()->height();
        f.trigger("mnuViewToolbar");
        QVERIFY(!bar->isVisible());
        QVERIFY(!f.action("mnuViewToolbar")->isChecked());
        QTRY_VERIFY(f.tree()->height() > treeHeight);
        f.trigger("mnuViewStatusBar");
        QVERIFY(!status->isVisible());
        f.trigger("mnuViewToolbar");
        f.trigger("mnuViewStatusBar");
        QVERIFY(bar->isVisible() && status->isVisible());
        QTRY_COMPARE(f.tree()->height(), treeHeight);
    }

    void splitterKeepsBothPanes()
    {
        Fixture f;
        f.open();
        f.window->resize(700, 400);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto* splitter = f.window->findChild<QSplitter*>();
        QCOMPARE(splitter->handle(1)->objectName(), u"imgSplitter"_s);
        QCOMPARE(f.window->minimumWidth(), 200);
        splitter->setSizes({10, 1000});
        QTRY_VERIFY(f.tree()->width() >= 100);
        splitter->setSizes({1000, 10});
        QTRY_VERIFY(f.list()->width() >= 90);
        QVERIFY(f.tree()->width() >= 100);
        // The titles follow the panes.
        QTRY_COMPARE(control<QLabel>(f.window.get(), u"lblTitle_0"_s)->width(), f.tree()->width());
        QCOMPARE(control<QLabel>(f.window.get(), u"lblTitle_1"_s)->x(), f.list()->x());
    }

    // Without a stored splitter position the tree leaves the list the room for its last column.
    void listShowsEveryColumnAtFirst()
    {
        storePlacement("MainWidth", "12000");
        Fixture f;
        f.open(true);
        f.select(f.t.sales);
        QTRY_VERIFY(f.list()->header()->length() <= f.list()->viewport()->width());
        QVERIFY(f.tree()->width() > 150);
    }

    void placementIsStoredUnlessMinimised()
    {
        storePlacement("MainLeft", "1500");
        storePlacement("MainTop", "1200");
        storePlacement("MainWidth", "9000");
        storePlacement("MainHeight", "6000");
        {
            Fixture f;
            f.open();
            QCOMPARE(f.window->pos(), QPoint(100, 80));
            QCOMPARE(f.window->size(), QSize(600, 400));
            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
            f.window->move(40, 30);
            f.window->resize(500, 300);
            QTRY_COMPARE(f.window->size(), QSize(500, 300));
            f.window->close();
        }
        const QStringList stored{u"600"_s, u"450"_s, u"7500"_s, u"4500"_s};
        const auto placement = [] {
            return QStringList{storedPlacement("MainLeft"), storedPlacement("MainTop"),
                               storedPlacement("MainWidth"), storedPlacement("MainHeight")};
        };
        QCOMPARE(placement(), stored);
        {
            Fixture f;
            f.open(true);
            f.window->move(10, 10);
            f.window->showMinimized();
            QTRY_VERIFY(f.window->isMinimized());
            f.window->close();
        }
        QCOMPARE(placement(), stored);
        // Too narrow a stored width is raised to the window's minimum.
        storePlacement("MainWidth", "1000");
        Fixture f;
        QCOMPARE(f.open().width(), 200);
    }

    void helpContents()
    {
        Fixture f;
        QTemporaryDir folder;
        Help::setFolder(folder.path());
        QList<QUrl> opened;
        Help::setOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        f.open();
        static bool f1Installed = false;
        if (!f1Installed) {
            Help::install(*qobject_cast<QApplication*>(QCoreApplication::instance()));
            f1Installed = true;
        }
        const QString missing =
            u"ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"_s;
        f.trigger("mnuHelpContents");
        QCOMPARE(Messages::last().text, missing);
        QCOMPARE(Messages::last().icon, Messages::Information);
        Messages::clearShown();
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(Messages::last().text, missing);
        QVERIFY(opened.isEmpty());

        for (const char* name : {"10.html", "index.html"}) {
            QFile page(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(page.open(QIODevice::WriteOnly));
        }
        Messages::clearShown();
        f.trigger("mnuHelpContents");
        f.trigger("mnuOpenHP");
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QVERIFY(Messages::shown().isEmpty());
        const QUrl index = QUrl::fromLocalFile(folder.filePath(u"index.html"_s));
        QCOMPARE(opened, (QList<QUrl>{index, index, QUrl::fromLocalFile(folder.filePath(u"10.html"_s))}));
        QCOMPARE(Help::topic(f.window.get()), 10);
    }

    // The help folder of the build holds the contents page and every window's page.
    void helpPagesShipWithTheProgram()
    {
        const QDir help(QCoreApplication::applicationDirPath() + u"/help"_s);
        QFile index(help.filePath(u"index.html"_s));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(index.readAll());
        for (const int topic :
             {6, 10, 14, 16, 18, 20, 22, 26, 28, 30, 34, 36, 38, 40, 42, 44, 50, 52, 54, 56, 58, 60, 66}) {
            const QString page = u"%1.html"_s.arg(topic);
            QVERIFY2(text.contains(u"href=\""_s + page + u"\""_s) && help.exists(page), qPrintable(page));
        }
    }

    void unreadablePolicyStopsTheStart()
    {
        Fixture f;
        SaveSetting(u"VORNA"_s, u"Policy"_s, u"Rate"_s, u"abc"_s);
        QVERIFY_THROWS_EXCEPTION(PolicyError, f.open());
    }

    void databaseErrorIsReportedNotThrown()
    {
        Fixture f;
        bool opened = false;
        RegisterEditor(Editor::Function, [&](AppState&, QWidget*) { opened = true; });
        f.open();
        f.select(f.t.sales);
        StatementLog log;
        log.failOn(u"FROM TFUNCTION WHERE NPROJECT"_s, true);
        clickHeader(f.list(), 9);
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QVERIFY(Messages::last().text.startsWith(u"injected failure\nSELECT NFUNCTION, CVALID"_s));
        // The list keeps what it showed.
        QCOMPARE(f.list()->topLevelItemCount(), 4);

        // Another project whose functions cannot be read: the rows of the previous one go, so
        // that none of them is opened as a function of this project.
        f.list()->setCurrentItem(f.rowOf(f.t.order));
        Messages::clearShown();
        f.select(f.t.billing);
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.state->CurFunction, 0);
        f.trigger("FU");
        QVERIFY(!opened);
        QCOMPARE(Messages::last().text, u"機能項目が選択されていません。"_s);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
