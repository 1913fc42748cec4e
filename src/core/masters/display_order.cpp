#include "masters/display_order.h"

#include "db/db_connection.h"

QList<SortPlace> ReadSortPlaces(DbConnection& connection, const QString& table, const QString& keyColumn,
                                int firstKey, int secondKey)
{
    QList<SortPlace> places;
    for (Recordset rs = OpenRs(connection, QStringLiteral("SELECT NSORT, ") + keyColumn +
                                               QStringLiteral(" AS NKEY FROM ") + table + QStringLiteral(" WHERE ") +
                                               keyColumn + QStringLiteral(" IN (") + QString::number(firstKey) +
                                               QStringLiteral(", ") + QString::number(secondKey) +
                                               QStringLiteral(")"));
         !rs.eof(); rs.moveNext()) {
        places.append({rs.field(QStringLiteral("NKEY")).toInt(), ToInt(rs.field(QStringLiteral("NSORT")))});
    }
    return places;
}

void ExchangeSortPlaces(DbConnection& connection, const QString& table, const QString& keyColumn,
                        const SortPlace& first, const SortPlace& second)
{
    Transaction transaction(connection);
    const SortPlace* rows[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        ExecSql(connection, QStringLiteral("UPDATE ") + table + QStringLiteral(" SET NSORT = ") +
                                QString::number(rows[i]->sort.value) + QStringLiteral(" WHERE ") + keyColumn +
                                QStringLiteral(" = ") + QString::number(rows[1 - i]->key));
    }
    transaction.commit();
}
