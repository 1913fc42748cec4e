#include "foundation/app_state.h"
#include "foundation/conn_str_dialog.h"
#include "foundation/connection_string.h"
#include "foundation/db_connection.h"
#include "foundation/messages.h"
#include "foundation/settings_store.h"
#include "foundation/startup.h"
#include "gui_helpers.h"
#include "test_support.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

void setDb(const QString& key, const QString& value)
{
    SaveSetting(QStringLiteral("vorna"), QStringLiteral("DB"), key, value);
}

QString dbSetting(const QString& key)
{
    return GetSetting(QStringLiteral("vorna"), QStringLiteral("DB"), key);
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void firstStartCreatesDatabaseAndShowsWindow()
    {
        AppState state;
        QWidget* window = Main(state, [](AppState&) { return new QWidget; });
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(state.Conn);
        QVERIFY(rowCount(*state.Conn, QStringLiteral("MDIV")) > 0);
        QVERIFY(Messages::shown().isEmpty());
        // Nothing is written to the store by a start.
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
        delete window;
    }

    void failureAnsweredNoEndsWithoutWindow()
    {
        setDb(QStringLiteral("ConnStr_Base"), QStringLiteral("Provider=Oracle;Data Source=x"));
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        bool built = false;
        QWidget* window = Main(state, [&built](AppState&) {
            built = true;
            return new QWidget;
        });
        QVERIFY(!window);
        QVERIFY(!built);
        QCOMPARE(Messages::shown().size(), 1);
        const auto box = Messages::last();
        QCOMPARE(box.title, QStringLiteral("接続失敗"));
        QCOMPARE(box.icon, Messages::Question);
        QCOMPARE(box.buttons, Messages::Buttons(QMessageBox::Yes | QMessageBox::No));
        QVERIFY(box.text.startsWith(QStringLiteral("ＤＢの接続に失敗しました。\n")));
        QVERIFY(box.text.contains(QStringLiteral("Oracle")));
        QVERIFY(box.text.endsWith(QStringLiteral("\n接続パラメタを編集しますか？")));
    }

    void failureAnsweredYesOpensConnectionDialog()
    {
        setDb(QStringLiteral("ConnStr_Base"),
              QStringLiteral("Provider=SQLite;Data Source=/dev/null/x.sqlite"));
        setDb(QStringLiteral("DBName"), QStringLiteral("other"));
        Messages::setNextAnswer(QMessageBox::Yes);
        const ModalSteps modal([](QWidget* dialog) {
            QVERIFY(qobject_cast<ConnStrDialog*>(dialog));
            QCOMPARE(dialog->objectName(), QStringLiteral("frmConnStr"));
            QCOMPARE(controlText(dialog, QStringLiteral("txtDBName")), QStringLiteral("other"));
            clickButton(dialog, QStringLiteral("CancelButton"));
        });
        AppState state;
        QVERIFY(!Main(state, [](AppState&) { return new QWidget; }));
        QVERIFY(modal.ran());
    }

    void errorWhileMainWindowLoadsIsAStartFailure()
    {
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("Policy"), QStringLiteral("MtoH"),
                    QStringLiteral("many"));
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        QVERIFY(!Main(state, [](AppState& s) {
            s.policy = LoadPolicy();
            return new QWidget;
        }));
        QVERIFY2(Messages::last().text.contains(QStringLiteral("MtoH")), qPrintable(Messages::last().text));
    }

    void connectionDialogDefaultsAndValidation()
    {
        ConnStrDialog dialog;
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("txtDBName"));
        auto* user = dialog.findChild<QLineEdit*>(QStringLiteral("txtUserID"));
        auto* pass = dialog.findChild<QLineEdit*>(QStringLiteral("txtPasswd"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ＤＢ接続パラメタ編集"));
        QCOMPARE(name->text(), QStringLiteral("kaldb"));
        QCOMPARE(user->text(), QStringLiteral("kal"));
        QCOMPARE(pass->text(), QStringLiteral("kal"));
        QCOMPARE(pass->echoMode(), QLineEdit::Password);

        user->clear();
        dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        QCOMPARE(Messages::last().title, QStringLiteral("必須エラー"));
        QCOMPARE(Messages::last().text, QStringLiteral("全ての項目を入力してください。"));
        QVERIFY(!QFile::exists(SettingsStore::filePath()));

        user->setText(QStringLiteral("someone"));
        dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        QCOMPARE(Messages::last().text,
                 QStringLiteral("DB接続情報を更新しました。次回起動時に有効になります。"));
        QCOMPARE(dbSetting(QStringLiteral("ConnStr_Base")),
                 QStringLiteral("Provider=SQLite;Data Source=$DBName$.sqlite"));
        QCOMPARE(dbSetting(QStringLiteral("UserID")), QStringLiteral("someone"));
        QCOMPARE(dbSetting(QStringLiteral("DBName")), QStringLiteral("kaldb"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void connectionTestUsesTheBoxesAndNeverSaves()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        setDb(QStringLiteral("ConnStr_Base"),
              QStringLiteral("Provider=SQLite;Data Source=%1")
                  .arg(db->spec()
                           .value(QStringLiteral("Data Source"))
                           .replace(QStringLiteral("test.sqlite"), QStringLiteral("$DBName$.sqlite"))));
        ConnStrDialog dialog;
        auto* check = dialog.findChild<QPushButton*>(QStringLiteral("cmbChk"));
        dialog.findChild<QLineEdit*>(QStringLiteral("txtDBName"))->setText(QStringLiteral("test"));
        check->click();
        QCOMPARE(Messages::last().title, QStringLiteral("確認"));
        QCOMPARE(Messages::last().text, QStringLiteral("接続に成功しました。"));

        // Empty boxes are still tried: only OK checks them.
        dialog.findChild<QLineEdit*>(QStringLiteral("txtDBName"))->clear();
        check->click();
        QCOMPARE(Messages::last().title, QStringLiteral("エラー"));
        QVERIFY(Messages::last().text.startsWith(QStringLiteral("接続に失敗しました。\n")));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(dbSetting(QStringLiteral("DBName")), QString());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
