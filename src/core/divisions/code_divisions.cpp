#include "divisions/code_divisions.h"

#include "convert/conversions.h"
#include "db/db_connection.h"

#include <QHash>
#include <QVector>

namespace {

using Division = QVector<DivisionRow>;

// Keyed by the database's location and the division number, so that two databases opened in
// one run never share rows.
QHash<QString, Division>& cache()
{
    static QHash<QString, Division> divisions;
    return divisions;
}

const Division& rowsOf(DbConnection& connection, int number)
{
    const QString key = connection.location() + QLatin1Char('#') + QString::number(number);
    auto it = cache().find(key);
    if (it == cache().end()) {
        Division rows;
        Recordset rs =
            OpenRs(connection, QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") + QString::number(number) +
                                   QStringLiteral(" ORDER BY NSORT,NVAL"));
        for (; !rs.eof(); rs.moveNext()) {
            DivisionRow row;
            row.code = rs.field(QStringLiteral("NVAL")).toInt();
            row.name = rs.field(QStringLiteral("CNAME")).toString();
            row.def = rs.field(QStringLiteral("CDEF")).toString();
            row.coef = rs.field(QStringLiteral("NCOEF"));
            row.coef2 = rs.field(QStringLiteral("NCOEF2"));
            row.coef3 = rs.field(QStringLiteral("NCOEF3"));
            rows.append(row);
        }
        it = cache().insert(key, rows);
    }
    return it.value();
}

const DivisionRow* findRow(DbConnection& connection, int number, int code)
{
    for (const DivisionRow& row : rowsOf(connection, number)) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

QVariant columnValue(const DivisionRow& row, const QString& column)
{
    const QString c = column.toUpper();
    if (c == QLatin1String("NCOEF")) {
        return row.coef;
    }
    if (c == QLatin1String("NCOEF2")) {
        return row.coef2;
    }
    if (c == QLatin1String("NCOEF3")) {
        return row.coef3;
    }
    return QVariant();
}

} // namespace

const QVector<DivisionRow>& DivisionRows(DbConnection& connection, int division)
{
    return rowsOf(connection, division);
}

QString DivName(DbConnection& connection, int number, int code)
{
    const DivisionRow* row = findRow(connection, number, code);
    return row ? row->name : QString();
}

QString DivValue(DbConnection& connection, int number, int code, const QString& column)
{
    const DivisionRow* row = findRow(connection, number, code);
    if (!row) {
        return QStringLiteral("0");
    }
    const QVariant value = columnValue(*row, column);
    return FormatNumber(value.isValid() ? value.toDouble() : 0.0, 2, true);
}

double DivNumber(DbConnection& connection, int number, int code, const QString& column)
{
    return NumberOrZero(DivValue(connection, number, code, column));
}

void ClearDivisionCache()
{
    cache().clear();
}
