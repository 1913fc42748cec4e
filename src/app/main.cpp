#include "program_start.h"

#include "common/guarded_application.h"
#include "common/icons.h"
#include "connection/startup.h"
#include "help/help.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"

#include "program/version.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(Settings::kApplication);
    QCoreApplication::setApplicationVersion(QStringLiteral(VORNA_VERSION_TEXT));
    if (const auto exitCode = AnswerCommandLine(argc, argv)) {
        return *exitCode;
    }

    GuardedApplication app(argc, argv);
    // The X11 window class is the application name: the desktop entry's StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vorna.vorna"));
    QGuiApplication::setWindowIcon(Icons::application());
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    // Standard buttons read はい / いいえ / キャンセル.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&qtTranslator);
    }
    Help::install(app);
    RegisterAllEditors();

    AppState state;
    QWidget* window = Main(state, [](AppState& s) { return new MainWindow(s); });
    if (!window) {
        return 0;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    QuitWhenShownIfAsked(window);
    return app.exec();
}
