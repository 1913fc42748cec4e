#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A table as a CSV file that spreadsheet programs open with Japanese intact: UTF-8 with a byte
// order mark, CRLF between records, and every field that holds a comma, a quote or a line
// break quoted with its quotes doubled (RFC 4180). Line breaks inside a field stay as they are.
QByteArray CsvFile(const QList<QStringList>& rows);

// A figure as a spreadsheet reads a number: no grouping, "." for the decimals, no exponent.
QString CsvNumber(double value);

// Writes the rows as a CSV file, replacing the file only once all is written; false with the
// reason in *error.
bool WriteCsvFile(const QString& path, const QList<QStringList>& rows, QString* error);
