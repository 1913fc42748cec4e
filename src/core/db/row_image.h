#pragma once

#include <QStringList>

class DbConnection;
class Recordset;

// Rows as they were read, each value as text, so that a save can tell whether another user (or
// any other client) has changed them since the editor read them: the same rows read twice
// through the same statement compare equal, whatever types the driver hands back.
class RowImage {
public:
    // Every row of a query; the columns named, or all of them.
    static RowImage read(DbConnection& connection, const QString& sql, const QStringList& columns = {});
    // The current row of a result set; the columns named, or all of them.
    static RowImage currentRow(const Recordset& rs, const QStringList& columns = {});

    bool isEmpty() const { return m_rows.isEmpty(); }
    bool operator==(const RowImage& other) const { return m_rows == other.m_rows; }
    bool operator!=(const RowImage& other) const { return !(*this == other); }

private:
    void add(const Recordset& rs, const QStringList& columns);
    void finish();

    QStringList m_rows; // sorted: the order a server returns rows in is no change
};
