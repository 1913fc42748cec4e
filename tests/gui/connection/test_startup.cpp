#include "common/dialog_placement.h"
#include "common/guarded_application.h"
#include "common/messages.h"
#include "connection/conn_str_dialog.h"
#include "connection/startup.h"
#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_setup.h"
#include "db/schema_upgrade.h"
#include "gui_helpers.h"
#include "pricing/policy_dialog.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "test_support.h"
#include "workspace/main_window.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTcpServer>

#include <sys/stat.h>

namespace {

void setDb(const QString& key, const QString& value)
{
    StoreSetting(u"DB"_s, key, value);
}

QString dbSetting(const QString& key)
{
    return StoredSetting(u"DB"_s, key);
}

// Starts the program with a main window that reads the policy, as the real one does.
QWidget* start(AppState& state)
{
    return Main(state, [](AppState& s) {
        s.policy = LoadPolicy();
        return new QWidget;
    });
}

// Throws what it is told to when the event of its kind reaches it.
class ThrowingObject : public QObject {
public:
    std::function<void()> thrower;
    int delivered = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            ++delivered;
            if (thrower) {
                thrower();
            }
            return true;
        }
        return QObject::event(event);
    }
};

} // namespace

// The settings store, the connection string built from it and the program's start.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void firstStartCreatesDatabaseAndShowsWindow()
    {
        AppState state;
        std::unique_ptr<QWidget> window(start(state));
        QVERIFY(window && window->isVisible());
        QCOMPARE(state.Conn->location(), m_env->path(u"data/kaldb.sqlite"_s));
        QCOMPARE(ExistingTables(*state.Conn).size(), 26);
        QVERIFY(rowCount(*state.Conn, u"MDIV"_s) > 0);
        QVERIFY(Messages::shown().isEmpty());
        // Nothing is written to the store by a start.
        QVERIFY(!QFile::exists(Settings::filePath()));
        // A second start opens the same file without setting it up again.
        AppState again;
        window.reset(start(again));
        QVERIFY(window);
        QVERIFY(Messages::shown().isEmpty());
    }

    // A database of the first schema is brought up to date by the start and used; one a later
    // program has upgraded is refused with the reason, and left as it was.
    void startUpgradesOrRefusesTheSchema_data()
    {
        addColumns<bool>({"later"});
        QTest::newRow("earlier database") << false;
        QTest::newRow("later database") << true;
    }
    void startUpgradesOrRefusesTheSchema()
    {
        QFETCH(bool, later);
        {
            AppState first;
            std::unique_ptr<QWidget> window(start(first));
            QVERIFY(window);
            if (later) {
                ExecSql(*first.Conn, u"UPDATE MSCHEMA SET NVERSION = %1"_s.arg(kSchemaVersion + 1));
            } else {
                for (const QString& table :
                     {u"MISSUER"_s, u"MSCHEMA"_s, u"TACTUAL"_s, u"TPROJDONE"_s, u"MCALIB"_s}) {
                    ExecSql(*first.Conn, u"DROP TABLE "_s + table);
                }
                QCOMPARE(StoredSchemaVersion(*first.Conn), 1);
            }
        }
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        std::unique_ptr<QWidget> window(start(state));
        QCOMPARE(bool(window), !later);
        QCOMPARE(StoredSchemaVersion(*state.Conn), later ? kSchemaVersion + 1 : kSchemaVersion);
        QCOMPARE(ExistingTables(*state.Conn).contains(u"MISSUER"_s), true);
        QCOMPARE(ExistingTables(*state.Conn).contains(u"TACTUAL"_s), true);
        if (later) {
            QCOMPARE(Messages::shown().size(), 1);
            QCOMPARE(Messages::last().title, u"接続失敗"_s);
            QVERIFY2(Messages::last().text.contains(u"新しい版のVORNA"_s), qPrintable(Messages::last().text));
        } else {
            QVERIFY(Messages::shown().isEmpty());
        }
    }

    // The embedded database is private: the folder, the file and its -wal and -shm are made for
    // the owner only whatever the umask. A file widened on purpose stays as it is, and its -wal
    // and -shm follow it.
    void embeddedDatabaseIsPrivate()
    {
        const mode_t umaskBefore = ::umask(0);
        const auto restore = qScopeGuard([umaskBefore] { ::umask(umaskBefore); });
        const auto mode = [](const QString& path) {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
        };
        const QString folder = m_env->path(u"data"_s);
        const QString file = folder + u"/kaldb.sqlite"_s;
        const QStringList files{file, file + u"-wal"_s, file + u"-shm"_s};
        for (const int widened : {0, 0644}) {
            if (widened != 0) {
                QVERIFY(::chmod(QFile::encodeName(file).constData(), widened) == 0);
            }
            AppState state;
            std::unique_ptr<QWidget> window(start(state));
            QVERIFY(window);
            QCOMPARE(mode(folder), 0700);
            for (const QString& f : files) {
                QVERIFY2(mode(f) == (widened != 0 ? widened : 0600), qPrintable(f));
            }
        }
    }

    // The connection string fills the template's placeholders (case sensitive, each as often as
    // it comes) from the stored settings. The password is stored readable by
    // its owner only and cannot smuggle in settings.
    void connectionString()
    {
        setDb(u"ConnStr_Base"_s, u"A=$DBName$;B=$dbname$;User ID=$UserID$;Password=$PASSWD$;C=$DBName$"_s);
        setDb(u"UserID"_s, u"me"_s);
        StoreSetting(u"DB"_s, u"Passwd"_s, u"pw"_s);
        setDb(u"DBName"_s, u"db"_s);
        const ConnSettings stored = ConnSettings::fromStore();
        QCOMPARE(ReplacePlaceholders(stored.base, stored.userID, stored.passwd, stored.dbName),
                 u"A=db;B=$dbname$;User ID=me;Password=pw;C=db"_s);

        const QFileInfo info(Settings::filePath());
        QVERIFY(info.exists());
        QCOMPARE(info.permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFileDevice::Permissions());
        const ConnectionParams params = ConnectionParams::resolve(
            u"Provider=PostgreSQL;Host=db.example;User ID=$UserID$;Password=$PASSWD$;Initial Catalog=$DBName$"_s,
            u"kal"_s, u"a;Host=evil;b=c"_s, u"kaldb"_s);
        QCOMPARE(params.value(u"host"_s), u"db.example"_s);
        QCOMPARE(params.value(u"Password"_s), u"a;Host=evil;b=c"_s);
        QCOMPARE(params.value(u"INITIAL CATALOG"_s), u"kaldb"_s);
    }

    // SQL Server is reached through an ODBC connection string that FreeTDS 1.3 must read back
    // exactly: it ends a value at ";" or, for one opening with "{", at the first "};", and does
    // not undo doubled braces. A named instance without a port is left to the SQL Browser.
    void sqlServerOdbcString_data()
    {
        addColumns<QString, QString, QString, QString>({"dataSource", "user", "password", "odbc"});
        const QString tds = u"TDS_Version=7.4;ClientCharset=UTF-8;"_s;
        const QString db1 = u"SERVER=db1;PORT=1433;"_s + tds;
        const QString kal = u"DATABASE=kaldb;UID=kal;PWD=secret;"_s;
        QTest::newRow("host and port")
            << u"db1,1500"_s << u"kal"_s << u"secret"_s << u"SERVER=db1;PORT=1500;"_s + tds + kal;
        QTest::newRow("host alone") << u"db1"_s << u"kal"_s << u"secret"_s << db1 + kal;
        QTest::newRow("named instance")
            << u"db1\\SQLEXPRESS"_s << u"kal"_s << u"secret"_s << u"SERVER=db1\\SQLEXPRESS;"_s + tds + kal;
        QTest::newRow("named instance and port") << u"db1\\SQLEXPRESS, 1500"_s << u"kal"_s << u"secret"_s
                                                 << u"SERVER=db1\\SQLEXPRESS;PORT=1500;"_s + tds + kal;
        QTest::newRow("braces, equals and blanks") << u"db1"_s << u"k}a;l"_s << u" p{w}=x y "_s
                                                   << db1 + u"DATABASE=kaldb;UID={k}a;l};PWD= p{w}=x y ;"_s;
        QTest::newRow("opening brace")
            << u"db1"_s << u"{kal}"_s << u"a;b}"_s << db1 + u"DATABASE=kaldb;UID={{kal}};PWD={a;b}};"_s;
        QTest::newRow("unwritable") << u"db1"_s << u"kal"_s << u"a};b"_s << u"!Password"_s;
        QTest::newRow("taken for a file DSN") << u"db1"_s << u"kal"_s << u"x.DSN"_s << u"!.dsn"_s;
        QTest::newRow("port not a number") << u"db1,14x"_s << u"kal"_s << u"secret"_s << u"!14x"_s;
    }
    void sqlServerOdbcString()
    {
        QFETCH(QString, dataSource);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, odbc);
        const OdbcTarget target = SqlServerOdbcTarget(ConnectionParams::resolve(
            u"Provider=SQLServer;Data Source=%1;Initial Catalog=$DBName$;User ID=$UserID$;Password=$PASSWD$"_s
                .arg(dataSource),
            user, password, u"kaldb"_s));
        if (odbc.startsWith(u'!')) {
            QVERIFY2(target.connectionString.isEmpty() && target.error.contains(odbc.mid(1)),
                     qPrintable(target.error));
            return;
        }
        QCOMPARE(target.error, QString());
        QCOMPARE(target.connectionString, u"DRIVER={FreeTDS};"_s + odbc);
    }

    // Another ODBC driver reads braced values with doubled closing braces, as ODBC says.
    void otherOdbcDriver()
    {
        const OdbcTarget target = SqlServerOdbcTarget(
            ConnectionParams::resolve(u"Provider=SQLServer;Driver=ODBC Driver 18 for SQL Server;Data "
                                      u"Source=db1,1500;Initial Catalog=kaldb;"
                                      u"User ID=$UserID$;Password=$PASSWD$"_s,
                                      u"k}a;l"_s, u"a};b"_s, QString()));
        QCOMPARE(target.connectionString, u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={db1,1500};"
                                          u"DATABASE={kaldb};UID={k}}a;l};PWD={a}};b};"_s);
        QCOMPARE(target.location, u"db1,1500/kaldb"_s);
    }

    // Every way a start can fail ends in the prompt with a readable reason, and none of them
    // hangs: a server that accepts and never answers is given up by the driver. Answered No,
    // the program ends without a window.
    void startupFailurePrompt_data()
    {
        addColumns<QString, QString>({"connStr", "expectedText"});
        QTest::newRow("unknown provider") << u"Provider=Oracle;Data Source=x"_s << u"Oracle"_s;
        QTest::newRow("no provider") << u"Data Source=x.sqlite"_s << u"Provider"_s;
        QTest::newRow("malformed") << u"Provider=SQLite;garbage"_s << u"garbage"_s;
        QTest::newRow("file that cannot be created")
            << u"Provider=SQLite;Data Source=/dev/null/kaldb.sqlite"_s << u"/dev/null"_s;
        QTest::newRow("missing odbc driver") << u"Provider=SQLServer;Driver=No Such Driver;Data "_s
                                                "Source=127.0.0.1,1;Initial Catalog=x;User ID=a;Password=b"
                                             << u"No Such Driver"_s;
        QTest::newRow("postgresql server missing")
            << u"Provider=PostgreSQL;Host=127.0.0.1;Port=1;Initial Catalog=x;User ID=a;Password=b"_s
            << u"127.0.0.1"_s;
        QTest::newRow("postgresql server silent")
            << u"Provider=PostgreSQL;Host=127.0.0.1;Port=$SILENT$;Initial Catalog=x;User ID=a;Password=b"_s
            << u"timeout"_s;
        QTest::newRow("sql server silent")
            << u"Provider=SQLServer;Data Source=127.0.0.1,$SILENT$;Initial Catalog=x;User ID=a;Password=b"_s
            << u"Timeout"_s;
        QTest::newRow("wrong password") << u"$WRONGPASSWORD$"_s << u"password"_s;
        QTest::newRow("policy unreadable while the window loads") << QString() << u"MtoH"_s;
    }
    void startupFailurePrompt()
    {
        QFETCH(QString, connStr);
        QFETCH(QString, expectedText);
        // A listening socket that never speaks.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        connStr.replace(u"$SILENT$"_s, QString::number(silent.serverPort()));
        if (connStr == QLatin1String("$WRONGPASSWORD$")) {
            connStr = PostgresServerConnStr(u"postgres"_s);
            QVERIFY2(!connStr.isEmpty(), "no PostgreSQL test server");
            connStr.replace(u"Password=vornapg"_s, u"Password=wrong"_s);
        }
        if (!connStr.isEmpty()) {
            setDb(u"ConnStr_Base"_s, connStr);
        }
        StoreSetting(u"Policy"_s, u"MtoH"_s, u"many"_s);
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        QVERIFY(!start(state));
        QCOMPARE(Messages::shown().size(), 1);
        const auto box = Messages::last();
        QCOMPARE(box.title, u"接続失敗"_s);
        QCOMPARE(box.buttons, Messages::Buttons(QMessageBox::Yes | QMessageBox::No));
        QVERIFY2(box.text.startsWith(u"ＤＢの接続に失敗しました。\n"_s) &&
                     box.text.contains(expectedText, Qt::CaseInsensitive) &&
                     box.text.endsWith(u"\n接続パラメタを編集しますか？"_s),
                 qPrintable(box.text));
    }

    // A failed start answered Yes opens the connection dialog. It offers the stored values (the
    // defaults for those not stored), saves them only complete on OK, keeping the stored
    // template, and tries a connection with what its boxes hold without saving.
    void connectionDialogAfterFailedStart()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        const QString tried = u"Provider=SQLite;Data Source=%1"_s.arg(
            db->params().value(u"Data Source"_s).replace(u"test.sqlite"_s, u"$DBName$.sqlite"_s));
        setDb(u"ConnStr_Base"_s, u"Provider=SQLite;Data Source=/dev/null/$DBName$.sqlite"_s);
        setDb(u"DBName"_s, u"other"_s);
        Messages::setNextAnswer(QMessageBox::Yes);
        const ModalSteps modal([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), u"ＤＢ接続パラメタ編集"_s);
            QCOMPARE(texts(dialog, {"txtDBName", "txtUserID", "txtPasswd"}),
                     (QStringList{"other", "kal", "kal"}));
            setText(dialog, u"txtUserID"_s, QString());
            clickButton(dialog, u"OKButton"_s);
            COMPARE_LAST_MESSAGE(u"必須エラー"_s, u"全ての項目を入力してください。"_s, Messages::Exclamation);
            QVERIFY(dialog->isVisible());
            QCOMPARE(dbSetting(u"UserID"_s), QString());

            setDb(u"ConnStr_Base"_s, tried);
            setText(dialog, u"txtDBName"_s, u"test"_s);
            clickButton(dialog, u"cmbChk"_s);
            QCOMPARE(Messages::last().text, u"接続に成功しました。"_s);
            // Empty boxes are still tried: only OK checks them.
            setText(dialog, u"txtDBName"_s, QString());
            clickButton(dialog, u"cmbChk"_s);
            QVERIFY(Messages::last().text.startsWith(u"接続に失敗しました。\n"_s));
            QCOMPARE(dbSetting(u"DBName"_s), u"other"_s);

            setText(dialog, u"txtDBName"_s, u"test"_s);
            setText(dialog, u"txtUserID"_s, u"someone"_s);
            clickButton(dialog, u"OKButton"_s);
            QCOMPARE(Messages::last().text, u"DB接続情報を更新しました。次回起動時に有効になります。"_s);
            QVERIFY(!dialog->isVisible());
        });
        AppState state;
        QVERIFY(!start(state));
        QVERIFY(modal.ran());
        QCOMPARE(dbSetting(u"ConnStr_Base"_s), tried);
        QCOMPARE(dbSetting(u"UserID"_s), u"someone"_s);
        QCOMPARE(dbSetting(u"DBName"_s), u"test"_s);
    }

    // A settings file that is there but cannot be read stops the start with a message naming
    // it, before anything is opened or created: read as empty, it would send the user to a new,
    // empty database. (A file without read permission is the same case; the tests may run as a
    // user who reads every file.)
    void unreadableSettingsStopTheStart_data()
    {
        addColumns<QString, QString>({"content", "reason"});
        QTest::newRow("a folder in its place")
            << QString() << u"読み取りの権限がないか、ファイルではありません。"_s;
        QTest::newRow("not in the settings format")
            << u"[DB\nConnStr_Base=Provider=PostgreSQL;Host=127.0.0.1;Port=1\n"_s
            << u"設定ファイルの形式が正しくありません。"_s;
    }
    void unreadableSettingsStopTheStart()
    {
        QFETCH(QString, content);
        QFETCH(QString, reason);
        const QString path = Settings::filePath();
        if (content.isEmpty()) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content.toUtf8());
        }
        Messages::setNextAnswer(QMessageBox::No); // were the connection prompt to come
        AppState state;
        QVERIFY(!start(state));
        QVERIFY(!state.Conn);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"設定エラー"_s,
                             u"設定ファイルを読み込めないため、起動できません。\n"_s + path + u'\n' + reason,
                             Messages::Critical);
        QVERIFY(!QFileInfo::exists(m_env->path(u"data"_s)));
    }

    // A write that does not reach the settings file (here a file stands where its folder should
    // be) is reported once per save, whatever the number of keys, and never as done: the
    // connection dialog and the policy dialog stay open with what was entered.
    void failedWritesAreReported_data()
    {
        QTest::addColumn<QString>("writer");
        for (const char* writer :
             {"connection settings", "policy", "dialog placement", "main window placement"}) {
            QTest::newRow(writer) << QString::fromLatin1(writer);
        }
    }
    void failedWritesAreReported()
    {
        QFETCH(QString, writer);
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        state->policy = LoadPolicy();
        const QString path = m_env->path(u"blocker/vorna.ini"_s);
        QFile blocker(m_env->path(u"blocker"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        std::unique_ptr<QWidget> window;
        if (writer == u"connection settings"_s) {
            window = std::make_unique<ConnStrDialog>();
        } else if (writer == u"policy"_s) {
            window = std::make_unique<PolicyDialog>(*state);
        } else if (writer == u"dialog placement"_s) {
            window = std::make_unique<PlacedDialog>();
        } else {
            window = std::make_unique<MainWindow>(*state);
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        Settings::setFilePath(path);
        Messages::clearShown();
        if (writer == u"connection settings"_s) {
            setText(window.get(), u"txtUserID"_s, u"someone"_s);
            clickButton(window.get(), u"OKButton"_s);
        } else if (writer == u"policy"_s) {
            control<QAbstractButton>(window.get(), u"chkWork"_s)->click();
            clickButton(window.get(), u"cmdOK"_s);
            QVERIFY(state->policy.Work);
        } else if (writer == u"dialog placement"_s) {
            static_cast<QDialog*>(window.get())->accept();
        } else {
            window->close();
        }
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"設定エラー"_s,
                             u"設定を保存できませんでした。\n"_s + path +
                                 u"\nディスクの空きとファイルの書き込み権限を確認してください。"_s,
                             Messages::Critical);
        const bool staysOpen = writer == u"connection settings"_s || writer == u"policy"_s;
        QCOMPARE(window->isVisible(), staysOpen);
        if (staysOpen) {
            QCOMPARE(controlText(window.get(), writer == u"policy"_s ? u"txtMtoH"_s : u"txtUserID"_s),
                     writer == u"policy"_s ? u"160"_s : u"someone"_s);
        }
    }

    // The last line of defence: an exception that a handler let out of an event is reported, a
    // database error as such, and the program goes on delivering events.
    void escapedExceptionIsReported_data()
    {
        addColumns<int, QString, QString>({"kind", "title", "text"});
        QTest::newRow("database error")
            << 0 << u"ＤＢエラー"_s << u"server closed the connection\nSELECT 1"_s;
        QTest::newRow("other exception")
            << 1 << u"エラー"_s << u"予期しないエラーが発生しました。\nout of range"_s;
        QTest::newRow("anything thrown") << 2 << u"エラー"_s << u"予期しないエラーが発生しました。"_s;
    }
    void escapedExceptionIsReported()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QVERIFY(qobject_cast<GuardedApplication*>(qApp));
        ThrowingObject target;
        target.thrower = [kind] {
            if (kind == 0) {
                throw DbError(DbError::Other, u"server closed the connection"_s, u"SELECT 1"_s);
            }
            if (kind == 1) {
                throw std::out_of_range("out of range");
            }
            throw 42;
        };
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&target);
        QCOMPARE(target.delivered, 1);
        COMPARE_LAST_MESSAGE(title, text, Messages::Critical);
        // A slot run by a timer is covered the same way, and later events still arrive.
        bool timerRan = false;
        QTimer::singleShot(0, &target, [&timerRan] {
            timerRan = true;
            throw DbError(DbError::Other, u"lost"_s, u"UPDATE TFUNCTION SET NPRICE = 0"_s);
        });
        QTRY_VERIFY(timerRan);
        COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"lost\nUPDATE TFUNCTION SET NPRICE = 0"_s, Messages::Critical);
        target.thrower = nullptr;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&target);
        QCOMPARE(target.delivered, 2);
        QCOMPARE(Messages::shown().size(), 2);
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
};

// The program's own application object, as main() makes it.
int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestStartup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_startup.moc"
