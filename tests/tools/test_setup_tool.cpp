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
        const QString file = m_env->path(QStringLiteral("new/demo.sqlite"));
        QString output;
        QCOMPARE(runTool({QStringLiteral("--demo"), QStringLiteral("Provider=SQLite;Data Source=") + file},
                         &output),
                 0);
        QVERIFY(output.contains(QStringLiteral("created")));
        auto conn =
            DbConnection::open(ConnectionSpec::parse(QStringLiteral("Provider=SQLite;Data Source=") + file));
        QCOMPARE(ExistingTables(*conn).size(), 21);
        QVERIFY(rowCount(*conn, QStringLiteral("TPROJECT")) > 0);
    }

    void usesTheUsersSettingsWithoutArguments()
    {
        QCOMPARE(runTool({}), 0);
        QVERIFY(QFileInfo::exists(m_env->path(QStringLiteral("data/kaldb.sqlite"))));
        // A second run finds the tables and refuses.
        QString output;
        QCOMPARE(runTool({}, &output), 1);
        QVERIFY2(output.contains(QStringLiteral("MDIV")), qPrintable(output));
    }

    void setsUpPostgresDatabase()
    {
        const QString admin = PostgresServerConnStr(QStringLiteral("postgres"));
        QVERIFY2(!admin.isEmpty(), "no PostgreSQL test server");
        const QString name = QStringLiteral("vorna_tool_%1").arg(QCoreApplication::applicationPid());
        {
            auto server = DbConnection::open(ConnectionSpec::parse(admin));
            ExecSql(*server, QStringLiteral("DROP DATABASE IF EXISTS ") + name);
            ExecSql(*server, QStringLiteral("CREATE DATABASE ") + name);
        }
        const QString target = PostgresServerConnStr(name);
        QString output;
        QCOMPARE(runTool({QStringLiteral("--demo"), target}, &output), 0);
        QVERIFY(output.contains(QStringLiteral("PostgreSQL")));
        {
            auto conn = DbConnection::open(ConnectionSpec::parse(target));
            QCOMPARE(ExistingTables(*conn).size(), 21);
            QVERIFY(rowCount(*conn, QStringLiteral("TFUNCTION")) > 0);
        }
        QCOMPARE(runTool({target}, &output), 1);
        QVERIFY(output.contains(QStringLiteral("テーブル")));
        auto server = DbConnection::open(ConnectionSpec::parse(admin));
        ExecSql(*server, QStringLiteral("DROP DATABASE ") + name + QStringLiteral(" WITH (FORCE)"));
    }

    void badArgumentsAndConnections()
    {
        QCOMPARE(runTool({QStringLiteral("--bogus")}), 2);
        QString output;
        QCOMPARE(runTool({QStringLiteral("Provider=Nothing;Data Source=x")}, &output), 1);
        QVERIFY(output.contains(QStringLiteral("Nothing")));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSetupTool)
#include "test_setup_tool.moc"
