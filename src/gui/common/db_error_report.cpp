#include "common/db_error_report.h"

#include "common/messages.h"
#include "db/concurrent_change.h"

namespace {

bool isDelete(const QString& statement)
{
    return statement.trimmed().startsWith(QStringLiteral("DELETE"), Qt::CaseInsensitive);
}

} // namespace

void ShowDbError(const DbError& error, const QString& statement, QWidget* parent)
{
    const QString sql = statement.isEmpty() ? error.statement() : statement;
    if (error.kind() == DbError::ConnectionLost) {
        // What the user can do is in the text; the statement would only confuse.
        Messages::exclamation(parent, QStringLiteral("ＤＢエラー"), error.description());
        return;
    }
    if (error.kind() == DbError::Busy) {
        Messages::exclamation(
            parent, QStringLiteral("ＤＢエラー"),
            QStringLiteral("他の利用者が同じデータを更新しているため、処理できませんでした。\n"
                           "しばらくしてからもう一度お試しください。"));
        return;
    }
    if (error.kind() == DbError::IntegrityViolation && isDelete(sql)) {
        Messages::exclamation(parent, QStringLiteral("削除不可"),
                              QStringLiteral("本項目は既に使用されているため削除できません。"));
        return;
    }
    if (error.kind() == DbError::DataOverflow) {
        Messages::exclamation(parent, QStringLiteral("サイズオーバ"),
                              QStringLiteral("名称の文字列が長すぎます。"));
        return;
    }
    Messages::critical(parent, QStringLiteral("ＤＢエラー"), error.description() + QLatin1Char('\n') + sql);
}

void ShowDbError(const std::exception& error, const QString& statement, QWidget* parent)
{
    if (const auto* db = dynamic_cast<const DbError*>(&error)) {
        ShowDbError(*db, statement, parent);
        return;
    }
    if (const auto* gone = dynamic_cast<const ConcurrentChangeError*>(&error)) {
        Messages::exclamation(parent, QStringLiteral("更新エラー"), gone->text());
        return;
    }
    Messages::critical(parent, QStringLiteral("ＤＢエラー"),
                       QString::fromUtf8(error.what()) + QLatin1Char('\n') + statement);
}

void ShowDbErrorWithNote(const QString& note, const std::exception& error, const QString& statement,
                         QWidget* parent)
{
    const auto* db = dynamic_cast<const DbError*>(&error);
    const QString description = db ? db->description() : QString::fromUtf8(error.what());
    const QString sql = statement.isEmpty() && db ? db->statement() : statement;
    Messages::critical(parent, QStringLiteral("ＤＢエラー"),
                       note + QLatin1Char('\n') + description + QLatin1Char('\n') + sql);
}

bool AskOverwrite(QWidget* parent, const QString& subject)
{
    return Messages::question(parent, QStringLiteral("更新競合"),
                              QStringLiteral("他の利用者が") + subject +
                                  QStringLiteral("を先に更新しました。\n上書きしますか？"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                              Messages::Exclamation) == QMessageBox::Yes;
}
