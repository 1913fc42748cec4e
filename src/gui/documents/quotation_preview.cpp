#include "documents/quotation_preview.h"

#include "common/dialog_placement.h"
#include "common/messages.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "document/quotation_print.h"
#include "documents/quotation_document.h"
#include "documents/save_file.h"
#include "state/app_state.h"

#include <QAction>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace {

void savePdf(const QuotationDocument& document, QWidget* parent)
{
    const QString path = ChooseSaveFile(parent, QStringLiteral("PDFに保存"),
                                        DocumentFileName(document.subject, QStringLiteral("見積書"),
                                                         document.issueDate, QStringLiteral("pdf")),
                                        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    const WaitCursor wait;
    if (!WriteQuotationPdf(document, path, &error)) {
        Messages::critical(parent, QStringLiteral("書き出しエラー"),
                           QStringLiteral("PDFファイルを保存できませんでした。\n%1\n%2").arg(path, error));
    }
}

void preview(const QuotationDocument& document, QWidget* parent)
{
    if (!document.issuer) {
        Messages::information(
            parent, QStringLiteral("発行者情報"),
            QStringLiteral("発行者情報が登録されていないため、見積書に発行者が印刷されません。\n"
                           "マスタ メニューの「発行者情報」で登録してください。"));
    }
    QPrinter printer(QPrinter::HighResolution);
    SetQuotationPage(printer);
    printer.setFullPage(true);
    printer.setDocName(QStringLiteral("御見積書 ") + document.number);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("frmQuoteDoc"));
    dialog.setWindowTitle(QStringLiteral("見積書 ") + document.number);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&document](QPrinter* target) {
        QPainter painter(target);
        PaintQuotation(painter, *target, document);
    });
    if (auto* toolBar = dialog.findChild<QToolBar*>()) {
        toolBar->addSeparator();
        QAction* save = toolBar->addAction(QStringLiteral("PDFに保存..."));
        save->setObjectName(QStringLiteral("cmdSavePdf"));
        QObject::connect(save, &QAction::triggered, &dialog,
                         [&document, &dialog] { savePdf(document, &dialog); });
    }
    // Room for a whole page at a readable size, as far as the screen has it.
    dialog.resize(QSize(860, 900).boundedTo(ScreenRoom(&dialog)));
    const WaitCursor::Pause pointer;
    dialog.exec();
}

} // namespace

void ShowQuotationDocument(AppState& state, int project, QWidget* parent)
{
    preview(BuildQuotation(*state.Conn, project, QDate::currentDate()), parent);
}

void ShowQuotationFromCalc(AppState& state, const QuoteSettings& shown, const QString& shownTotal,
                           QWidget* parent)
{
    if (state.EditMode != 1 || state.CurProject == 0) {
        Messages::information(parent, QStringLiteral("確認"),
                              QStringLiteral("見積書はプロジェクトを保存してから作成してください。"));
        return;
    }
    const QuotationDocument document = BuildQuotation(*state.Conn, state.CurProject, QDate::currentDate());
    const QuoteSettings stored = StoredQuoteSettings(StoredProject(*state.Conn, state.CurProject));
    qint64 components = 0;
    for (const QuoteLine& line : document.lines) {
        if (line.kind != QuoteLine::Adjustment) {
            components += line.amount;
        }
    }
    const bool same = shown.Base == stored.Base && shown.Work == stored.Work && shown.Opt == stored.Opt &&
                      shown.Deliv == stored.Deliv && shown.Expe0 == stored.Expe0 &&
                      shown.Expe1 == stored.Expe1 && shown.Discount == stored.Discount &&
                      shownTotal == FormatAmount(static_cast<double>(components));
    if (!same) {
        Messages::information(
            parent, QStringLiteral("確認"),
            QStringLiteral("見積書は保存済みの内容で作成します。\n"
                           "画面で変更した内容は、プロジェクトを保存すると見積書に反映されます。"));
    }
    preview(document, parent);
}
