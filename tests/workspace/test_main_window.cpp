#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/help.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "foundation/project_rows.h"
#include "foundation/settings_store.h"
#include "gui_helpers.h"
#include "pricing/policy.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"
#include "workspace/price_recalc.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

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

struct HookGuard {
    ~HookGuard() { DbConnection::setStatementHook(nullptr); }
};

// A window over the small tree, built after the test has registered its editors.
struct Fixture {
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    SmallTree t;
    std::unique_ptr<MainWindow> window;

    explicit Fixture(Engine engine = Engine::SQLite, bool withTree = true)
    {
        db = TestDatabase::create(engine);
        state = db->makeState();
        if (withTree) {
            t = SmallTree::build(*state->Conn);
        }
    }
    MainWindow& open()
    {
        window = std::make_unique<MainWindow>(*state);
        return *window;
    }
    QTreeWidget* tree() const { return window->findChild<QTreeWidget*>(QStringLiteral("tvwPList")); }
    QTreeWidget* list() const { return window->findChild<QTreeWidget*>(QStringLiteral("lvwFList")); }
    QString label(const char* name) const { return controlText(window.get(), QString::fromLatin1(name)); }
    QAction* action(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }
    void trigger(const char* name) const
    {
        QAction* a = action(name);
        QVERIFY2(a, name);
        a->trigger();
    }
    QTreeWidgetItem* node(int project) const
    {
        for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
            if (ItemKey(*it) == QStringLiteral("P") + QString::number(project)) {
                return *it;
            }
        }
        return nullptr;
    }
    void select(int project) const { tree()->setCurrentItem(node(project)); }
    QStringList titles() const { return columnTexts(list(), 2); }
    QStringList row(int index) const { return rowTexts(list(), index, 1); }
    QTreeWidgetItem* rowOf(int function) const
    {
        return FindItemByKey(list(), QStringLiteral("F") + QString::number(function));
    }
    double price(int function) const
    {
        return scalar(*state->Conn, QStringLiteral("SELECT NPRICE AS V FROM TFUNCTION WHERE NFUNCTION = ") +
                                        QString::number(function))
            .toDouble();
    }
};

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
        QTreeWidget* tree = f.tree();
        QCOMPARE(tree->objectName(), QStringLiteral("tvwPList"));
        QCOMPARE(f.window->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(f.window->windowTitle(), QStringLiteral("VORNA"));
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ一覧"));
        QCOMPARE(ItemKey(root), QStringLiteral("ROOT"));
        QVERIFY(root->isExpanded());
        // Ordered by NSORT, then id; root and top level open, deeper levels closed.
        QCOMPARE(childTexts(root), (QStringList{QStringLiteral("保守案件"), QStringLiteral("本社システム")}));
        QCOMPARE(ItemKey(root->child(1)), QStringLiteral("P%1").arg(f.t.head));
        QVERIFY(root->child(1)->isExpanded());
        QTreeWidgetItem* head = root->child(1);
        QCOMPARE(childTexts(head), (QStringList{QStringLiteral("在庫管理"), QStringLiteral("販売管理")}));
        QVERIFY(!head->child(1)->isExpanded());
        QCOMPARE(childTexts(head->child(1)), QStringList{QStringLiteral("請求")});

        QCOMPARE(f.label("lblTitle_0"), QStringLiteral("プロジェクト一覧"));
        QCOMPARE(f.label("lblTitle_1"), QStringLiteral("[未選択] 機能項目一覧： "));
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：[未選択]"));
        QCOMPARE(f.label("remMoney"), QStringLiteral("純利益：[未選択]"));
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：[未選択]"));

        f.select(f.t.sales);
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(f.state->CurPriKind, 1);
        QTreeWidget* list = f.list();
        QCOMPARE(list->columnCount(), 10);
        QVERIFY(list->isColumnHidden(0));
        const QStringList headings = {QStringLiteral("NFUNCTION"), QStringLiteral("保"),
                                      QStringLiteral("機能表題"),  QStringLiteral("改新"),
                                      QStringLiteral("重度"),      QStringLiteral("難度"),
                                      QStringLiteral("安全"),      QStringLiteral("期間"),
                                      QStringLiteral("総工数(H)"), QStringLiteral("価格(円)")};
        for (int c = 0; c < 10; ++c) {
            QCOMPARE(list->headerItem()->text(c), headings[c]);
        }
        QCOMPARE(f.titles(), (QStringList{QStringLiteral("出荷指示"), QStringLiteral("受注入力"),
                                          QStringLiteral("請求締め"), QStringLiteral("帳票出力")}));
        QCOMPARE(f.row(0),
                 (QStringList{QStringLiteral("×"), QStringLiteral("出荷指示"), QStringLiteral("改造"),
                              QStringLiteral("普通"), QStringLiteral("普通"), QStringLiteral("標準"),
                              QStringLiteral("標準"), QStringLiteral("20"), QStringLiteral("93,500")}));
        QCOMPARE(f.row(1),
                 (QStringList{QString(), QStringLiteral("受注入力"), QStringLiteral("新規"),
                              QStringLiteral("重要"), QStringLiteral("普通"), QStringLiteral("標準"),
                              QStringLiteral("短期"), QStringLiteral("50"), QStringLiteral("401,400")}));
        QCOMPARE(f.row(2).mid(7), (QStringList{QStringLiteral("0"), QStringLiteral("-5,000")}));
        QCOMPARE(f.row(3).mid(7), (QStringList{QString(), QString()}));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("受注入力"));
        QCOMPARE(ItemKey(list->topLevelItem(1)), QStringLiteral("F%1").arg(f.t.order));
        QVERIFY(list->topLevelItem(1)->textAlignment(9) & Qt::AlignRight);
        QVERIFY(list->topLevelItem(0)->textAlignment(1) & Qt::AlignHCenter);

        QCOMPARE(f.label("lblTitle_1"), QStringLiteral("本社システム - 販売管理 機能項目一覧： "));
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：370/420時間"));
        QCOMPARE(f.label("remMoney"), QStringLiteral("純利益：2,470,000円"));
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：49.40％"));

        const auto red = [&](const char* panel) {
            return f.window->findChild<QLabel*>(QString::fromLatin1(panel))
                ->styleSheet()
                .contains(QStringLiteral("color"));
        };
        QVERIFY(!red("remMoney"));
        f.select(f.t.stock);
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        // A loss stands out.
        QCOMPARE(f.label("remMoney"), QStringLiteral("純利益：-370,000円"));
        QVERIFY(red("remMoney"));
        QVERIFY(!red("remHour"));
        QCOMPARE(f.titles(), QStringList{QStringLiteral("在庫照会")});

        tree->setCurrentItem(root);
        QCOMPARE(f.state->CurProject, 0);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：[未選択]"));
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：[未選択]"));
    }

    void emptyDatabaseShowsOnlyTheRoot()
    {
        Fixture f(Engine::SQLite, false);
        f.open();
        QCOMPARE(f.tree()->topLevelItemCount(), 1);
        QCOMPARE(f.tree()->topLevelItem(0)->childCount(), 0);
        QVERIFY(f.tree()->topLevelItem(0)->isExpanded());
        QCOMPARE(f.label("lblTitle_1"), QStringLiteral("[未選択] 機能項目一覧： "));
    }

    void sortingToggles_data() { addEngineRows(); }
    void sortingToggles()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        f.open();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        list->setColumnWidth(2, 333);

        const QStringList byPrice = {QStringLiteral("帳票出力"), QStringLiteral("請求締め"),
                                     QStringLiteral("出荷指示"), QStringLiteral("受注入力")};
        clickHeader(list, 9);
        QCOMPARE(f.titles(), byPrice);
        QCOMPARE(list->header()->sortIndicatorSection(), 9);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(list, 9);
        QStringList reversed = byPrice;
        std::reverse(reversed.begin(), reversed.end());
        QCOMPARE(f.titles(), reversed);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        // Another column sorts ascending again.
        clickHeader(list, 8);
        QCOMPARE(f.titles(), (QStringList{QStringLiteral("帳票出力"), QStringLiteral("請求締め"),
                                          QStringLiteral("出荷指示"), QStringLiteral("受注入力")}));
        QCOMPARE(list->header()->sortIndicatorSection(), 8);
        // A width the user gave a column survives the reloads.
        QCOMPARE(list->columnWidth(2), 333);
        // The order holds for the next project too.
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(f.titles().first(), QStringLiteral("帳票出力"));
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：370/420時間"));
    }

    void keyboardSelectsLikeAClick()
    {
        Fixture f;
        f.open();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QTreeWidget* tree = f.tree();
        tree->setFocus();
        QCOMPARE(ItemKey(tree->currentItem()), QStringLiteral("ROOT"));
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(f.state->CurProject, f.t.maintenance);
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(f.list()->topLevelItemCount(), 4);
        QCOMPARE(f.label("remMoney"), QStringLiteral("純利益：2,470,000円"));

        QTreeWidget* list = f.list();
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(0));
        QCOMPARE(f.state->CurFunction, f.t.shipping);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(f.state->CurFunction, f.t.order);
        QCOMPARE(f.window->SelectedFunctionId(), f.t.order);

        // A real click on a node as well.
        const QRect rect = tree->visualItemRect(f.node(f.t.stock));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(f.state->CurProject, f.t.stock);
    }

    void newProjectUnderTheSelection()
    {
        Fixture f;
        int seenProject = -1, seenMode = -1, seenParent = -1;
        bool save = true;
        RegisterEditor(Editor::Project, [&](AppState& s, QWidget*) {
            seenProject = s.CurProject;
            seenMode = s.EditMode;
            seenParent = s.ProposedParent;
            if (!save) {
                return;
            }
            ExecSql(*s.Conn, QStringLiteral(
                                 "INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, "
                                 "NBASE, NPRICE) VALUES (%1, '新規案件', 1, 1, 1, 0, 0)")
                                 .arg(s.ProposedParent));
            s.CurProject = GetIdentity(*s.Conn, QStringLiteral("TPROJECT"));
            s.Updated = true;
        });
        f.open();
        f.select(f.t.sales);

        // Cancelled: the selection comes back and nothing reloads.
        save = false;
        f.trigger("PN");
        QCOMPARE(seenProject, 0);
        QCOMPARE(seenMode, 0);
        QCOMPARE(seenParent, f.t.sales);
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(f.list()->topLevelItemCount(), 4);
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：370/420時間"));

        save = true;
        f.trigger("mnuProjNew");
        const int created = f.state->CurProject;
        QVERIFY(created != f.t.sales && created != 0);
        QTreeWidgetItem* node = f.node(created);
        QVERIFY(node);
        QCOMPARE(node->text(0), QStringLiteral("新規案件"));
        QCOMPARE(ItemKey(node->parent()), QStringLiteral("P%1").arg(f.t.sales));
        QCOMPARE(f.tree()->currentItem(), node);
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.label("lblTitle_1"), QStringLiteral("本社システム - 販売管理 - 新規案件 機能項目一覧： "));
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：0/0時間"));
        QCOMPARE(f.label("remMoney"), QStringLiteral("純利益：0円"));
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：[計算不能]"));
        QVERIFY(!f.state->Updated);
    }

    void missingMastersAreNamed()
    {
        Fixture f(Engine::SQLite, false);
        bool opened = false;
        RegisterEditor(Editor::Project, [&](AppState&, QWidget*) { opened = true; });
        RegisterEditor(Editor::Function, [&](AppState&, QWidget*) { opened = true; });
        f.open();
        const QString lead = QStringLiteral("次のマスタを１つ以上登録しておく必要があります。\n");

        f.trigger("mnuProjNew");
        QCOMPARE(Messages::last().title, QStringLiteral("マスタ未登録"));
        QCOMPARE(Messages::last().text, lead + QStringLiteral("「顧客」"));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);

        ExecSql(*f.state->Conn, QStringLiteral("DELETE FROM MPRIPROG"));
        ExecSql(*f.state->Conn, QStringLiteral("DELETE FROM MPRIBASE"));
        f.trigger("PN");
        QCOMPARE(Messages::last().text, lead + QStringLiteral("「顧客」\n「作業費単価」"));

        ExecSql(*f.state->Conn,
                QStringLiteral("INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('c', '', 1)"));
        f.trigger("PN");
        QCOMPARE(Messages::last().text, lead + QStringLiteral("「作業費単価」"));

        ExecSql(*f.state->Conn, QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME) VALUES (0, 'p')"));
        const int project = GetIdentity(*f.state->Conn, QStringLiteral("TPROJECT"));
        ExecSql(*f.state->Conn, QStringLiteral("DELETE FROM MLANG"));
        f.window->BuildProjectTree();
        f.select(project);
        f.trigger("FN");
        QCOMPARE(Messages::last().text, lead + QStringLiteral("「開発言語」"));
        QCOMPARE(Messages::shown().size(), 4);
        QVERIFY(!opened);
    }

    void nothingSelected()
    {
        Fixture f;
        bool opened = false;
        const auto record = [&](AppState&, QWidget*) { opened = true; };
        RegisterEditor(Editor::Project, record);
        RegisterEditor(Editor::Function, record);
        RegisterEditor(Editor::MemberReplacement, record);
        f.open();
        const QString noProject = QStringLiteral("プロジェクトが選択されていません。");
        for (const char* command : {"PU", "mnuFuncNew", "FU", "mnuMembChg"}) {
            Messages::clearShown();
            f.trigger(command);
            QCOMPARE(Messages::shown().size(), 1);
            QCOMPARE(Messages::last().title, QStringLiteral("未選択"));
            QCOMPARE(Messages::last().text, noProject);
            QCOMPARE(Messages::last().icon, Messages::Information);
        }
        // Per-process mode refuses the replacement before looking at the selection.
        f.state->policy.Charge = false;
        f.trigger("mnuMembChg");
        QCOMPARE(Messages::last().title, QStringLiteral("使用不可"));
        QCOMPARE(Messages::last().text,
                 QStringLiteral("「工程別単価で計算する」モードなので使用できません。"));
        f.select(f.t.sales);
        f.trigger("mnuMembChg");
        QCOMPARE(Messages::last().title, QStringLiteral("使用不可"));

        f.list()->clearSelection();
        f.trigger("mnuFuncUp");
        QCOMPARE(Messages::last().text, QStringLiteral("機能項目が選択されていません。"));
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
                    QStringLiteral("UPDATE TPROJECT SET CPROJNAME = '販売管理システム', NPRIKIND = %1 WHERE "
                                   "NPROJECT = %2")
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
        QCOMPARE(f.rowOf(f.t.order)->text(9), QStringLiteral("498,200"));
        QCOMPARE(f.node(f.t.sales)->text(0), QStringLiteral("販売管理システム"));
        QCOMPARE(f.tree()->currentItem(), f.node(f.t.sales));
        QCOMPARE(f.label("lblTitle_1"), QStringLiteral("本社システム - 販売管理システム 機能項目一覧： "));
        QCOMPARE(f.state->CurPriKind, f.t.priceKind2);
        QCOMPARE(f.state->CurProject, f.t.sales);
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
        QCOMPARE(f.label("lblTitle_1"), QStringLiteral("[未選択] 機能項目一覧： "));
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：[未選択]"));
        QCOMPARE(f.label("remMoney"), QStringLiteral("純利益：[未選択]"));
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：[未選択]"));
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
            switch (action) {
            case Cancel:
                return;
            case Insert:
                ExecSql(c,
                        QStringLiteral(
                            "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, "
                            "CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE, NSORT) VALUES (%1, '1', 1, "
                            "2, 2, 2, 2, 1, '追加機能', '', 0, 10, 75000, 75000, 0)")
                            .arg(s.CurProject));
                s.CurFunction = GetIdentity(c, QStringLiteral("TFUNCTION"));
                ExecSql(c, QStringLiteral("INSERT INTO TCHARGE VALUES (%1, %2, 3, 1, 2, 10)")
                               .arg(s.CurProject)
                               .arg(s.CurFunction));
                break;
            case Update:
                ExecSql(c, QStringLiteral("UPDATE TFUNCTION SET CSFUNC = '受注入力（改）', NPRICE = 500000 "
                                          "WHERE NFUNCTION = ") +
                               QString::number(s.CurFunction));
                break;
            case Delete: {
                Transaction transaction(c);
                DeleteProjectRows(c, s.CurProject, s.CurFunction);
                transaction.commit();
                break;
            }
            }
            s.Updated = true;
        });
        f.open();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        list->setCurrentItem(f.rowOf(f.t.closing));

        action = Cancel;
        f.trigger("FN");
        QCOMPARE(seenFunction, 0);
        QCOMPARE(seenMode, 0);
        QCOMPARE(f.state->CurFunction, f.t.closing);
        QCOMPARE(list->topLevelItemCount(), 4);

        // A new function goes to the end whatever the order, until the next full reload.
        action = Insert;
        f.trigger("mnuFuncNew");
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(list->topLevelItem(4)->text(2), QStringLiteral("追加機能"));
        QCOMPARE(ItemKey(list->topLevelItem(4)), QStringLiteral("F%1").arg(f.state->CurFunction));
        QCOMPARE(list->currentItem(), list->topLevelItem(4));
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：360/420時間"));
        f.select(f.t.head);
        f.select(f.t.sales);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("追加機能"));

        // An update rewrites the row where it is; Enter opens the current row.
        action = Update;
        const int index = list->indexOfTopLevelItem(f.rowOf(f.t.order));
        list->setCurrentItem(f.rowOf(f.t.order));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(seenFunction, f.t.order);
        QCOMPARE(seenMode, 1);
        QCOMPARE(list->indexOfTopLevelItem(f.rowOf(f.t.order)), index);
        QCOMPARE(f.rowOf(f.t.order)->text(2), QStringLiteral("受注入力（改）"));
        QCOMPARE(f.rowOf(f.t.order)->text(9), QStringLiteral("500,000"));
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：49.40％"));

        // A double click opens the function of that row; a deleted function's row goes.
        action = Delete;
        const QPoint cell(list->columnViewportPosition(2) + 10,
                          list->visualItemRect(f.rowOf(f.t.closing)).center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(f.state->CurFunction, f.t.closing);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(seenFunction, f.t.closing);
        QVERIFY(!f.rowOf(f.t.closing));
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(rowCount(*f.state->Conn, QStringLiteral("TFUNCTION"),
                          QStringLiteral("NFUNCTION = %1").arg(f.t.closing)),
                 0);
    }

    void priceKindChangeRecalculatesAll_data() { addEngineRows(); }
    void priceKindChangeRecalculatesAll()
    {
        FETCH_ENGINE();
        Fixture f(dbEngine);
        bool change = false;
        RegisterEditor(Editor::PriceKinds, [&](AppState& s, QWidget*) {
            if (change) {
                ExecSql(*s.Conn,
                        QStringLiteral("UPDATE MPRIPROG SET NDPRI = 6000 WHERE NPRIKIND = 1 AND CCKIND = '0' "
                                       "AND NDKIND = 4"));
                s.Updated = true;
            }
        });
        f.open();
        f.select(f.t.sales);
        ExecSql(*f.state->Conn,
                QStringLiteral("UPDATE TFUNCTION SET NPRICE = 1 WHERE NPROJECT = %1").arg(f.t.stock));

        f.trigger("mnuPriUp");
        QCOMPARE(f.price(f.t.inquiry), 1.0);

        change = true;
        f.trigger("mnuPriUp");
        QVERIFY(!f.state->Updated);
        // (10 x 10,000 + 30 x 6,000 + 10 x 7,500) x 1.21 - 10,000
        QCOMPARE(f.price(f.t.order), 419550.0);
        QCOMPARE(f.rowOf(f.t.order)->text(9), QStringLiteral("419,550"));
        QCOMPARE(f.price(f.t.inquiry), 72000.0);
        QCOMPARE(f.label("remRate"), QStringLiteral("利益率：49.40％"));
        QVERIFY(Messages::shown().isEmpty());
    }

    void policyChargeSwitchRecalculates()
    {
        Fixture f;
        bool switchCharge = true;
        RegisterEditor(Editor::Policy, [&](AppState& s, QWidget*) {
            if (switchCharge) {
                s.policy.Charge = !s.policy.Charge;
            } else {
                s.policy.Hour = true;
            }
        });
        f.open();
        f.select(f.t.sales);
        f.trigger("mnuPolicy");
        QCOMPARE(f.rowOf(f.t.order)->text(9), QStringLiteral("416,525"));
        QCOMPARE(f.rowOf(f.t.order)->text(8), QStringLiteral("53"));
        QCOMPARE(f.price(f.t.invoice), 64000.0);
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：367.5/420時間"));

        // Another switch only refreshes the figures.
        switchCharge = false;
        QStringList writes;
        HookGuard guard;
        DbConnection::setStatementHook([&](const DbConnection&, const QString& sql) {
            if (sql.startsWith(QStringLiteral("UPDATE"))) {
                writes << sql;
            }
        });
        f.trigger("mnuPolicy");
        QVERIFY(writes.isEmpty());
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：397.5/450時間"));
    }

    // With the program's own policy dialog: choosing per-process prices there reprices every
    // function and the list shows the new prices.
    void realPolicyDialogSwitchesCharge()
    {
        Fixture f;
        RegisterAllEditors();
        f.open();
        f.select(f.t.sales);
        triggerWithModal(f.window.get(), QStringLiteral("mnuPolicy"), [](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("frmPolicy"));
            control<QComboBox>(dialog, QStringLiteral("cmbCharge"))->setCurrentIndex(1);
            clickButton(dialog, QStringLiteral("cmdOK"));
        });
        QVERIFY(!f.state->policy.Charge);
        QCOMPARE(f.rowOf(f.t.order)->text(9), QStringLiteral("416,525"));
        QCOMPARE(f.price(f.t.invoice), 64000.0);
        QCOMPARE(f.label("remHour"), QStringLiteral("残工数：367.5/420時間"));
    }

    void memberReplacementRecalculatesTheProject()
    {
        Fixture f;
        RegisterEditor(Editor::MemberReplacement, [&](AppState& s, QWidget*) {
            ExecSql(*s.Conn,
                    QStringLiteral("UPDATE TCHARGE SET NMEMBER = 2 WHERE NPROJECT = %1 AND NMEMBER = 3")
                        .arg(s.CurProject));
            s.Updated = true;
        });
        f.open();
        f.select(f.t.sales);
        f.trigger("mnuMembChg");
        QVERIFY(!f.state->Updated);
        // 受注入力: the 30 PG hours now SE hours at 7,500.
        QCOMPARE(f.rowOf(f.t.order)->text(9), QStringLiteral("474,000"));
        QCOMPARE(f.rowOf(f.t.shipping)->text(9), QStringLiteral("127,500"));
        QCOMPARE(f.price(f.t.invoice), 69000.0);
    }

    void unregisteredEditorsDoNothing()
    {
        Fixture f;
        f.open();
        f.select(f.t.sales);
        for (const char* name : {"PN", "PU", "FN", "FU", "mnuProjNew", "mnuFuncUp", "mnuPriUp", "mnuPolicy",
                                 "mnuMembChg", "mnuCustUp", "mnuHelpAbout", "mnuDbConn"}) {
            QAction* action = f.action(name);
            QVERIFY2(action, name);
            QVERIFY2(!action->isEnabled(), name);
            action->trigger();
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(f.state->CurProject, f.t.sales);
        QCOMPARE(f.list()->topLevelItemCount(), 4);
        QVERIFY(f.action("mnuHelpContents")->isEnabled());
        QVERIFY(f.action("mnuFileClose")->isEnabled());
    }

    void commandsOpenTheirEditors_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("editor");
        QTest::newRow("DB") << QStringLiteral("mnuDbConn") << int(Editor::ConnectionSettings);
        QTest::newRow("customers") << QStringLiteral("mnuCustUp") << int(Editor::Customers);
        QTest::newRow("languages") << QStringLiteral("mnuLangUp") << int(Editor::Languages);
        QTest::newRow("members") << QStringLiteral("mnuMembUp") << int(Editor::Members);
        QTest::newRow("items") << QStringLiteral("mnuExpUp") << int(Editor::Items);
        QTest::newRow("about") << QStringLiteral("mnuHelpAbout") << int(Editor::About);
        QTest::newRow("price kinds") << QStringLiteral("mnuPriUp") << int(Editor::PriceKinds);
        QTest::newRow("policy") << QStringLiteral("mnuPolicy") << int(Editor::Policy);
        QTest::newRow("project") << QStringLiteral("PU") << int(Editor::Project);
        QTest::newRow("function") << QStringLiteral("FU") << int(Editor::Function);
        QTest::newRow("replacement") << QStringLiteral("mnuMembChg") << int(Editor::MemberReplacement);
    }
    void commandsOpenTheirEditors()
    {
        QFETCH(QString, action);
        QFETCH(int, editor);
        Fixture f;
        QList<int> opened;
        for (const Editor e : kAllEditors) {
            RegisterEditor(e, [&opened, e](AppState&, QWidget* parent) {
                QVERIFY(parent && parent->objectName() == QStringLiteral("frmMain"));
                opened << int(e);
            });
        }
        f.open();
        f.select(f.t.sales);
        f.list()->setCurrentItem(f.list()->topLevelItem(0));
        f.trigger(action.toLatin1().constData());
        QCOMPARE(opened, QList<int>{editor});
        QVERIFY(Messages::shown().isEmpty());
    }

    void menusAndToolbar()
    {
        Fixture f;
        f.open();
        const QList<QAction*> menus = f.window->menuBar()->actions();
        QStringList captions;
        for (QAction* m : menus) {
            captions << m->text();
        }
        QCOMPARE(captions, (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"),
                                        QStringLiteral("機能項目(&F)"), QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ(&P)"),
                                        QStringLiteral("マスタ(&M)"), QStringLiteral("ﾂｰﾙ(&T)"),
                                        QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
        const auto items = [&](const char* menu) {
            QStringList texts;
            for (QAction* a : f.window->findChild<QMenu*>(QString::fromLatin1(menu))->actions()) {
                texts << (a->isSeparator() ? QStringLiteral("-")
                                           : a->objectName() + QLatin1Char('=') + a->text());
            }
            return texts;
        };
        QCOMPARE(items("mnuFile"),
                 (QStringList{QStringLiteral("mnuDbConn=DB設定(&D)..."), QStringLiteral("-"),
                              QStringLiteral("mnuFileClose=VORNAの終了(&X)")}));
        QCOMPARE(items("mnuView"), (QStringList{QStringLiteral("mnuViewToolbar=ﾂｰﾙ ﾊﾞｰ(&T)"),
                                                QStringLiteral("mnuViewStatusBar=ｽﾃｰﾀｽ ﾊﾞｰ(&B)")}));
        QCOMPARE(items("mnuFunc"), (QStringList{QStringLiteral("mnuFuncNew=新しい機能項目(&N)..."),
                                                QStringLiteral("mnuFuncUp=機能項目の編集(&U)...")}));
        QCOMPARE(items("mnuProj"), (QStringList{QStringLiteral("mnuProjNew=新しいﾌﾟﾛｼﾞｪｸﾄ(&N)..."),
                                                QStringLiteral("mnuProjUp=ﾌﾟﾛｼﾞｪｸﾄの編集(&U)...")}));
        QCOMPARE(items("mnuMasmen"),
                 (QStringList{QStringLiteral("mnuCustUp=顧客の編集(&U)..."),
                              QStringLiteral("mnuPriUp=作業費単価の編集(&K)..."),
                              QStringLiteral("mnuLangUp=開発言語の編集(&L)..."), QStringLiteral("-"),
                              QStringLiteral("mnuMembUp=作業メンバ名の編集(&M)..."),
                              QStringLiteral("mnuExpUp=経費項目名の編集(&E)..."), QStringLiteral("-"),
                              QStringLiteral("mnuPolicy=ポリシー(&P)...")}));
        QCOMPARE(items("mnuTool"), QStringList{QStringLiteral("mnuMembChg=メンバ入替え(&C)...")});
        QCOMPARE(items("mnuHelp"),
                 (QStringList{QStringLiteral("mnuHelpContents=目次(&C)"), QStringLiteral("-"),
                              QStringLiteral("mnuOpenHP=ﾎｰﾑﾍﾟｰｼﾞを開く(&H)"), QStringLiteral("-"),
                              QStringLiteral("mnuHelpAbout=VORNAについて(&A)...")}));

        QToolBar* bar = f.window->findChild<QToolBar*>(QStringLiteral("tbToolBar"));
        QStringList buttons;
        for (QAction* a : bar->actions()) {
            if (!a->isSeparator()) {
                buttons << a->objectName() + QLatin1Char('=') + a->toolTip();
            }
        }
        QCOMPARE(
            buttons,
            (QStringList{QStringLiteral("PN=プロジェクトの新規作成"), QStringLiteral("PU=プロジェクトの更新"),
                         QStringLiteral("FN=機能項目の新規追加"), QStringLiteral("FU=機能項目の更新")}));

        // Each pane offers its own commands on its context menu.
        QCOMPARE(f.tree()->actions(), (QList<QAction*>{f.action("mnuProjNew"), f.action("mnuProjUp")}));
        QCOMPARE(f.list()->actions(), (QList<QAction*>{f.action("mnuFuncNew"), f.action("mnuFuncUp")}));

        const auto tip = [&](const char* name) {
            return f.window->findChild<QLabel*>(QString::fromLatin1(name))->toolTip();
        };
        QCOMPARE(tip("remHour"), QStringLiteral("メンバ占有工数-機能別見積工数合計"));
        QCOMPARE(tip("remMoney"), QStringLiteral("受注金額-（経費計+契約ｵﾌﾟｼｮﾝ+ﾒﾝﾊﾞ占有時間*費用)"));
        QCOMPARE(tip("remRate"), QStringLiteral("純利益*100/(受注金額-（経費計+契約ｵﾌﾟｼｮﾝ))"));
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2}$")).match(f.label("sbDate")).hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{2}:\\d{2}$")).match(f.label("sbTime")).hasMatch());
    }

    void toolbarAndStatusBarToggle()
    {
        Fixture f;
        f.open();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QToolBar* bar = f.window->findChild<QToolBar*>(QStringLiteral("tbToolBar"));
        QStatusBar* status = f.window->statusBar();
        QCOMPARE(status->objectName(), QStringLiteral("sbStatusBar"));
        QTreeWidget* tree = f.tree();
        const int treeHeight = tree->height();
        f.trigger("mnuViewToolbar");
        QVERIFY(!bar->isVisible());
        QVERIFY(!f.action("mnuViewToolbar")->isChecked());
        QTRY_VERIFY(tree->height() > treeHeight);
        f.trigger("mnuViewStatusBar");
        QVERIFY(!status->isVisible());
        f.trigger("mnuViewToolbar");
        f.trigger("mnuViewStatusBar");
        QVERIFY(bar->isVisible() && status->isVisible());
        QTRY_COMPARE(tree->height(), treeHeight);
    }

    void splitterKeepsBothPanes()
    {
        Fixture f;
        f.open();
        f.window->resize(700, 400);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto* splitter = f.window->findChild<QSplitter*>();
        QVERIFY(splitter);
        QCOMPARE(splitter->handle(1)->objectName(), QStringLiteral("imgSplitter"));
        QCOMPARE(f.window->minimumWidth(), 200);
        splitter->setSizes({10, 1000});
        QTRY_VERIFY(f.tree()->width() >= 100);
        splitter->setSizes({1000, 10});
        QTRY_VERIFY(f.list()->width() >= 90);
        QVERIFY(f.tree()->width() >= 100);
        // The titles follow the panes.
        QTRY_COMPARE(f.window->findChild<QLabel*>(QStringLiteral("lblTitle_0"))->width(), f.tree()->width());
        QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("lblTitle_1"))->x(), f.list()->x());
    }

    // Without a stored splitter position the tree leaves the list the room for its last column.
    void listShowsEveryColumnAtFirst()
    {
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QStringLiteral("MainWidth"),
                    QStringLiteral("12000"));
        Fixture f;
        f.open();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.select(f.t.sales);
        QTreeWidget* list = f.list();
        QTRY_VERIFY(list->header()->length() <= list->viewport()->width());
        QVERIFY(f.tree()->width() > 150);
    }

    void placementIsStoredUnlessMinimised()
    {
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QStringLiteral("MainLeft"),
                    QStringLiteral("1500"));
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QStringLiteral("MainTop"),
                    QStringLiteral("1200"));
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QStringLiteral("MainWidth"),
                    QStringLiteral("9000"));
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QStringLiteral("MainHeight"),
                    QStringLiteral("6000"));
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
        const auto stored = [](const char* key) {
            return GetSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QString::fromLatin1(key));
        };
        QCOMPARE(stored("MainLeft"), QStringLiteral("600"));
        QCOMPARE(stored("MainTop"), QStringLiteral("450"));
        QCOMPARE(stored("MainWidth"), QStringLiteral("7500"));
        QCOMPARE(stored("MainHeight"), QStringLiteral("4500"));
        {
            Fixture f;
            f.open();
            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
            f.window->move(10, 10);
            f.window->showMinimized();
            QTRY_VERIFY(f.window->isMinimized());
            f.window->close();
        }
        QCOMPARE(stored("MainLeft"), QStringLiteral("600"));
        QCOMPARE(stored("MainWidth"), QStringLiteral("7500"));

        // Too narrow a stored width is raised to the window's minimum.
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Settings"), QStringLiteral("MainWidth"),
                    QStringLiteral("1000"));
        Fixture f;
        f.open();
        QCOMPARE(f.window->width(), 200);
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
            QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。");
        f.trigger("mnuHelpContents");
        QCOMPARE(Messages::last().text, missing);
        QCOMPARE(Messages::last().icon, Messages::Information);
        Messages::clearShown();
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QCOMPARE(Messages::last().text, missing);
        QVERIFY(opened.isEmpty());

        QFile topic(folder.filePath(QStringLiteral("10.html")));
        QVERIFY(topic.open(QIODevice::WriteOnly));
        topic.close();

        QFile page(folder.filePath(QStringLiteral("index.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        Messages::clearShown();
        f.trigger("mnuHelpContents");
        f.trigger("mnuOpenHP");
        QVERIFY(Messages::shown().isEmpty());
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(opened,
                 (QList<QUrl>{QUrl::fromLocalFile(page.fileName()), QUrl::fromLocalFile(page.fileName()),
                              QUrl::fromLocalFile(topic.fileName())}));
        QCOMPARE(Help::topic(f.window.get()), 10);
    }

    // The help folder of the build holds the contents page and the window's own page.
    void helpPagesShipWithTheProgram()
    {
        const QDir help(QCoreApplication::applicationDirPath() + QStringLiteral("/help"));
        QVERIFY(help.exists(QStringLiteral("index.html")));
        QVERIFY(help.exists(QStringLiteral("10.html")));
        QFile index(help.filePath(QStringLiteral("index.html")));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(index.readAll());
        for (const int topic :
             {6, 10, 14, 16, 18, 20, 22, 26, 28, 30, 34, 36, 38, 40, 42, 44, 50, 52, 54, 56, 58, 60, 66}) {
            QVERIFY2(text.contains(QStringLiteral("href=\"%1.html\"").arg(topic)),
                     qPrintable(QString::number(topic)));
            QVERIFY2(help.exists(QStringLiteral("%1.html").arg(topic)), qPrintable(QString::number(topic)));
        }
    }

    void unreadablePolicyStopsTheStart()
    {
        Fixture f;
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Policy"), QStringLiteral("Rate"),
                    QStringLiteral("abc"));
        QVERIFY_THROWS_EXCEPTION(PolicyError, f.open());
    }

    void databaseErrorIsReportedNotThrown()
    {
        Fixture f;
        bool opened = false;
        RegisterEditor(Editor::Function, [&](AppState&, QWidget*) { opened = true; });
        f.open();
        f.select(f.t.sales);
        HookGuard guard;
        DbConnection::setStatementHook([](const DbConnection&, const QString& sql) {
            if (sql.contains(QStringLiteral("FROM TFUNCTION WHERE NPROJECT"))) {
                throw DbError(DbError::Other, QStringLiteral("broken"));
            }
        });
        clickHeader(f.list(), 9);
        QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
        QVERIFY(Messages::last().text.startsWith(QStringLiteral("broken\nSELECT NFUNCTION, CVALID")));
        // The list keeps what it showed.
        QCOMPARE(f.list()->topLevelItemCount(), 4);

        // Another project whose functions cannot be read: the rows of the previous one go, so
        // that none of them is opened as a function of this project.
        f.list()->setCurrentItem(f.rowOf(f.t.order));
        Messages::clearShown();
        f.select(f.t.billing);
        QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
        QCOMPARE(f.list()->topLevelItemCount(), 0);
        QCOMPARE(f.state->CurFunction, 0);
        f.trigger("FU");
        QVERIFY(!opened);
        QCOMPARE(Messages::last().text, QStringLiteral("機能項目が選択されていません。"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
