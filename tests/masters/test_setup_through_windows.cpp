#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "gui_helpers.h"
#include "pricing/policy.h"
#include "test_support.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"

#include <QAction>
#include <QComboBox>

namespace {

void chooseRow(QWidget* window, const QString& listName, const QString& text)
{
    auto* list = control<QTreeWidget>(window, listName);
    clickRow(list, rowOfText(list, text));
}

} // namespace

// From a database holding only the code divisions and the COCOMO and function-point tables, a
// user sets up every master through its window, creates a project and prices a function.
class TestSetupThroughWindows : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void fromEmptyMastersToAPricedFunction()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        DbConnection& c = *state->Conn;
        for (const char* table : {"MPRIPROG", "MPRIBASE", "MLANG"}) {
            ExecSql(c, QStringLiteral("DELETE %1 WHERE 1 = 1").arg(QString::fromLatin1(table)));
        }
        // Per-process unit prices (the policy the main window loads): the function's price
        // follows the hours typed per process.
        Policy policy;
        policy.Charge = false;
        SavePolicy(policy);
        RegisterAllEditors();
        MainWindow window(*state);
        window.show();

        window.findChild<QAction*>(QStringLiteral("PN"))->trigger();
        COMPARE_LAST_MESSAGE(
            QStringLiteral("マスタ未登録"),
            QStringLiteral("次のマスタを１つ以上登録しておく必要があります。\n「顧客」\n「作業費単価」"),
            Messages::Exclamation);

        triggerWithModal(&window, QStringLiteral("mnuCustUp"), [](QWidget* d) {
            typeInto(d, QStringLiteral("txtCustName"), QStringLiteral("株式会社オオタ精機"));
            typeInto(d, QStringLiteral("txtMemo"), QStringLiteral("エンドユーザ"));
            clickButton(d, QStringLiteral("cmdOK"));
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        triggerWithModal(&window, QStringLiteral("mnuPriUp"), [](QWidget* d) {
            typeInto(d, QStringLiteral("txtPriName"), QStringLiteral("標準"));
            typeInto(d, QStringLiteral("txtBase"), QStringLiteral("50,000"));
            const QStringList prices{"9000", "8500", "8000", "6000", "5500", "6000", "6500", "7000"};
            for (int i = 0; i < prices.size(); ++i) {
                typeInto(d, QStringLiteral("txtPri_%1").arg(i), prices.at(i));
            }
            clickButton(d, QStringLiteral("cmdOK"));
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        triggerWithModal(&window, QStringLiteral("mnuLangUp"), [](QWidget* d) {
            typeInto(d, QStringLiteral("txtLangName"), QStringLiteral("Java"));
            typeInto(d, QStringLiteral("txtLangCoef"), QStringLiteral("53"));
            clickButton(d, QStringLiteral("cmdOK"));
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(rowCount(c, QStringLiteral("MCUSTOMER")), 1);
        QCOMPARE(rowCount(c, QStringLiteral("MPRIPROG"), QStringLiteral("CCKIND = '1'")), 8);
        QCOMPARE(rowCount(c, QStringLiteral("MLANG")), 1);

        // The project editor registers the member and the expense item it is given.
        triggerWithModal(&window, QStringLiteral("PN"), [](QWidget* d) {
            typeInto(d, QStringLiteral("txtPName"), QStringLiteral("生産管理システム"));
            for (const char* combo : {"cmbEndCust", "cmbContCust", "cmbPriKind"}) {
                control<QComboBox>(d, QString::fromLatin1(combo))->setCurrentIndex(0);
            }
            auto* member = control<QComboBox>(d, QStringLiteral("cmbMember"));
            member->setEditText(QStringLiteral("山田 太郎"));
            control<QComboBox>(d, QStringLiteral("cmbMKind"))->setCurrentIndex(2);
            typeInto(d, QStringLiteral("txtMembPri"), QStringLiteral("5000"));
            typeInto(d, QStringLiteral("txtMembOccu"), QStringLiteral("160"));
            clickButton(d, QStringLiteral("cmdMembAdd"));
            control<QComboBox>(d, QStringLiteral("cmbItem"))->setEditText(QStringLiteral("検証用PC"));
            typeInto(d, QStringLiteral("txtApiece"), QStringLiteral("120000"));
            typeInto(d, QStringLiteral("txtNum"), QStringLiteral("1"));
            clickButton(d, QStringLiteral("cmdExpAdd"));
            clickButton(d, QStringLiteral("cmdOK"));
        });
        QCOMPARE(Messages::shown().size(), 1);
        const int project = scalar(c, QStringLiteral("SELECT NPROJECT AS V FROM TPROJECT")).toInt();
        QVERIFY(project > 0);
        QCOMPARE(scalar(c, QStringLiteral("SELECT CMEMBER AS V FROM MMEMBER")).toString(),
                 QStringLiteral("山田 太郎"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT CITEM AS V FROM MITEM")).toString(),
                 QStringLiteral("検証用PC"));

        triggerWithModal(&window, QStringLiteral("mnuMembUp"), [](QWidget* d) {
            chooseRow(d, QStringLiteral("lvwMbList"), QStringLiteral("山田 太郎"));
            typeInto(d, QStringLiteral("txtName"), QStringLiteral("山田 太郎 (PM)"));
            clickButton(d, QStringLiteral("cmdUp"));
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        triggerWithModal(&window, QStringLiteral("mnuExpUp"), [](QWidget* d) {
            chooseRow(d, QStringLiteral("lvwItList"), QStringLiteral("検証用PC"));
            typeInto(d, QStringLiteral("txtName"), QStringLiteral("検証用PC (リース)"));
            clickButton(d, QStringLiteral("cmdUp"));
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        QCOMPARE(scalar(c, QStringLiteral("SELECT CMEMBER AS V FROM MMEMBER")).toString(),
                 QStringLiteral("山田 太郎 (PM)"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT CITEM AS V FROM MITEM")).toString(),
                 QStringLiteral("検証用PC (リース)"));

        auto* tree = control<QTreeWidget>(&window, QStringLiteral("tvwPList"));
        QTreeWidgetItem* node = nullptr;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if (ItemKey(*it) == QStringLiteral("P%1").arg(project)) {
                node = *it;
            }
        }
        QVERIFY(node);
        tree->setCurrentItem(node);
        QCOMPARE(state->CurProject, project);

        // 10 hours of 要件定義 at 9,000 and 20 hours of 製造 at 6,000, no surcharge by default.
        triggerWithModal(&window, QStringLiteral("FN"), [](QWidget* d) {
            typeInto(d, QStringLiteral("txtSFunc"), QStringLiteral("受注登録"));
            typeInto(d, QStringLiteral("txtHour_0"), QStringLiteral("10"));
            typeInto(d, QStringLiteral("txtHour_3"), QStringLiteral("20"));
            clickButton(d, QStringLiteral("cmdOK"));
        });
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NPRICE AS V FROM TFUNCTION")).toDouble(), 210000.0);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NHTOTAL AS V FROM TFUNCTION")).toDouble(), 30.0);
        auto* list = control<QTreeWidget>(&window, QStringLiteral("lvwFList"));
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("受注登録"));
        QCOMPARE(list->topLevelItem(0)->text(9), QStringLiteral("210,000"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestSetupThroughWindows)
#include "test_setup_through_windows.moc"
