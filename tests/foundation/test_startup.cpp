#include "foundation/app_state.h"
#include "foundation/conn_str_dialog.h"
#include "foundation/connection_string.h"
#include "foundation/db_connection.h"
#include "foundation/messages.h"
#include "foundation/schema_setup.h"
#include "foundation/settings_store.h"
#include "foundation/startup.h"
#include "gui_helpers.h"
#include "test_support.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

void setDb(const QString& key, const QString& value)
{
    SaveSetting(u"vorna"_s, u"DB"_s, key, value);
}

QString dbSetting(const QString& key)
{
    return GetSetting(u"vorna"_s, u"DB"_s, key);
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
        QCOMPARE(state.Conn->location(), m_env->path(u"data/kaldb.sqlite"_s));
        QCOMPARE(ExistingTables(*state.Conn).size(), 21);
        QVERIFY(rowCount(*state.Conn, u"MDIV"_s) > 0);
        QCOMPARE(rowCount(*state.Conn, u"MCUSTOMER"_s), 0);
        QVERIFY(Messages::shown().isEmpty());
        // Nothing is written to the store by a start.
        QVERIFY(!QFile::exists(SettingsStore::filePath()));
        delete window;
        // A second start opens the same file without setting it up again.
        AppState again;
        std::unique_ptr<QWidget> second(Main(again, [](AppState&) { return new QWidget; }));
        QVERIFY(second);
        QVERIFY(Messages::shown().isEmpty());
    }

    void failureAnsweredNoEndsWithoutWindow()
    {
        setDb(u"ConnStr_Base"_s, u"Provider=Oracle;Data Source=x"_s);
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
        QCOMPARE(box.title, u"接続失敗"_s);
        QCOMPARE(box.icon, Messages::Question);
        QCOMPARE(box.buttons, Messages::Buttons(QMessageBox::Yes | QMessageBox::No));
        QVERIFY(box.text.startsWith(u"ＤＢの接続に失敗しました。\n"_s));
        QVERIFY(box.text.contains(u"Oracle"_s));
        QVERIFY(box.text.endsWith(u"\n接続パラメタを編集しますか？"_s));
    }

    void failureAnsweredYesOpensConnectionDialog()
    {
        setDb(u"ConnStr_Base"_s, u"Provider=SQLite;Data Source=/dev/null/x.sqlite"_s);
        setDb(u"DBName"_s, u"other"_s);
        Messages::setNextAnswer(QMessageBox::Yes);
        const ModalSteps modal([](QWidget* dialog) {
            QVERIFY(qobject_cast<ConnStrDialog*>(dialog));
            QCOMPARE(dialog->objectName(), u"frmConnStr"_s);
            QCOMPARE(controlText(dialog, u"txtDBName"_s), u"other"_s);
            clickButton(dialog, u"CancelButton"_s);
        });
        AppState state;
        QVERIFY(!Main(state, [](AppState&) { return new QWidget; }));
        QVERIFY(modal.ran());
    }

    void errorWhileMainWindowLoadsIsAStartFailure()
    {
        SaveSetting(u"VORNA"_s, u"Policy"_s, u"MtoH"_s, u"many"_s);
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        QVERIFY(!Main(state, [](AppState& s) {
            s.policy = LoadPolicy();
            return new QWidget;
        }));
        QVERIFY2(Messages::last().text.contains(u"MtoH"_s), qPrintable(Messages::last().text));
    }

    void connectionDialogDefaultsAndValidation()
    {
        ConnStrDialog dialog;
        auto* name = dialog.findChild<QLineEdit*>(u"txtDBName"_s);
        auto* user = dialog.findChild<QLineEdit*>(u"txtUserID"_s);
        auto* pass = dialog.findChild<QLineEdit*>(u"txtPasswd"_s);
        QCOMPARE(dialog.windowTitle(), u"ＤＢ接続パラメタ編集"_s);
        QCOMPARE(name->text(), u"kaldb"_s);
        QCOMPARE(user->text(), u"kal"_s);
        QCOMPARE(pass->text(), u"kal"_s);
        QCOMPARE(pass->echoMode(), QLineEdit::Password);

        user->clear();
        dialog.findChild<QPushButton*>(u"OKButton"_s)->click();
        QCOMPARE(Messages::last().title, u"必須エラー"_s);
        QCOMPARE(Messages::last().text, u"全ての項目を入力してください。"_s);
        QVERIFY(!QFile::exists(SettingsStore::filePath()));

        user->setText(u"someone"_s);
        dialog.findChild<QPushButton*>(u"OKButton"_s)->click();
        QCOMPARE(Messages::last().text, u"DB接続情報を更新しました。次回起動時に有効になります。"_s);
        QCOMPARE(dbSetting(u"ConnStr_Base"_s), u"Provider=SQLite;Data Source=$DBName$.sqlite"_s);
        QCOMPARE(dbSetting(u"UserID"_s), u"someone"_s);
        QCOMPARE(dbSetting(u"DBName"_s), u"kaldb"_s);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void connectionTestUsesTheBoxesAndNeverSaves()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        setDb(u"ConnStr_Base"_s,
              u"Provider=SQLite;Data Source=%1"_s.arg(
                  db->spec().value(u"Data Source"_s).replace(u"test.sqlite"_s, u"$DBName$.sqlite"_s)));
        ConnStrDialog dialog;
        auto* check = dialog.findChild<QPushButton*>(u"cmbChk"_s);
        dialog.findChild<QLineEdit*>(u"txtDBName"_s)->setText(u"test"_s);
        check->click();
        QCOMPARE(Messages::last().title, u"確認"_s);
        QCOMPARE(Messages::last().text, u"接続に成功しました。"_s);

        // Empty boxes are still tried: only OK checks them.
        dialog.findChild<QLineEdit*>(u"txtDBName"_s)->clear();
        check->click();
        QCOMPARE(Messages::last().title, u"エラー"_s);
        QVERIFY(Messages::last().text.startsWith(u"接続に失敗しました。\n"_s));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(dbSetting(u"DBName"_s), QString());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
