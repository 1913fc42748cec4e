#include "common/messages.h"
#include "db/db_connection.h"
#include "gui_helpers.h"
#include "settings/policy.h"
#include "state/app_state.h"
#include "test_support.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"

// From a database holding only the code divisions and the COCOMO and function-point tables, a
// user sets up every master through its window, creates a project and prices a function.
class TestSetupThroughWindows : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void fromEmptyMastersToAPricedFunction()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        DbConnection& c = *state->Conn;
        for (const char* table : {"MPRIPROG", "MPRIBASE", "MLANG"}) {
            ExecSql(c, u"DELETE %1 WHERE 1 = 1"_s.arg(QString::fromLatin1(table)));
        }
        // Per-process unit prices (the policy the main window loads): the function's price
        // follows the hours typed per process.
        Policy policy;
        policy.Charge = false;
        SavePolicy(policy);
        RegisterAllEditors();
        MainWindow window(*state);
        window.show();

        // Each master window: the boxes typed (box=text), then add and close.
        const QList<std::pair<QString, QStringList>> masters{
            {u"mnuCustUp"_s, {"txtCustName=株式会社オオタ精機", "txtMemo=エンドユーザ"}},
            {u"mnuPriUp"_s,
             {"txtPriName=標準", "txtBase=50,000", "txtPri_0=9000", "txtPri_1=8500", "txtPri_2=8000",
              "txtPri_3=6000", "txtPri_4=5500", "txtPri_5=6000", "txtPri_6=6500", "txtPri_7=7000"}},
            {u"mnuLangUp"_s, {"txtLangName=Java", "txtLangCoef=53"}},
        };
        for (const auto& master : masters) {
            triggerWithModal(&window, master.first, [&master](QWidget* d) {
                for (const QString& box : master.second) {
                    typeInto(d, box.section(QLatin1Char('='), 0, 0), box.section(QLatin1Char('='), 1));
                }
                clickButton(d, u"cmdOK"_s);
                clickButton(d, u"cmdCancel"_s);
            });
        }

        // The project editor registers the member and the expense item it is given.
        triggerWithModal(&window, u"PN"_s, [](QWidget* d) {
            typeInto(d, u"txtPName"_s, u"生産管理システム"_s);
            for (const char* combo : {"cmbEndCust", "cmbContCust", "cmbPriKind"}) {
                control<QComboBox>(d, QString::fromLatin1(combo))->setCurrentIndex(0);
            }
            control<QComboBox>(d, u"cmbMember"_s)->setEditText(u"山田 太郎"_s);
            control<QComboBox>(d, u"cmbMKind"_s)->setCurrentIndex(2);
            typeInto(d, u"txtMembPri"_s, u"5000"_s);
            typeInto(d, u"txtMembOccu"_s, u"160"_s);
            clickButton(d, u"cmdMembAdd"_s);
            control<QComboBox>(d, u"cmbItem"_s)->setEditText(u"検証用PC"_s);
            typeInto(d, u"txtApiece"_s, u"120000"_s);
            typeInto(d, u"txtNum"_s, u"1"_s);
            clickButton(d, u"cmdExpAdd"_s);
            clickButton(d, u"cmdOK"_s);
        });
        const int project = scalar(c, u"SELECT NPROJECT AS V FROM TPROJECT"_s).toInt();

        // The new project is the one chosen in the tree.
        QCOMPARE(state->CurProject, project);

        // 10 hours of 要件定義 at 9,000 and 20 hours of 製造 at 6,000, no surcharge by default; no
        // message on the way.
        triggerWithModal(&window, u"FN"_s, [](QWidget* d) {
            typeInto(d, u"txtSFunc"_s, u"受注登録"_s);
            typeInto(d, u"txtHour_0"_s, u"10"_s);
            typeInto(d, u"txtHour_3"_s, u"20"_s);
            clickButton(d, u"cmdOK"_s);
        });
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(scalar(c, u"SELECT NPRICE AS V FROM TFUNCTION"_s).toDouble(), 210000.0);
        QCOMPARE(rowTexts(control<QTreeWidget>(&window, u"lvwFList"_s), 0).at(9), u"210,000"_s);
        QCOMPARE(controlText(&window, u"remHour"_s), u"残工数：130/160時間"_s);
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestSetupThroughWindows)
#include "test_setup_through_windows.moc"
