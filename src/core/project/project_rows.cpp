#include "project/project_rows.h"

#include "db/db_connection.h"

#include <QSet>
#include <QStringList>
#include <QVector>

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

namespace {

// A parent chain that loops (possible only through edits outside the program) must not
// recurse for ever: a project already listed is not descended into again.
void appendChildren(DbConnection& connection, int project, QSet<int>& seen, QString& ids)
{
    QVector<int> children;
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NPROJECT FROM TPROJECT WHERE NPARPROJ = ") +
                                    QString::number(project) + QStringLiteral(" ORDER BY NSORT, NPROJECT"));
         !rs.eof(); rs.moveNext()) {
        children.append(rs.field(QStringLiteral("NPROJECT")).toInt());
    }
    for (const int child : children) {
        if (seen.contains(child)) {
            continue;
        }
        seen.insert(child);
        ids += QStringLiteral(", ") + QString::number(child);
        appendChildren(connection, child, seen, ids);
    }
}

} // namespace

QString ChildProjectIds(DbConnection& connection, int project)
{
    QSet<int> seen{project};
    QString ids;
    appendChildren(connection, project, seen, ids);
    return ids;
}

QString ProjectPathName(DbConnection& connection, int parent, const QString& text)
{
    // Walked as a loop with a record of the projects seen, so that a parent chain that runs in
    // a circle (edited outside the program) ends instead of recursing for ever.
    QString result = text;
    QSet<int> seen;
    while (parent != 0 && !seen.contains(parent)) {
        seen.insert(parent);
        Recordset rs =
            OpenRs(connection, QStringLiteral("SELECT NPARPROJ, CPROJNAME FROM TPROJECT WHERE NPROJECT = ") +
                                   QString::number(parent));
        if (rs.eof()) {
            break;
        }
        result = rs.field(QStringLiteral("CPROJNAME")).toString() + QStringLiteral(" - ") + result;
        parent = rs.field(QStringLiteral("NPARPROJ")).toInt();
    }
    return result;
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
