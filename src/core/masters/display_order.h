#pragma once

#include "convert/conversions.h"

#include <QList>
#include <QString>

class DbConnection;

// A row's place in the display order of its table (NSORT), as the arrows of a list exchange it.
struct SortPlace {
    int key = 0;
    WholeNumber sort; // beyond the 16-bit range: 0, overflowed
};

// The places of the rows with the two keys, as the database returns them: fewer than two when
// a row is gone. Errors propagate as DbError carrying the statement.
QList<SortPlace> ReadSortPlaces(DbConnection& connection, const QString& table, const QString& keyColumn,
                                int firstKey, int secondKey);

// Gives each of the two rows the other's order, in one transaction that the first failure
// rolls back.
void ExchangeSortPlaces(DbConnection& connection, const QString& table, const QString& keyColumn,
                        const SortPlace& first, const SortPlace& second);
