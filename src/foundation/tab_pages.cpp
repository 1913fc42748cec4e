#include "foundation/tab_pages.h"

#include <QScrollArea>
#include <QString>
#include <QTabWidget>

int AddScrollingTab(QTabWidget* tabs, QWidget* page, const QString& caption)
{
    auto* scroll = new QScrollArea(tabs);
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
