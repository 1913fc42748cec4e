#include "documents/csv_exports.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "documents/csv_writer.h"
#include "documents/function_size.h"
#include "documents/quotation_document.h"
#include "settings/policy.h"
#include "workspace/price_recalc.h"
#include "workspace/project_summary.h"

#include <QHash>
#include <QSet>
#include <functional>

namespace {

QString number(const QVariant& value)
{
    return value.isValid() ? CsvNumber(value.toDouble()) : QString();
}

QHash<int, QString> names(DbConnection& conn, const QString& sql, const QString& key, const QString& name)
{
    QHash<int, QString> found;
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        found.insert(rs.field(key).toInt(), rs.field(name).toString());
    }
    return found;
}

struct ProjectNode {
    int id = 0;
    int parent = 0;
    QString name;
    int endCustomer = 0;
    int contractCustomer = 0;
    int priceKind = 0;
    QVariant price;
};

QString kindText(QuoteLine::Kind kind, const QString& name)
{
    const QString group = QuoteLineGroup(kind);
    return group.isEmpty() ? name : group;
}

} // namespace

QList<QStringList> FunctionCsvRows(DbConnection& connection, int project, const Policy& policy)
{
    QList<QStringList> rows{{QStringLiteral("機能ID"), QStringLiteral("保"), QStringLiteral("機能表題"),
                             QStringLiteral("改新"), QStringLiteral("重度"), QStringLiteral("難度"),
                             QStringLiteral("安全"), QStringLiteral("期間"), QStringLiteral("総工数(H)"),
                             QStringLiteral("価格(円)"), QStringLiteral("値引前価格(円)"), QStringLiteral("値引(円)"),
                             QStringLiteral("未調整FP"), QStringLiteral("調整後FP"), QStringLiteral("KStep"),
                             QStringLiteral("COCOMO工数(H)")}};
    const QHash<int, EstimateResult> sizes = ProjectFunctionSizes(connection, project, policy.MtoH);
    const char* const classColumns[Division::ClassCount] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    for (Recordset rs = OpenRs(connection, QStringLiteral("SELECT * FROM TFUNCTION WHERE NPROJECT = ") +
                                               QString::number(project) +
                                               QStringLiteral(" ORDER BY NSORT, NFUNCTION"));
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
    QList<QStringList> rows{{QStringLiteral("プロジェクトID"), QStringLiteral("プロジェクト"),
                             QStringLiteral("最終顧客"), QStringLiteral("契約顧客"), QStringLiteral("価格種別"),
                             QStringLiteral("受注金額"), QStringLiteral("作業費計"), QStringLiteral("純利益"),
                             QStringLiteral("利益率(%)"), QStringLiteral("残工数(H)"),
                             QStringLiteral("占有工数(H)"), QStringLiteral("見積工数(H)")}};
    const QHash<int, QString> customers = names(
        connection, QStringLiteral("SELECT NCUSTOMER, CCUSTNAME FROM MCUSTOMER"), QStringLiteral("NCUSTOMER"),
        QStringLiteral("CCUSTNAME"));
    const QHash<int, QString> priceKinds = names(
        connection, QStringLiteral("SELECT NPRIKIND, CPRINAME FROM MPRIBASE"), QStringLiteral("NPRIKIND"),
        QStringLiteral("CPRINAME"));

    QList<ProjectNode> all;
    QHash<int, QList<int>> children; // parent -> positions in all, in display order
    for (Recordset rs = OpenRs(connection, QStringLiteral("SELECT NPROJECT, NPARPROJ, CPROJNAME, NENDCUST, "
                                                          "NCONTCUST, NPRIKIND, NPRICE FROM TPROJECT ORDER BY "
                                                          "NSORT, NPROJECT"));
         !rs.eof(); rs.moveNext()) {
        ProjectNode node;
        node.id = rs.field(QStringLiteral("NPROJECT")).toInt();
        node.parent = rs.field(QStringLiteral("NPARPROJ")).toInt();
        node.name = rs.field(QStringLiteral("CPROJNAME")).toString();
        node.endCustomer = rs.field(QStringLiteral("NENDCUST")).toInt();
        node.contractCustomer = rs.field(QStringLiteral("NCONTCUST")).toInt();
        node.priceKind = rs.field(QStringLiteral("NPRIKIND")).toInt();
        node.price = rs.field(QStringLiteral("NPRICE"));
        children[node.parent] << static_cast<int>(all.size());
        all << node;
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
                walk(all.at(index).id);
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
        const ProjectNode& node = all.at(index);
        ProfitInputs in;
        ReadProfitInputs(connection, node.id, &in);
        const double work = ProjectWorkTotal(connection, node.id);
        const double net = NetProfit(in, policy);
        const double base = RateBase(in, policy, work);
        const HourFigures hours = ReadHourFigures(connection, node.id, policy);
        rows << QStringList{QString::number(node.id),
                            node.parent != 0 ? ProjectPathName(connection, node.parent, node.name) : node.name,
                            customers.value(node.endCustomer),
                            customers.value(node.contractCustomer),
                            priceKinds.value(node.priceKind),
                            number(node.price),
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

QString ProjectNameOf(DbConnection& connection, int project)
{
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT CPROJNAME FROM TPROJECT WHERE NPROJECT = ") +
                                          QString::number(project));
    return rs.eof() ? QString() : rs.field(QStringLiteral("CPROJNAME")).toString();
}
