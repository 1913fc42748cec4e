#include "foundation/connection_string.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/schema_setup.h"
#include "foundation/settings_store.h"
#include "test_support.h"

#include <QElapsedTimer>
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

    void connectionFailures_data()
    {
        QTest::addColumn<QString>("connStr");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("unknown provider") << "Provider=Oracle;Data Source=x" << QStringLiteral("Oracle");
        QTest::newRow("no provider") << "Data Source=x.sqlite" << QStringLiteral("Provider");
        QTest::newRow("malformed") << "Provider=SQLite;garbage" << QStringLiteral("garbage");
        QTest::newRow("missing file") << "Provider=SQLite;Data Source=/nonexistent/folder/kaldb.sqlite"
                                      << QStringLiteral("/nonexistent/folder/kaldb.sqlite");
        QTest::newRow("missing odbc driver") << "Provider=SQLServer;Driver=No Such Driver;Data "
                                                "Source=127.0.0.1,1;Initial Catalog=x;User ID=a;Password=b"
                                             << QStringLiteral("No Such Driver");
    }
    void connectionFailures()
    {
        QFETCH(QString, connStr);
        QFETCH(QString, expectedText);
        try {
            DbConnection::open(ConnectionSpec::parse(connStr));
            QFAIL("the connection should have failed");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::ConnectionFailed);
            QVERIFY2(e.description().contains(expectedText), qPrintable(e.description()));
        }
    }

    void serverThatDoesNotAnswerFailsWithinSeconds()
    {
        // A listening socket that never speaks: the driver must give up by itself.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QString connStr =
            QStringLiteral(
                "Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Initial Catalog=x;User ID=a;Password=b")
                .arg(silent.serverPort());
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_EXCEPTION(DbError, DbConnection::open(ConnectionSpec::parse(connStr)));
        QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
    }

    void wrongPasswordIsReadable()
    {
        const QString good = PostgresServerConnStr(QStringLiteral("postgres"));
        QVERIFY2(!good.isEmpty(), "no PostgreSQL test server");
        QString bad = good;
        bad.replace(QStringLiteral("Password=vornapg"), QStringLiteral("Password=wrong"));
        try {
            DbConnection::open(ConnectionSpec::parse(bad));
            QFAIL("a wrong password was accepted");
        } catch (const DbError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("password")), qPrintable(e.description()));
        }
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

QTEST_GUILESS_MAIN(TestSettingsConnection)
#include "test_settings_connection.moc"
