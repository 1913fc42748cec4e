#include "common/messages.h"
#include "gui_helpers.h"
#include "pricing/policy_dialog.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "test_support.h"

#include <QRadioButton>

class TestPolicy : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Place and Cancel have no control: a save through the dialog keeps what the store holds.
    void keysWithoutControlSurvive()
    {
        StoreSetting(u"Policy"_s, u"Place"_s, u"1"_s);
        StoreSetting(u"Policy"_s, u"Cancel"_s, u"False"_s);
        AppState state;
        state.policy = LoadPolicy();
        PolicyDialog dialog(state);
        dialog.show();
        clickButton(&dialog, u"cmdOK"_s);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(StoredSetting(u"Policy"_s, u"Place"_s), u"1"_s);
        QCOMPARE(StoredSetting(u"Policy"_s, u"Cancel"_s), u"False"_s);
        const Policy loaded = LoadPolicy();
        QCOMPARE(loaded.Place, 1);
        QVERIFY(!loaded.Cancel);
    }

    // Without a settings file the defaults are shown: every amount ticked, the rate on the
    // order amount (so its outlay options greyed), charges per member kind, 160 hours a month.
    // Ctrl+Tab turns the page; neither Enter nor a missing or
    // half-typed hours-per-month saves; Esc asks first, as for a record being changed. Then the
    // options grey each other out, and the policy saved through the dialog is read back the same.
    void dialog()
    {
        AppState state;
        state.policy = LoadPolicy();
        PolicyDialog dialog(state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        const auto ticked = [&dialog](const QString& name) {
            return control<QAbstractButton>(&dialog, name)->isChecked();
        };
        const auto enabled = [&dialog](const QString& name) {
            return control<QWidget>(&dialog, name)->isEnabled();
        };
        for (const char* name :
             {"chkWork", "chkIndirect", "chkBase", "chkOpt", "chkDeliv", "chkExpe_0", "chkExpe_1", "chkWorkR",
              "chkIndirectR", "chkBaseR", "chkOptR", "chkDelivR", "chkExpeR_0", "chkExpeR_1", "optInput"}) {
            QVERIFY2(ticked(QString::fromLatin1(name)), name);
        }
        QVERIFY(!enabled(u"chkWorkR"_s) && !enabled(u"chkIndirectR"_s));
        QVERIFY(!ticked(u"chkHour"_s));
        QCOMPARE(texts(&dialog, {"cmbCharge", "txtMtoH"}),
                 (QStringList{"作業メンバの職種で計算する", "160"}));

        auto* tabs = control<QTabWidget>(&dialog, u"tbsOptions"_s);
        tabs->setCurrentIndex(2);
        control<QLineEdit>(&dialog, u"txtMtoH"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(Messages::shown().isEmpty());

        clickButton(&dialog, u"chkBase"_s);
        setText(&dialog, u"txtMtoH"_s, QString());
        clickButton(&dialog, u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"入力不足"_s,
                             u"１人月あたりの工数が入力されていません。\n"
                             "COCOMOを使用しない場合でも適当な数値を入力してください。"_s,
                             Messages::Exclamation);
        // A half-typed number is refused too, instead of being stored as 0.
        setText(&dialog, u"txtMtoH"_s, u"-"_s);
        clickButton(&dialog, u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"入力確認"_s, u"１人月あたりの工数の値が正しくありません。"_s,
                             Messages::Information);
        QVERIFY(!QFile::exists(Settings::filePath()));
        QVERIFY(state.policy.Base);

        // Answered Cancel, the dialog stays.
        Messages::setNextAnswer(QMessageBox::Cancel);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(Messages::last().text, u"変更せずに終了します。\nよろしいですか。"_s);

        setText(&dialog, u"txtMtoH"_s, u"160"_s);
        control<QRadioButton>(&dialog, u"optOutput"_s)->click();
        QVERIFY(enabled(u"chkWorkR"_s) && enabled(u"chkExpeR_1"_s) && enabled(u"chkIndirectR"_s));
        clickButton(&dialog, u"chkIndirectR"_s);
        clickButton(&dialog, u"chkWorkR"_s);
        QVERIFY(!enabled(u"chkIndirectR"_s));
        control<QRadioButton>(&dialog, u"optWork"_s)->click();
        QVERIFY(!enabled(u"chkWorkR"_s));
        control<QRadioButton>(&dialog, u"optOutput"_s)->click();
        QVERIFY(enabled(u"chkWorkR"_s) && !enabled(u"chkIndirectR"_s));

        // Unticking chkWork disables chkIndirect but keeps its tick, which is then stored.
        clickButton(&dialog, u"chkWork"_s);
        QVERIFY(!enabled(u"chkIndirect"_s) && ticked(u"chkIndirect"_s));
        control<QComboBox>(&dialog, u"cmbCharge"_s)->setCurrentIndex(1);
        clickButton(&dialog, u"cmdOK"_s);
        QVERIFY(!dialog.isVisible());
        QStringList stored;
        for (const char* key :
             {"Work", "Indirect", "Rate", "WorkR", "IndirectR", "Charge", "Place", "Cancel"}) {
            stored << StoredSetting(u"Policy"_s, QString::fromLatin1(key));
        }
        QCOMPARE(stored, (QStringList{"False", "True", "2", "False", "False", "False", "3", "True"}));
        const Policy loaded = LoadPolicy();
        QVERIFY(!state.policy.Charge && !state.policy.Work && !loaded.Work && loaded.Indirect &&
                !loaded.WorkR);
        QCOMPARE((QList<int>{loaded.Charge, loaded.Rate, loaded.Place}), (QList<int>{false, 2, 3}));
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestPolicy)
#include "test_policy.moc"
