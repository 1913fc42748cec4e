#include "accuracy/calibration_list.h"

#include "accuracy/actual_hours.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "documents/csv_writer.h"
#include "documents/function_size.h"
#include "function/cocomo_constant.h"
#include "project/project_forest.h"
#include "project/project_rows.h"

#include <algorithm>
#include <cmath>

namespace {

struct FinishedProject {
    int project = 0;
    QString path;
    QDate done;
};

QVector<FinishedProject> finishedProjects(DbConnection& connection, const CalibrationFilter& filter)
{
    QString sql =
        QStringLiteral("SELECT P.NPROJECT, P.NPARPROJ, P.CPROJNAME, D.DDONE FROM TPROJECT P, TPROJDONE D "
                       "WHERE P.NPROJECT = D.NPROJECT");
    if (filter.customer != 0) {
        const QString c = QString::number(filter.customer);
        sql += QStringLiteral(" AND (P.NENDCUST = ") + c + QStringLiteral(" OR P.NCONTCUST = ") + c +
               QStringLiteral(")");
    }
    if (filter.from.isValid()) {
        sql += QStringLiteral(" AND D.DDONE >= ") + SqlDateLiteral(filter.from);
    }
    if (filter.to.isValid()) {
        sql += QStringLiteral(" AND D.DDONE <= ") + SqlDateLiteral(filter.to);
    }
    sql += QStringLiteral(" ORDER BY D.DDONE, P.NPROJECT");
    QVector<FinishedProject> projects;
    QVector<int> parents;
    for (Recordset rs = OpenRs(connection, sql); !rs.eof(); rs.moveNext()) {
        projects.append({rs.key(QStringLiteral("NPROJECT")), ToText(rs.field(QStringLiteral("CPROJNAME"))),
                         rs.field(QStringLiteral("DDONE")).toDate()});
        parents.append(rs.key(QStringLiteral("NPARPROJ")));
    }
    // The paths of all of them from one read of the projects, not a query each.
    if (std::any_of(parents.cbegin(), parents.cend(), [](int parent) { return parent != 0; })) {
        const ProjectForest forest = ProjectForest::read(connection);
        for (int i = 0; i < projects.size(); ++i) {
            if (parents.at(i) != 0) {
                projects[i].path = forest.pathName(parents.at(i), projects.at(i).path);
            }
        }
    }
    return projects;
}

// Hours as the windows show them, whole; errors to four decimals.
QString hoursField(double hours)
{
    return CsvNumber(std::round(hours));
}

QString errorField(double error)
{
    return CsvNumber(std::round(error * 10000) / 10000);
}

QVector<double> column(const QVector<CalibrationRow>& rows, double CalibrationRow::*field)
{
    QVector<double> values;
    for (const CalibrationRow& row : rows) {
        values.append(row.*field);
    }
    return values;
}

} // namespace

CalibrationList LoadCalibrationList(DbConnection& connection, const CalibrationFilter& filter,
                                    int hoursPerMonth)
{
    CalibrationList list;
    list.constantInUse = CocomoAInUse(connection);
    for (const FinishedProject& project : finishedProjects(connection, filter)) {
        const QMap<int, double> actual = ActualHoursByFunction(connection, project.project);
        const QHash<int, EstimateResult> sizes =
            ProjectFunctionSizes(connection, project.project, hoursPerMonth, list.constantInUse);
        for (Recordset rs =
                 OpenRs(connection, QStringLiteral("SELECT NFUNCTION, CSFUNC, NHTOTAL FROM TFUNCTION "
                                                   "WHERE NPROJECT = ") +
                                        QString::number(project.project) +
                                        QStringLiteral(" AND CVALID IS NOT NULL "
                                                       "ORDER BY NSORT, NFUNCTION"));
             !rs.eof(); rs.moveNext()) {
            CalibrationRow row;
            row.function = rs.key(QStringLiteral("NFUNCTION"));
            row.actual = actual.value(row.function);
            if (!(row.actual > 0)) {
                continue; // nothing recorded: nothing to compare with
            }
            row.project = project.project;
            row.path = project.path;
            row.done = project.done;
            row.title = ToText(rs.field(QStringLiteral("CSFUNC")));
            row.planned = rs.field(QStringLiteral("NHTOTAL")).toDouble();
            const EstimateResult size = sizes.value(row.function);
            row.cocomo = size.cocomoHours;
            row.point = {row.actual, size.kStep, size.scaleExp, size.effortMult};
            list.rows.append(row);
        }
    }

    const QVector<double> actuals = column(list.rows, &CalibrationRow::actual);
    list.planned = Accuracy(actuals, column(list.rows, &CalibrationRow::planned));
    list.cocomo = Accuracy(actuals, column(list.rows, &CalibrationRow::cocomo));
    QVector<CalibrationPoint> points;
    for (const CalibrationRow& row : list.rows) {
        points.append(row.point);
        list.calibrating += Calibrates(row.point) ? 1 : 0;
    }
    list.calibrated = CalibratedConstant(points, hoursPerMonth);
    if (list.calibrated) {
        QVector<double> after;
        for (const CalibrationRow& row : list.rows) {
            after.append(CocomoHours(row.point.kStep, row.point.scaleExp, row.point.effortMult,
                                     *list.calibrated, hoursPerMonth));
        }
        list.cocomoCalibrated = Accuracy(actuals, after);
    }
    return list;
}

QList<QStringList> CalibrationCsvRows(const CalibrationList& list)
{
    QList<QStringList> rows{{QStringLiteral("プロジェクト"), QStringLiteral("機能項目"),
                             QStringLiteral("完了日"), QStringLiteral("見積工数"),
                             QStringLiteral("COCOMO工数(楽観)"), QStringLiteral("COCOMO工数(標準)"),
                             QStringLiteral("COCOMO工数(悲観)"), QStringLiteral("実績工数"),
                             QStringLiteral("MRE(見積)"), QStringLiteral("MRE(COCOMO)")}};
    for (const CalibrationRow& row : list.rows) {
        const HourRange range = CocomoRange(row.cocomo);
        rows << QStringList{row.path,
                            row.title,
                            row.done.toString(QStringLiteral("yyyy/MM/dd")),
                            hoursField(row.planned),
                            hoursField(range.optimistic),
                            hoursField(range.likely),
                            hoursField(range.pessimistic),
                            hoursField(row.actual),
                            errorField(row.plannedError()),
                            errorField(row.cocomoError())};
    }
    return rows;
}
