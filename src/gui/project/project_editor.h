#pragma once

#include "common/dialog_placement.h"
#include "project/project_stored.h"

class BasePage;
class ContractPage;
class DeliverablePage;
class ExpensePage;
class MemberPage;
class QLabel;
class QPushButton;
class QTabWidget;
class SchedulePage;
struct AppState;

// frmProj: creates, changes or deletes a project with its members, dates, contract options,
// deliverables and expenses. Nothing but the quick master registrations of the member and
// expense tabs reaches the database before the save, which writes everything in one
// transaction. EditMode 0 opens a new project under state.ProposedParent, 1 the project
// state.CurProject.
class ProjectEditor : public GuardedDialog {
    Q_OBJECT
public:
    explicit ProjectEditor(AppState& state, QWidget* parent = nullptr);
    ~ProjectEditor() override;

    // Returns at once when the project could not be loaded (the reason was shown).
    int exec() override;
    bool loadFailed() const { return m_loadFailed; }

    // 0 inserts, 1 updates, 2 deletes; closes the window on success.
    void ProjectSave(int mode);

protected:
    int updatingMode() const override;

private:
    void load();
    bool loadProjectRow();
    bool validateAll();
    // Why the prices of the project's functions must follow this save; empty when they need not.
    QString repricingReason();
    void tabChanged(int index);
    void askDelete();
    void openQuotation();

    AppState& m_state;
    QTabWidget* m_tabs;
    BasePage* m_base;
    MemberPage* m_members;
    SchedulePage* m_dates;
    ContractPage* m_contract;
    DeliverablePage* m_deliverables;
    ExpensePage* m_expenses;
    QLabel* m_personnelTotal;
    QLabel* m_expenseTotals[2];
    QLabel* m_contractTotal;
    QLabel* m_deliverableTotal;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_delete;
    QPushButton* m_calc;
    // The project row as loaded; empty for a new project.
    LoadedProject m_loaded;
    int OrigParent = 0;
    QString OrigName;
    bool m_loadFailed = false;
};
