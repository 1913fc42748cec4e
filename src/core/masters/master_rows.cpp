#include "masters/master_rows.h"

#include "db/concurrent_change.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"

#include <QVariant>
#include <QVector>
#include <limits>

namespace {

QString literals(const MasterTable& master, const QStringList& values)
{
    QStringList parts;
    for (int i = 0; i < master.columns.size(); ++i) {
        parts << SqlLiteral(values.value(i), master.columns.at(i));
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

WholeNumber NextSortOrder(DbConnection& connection, const QString& table)
{
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT MAX(NSORT) AS MSORT FROM ") + table);
    const QVariant last = rs.eof() ? QVariant() : rs.field(QStringLiteral("MSORT"));
    // New rows take their key as their order, so the order runs as far as the keys do.
    WholeNumber order = ToLng(last);
    if (order.value == std::numeric_limits<qint32>::max()) {
        order = {0, true};
    }
    ++order.value;
    return order;
}

QList<MasterListRow> MasterRepository::list() const
{
    QList<MasterListRow> rows;
    for (Recordset rs = OpenRs(m_connection, m_table.listSql); !rs.eof(); rs.moveNext()) {
        MasterListRow row{ToText(rs.field(m_table.keyColumn)), {}};
        for (const QString& column : m_table.columns) {
            row.values << ToText(rs.field(column));
        }
        rows.append(row);
    }
    return rows;
}

std::optional<QStringList> MasterRepository::row(int key) const
{
    const Recordset rs =
        OpenRs(m_connection, QStringLiteral("SELECT * FROM ") + m_table.table + QStringLiteral(" WHERE ") +
                                 m_table.keyColumn + QStringLiteral(" = ") + QString::number(key));
    if (rs.eof()) {
        return std::nullopt;
    }
    QStringList values;
    for (const QString& column : m_table.columns) {
        values << ToText(rs.field(column));
    }
    return values;
}

bool MasterRepository::nameTaken(const QString& name, int exceptKey) const
{
    QString sql = QStringLiteral("SELECT * FROM ") + m_table.table + QStringLiteral(" WHERE ") +
                  m_table.nameColumn + QStringLiteral(" = ") + SqlLiteral(name, QStringLiteral("C"));
    if (exceptKey != 0) {
        sql +=
            QStringLiteral(" AND ") + m_table.keyColumn + QStringLiteral(" != ") + QString::number(exceptKey);
    }
    return !OpenRs(m_connection, sql).eof();
}

WholeNumber MasterRepository::add(const QStringList& values)
{
    const WholeNumber order = NextSortOrder(m_connection, m_table.table);
    ExecSql(m_connection, QStringLiteral("INSERT INTO ") + m_table.table + QStringLiteral(" (NSORT,") +
                              m_table.columns.join(QLatin1Char(',')) + QStringLiteral(") VALUES (") +
                              QString::number(order.value) + QStringLiteral(", ") +
                              literals(m_table, values) + QStringLiteral(")"));
    return order;
}

void MasterRepository::update(int key, const QStringList& values)
{
    QStringList assignments;
    for (int i = 0; i < m_table.columns.size(); ++i) {
        assignments << m_table.columns.at(i) + QStringLiteral(" = ") +
                           SqlLiteral(values.value(i), m_table.columns.at(i));
    }
    if (ExecSql(m_connection, QStringLiteral("UPDATE ") + m_table.table + QStringLiteral(" SET ") +
                                  assignments.join(m_table.updateJoin) + QStringLiteral(" WHERE ") +
                                  m_table.keyColumn + QStringLiteral(" = ") + QString::number(key)) == 0) {
        throw ConcurrentChangeError(ConcurrentChangeError::MasterRow);
    }
}

void MasterRepository::remove(int key)
{
    if (ExecSql(m_connection, QStringLiteral("DELETE ") + m_table.table + QStringLiteral(" WHERE ") +
                                  m_table.keyColumn + QStringLiteral(" = ") + QString::number(key)) == 0) {
        throw ConcurrentChangeError(ConcurrentChangeError::MasterRow);
    }
}

MasterRepository::Written MasterRepository::write(int key, const QStringList& values, bool uniqueName)
{
    Written written;
    Transaction transaction(m_connection);
    if (uniqueName) {
        LockTableForWriting(m_connection, m_table.table);
        if (nameTaken(values.value(0), key)) {
            written.duplicate = true;
            return written;
        }
    }
    if (key == 0) {
        written.order = add(values);
    } else {
        update(key, values);
    }
    transaction.commit();
    return written;
}

OrderExchange MasterRepository::exchangeOrder(int a, int b)
{
    OrderExchange result;
    QVector<int> keys;
    QVector<int> sorts;
    for (Recordset rs = OpenRs(
             m_connection, QStringLiteral("SELECT NSORT, ") + m_table.keyColumn +
                               QStringLiteral(" AS NKEY FROM ") + m_table.table + QStringLiteral(" WHERE ") +
                               m_table.keyColumn + QStringLiteral(" IN (") + QString::number(a) +
                               QStringLiteral(", ") + QString::number(b) + QStringLiteral(")"));
         !rs.eof(); rs.moveNext()) {
        keys.append(rs.key(QStringLiteral("NKEY")));
        const WholeNumber sort = ToLng(rs.field(QStringLiteral("NSORT")));
        sorts.append(sort.value);
        result.overflowed = result.overflowed || sort.overflowed;
    }
    if (keys.size() != 2) {
        return result;
    }
    Transaction transaction(m_connection);
    for (int i = 0; i < 2; ++i) {
        if (ExecSql(m_connection, QStringLiteral("UPDATE ") + m_table.table +
                                      QStringLiteral(" SET NSORT = ") + QString::number(sorts[i]) +
                                      QStringLiteral(" WHERE ") + m_table.keyColumn + QStringLiteral(" = ") +
                                      QString::number(keys[1 - i])) == 0) {
            throw ConcurrentChangeError(ConcurrentChangeError::MasterRow);
        }
    }
    transaction.commit();
    result.exchanged = true;
    return result;
}
