#include "project/project_rows.h"

#include "db/db_connection.h"

#include <QStringList>

void DeleteProjectRows(DbConnection& connection, int project, int function)
{
    static const QStringList functionTables = {QStringLiteral("TCOCOMO"), QStringLiteral("TFPADJ"),
                                               QStringLiteral("TFP"),     QStringLiteral("TCHARGE"),
                                               QStringLiteral("THOUR"),   QStringLiteral("TACTUAL"),
                                               QStringLiteral("TFUNCTION")};
    static const QStringList projectTables = {QStringLiteral("TEXPENSE"),  QStringLiteral("TDELIV"),
                                              QStringLiteral("TCONTRACT"), QStringLiteral("TDATE"),
                                              QStringLiteral("TMEMBER"),   QStringLiteral("TPROJDONE"),
                                              QStringLiteral("TPROJECT")};
    for (const QString& table : functionTables) {
        QString sql = QStringLiteral("DELETE ") + table + QStringLiteral(" WHERE NPROJECT = ") +
                      QString::number(project);
        if (function != 0) {
            sql += QStringLiteral(" AND NFUNCTION = ") + QString::number(function);
        }
        ExecSql(connection, sql);
    }
    if (function == 0) {
        for (const QString& table : projectTables) {
            ExecSql(connection, QStringLiteral("DELETE ") + table + QStringLiteral(" WHERE NPROJECT = ") +
                                    QString::number(project));
        }
    }
}

double ProjectWorkTotal(DbConnection& connection, int project)
{
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT SUM(NPRICE) AS NWORK FROM TFUNCTION") +
                                          QStringLiteral(" WHERE CVALID IS NOT NULL AND NPROJECT = ") +
                                          QString::number(project));
    // NULL: no counted function.
    const QVariant sum = rs.eof() ? QVariant() : rs.field(QStringLiteral("NWORK"));
    return sum.isValid() ? sum.toDouble() : 0.0;
}
