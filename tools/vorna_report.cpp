#include "report_tool.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    ParsedReport parsed;
    {
        // The command line is read before any platform is loaded: --help needs no display.
        const QCoreApplication probe(argc, argv);
        parsed = ParseReportCommand(probe.arguments(), out, err);
    }
    if (parsed.exitCode) {
        return *parsed.exitCode;
    }
    std::unique_ptr<QCoreApplication> app;
    if (ReportDrawsPages(parsed.request)) {
        // Pages are drawn with fonts, not on a screen: without a platform of the user's choice
        // the tool runs offscreen, so that it needs no display.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return RunReport(parsed.request, out, err);
}
