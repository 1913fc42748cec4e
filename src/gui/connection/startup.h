#pragma once

#include <QString>
#include <functional>

class QWidget;
struct AppState;

// Builds the main window once the connection is open; anything it raises is a start-up failure.
using MainWindowFactory = std::function<QWidget*(AppState&)>;

// The program's start: opens the shared connection (creating the embedded database on first
// use) and shows the main window. Returns the window, or nullptr after a failure, when the
// failure prompt has been answered and the program is to end. A settings file that exists but
// cannot be read ends the start with a message naming it.
QWidget* Main(AppState& state, const MainWindowFactory& createMainWindow);

// The failure prompt: Yes opens the connection dialog, No ends.
void ReportStartupFailure(const QString& errorText);
