#include "documents/quotation_document.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"

#include <cmath>

namespace {

// The captions of the fixed contract options, TCONTRACT.NCID 1 … 6.
const char* const kContractOptions[] = {"著作権所有", "瑕疵担保期間", "ｲﾝｽﾄｰﾙ作業",
                                        "保守契約",   "利用者教育",   "打合せ頻度"};
constexpr int kFixedOptions = 6;

qint64 wholeYen(const QVariant& value)
{
    return value.isValid() ? std::llround(value.toDouble()) : 0;
}

// A stored tick: '1'/'0', read as a number, true when not 0.
bool ticked(const QVariant& value)
{
    return ToInt(value).value != 0;
}

QuoteLine line(QuoteLine::Kind kind, const QString& name, qint64 amount)
{
    QuoteLine l;
    l.kind = kind;
    l.name = name;
    l.amount = amount;
    return l;
}

// A component the price counts as one lot.
QuoteLine lotLine(QuoteLine::Kind kind, const QString& name, qint64 amount)
{
    QuoteLine l = line(kind, name, amount);
    l.quantity = 1;
    l.unit = QStringLiteral("式");
    l.unitPrice = amount;
    return l;
}

void addWork(DbConnection& conn, const QString& id, QList<QuoteLine>& lines)
{
    for (Recordset rs = OpenRs(conn, QStringLiteral("SELECT CSFUNC, NHTOTAL, NPRICE FROM TFUNCTION WHERE "
                                                    "CVALID IS NOT NULL AND NPROJECT = ") +
                                         id + QStringLiteral(" ORDER BY NSORT, NFUNCTION"));
         !rs.eof(); rs.moveNext()) {
        QuoteLine l = line(QuoteLine::Work, rs.field(QStringLiteral("CSFUNC")).toString(),
                           wholeYen(rs.field(QStringLiteral("NPRICE"))));
        l.quantity = rs.field(QStringLiteral("NHTOTAL")).isValid()
                         ? rs.field(QStringLiteral("NHTOTAL")).toDouble()
                         : 0.0;
        l.unit = QStringLiteral("時間");
        lines << l;
    }
}

void addOptions(DbConnection& conn, const QList<StoredContract>& contracts, QList<QuoteLine>& lines)
{
    for (const StoredContract& contract : contracts) {
        const qint64 amount = wholeYen(contract.price);
        if (amount == 0) {
            continue;
        }
        const int option = contract.option.value;
        QString name = contract.name;
        if (option >= 1 && option <= kFixedOptions) {
            name = QString::fromUtf8(kContractOptions[option - 1]);
            const QString level =
                DivName(conn, Division::FirstContractOption + option - 1, ToInt(contract.level).value);
            if (!level.isEmpty()) {
                name += QStringLiteral("（") + level + QStringLiteral("）");
            }
        }
        lines << lotLine(QuoteLine::Option, name, amount);
    }
}

void addDeliverables(const QList<StoredDeliverable>& deliverables, const QList<NamedKey>& kinds,
                     QList<QuoteLine>& lines)
{
    for (const StoredDeliverable& deliverable : deliverables) {
        const qint64 amount = wholeYen(deliverable.price);
        if (amount == 0) {
            continue;
        }
        QString name = deliverable.name;
        if (deliverable.kind) {
            name.clear();
            for (const NamedKey& kind : kinds) {
                if (kind.key.value == deliverable.kind->value) {
                    name = kind.name;
                }
            }
        }
        lines << lotLine(QuoteLine::Deliverable, name, amount);
    }
}

void addExpenses(const QList<StoredExpense>& expenses, bool ownCompany, bool customer,
                 QList<QuoteLine>& lines)
{
    for (const StoredExpense& expense : expenses) {
        const int buyer = expense.buyer.value;
        if (!((buyer == 0 && ownCompany) || (buyer == 1 && customer))) {
            continue;
        }
        QuoteLine l = line(QuoteLine::Expense, expense.itemName, wholeYen(expense.amount));
        const qint64 discount = wholeYen(expense.discount);
        if (discount != 0) {
            // Quantity times unit price is not the amount: the name tells why.
            l.name += QStringLiteral("（値引 ") + YenText(discount) + QStringLiteral("）");
        }
        l.quantity = NumberOrZero(expense.quantity);
        l.unitPrice = wholeYen(expense.unitPrice);
        lines << l;
    }
}

} // namespace

QString QuoteLineGroup(QuoteLine::Kind kind)
{
    switch (kind) {
    case QuoteLine::Work:
        return QStringLiteral("作業費");
    case QuoteLine::Option:
        return QStringLiteral("契約オプション");
    case QuoteLine::Deliverable:
        return QStringLiteral("納品物");
    case QuoteLine::Expense:
        return QStringLiteral("経費");
    default:
        return QString();
    }
}

QuoteSettings StoredQuoteSettings(const LoadedProject& project)
{
    QuoteSettings quote;
    bool* const ticks[] = {&quote.Base, &quote.Work, &quote.Opt, &quote.Deliv, &quote.Expe0, &quote.Expe1};
    for (int i = 0; i < 6; ++i) {
        *ticks[i] = ticked(project.quote[i]);
    }
    quote.Discount = project.discount.isValid() ? project.discount.toDouble() : 0.0;
    return quote;
}

LoadedProject StoredProject(DbConnection& connection, int project)
{
    std::optional<LoadedProject> loaded = ProjectRepository(connection).load(project);
    if (!loaded) {
        throw DocumentError(QStringLiteral("プロジェクト %1 がありません。").arg(project));
    }
    return *loaded;
}

QuoteLines ProjectQuoteLines(DbConnection& connection, const LoadedProject& project)
{
    const ProjectRepository repository(connection);
    const QuoteSettings quote = StoredQuoteSettings(project);
    QuoteLines result;
    QList<QuoteLine>& lines = result.lines;
    const qint64 base = wholeYen(project.base);
    if (quote.Base && base != 0) {
        lines << lotLine(QuoteLine::Base, QStringLiteral("基本料金"), base);
    }
    if (quote.Work) {
        addWork(connection, QString::number(project.id), lines);
    }
    if (quote.Opt) {
        addOptions(connection, repository.contracts(project.id), lines);
    }
    if (quote.Deliv) {
        addDeliverables(repository.deliverables(project.id), ProjectLookups(connection).deliverableKinds(),
                        lines);
    }
    if (quote.Expe0 || quote.Expe1) {
        addExpenses(repository.expenses(project.id), quote.Expe0, quote.Expe1, lines);
    }
    const qint64 discount = std::llround(quote.Discount);
    if (discount != 0) {
        lines << line(QuoteLine::Discount, QStringLiteral("値引き"), -discount);
    }

    qint64 components = 0;
    for (const QuoteLine& l : lines) {
        components += l.amount;
    }
    const qint64 order = wholeYen(project.price);
    result.subtotal = components;
    if (order != 0 && order != components) {
        lines << line(QuoteLine::Adjustment, QStringLiteral("調整額"), order - components);
        result.subtotal = order;
    }
    return result;
}
