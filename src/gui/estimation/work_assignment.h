#pragma once

#include <QDialog>

struct AppState;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RowListPanel;
class QTreeWidget;
class QTreeWidgetItem;

// frmCharge: the members assigned to one process (AppState::ChargeProc) of the function open in
// the function editor, with their hours. Works on AppState::chargeTable only; the function's
// save writes it to the database.
class WorkAssignment : public QDialog {
    Q_OBJECT
public:
    WorkAssignment(AppState& state, QWidget* parent = nullptr);

    // false when the members could not be read (reported); the dialog is not to be shown.
    bool isReady() const { return m_ready; }
    void setProcessName(const QString& name);

    void selectMember();        // the chosen member's free hours and unit price
    void editChargeRow(int op); // 0 add, 1 update, 2 delete
    void syncChargeTable();
    void fix();

    // "M0012": the row key of member 12.
    static QString MemberKey(int member);

private:
    void loadChargeList();
    void showMemberLeft();
    void rowClicked(QTreeWidgetItem* item);

    AppState& m_state;
    bool m_ready = false;
    bool m_selecting = false;
    double m_memberHours = 0;
    double m_memberPrice = 0;
    int m_member = 0;

    QLabel* m_process = nullptr;
    QComboBox* m_memberBox = nullptr;
    QLineEdit* m_hours = nullptr;
    QLabel* m_left = nullptr;
    RowListPanel* m_rows = nullptr;
    QPushButton* m_fix = nullptr;
    QPushButton* m_cancel = nullptr;
};
