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
        if (!connStr.isEmpty()) {
            out.flush();
            SupplyPassword(params, askPassword);
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
