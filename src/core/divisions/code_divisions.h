#pragma once

#include <QString>
#include <QVariant>

class DbConnection;
class QComboBox;

// Code divisions (MDIV): small integer codes with labels and coefficients, grouped by
// division number. A combo entry carries its code as item data (Qt::UserRole) and its label
// as text. The rows are reference data that change only through the database, so each
// division is read once per run and connection.

// Appends one entry per row of the division (ordered by NSORT, NVAL) and selects the entry of
// defaultCode, or, when it is null, the row marked CDEF '1' (the last such row wins). The
// combo is not cleared first.
void FillDivCombo(DbConnection& connection, QComboBox* combo, int division,
                  const QVariant& defaultCode = QVariant());

// The code's label, "" when there is no such row.
QString DivName(DbConnection& connection, int division, int code);

// The column's value with two decimals and thousands separators ("1.10", "20,000.00"), or
// "0" when there is no such row. column is NCOEF, NCOEF2 or NCOEF3.
QString DivValue(DbConnection& connection, int division, int code, const QString& column);

// The number DivValue shows: the value rounded to two decimals, 0 when there is no such row.
double DivNumber(DbConnection& connection, int division, int code, const QString& column);

// Selects the first entry whose code equals code; null or "" clears the selection; an unknown
// code leaves the selection as it was.
void SelectComboByKey(QComboBox* combo, const QVariant& code);

// The same by the entry's text.
void SelectComboByText(QComboBox* combo, const QVariant& text);

// With a text: the code of the first entry with that text, 0 when none. Without a text: the
// code of the selected entry, 1 when nothing is selected.
int ComboKey(const QComboBox* combo, const QString& text = QString());

// Forgets the rows read so far (tests that rewrite MDIV).
void ClearDivisionCache();
