#pragma once

class QScrollArea;
class QString;
class QTabWidget;
class QWidget;

// A tab page inside a scroll area: on a small or scaled screen the page scrolls while the
// window, with the buttons below its tabs, stays within the screen. The page keeps its own
// object name; the scroll area is named after it with "Scroll".
int AddScrollingTab(QTabWidget* tabs, QWidget* page, const QString& caption);

// Brings the tab page that holds the widget to the front, in every tab widget around it.
void ShowTabPage(QWidget* widget);
