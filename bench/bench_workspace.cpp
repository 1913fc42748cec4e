// Times the program's work on the benchmark database (see README.md):
//   vorna-bench-workspace [--rounds N] [--only TEXT] "<connection string>"
// Start to the first window, the project tree, a click on the biggest project, opening and
// saving the project editor and the function editor on it (and showing the function editor again
// without reading: the floor of an opening), the recalculation of every project in both "Charge"
// modes and of the biggest project. Beside each: its limit, the set-based
// statements that return the same data or make the same change, timed in the same run, and the
// ratio. Runs offscreen unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb). The database is
// changed only by the saves (which write what was there) and the recalculations.

#include "bench_timing.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_upgrade.h"
#include "estimation/function_editor.h"
#include "project/project_editor.h"
#include "settings/settings.h"
#include "state/app_state.h"
#include "workspace/main_window.h"
#include "workspace/recalculation.h"
#include "workspace/workspace_panes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

namespace {

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (ItemKey(*it) == key) {
            return *it;
        }
    }
    return nullptr;
}

QStringList writesOf(const QStringList& statements)
{
    QStringList writes;
    for (const QString& sql : statements) {
        if (!sql.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive) &&
            !sql.startsWith(QLatin1String("WITH"), Qt::CaseInsensitive)) {
            writes << sql;
        }
    }
    return writes;
}

QStringList ownRows(const QStringList& tables, const QString& where)
{
    QStringList reads;
    for (const QString& table : tables) {
        reads << QStringLiteral("SELECT * FROM ") + table + where;
    }
    return reads;
}

// Notes the first paint of one window.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* window) : m_window(window) { window->installEventFilter(this); }
    ~PaintWatch() override { m_window->removeEventFilter(this); }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;
    bool painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint) {
            m_painted = true;
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_painted = false;
};

// Shows a window and handles events until it has been painted (two seconds at most). Offscreen
// the first paint comes with the show's own events; under X it waits for the server's expose
// event, which one round of event handling right after the show may not have yet: the opening
// would then be timed without its paint, which the next round's preparation would take.
void ShowPainted(QWidget* window)
{
    const PaintWatch watch(window);
    QTimer wakeUp; // event waits end at least this often
    wakeUp.start(20);
    QElapsedTimer waited;
    waited.start();
    window->show();
    QCoreApplication::processEvents();
    while (!watch.painted() && waited.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Handles the events that arrive within a tenth of a second, such as an X server's answers.
void Settle()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

class Bench {
public:
    Bench(AppState& state, int rounds, const QString& only, QTextStream& out)
        : m_state(state), m_rounds(rounds), m_only(only), m_out(out)
    {
    }

    // With --only, just the operations whose name holds its text are timed (a profiler can then
    // watch one of them); the others run once, untimed.
    bool wanted(const char* what) const
    {
        return m_only.isEmpty() || QString::fromUtf8(what).contains(m_only);
    }

    // Times the work and its limit, counts the statements the work sends, prints one line.
    void run(const char* what, const std::function<void()>& prepare, const std::function<void()>& work,
             const Limit& limit)
    {
        if (prepare) {
            prepare();
        }
        if (!wanted(what)) {
            work(); // once, untimed: what follows finds the program as a full run leaves it
            return;
        }
        const int statements = StatementsOf(work).size();
        // What the preparation leaves to the window system (under X the repaint of what a closed
        // editor uncovered) is its own, not the timed work's: it is let through first.
        const auto prepareAndSettle = [&] {
            if (prepare) {
                prepare();
            }
            Settle();
        };
        const Figures f = Measure(m_rounds, prepareAndSettle, work);
        // The limit starts from the same quiet as the work.
        const Figures l = Measure(m_rounds, Settle, [&] { RunLimit(m_state.conn(), limit); });
        const double ratio = f.median / qMax(0.1, l.median);
        m_out << QStringLiteral("%1 %2 ms (%3-%4) cpu %5 | limit %6 ms | x%7 | %8 statements\n")
                     .arg(QString::fromUtf8(what), -36)
                     .arg(f.median, 8, 'f', 1)
                     .arg(f.best, 0, 'f', 1)
                     .arg(f.worst, 0, 'f', 1)
                     .arg(f.cpuMedian, 6, 'f', 0)
                     .arg(l.median, 8, 'f', 1)
                     .arg(ratio, 5, 'f', 1)
                     .arg(statements, 6);
        m_out.flush();
    }

private:
    AppState& m_state;
    int m_rounds;
    QString m_only;
    QTextStream& m_out;
};

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
    QString only;
    while (args.size() >= 2 &&
           (args.first() == QLatin1String("--rounds") || args.first() == QLatin1String("--only"))) {
        if (args.first() == QLatin1String("--rounds")) {
            rounds = qMax(1, args[1].toInt());
        } else {
            only = args[1];
        }
        args = args.mid(2);
    }
    if (args.size() != 1) {
        err << "usage: vorna-bench-workspace [--rounds N] [--only TEXT] \"<connection string>\"\n";
        return 2;
    }

    // The benchmark keeps away from the user's own settings.
    QTemporaryDir settings;
    Settings::setFilePath(settings.filePath(QStringLiteral("vorna.ini")));
    Messages::setAutoAnswer(true);

    try {
        AppState state;
        state.Conn = DbConnection::open(ConnectionParams::parse(args.first()));
        DbConnection& conn = state.conn();
        // A database made by an earlier version is brought up to date, as the program does at
        // its start.
        UpgradeSchema(conn);
        Bench bench(state, rounds, only, out);

        // The biggest project and its first function.
        Recordset biggest = OpenRs(conn, QStringLiteral("SELECT NPROJECT, COUNT(*) AS CNT FROM TFUNCTION "
                                                        "GROUP BY NPROJECT ORDER BY CNT DESC, NPROJECT"));
        const int big = biggest.key(QStringLiteral("NPROJECT"));
        const int bigCount = biggest.field(QStringLiteral("CNT")).toInt();
        const int function =
            OpenRs(conn, QStringLiteral("SELECT MIN(NFUNCTION) AS F FROM TFUNCTION WHERE NPROJECT = ") +
                             QString::number(big))
                .key(QStringLiteral("F"));
        const QString inBig = QStringLiteral(" WHERE NPROJECT = ") + QString::number(big);
        const QString ofFunction = inBig + QStringLiteral(" AND NFUNCTION = ") + QString::number(function);
        out << "engine " << EngineName(conn.engine()) << ", platform " << QGuiApplication::platformName()
            << ", " << rounds << " rounds; projects "
            << OpenRs(conn, QStringLiteral("SELECT COUNT(*) AS N FROM TPROJECT"))
                   .field(QStringLiteral("N"))
                   .toInt()
            << ", functions "
            << OpenRs(conn, QStringLiteral("SELECT COUNT(*) AS N FROM TFUNCTION"))
                   .field(QStringLiteral("N"))
                   .toInt()
            << "; biggest project P" << big << " with " << bigCount << " functions\n";

        const Limit tree{
            {QStringLiteral("SELECT NPROJECT, NPARPROJ, CPROJNAME FROM TPROJECT ORDER BY NSORT, NPROJECT")},
            {}};
        std::unique_ptr<MainWindow> window;
        bench.run(
            "start to the first window", [&] { window.reset(); },
            [&] {
                window = std::make_unique<MainWindow>(state);
                ShowPainted(window.get());
            },
            tree);
        auto* treeView = window->findChild<QTreeWidget*>(QStringLiteral("tvwPList"));
        bench.run(
            "build the project tree", nullptr, [&] { window->panes().BuildProjectTree(); }, tree);

        const QString bigKey = QStringLiteral("P") + QString::number(big);
        Limit click{
            {QStringLiteral("SELECT NFUNCTION, CVALID, CSFUNC, NNUP, NIMP, NDEF, NRSK, NTRM, NHTOTAL, NPRICE "
                            "FROM TFUNCTION") +
             inBig + QStringLiteral(" ORDER BY NSORT,NFUNCTION ASC")},
            {}};
        click.reads << ownRows({QStringLiteral("TPROJECT"), QStringLiteral("TMEMBER"),
                                QStringLiteral("TEXPENSE"), QStringLiteral("TCONTRACT"),
                                QStringLiteral("TDELIV")},
                               inBig);
        bench.run(
            "click the biggest project",
            [&] { treeView->setCurrentItem(findNode(treeView, QStringLiteral("ROOT"))); },
            [&] {
                treeView->setCurrentItem(findNode(treeView, bigKey));
                QCoreApplication::processEvents();
            },
            click);

        std::unique_ptr<ProjectEditor> projectEditor;
        const auto openProject = [&] {
            state.EditMode = 1;
            state.CurProject = big;
            projectEditor = std::make_unique<ProjectEditor>(state, window.get());
            ShowPainted(projectEditor.get());
        };
        Limit projectData{
            {QStringLiteral("SELECT NPROJECT, NPARPROJ, CPROJNAME FROM TPROJECT ORDER BY NSORT, "
                            "NPARPROJ, NPROJECT")},
            {}};
        projectData.reads << ownRows({QStringLiteral("TPROJECT"), QStringLiteral("TMEMBER"),
                                      QStringLiteral("TEXPENSE"), QStringLiteral("TCONTRACT"),
                                      QStringLiteral("TDELIV"), QStringLiteral("TDATE")},
                                     inBig)
                          << ownRows({QStringLiteral("MCUSTOMER"), QStringLiteral("MPRIBASE"),
                                      QStringLiteral("MMEMBER"), QStringLiteral("MITEM"),
                                      QStringLiteral("MDIV")},
                                     QString());
        bench.run(
            "open the project editor", [&] { projectEditor.reset(); }, openProject, projectData);
        const QStringList projectSave = writesOf(StatementsOf([&] {
            openProject();
            projectEditor->ProjectSave(1);
        }));
        bench.run(
            "save the project editor", openProject, [&] { projectEditor->ProjectSave(1); },
            Limit{{}, projectSave});
        projectEditor.reset();

        std::unique_ptr<FunctionEditor> functionEditor;
        const auto openFunction = [&] {
            state.CurProject = big;
            state.CurFunction = function;
            state.FuncEditMode = 1;
            functionEditor = std::make_unique<FunctionEditor>(state, window.get());
            ShowPainted(functionEditor.get());
        };
        Limit functionData{
            ownRows({QStringLiteral("TFUNCTION"), QStringLiteral("TFP"), QStringLiteral("TFPADJ"),
                     QStringLiteral("TCOCOMO"), QStringLiteral("THOUR"), QStringLiteral("TCHARGE"),
                     QStringLiteral("TDATE")},
                    ofFunction),
            {}};
        functionData.reads << ownRows({QStringLiteral("TMEMBER")}, inBig)
                           << ownRows({QStringLiteral("MLANG"), QStringLiteral("MCOCOMO"),
                                       QStringLiteral("MDIV"), QStringLiteral("MFPMATRIX"),
                                       QStringLiteral("MPRIPROG")},
                                      QString());
        bench.run(
            "open the function editor", [&] { functionEditor.reset(); }, openFunction, functionData);
        // The floor of any opening: the editor built and filled already, hidden and shown again
        // (laid out and painted), reading nothing.
        bench.run(
            "show the function editor again", [&] { functionEditor->hide(); },
            [&] { ShowPainted(functionEditor.get()); }, functionData);
        const QStringList functionSave = writesOf(StatementsOf([&] {
            openFunction();
            functionEditor->saveFunction(1);
        }));
        bench.run(
            "save the function editor", openFunction, [&] { functionEditor->saveFunction(1); },
            Limit{{}, functionSave});
        functionEditor.reset();

        for (const bool charge : {false, true}) {
            const char* what =
                charge ? "recalculate all, member assignments" : "recalculate all, per process";
            if (!bench.wanted(what)) {
                continue;
            }
            state.policy.Charge = charge;
            const auto recalcAll = [&] { RecalcFunctionPrices(state, 0, window.get()); };
            const Limit limit{{}, writesOf(StatementsOf(recalcAll))};
            bench.run(what, nullptr, recalcAll, limit);
            const int before = ResidentMemoryMb();
            ResetPeakMemory();
            recalcAll();
            out << QStringLiteral("  memory: %1 MB before, peak %2 MB during\n")
                       .arg(before)
                       .arg(PeakMemoryMb());
        }
        state.CurProject = big;
        const auto recalcOne = [&] { RecalcFunctionPrices(state, big, window.get()); };
        bench.run("recalculate the biggest project", nullptr, recalcOne,
                  Limit{{}, writesOf(StatementsOf(recalcOne))});

        for (const auto& shown : Messages::shown()) {
            err << "a message was shown: " << shown.title << ": " << shown.text << "\n";
        }
        return Messages::shown().isEmpty() ? 0 : 1;
    } catch (const DbError& e) {
        err << e.description() << "\n" << e.statement().left(300) << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}
