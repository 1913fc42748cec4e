#include "db/concurrent_change.h"

#include "db/db_connection.h"

ConcurrentChangeError::ConcurrentChangeError(Gone gone) : m_gone(gone), m_what(text().toUtf8())
{
}

QString ConcurrentChangeError::text() const
{
    switch (m_gone) {
    case Project:
        return QStringLiteral("このプロジェクトは他の利用者によって削除されています。");
    case Function:
        return QStringLiteral("この機能項目は他の利用者によって削除されています。");
    case ParentProject:
        return QStringLiteral("親プロジェクトは他の利用者によって削除されています。");
    case MasterRow:
        return QStringLiteral("この項目は他の利用者によって削除されています。");
    case SubProjectAdded:
        return QStringLiteral(
            "このプロジェクトには他の利用者がサブプロジェクトを追加したため、削除できません。");
    case MemberGone:
        return QStringLiteral("割り当てたメンバは他の利用者によってプロジェクトから外されています。\n"
                              "そのメンバの割り当てを担当入力で削除してから保存してください。");
    case MemberCharged:
        return QStringLiteral("外したメンバには他の利用者が作業を割り当てたため、保存できません。");
    case ParentBelow:
        return QStringLiteral("親プロジェクトは他の利用者によってこのプロジェクトの下に移されています。\n"
                              "別の親プロジェクトを選んでください。");
    }
    return QString();
}

Recordset LockRows(DbConnection& connection, const QString& table, const QString& condition, RowLock lock,
                   const QString& columns)
{
    const QString hint = lock == RowLock::Delete   ? QStringLiteral("XLOCK, ROWLOCK")
                         : lock == RowLock::Update ? QStringLiteral("UPDLOCK, ROWLOCK")
                         : lock == RowLock::Share  ? QStringLiteral("REPEATABLEREAD, ROWLOCK")
                                                   : QStringLiteral("HOLDLOCK, ROWLOCK");
    return OpenRs(connection, QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + table +
                                  QStringLiteral(" WITH (") + hint + QStringLiteral(") WHERE ") + condition);
}
