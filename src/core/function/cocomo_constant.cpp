#include "function/cocomo_constant.h"

#include "calc/estimate_calc.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"

#include <cmath>

namespace {

const QString kKey = QStringLiteral("1");

} // namespace

std::optional<double> StoredCocomoA(DbConnection& connection)
{
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT NCOCOMOA FROM MCALIB WHERE NCALIB = ") + kKey);
    if (rs.eof()) {
        return std::nullopt;
    }
    bool ok = false;
    const double a = rs.field(QStringLiteral("NCOCOMOA")).toDouble(&ok);
    if (!ok || !std::isfinite(a) || a <= 0) {
        return std::nullopt;
    }
    return a;
}

double CocomoAInUse(DbConnection& connection)
{
    return StoredCocomoA(connection).value_or(kCocomoA);
}

void StoreCocomoA(DbConnection& connection, double a)
{
    Transaction transaction(connection);
    ExecSql(connection, QStringLiteral("DELETE MCALIB WHERE NCALIB = ") + kKey);
    ExecSql(connection, QStringLiteral("INSERT INTO MCALIB (NCALIB, NCOCOMOA) VALUES (") + kKey +
                            QStringLiteral(", ") + SqlLiteral(a, QStringLiteral("NCOCOMOA")) +
                            QStringLiteral(")"));
    transaction.commit();
}

void ResetCocomoA(DbConnection& connection)
{
    ExecSql(connection, QStringLiteral("DELETE MCALIB WHERE NCALIB = ") + kKey);
}
