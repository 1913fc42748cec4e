#include "foundation/app_state.h"
#include "foundation/help.h"
#include "foundation/messages.h"
#include "foundation/settings_store.h"
#include "gui_helpers.h"
#include "pricing/check_values.h"
#include "pricing/policy.h"
#include "pricing/policy_dialog.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

QString stored(const QString& key)
{
    return GetSetting(u"VORNA"_s, u"Policy"_s, key);
}

} // namespace

class TestPolicy : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void unreadableValueNamesItsKey_data()
    {
        addColumns<QString, QString>({"key", "value"});
        QTest::newRow("boolean") << u"Deliv"_s << u"perhaps"_s;
        QTest::newRow("integer") << u"Place"_s << u"three"_s;
        QTest::newRow("out of range") << u"MtoH"_s << u"40000"_s;
    }
    void unreadableValueNamesItsKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        SaveSetting(u"VORNA"_s, u"Policy"_s, key, value);
        try {
            LoadPolicy();
            QFAIL("an unreadable value was accepted");
        } catch (const PolicyError& e) {
            QVERIFY2(e.message().contains(key) && e.message().contains(value), qPrintable(e.message()));
        }
    }

    void checkValues_data()
    {
        addColumns<QVariant, bool, int>({"value", "boolean", "check"});
        QTest::newRow("unticked") << QVariant(0) << false << 0;
        QTest::newRow("ticked") << QVariant(1) << true << 1;
        QTest::newRow("grey counts as ticked") << QVariant(2) << true << 2;
        QTest::newRow("stored flag text") << QVariant(u"1"_s) << true << 1;
        QTest::newRow("true") << QVariant(true) << true << 1;
        QTest::newRow("false") << QVariant(false) << false << 0;
    }
    void checkValues()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, boolean);
        QFETCH(int, check);
        QCOMPARE(CheckToBool(value), boolean);
        QCOMPARE(BoolToCheck(value), check);
    }

    void freshDialogShowsDefaults()
    {
        AppState state;
        state.policy = LoadPolicy();
        PolicyDialog dialog(state);
        QCOMPARE(dialog.objectName(), u"frmPolicy"_s);
        QCOMPARE(dialog.windowTitle(), u"ポリシー編集"_s);
        for (const char* name :
             {"chkWork", "chkIndirect", "chkBase", "chkOpt", "chkDeliv", "chkExpe_0", "chkExpe_1", "chkWorkR",
              "chkIndirectR", "chkBaseR", "chkOptR", "chkDelivR", "chkExpeR_0", "chkExpeR_1"}) {
            QVERIFY2(control<QCheckBox>(&dialog, QString::fromLatin1(name))->isChecked(), name);
        }
        QVERIFY(control<QRadioButton>(&dialog, u"optInput"_s)->isChecked());
        QVERIFY(!control<QCheckBox>(&dialog, u"chkWorkR"_s)->isEnabled());
        QVERIFY(!control<QCheckBox>(&dialog, u"chkIndirectR"_s)->isEnabled());
        QVERIFY(!control<QCheckBox>(&dialog, u"chkHour"_s)->isChecked());
        QCOMPARE(control<QComboBox>(&dialog, u"cmbCharge"_s)->currentText(), u"作業メンバの職種で計算する"_s);
        QCOMPARE(control<QLineEdit>(&dialog, u"txtMtoH"_s)->text(), u"160"_s);
        auto* tabs = control<QTabWidget>(&dialog, u"tbsOptions"_s);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), u"純利益"_s);
        QCOMPARE(tabs->tabText(2), u"工数"_s);
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void enablingRules()
    {
        AppState state;
        PolicyDialog dialog(state);
        dialog.show();
        auto* workR = control<QCheckBox>(&dialog, u"chkWorkR"_s);
        auto* indirectR = control<QCheckBox>(&dialog, u"chkIndirectR"_s);
        control<QRadioButton>(&dialog, u"optOutput"_s)->click();
        QVERIFY(workR->isEnabled());
        QVERIFY(control<QCheckBox>(&dialog, u"chkExpeR_1"_s)->isEnabled());
        QVERIFY(indirectR->isEnabled());
        workR->click();
        QVERIFY(!indirectR->isEnabled());
        control<QRadioButton>(&dialog, u"optWork"_s)->click();
        QVERIFY(!workR->isEnabled());
        control<QRadioButton>(&dialog, u"optOutput"_s)->click();
        QVERIFY(workR->isEnabled());
        QVERIFY(!indirectR->isEnabled());

        // Unticking chkWork disables chkIndirect but keeps its tick, which is then stored.
        auto* work = control<QCheckBox>(&dialog, u"chkWork"_s);
        work->click();
        QVERIFY(!control<QCheckBox>(&dialog, u"chkIndirect"_s)->isEnabled());
        QVERIFY(control<QCheckBox>(&dialog, u"chkIndirect"_s)->isChecked());
        control<QComboBox>(&dialog, u"cmbCharge"_s)->setCurrentIndex(1);
        control<QPushButton>(&dialog, u"cmdOK"_s)->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(stored(u"Work"_s), u"False"_s);
        QCOMPARE(stored(u"Indirect"_s), u"True"_s);
        QCOMPARE(stored(u"Rate"_s), u"2"_s);
        QCOMPARE(stored(u"WorkR"_s), u"False"_s);
        QCOMPARE(stored(u"Charge"_s), u"False"_s);
        QCOMPARE(stored(u"Place"_s), u"3"_s);
        QCOMPARE(stored(u"Cancel"_s), u"True"_s);
        QVERIFY(!state.policy.Charge);
        QVERIFY(!state.policy.Work);
        const Policy loaded = LoadPolicy();
        QVERIFY(!loaded.Work && loaded.Indirect && !loaded.Charge && loaded.Rate == 2 && loaded.Place == 3);
    }

    void emptyHoursPerMonthIsRefused()
    {
        AppState state;
        PolicyDialog dialog(state);
        dialog.show();
        control<QCheckBox>(&dialog, u"chkBase"_s)->click();
        control<QLineEdit>(&dialog, u"txtMtoH"_s)->clear();
        control<QPushButton>(&dialog, u"cmdOK"_s)->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().title, u"入力不足"_s);
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(Messages::last().text,
                 QStringLiteral("１人月あたりの工数が入力されていません。\n"
                                "COCOMOを使用しない場合でも適当な数値を入力してください。"));
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
        QVERIFY(state.policy.Base);

        // A half-typed number is refused too, instead of being stored as 0.
        control<QLineEdit>(&dialog, u"txtMtoH"_s)->setText(u"-"_s);
        control<QPushButton>(&dialog, u"cmdOK"_s)->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().title, u"入力確認"_s);
        QCOMPARE(Messages::last().text, u"１人月あたりの工数の値が正しくありません。"_s);
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
    }

    void keys()
    {
        AppState state;
        PolicyDialog dialog(state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* tabs = control<QTabWidget>(&dialog, u"tbsOptions"_s);
        tabs->setCurrentIndex(2);
        QCOMPARE(Help::topic(&dialog), 30);
        control<QLineEdit>(&dialog, u"txtMtoH"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(Help::topic(&dialog), 26);
        // Enter does not save.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
        // Esc asks (policy Cancel on); answered Cancel, the dialog stays.
        Messages::setNextAnswer(QMessageBox::Cancel);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().text, u"変更せずに終了します。\nよろしいですか。"_s);
    }

    void cancelWithoutQuestionWhenPolicySaysSo()
    {
        AppState state;
        state.policy.Cancel = false;
        state.policy.Rate = 7;
        PolicyDialog dialog(state);
        dialog.show();
        QVERIFY(!control<QRadioButton>(&dialog, u"optInput"_s)->isChecked());
        QVERIFY(!control<QRadioButton>(&dialog, u"optWork"_s)->isChecked());
        QVERIFY(!control<QRadioButton>(&dialog, u"optOutput"_s)->isChecked());
        control<QPushButton>(&dialog, u"cmdCancel"_s)->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(state.policy.Rate, 7);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestPolicy)
#include "test_policy.moc"
