#include "accuracy/accuracy_commands.h"

#include "accuracy/actual_dialog.h"
#include "accuracy/analysis_dialog.h"
#include "accuracy/calibration_dialog.h"
#include "common/db_error_report.h"
#include "common/messages.h"
#include "common/wait_cursor.h"
#include "state/app_state.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <optional>

namespace {

// Each dialog reads what it shows as it is built, under the hourglass, and is then run with
// the normal pointer.
template <typename Dialog>
QAction* command(QMainWindow* window, AppState& state, const char* name, const QString& caption,
                 bool forProject)
{
    auto* action = new QAction(caption, window);
    action->setObjectName(QString::fromLatin1(name));
    AppState* s = &state;
    QObject::connect(action, &QAction::triggered, window, [window, s, forProject] {
        if (forProject && s->CurProject == 0) {
            Messages::noProjectSelected(window);
            return;
        }
        RunHandler(window, [&] {
            std::optional<WaitCursor> loading(std::in_place);
            Dialog dialog(*s, window);
            loading.reset();
            dialog.exec();
        });
    });
    return action;
}

} // namespace

void AddAccuracyCommands(QMainWindow* window, AppState& state)
{
    QAction* actual =
        command<ActualDialog>(window, state, "mnuActual", QStringLiteral("実績工数の入力(&A)..."), true);
    QAction* analysis = command<AnalysisDialog>(window, state, "mnuAnalysis",
                                                QStringLiteral("プロジェクトの分析(&G)..."), true);
    QAction* calib =
        command<CalibrationDialog>(window, state, "mnuCalib", QStringLiteral("見積精度と校正(&E)..."), false);
    if (auto* project = window->findChild<QMenu*>(QStringLiteral("mnuProj"))) {
        project->addSeparator();
        project->addActions({actual, analysis});
    }
    if (auto* tool = window->findChild<QMenu*>(QStringLiteral("mnuTool"))) {
        tool->addSeparator();
        tool->addAction(calib);
    }
}
