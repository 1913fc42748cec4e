#pragma once

#include <QApplication>

// The program's one application object. An exception that escapes an event handler is the last
// thing that could end the program with everything typed lost: it is reported here instead (a
// database error as "ＤＢエラー", anything else as an unexpected error) and the program goes on.
// The handlers report their own failures first; this only catches what one of them missed.
class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
