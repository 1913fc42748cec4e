// Times the main window's work on the benchmark database (see README.md):
//   vorna-bench-workspace [--rounds N] "<connection string>"
// Building the project tree, a click on the project with 500 functions (the full list and
// the three summary panels), and the recalculation of every project in both "Charge" modes.
// The database is changed by the recalculation only; it ends in member-assignment mode.

#include "common/list_helpers.h"
#include "common/messages.h"
#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "workspace/main_window.h"
#include "workspace/recalculation.h"
#include "workspace/workspace_panes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>
#include <algorithm>
#include <ctime>
#include <functional>

namespace {

struct Figures {
    qint64 first = 0;
    qint64 best = 0;
    qint64 median = 0;
    qint64 worst = 0;
    qint64 cpuMedian = 0; // this process only: a server's own work is not in it
};

qint64 cpuMilliseconds()
{
    return static_cast<qint64>(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

Figures measure(int rounds, const std::function<void()>& prepare, const std::function<void()>& work)
{
    QList<qint64> times;
    QList<qint64> cpu;
    for (int i = 0; i < rounds; ++i) {
        if (prepare) {
            prepare();
        }
        QElapsedTimer clock;
        const qint64 cpuStart = cpuMilliseconds();
        clock.start();
        work();
        times << clock.elapsed();
        cpu << cpuMilliseconds() - cpuStart;
    }
    Figures f;
    std::sort(cpu.begin(), cpu.end());
    f.cpuMedian = cpu[cpu.size() / 2];
    f.first = times.first();
    std::sort(times.begin(), times.end());
    f.best = times.first();
    f.median = times[times.size() / 2];
    f.worst = times.last();
    return f;
}

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (ItemKey(*it) == key) {
            return *it;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = app.arguments().mid(1);
    int rounds = 5;
    if (args.size() >= 2 && args.first() == QLatin1String("--rounds")) {
        rounds = qMax(1, args[1].toInt());
        args = args.mid(2);
    }
    if (args.size() != 1) {
        err << "usage: vorna-bench-workspace [--rounds N] \"<connection string>\"\n";
        return 2;
    }

    // The benchmark keeps away from the user's own settings.
    QTemporaryDir settings;
    Settings::setFilePath(settings.filePath(QStringLiteral("vorna.ini")));
    Messages::setAutoAnswer(true);

    try {
        AppState state;
        state.Conn = DbConnection::open(ConnectionParams::parse(args.first()));
        MainWindow window(state);
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("tvwPList"));
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("lvwFList"));

        const auto line = [&](const char* what, const Figures& f, int target) {
            out << QStringLiteral("%1 first %2 ms, best %3, median %4, worst %5, cpu %6 (target %7 ms)\n")
                       .arg(QString::fromUtf8(what), -37)
                       .arg(f.first, 5)
                       .arg(f.best, 5)
                       .arg(f.median, 5)
                       .arg(f.worst, 5)
                       .arg(f.cpuMedian, 5)
                       .arg(target);
            out.flush();
        };

        out << "engine " << args.first().section(QLatin1Char(';'), 0, 0) << ", " << rounds << " rounds\n";
        line("build the project tree", measure(rounds, nullptr, [&] { window.panes().BuildProjectTree(); }),
             200);

        QTreeWidgetItem* root = findNode(tree, QStringLiteral("ROOT"));
        const Figures click = measure(
            rounds, [&] { tree->setCurrentItem(root); },
            [&] {
                tree->setCurrentItem(findNode(tree, QStringLiteral("P11")));
                QCoreApplication::processEvents();
            });
        line("click a project with 500 functions", click, 100);
        out << "  (" << list->topLevelItemCount() << " rows listed)\n";

        state.policy.Charge = false;
        line("recalculate all, per process",
             measure(rounds, nullptr, [&] { RecalcFunctionPrices(state, 0); }), 2000);
        state.policy.Charge = true;
        line("recalculate all, member assignments",
             measure(rounds, nullptr, [&] { RecalcFunctionPrices(state, 0); }), 2000);
        state.CurProject = 11;
        line("recalculate the 500-function project",
             measure(rounds, nullptr, [&] { RecalcFunctionPrices(state, 11); }), 2000);
        if (!Messages::shown().isEmpty()) {
            err << "a message was shown: " << Messages::last().text << "\n";
            return 1;
        }
        return 0;
    } catch (const DbError& e) {
        err << e.description() << "\n" << e.statement() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}
