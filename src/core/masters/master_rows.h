#pragma once

#include "convert/conversions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

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
    QString listSql; // the rows in display order
};

// A row of the list: the key as stored and the edited columns, as texts.
struct MasterListRow {
    QString key;
    QStringList values;
};

// The outcome of an exchange of two rows' display order.
struct OrderExchange {
    bool exchanged = false;
    // An order beyond the 16-bit range counted 0: the caller warns.
    bool overflowed = false;
};

// MAX(NSORT) + 1, or 1 for an empty table. A MAX(NSORT) whose successor does not fit 32 bits
// counts 0 and is reported as overflowed.
WholeNumber NextSortOrder(DbConnection& connection, const QString& table);

// The rows of one master table. The statements run on the connection as they are, one at a
// time; database errors propagate as DbError carrying the statement. Values are literal-typed by
// their column's first letter.
class MasterRepository {
public:
    MasterRepository(DbConnection& connection, const MasterTable& table)
        : m_connection(connection), m_table(table)
    {
    }

    QList<MasterListRow> list() const;
    // The edited columns of one row as texts; none when the row is gone.
    std::optional<QStringList> row(int key) const;
    // true when another row carries the name; exceptKey (when not 0) is the row being renamed.
    bool nameTaken(const QString& name, int exceptKey = 0) const;
    // Appends a row after the last in display order. Returns the order the row got, as
    // NextSortOrder gave it, for the caller to report an overflow.
    WholeNumber add(const QStringList& values);
    // Both raise ConcurrentChangeError when the row is gone.
    void update(int key, const QStringList& values);
    void remove(int key);

    struct Written {
        bool duplicate = false; // the name is another row's: nothing was written
        WholeNumber order;      // of a row added
    };
    // Adds (key 0) or updates a row in one transaction. With uniqueName, the name must not be
    // another row's; the check and the write are made while other writers of the table wait,
    // so that two users cannot both save the same name.
    Written write(int key, const QStringList& values, bool uniqueName);

    // Rows a and b exchange their display orders, in one transaction; nothing is exchanged
    // unless both rows are there.
    OrderExchange exchangeOrder(int a, int b);

private:
    DbConnection& m_connection;
    MasterTable m_table;
};
