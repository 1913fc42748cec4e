#include "estimation/function_editor.h"
#include "estimation/work_assignment.h"
#include "estimation_fixtures.h"
#include "foundation/help.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTabWidget>

// frmFunc on the real widgets, over the embedded database with the demo data.
class TestFunctionEditor : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<AppState> m_state;

    void open(int function, bool charge)
    {
        m_state->CurProject = 2;
        m_state->CurPriKind = 1;
        m_state->CurFunction = function;
        m_state->FuncEditMode = function == 0 ? 0 : 1;
        m_state->policy.Charge = charge;
    }

    static QTreeWidget* fpList(const FunctionEditor& e)
    {
        return control<QTreeWidget>(&e, QStringLiteral("lvwFpList"));
    }

    static void addFpRow(FunctionEditor& e, const QString& title, int kind, int complexity)
    {
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->setText(title);
        pickCode(control<QComboBox>(&e, QStringLiteral("cmbFpKind")), kind);
        pickCode(control<QComboBox>(&e, QStringLiteral("cmbFpComplex")), complexity);
        clickButton(&e, QStringLiteral("cmdFpAdd"));
    }

    static void selectRow(FunctionEditor& e, int row)
    {
        fpList(e)->setCurrentItem(fpList(e)->topLevelItem(row));
    }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_db = TestDatabase::create(Engine::SQLite, true);
        m_state = m_db->makeState();
    }
    void cleanup()
    {
        m_state.reset();
        m_db.reset();
        m_env.reset();
    }

    void newFunctionDefaults()
    {
        open(0, false);
        FunctionEditor e(*m_state);
        QVERIFY(e.isReady());
        QCOMPARE(e.objectName(), QStringLiteral("frmFunc"));
        QCOMPARE(e.windowTitle(), QStringLiteral("機能項目編集"));
        QCOMPARE(control<QPushButton>(&e, QStringLiteral("cmdOK"))->text(), QStringLiteral("新規保存"));
        QVERIFY(!control<QPushButton>(&e, QStringLiteral("cmdDel"))->isEnabled());
        for (int i = 0; i < kAdjustFactors; ++i) {
            QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbFpAdj_%1").arg(i))->currentData().toInt(), 2);
        }
        QCOMPARE(controlText(&e, QStringLiteral("lblFpAdjTotal")), QStringLiteral("28"));
        QCOMPARE(controlText(&e, QStringLiteral("lblFpAdjRes")), QStringLiteral("0.93"));
        QCOMPARE(controlText(&e, QStringLiteral("lblFpCoef")), QStringLiteral("0.93"));
        for (int i = 0; i < kScaleDrivers; ++i) {
            auto* box = control<QComboBox>(&e, QStringLiteral("cmbCoScale_%1").arg(i));
            QCOMPARE(box->currentData().toInt(), 2);
            QCOMPARE(box->currentText(), QStringLiteral("標準"));
        }
        for (int i = 0; i < kCostDrivers; ++i) {
            QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbCoCost_%1").arg(i))->currentData().toInt(), 2);
            QCOMPARE(controlText(&e, QStringLiteral("lblCoCVal_%1").arg(i)), QStringLiteral("1.00"));
        }
        QCOMPARE(controlText(&e, QStringLiteral("lblCoSVal_0")), QStringLiteral("3.72"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoSRes")), QStringLiteral("1.10"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoMtoH")), QStringLiteral("160"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoLang")),
                 QStringLiteral("53")); // Java, the first language
        QCOMPARE(controlText(&e, QStringLiteral("lblUFP")), QStringLiteral("0"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoHour")), QStringLiteral("0"));
        // The default classes and their coefficients.
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbNUp"))->currentText(), QStringLiteral("新規"));
        for (int i = 0; i < kCorrectionClasses; ++i) {
            QCOMPARE(controlText(&e, QStringLiteral("lvlCoef_%1").arg(i)), QStringLiteral("1.00"));
        }
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbFpKind"))->currentText(),
                 QStringLiteral("内部論理ﾌｧｲﾙ"));
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbFpComplex"))->currentText(), QStringLiteral("中"));
        // Eight processes in use: eight rows with the unit prices of price kind 1, the ninth hidden.
        QCOMPARE(controlText(&e, QStringLiteral("lvlHour_0")), QStringLiteral("要件定義"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlHour_7")), QStringLiteral("導入"));
        QCOMPARE(controlText(&e, QStringLiteral("txtUPrice_0")), QStringLiteral("9000"));
        QCOMPARE(controlText(&e, QStringLiteral("txtUPrice_7")), QStringLiteral("7000"));
        QVERIFY(!control<QLineEdit>(&e, QStringLiteral("txtHour_7"))->isHidden());
        QVERIFY(control<QLineEdit>(&e, QStringLiteral("txtHour_8"))->isHidden());
        QVERIFY(control<QPushButton>(&e, QStringLiteral("cmdHour_0"))->isHidden());
        QVERIFY(control<QLabel>(&e, QStringLiteral("lblUHour_0"))->isHidden());
        QCOMPARE(Help::topic(&e), 50);
        QVERIFY(Messages::shown().isEmpty());
    }

    void tabsKeysAndHelp()
    {
        open(0, false);
        FunctionEditor e(*m_state);
        auto* tabs = control<QTabWidget>(&e, QStringLiteral("tbsOptions"));
        const QStringList captions = {QStringLiteral("基本情報"), QStringLiteral("見積工数"),
                                      QStringLiteral("ﾌｧﾝｸｼｮﾝﾎﾟｲﾝﾄ"), QStringLiteral("FP調整係数"),
                                      QStringLiteral("COCOMO")};
        const QStringList keys = {QStringLiteral("fcBase"), QStringLiteral("fcHour"), QStringLiteral("fcFp"),
                                  QStringLiteral("ｆｃFpAdj"), QStringLiteral("fcCOCOMO")};
        const int topics[] = {50, 52, 56, 58, 60};
        QCOMPARE(tabs->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(tabs->tabText(i), captions[i]);
            QCOMPARE(tabs->widget(i)->objectName(), QStringLiteral("picOptions_%1").arg(i));
            QCOMPARE(tabs->widget(i)->property("key").toString(), keys[i]);
            tabs->setCurrentIndex(i);
            QCOMPARE(Help::topic(&e), topics[i]);
        }
        QCOMPARE(tabs->tabToolTip(1), QStringLiteral("工程毎の工数を見積り、価格を設定。"));
        QCOMPARE(tabs->tabToolTip(4), QStringLiteral("COCOMOⅡの要因値を設定。"));

        // Ctrl+Tab on the last tab returns to the first.
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QTest::keyClick(control<QComboBox>(&e, QStringLiteral("cmbCoCost_0")), Qt::Key_Tab,
                        Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(control<QLineEdit>(&e, QStringLiteral("txtSFunc")), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(Help::topic(&e), 52);
        e.hide();
    }

    void driverCaptionsAndTips()
    {
        open(0, false);
        FunctionEditor e(*m_state);
        QCOMPARE(controlText(&e, QStringLiteral("lblCoScale_0")), QStringLiteral("PREC"));
        QCOMPARE(control<QLabel>(&e, QStringLiteral("lblCoScale_4"))->toolTip(),
                 QStringLiteral("プロセス成熟度"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoCost_16")), QStringLiteral("SCED"));
        QCOMPARE(control<QLabel>(&e, QStringLiteral("lblCoCost_14"))->toolTip(),
                 QStringLiteral("使用するソフトウエアツールのレベル"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlFpAdj_0")), QStringLiteral("データ通信"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlFpAdj_13")),
                 QStringLiteral("機能の変更、追加に強い設計"));
        QCOMPARE(control<QLabel>(&e, QStringLiteral("lblLoc"))->toolTip(), QStringLiteral("単位：KStep"));
        QCOMPARE(control<QLabel>(&e, QStringLiteral("lblRemHour"))->toolTip(),
                 QStringLiteral("COCOMO工数 - 予想工数計"));
        QCOMPARE(control<QCheckBox>(&e, QStringLiteral("chkReserve"))->toolTip(),
                 QStringLiteral("チェックすると、工数や費用の計算対象外になります。"));
        // Only the ranks a driver has are offered: DATA starts at "低い", SCED ends at "非常に高い".
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbCoCost_1"))->itemText(0), QStringLiteral("低い"));
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbCoCost_16"))->count(), 5);
        // A rank change shows its value and moves the exponent.
        control<QComboBox>(&e, QStringLiteral("cmbCoScale_4"))->setCurrentIndex(0); // PMAT very low 7.80
        QCOMPARE(controlText(&e, QStringLiteral("lblCoSVal_4")), QStringLiteral("7.80"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoSRes")), QStringLiteral("1.13")); // 22.09 x 0.01 + 0.91
    }

    void functionPointRows()
    {
        open(0, false);
        FunctionEditor e(*m_state);
        addFpRow(e, QStringLiteral("顧客ファイル"), 1, 1); // 7
        addFpRow(e, QStringLiteral("参照ファイル"), 2, 1); // 5
        addFpRow(e, QStringLiteral("登録画面"), 3, 2);     // 4
        QCOMPARE(columnTexts(fpList(e)),
                 (QStringList{QStringLiteral("顧客ファイル"), QStringLiteral("参照ファイル"),
                              QStringLiteral("登録画面")}));
        QTreeWidgetItem* third = fpList(e)->topLevelItem(2);
        QCOMPARE(third->text(1), QStringLiteral("外部入力"));
        QCOMPARE(third->text(2), QStringLiteral("中"));
        QCOMPARE(third->text(3), QStringLiteral("4"));
        QCOMPARE(ItemKey(third), QStringLiteral("f03-02-0003"));
        QCOMPARE(controlText(&e, QStringLiteral("lblUFP")), QStringLiteral("16"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoUfp")), QStringLiteral("16"));
        QCOMPARE(controlText(&e, QStringLiteral("lblFP")), QStringLiteral("14.88")); // 16 x 0.93
        QCOMPARE(controlText(&e, QStringLiteral("lblLoc")), QStringLiteral("0.85")); // 53 x 16 / 1000

        // A click on the row just added brings its values back into the inputs.
        e.show();
        control<QTabWidget>(&e, QStringLiteral("tbsOptions"))->setCurrentIndex(2);
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->setText(QStringLiteral("書きかけ"));
        pickCode(control<QComboBox>(&e, QStringLiteral("cmbFpKind")), 5);
        clickRow(fpList(e), 2);
        QCOMPARE(controlText(&e, QStringLiteral("txtFpTitle")), QStringLiteral("登録画面"));
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbFpKind"))->currentData().toInt(), 3);

        // A title already listed is refused when adding...
        Messages::clearShown();
        addFpRow(e, QStringLiteral("参照ファイル"), 4, 3);
        QCOMPARE(Messages::last().title, QStringLiteral("重複"));
        QCOMPARE(Messages::last().text, QStringLiteral("同名の表題が既に登録されています。"));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(fpList(e)->topLevelItemCount(), 3);

        // ...and when updating another row to it, while a row may keep its own title.
        selectRow(e, 0);
        QCOMPARE(controlText(&e, QStringLiteral("txtFpTitle")), QStringLiteral("顧客ファイル"));
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbFpKind"))->currentData().toInt(), 1);
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbFpComplex"))->currentData().toInt(), 1);
        QVERIFY(control<QPushButton>(&e, QStringLiteral("cmdFpUp"))->isEnabled());
        QVERIFY(control<QPushButton>(&e, QStringLiteral("cmdFpLUp"))->isEnabled());
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->setText(QStringLiteral("登録画面"));
        Messages::clearShown();
        clickButton(&e, QStringLiteral("cmdFpUp"));
        QCOMPARE(Messages::last().title, QStringLiteral("重複"));
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->setText(QStringLiteral("顧客ファイル"));
        pickCode(control<QComboBox>(&e, QStringLiteral("cmbFpComplex")), 3);
        Messages::clearShown();
        clickButton(&e, QStringLiteral("cmdFpUp"));
        QVERIFY(Messages::shown().isEmpty());
        QTreeWidgetItem* first = fpList(e)->topLevelItem(0);
        QCOMPARE(FpKeyKind(ItemKey(first)), 1);
        QCOMPARE(FpKeyComplex(ItemKey(first)), 3);
        QCOMPARE(first->text(3), QStringLiteral("15"));
        QCOMPARE(controlText(&e, QStringLiteral("lblUFP")), QStringLiteral("24"));
        // A second update of the same row finds it by its new key.
        pickCode(control<QComboBox>(&e, QStringLiteral("cmbFpKind")), 5);
        clickButton(&e, QStringLiteral("cmdFpUp"));
        QCOMPARE(fpList(e)->topLevelItemCount(), 3);
        QCOMPARE(fpList(e)->topLevelItem(0)->text(1), QStringLiteral("外部照会"));
        QCOMPARE(fpList(e)->topLevelItem(0)->text(3), QStringLiteral("6"));
        QCOMPARE(controlText(&e, QStringLiteral("lblUFP")), QStringLiteral("15"));

        // An empty title is required.
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->clear();
        Messages::clearShown();
        clickButton(&e, QStringLiteral("cmdFpAdd"));
        QCOMPARE(Messages::last().text, QStringLiteral("表題は必須入力です。"));
        QCOMPARE(Messages::last().title, QStringLiteral("入力確認"));
        QCOMPARE(Messages::last().icon, Messages::Information);
        QCOMPARE(fpList(e)->topLevelItemCount(), 3);

        // Moving rows.
        selectRow(e, 2);
        clickButton(&e, QStringLiteral("cmdFpLUp"));
        QCOMPARE(columnTexts(fpList(e)),
                 (QStringList{QStringLiteral("顧客ファイル"), QStringLiteral("登録画面"),
                              QStringLiteral("参照ファイル")}));
        clickButton(&e, QStringLiteral("cmdFpLUp"));
        clickButton(&e, QStringLiteral("cmdFpLUp")); // already first: nothing
        QCOMPARE(columnTexts(fpList(e)),
                 (QStringList{QStringLiteral("登録画面"), QStringLiteral("顧客ファイル"),
                              QStringLiteral("参照ファイル")}));

        // Deleting: update and delete stay disabled until a row is chosen again.
        selectRow(e, 1);
        clickButton(&e, QStringLiteral("cmdFpDel"));
        QCOMPARE(columnTexts(fpList(e)),
                 (QStringList{QStringLiteral("登録画面"), QStringLiteral("参照ファイル")}));
        QVERIFY(!control<QPushButton>(&e, QStringLiteral("cmdFpUp"))->isEnabled());
        QVERIFY(!control<QPushButton>(&e, QStringLiteral("cmdFpDel"))->isEnabled());
        QCOMPARE(controlText(&e, QStringLiteral("lblUFP")), QStringLiteral("9"));
        selectRow(e, 0);
        QVERIFY(control<QPushButton>(&e, QStringLiteral("cmdFpDel"))->isEnabled());
    }

    // After adding a row, an update changes that row and compares against the others only.
    void updateAfterAddTargetsTheAddedRow()
    {
        open(0, false);
        FunctionEditor e(*m_state);
        addFpRow(e, QStringLiteral("A"), 1, 1);
        addFpRow(e, QStringLiteral("B"), 1, 1);
        selectRow(e, 0);
        addFpRow(e, QStringLiteral("C"), 1, 1);
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->setText(QStringLiteral("A"));
        Messages::clearShown();
        clickButton(&e, QStringLiteral("cmdFpUp"));
        QCOMPARE(Messages::last().title, QStringLiteral("重複"));
        QCOMPARE(columnTexts(fpList(e)),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    }

    void existingFunctionInProcessMode()
    {
        open(1, false);
        FunctionEditor e(*m_state);
        QVERIFY(e.isReady());
        QCOMPARE(control<QPushButton>(&e, QStringLiteral("cmdOK"))->text(), QStringLiteral("更新保存"));
        QVERIFY(control<QPushButton>(&e, QStringLiteral("cmdDel"))->isEnabled());
        QCOMPARE(controlText(&e, QStringLiteral("txtSFunc")), QStringLiteral("受注入力"));
        QVERIFY(!control<QCheckBox>(&e, QStringLiteral("chkReserve"))->isChecked());
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbImp"))->currentText(), QStringLiteral("重要"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlCoef_1")), QStringLiteral("1.10"));
        QCOMPARE(controlText(&e, QStringLiteral("txtHour_3")), QStringLiteral("96"));
        QCOMPARE(controlText(&e, QStringLiteral("txtUPrice_0")), QStringLiteral("9,000"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPrice_3")), QStringLiteral("576,000"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")), QStringLiteral("304"));
        QCOMPARE(controlText(&e, QStringLiteral("lblHour")), QStringLiteral("304"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlTotal")), QStringLiteral("2,056,000"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlCofeAll")), QStringLiteral("1.10"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlCTotal")), QStringLiteral("2,261,600"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPriAll")), QStringLiteral("2,261,600"));
        QCOMPARE(fpList(e)->topLevelItemCount(), 5);
        QCOMPARE(fpList(e)->topLevelItem(2)->text(0), QStringLiteral("得意先マスタ参照"));
        QCOMPARE(fpList(e)->topLevelItem(2)->text(3), QStringLiteral("5"));
        QCOMPARE(controlText(&e, QStringLiteral("lblUFP")), QStringLiteral("28")); // 4 + 10 + 5 + 4 + 5
        QCOMPARE(controlText(&e, QStringLiteral("lblFpAdjTotal")), QStringLiteral("35"));
        QCOMPARE(controlText(&e, QStringLiteral("lblFpAdjRes")), QStringLiteral("1.00"));
        QCOMPARE(control<QComboBox>(&e, QStringLiteral("cmbCoCost_0"))->currentData().toInt(), 3);
        QCOMPARE(controlText(&e, QStringLiteral("lblCoCVal_0")), QStringLiteral("1.10"));
        // COCOMO: 1.484 KStep, nominal scale, RELY high.
        const double cocomo = std::round(std::pow(28 * 53 / 1000.0, 1.0997) * 2.94 * 1.10 * 160);
        QCOMPARE(controlText(&e, QStringLiteral("lblCoHour")), QString::number(cocomo));
        QCOMPARE(controlText(&e, QStringLiteral("lblRemHour")), QString::number(cocomo - 304));

        // A change of class reprices at once.
        control<QComboBox>(&e, QStringLiteral("cmbImp"))->setCurrentIndex(1); // 普通 1.00
        QCOMPARE(controlText(&e, QStringLiteral("lvlCoef_1")), QStringLiteral("1.00"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPriAll")), QStringLiteral("2,056,000"));
        control<QLineEdit>(&e, QStringLiteral("txtDiscount"))->setText(QStringLiteral("96,000"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPriAll")), QStringLiteral("1,960,000"));
        // A language change changes the size.
        control<QComboBox>(&e, QStringLiteral("cmbLang"))->setCurrentIndex(3); // C, 97
        QCOMPARE(controlText(&e, QStringLiteral("lblCoLang")), QStringLiteral("97"));
        QCOMPARE(controlText(&e, QStringLiteral("lblLoc")), QStringLiteral("2.72")); // 28 x 97 / 1000
    }

    void hoursOverflowWarnsOnce()
    {
        open(0, false);
        FunctionEditor e(*m_state);
        auto* hours = control<QLineEdit>(&e, QStringLiteral("txtHour_0"));
        hours->setText(QStringLiteral("4000"));
        QVERIFY(Messages::shown().isEmpty());
        hours->setText(QStringLiteral("40000"));
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, QStringLiteral("オーバフロー"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPrice_0")), QStringLiteral("0"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")), QStringLiteral("40000"));
        control<QLineEdit>(&e, QStringLiteral("txtHour_1"))->setText(QStringLiteral("10"));
        control<QTabWidget>(&e, QStringLiteral("tbsOptions"))->setCurrentIndex(1);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")), QStringLiteral("40010"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPrice_1")), QStringLiteral("85,000"));
    }

    void chargeModeLayoutAndFigures()
    {
        open(1, true);
        FunctionEditor e(*m_state);
        QVERIFY(e.isReady());
        for (int i = 0; i < 8; ++i) {
            QVERIFY(control<QLineEdit>(&e, QStringLiteral("txtHour_%1").arg(i))->isHidden());
            QVERIFY(control<QLineEdit>(&e, QStringLiteral("txtUPrice_%1").arg(i))->isHidden());
            QVERIFY(control<QLabel>(&e, QStringLiteral("lblPri_%1").arg(i))->isHidden());
            QVERIFY(!control<QPushButton>(&e, QStringLiteral("cmdHour_%1").arg(i))->isHidden());
            QCOMPARE(control<QPushButton>(&e, QStringLiteral("cmdHour_%1").arg(i))->text(),
                     QStringLiteral("担当入力..."));
            QCOMPARE(controlText(&e, QStringLiteral("lblE_%1").arg(i)), QStringLiteral("時間"));
        }
        QVERIFY(control<QPushButton>(&e, QStringLiteral("cmdHour_8"))->isHidden());
        // Process 1: member 2 (PL, 8,500) 16 hours and member 1 (PM, 10,000) 8 hours.
        QCOMPARE(controlText(&e, QStringLiteral("lblUHour_0")), QStringLiteral("24"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPrice_0")), QStringLiteral("216,000"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")), QStringLiteral("304"));
        QCOMPARE(m_state->chargeTable[4][1].NMEMBER, 5);
        QCOMPARE(m_state->chargeTable[4][1].NDPRI, 5500.0);
        QCOMPARE(m_state->chargeTable[4][3].NADD, 0);
    }

    // A member replacement can leave a gap in a process's positions; the editor renumbers them so
    // that every assignment is shown and priced.
    void chargesAfterAGapAreLoaded()
    {
        ExecSql(
            *m_state->Conn,
            QStringLiteral("DELETE TCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NPROC = 1 AND NADD = 1"));
        ExecSql(*m_state->Conn, QStringLiteral("INSERT INTO TCHARGE VALUES (2, 1, 1, 5, 3, 10)"));
        open(1, true);
        FunctionEditor e(*m_state);
        QCOMPARE(m_state->chargeTable[1][1].NADD, 1);
        QCOMPARE(m_state->chargeTable[1][1].NMEMBER, 1);
        QCOMPARE(m_state->chargeTable[1][2].NADD, 2);
        QCOMPARE(m_state->chargeTable[1][2].NMEMBER, 3);
        QCOMPARE(controlText(&e, QStringLiteral("lblUHour_0")), QStringLiteral("18"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPrice_0")),
                 QStringLiteral("155,000")); // 8 x 10,000 + 10 x 7,500
    }

    // Assignments of a row beyond the processes in use stay on screen and in the figures.
    void assignedRowBeyondTheProcessesStaysVisible()
    {
        ExecSql(*m_state->Conn, QStringLiteral("UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 8"));
        open(1, true);
        {
            FunctionEditor e(*m_state);
            QVERIFY(!control<QPushButton>(&e, QStringLiteral("cmdHour_7"))->isHidden());
            QCOMPARE(controlText(&e, QStringLiteral("lvlHour_7")), QStringLiteral("工程８"));
            QCOMPARE(controlText(&e, QStringLiteral("lblUHour_7")), QStringLiteral("8"));
            QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")), QStringLiteral("304"));
            QCOMPARE(controlText(&e, QStringLiteral("lvlTotal")), QStringLiteral("1,996,000"));
        }
        open(1, false);
        FunctionEditor e(*m_state);
        QVERIFY(control<QLineEdit>(&e, QStringLiteral("txtHour_7"))->isHidden());
        QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")),
                 QStringLiteral("296")); // 導入 no longer planned
    }

    void assignmentDialogFromTheEditor()
    {
        open(1, true);
        FunctionEditor e(*m_state);
        const ModalSteps modal([&](QWidget* dialog) {
            QVERIFY(qobject_cast<WorkAssignment*>(dialog));
            QCOMPARE(dialog->objectName(), QStringLiteral("frmCharge"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("担当入力"));
            QCOMPARE(m_state->ChargeProc, 3);
            auto* list = control<QTreeWidget>(dialog, QStringLiteral("lvwChList"));
            QCOMPARE(list->topLevelItemCount(), 1);
            list->setCurrentItem(list->topLevelItem(0));
            clickButton(dialog, QStringLiteral("cmdChgDel"));
            clickButton(dialog, QStringLiteral("cmdFix"));
        });
        clickButton(&e, QStringLiteral("cmdHour_2"));
        QVERIFY(modal.ran());
        // The last assignment of the process removed: 0 hours, no price.
        QCOMPARE(controlText(&e, QStringLiteral("lblUHour_2")), QStringLiteral("0"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPrice_2")), QStringLiteral("0"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlHTotal")), QStringLiteral("264"));
    }

    void cancelAsksFirst_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<bool>("cancelPolicy");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("closes");
        QTest::newRow("new, OK") << 0 << true << int(QMessageBox::Ok)
                                 << QStringLiteral("保存せずに終了します。\nよろしいですか。") << true;
        QTest::newRow("existing, cancel")
            << 1 << true << int(QMessageBox::Cancel)
            << QStringLiteral("変更せずに終了します。\nよろしいですか。") << false;
        QTest::newRow("policy off") << 1 << false << 0 << QString() << true;
    }
    void cancelAsksFirst()
    {
        QFETCH(int, function);
        QFETCH(bool, cancelPolicy);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(bool, closes);
        open(function, false);
        m_state->policy.Cancel = cancelPolicy;
        FunctionEditor e(*m_state);
        e.show();
        Messages::clearShown();
        if (answer != 0) {
            Messages::setNextAnswer(static_cast<Messages::Button>(answer));
        }
        QTest::keyClick(&e, Qt::Key_Escape);
        QCOMPARE(e.isVisible(), !closes);
        if (question.isEmpty()) {
            QVERIFY(Messages::shown().isEmpty());
        } else {
            QCOMPARE(Messages::last().title, QStringLiteral("確認"));
            QCOMPARE(Messages::last().text, question);
        }
        QVERIFY(!m_state->Updated);
    }

    // Whichever statement of the load fails, the error is reported with that statement and the
    // window does not open half-filled.
    void loadFailureIsReported_data()
    {
        QTest::addColumn<bool>("charge");
        QTest::addColumn<QString>("statement");
        QTest::newRow("adjustment degrees")
            << false
            << QStringLiteral("SELECT * FROM TFPADJ WHERE NPROJECT = 2 AND NFUNCTION = 1 ORDER BY NKIND");
        QTest::newRow("language coefficient")
            << false << QStringLiteral("SELECT NCOEF FROM MLANG WHERE NLANG = 1");
        QTest::newRow("assignments")
            << true
            << QStringLiteral("SELECT * FROM VCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NPRIKIND = 1 "
                              "ORDER BY NPROC, NADD");
    }
    void loadFailureIsReported()
    {
        QFETCH(bool, charge);
        QFETCH(QString, statement);
        open(1, charge);
        DbConnection::setStatementHook([statement](const DbConnection&, const QString& sql) {
            if (sql == statement) {
                throw DbError(DbError::Other, QStringLiteral("接続が切れました"), sql);
            }
        });
        FunctionEditor e(*m_state);
        DbConnection::setStatementHook(nullptr);
        QVERIFY(!e.isReady());
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
        QCOMPARE(Messages::last().text, QStringLiteral("接続が切れました\n") + statement);
    }

    void outOfRangeLanguageCountsZero()
    {
        ExecSql(*m_state->Conn, QStringLiteral("UPDATE MLANG SET NCOEF = 40000 WHERE NLANG = 1"));
        open(1, false);
        FunctionEditor e(*m_state);
        QVERIFY(e.isReady());
        QCOMPARE(Messages::last().title, QStringLiteral("オーバフロー"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoLang")), QStringLiteral("0"));
        QCOMPARE(controlText(&e, QStringLiteral("lblCoHour")), QStringLiteral("0"));
        QCOMPARE(controlText(&e, QStringLiteral("lvlPriAll")), QStringLiteral("2,261,600"));
    }

    // The real editor opened from the main window: the list and the panels follow the save.
    void fromTheMainWindow()
    {
        RegisterAllEditors();
        MainWindow window(*m_state);
        m_state->policy.Charge = false; // the window has loaded the stored policy
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tree = control<QTreeWidget>(&window, QStringLiteral("tvwPList"));
        auto* list = control<QTreeWidget>(&window, QStringLiteral("lvwFList"));
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if (ItemKey(*it) == QStringLiteral("P2")) {
                tree->setCurrentItem(*it);
            }
        }
        QCOMPARE(m_state->CurProject, 2);
        QCOMPARE(list->topLevelItemCount(), 3);
        const QString hoursBefore = control<QLabel>(&window, QStringLiteral("remHour"))->text();

        triggerWithModal(&window, QStringLiteral("FN"), [](QWidget* e) {
            QVERIFY(qobject_cast<FunctionEditor*>(e));
            control<QLineEdit>(e, QStringLiteral("txtSFunc"))->setText(QStringLiteral("請求書発行"));
            control<QLineEdit>(e, QStringLiteral("txtHour_3"))->setText(QStringLiteral("20"));
            clickButton(e, QStringLiteral("cmdOK"));
        });
        QCOMPARE(list->topLevelItemCount(), 4);
        const int added = m_state->CurFunction;
        QTreeWidgetItem* row = FindItemByKey(list, QStringLiteral("F") + QString::number(added));
        QVERIFY(row);
        QCOMPARE(row->text(2), QStringLiteral("請求書発行"));
        QCOMPARE(row->text(8), QStringLiteral("20"));
        QCOMPARE(row->text(9), QStringLiteral("120,000"));
        QVERIFY(control<QLabel>(&window, QStringLiteral("remHour"))->text() != hoursBefore);

        list->setCurrentItem(row);
        triggerWithModal(&window, QStringLiteral("FU"), [](QWidget* e) {
            QVERIFY(qobject_cast<FunctionEditor*>(e));
            QCOMPARE(controlText(e, QStringLiteral("txtSFunc")), QStringLiteral("請求書発行"));
            control<QLineEdit>(e, QStringLiteral("txtDiscount"))->setText(QStringLiteral("20,000"));
            clickButton(e, QStringLiteral("cmdOK"));
        });
        QCOMPARE(FindItemByKey(list, QStringLiteral("F") + QString::number(added))->text(9),
                 QStringLiteral("100,000"));
        window.close();
    }

    // Every page laid out without clipping; with VORNA_SCREENSHOTS set, the pages are saved there.
    void pagesLayOutCleanly_data()
    {
        QTest::addColumn<bool>("charge");
        QTest::newRow("process mode") << false;
        QTest::newRow("charge mode") << true;
    }
    void pagesLayOutCleanly()
    {
        QFETCH(bool, charge);
        open(1, charge);
        FunctionEditor e(*m_state);
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        auto* tabs = control<QTabWidget>(&e, QStringLiteral("tbsOptions"));
        const QString folder = qEnvironmentVariable("VORNA_SCREENSHOTS");
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            const QWidget* page = tabs->widget(i);
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (!w->isVisible() || qobject_cast<QTreeWidget*>(w) || w->inherits("QAbstractScrollArea")) {
                    continue;
                }
                if (qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w) ||
                    qobject_cast<QComboBox*>(w)) {
                    QVERIFY2(w->width() >= w->minimumSizeHint().width(),
                             qPrintable(w->objectName() + QLatin1Char(' ') + QString::number(i)));
                    const QRect inPage(w->mapTo(page, QPoint(0, 0)), w->size());
                    QVERIFY2(page->rect().contains(inPage), qPrintable(w->objectName()));
                }
            }
            if (!folder.isEmpty()) {
                e.grab().save(QDir(folder).filePath(
                    QStringLiteral("frmFunc_%1_%2.png").arg(charge ? "charge" : "process").arg(i)));
            }
        }
    }
};

QTEST_MAIN(TestFunctionEditor)
#include "test_function_editor.moc"
