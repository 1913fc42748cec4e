#include "common/tab_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

namespace {

// Sees the keys of the whole application before any control does, as the window's own
// key handler would, and reacts only to keys meant for its window.
class CtrlTabFilter : public QObject {
public:
    CtrlTabFilter(QWidget* window, QTabWidget* tabs) : QObject(window), m_window(window), m_tabs(tabs) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab || key->modifiers() != Qt::ControlModifier) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != m_window || !m_tabs || m_tabs->count() == 0) {
            return false;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count());
        return true;
    }

private:
    QWidget* m_window;
    QPointer<QTabWidget> m_tabs;
};

} // namespace

void InstallCtrlTab(QWidget* window, QTabWidget* tabs)
{
    QCoreApplication::instance()->installEventFilter(new CtrlTabFilter(window, tabs));
}
