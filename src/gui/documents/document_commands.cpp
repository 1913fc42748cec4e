#include "documents/document_commands.h"

#include "common/db_error_report.h"
#include "common/messages.h"
#include "common/wait_cursor.h"
#include "documents/csv_exports.h"
#include "documents/issuer_dialog.h"
#include "documents/quotation_document.h"
#include "documents/quotation_preview.h"
#include "documents/save_file.h"
#include "state/app_state.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <functional>

namespace {

bool projectSelected(const AppState& state, QWidget* parent)
{
    if (state.CurProject != 0) {
        return true;
    }
    Messages::noProjectSelected(parent);
    return false;
}

QString today(const QString& name, const QString& kind, const QString& extension)
{
    return DocumentFileName(name, kind, QDate::currentDate(), extension);
}

QAction* command(QMainWindow* window, const char* name, const QString& caption, std::function<void()> work)
{
    auto* action = new QAction(caption, window);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, window, [window, work = std::move(work)] {
        RunHandler(window, [&work] {
            const WaitCursor wait;
            work();
        });
    });
    return action;
}

} // namespace

void AddDocumentCommands(QMainWindow* window, AppState& state)
{
    AppState* s = &state;
    QAction* issuer = command(window, "mnuIssuer", QStringLiteral("発行者情報(&I)..."), [s, window] {
        IssuerDialog dialog(*s, window);
        const WaitCursor::Pause pointer;
        dialog.exec();
    });
    QAction* quoteDoc = command(window, "mnuQuoteDoc", QStringLiteral("見積書(&Q)..."), [s, window] {
        if (projectSelected(*s, window)) {
            ShowQuotationDocument(*s, s->CurProject, window);
        }
    });
    QAction* functions = command(window, "mnuCsvFunctions", QStringLiteral("機能項目一覧(&F)..."), [s, window] {
        if (projectSelected(*s, window)) {
            const QList<QStringList> rows = FunctionCsvRows(*s->Conn, s->CurProject, s->policy);
            SaveCsv(window, today(StoredProject(*s->Conn, s->CurProject).name.toString(), QStringLiteral("機能項目"),
                                  QStringLiteral("csv")),
                    rows);
        }
    });
    QAction* projects = command(window, "mnuCsvProjects", QStringLiteral("全プロジェクト(&P)..."), [s, window] {
        const QList<QStringList> rows = ProjectCsvRows(*s->Conn, s->policy);
        SaveCsv(window, today(QStringLiteral("全プロジェクト"), QString(), QStringLiteral("csv")), rows);
    });
    QAction* quoteLines = command(window, "mnuCsvQuoteLines", QStringLiteral("見積明細(&Q)..."), [s, window] {
        if (projectSelected(*s, window)) {
            const QuotationDocument document = BuildQuotation(*s->Conn, s->CurProject, QDate::currentDate());
            SaveCsv(window, today(document.subject, QStringLiteral("見積明細"), QStringLiteral("csv")),
                    QuoteLineCsvRows(document));
        }
    });

    if (auto* file = window->findChild<QMenu*>(QStringLiteral("mnuFile"))) {
        auto* csv = new QMenu(QStringLiteral("CSVに書き出し(&E)"), file);
        csv->setObjectName(QStringLiteral("mnuCsv"));
        csv->menuAction()->setObjectName(QStringLiteral("mnuCsv"));
        csv->addActions({functions, projects, quoteLines});
        // Above the closing command, in a group of its own.
        const QList<QAction*> actions = file->actions();
        QAction* before = actions.size() >= 2 ? actions.at(actions.size() - 2) : nullptr;
        file->insertMenu(before, csv);
        file->insertSeparator(csv->menuAction());
    }
    if (auto* project = window->findChild<QMenu*>(QStringLiteral("mnuProj"))) {
        project->addSeparator();
        project->addAction(quoteDoc);
    }
    if (auto* masters = window->findChild<QMenu*>(QStringLiteral("mnuMasmen"))) {
        masters->addSeparator();
        masters->addAction(issuer);
    }
}
