#pragma once

#include <optional>

class QWidget;

// --help and --version, answered before the application object exists, since that needs a
// display. Returns the exit code when the program ends here.
std::optional<int> AnswerCommandLine(int& argc, char* argv[]);

// With VORNA_QUIT_WHEN_SHOWN set, the program prints where it stands once its main window is up
// and ends: the package test starts the installed program this way.
void QuitWhenShownIfAsked(QWidget* window);
