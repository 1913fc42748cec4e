#include "setup_tool.h"

#include "foundation/connection_string.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/schema_setup.h"

#include <QDir>
#include <QFileInfo>

namespace {

void usage(QTextStream& err)
{
    err << "usage: vorna-dbsetup [--demo] [connection string]\n"
           "  connection string, for example:\n"
           "    \"Provider=SQLite;Data Source=/path/to/kaldb.sqlite\"\n"
           "    \"Provider=PostgreSQL;Host=localhost;Port=5432;Initial Catalog=kaldb;User "
           "ID=kal;Password=...\"\n"
           "    \"Provider=SQLServer;Data Source=server,1433;Initial Catalog=kaldb;User "
           "ID=kal;Password=...\"\n"
           "  without one, the connection settings of this user are used.\n";
}

} // namespace

int RunSetupTool(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    bool demo = false;
    QString connStr;
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--demo")) {
            demo = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            usage(out);
            return 0;
        } else if (arg.startsWith(QLatin1String("--")) || !connStr.isEmpty()) {
            usage(err);
            return 2;
        } else {
            connStr = arg;
        }
    }

    const ConnectionParams params =
        connStr.isEmpty() ? ConnectionParams::fromStore() : ConnectionParams::parse(connStr);
    try {
        if (!params.error.isEmpty()) {
            throw DbError(DbError::ConnectionFailed, params.error);
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
