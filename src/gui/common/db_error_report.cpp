#include "common/db_error_report.h"

#include "common/messages.h"

namespace {

bool isDelete(const QString& statement)
{
    return statement.trimmed().startsWith(QStringLiteral("DELETE"), Qt::CaseInsensitive);
}

} // namespace

void ShowDbError(const DbError& error, const QString& statement, QWidget* parent)
{
    const QString sql = statement.isEmpty() ? error.statement() : statement;
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
