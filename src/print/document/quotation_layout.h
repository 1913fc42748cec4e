#pragma once

#include "document/printed_page.h"

#include <QList>

class QPaintDevice;
struct QuotationDocument;

// The 見積書 laid out on A4 portrait sheets (the device's whole page, without margins of its
// own), in the device's resolution: the letterhead and the terms on the first sheet, the lines
// in a table whose heading repeats on every sheet, the totals and the remarks after it, and
// "n / N" at the foot of each sheet.
QList<PrintedPage> LayOutQuotation(const QuotationDocument& document, const QPaintDevice& device);

// The font of the document: a Gothic face with Japanese glyphs, embedded in a PDF.
QFont DocumentFont(qreal points, bool bold = false);
