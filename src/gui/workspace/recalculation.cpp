#include "workspace/recalculation.h"

#include "common/db_error_report.h"
#include "common/wait_cursor.h"
#include "state/app_state.h"
#include "workspace/price_recalc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <memory>

namespace {

// The bar appears only when the work runs long enough to be noticed.
constexpr int kProgressDelayMs = 400;

class ProgressBar {
public:
    ProgressBar(bool wanted, QWidget* parent)
        : m_wanted(wanted && qobject_cast<QApplication*>(qApp)), m_parent(parent)
    {
    }

    void start(int steps)
    {
        if (!m_wanted || steps <= 0) {
            return;
        }
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setWindowTitle(QStringLiteral("VORNA"));
        m_dialog->setLabelText(QStringLiteral("全プロジェクトの機能項目の価格を再計算しています..."));
        m_dialog->setCancelButton(nullptr);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(kProgressDelayMs);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setRange(0, steps);
        m_dialog->setValue(0);
        m_sinceUpdate.start();
    }

    // Once shown, every update repaints the bar; a few updates a second are enough.
    void step()
    {
        ++m_done;
        if (m_dialog && m_sinceUpdate.elapsed() >= 50) {
            m_dialog->setValue(m_done);
            m_sinceUpdate.start();
        }
    }

private:
    bool m_wanted;
    QWidget* m_parent;
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_sinceUpdate;
    int m_done = 0;
};

} // namespace

void RecalcFunctionPrices(AppState& state, int project, QWidget* parent)
{
    const WaitCursor wait;
    ProgressBar bar(project == 0, parent);
    RecalcProgress progress;
    progress.start = [&bar](int steps) { bar.start(steps); };
    progress.step = [&bar] { bar.step(); };
    try {
        RecalculatePrices(state.conn(), state.policy.Charge, project, progress);
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), parent);
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), parent);
    }
}
