#include "workspace/price_recalc.h"

#include "calc/function_price.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "state/app_state.h"

#include <QHash>
#include <memory>

namespace {

constexpr int kPricesPerStatement = 400;

qint64 functionKey(int project, int function)
{
    return (static_cast<qint64>(project) << 32) | static_cast<quint32>(function);
}

// NULL sums (a group whose hours are all NULL) count as 0.
double numberOrZero(const QVariant& value)
{
    return value.isValid() ? value.toDouble() : 0.0;
}

// The class coefficients (divisions 1-5), looked up once per code for the whole run. DivNumber
// reads the cached division rows through their shown text; five lookups per function made
// that a fifth of a whole-database recalculation.
class Coefficients {
public:
    explicit Coefficients(DbConnection& connection) : m_connection(connection) {}
    double of(int division, int code)
    {
        const qint64 key = (static_cast<qint64>(division) << 32) | static_cast<quint32>(code);
        auto it = m_values.constFind(key);
        if (it == m_values.constEnd()) {
            it = m_values.insert(key, DivNumber(m_connection, division, code, QStringLiteral("NCOEF")));
        }
        return it.value();
    }

private:
    DbConnection& m_connection;
    QHash<qint64, double> m_values;
};

QString functionWhere(int project, int function)
{
    return QStringLiteral(" WHERE NPROJECT = ") + QString::number(project) +
           QStringLiteral(" AND NFUNCTION = ") + QString::number(function);
}

QString scopeWhere(int project)
{
    return project != 0 ? QStringLiteral(" WHERE NPROJECT = ") + QString::number(project) : QString();
}

// The price of every function in scope follows from its new total, its five class coefficients
// and its discount, exactly as the function editor saves it.
Recordset readFunctions(DbConnection& reader, int project)
{
    return OpenRs(reader,
                  QStringLiteral("SELECT NPROJECT, NFUNCTION, NNUP, NIMP, NDEF, NRSK, NTRM, NDISCOUNT "
                                 "FROM TFUNCTION") +
                      scopeWhere(project) + QStringLiteral(" ORDER BY NPROJECT, NFUNCTION"));
}

// Rewrites the totals and prices of the functions read: reader reads the hours, writer writes.
// sql follows the statement being built, for the report of a failure.
void writePrices(DbConnection& reader, DbConnection& writer, Recordset& functions, bool charge, int project,
                 const RecalcProgress& progress, QString& sql)
{
    const QString where = scopeWhere(project);
    sql = QStringLiteral("UPDATE TFUNCTION SET") + QStringLiteral(" NHTOTAL = 0,") +
          QStringLiteral(" NTOTAL = 0,") + QStringLiteral(" NPRICE = 0") + where;
    ExecSql(writer, sql);

    if (charge) {
        sql =
            QStringLiteral("SELECT V.NPROJECT, V.NFUNCTION, SUM(NHOUR) AS HOUR, SUM(NHOUR * NDPRI) AS PRI") +
            QStringLiteral(" FROM VCHARGE V, TPROJECT P") + QStringLiteral(" WHERE V.NPROJECT = P.NPROJECT") +
            QStringLiteral(" AND V.NPRIKIND = P.NPRIKIND") +
            (project != 0 ? QStringLiteral(" AND V.NPROJECT = ") + QString::number(project) : QString()) +
            QStringLiteral(" GROUP BY V.NPROJECT, V.NFUNCTION") +
            QStringLiteral(" ORDER BY V.NPROJECT, V.NFUNCTION");
    } else {
        sql = QStringLiteral("SELECT NPROJECT, NFUNCTION, SUM(NHOUR) AS HOUR, SUM(NHOUR * NPRI) AS PRI") +
              QStringLiteral(" FROM THOUR") + where + QStringLiteral(" GROUP BY NPROJECT, NFUNCTION") +
              QStringLiteral(" ORDER BY NPROJECT, NFUNCTION");
    }
    Recordset sums = OpenRs(reader, sql);

    if (progress.start) {
        progress.start(sums.recordCount() + functions.recordCount());
    }

    QHash<qint64, double> totals;
    totals.reserve(sums.recordCount());
    for (; !sums.eof(); sums.moveNext()) {
        const int p = sums.field(QStringLiteral("NPROJECT")).toInt();
        const int f = sums.field(QStringLiteral("NFUNCTION")).toInt();
        const double hours = numberOrZero(sums.field(QStringLiteral("HOUR")));
        const double total = numberOrZero(sums.field(QStringLiteral("PRI")));
        sql = QStringLiteral("UPDATE TFUNCTION SET") + QStringLiteral(" NHTOTAL = ") + PlainNumber(hours) +
              QStringLiteral(",") + QStringLiteral(" NTOTAL = ") + PlainNumber(total) + functionWhere(p, f);
        ExecSql(writer, sql);
        totals.insert(functionKey(p, f), total);
        if (progress.step) {
            progress.step();
        }
    }
    sums.close();

    // Prices go out a few hundred functions to a statement: one statement per function
    // would double the round trips of the whole recalculation. NFUNCTION is the key.
    static const char* const kClassColumns[5] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    Coefficients classes(reader);
    QString cases;
    QStringList ids;
    const auto flushPrices = [&] {
        if (ids.isEmpty()) {
            return;
        }
        sql = QStringLiteral("UPDATE TFUNCTION SET NPRICE = CASE NFUNCTION") + cases +
              QStringLiteral(" END") +
              (project != 0 ? where + QStringLiteral(" AND") : QStringLiteral(" WHERE")) +
              QStringLiteral(" NFUNCTION IN (") + ids.join(QStringLiteral(", ")) + QStringLiteral(")");
        ExecSql(writer, sql);
        cases.clear();
        ids.clear();
    };
    for (; !functions.eof(); functions.moveNext()) {
        const int p = functions.field(QStringLiteral("NPROJECT")).toInt();
        const int f = functions.field(QStringLiteral("NFUNCTION")).toInt();
        double coefficients[5];
        for (int i = 0; i < 5; ++i) {
            coefficients[i] = classes.of(Division::FirstClass + i,
                                         functions.field(QLatin1String(kClassColumns[i])).toInt());
        }
        const double price =
            FunctionPrice(totals.value(functionKey(p, f), 0.0), CorrectionProduct(coefficients),
                          numberOrZero(functions.field(QStringLiteral("NDISCOUNT"))));
        // The reset has already written 0.
        if (price != 0.0) {
            const QString id = QString::number(f);
            cases += QStringLiteral(" WHEN ") + id + QStringLiteral(" THEN ") + PlainNumber(price);
            ids << id;
            if (ids.size() >= kPricesPerStatement) {
                flushPrices();
            }
        }
        if (progress.step) {
            progress.step();
        }
    }
    flushPrices();
    functions.close();
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
        // Read before the private connection writes the functions: a server that locks rows
        // (SQL Server) would keep this read waiting for a commit that can never come.
        Recordset functions = readFunctions(shared, project);

        const std::unique_ptr<DbConnection> own = shared.openSecond();
        Transaction transaction(*own);
        writePrices(shared, *own, functions, charge, project, progress, sql);
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
    Recordset functions = readFunctions(connection, project);
    writePrices(connection, connection, functions, charge, project, RecalcProgress(), sql);
}
