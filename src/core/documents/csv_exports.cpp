#include "documents/csv_exports.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "documents/csv_writer.h"
#include "documents/function_size.h"
#include "function/cocomo_constant.h"
#include "documents/quotation_document.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"
#include "settings/policy.h"
#include "workspace/project_summary.h"
#include "workspace/workspace_queries.h"

#include <QHash>
#include <QSet>

namespace {

QString number(const QVariant& value)
{
    return value.isValid() ? CsvNumber(value.toDouble()) : QString();
}

QHash<int, QString> namesByKey(const QList<NamedKey>& rows)
{
    QHash<int, QString> found;
    for (const NamedKey& row : rows) {
        found.insert(row.key.value, row.name);
    }
    return found;
}

int keyOf(const QVariant& value)
{
    return value.isValid() ? ToInt(value).value : 0;
}

QString kindText(QuoteLine::Kind kind, const QString& name)
{
    const QString group = QuoteLineGroup(kind);
    return group.isEmpty() ? name : group;
}

} // namespace

QList<QStringList> FunctionCsvRows(DbConnection& connection, int project, const Policy& policy)
{
    QList<QStringList> rows{
        {QStringLiteral("機能ID"), QStringLiteral("保"), QStringLiteral("機能表題"), QStringLiteral("改新"),
         QStringLiteral("重度"), QStringLiteral("難度"), QStringLiteral("安全"), QStringLiteral("期間"),
         QStringLiteral("総工数(H)"), QStringLiteral("価格(円)"), QStringLiteral("値引前価格(円)"),
         QStringLiteral("値引(円)"), QStringLiteral("未調整FP"), QStringLiteral("調整後FP"),
         QStringLiteral("KStep"), QStringLiteral("COCOMO工数(H)")}};
    const QHash<int, EstimateResult> sizes = ProjectFunctionSizes(connection, project, policy.MtoH, CocomoAInUse(connection));
    // The list's rows with what the list does not show: the price before the discount and the
    // discount.
    QHash<int, std::pair<QVariant, QVariant>> discounts;
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT NFUNCTION, NTOTAL, NDISCOUNT FROM TFUNCTION "
                                               "WHERE NPROJECT = ") +
                                    QString::number(project));
         !rs.eof(); rs.moveNext()) {
        discounts.insert(rs.key(QStringLiteral("NFUNCTION")),
                         {rs.field(QStringLiteral("NTOTAL")), rs.field(QStringLiteral("NDISCOUNT"))});
    }
    for (const FunctionRow& function : WorkspaceQueries(connection).functions(project, FunctionOrder())) {
        QStringList row{QString::number(function.id), function.onHold ? QStringLiteral("×") : QString(),
                        function.title};
        row << function.classLabels << number(function.hours) << number(function.price)
            << number(discounts.value(function.id).first) << number(discounts.value(function.id).second);
        const EstimateResult size = sizes.value(function.id);
        row << CsvNumber(size.ufp) << size.fpText << FormatNumber(size.kStep, 2, false)
            << FormatNumber(size.cocomoHours, 0, false);
        rows << row;
    }
    return rows;
}

QList<QStringList> ProjectCsvRows(DbConnection& connection, const Policy& policy)
{
    QList<QStringList> rows{
        {QStringLiteral("プロジェクトID"), QStringLiteral("プロジェクト"), QStringLiteral("最終顧客"),
         QStringLiteral("契約顧客"), QStringLiteral("価格種別"), QStringLiteral("受注金額"),
         QStringLiteral("作業費計"), QStringLiteral("純利益"), QStringLiteral("利益率(%)"),
         QStringLiteral("残工数(H)"), QStringLiteral("占有工数(H)"), QStringLiteral("見積工数(H)")}};
    const ProjectLookups lookups(connection);
    const ProjectRepository repository(connection);
    const QHash<int, QString> customers = namesByKey(lookups.customers());
    QHash<int, QString> priceKinds;
    for (const PriceKindChoice& kind : lookups.priceKinds()) {
        priceKinds.insert(kind.key.value, kind.name);
    }

    QList<int> order;
    QSet<int> placed;
    for (const ProjectNode& node : WorkspaceQueries(connection).projects()) {
        order << node.id;
        placed.insert(node.id);
    }
    // A project under a missing parent, or in a circle of parents, is in no tree: it comes after
    // the tree so that none is left out.
    QHash<int, QString> paths;
    for (const ParentChoice& choice : lookups.parentChoices(0)) {
        const int id = choice.project.value;
        paths.insert(id, choice.text);
        if (!placed.contains(id)) {
            placed.insert(id);
            order << id;
        }
    }

    for (const int id : order) {
        const std::optional<LoadedProject> project = repository.load(id);
        if (!project) {
            continue;
        }
        ProfitInputs in;
        ReadProfitInputs(connection, id, &in);
        const double work = repository.workTotal(id);
        const double net = NetProfit(in, policy);
        const double base = RateBase(in, policy, work);
        const HourFigures hours = ReadHourFigures(connection, id, policy);
        rows << QStringList{QString::number(id),
                            paths.value(id),
                            customers.value(keyOf(project->endCustomer)),
                            customers.value(keyOf(project->contractCustomer)),
                            priceKinds.value(keyOf(project->priceKind)),
                            number(project->price),
                            CsvNumber(work),
                            FormatNumber(net, 0, false),
                            base != 0.0 ? FormatNumber(net * 100.0 / base, 2, false) : QString(),
                            CsvNumber(hours.capacity - hours.used),
                            CsvNumber(hours.capacity),
                            CsvNumber(hours.used)};
    }
    return rows;
}

QList<QStringList> QuoteLineCsvRows(const QuotationDocument& document)
{
    QList<QStringList> rows{{QStringLiteral("区分"), QStringLiteral("項目"), QStringLiteral("数量"),
                             QStringLiteral("単位"), QStringLiteral("単価"), QStringLiteral("金額")}};
    for (const QuoteLine& line : document.lines) {
        rows << QStringList{kindText(line.kind, line.name),
                            line.name,
                            line.quantity ? CsvNumber(*line.quantity) : QString(),
                            line.unit,
                            line.unitPrice ? QString::number(*line.unitPrice) : QString(),
                            QString::number(line.amount)};
    }
    const auto total = [](const QString& caption, qint64 amount) {
        return QStringList{caption, QString(), QString(), QString(), QString(), QString::number(amount)};
    };
    rows << total(QStringLiteral("小計"), document.subtotal)
         << total(QStringLiteral("消費税（%1%）").arg(document.taxRate), document.tax)
         << total(QStringLiteral("合計"), document.total);
    return rows;
}
