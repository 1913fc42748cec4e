#include "document/quotation_layout.h"

#include "convert/conversions.h"
#include "documents/quotation_document.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextLayout>
#include <functional>

namespace {

constexpr qreal kMarginMm = 18;
constexpr qreal kTopMm = 15;
constexpr qreal kFootMm = 12; // the page number sits in the bottom margin
constexpr qreal kThinMm = 0.15;

// The table: name, quantity, unit price, amount.
constexpr qreal kQuantityMm = 22;
constexpr qreal kPriceMm = 28;

class Layout {
public:
    explicit Layout(const QPaintDevice& device)
        : m_device(device), m_dotsPerMm(device.logicalDpiX() / 25.4),
          left(mm(kMarginMm)), right(device.width() - mm(kMarginMm)), bottom(device.height() - mm(kMarginMm))
    {
        pages.append(PrintedPage());
        y = mm(kTopMm);
    }

    qreal mm(qreal millimetres) const { return millimetres * m_dotsPerMm; }
    qreal lineHeight(const QFont& font) const { return QFontMetricsF(font, &m_device).lineSpacing(); }

    // The text broken into lines that fit the width; a line break in the text starts a line.
    QStringList wrap(const QString& text, const QFont& font, qreal width) const
    {
        QString plain = text;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QStringList lines;
        for (const QString& paragraph : plain.split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font, &m_device);
            layout.beginLayout();
            int count = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                QString part = paragraph.mid(line.textStart(), line.textLength());
                while (part.endsWith(QLatin1Char(' '))) {
                    part.chop(1);
                }
                lines << part;
                ++count;
            }
            layout.endLayout();
            if (count == 0) {
                lines << QString();
            }
        }
        return lines;
    }

    void text(qreal x, qreal top, qreal width, const QString& text, const QFont& font,
              Qt::Alignment align = Qt::AlignLeft)
    {
        PrintedItem item;
        item.rect = QRectF(x, top, width, lineHeight(font));
        item.text = text;
        item.font = font;
        item.align = align | Qt::AlignVCenter;
        pages.last() << item;
    }

    // Wrapped text from the current y on; returns the height taken.
    qreal paragraph(qreal x, qreal width, const QString& text, const QFont& font, Qt::Alignment align = Qt::AlignLeft)
    {
        const qreal start = y;
        for (const QString& line : wrap(text, font, width)) {
            ensureRoom(lineHeight(font));
            this->text(x, y, width, line, font, align);
            y += lineHeight(font);
        }
        return y - start;
    }

    void line(qreal x1, qreal y1, qreal x2, qreal y2, qreal widthMm)
    {
        PrintedItem item;
        item.kind = PrintedItem::Line;
        item.rect = QRectF(QPointF(x1, y1), QPointF(x2, y2));
        item.penWidth = mm(widthMm);
        pages.last() << item;
    }

    void box(const QRectF& rect, qreal frameMm, const QColor& fill = QColor())
    {
        PrintedItem item;
        item.kind = PrintedItem::Box;
        item.rect = rect;
        item.penWidth = frameMm > 0 ? mm(frameMm) : 0;
        item.fill = fill;
        pages.last() << item;
    }

    // A new sheet when the height does not fit below y; continued() puts the sheet's heading.
    void ensureRoom(qreal height)
    {
        if (y + height <= bottom || y <= mm(kTopMm) + m_headingHeight) {
            return;
        }
        pages.append(PrintedPage());
        y = mm(kTopMm);
        if (continued) {
            const qreal before = y;
            continued();
            m_headingHeight = y - before;
        }
    }

    QList<PrintedPage> pages;
    qreal y = 0;
    std::function<void()> continued;

private:
    const QPaintDevice& m_device;
    qreal m_dotsPerMm;
    qreal m_headingHeight = 0;

public:
    const qreal left;
    const qreal right;
    const qreal bottom;
};

QString quantityText(const QuoteLine& line)
{
    if (!line.quantity) {
        return QString();
    }
    const QString shown = ShownText(*line.quantity);
    double value = 0;
    ParseNumber(shown, &value);
    const int decimals = shown.contains(QLatin1Char('.')) ? static_cast<int>(shown.section(u'.', 1).size()) : 0;
    return FormatNumber(value, decimals, true) + line.unit;
}

struct Columns {
    qreal name, quantity, price, amount, end;
};

void tableHeading(Layout& l, const Columns& c, const QFont& font)
{
    const qreal h = l.lineHeight(font) + l.mm(2);
    const QColor grey(0xe4, 0xe4, 0xe4);
    const QList<std::pair<qreal, qreal>> cells = {{c.name, c.quantity}, {c.quantity, c.price}, {c.price, c.amount},
                                                  {c.amount, c.end}};
    const char* const captions[] = {"品名", "数量", "単価", "金額"};
    for (int i = 0; i < cells.size(); ++i) {
        l.box(QRectF(cells[i].first, l.y, cells[i].second - cells[i].first, h), kThinMm, grey);
        l.text(cells[i].first, l.y + l.mm(1), cells[i].second - cells[i].first, QString::fromUtf8(captions[i]), font,
               Qt::AlignHCenter);
    }
    l.y += h;
}

void tableRow(Layout& l, const Columns& c, const QFont& font, const QStringList& nameLines, const QString& quantity,
              const QString& price, const QString& amount, qreal indent)
{
    const qreal pad = l.mm(1);
    const qreal h = nameLines.size() * l.lineHeight(font) + 2 * pad;
    l.ensureRoom(h);
    const qreal cellPad = l.mm(1.5);
    for (const auto& [from, to] : {std::pair{c.name, c.quantity}, {c.quantity, c.price}, {c.price, c.amount},
                                   {c.amount, c.end}}) {
        l.box(QRectF(from, l.y, to - from, h), kThinMm);
    }
    qreal top = l.y + pad;
    for (const QString& part : nameLines) {
        l.text(c.name + cellPad + indent, top, c.quantity - c.name - 2 * cellPad - indent, part, font);
        top += l.lineHeight(font);
    }
    l.text(c.quantity, l.y + pad, c.price - c.quantity - cellPad, quantity, font, Qt::AlignRight);
    l.text(c.price, l.y + pad, c.amount - c.price - cellPad, price, font, Qt::AlignRight);
    l.text(c.amount, l.y + pad, c.end - c.amount - cellPad, amount, font, Qt::AlignRight);
    l.y += h;
}

void totalRow(Layout& l, const Columns& c, const QFont& font, const QString& caption, qint64 amount)
{
    const qreal h = l.lineHeight(font) + l.mm(2);
    const qreal cellPad = l.mm(1.5);
    l.box(QRectF(c.quantity, l.y, c.amount - c.quantity, h), kThinMm, QColor(0xf2, 0xf2, 0xf2));
    l.box(QRectF(c.amount, l.y, c.end - c.amount, h), kThinMm);
    l.text(c.quantity + cellPad, l.y + l.mm(1), c.amount - c.quantity - 2 * cellPad, caption, font, Qt::AlignLeft);
    l.text(c.amount, l.y + l.mm(1), c.end - c.amount - cellPad, YenText(amount), font, Qt::AlignRight);
    l.y += h;
}

// The letterhead and the terms; returns where the table may start.
void firstSheet(Layout& l, const QuotationDocument& doc)
{
    const qreal width = l.right - l.left;
    const QFont small = DocumentFont(9);
    l.text(l.left, l.y, width, QStringLiteral("No. ") + doc.number, small, Qt::AlignRight);
    l.y += l.lineHeight(small);
    l.text(l.left, l.y, width, QStringLiteral("発行日 ") + JapaneseDate(doc.issueDate), small, Qt::AlignRight);
    l.y += l.lineHeight(small) + l.mm(3);

    const QFont title = DocumentFont(22, true);
    l.text(l.left, l.y, width, QStringLiteral("御見積書"), title, Qt::AlignHCenter);
    l.y += l.lineHeight(title) + l.mm(1);
    const qreal centre = (l.left + l.right) / 2;
    l.line(centre - l.mm(32), l.y, centre + l.mm(32), l.y, 0.4);
    l.line(centre - l.mm(32), l.y + l.mm(1), centre + l.mm(32), l.y + l.mm(1), 0.2);
    l.y += l.mm(9);
    const qreal top = l.y;

    // Left: the customer, the subject, the total and the terms.
    const qreal columnWidth = l.mm(102);
    const QFont customer = DocumentFont(14);
    l.paragraph(l.left, columnWidth, doc.customer + QStringLiteral(" 御中"), customer);
    l.line(l.left, l.y + l.mm(0.5), l.left + columnWidth, l.y + l.mm(0.5), 0.3);
    l.y += l.mm(5);
    const QFont body = DocumentFont(10.5);
    const qreal label = l.mm(24);
    l.text(l.left, l.y, label, QStringLiteral("件名"), body);
    l.paragraph(l.left + label, columnWidth - label, doc.subject, body);
    l.y += l.mm(3);
    l.paragraph(l.left, columnWidth, QStringLiteral("下記のとおり御見積申し上げます。"), body);
    l.y += l.mm(3);
    const QFont amountFont = DocumentFont(18, true);
    const qreal amountHeight = l.lineHeight(amountFont);
    l.text(l.left, l.y, columnWidth, QStringLiteral("御見積金額（税込）"), DocumentFont(11, true));
    l.text(l.left, l.y, columnWidth, YenText(doc.total), amountFont, Qt::AlignRight);
    l.y += amountHeight;
    l.line(l.left, l.y, l.left + columnWidth, l.y, 0.5);
    l.y += l.mm(4);
    QList<std::pair<QString, QString>> terms{{QStringLiteral("有効期限"), JapaneseDate(doc.validUntil)}};
    if (doc.delivery.isValid()) {
        terms.append({QStringLiteral("納期"), JapaneseDate(doc.delivery)});
    }
    if (!doc.paymentTerms.trimmed().isEmpty()) {
        terms.append({QStringLiteral("お支払条件"), doc.paymentTerms});
    }
    for (const auto& [caption, value] : terms) {
        l.text(l.left, l.y, label, caption, body);
        l.paragraph(l.left + label, columnWidth - label, value, body);
        l.y += l.mm(1);
    }
    const qreal leftEnd = l.y;

    // Right: the issuer.
    qreal rightEnd = top;
    if (doc.issuer) {
        const IssuerDetails& issuer = *doc.issuer;
        const qreal x = l.left + columnWidth + l.mm(8);
        const qreal w = l.right - x;
        l.y = top;
        l.paragraph(x, w, issuer.company, DocumentFont(11.5, true));
        l.y += l.mm(1);
        const QList<std::pair<QString, QString>> rows = {{QStringLiteral("〒"), issuer.postalCode},
                                                         {QString(), issuer.address1},
                                                         {QString(), issuer.address2},
                                                         {QStringLiteral("TEL "), issuer.telephone},
                                                         {QStringLiteral("登録番号 "), issuer.registrationNumber},
                                                         {QStringLiteral("担当 "), issuer.person}};
        for (const auto& [prefix, value] : rows) {
            if (!value.trimmed().isEmpty()) {
                l.paragraph(x, w, prefix + value, small);
            }
        }
        rightEnd = l.y;
    }
    l.y = qMax(leftEnd, rightEnd) + l.mm(5);
}

} // namespace

QFont DocumentFont(qreal points, bool bold)
{
    QFont font;
    // IPA Gothic first: each of its glyphs stands for one character, so the text a PDF viewer
    // finds is the text printed; the others fill in what it lacks.
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("VL Gothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QList<PrintedPage> LayOutQuotation(const QuotationDocument& doc, const QPaintDevice& device)
{
    Layout l(device);
    firstSheet(l, doc);

    const QFont font = DocumentFont(9.5);
    const QFont bold = DocumentFont(9.5, true);
    const qreal amountWidth = l.mm(kPriceMm);
    const Columns c{l.left, l.right - 2 * amountWidth - l.mm(kQuantityMm), l.right - 2 * amountWidth,
                    l.right - amountWidth, l.right};
    l.continued = [&l, &doc, &c, &font] {
        const QFont small = DocumentFont(9);
        l.text(l.left, l.y, l.right - l.left, QStringLiteral("御見積書 No. ") + doc.number + QStringLiteral("（続き）"),
               small);
        l.y += l.lineHeight(small) + l.mm(3);
        tableHeading(l, c, font);
    };
    l.ensureRoom(3 * (l.lineHeight(font) + l.mm(2)));
    tableHeading(l, c, font);
    const qreal nameWidth = c.quantity - c.name - l.mm(3);
    QString group;
    for (const QuoteLine& line : doc.lines) {
        const QString lineGroup = QuoteLineGroup(line.kind);
        if (!lineGroup.isEmpty() && lineGroup != group) {
            tableRow(l, c, bold, {QStringLiteral("【") + lineGroup + QStringLiteral("】")}, QString(), QString(),
                     QString(), 0);
        }
        group = lineGroup;
        const qreal indent = lineGroup.isEmpty() ? 0 : l.mm(3);
        tableRow(l, c, font, l.wrap(line.name, font, nameWidth - indent), quantityText(line),
                 line.unitPrice ? YenText(*line.unitPrice) : QString(), YenText(line.amount), indent);
    }
    l.ensureRoom(3 * (l.lineHeight(font) + l.mm(2)));
    totalRow(l, c, font, QStringLiteral("小計"), doc.subtotal);
    totalRow(l, c, font, QStringLiteral("消費税（%1%）").arg(doc.taxRate), doc.tax);
    totalRow(l, c, bold, QStringLiteral("合計"), doc.total);

    if (!doc.remarks.isEmpty()) {
        l.continued = [&l, &doc] {
            const QFont small = DocumentFont(9);
            l.text(l.left, l.y, l.right - l.left,
                   QStringLiteral("御見積書 No. ") + doc.number + QStringLiteral("（続き）"), small);
            l.y += l.lineHeight(small) + l.mm(3);
        };
        const QFont body = DocumentFont(9.5);
        l.y += l.mm(6);
        l.ensureRoom(2 * l.lineHeight(body));
        l.text(l.left, l.y, l.right - l.left, QStringLiteral("備考"), DocumentFont(10, true));
        l.y += l.lineHeight(body);
        l.line(l.left, l.y, l.right, l.y, kThinMm);
        l.y += l.mm(1.5);
        for (const QString& remark : doc.remarks) {
            l.paragraph(l.left + l.mm(2), l.right - l.left - l.mm(4), remark, body);
            l.y += l.mm(1.5);
        }
    }

    const QFont foot = DocumentFont(8.5);
    const int count = static_cast<int>(l.pages.size());
    for (int i = 0; i < count; ++i) {
        PrintedItem item;
        item.rect = QRectF(l.left, device.height() - l.mm(kFootMm), l.right - l.left, l.lineHeight(foot));
        item.text = QStringLiteral("%1 / %2").arg(i + 1).arg(count);
        item.font = foot;
        item.align = Qt::AlignHCenter | Qt::AlignVCenter;
        l.pages[i] << item;
    }
    return l.pages;
}
