#include "connection/startup.h"

#include "common/messages.h"
#include "common/wait_cursor.h"
#include "connection/conn_str_dialog.h"
#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_upgrade.h"
#include "settings/settings.h"
#include "state/app_state.h"

#include <QWidget>

QWidget* Main(AppState& state, const MainWindowFactory& createMainWindow)
{
    // Started on an unreadable file, the program would take the default connection and offer
    // a new, empty database as if it were the user's. The connection dialog is not offered
    // either: it could not store what it is given.
    const QString unreadable = Settings::readProblem();
    if (!unreadable.isEmpty()) {
        Messages::critical(nullptr, QStringLiteral("設定エラー"), unreadable);
        return nullptr;
    }
    QString errorText;
    try {
        const WaitCursor wait;
        DbConnection::OpenOptions options;
        options.createMissingFile = true;
        state.Conn = DbConnection::open(ConnectionParams::fromStore(), options);
        UpgradeSchema(*state.Conn);
        QWidget* window = createMainWindow(state);
        window->show();
        return window;
    } catch (const DbError& e) {
        errorText = e.description();
    } catch (const PolicyError& e) {
        errorText = e.message();
    } catch (const std::exception& e) {
        errorText = QString::fromUtf8(e.what());
    }
    ReportStartupFailure(errorText);
    return nullptr;
}

void ReportStartupFailure(const QString& errorText)
{
    const auto answer = Messages::question(nullptr, QStringLiteral("接続失敗"),
                                           QStringLiteral("ＤＢの接続に失敗しました。\n") + errorText +
                                               QStringLiteral("\n接続パラメタを編集しますか？"),
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
        ConnStrDialog dialog;
        dialog.exec();
    }
}
