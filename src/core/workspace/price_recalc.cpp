#include "workspace/price_recalc.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "state/app_state.h"

#include <QStringList>
#include <memory>

namespace {

QString scopeWhere(int project)
{
    return project != 0 ? QStringLiteral(" WHERE NPROJECT = ") + QString::number(project) : QString();
}

// The sum of an hour column (or product) over the rows of the function being updated: its
// per-process rows, or its member assignments priced under its own project's price kind.
QString functionSum(bool charge, const QString& summed)
{
    if (charge) {
        return QStringLiteral("COALESCE((SELECT SUM(") + summed +
               QStringLiteral(") FROM VCHARGE V, TPROJECT P") +
               QStringLiteral(
                   " WHERE V.NPROJECT = TFUNCTION.NPROJECT AND V.NFUNCTION = TFUNCTION.NFUNCTION") +
               QStringLiteral(" AND P.NPROJECT = V.NPROJECT AND V.NPRIKIND = P.NPRIKIND), 0)");
    }
    return QStringLiteral("COALESCE((SELECT SUM(") + summed + QStringLiteral(") FROM THOUR H") +
           QStringLiteral(
               " WHERE H.NPROJECT = TFUNCTION.NPROJECT AND H.NFUNCTION = TFUNCTION.NFUNCTION), 0)");
}

// The class coefficient of a function's code in one division, as the editor shows it (two
// decimals), 0 for a code without a row; the values come from the division cache, so they are
// the very doubles the function editor multiplies.
QString coefficient(DbConnection& connection, int division, const QString& column)
{
    QString sql = QStringLiteral("CAST(CASE COALESCE(") + column + QStringLiteral(", 0)");
    for (const DivisionRow& row : DivisionRows(connection, division)) {
        sql += QStringLiteral(" WHEN ") + QString::number(row.code) + QStringLiteral(" THEN ") +
               PlainNumber(DivNumber(connection, division, row.code, QStringLiteral("NCOEF")));
    }
    return sql + QStringLiteral(" ELSE 0 END AS FLOAT)");
}

// Whole yen, half away from zero, as FunctionPrice rounds (and never -0).
QString roundedHalfAway(const QString& x)
{
    return QStringLiteral("CASE WHEN ") + x + QStringLiteral(" >= 0.5 THEN FLOOR(") + x +
           QStringLiteral(" + 0.5) WHEN ") + x + QStringLiteral(" > -0.5 THEN 0 ELSE -FLOOR(0.5 - ") + x +
           QStringLiteral(") END");
}

// The statements of the recalculation, in order: the totals of every function in scope from
// its hours, then its price from the new total by the price rule of the function editor
// (FunctionPrice): total x the product of its five class coefficients - discount, in whole yen.
// Set-based, so the work stays inside the database however many functions there are.
QStringList recalcStatements(DbConnection& reader, bool charge, int project)
{
    const QString where = scopeWhere(project);
    const QString hours = charge ? QStringLiteral("V.NHOUR") : QStringLiteral("H.NHOUR");
    const QString amount = charge ? QStringLiteral("V.NHOUR * V.NDPRI") : QStringLiteral("H.NHOUR * H.NPRI");
    static const char* const kClassColumns[5] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    QStringList factors;
    for (int i = 0; i < 5; ++i) {
        factors << coefficient(reader, Division::FirstClass + i, QLatin1String(kClassColumns[i]));
    }
    const QString price = QStringLiteral("(NTOTAL * (") + factors.join(QStringLiteral(" * ")) +
                          QStringLiteral(") - COALESCE(NDISCOUNT, 0))");
    return {QStringLiteral("UPDATE TFUNCTION SET NHTOTAL = ") + functionSum(charge, hours) +
                QStringLiteral(", NTOTAL = ") + functionSum(charge, amount) + where,
            QStringLiteral("UPDATE TFUNCTION SET NPRICE = ") + roundedHalfAway(price) + where};
}

// Runs the statements on writer; sql follows the statement being run, for the report of a
// failure.
void writePrices(DbConnection& writer, const QStringList& statements, const RecalcProgress& progress,
                 QString& sql)
{
    if (progress.start) {
        progress.start(statements.size());
    }
    for (const QString& statement : statements) {
        sql = statement;
        ExecSql(writer, sql);
        if (progress.step) {
            progress.step();
        }
    }
}

} // namespace

void RecalculatePrices(DbConnection& shared, bool charge, int project, const RecalcProgress& progress)
{
    if (shared.inTransaction()) {
        // Rows the caller has written but not committed would keep the private connection
        // waiting for ever (a server database) or until it gives up (the embedded one).
        throw DbError(DbError::Other, QStringLiteral("保存の処理中は価格を再計算できません。"));
    }
    QString sql;
    try {
        // The coefficients are read (once per run) before the private connection writes.
        const QStringList statements = recalcStatements(shared, charge, project);
        const std::unique_ptr<DbConnection> own = shared.openSecond();
        Transaction transaction(*own);
        writePrices(*own, statements, progress, sql);
        sql = QStringLiteral("COMMIT TRANSACTION");
        transaction.commit();
    } catch (DbError& e) {
        if (e.statement().isEmpty()) {
            e.setStatement(sql);
        }
        throw;
    }
}

void RecalcPricesInTransaction(DbConnection& connection, bool charge, int project)
{
    if (!connection.inTransaction()) {
        throw DbError(DbError::Other, QStringLiteral("価格の再計算には保存のトランザクションが必要です。"));
    }
    QString sql;
    writePrices(connection, recalcStatements(connection, charge, project), RecalcProgress(), sql);
}
