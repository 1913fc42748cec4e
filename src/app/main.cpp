#include "foundation/app_state.h"
#include "foundation/guarded_application.h"
#include "foundation/help.h"
#include "foundation/startup.h"
#include "workspace/editors.h"
#include "workspace/main_window.h"

#include "version.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorna"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(VORNA_VERSION_MAJOR)
                                                .arg(VORNA_VERSION_MINOR)
                                                .arg(VORNA_VERSION_PATCH));
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
    return app.exec();
}
