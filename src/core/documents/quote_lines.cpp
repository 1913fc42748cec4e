#include "documents/quotation_document.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"

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
        l.quantity = rs.field(QStringLiteral("NHTOTAL")).isValid() ? rs.field(QStringLiteral("NHTOTAL")).toDouble()
                                                                     : 0.0;
        l.unit = QStringLiteral("時間");
        lines << l;
    }
}

void addOptions(DbConnection& conn, const QString& id, QList<QuoteLine>& lines)
{
    for (Recordset rs =
             OpenRs(conn, QStringLiteral("SELECT NCID, NVAL, CNAME, NPRI FROM TCONTRACT WHERE NPROJECT = ") +
                              id + QStringLiteral(" ORDER BY NCID"));
         !rs.eof(); rs.moveNext()) {
        const qint64 amount = wholeYen(rs.field(QStringLiteral("NPRI")));
        if (amount == 0) {
            continue;
        }
        const int option = rs.field(QStringLiteral("NCID")).toInt();
        QString name = rs.field(QStringLiteral("CNAME")).toString();
        if (option >= 1 && option <= kFixedOptions) {
            name = QString::fromUtf8(kContractOptions[option - 1]);
            const QString level = DivName(conn, Division::FirstContractOption + option - 1,
                                          rs.field(QStringLiteral("NVAL")).toInt());
            if (!level.isEmpty()) {
                name += QStringLiteral("（") + level + QStringLiteral("）");
            }
        }
        lines << lotLine(QuoteLine::Option, name, amount);
    }
}

void addDeliverables(DbConnection& conn, const QString& id, QList<QuoteLine>& lines)
{
    for (Recordset rs =
             OpenRs(conn, QStringLiteral("SELECT NVAL, CDELIV, NPRI FROM TDELIV WHERE NPROJECT = ") + id +
                              QStringLiteral(" ORDER BY NADD"));
         !rs.eof(); rs.moveNext()) {
        const qint64 amount = wholeYen(rs.field(QStringLiteral("NPRI")));
        if (amount == 0) {
            continue;
        }
        const QVariant kind = rs.field(QStringLiteral("NVAL"));
        const QString name = kind.isValid() ? DivName(conn, Division::Deliverable, kind.toInt())
                                            : rs.field(QStringLiteral("CDELIV")).toString();
        lines << lotLine(QuoteLine::Deliverable, name, amount);
    }
}

void addExpenses(DbConnection& conn, const QString& id, bool ownCompany, bool customer, QList<QuoteLine>& lines)
{
    for (Recordset rs = OpenRs(conn, QStringLiteral("SELECT E.NBUY, E.NNUM, E.NAPIECE, E.NDISCP, E.NPRICEP, "
                                                    "I.CITEM FROM TEXPENSE E, MITEM I WHERE E.NITEM = I.NITEM "
                                                    "AND E.NPROJECT = ") +
                                         id + QStringLiteral(" ORDER BY E.NADD"));
         !rs.eof(); rs.moveNext()) {
        const int buyer = rs.field(QStringLiteral("NBUY")).toInt();
        if (!((buyer == 0 && ownCompany) || (buyer == 1 && customer))) {
            continue;
        }
        QuoteLine l = line(QuoteLine::Expense, rs.field(QStringLiteral("CITEM")).toString(),
                           wholeYen(rs.field(QStringLiteral("NPRICEP"))));
        const qint64 discount = wholeYen(rs.field(QStringLiteral("NDISCP")));
        if (discount != 0) {
            // Quantity times unit price is not the amount: the name tells why.
            l.name += QStringLiteral("（値引 ") + YenText(discount) + QStringLiteral("）");
        }
        l.quantity = rs.field(QStringLiteral("NNUM")).toDouble();
        l.unitPrice = wholeYen(rs.field(QStringLiteral("NAPIECE")));
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

QuoteSettings StoredQuoteSettings(DbConnection& connection, int project)
{
    Recordset p = OpenRs(connection, QStringLiteral("SELECT CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT "
                                                    "FROM TPROJECT WHERE NPROJECT = ") +
                                         QString::number(project));
    if (p.eof()) {
        throw DocumentError(QStringLiteral("プロジェクト %1 がありません。").arg(project));
    }
    QuoteSettings quote;
    quote.Base = ticked(p.field(QStringLiteral("CBASE")));
    quote.Work = ticked(p.field(QStringLiteral("CWORK")));
    quote.Opt = ticked(p.field(QStringLiteral("COPT")));
    quote.Deliv = ticked(p.field(QStringLiteral("CDELIV")));
    quote.Expe0 = ticked(p.field(QStringLiteral("CEXPE0")));
    quote.Expe1 = ticked(p.field(QStringLiteral("CEXPE1")));
    const QVariant discount = p.field(QStringLiteral("NDISCOUNT"));
    quote.Discount = discount.isValid() ? discount.toDouble() : 0.0;
    return quote;
}

QuoteLines ProjectQuoteLines(DbConnection& connection, int project)
{
    const QString id = QString::number(project);
    const QuoteSettings quote = StoredQuoteSettings(connection, project);
    Recordset p = OpenRs(connection, QStringLiteral("SELECT NBASE, NPRICE FROM TPROJECT WHERE NPROJECT = ") + id);
    QuoteLines result;
    QList<QuoteLine>& lines = result.lines;
    const qint64 base = p.eof() ? 0 : wholeYen(p.field(QStringLiteral("NBASE")));
    if (quote.Base && base != 0) {
        lines << lotLine(QuoteLine::Base, QStringLiteral("基本料金"), base);
    }
    if (quote.Work) {
        addWork(connection, id, lines);
    }
    if (quote.Opt) {
        addOptions(connection, id, lines);
    }
    if (quote.Deliv) {
        addDeliverables(connection, id, lines);
    }
    if (quote.Expe0 || quote.Expe1) {
        addExpenses(connection, id, quote.Expe0, quote.Expe1, lines);
    }
    const qint64 discount = std::llround(quote.Discount);
    if (discount != 0) {
        lines << line(QuoteLine::Discount, QStringLiteral("値引き"), -discount);
    }

    qint64 components = 0;
    for (const QuoteLine& l : lines) {
        components += l.amount;
    }
    const qint64 order = p.eof() ? 0 : wholeYen(p.field(QStringLiteral("NPRICE")));
    result.subtotal = components;
    if (order != 0 && order != components) {
        lines << line(QuoteLine::Adjustment, QStringLiteral("調整額"), order - components);
        result.subtotal = order;
    }
    return result;
}
