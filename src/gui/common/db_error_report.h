#pragma once

#include "db/db_error.h"

class QWidget;

// The shared report of a failed statement. The "in use" text is shown only for a DELETE that a
// constraint refused; on INSERT or UPDATE it would be false, so those get the generic report.
void ShowDbError(const DbError& error, const QString& statement = QString(), QWidget* parent = nullptr);

// Any other failure a save catches: what another user has deleted meanwhile as "更新エラー",
// a conversion error with the generic report.
void ShowDbError(const std::exception& error, const QString& statement, QWidget* parent = nullptr);

// The generic report with a first line saying what did or did not happen before the failure.
void ShowDbErrorWithNote(const QString& note, const std::exception& error, const QString& statement,
                         QWidget* parent = nullptr);

// Asks whether to write over what another user has saved since the editor read it ("更新競合");
// subject names it, as "このプロジェクト". true on Yes.
bool AskOverwrite(QWidget* parent, const QString& subject);

// The work of an event handler: whatever it raises is reported through ShowDbError and goes no
// further, so the window stays open with what the user entered. false after a failure.
template <typename Work> bool RunHandler(QWidget* parent, Work&& work)
{
    try {
        work();
        return true;
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), parent);
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), parent);
    }
    return false;
}
