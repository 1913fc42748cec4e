#include "foundation/app_state.h"
#include "foundation/connection_string.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/messages.h"
#include "foundation/schema_setup.h"
#include "foundation/settings_store.h"
#include "foundation/startup.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTcpServer>

class TestSettingsConnection : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void freshUserGetsDefaults()
    {
        QCOMPARE(GetConnStr(), QStringLiteral("Provider=SQLite;Data Source=kaldb.sqlite"));
        const ConnSettings s = ConnSettings::fromStore();
        QCOMPARE(s.dbName, QStringLiteral("kaldb"));
        QCOMPARE(s.userID, QStringLiteral("kal"));
        QCOMPARE(s.passwd, QStringLiteral("kal"));
        // Reading writes nothing.
        QVERIFY(!QFileInfo::exists(SettingsStore::filePath()));
    }

    void placeholders_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("part template")
            << "Provider=SQLOLEDB.1;Password=$PASSWD$;Persist Security Info=True;User ID=$UserID$;Initial "
               "Catalog=$DBName$"
            << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=me;Initial Catalog=db";
        QTest::newRow("omitted placeholder") << "Provider=SQLite;Data Source=fixed.sqlite"
                                             << "Provider=SQLite;Data Source=fixed.sqlite";
        QTest::newRow("repeated") << "A=$DBName$;B=$DBName$"
                                  << "A=db;B=db";
        QTest::newRow("case sensitive") << "A=$dbname$;B=$DBName$"
                                        << "A=$dbname$;B=db";
    }
    void placeholders()
    {
        QFETCH(QString, base);
        QFETCH(QString, expected);
        SaveSetting(QStringLiteral("vorna"), QStringLiteral("DB"), QStringLiteral("ConnStr_Base"), base);
        SaveSetting(QStringLiteral("vorna"), QStringLiteral("DB"), QStringLiteral("UserID"),
                    QStringLiteral("me"));
        SaveSetting(QStringLiteral("VORNA"), QStringLiteral("DB"), QStringLiteral("Passwd"),
                    QStringLiteral("pw"));
        SaveSetting(QStringLiteral("vorna"), QStringLiteral("DB"), QStringLiteral("DBName"),
                    QStringLiteral("db"));
        QCOMPARE(GetConnStr(), expected);
    }

    void storeIsPrivate()
    {
        SaveSetting(QStringLiteral("vorna"), QStringLiteral("DB"), QStringLiteral("Passwd"),
                    QStringLiteral("secret"));
        const QFileInfo info(SettingsStore::filePath());
        QVERIFY(info.exists());
        QCOMPARE(info.permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFileDevice::Permissions());
        // Both application names reach the same place.
        QCOMPARE(GetSetting(QStringLiteral("VORNA"), QStringLiteral("DB"), QStringLiteral("Passwd")),
                 QStringLiteral("secret"));
    }

    void passwordCannotAddSettings()
    {
        const ConnectionSpec spec = ConnectionSpec::resolve(
            QStringLiteral("Provider=PostgreSQL;Host=db.example;User ID=$UserID$;Password=$PASSWD$;Initial "
                           "Catalog=$DBName$"),
            QStringLiteral("kal"), QStringLiteral("a;Host=evil;b=c"), QStringLiteral("kaldb"));
        QCOMPARE(spec.value(QStringLiteral("host")), QStringLiteral("db.example"));
        QCOMPARE(spec.value(QStringLiteral("Password")), QStringLiteral("a;Host=evil;b=c"));
        QCOMPARE(spec.value(QStringLiteral("INITIAL CATALOG")), QStringLiteral("kaldb"));
    }

    // Every way a connection can fail ends in the start-up prompt with a readable reason, and
    // none of them hangs: a server that accepts and never answers is given up by the driver.
    void startupFailurePrompt_data()
    {
        QTest::addColumn<QString>("connStr");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("unknown provider") << "Provider=Oracle;Data Source=x" << QStringLiteral("Oracle");
        QTest::newRow("no provider") << "Data Source=x.sqlite" << QStringLiteral("Provider");
        QTest::newRow("malformed") << "Provider=SQLite;garbage" << QStringLiteral("garbage");
        QTest::newRow("file that cannot be created")
            << "Provider=SQLite;Data Source=/dev/null/kaldb.sqlite" << QStringLiteral("/dev/null");
        QTest::newRow("missing odbc driver") << "Provider=SQLServer;Driver=No Such Driver;Data "
                                                "Source=127.0.0.1,1;Initial Catalog=x;User ID=a;Password=b"
                                             << QStringLiteral("No Such Driver");
        QTest::newRow("postgresql server missing")
            << "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Initial Catalog=x;User ID=a;Password=b"
            << QStringLiteral("127.0.0.1");
        QTest::newRow("postgresql server silent")
            << "Provider=PostgreSQL;Host=127.0.0.1;Port=$SILENT$;Initial Catalog=x;User ID=a;Password=b"
            << QStringLiteral("timeout");
        QTest::newRow("sql server silent")
            << "Provider=SQLServer;Data Source=127.0.0.1,$SILENT$;Initial Catalog=x;User ID=a;Password=b"
            << QStringLiteral("Timeout");
        QTest::newRow("wrong password") << "$WRONGPASSWORD$" << QStringLiteral("password");
    }
    void startupFailurePrompt()
    {
        QFETCH(QString, connStr);
        QFETCH(QString, expectedText);
        // A listening socket that never speaks.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        connStr.replace(QStringLiteral("$SILENT$"), QString::number(silent.serverPort()));
        if (connStr == QLatin1String("$WRONGPASSWORD$")) {
            connStr = PostgresServerConnStr(QStringLiteral("postgres"));
            QVERIFY2(!connStr.isEmpty(), "no PostgreSQL test server");
            connStr.replace(QStringLiteral("Password=vornapg"), QStringLiteral("Password=wrong"));
        }
        SaveSetting(QStringLiteral("vorna"), QStringLiteral("DB"), QStringLiteral("ConnStr_Base"), connStr);
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        QVERIFY(!Main(state, [](AppState&) { return new QWidget; }));
        QCOMPARE(Messages::last().title, QStringLiteral("接続失敗"));
        QVERIFY2(Messages::last().text.contains(expectedText, Qt::CaseInsensitive),
                 qPrintable(Messages::last().text));
    }

    void embeddedDatabaseCreatedOnFirstStart()
    {
        DbConnection::OpenOptions options;
        options.createMissingFile = true;
        auto connection = DbConnection::open(ConnectionSpec::fromStore(), options);
        QCOMPARE(connection->location(), m_env->path(QStringLiteral("data/kaldb.sqlite")));
        QVERIFY(QFileInfo::exists(m_env->path(QStringLiteral("data/kaldb.sqlite"))));
        QCOMPARE(ExistingTables(*connection).size(), 21);
        QVERIFY(rowCount(*connection, QStringLiteral("MCOCOMO")) > 0);
        QCOMPARE(rowCount(*connection, QStringLiteral("MCUSTOMER")), 0);
        // A second start opens the same file without setting it up again.
        connection.reset();
        auto again = DbConnection::open(ConnectionSpec::fromStore(), options);
        QVERIFY(rowCount(*again, QStringLiteral("MDIV")) > 0);
    }

    void secondConnectionReachesSameDatabase()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto first = db->connect();
        auto second = first->openSecond();
        ExecSql(*second, QStringLiteral("INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (1, 'x', '')"));
        QCOMPARE(rowCount(*first, QStringLiteral("MCUSTOMER")), 1);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestSettingsConnection)
#include "test_settings_connection.moc"
