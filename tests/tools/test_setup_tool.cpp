#include "foundation/db_connection.h"
#include "foundation/schema_setup.h"
#include "setup_tool.h"
#include "test_support.h"

#include <QFileInfo>

namespace {

int runTool(const QStringList& args, QString* output = nullptr)
{
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const int code = RunSetupTool(args, out, err);
    out.flush();
    err.flush();
    if (output) {
        *output = outText + errText;
    }
    return code;
}

} // namespace

class TestSetupTool : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void createsSqliteFileWithDemo()
    {
        const QString file = m_env->path(u"new/demo.sqlite"_s);
        QString output;
        QCOMPARE(runTool({u"--demo"_s, u"Provider=SQLite;Data Source="_s + file}, &output), 0);
        QVERIFY(output.contains(u"created"_s));
        auto conn = DbConnection::open(ConnectionSpec::parse(u"Provider=SQLite;Data Source="_s + file));
        QCOMPARE(ExistingTables(*conn).size(), 21);
        QVERIFY(rowCount(*conn, u"TPROJECT"_s) > 0);
    }

    void usesTheUsersSettingsWithoutArguments()
    {
        QCOMPARE(runTool({}), 0);
        QVERIFY(QFileInfo::exists(m_env->path(u"data/kaldb.sqlite"_s)));
        // A second run finds the tables and refuses.
        QString output;
        QCOMPARE(runTool({}, &output), 1);
        QVERIFY2(output.contains(u"MDIV"_s), qPrintable(output));
    }

    void setsUpPostgresDatabase()
    {
        const QString admin = PostgresServerConnStr(u"postgres"_s);
        QVERIFY2(!admin.isEmpty(), "no PostgreSQL test server");
        const QString name = u"vorna_tool_%1"_s.arg(QCoreApplication::applicationPid());
        {
            auto server = DbConnection::open(ConnectionSpec::parse(admin));
            ExecSql(*server, u"DROP DATABASE IF EXISTS "_s + name);
            ExecSql(*server, u"CREATE DATABASE "_s + name);
        }
        const QString target = PostgresServerConnStr(name);
        QString output;
        QCOMPARE(runTool({u"--demo"_s, target}, &output), 0);
        QVERIFY(output.contains(u"PostgreSQL"_s));
        {
            auto conn = DbConnection::open(ConnectionSpec::parse(target));
            QCOMPARE(ExistingTables(*conn).size(), 21);
            QVERIFY(rowCount(*conn, u"TFUNCTION"_s) > 0);
        }
        QCOMPARE(runTool({target}, &output), 1);
        QVERIFY(output.contains(u"テーブル"_s));
        auto server = DbConnection::open(ConnectionSpec::parse(admin));
        ExecSql(*server, u"DROP DATABASE "_s + name + u" WITH (FORCE)"_s);
    }

    void badArgumentsAndConnections()
    {
        QCOMPARE(runTool({u"--bogus"_s}), 2);
        QString output;
        QCOMPARE(runTool({u"Provider=Nothing;Data Source=x"_s}, &output), 1);
        QVERIFY(output.contains(u"Nothing"_s));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSetupTool)
#include "test_setup_tool.moc"
