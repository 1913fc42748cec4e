#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

class DbConnection;

// Code divisions (MDIV): small integer codes with labels and coefficients, grouped by
// division number. The rows are reference data that change only through the database, so each
// division is read once per run and connection.

struct DivisionRow {
    int code = 0; // NVAL
    QString name; // CNAME
    QString def;  // CDEF: "1" marks the default entry
    QVariant coef;
    QVariant coef2;
    QVariant coef3;
};

// The rows of a division, ordered by NSORT, NVAL.
const QVector<DivisionRow>& DivisionRows(DbConnection& connection, int division);

// The code's label, "" when there is no such row.
QString DivName(DbConnection& connection, int division, int code);

// The column's value with two decimals and thousands separators ("1.10", "20,000.00"), or
// "0" when there is no such row. column is NCOEF, NCOEF2 or NCOEF3.
QString DivValue(DbConnection& connection, int division, int code, const QString& column);

// The number DivValue shows: the value rounded to two decimals, 0 when there is no such row.
double DivNumber(DbConnection& connection, int division, int code, const QString& column);

// Forgets the rows read so far (tests that rewrite MDIV).
void ClearDivisionCache();
