#include "common/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QVector>

namespace {

// One entry per live WaitCursor (true) or Pause (false); the innermost one decides.
QVector<bool>& scopes()
{
    static QVector<bool> stack;
    return stack;
}

bool& overridden()
{
    static bool on = false;
    return on;
}

void apply()
{
    const bool wanted = !scopes().isEmpty() && scopes().constLast() &&
                        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (wanted == overridden()) {
        return;
    }
    if (wanted) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
    overridden() = wanted;
}

} // namespace

WaitCursor::WaitCursor()
{
    scopes().append(true);
    apply();
}

WaitCursor::~WaitCursor()
{
    scopes().removeLast();
    apply();
}

WaitCursor::Pause::Pause()
{
    scopes().append(false);
    apply();
}

WaitCursor::Pause::~Pause()
{
    scopes().removeLast();
    apply();
}

bool WaitCursor::shown()
{
    return overridden();
}
