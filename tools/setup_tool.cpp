#include "setup_tool.h"

#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_setup.h"
#include "program/command_line.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kPasswordPlaceholder = QStringLiteral("$PASSWD$");

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// A password that was not given: "$PASSWD$", or a user without a password. The embedded
// database has none.
bool wantsPassword(const ConnectionParams& params)
{
    if (params.value(QStringLiteral("Provider")).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (params.has(QStringLiteral("Password"))) {
        return params.value(QStringLiteral("Password")).contains(kPasswordPlaceholder);
    }
    return params.has(QStringLiteral("User ID"));
}

} // namespace

std::optional<QString> ReadHiddenLine(int in, int promptOut, const QString& prompt)
{
    writeAll(promptOut, prompt.toLocal8Bit());
    termios saved{};
    const bool terminal = ::isatty(in) && ::tcgetattr(in, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(in, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    bool ended = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(in, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        if (c == '\n') {
            ended = true;
            break;
        }
        line += c;
    }
    if (terminal) {
        ::tcsetattr(in, TCSAFLUSH, &saved);
        writeAll(promptOut, "\n");
    }
    if (!ended && line.isEmpty()) {
        return std::nullopt;
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return QString::fromLocal8Bit(line);
}

std::optional<QString> AskPasswordOnTerminal(const QString& prompt)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) {
        return ReadHiddenLine(STDIN_FILENO, STDERR_FILENO, prompt);
    }
    const std::optional<QString> password = ReadHiddenLine(tty, tty, prompt);
    ::close(tty);
    return password;
}

int RunSetupTool(const QStringList& arguments, QTextStream& out, QTextStream& err,
                 const PasswordPrompt& askPassword)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Applies VORNA's schema and reference data to a database that holds none of its tables;\n"
        "an SQLite file that does not exist yet is created. Connection strings, for example:\n"
        "  'Provider=SQLite;Data Source=/path/to/kaldb.sqlite'\n"
        "  'Provider=PostgreSQL;Host=localhost;Port=5432;Initial Catalog=kaldb;User ID=kal;Password=$PASSWD$'\n"
        "  'Provider=SQLServer;Data Source=server,1433;Initial Catalog=kaldb;User ID=kal;Password=$PASSWD$'\n"
        "A password given as $PASSWD$ or left out is taken from the environment variable\n"
        "VORNA_DB_PASSWORD, or asked for on the terminal."));
    const QCommandLineOption demoOption(QStringLiteral("demo"), QStringLiteral("Also loads the demo data."));
    parser.addOption(demoOption);
    parser.addPositionalArgument(
        QStringLiteral("connection"),
        QStringLiteral("The database; without one, this user's connection settings."),
        QStringLiteral("[connection string]"));
    if (const auto exitCode = CommandLine::read(
            parser, QStringList{QStringLiteral("vorna-dbsetup")} + arguments, {1, false}, out, err)) {
        return *exitCode;
    }
    const bool demo = parser.isSet(demoOption);
    const QString connStr = parser.positionalArguments().value(0);

    // Read as empty, an unreadable settings file would have a new embedded database set up in
    // place of the user's.
    const QString unreadable = connStr.isEmpty() ? Settings::readProblem() : QString();
    if (!unreadable.isEmpty()) {
        err << "vorna-dbsetup: " << unreadable << "\n";
        return 1;
    }
    ConnectionParams params =
        connStr.isEmpty() ? ConnectionParams::fromStore() : ConnectionParams::parse(connStr);
    try {
        if (!params.error.isEmpty()) {
            throw DbError(DbError::ConnectionFailed, params.error);
        }
        if (!connStr.isEmpty() && wantsPassword(params)) {
            std::optional<QString> password;
            if (qEnvironmentVariableIsSet("VORNA_DB_PASSWORD")) {
                password = qEnvironmentVariable("VORNA_DB_PASSWORD");
            } else {
                out.flush();
                password = askPassword(
                    QStringLiteral("Password for %1: ").arg(params.value(QStringLiteral("User ID"))));
            }
            if (!password) {
                throw DbError(DbError::ConnectionFailed,
                              QStringLiteral("no password: set VORNA_DB_PASSWORD or run on a terminal"));
            }
            QString value = params.value(QStringLiteral("Password"));
            params.keys.insert(QStringLiteral("password"),
                               value.isEmpty() ? *password : value.replace(kPasswordPlaceholder, *password));
        }
        if (params.value(QStringLiteral("Provider")).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) ==
            0) {
            QString path = params.value(QStringLiteral("Data Source"));
            if (!path.isEmpty() && QDir::isRelativePath(path)) {
                path = QDir(DataFolder()).filePath(path);
            }
            if (!path.isEmpty() && !QFileInfo::exists(path)) {
                CreateEmbeddedDatabase(path, demo);
                out << "created " << path << " with the schema and reference data"
                    << (demo ? " and the demo data" : "") << "\n";
                return 0;
            }
        }
        auto connection = DbConnection::open(params);
        out << "connected to " << EngineName(connection->engine()) << " " << connection->location() << "\n";
        const QString warning = DatabaseCollationWarning(*connection);
        if (!warning.isEmpty()) {
            err << "vorna-dbsetup: warning: " << warning << "\n";
        }
        ApplySetup(*connection, demo, [&out](const QString& line) { out << line << "\n"; });
        out << "set-up complete\n";
        return 0;
    } catch (const DbError& e) {
        err << "vorna-dbsetup: " << e.description() << "\n";
        if (!e.statement().isEmpty()) {
            err << "statement: " << e.statement() << "\n";
        }
        return 1;
    }
}
