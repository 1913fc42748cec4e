#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/sql_literal.h"
#include "fake_tds_server.h"
#include "test_support.h"

namespace {

const QString kTemplate = u"Provider=SQLServer;Data Source=%1;Initial Catalog=$DBName$;User ID=$UserID$;"
                          u"Password=$PASSWD$"_s;

std::unique_ptr<DbConnection> connectTo(const QString& dataSource, const QString& user = u"kal"_s,
                                        const QString& password = u"secret"_s,
                                        const QString& database = u"kaldb"_s)
{
    return DbConnection::open(ConnectionParams::resolve(kTemplate.arg(dataSource), user, password, database));
}

QString local(const FakeTdsServer& server)
{
    return u"127.0.0.1,%1"_s.arg(server.port());
}

} // namespace

// SQL Server through the client stack the program really uses (Qt's ODBC driver, unixODBC and
// FreeTDS), against a scripted server: what arrives there, and how its answers come back.
class TestSqlServerClient : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_server = std::make_unique<FakeTdsServer>();
        QVERIFY(m_server->listening());
    }
    void cleanup()
    {
        m_server.reset();
        m_env.reset();
    }

    // The server gets the user, password and database exactly as they were typed; the session
    // speaks English, which the error texts rely on.
    void credentialsArriveIntact_data()
    {
        addColumns<QString, QString, QString>({"user", "password", "database"});
        QTest::newRow("plain") << u"kal"_s << u"secret"_s << u"kaldb"_s;
        QTest::newRow("braces and semicolons") << u"k}a;l"_s << u"p{w}=x y;z}"_s << u"db }{ name"_s;
        QTest::newRow("opening braces") << u"{kal}"_s << u"{a;b}}"_s << u"{db"_s;
        QTest::newRow("blanks and japanese") << u" 佐藤 "_s << u"パス{ワ}ード "_s << u"見積;DB"_s;
    }
    void credentialsArriveIntact()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        auto conn = connectTo(local(*m_server), user, password, database);
        QCOMPARE(m_server->logins().size(), 1);
        const FakeTdsServer::Login login = m_server->logins().constFirst();
        QCOMPARE((QStringList{login.user, login.password, login.database}),
                 (QStringList{user, password, database}));
        QCOMPARE(login.language, u"us_english"_s);
    }

    // A session waits five seconds at most for what another holds, as on the other engines.
    void lockWaitIsBounded()
    {
        auto conn = connectTo(local(*m_server));
        QVERIFY2(m_server->batches().contains(u"SET LOCK_TIMEOUT 5000"_s),
                 qPrintable(m_server->batches().join(u" | "_s)));
    }

    // Every text reaches the server as a Unicode literal, a backslash included, and every
    // statement runs directly, never through a server cursor.
    void statementsArriveAsWritten()
    {
        auto conn = connectTo(local(*m_server));
        const int cursorsAtOpen = m_server->procedureCalls();
        const QString text = u"𠮷野家 café 한국어 简体中文 — x\\'); DELETE FROM TFP; --"_s;
        const QString insert = u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES (%1, %2, 1)"_s;
        ExecSql(*conn, insert.arg(SqlLiteral(text, u"CCUSTNAME"_s), SqlLiteral(QString(), u"CMEMO"_s)));
        ExecSql(*conn, u"SET DATEFORMAT ymd"_s);
        QCOMPARE(m_server->batches().mid(m_server->batches().size() - 2),
                 (QStringList{
                     insert.arg(u"N'𠮷野家 café 한국어 简体中文 — x\\''); DELETE FROM TFP; --'"_s, u"N''"_s),
                     u"SET DATEFORMAT ymd"_s}));
        QCOMPARE(m_server->procedureCalls(), cursorsAtOpen);

        m_server->answer(u"SELECT CCUSTNAME"_s, {{}, {u"CCUSTNAME"_s}, {{text}}});
        Recordset rs = OpenRs(*conn, u"SELECT CCUSTNAME FROM MCUSTOMER"_s);
        QCOMPARE(rs.field(u"CCUSTNAME"_s).toString(), text);
        QCOMPARE(m_server->procedureCalls(), cursorsAtOpen);
    }

    // Constraint and size errors come back as Qt's ODBC driver reports them (the number of the
    // closing 3621 message, the texts of all) and are told apart as on the other engines.
    void refusalsAreRecognised_data()
    {
        addColumns<QString, int, QString, int>({"statement", "number", "serverText", "kind"});
        QTest::newRow("row in use") << u"DELETE MLANG WHERE NLANG = 1"_s << 547
                                    << u"The DELETE statement conflicted with the REFERENCE constraint "
                                       u"\"FK_TFUNCTION_NLNG\". The conflict occurred in database \"kaldb\", "
                                       u"table \"dbo.TFUNCTION\", column 'NLNG'."_s
                                    << int(DbError::IntegrityViolation);
        QTest::newRow("too long")
            << u"INSERT INTO MLANG (CLANG) VALUES ('aaaa')"_s << 2628
            << u"String or binary data would be truncated in table 'kaldb.dbo.MLANG', column "
               u"'CLANG'. Truncated value: 'aaa'."_s
            << int(DbError::DataOverflow);
        QTest::newRow("duplicate key on insert")
            << u"INSERT INTO MDIV (NDID, NVAL) VALUES (1, 1)"_s << 2627
            << u"Violation of PRIMARY KEY constraint 'PK_MDIV'. Cannot insert duplicate key in object "
               u"'dbo.MDIV'. The duplicate key value is (1, 1)."_s
            << int(DbError::IntegrityViolation);
        QTest::newRow("lock wait timed out")
            << u"UPDATE TFUNCTION SET NDISCOUNT = 0 WHERE NFUNCTION = 2"_s << 1222
            << u"Lock request time out period exceeded."_s << int(DbError::Busy);
        QTest::newRow("deadlock victim")
            << u"UPDATE TPROJECT SET CPROJNAME = N'x' WHERE NPROJECT = 2"_s << 1205
            << u"Transaction (Process ID 57) was deadlocked on lock resources with another process and "
               u"has been chosen as the deadlock victim. Rerun the transaction."_s
            << int(DbError::Busy);
    }
    void refusalsAreRecognised()
    {
        QFETCH(QString, statement);
        QFETCH(int, number);
        QFETCH(QString, serverText);
        QFETCH(int, kind);
        auto conn = connectTo(local(*m_server));
        m_server->answer(
            statement.left(20),
            {{{number, 16, serverText}, {3621, 0, u"The statement has been terminated."_s}}, {}, {}});
        try {
            ExecSql(*conn, statement);
            QFAIL("the statement did not fail");
        } catch (const DbError& e) {
            QCOMPARE(e.nativeCode(), u"3621"_s);
            QCOMPARE(int(e.kind()), kind);
            // What the report shows (test_database_helpers): the kind's words, or the server's
            // text with the statement.
            QVERIFY(e.description().contains(serverText));
            QCOMPARE(e.statement(), statement);
        }
    }

    // A named instance without a port is found through the SQL Browser; with a port it is not
    // asked.
    void namedInstance()
    {
        QVERIFY2(m_server->serveInstance(u"VORNATEST"_s), "UDP port 1434 of 127.0.0.1 is taken");
        auto conn = connectTo(u"127.0.0.1\\VORNATEST"_s);
        QCOMPARE(m_server->logins().size(), 1);
        auto second = connectTo(u"127.0.0.1\\ELSEWHERE,%1"_s.arg(m_server->port()));
        QCOMPARE(m_server->logins().size(), 2);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<FakeTdsServer> m_server;
};

QTEST_GUILESS_MAIN(TestSqlServerClient)
#include "test_sqlserver_client.moc"
