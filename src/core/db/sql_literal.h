#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

// The SQL literal of a value for a column. The type code is the upper-cased first letter of
// the type name, which callers give as the column name ("NPRICE", "CSFUNC") or as one letter:
// "N" numeric, "C" character, "D" date. Raises ConversionError for a text that is to be a
// number and is not.
QString SqlLiteral(const QVariant& value, const QString& typeName);

// A date as the program's statements write it, Convert(DateTime,'yyyy/mm/dd',111), which each
// engine's dialect turns into its own date.
QString SqlDateLiteral(const QDate& date);

// Keys as the list of an IN (...): "1, 4, 9".
QString SqlKeyList(const QList<int>& keys);
