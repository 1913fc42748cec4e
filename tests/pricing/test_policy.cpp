#include "foundation/app_state.h"
#include "foundation/help.h"
#include "foundation/messages.h"
#include "foundation/settings_store.h"
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

template <typename T> T* child(QWidget& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(QLatin1String(name));
    if (!widget) {
        qFatal("no control %s", name);
    }
    return widget;
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
            QVERIFY2(child<QCheckBox>(dialog, name)->isChecked(), name);
        }
        QVERIFY(child<QRadioButton>(dialog, "optInput")->isChecked());
        QVERIFY(!child<QCheckBox>(dialog, "chkWorkR")->isEnabled());
        QVERIFY(!child<QCheckBox>(dialog, "chkIndirectR")->isEnabled());
        QVERIFY(!child<QCheckBox>(dialog, "chkHour")->isChecked());
        QCOMPARE(child<QComboBox>(dialog, "cmbCharge")->currentText(),
                 QStringLiteral("作業メンバの職種で計算する"));
        QCOMPARE(child<QLineEdit>(dialog, "txtMtoH")->text(), QStringLiteral("160"));
        auto* tabs = child<QTabWidget>(dialog, "tbsOptions");
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
        auto* workR = child<QCheckBox>(dialog, "chkWorkR");
        auto* indirectR = child<QCheckBox>(dialog, "chkIndirectR");
        child<QRadioButton>(dialog, "optOutput")->click();
        QVERIFY(workR->isEnabled());
        QVERIFY(child<QCheckBox>(dialog, "chkExpeR_1")->isEnabled());
        QVERIFY(indirectR->isEnabled());
        workR->click();
        QVERIFY(!indirectR->isEnabled());
        child<QRadioButton>(dialog, "optWork")->click();
        QVERIFY(!workR->isEnabled());
        child<QRadioButton>(dialog, "optOutput")->click();
        QVERIFY(workR->isEnabled());
        QVERIFY(!indirectR->isEnabled());

        // Unticking chkWork disables chkIndirect but keeps its tick, which is then stored.
        auto* work = child<QCheckBox>(dialog, "chkWork");
        work->click();
        QVERIFY(!child<QCheckBox>(dialog, "chkIndirect")->isEnabled());
        QVERIFY(child<QCheckBox>(dialog, "chkIndirect")->isChecked());
        child<QComboBox>(dialog, "cmbCharge")->setCurrentIndex(1);
        child<QPushButton>(dialog, "cmdOK")->click();
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
        child<QCheckBox>(dialog, "chkBase")->click();
        child<QLineEdit>(dialog, "txtMtoH")->clear();
        child<QPushButton>(dialog, "cmdOK")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().title, QStringLiteral("入力不足"));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(Messages::last().text,
                 QStringLiteral("１人月あたりの工数が入力されていません。\n"
                                "COCOMOを使用しない場合でも適当な数値を入力してください。"));
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
        QVERIFY(state.policy.Base);

        // A half-typed number is refused too, instead of being stored as 0.
        child<QLineEdit>(dialog, "txtMtoH")->setText(QStringLiteral("-"));
        child<QPushButton>(dialog, "cmdOK")->click();
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
        auto* tabs = child<QTabWidget>(dialog, "tbsOptions");
        tabs->setCurrentIndex(2);
        QCOMPARE(Help::topic(&dialog), 30);
        child<QLineEdit>(dialog, "txtMtoH")->setFocus();
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
        QVERIFY(!child<QRadioButton>(dialog, "optInput")->isChecked());
        QVERIFY(!child<QRadioButton>(dialog, "optWork")->isChecked());
        QVERIFY(!child<QRadioButton>(dialog, "optOutput")->isChecked());
        child<QPushButton>(dialog, "cmdCancel")->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(state.policy.Rate, 7);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestPolicy)
#include "test_policy.moc"
