#include "foundation/db_connection.h"
#include "foundation/schema_setup.h"
#include "setup_tool.h"
#include "test_support.h"

#include <QFileInfo>

namespace {

// The tool's exit code and what it wrote to either stream.
std::pair<int, QString> runTool(const QStringList& args)
{
    QString text;
    QTextStream out(&text);
    const int code = RunSetupTool(args, out, out);
    out.flush();
    return {code, text};
}

} // namespace

class TestSetupTool : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // A new database with the demo data, on each engine; a second run finds the tables and
    // refuses.
    void setsUpDatabase_data() { addEngineRows(); }
    void setsUpDatabase()
    {
        FETCH_ENGINE();
        const QString admin =
            dbEngine == Engine::PostgreSQL ? PostgresServerConnStr(u"postgres"_s) : QString();
        const QString name = u"vorna_tool_%1"_s.arg(QCoreApplication::applicationPid());
        QString target = u"Provider=SQLite;Data Source="_s + m_env->path(u"new/demo.sqlite"_s);
        if (dbEngine == Engine::PostgreSQL) {
            QVERIFY2(!admin.isEmpty(), "no PostgreSQL test server");
            auto server = DbConnection::open(ConnectionParams::parse(admin));
            ExecSql(*server, u"DROP DATABASE IF EXISTS "_s + name);
            ExecSql(*server, u"CREATE DATABASE "_s + name);
            target = PostgresServerConnStr(name);
        }
        auto [code, output] = runTool({u"--demo"_s, target});
        QCOMPARE(code, 0);
        QVERIFY2(output.contains(dbEngine == Engine::SQLite ? u"created"_s : u"PostgreSQL"_s),
                 qPrintable(output));
        {
            auto conn = DbConnection::open(ConnectionParams::parse(target));
            QCOMPARE(ExistingTables(*conn).size(), 21);
            QVERIFY(rowCount(*conn, u"TFUNCTION"_s) > 0);
        }
        std::tie(code, output) = runTool({target});
        QCOMPARE(code, 1);
        QVERIFY2(output.contains(u"テーブル"_s), qPrintable(output));
        if (!admin.isEmpty()) {
            auto server = DbConnection::open(ConnectionParams::parse(admin));
            ExecSql(*server, u"DROP DATABASE "_s + name + u" WITH (FORCE)"_s);
        }
    }

    // Without arguments the user's settings name the database; bad arguments are refused.
    void argumentsAndSettings()
    {
        QCOMPARE(runTool({}).first, 0);
        QVERIFY(QFileInfo::exists(m_env->path(u"data/kaldb.sqlite"_s)));
        QCOMPARE(runTool({u"--bogus"_s}).first, 2);
        const auto [code, output] = runTool({u"Provider=Nothing;Data Source=x"_s});
        QCOMPARE(code, 1);
        QVERIFY(output.contains(u"Nothing"_s));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSetupTool)
#include "test_setup_tool.moc"
