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
        QCOMPARE(GetConnStr(), u"Provider=SQLite;Data Source=kaldb.sqlite"_s);
        const ConnSettings s = ConnSettings::fromStore();
        QCOMPARE(s.dbName, u"kaldb"_s);
        QCOMPARE(s.userID, u"kal"_s);
        QCOMPARE(s.passwd, u"kal"_s);
        // Reading writes nothing.
        QVERIFY(!QFileInfo::exists(SettingsStore::filePath()));
    }

    void placeholders_data()
    {
        addColumns<QString, QString>({"base", "expected"});
        QTest::newRow("part template")
            << u"Provider=SQLOLEDB.1;Password=$PASSWD$;Persist Security Info=True;User ID=$UserID$;Initial "_s
               "Catalog=$DBName$"
            << u"Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=me;Initial Catalog=db"_s;
        QTest::newRow("omitted placeholder")
            << u"Provider=SQLite;Data Source=fixed.sqlite"_s << u"Provider=SQLite;Data Source=fixed.sqlite"_s;
        QTest::newRow("repeated") << u"A=$DBName$;B=$DBName$"_s << u"A=db;B=db"_s;
        QTest::newRow("case sensitive") << u"A=$dbname$;B=$DBName$"_s << u"A=$dbname$;B=db"_s;
    }
    void placeholders()
    {
        QFETCH(QString, base);
        QFETCH(QString, expected);
        SaveSetting(u"vorna"_s, u"DB"_s, u"ConnStr_Base"_s, base);
        SaveSetting(u"vorna"_s, u"DB"_s, u"UserID"_s, u"me"_s);
        SaveSetting(u"VORNA"_s, u"DB"_s, u"Passwd"_s, u"pw"_s);
        SaveSetting(u"vorna"_s, u"DB"_s, u"DBName"_s, u"db"_s);
        QCOMPARE(GetConnStr(), expected);
    }

    void storeIsPrivate()
    {
        SaveSetting(u"vorna"_s, u"DB"_s, u"Passwd"_s, u"secret"_s);
        const QFileInfo info(SettingsStore::filePath());
        QVERIFY(info.exists());
        QCOMPARE(info.permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFileDevice::Permissions());
        // Both application names reach the same place.
        QCOMPARE(GetSetting(u"VORNA"_s, u"DB"_s, u"Passwd"_s), u"secret"_s);
    }

    void passwordCannotAddSettings()
    {
        const ConnectionSpec spec = ConnectionSpec::resolve(
            QStringLiteral("Provider=PostgreSQL;Host=db.example;User ID=$UserID$;Password=$PASSWD$;Initial "
                           "Catalog=$DBName$"),
            u"kal"_s, u"a;Host=evil;b=c"_s, u"kaldb"_s);
        QCOMPARE(spec.value(u"host"_s), u"db.example"_s);
        QCOMPARE(spec.value(u"Password"_s), u"a;Host=evil;b=c"_s);
        QCOMPARE(spec.value(u"INITIAL CATALOG"_s), u"kaldb"_s);
    }

    // Every way a connection can fail ends in the start-up prompt with a readable reason, and
    // none of them hangs: a server that accepts and never answers is given up by the driver.
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
        SaveSetting(u"vorna"_s, u"DB"_s, u"ConnStr_Base"_s, connStr);
        Messages::setNextAnswer(QMessageBox::No);
        AppState state;
        QVERIFY(!Main(state, [](AppState&) { return new QWidget; }));
        QCOMPARE(Messages::last().title, u"接続失敗"_s);
        QVERIFY2(Messages::last().text.contains(expectedText, Qt::CaseInsensitive),
                 qPrintable(Messages::last().text));
    }

    void secondConnectionReachesSameDatabase()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto first = db->connect();
        auto second = first->openSecond();
        ExecSql(*second, u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (1, 'x', '')"_s);
        QCOMPARE(rowCount(*first, u"MCUSTOMER"_s), 1);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestSettingsConnection)
#include "test_settings_connection.moc"
