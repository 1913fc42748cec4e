#include "program_start.h"

#include "help/help.h"
#include "program/command_line.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

std::optional<int> AnswerCommandLine(int& argc, char* argv[])
{
    const QCoreApplication probe(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("VORNA sizes, plans and prices software development work.\n"
                       "Without options it opens its main window on the database of this user's settings."));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return CommandLine::read(parser, probe.arguments(), {0, true}, out, err);
}

void QuitWhenShownIfAsked(QWidget* window)
{
    if (!qEnvironmentVariableIsSet("VORNA_QUIT_WHEN_SHOWN")) {
        return;
    }
    QTimer::singleShot(0, window, [window] {
        QTextStream(stdout) << window->objectName() << (window->isVisible() ? " shown" : " hidden")
                            << "\ndesktop " << QGuiApplication::desktopFileName() << "\nclass "
                            << QCoreApplication::applicationName() << "\nhelp " << Help::folder() << Qt::endl;
        QCoreApplication::exit(window->isVisible() ? 0 : 1);
    });
}
