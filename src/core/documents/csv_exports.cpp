#include "documents/csv_exports.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "documents/csv_writer.h"
#include "documents/function_size.h"
#include "documents/quotation_document.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"
#include "settings/policy.h"
#include "workspace/project_summary.h"

#include <QHash>
#include <QSet>
#include <functional>

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
    const QHash<int, EstimateResult> sizes = ProjectFunctionSizes(connection, project, policy.MtoH);
    const char* const classColumns[Division::ClassCount] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    for (Recordset rs =
             OpenRs(connection, QStringLiteral("SELECT * FROM TFUNCTION WHERE NPROJECT = ") +
                                    QString::number(project) + QStringLiteral(" ORDER BY NSORT, NFUNCTION"));
         !rs.eof(); rs.moveNext()) {
        const int function = rs.field(QStringLiteral("NFUNCTION")).toInt();
        QStringList row{QString::number(function),
                        rs.field(QStringLiteral("CVALID")).isValid() ? QString() : QStringLiteral("×"),
                        rs.field(QStringLiteral("CSFUNC")).toString()};
        for (int i = 0; i < Division::ClassCount; ++i) {
            row << DivName(connection, Division::FirstClass + i,
                           rs.field(QLatin1String(classColumns[i])).toInt());
        }
        row << number(rs.field(QStringLiteral("NHTOTAL"))) << number(rs.field(QStringLiteral("NPRICE")))
            << number(rs.field(QStringLiteral("NTOTAL"))) << number(rs.field(QStringLiteral("NDISCOUNT")));
        const EstimateResult size = sizes.value(function);
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

    const QList<ParentChoice> all = lookups.parentChoices(0);
    QHash<int, QList<int>> children; // parent -> positions in all, in display order
    for (int i = 0; i < all.size(); ++i) {
        children[all.at(i).parent.value] << i;
    }

    // Depth first, as the tree shows them; a project under a missing parent, or in a circle
    // of parents, comes after the tree so that none is left out.
    QList<int> order;
    QSet<int> placed;
    std::function<void(int)> walk = [&](int parent) {
        for (const int index : children.value(parent)) {
            if (!placed.contains(index)) {
                placed.insert(index);
                order << index;
                walk(all.at(index).project.value);
            }
        }
    };
    walk(0);
    for (int i = 0; i < all.size(); ++i) {
        if (!placed.contains(i)) {
            placed.insert(i);
            order << i;
        }
    }

    for (const int index : order) {
        const int id = all.at(index).project.value;
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
                            all.at(index).text,
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
