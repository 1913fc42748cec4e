#include "common/tab_pages.h"

#include <QScrollArea>
#include <QString>
#include <QTabWidget>

namespace {

// Asks for the whole page, so that the window shows it unscrolled wherever the screen has room
// (a plain scroll area asks for no more than a few dozen lines).
class PageScroll : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

} // namespace

int AddScrollingTab(QTabWidget* tabs, QWidget* page, const QString& caption)
{
    auto* scroll = new PageScroll(tabs);
    scroll->setObjectName(page->objectName() + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    // The page's own background, not the darker one of the area around it.
    scroll->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
    return tabs->addTab(scroll, caption);
}

void ShowTabPage(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        auto* tabs = qobject_cast<QTabWidget*>(w);
        if (!tabs) {
            continue;
        }
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i) == widget || tabs->widget(i)->isAncestorOf(widget)) {
                tabs->setCurrentIndex(i);
                break;
            }
        }
    }
}
