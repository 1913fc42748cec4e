#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;
struct QuotationDocument;

// The sheet every 見積書 is laid out on: A4 portrait, the whole sheet (the layout keeps its
// own margins).
void SetQuotationPage(QPagedPaintDevice& device);

// Paints the document on the device the painter is active on, adding its sheets.
void PaintQuotation(QPainter& painter, QPagedPaintDevice& device, const QuotationDocument& document);

// Saves the document as a PDF file with its fonts embedded and its text searchable. The file
// is replaced only once the whole document is written; false with the reason in *error.
bool WriteQuotationPdf(const QuotationDocument& document, const QString& path, QString* error);
