#pragma once

#include "accuracy/project_analysis.h"
#include "common/dialog_placement.h"

class QChartView;
class QTreeWidget;
struct AppState;

// frmAnalysis "プロジェクトの分析": the selected project's functions with their planned, COCOMO
// (楽観 / 標準 / 悲観) and actual hours and the total (lvwAnalysis, chart chtHours), and the
// order amount with its parts under the policy (lvwAmount, chart chtAmount); the lists as CSV
// (cmdCsv), the charts as PNG (cmdPngHours, cmdPngAmount).
class AnalysisDialog : public PlacedDialog {
    Q_OBJECT
public:
    // Raises DbError when the figures cannot be read.
    AnalysisDialog(AppState& state, QWidget* parent = nullptr);

    const ProjectAnalysis& analysis() const { return m_analysis; }

private:
    void showLists();

    ProjectAnalysis m_analysis;
    QTreeWidget* m_hours;
    QTreeWidget* m_amounts;
    QChartView* m_hoursChart;
    QChartView* m_amountChart;
};
