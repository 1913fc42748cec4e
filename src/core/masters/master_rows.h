#pragma once

#include "convert/conversions.h"

#include <QString>
#include <QStringList>

class DbConnection;

// A master table as its editor writes it: rows in display order (NSORT), an identity key, a
// name that users pick it by, and the columns the editor sets.
struct MasterTable {
    QString table;       // "MLANG"
    QString keyColumn;   // "NLANG"
    QString nameColumn;  // "CLANG"
    QStringList columns; // the edited columns in statement order; the first is the name
    // Between the assignments of an UPDATE. Some editors join their pieces with ",  ".
    QString updateJoin = QStringLiteral(", ");
};

// The statements below run on the connection as they are, one at a time; database errors
// propagate as DbError carrying the statement. Values are literal-typed by their column's
// first letter.

// MAX(NSORT) + 1, or 1 for an empty table. A MAX(NSORT) beyond the 16-bit range counts 0 and
// is reported as overflowed.
WholeNumber NextSortOrder(DbConnection& connection, const QString& table);

// true when another row carries the name; exceptKey (when not 0) is the row being renamed.
bool MasterNameTaken(DbConnection& connection, const MasterTable& master, const QString& name,
                     int exceptKey = 0);

// Appends a row after the last in display order. Returns the order the row got, as
// NextSortOrder gave it, for the caller to report an overflow.
WholeNumber InsertMasterRow(DbConnection& connection, const MasterTable& master, const QStringList& values);
void UpdateMasterRow(DbConnection& connection, const MasterTable& master, int key, const QStringList& values);
void DeleteMasterRow(DbConnection& connection, const MasterTable& master, int key);
