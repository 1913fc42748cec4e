#pragma once

class QTabWidget;
class QWidget;

// Ctrl+Tab pressed anywhere in the window selects the next tab, from the last back to the
// first. There is no backward key.
void InstallCtrlTab(QWidget* window, QTabWidget* tabs);
