#include "accuracy/project_analysis.h"

#include "accuracy/actual_hours.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "documents/csv_writer.h"
#include "documents/function_size.h"
#include "function/cocomo_constant.h"
#include "project/project_forest.h"
#include "settings/policy.h"
#include "workspace/project_summary.h"

#include <cmath>

namespace {

QString hoursField(double hours)
{
    return CsvNumber(std::round(hours));
}

} // namespace

QVector<AmountPart> OrderAmountParts(const ProfitInputs& in, const Policy& policy)
{
    QVector<AmountPart> parts;
    if (policy.Work) {
        parts.append({QStringLiteral("人件費"), policy.Indirect ? in.labour : in.labour - in.indirectLabour});
    }
    if (policy.Base) {
        parts.append({QStringLiteral("基本料金"), in.base});
    }
    if (policy.Opt) {
        parts.append({QStringLiteral("契約オプション費"), in.options});
    }
    if (policy.Deliv) {
        parts.append({QStringLiteral("納品オプション費"), in.deliverables});
    }
    if (policy.Expe0) {
        parts.append({QStringLiteral("経費(自社)"), in.expenses[0]});
    }
    if (policy.Expe1) {
        parts.append({QStringLiteral("経費(顧客)"), in.expenses[1]});
    }
    parts.append({QStringLiteral("純利益"), NetProfit(in, policy)});
    return parts;
}

bool LoadProjectAnalysis(DbConnection& connection, int project, const Policy& policy,
                         ProjectAnalysis* analysis)
{
    ProfitInputs inputs;
    if (!ReadProfitInputs(connection, project, &inputs)) {
        return false;
    }
    ProjectAnalysis& a = *analysis;
    a = ProjectAnalysis();
    a.path = ProjectPath(connection, project);
    a.constantInUse = CocomoAInUse(connection);
    const QHash<int, EstimateResult> sizes =
        ProjectFunctionSizes(connection, project, policy.MtoH, a.constantInUse);
    const QMap<int, double> actual = ActualHoursByFunction(connection, project);
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NFUNCTION, CSFUNC, NHTOTAL FROM TFUNCTION "
                                               "WHERE NPROJECT = ") +
                                    QString::number(project) +
                                    QStringLiteral(" AND CVALID IS NOT NULL ORDER BY NSORT, NFUNCTION"));
         !rs.eof(); rs.moveNext()) {
        AnalysisRow row;
        row.function = rs.key(QStringLiteral("NFUNCTION"));
        row.title = ToText(rs.field(QStringLiteral("CSFUNC")));
        row.planned = rs.field(QStringLiteral("NHTOTAL")).toDouble();
        row.cocomo = CocomoRange(sizes.value(row.function).cocomoHours);
        if (actual.contains(row.function)) {
            row.actual = actual.value(row.function);
            a.actualTotal += *row.actual;
            ++a.actualCount;
        }
        a.plannedTotal += row.planned;
        a.rows.append(row);
    }
    double cocomo = 0;
    for (const AnalysisRow& row : a.rows) {
        cocomo += row.cocomo.likely;
    }
    a.cocomoTotal = CocomoRange(cocomo);
    a.orderAmount = inputs.price;
    a.parts = OrderAmountParts(inputs, policy);
    return true;
}

QList<QStringList> AnalysisCsvRows(const ProjectAnalysis& analysis)
{
    QList<QStringList> rows{{QStringLiteral("機能項目"), QStringLiteral("見積工数"),
                             QStringLiteral("COCOMO工数(楽観)"), QStringLiteral("COCOMO工数(標準)"),
                             QStringLiteral("COCOMO工数(悲観)"), QStringLiteral("実績工数")}};
    for (const AnalysisRow& row : analysis.rows) {
        rows << QStringList{row.title,
                            hoursField(row.planned),
                            hoursField(row.cocomo.optimistic),
                            hoursField(row.cocomo.likely),
                            hoursField(row.cocomo.pessimistic),
                            row.actual ? hoursField(*row.actual) : QString()};
    }
    rows << QStringList{QStringLiteral("合計"),
                        hoursField(analysis.plannedTotal),
                        hoursField(analysis.cocomoTotal.optimistic),
                        hoursField(analysis.cocomoTotal.likely),
                        hoursField(analysis.cocomoTotal.pessimistic),
                        analysis.actualCount > 0 ? hoursField(analysis.actualTotal) : QString()};
    rows << QStringList();
    rows << QStringList{QStringLiteral("受注金額"), CsvNumber(analysis.orderAmount)};
    for (const AmountPart& part : analysis.parts) {
        rows << QStringList{part.caption, CsvNumber(part.amount)};
    }
    return rows;
}
