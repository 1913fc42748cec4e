// Builds the benchmark database: vorna-bench-makedb "<connection string>"
// The database must be empty (SQLite: the file must not exist yet; PostgreSQL: an empty
// database); schema and reference data are applied first.

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
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1) {
        err << "usage: vorna-bench-makedb \"<connection string>\"\n";
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
        FillLargeDatabase(*state.Conn, LargeDatabaseShape(), report);
        RecalculatePrices(*state.Conn, state.policy.Charge, 0);
        report(QStringLiteral("totals of every function"));
        return 0;
    } catch (const DbError& e) {
        err << e.description() << "\n" << e.statement().left(300) << "\n";
        return 1;
    }
}
