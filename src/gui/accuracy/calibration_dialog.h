#pragma once

#include "accuracy/calibration_list.h"
#include "common/dialog_placement.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
struct AppState;

// frmCalib "見積精度と校正": every counted function with actual hours of the finished projects
// (lvwCalib), filtered by customer (cmbCust) and date finished (txtDateFrom, txtDateTo,
// cmdFilter); MMRE, PRED(25) and the number of functions of the planned and the COCOMO hours;
// the calibrated constant with the accuracy it would give; "この定数を使用する" (cmdUseA) and
// "標準値に戻す" (cmdResetA); the chart chtCalib; the list as CSV (cmdCsv), the chart as PNG
// (cmdPng).
class CalibrationDialog : public PlacedDialog {
    Q_OBJECT
public:
    // Raises DbError when the list cannot be read.
    CalibrationDialog(AppState& state, QWidget* parent = nullptr);

    const CalibrationList& list() const { return m_list; }

    void reload();        // cmdFilter
    void useCalibrated(); // cmdUseA
    void resetConstant(); // cmdResetA

    static QString tooFew();

private:
    QWidget* buildFigures();
    bool readFilter(CalibrationFilter* filter);
    void showList();

    AppState& m_state;
    CalibrationFilter m_filter;
    CalibrationList m_list;
    bool m_stored = false;
    QComboBox* m_customer;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QTreeWidget* m_rows;
    QLabel* m_figures[3][3]; // planned, COCOMO, COCOMO calibrated x MMRE, PRED(25), count
    QLabel* m_inUse;
    QLabel* m_calibrated;
    QLabel* m_note;
    QPushButton* m_use;
    QPushButton* m_reset;
    QChartView* m_chart;
};
