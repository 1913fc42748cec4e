#include "masters/master_rows.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"

#include <QVariant>

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
    WholeNumber order = ToInt(last);
    ++order.value;
    return order;
}

bool MasterNameTaken(DbConnection& connection, const MasterTable& master, const QString& name, int exceptKey)
{
    QString sql = QStringLiteral("SELECT * FROM ") + master.table + QStringLiteral(" WHERE ") +
                  master.nameColumn + QStringLiteral(" = ") + SqlLiteral(name, QStringLiteral("C"));
    if (exceptKey != 0) {
        sql +=
            QStringLiteral(" AND ") + master.keyColumn + QStringLiteral(" != ") + QString::number(exceptKey);
    }
    return !OpenRs(connection, sql).eof();
}

WholeNumber InsertMasterRow(DbConnection& connection, const MasterTable& master, const QStringList& values)
{
    const WholeNumber order = NextSortOrder(connection, master.table);
    ExecSql(connection, QStringLiteral("INSERT INTO ") + master.table + QStringLiteral(" (NSORT,") +
                            master.columns.join(QLatin1Char(',')) + QStringLiteral(") VALUES (") +
                            QString::number(order.value) + QStringLiteral(", ") + literals(master, values) +
                            QStringLiteral(")"));
    return order;
}

void UpdateMasterRow(DbConnection& connection, const MasterTable& master, int key, const QStringList& values)
{
    QStringList assignments;
    for (int i = 0; i < master.columns.size(); ++i) {
        assignments << master.columns.at(i) + QStringLiteral(" = ") +
                           SqlLiteral(values.value(i), master.columns.at(i));
    }
    ExecSql(connection, QStringLiteral("UPDATE ") + master.table + QStringLiteral(" SET ") +
                            assignments.join(master.updateJoin) + QStringLiteral(" WHERE ") +
                            master.keyColumn + QStringLiteral(" = ") + QString::number(key));
}

void DeleteMasterRow(DbConnection& connection, const MasterTable& master, int key)
{
    ExecSql(connection, QStringLiteral("DELETE ") + master.table + QStringLiteral(" WHERE ") +
                            master.keyColumn + QStringLiteral(" = ") + QString::number(key));
}
