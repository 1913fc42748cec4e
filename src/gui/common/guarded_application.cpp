#include "common/guarded_application.h"

#include "common/db_error_report.h"
#include "common/messages.h"
#include "db/concurrent_change.h"

namespace {

QWidget* reportParent()
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

void reportUnexpected(const QString& detail)
{
    QString text = QStringLiteral("予期しないエラーが発生しました。");
    if (!detail.isEmpty()) {
        text += QLatin1Char('\n') + detail;
    }
    Messages::critical(reportParent(), QStringLiteral("エラー"), text);
}

} // namespace

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), reportParent());
    } catch (const ConcurrentChangeError& e) {
        ShowDbError(e, QString(), reportParent());
    } catch (const std::exception& e) {
        reportUnexpected(QString::fromUtf8(e.what()));
    } catch (...) {
        reportUnexpected(QString());
    }
    return false;
}
