#include "accuracy/actual_hours.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "divisions/division_ids.h"
#include "project/project_forest.h"
#include "project/project_rows.h"

#include <QSet>
#include <QStringList>

namespace {

QString num(int value)
{
    return QString::number(value);
}

template <typename T, typename Key> QString idList(const QVector<T>& items, Key key)
{
    QList<int> ids;
    for (const T& item : items) {
        ids << key(item);
    }
    return SqlKeyList(ids);
}

} // namespace

ActualSheet LoadActualSheet(DbConnection& connection, int project)
{
    ActualSheet sheet;
    sheet.path = ProjectPath(connection, project);
    for (Recordset rs = OpenRs(connection, QStringLiteral("SELECT NVAL, CNAME FROM MDIV WHERE NDID = ") +
                                               num(Division::Process) +
                                               QStringLiteral(" AND CDEF = '1' ORDER BY NSORT, NVAL"));
         !rs.eof(); rs.moveNext()) {
        sheet.processes.append(
            {rs.field(QStringLiteral("NVAL")).toInt(), ToText(rs.field(QStringLiteral("CNAME")))});
    }
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NFUNCTION, CSFUNC, NHTOTAL FROM TFUNCTION "
                                               "WHERE NPROJECT = ") +
                                    num(project) +
                                    QStringLiteral(" AND CVALID IS NOT NULL ORDER BY NSORT, NFUNCTION"));
         !rs.eof(); rs.moveNext()) {
        ActualSheet::Row row;
        row.function = rs.key(QStringLiteral("NFUNCTION"));
        row.title = ToText(rs.field(QStringLiteral("CSFUNC")));
        row.planned = rs.field(QStringLiteral("NHTOTAL")).toDouble();
        sheet.rows.append(row);
    }
    QSet<int> inUse;
    for (const ActualSheet::Process& process : sheet.processes) {
        inUse.insert(process.code);
    }
    QHash<int, int> rowOf;
    for (int i = 0; i < sheet.rows.size(); ++i) {
        rowOf.insert(sheet.rows.at(i).function, i);
    }
    for (Recordset rs = OpenRs(connection, QStringLiteral("SELECT NFUNCTION, NDKIND, NHOUR FROM TACTUAL "
                                                          "WHERE NPROJECT = ") +
                                               num(project));
         !rs.eof(); rs.moveNext()) {
        const auto it = rowOf.constFind(rs.key(QStringLiteral("NFUNCTION")));
        const int process = rs.field(QStringLiteral("NDKIND")).toInt();
        if (it != rowOf.constEnd() && inUse.contains(process)) {
            sheet.rows[it.value()].hours.insert(process, rs.field(QStringLiteral("NHOUR")).toInt());
        }
    }
    Recordset done =
        OpenRs(connection, QStringLiteral("SELECT DDONE FROM TPROJDONE WHERE NPROJECT = ") + num(project));
    if (!done.eof()) {
        sheet.done = true;
        sheet.doneDate = done.field(QStringLiteral("DDONE")).toDate();
    }
    return sheet;
}

void SaveActualSheet(DbConnection& connection, int project, const ActualSheet& sheet)
{
    const QString p = num(project);
    Transaction transaction(connection);
    if (!sheet.rows.isEmpty() && !sheet.processes.isEmpty()) {
        ExecSql(connection,
                QStringLiteral("DELETE TACTUAL WHERE NPROJECT = ") + p +
                    QStringLiteral(" AND NFUNCTION IN (") +
                    idList(sheet.rows, [](const ActualSheet::Row& r) { return r.function; }) +
                    QStringLiteral(") AND NDKIND IN (") +
                    idList(sheet.processes, [](const ActualSheet::Process& r) { return r.code; }) +
                    QStringLiteral(")"));
    }
    for (const ActualSheet::Row& row : sheet.rows) {
        for (const ActualSheet::Process& process : sheet.processes) {
            const auto it = row.hours.constFind(process.code);
            if (it == row.hours.constEnd()) {
                continue;
            }
            ExecSql(connection, QStringLiteral("INSERT INTO TACTUAL VALUES (") + p + QStringLiteral(", ") +
                                    num(row.function) + QStringLiteral(", ") + num(process.code) +
                                    QStringLiteral(", ") + num(it.value()) + QStringLiteral(")"));
        }
    }
    ExecSql(connection, QStringLiteral("DELETE TPROJDONE WHERE NPROJECT = ") + p);
    if (sheet.done) {
        ExecSql(connection, QStringLiteral("INSERT INTO TPROJDONE VALUES (") + p + QStringLiteral(", ") +
                                SqlDateLiteral(sheet.doneDate) + QStringLiteral(")"));
    }
    transaction.commit();
}

QMap<int, double> ActualHoursByFunction(DbConnection& connection, int project)
{
    QMap<int, double> hours;
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NFUNCTION, SUM(NHOUR) AS NHOUR FROM TACTUAL "
                                               "WHERE NPROJECT = ") +
                                    num(project) + QStringLiteral(" GROUP BY NFUNCTION"));
         !rs.eof(); rs.moveNext()) {
        hours.insert(rs.key(QStringLiteral("NFUNCTION")), rs.field(QStringLiteral("NHOUR")).toDouble());
    }
    return hours;
}
