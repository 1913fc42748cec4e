// Builds the benchmark database:
//   vorna-bench-makedb [--projects N] [--functions M] [--first-key K] "<connection string>"
// (default 1,000 projects and 20,000 functions; with --first-key the project and function keys
// start at K, as in a database in use for years). The database must be empty (SQLite: the file
// must not exist yet; PostgreSQL: an empty database); schema and reference data are applied
// first, the totals of every function last.

#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_setup.h"
#include "large_database.h"
#include "state/app_state.h"
#include "workspace/price_recalc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    LargeDatabaseShape shape;
    while (args.size() >= 3 && args.first().startsWith(QLatin1String("--"))) {
        bool ok = false;
        const int value = args.at(1).toInt(&ok);
        const QString option = args.first();
        if (!ok || value < 1) {
            break;
        }
        if (option == QLatin1String("--projects")) {
            shape.projects = value;
        } else if (option == QLatin1String("--functions")) {
            shape.functions = value;
        } else if (option == QLatin1String("--first-key")) {
            shape.firstProjectKey = value;
            shape.firstFunctionKey = value;
        } else {
            break;
        }
        args = args.mid(2);
    }
    if (args.size() != 1) {
        err << "usage: vorna-bench-makedb [--projects N] [--functions M] [--first-key K] "
               "\"<connection string>\"\n";
        return 2;
    }
    try {
        const ConnectionParams params = ConnectionParams::parse(args.first());
        QElapsedTimer clock;
        clock.start();
        const auto report = [&](const QString& step) {
            out << QStringLiteral("%1 ms  %2\n").arg(clock.elapsed(), 7).arg(step);
            out.flush();
        };
        if (params.value(QStringLiteral("Provider")).compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) ==
            0) {
            const QString file = params.value(QStringLiteral("Data Source"));
            if (QFileInfo::exists(file)) {
                err << file << " exists already\n";
                return 1;
            }
            CreateEmbeddedDatabase(QFileInfo(file).absoluteFilePath(), false);
        } else {
            auto connection = DbConnection::open(params);
            ApplySetup(*connection, false);
        }
        report(QStringLiteral("schema and reference data"));

        AppState state;
        state.Conn = DbConnection::open(params);
        FillLargeDatabase(*state.Conn, shape, report);
        RecalculatePrices(*state.Conn, state.policy.Charge, 0);
        report(QStringLiteral("totals of every function"));
        return 0;
    } catch (const DbError& e) {
        err << e.description() << "\n" << e.statement().left(300) << "\n";
        return 1;
    }
}
