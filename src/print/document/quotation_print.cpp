#include "document/quotation_print.h"

#include "document/quotation_layout.h"
#include "documents/quotation_document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

// Fine enough for the printed sizes; the text itself is vector either way.
constexpr int kPdfResolution = 600;

void paintItem(QPainter& painter, const PrintedItem& item)
{
    switch (item.kind) {
    case PrintedItem::Text:
        painter.setFont(item.font);
        painter.setPen(Qt::black);
        painter.drawText(item.rect, static_cast<int>(item.align), item.text);
        break;
    case PrintedItem::Line:
        painter.setPen(QPen(Qt::black, item.penWidth));
        painter.drawLine(item.rect.topLeft(), item.rect.bottomRight());
        break;
    case PrintedItem::Box:
        painter.setPen(item.penWidth > 0 ? QPen(Qt::black, item.penWidth) : QPen(Qt::NoPen));
        painter.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
        painter.drawRect(item.rect);
        painter.setBrush(Qt::NoBrush);
        break;
    }
}

} // namespace

void SetQuotationPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

void PaintQuotation(QPainter& painter, QPagedPaintDevice& device, const QuotationDocument& document)
{
    const QList<PrintedPage> pages = LayOutQuotation(document, device);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            device.newPage();
        }
        for (const PrintedItem& item : pages.at(i)) {
            paintItem(painter, item);
        }
    }
}

bool WriteQuotationPdf(const QuotationDocument& document, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfResolution);
        writer.setTitle(QStringLiteral("御見積書 ") + document.number);
        writer.setCreator(QStringLiteral("VORNA"));
        SetQuotationPage(writer);
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QStringLiteral("PDFを作成できません。");
            file.cancelWriting();
            return false;
        }
        PaintQuotation(painter, writer, document);
        painter.end();
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
