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
    return GetSetting(QStringLiteral("VORNA"), QStringLiteral("Policy"), key);
}

} // namespace

class TestPolicy : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void loadAndSave()
    {
        const Policy defaults = LoadPolicy();
        QVERIFY(defaults.Work && defaults.Indirect && defaults.Base && defaults.Opt && defaults.Deliv &&
                defaults.Expe0 && defaults.Expe1);
        QCOMPARE(defaults.Rate, 0);
        QVERIFY(defaults.WorkR && defaults.IndirectR && defaults.BaseR && defaults.OptR && defaults.DelivR &&
                defaults.Expe0R && defaults.Expe1R);
        QVERIFY(!defaults.Hour);
        QVERIFY(defaults.Charge);
        QCOMPARE(defaults.MtoH, 160);
        QCOMPARE(defaults.Place, 3);
        QVERIFY(defaults.Cancel);

        Policy changed = defaults;
        changed.Indirect = false;
        changed.Rate = 2;
        changed.Hour = true;
        changed.Charge = false;
        changed.MtoH = -5;
        changed.Place = 0;
        SavePolicy(changed);
        QCOMPARE(stored(QStringLiteral("Charge")), QStringLiteral("False"));
        QCOMPARE(stored(QStringLiteral("MtoH")), QStringLiteral("-5"));
        const Policy back = LoadPolicy();
        QVERIFY(!back.Indirect);
        QCOMPARE(back.Rate, 2);
        QVERIFY(back.Hour);
        QVERIFY(!back.Charge);
        QCOMPARE(back.MtoH, -5);
        QCOMPARE(back.Place, 0);
        QVERIFY(back.Work && back.Cancel);
    }

    void unreadableValueNamesItsKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("boolean") << "Deliv"
                                 << "perhaps";
        QTest::newRow("integer") << "Place"
                                 << "three";
        QTest::newRow("out of range") << "MtoH"
                                      << "40000";
    }
    void unreadableValueNamesItsKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Policy"), key, value);
        try {
            LoadPolicy();
            QFAIL("an unreadable value was accepted");
        } catch (const PolicyError& e) {
            QVERIFY2(e.message().contains(key) && e.message().contains(value), qPrintable(e.message()));
        }
    }

    void checkValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("boolean");
        QTest::addColumn<int>("check");
        QTest::newRow("unticked") << QVariant(0) << false << 0;
        QTest::newRow("ticked") << QVariant(1) << true << 1;
        QTest::newRow("grey counts as ticked") << QVariant(2) << true << 2;
        QTest::newRow("stored flag text") << QVariant(QStringLiteral("1")) << true << 1;
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
        QCOMPARE(dialog.objectName(), QStringLiteral("frmPolicy"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ポリシー編集"));
        for (const char* name :
             {"chkWork", "chkIndirect", "chkBase", "chkOpt", "chkDeliv", "chkExpe_0", "chkExpe_1", "chkWorkR",
              "chkIndirectR", "chkBaseR", "chkOptR", "chkDelivR", "chkExpeR_0", "chkExpeR_1"}) {
            QVERIFY2(control<QCheckBox>(&dialog, QString::fromLatin1(name))->isChecked(), name);
        }
        QVERIFY(control<QRadioButton>(&dialog, QStringLiteral("optInput"))->isChecked());
        QVERIFY(!control<QCheckBox>(&dialog, QStringLiteral("chkWorkR"))->isEnabled());
        QVERIFY(!control<QCheckBox>(&dialog, QStringLiteral("chkIndirectR"))->isEnabled());
        QVERIFY(!control<QCheckBox>(&dialog, QStringLiteral("chkHour"))->isChecked());
        QCOMPARE(control<QComboBox>(&dialog, QStringLiteral("cmbCharge"))->currentText(),
                 QStringLiteral("作業メンバの職種で計算する"));
        QCOMPARE(control<QLineEdit>(&dialog, QStringLiteral("txtMtoH"))->text(), QStringLiteral("160"));
        auto* tabs = control<QTabWidget>(&dialog, QStringLiteral("tbsOptions"));
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("純利益"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("工数"));
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void enablingRules()
    {
        AppState state;
        PolicyDialog dialog(state);
        dialog.show();
        auto* workR = control<QCheckBox>(&dialog, QStringLiteral("chkWorkR"));
        auto* indirectR = control<QCheckBox>(&dialog, QStringLiteral("chkIndirectR"));
        control<QRadioButton>(&dialog, QStringLiteral("optOutput"))->click();
        QVERIFY(workR->isEnabled());
        QVERIFY(control<QCheckBox>(&dialog, QStringLiteral("chkExpeR_1"))->isEnabled());
        QVERIFY(indirectR->isEnabled());
        workR->click();
        QVERIFY(!indirectR->isEnabled());
        control<QRadioButton>(&dialog, QStringLiteral("optWork"))->click();
        QVERIFY(!workR->isEnabled());
        control<QRadioButton>(&dialog, QStringLiteral("optOutput"))->click();
        QVERIFY(workR->isEnabled());
        QVERIFY(!indirectR->isEnabled());

        // Unticking chkWork disables chkIndirect but keeps its tick, which is then stored.
        auto* work = control<QCheckBox>(&dialog, QStringLiteral("chkWork"));
        work->click();
        QVERIFY(!control<QCheckBox>(&dialog, QStringLiteral("chkIndirect"))->isEnabled());
        QVERIFY(control<QCheckBox>(&dialog, QStringLiteral("chkIndirect"))->isChecked());
        control<QComboBox>(&dialog, QStringLiteral("cmbCharge"))->setCurrentIndex(1);
        control<QPushButton>(&dialog, QStringLiteral("cmdOK"))->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(stored(QStringLiteral("Work")), QStringLiteral("False"));
        QCOMPARE(stored(QStringLiteral("Indirect")), QStringLiteral("True"));
        QCOMPARE(stored(QStringLiteral("Rate")), QStringLiteral("2"));
        QCOMPARE(stored(QStringLiteral("WorkR")), QStringLiteral("False"));
        QCOMPARE(stored(QStringLiteral("Charge")), QStringLiteral("False"));
        QCOMPARE(stored(QStringLiteral("Place")), QStringLiteral("3"));
        QCOMPARE(stored(QStringLiteral("Cancel")), QStringLiteral("True"));
        QVERIFY(!state.policy.Charge);
        QVERIFY(!state.policy.Work);
    }

    void emptyHoursPerMonthIsRefused()
    {
        AppState state;
        PolicyDialog dialog(state);
        dialog.show();
        control<QCheckBox>(&dialog, QStringLiteral("chkBase"))->click();
        control<QLineEdit>(&dialog, QStringLiteral("txtMtoH"))->clear();
        control<QPushButton>(&dialog, QStringLiteral("cmdOK"))->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().title, QStringLiteral("入力不足"));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(Messages::last().text,
                 QStringLiteral("１人月あたりの工数が入力されていません。\n"
                                "COCOMOを使用しない場合でも適当な数値を入力してください。"));
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
        QVERIFY(state.policy.Base);

        // A half-typed number is refused too, instead of being stored as 0.
        control<QLineEdit>(&dialog, QStringLiteral("txtMtoH"))->setText(QStringLiteral("-"));
        control<QPushButton>(&dialog, QStringLiteral("cmdOK"))->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().title, QStringLiteral("入力確認"));
        QCOMPARE(Messages::last().text, QStringLiteral("１人月あたりの工数の値が正しくありません。"));
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
    }

    void keys()
    {
        AppState state;
        PolicyDialog dialog(state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* tabs = control<QTabWidget>(&dialog, QStringLiteral("tbsOptions"));
        tabs->setCurrentIndex(2);
        QCOMPARE(Help::topic(&dialog), 30);
        control<QLineEdit>(&dialog, QStringLiteral("txtMtoH"))->setFocus();
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
        QCOMPARE(Messages::last().text, QStringLiteral("変更せずに終了します。\nよろしいですか。"));
    }

    void cancelWithoutQuestionWhenPolicySaysSo()
    {
        AppState state;
        state.policy.Cancel = false;
        state.policy.Rate = 7;
        PolicyDialog dialog(state);
        dialog.show();
        QVERIFY(!control<QRadioButton>(&dialog, QStringLiteral("optInput"))->isChecked());
        QVERIFY(!control<QRadioButton>(&dialog, QStringLiteral("optWork"))->isChecked());
        QVERIFY(!control<QRadioButton>(&dialog, QStringLiteral("optOutput"))->isChecked());
        control<QPushButton>(&dialog, QStringLiteral("cmdCancel"))->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(state.policy.Rate, 7);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestPolicy)
#include "test_policy.moc"
