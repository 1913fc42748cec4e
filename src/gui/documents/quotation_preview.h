#pragma once

#include <QString>

class QWidget;
struct AppState;
struct QuoteSettings;

// The 見積書 of a stored project, issued today, in a print preview (objectName "frmQuoteDoc")
// with printing and "PDFに保存..." (cmdSavePdf). Without issuer details the user is told that
// the letterhead is missing, and the document is shown all the same. Raises DbError, and
// DocumentError for a project that is gone.
void ShowQuotationDocument(AppState& state, int project, QWidget* parent);

// The same from the quotation dialog of the project editor, for the project being edited. The
// document shows what is stored: the user is told first when the dialog's ticks, discount or
// total are not those stored, and that a new project must be saved first.
void ShowQuotationFromCalc(AppState& state, const QuoteSettings& shown, const QString& shownTotal,
                           QWidget* parent);
