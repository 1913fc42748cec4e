#pragma once

#include "common/dialog_placement.h"

struct AppState;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

// frmPolicy: the calculation policy, on three tabs (net profit, profit rate, hours). Changes
// reach the policy only through save; Esc and the cancel button leave it as it was.
class PolicyDialog : public GuardedDialog {
    Q_OBJECT
public:
    PolicyDialog(AppState& state, QWidget* parent = nullptr);

    void save(); // cmdOK

protected:
    int updatingMode() const override { return 1; }

private:
    void loadPolicy();
    void enableOutlayOptions();
    Policy readPolicyFromDialog() const;

    AppState& m_state;
    QTabWidget* m_tabs;
    QCheckBox* m_work;
    QCheckBox* m_indirect;
    QCheckBox* m_base;
    QCheckBox* m_opt;
    QCheckBox* m_deliv;
    QCheckBox* m_expe[2];
    QRadioButton* m_input;
    QRadioButton* m_workRate;
    QRadioButton* m_output;
    QCheckBox* m_workR;
    QCheckBox* m_indirectR;
    QCheckBox* m_baseR;
    QCheckBox* m_optR;
    QCheckBox* m_delivR;
    QCheckBox* m_expeR[2];
    QComboBox* m_charge;
    QCheckBox* m_hour;
    QLineEdit* m_mtoH;
};
