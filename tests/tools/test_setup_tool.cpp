#include "db/db_connection.h"
#include "db/schema_setup.h"
#include "fake_tds_server.h"
#include "program/version.h"
#include "settings/settings.h"
#include "setup_tool.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

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
            QCOMPARE(ExistingTables(*conn).size(), 26);
            QVERIFY(rowCount(*conn, u"TFUNCTION"_s) > 0);
        }
        {
            // Found by an ordinary query, which works through every driver.
            StatementLog log;
            std::tie(code, output) = runTool({target});
            QCOMPARE(log.statements().size(), 1);
        }
        QCOMPARE(code, 1);
        QVERIFY2(output.contains(u"テーブル"_s) && output.contains(u"MDIV, MLANG"_s) &&
                     output.contains(u"TDATE"_s),
                 qPrintable(output));
        if (!admin.isEmpty()) {
            auto server = DbConnection::open(ConnectionParams::parse(admin));
            ExecSql(*server, u"DROP DATABASE "_s + name + u" WITH (FORCE)"_s);
        }
    }

    // On SQL Server (a scripted one, through the real ODBC client) the tool warns about a
    // collation that is neither Japanese nor UTF-8 but goes on; every statement of the scripts
    // runs directly with its texts as Unicode literals. A second run finds the tables with an
    // ordinary query and refuses.
    void setsUpSqlServer()
    {
        FakeTdsServer server;
        QVERIFY(server.listening());
        const QString target =
            u"Provider=SQLServer;Data Source=127.0.0.1,%1;Initial Catalog=kaldb;User ID=kal;Password=x"_s.arg(
                server.port());
        server.answer(u"DATABASEPROPERTYEX"_s, {{}, {u"V"_s}, {{u"SQL_Latin1_General_CP1_CI_AS"_s}}});
        server.answer(u"INFORMATION_SCHEMA.TABLES"_s, {{}, {u"NAME"_s}, {{u"sysdiagrams"_s}}});
        auto [code, output] = runTool({u"--demo"_s, target});
        QCOMPARE(code, 0);
        QVERIFY2(output.contains(u"warning: "_s) && output.contains(u"SQL_Latin1_General_CP1_CI_AS"_s),
                 qPrintable(output));
        int statements = 0;
        for (SetupScript script : {SetupScript::Schema, SetupScript::ReferenceData, SetupScript::DemoData}) {
            statements += SplitSqlScript(SetupScriptText(Engine::SQLServer, script)).size();
        }
        const QStringList batches = server.batches();
        const int first = batches.indexOf(u"SET DATEFORMAT ymd"_s);
        QVERIFY(first >= 0);
        QCOMPARE(batches.size() - first - 1, statements);
        for (const QString& sent :
             {u"INSERT INTO MDIV (NDID, NVAL, CNAME, NSORT, CDEF, NCOEF, NCOEF2, NCOEF3) VALUES (1, 1, "
              u"N'新規', 1, "
              u"N'1', 1.00, NULL, NULL)"_s,
              u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES (N'株式会社ミナト物流', "
              u"N'エンドユーザ。首都圏に物流センター3拠点。', 1)"_s}) {
            QVERIFY2(batches.contains(sent), qPrintable(sent));
        }

        server.answer(u"INFORMATION_SCHEMA.TABLES"_s,
                      {{}, {u"NAME"_s}, {{u"sysdiagrams"_s}, {u"TFP"_s}, {u"MDIV"_s}}});
        std::tie(code, output) = runTool({target});
        QCOMPARE(code, 1);
        QVERIFY2(output.contains(u"テーブル"_s) && output.contains(u"MDIV, TFP"_s), qPrintable(output));
        QVERIFY(server.batches().constLast().contains(u"INFORMATION_SCHEMA.TABLES"_s));
        QCOMPARE(server.procedureCalls(), 2); // Qt's own at each connection, never the program's
    }

    // A default collation that is neither Japanese nor UTF-8 is worth a warning: the texts are
    // kept, but they sort by its rules.
    void collationWarning_data()
    {
        addColumns<QString, bool>({"collation", "warned"});
        QTest::newRow("japanese") << u"Japanese_CI_AS"_s << false;
        QTest::newRow("japanese xjis") << u"Japanese_XJIS_140_CI_AS_UTF8"_s << false;
        QTest::newRow("utf-8") << u"Latin1_General_100_CI_AS_SC_UTF8"_s << false;
        QTest::newRow("latin") << u"SQL_Latin1_General_CP1_CI_AS"_s << true;
        QTest::newRow("korean") << u"Korean_Wansung_CI_AS"_s << true;
        QTest::newRow("unknown") << QString() << true;
    }
    void collationWarning()
    {
        QFETCH(QString, collation);
        QFETCH(bool, warned);
        const QString warning = CollationWarning(collation);
        QCOMPARE(!warning.isEmpty(), warned);
        QVERIFY(warning.isEmpty() || warning.contains(collation));
    }

    // Without arguments the user's settings name the database; bad arguments are refused, and so
    // is a settings file that cannot be read, before anything is set up.
    void argumentsAndSettings()
    {
        QVERIFY(QDir().mkpath(Settings::filePath()));
        const auto [refused, why] = runTool({});
        QCOMPARE(refused, 1);
        QVERIFY2(why.contains(Settings::filePath()), qPrintable(why));
        QVERIFY(!QFileInfo::exists(m_env->path(u"data"_s)));
        QVERIFY(QDir().rmdir(Settings::filePath()));

        QCOMPARE(runTool({}).first, 0);
        QVERIFY(QFileInfo::exists(m_env->path(u"data/kaldb.sqlite"_s)));
        const auto [code, output] = runTool({u"Provider=Nothing;Data Source=x"_s});
        QCOMPARE(code, 1);
        QVERIFY(output.contains(u"Nothing"_s));
    }

    // A server's password need not be on the command line: "$PASSWD$" or no password takes it
    // from VORNA_DB_PASSWORD, else from the terminal; one given in the string still works.
    void passwordStaysOffTheCommandLine_data()
    {
        addColumns<QString, QString, QString, int, bool>(
            {"password", "environment", "typed", "code", "asked"});
        QTest::newRow("placeholder, environment") << u"$PASSWD$"_s << u"$REAL$"_s << QString() << 0 << false;
        QTest::newRow("placeholder, typed") << u"$PASSWD$"_s << QString() << u"$REAL$"_s << 0 << true;
        QTest::newRow("left out, typed") << QString() << QString() << u"$REAL$"_s << 0 << true;
        QTest::newRow("left out, environment") << QString() << u"$REAL$"_s << QString() << 0 << false;
        QTest::newRow("in the string") << u"$REAL$"_s << QString() << QString() << 0 << false;
        QTest::newRow("typed wrong") << u"$PASSWD$"_s << QString() << u"wrong"_s << 1 << true;
        QTest::newRow("none to be had") << u"$PASSWD$"_s << QString() << QString() << 1 << true;
    }
    void passwordStaysOffTheCommandLine()
    {
        QFETCH(QString, password);
        QFETCH(QString, environment);
        QFETCH(QString, typed);
        QFETCH(int, code);
        QFETCH(bool, asked);
        const QString admin = PostgresServerConnStr(u"postgres"_s);
        QVERIFY2(!admin.isEmpty(), "no PostgreSQL test server");
        const QString real = ConnectionParams::parse(admin).value(u"Password"_s);
        const QString name = u"vorna_pw_%1"_s.arg(QCoreApplication::applicationPid());
        auto server = DbConnection::open(ConnectionParams::parse(admin));
        ExecSql(*server, u"DROP DATABASE IF EXISTS "_s + name);
        ExecSql(*server, u"CREATE DATABASE "_s + name);
        const auto dropped = qScopeGuard([&] {
            qunsetenv("VORNA_DB_PASSWORD");
            ExecSql(*server, u"DROP DATABASE IF EXISTS "_s + name + u" WITH (FORCE)"_s);
        });
        QString target = PostgresServerConnStr(name).remove(QRegularExpression(u";Password=[^;]*"_s));
        if (!password.isEmpty()) {
            target += u";Password="_s + QString(password).replace(u"$REAL$"_s, real);
        }
        if (environment.isEmpty()) {
            qunsetenv("VORNA_DB_PASSWORD");
        } else {
            qputenv("VORNA_DB_PASSWORD", environment.replace(u"$REAL$"_s, real).toUtf8());
        }
        QStringList prompts;
        const PasswordPrompt prompt = [&](const QString& text) -> std::optional<QString> {
            prompts << text;
            if (typed.isEmpty()) {
                return std::nullopt;
            }
            return QString(typed).replace(u"$REAL$"_s, real);
        };
        QString text;
        QTextStream out(&text);
        QCOMPARE(RunSetupTool({target}, out, out, prompt), code);
        out.flush();
        const QString user = ConnectionParams::parse(target).value(u"User ID"_s);
        QCOMPARE(prompts, asked ? QStringList{u"Password for "_s + user + u": "_s} : QStringList());
        QVERIFY2(text.contains(code == 0 ? u"set-up complete"_s : u"vorna-dbsetup: "_s), qPrintable(text));
        if (asked && typed.isEmpty()) {
            QVERIFY2(text.contains(u"VORNA_DB_PASSWORD"_s), qPrintable(text));
        }
    }

    // The password is read from a terminal with its echo off and the echo is put back; read
    // from a pipe, the line is taken as it comes.
    void hiddenLine_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("terminal") << true;
        QTest::newRow("pipe") << false;
    }
    void hiddenLine()
    {
        QFETCH(bool, terminal);
        int writeEnd = -1, readEnd = -1;
        if (terminal) {
            QCOMPARE(::openpty(&writeEnd, &readEnd, nullptr, nullptr, nullptr), 0);
        } else {
            int fds[2];
            QCOMPARE(::pipe(fds), 0);
            readEnd = fds[0];
            writeEnd = fds[1];
        }
        const auto closed = qScopeGuard([&] {
            ::close(readEnd);
            ::close(writeEnd);
        });
        int prompt[2];
        QCOMPARE(::pipe(prompt), 0);
        std::optional<QString> line;
        std::thread reader([&] { line = ReadHiddenLine(readEnd, prompt[1], u"Password: "_s); });
        if (terminal) {
            // Typed only once the echo is off, as a user types after the prompt.
            termios t{};
            QTRY_VERIFY(::tcgetattr(readEnd, &t) == 0 && !(t.c_lflag & ECHO));
        }
        const QByteArray typed = "s3cret;Host=x\n";
        QCOMPARE(::write(writeEnd, typed.constData(), typed.size()), ssize_t(typed.size()));
        reader.join();
        ::close(prompt[1]);
        QCOMPARE(line, std::optional<QString>(u"s3cret;Host=x"_s));
        QByteArray shown(256, 0);
        shown.resize(::read(prompt[0], shown.data(), shown.size()));
        ::close(prompt[0]);
        QCOMPARE(shown, terminal ? QByteArray("Password: \n") : QByteArray("Password: "));
        if (terminal) {
            termios t{};
            QCOMPARE(::tcgetattr(readEnd, &t), 0);
            QVERIFY(t.c_lflag & ECHO);
            // Nothing typed came back to the terminal.
            ::fcntl(writeEnd, F_SETFL, O_NONBLOCK);
            char echoed[64];
            QVERIFY(::read(writeEnd, echoed, sizeof echoed) <= 0);
        }
    }

    // Help and version go to standard output and end the tool; a wrong command line is
    // refused on the error output with the help. None of them touches a database.
    void commandLine_data()
    {
        addColumns<QStringList, int, QString, QString>({"arguments", "exitCode", "out", "err"});
        const QString database = u"Provider=SQLite;Data Source=kaldb.sqlite"_s;
        QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"[connection string]"_s << QString();
        QTest::newRow("help beside a database")
            << QStringList{u"--demo"_s, u"-h"_s, database} << 0 << u"--demo"_s << QString();
        QTest::newRow("version") << QStringList{u"--version"_s} << 0
                                 << u"vorna-dbsetup " VORNA_VERSION_TEXT "\n"_s << QString();
        QTest::newRow("version beside a database")
            << QStringList{database, u"-v"_s} << 0 << u"vorna-dbsetup " VORNA_VERSION_TEXT "\n"_s
            << QString();
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s, database} << 2 << QString()
                                        << u"vorna-dbsetup: Unknown option 'bogus'."_s;
        QTest::newRow("two databases") << QStringList{database, u"other"_s} << 2 << QString()
                                       << u"vorna-dbsetup: Unexpected argument 'other'."_s;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QString outText;
        QString errText;
        QTextStream outStream(&outText);
        QTextStream errStream(&errText);
        QCOMPARE(RunSetupTool(arguments, outStream, errStream), exitCode);
        outStream.flush();
        errStream.flush();
        QVERIFY2(out.isEmpty() ? outText.isEmpty() : outText.contains(out), qPrintable(outText));
        QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.startsWith(err), qPrintable(errText));
        if (exitCode == 0 && outText.contains(u"Usage:"_s)) {
            QVERIFY(outText.contains(u"Provider=PostgreSQL;"_s));
        }
        if (exitCode != 0) {
            QVERIFY2(errText.contains(u"Usage:"_s), qPrintable(errText));
        }
        QVERIFY(!QFileInfo::exists(m_env->path(u"data/kaldb.sqlite"_s)));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSetupTool)
#include "test_setup_tool.moc"
