#pragma once

#include "accuracy/actual_hours.h"
#include "common/dialog_placement.h"

#include <QVector>

class QCheckBox;
class QLabel;
class QLineEdit;
struct AppState;

// frmActual "実績工数入力": the actual hours of the selected project's counted functions per
// process in use (txtActual_<row>_<process column>), beside each row its planned hours
// (lvlPlanned_<row>) and the total of its actuals (lvlActTotal_<row>), and whether the project
// is finished (chkDone) and when (txtDoneDate). Saved in one transaction.
class ActualDialog : public GuardedDialog {
    Q_OBJECT
public:
    // Raises DbError when the sheet cannot be read.
    ActualDialog(AppState& state, QWidget* parent = nullptr);

    void save(); // cmdOK

protected:
    int updatingMode() const override { return 1; }

private:
    QWidget* buildGrid();
    void showTotals();
    bool readSheet(ActualSheet* sheet);

    AppState& m_state;
    int m_project;
    ActualSheet m_sheet;
    QVector<QVector<QLineEdit*>> m_cells;
    QVector<QLabel*> m_rowTotals;
    QLabel* m_plannedAll = nullptr;
    QLabel* m_actualAll = nullptr;
    QCheckBox* m_done;
    QLineEdit* m_doneDate;
};
