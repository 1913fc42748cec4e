#pragma once

#include "common/dialog_placement.h"
#include "function/function_draft.h"
#include "function/function_repository.h"

#include <QString>

struct AppState;
class FunctionAdjustPage;
class FunctionBasePage;
class FunctionCocomoPage;
class FunctionHoursPage;
class FunctionPointsPage;
class FunctionSummary;
class QPushButton;
class QTabWidget;

// frmFunc: one function of the current project, created (FuncEditMode 0) or edited (1), sized
// by function points and COCOMO II and priced per process or from the member assignments. Its
// pages show and change one draft of the function; the figures follow every change.
class FunctionEditor : public GuardedDialog {
    Q_OBJECT
public:
    FunctionEditor(AppState& state, QWidget* parent = nullptr);
    ~FunctionEditor() override;

    // false when loading failed; the error has been reported and the window is not to be shown.
    bool isReady() const { return m_ready; }

    bool saveFunction(int mode); // 0 new, 1 update, 2 delete
    void confirmDelete();
    void openAssignments(int row); // the work assignment dialog of one process row

protected:
    int updatingMode() const override;

private:
    void buildUi();
    bool load();
    void recalc();
    bool checkInputs();
    void lookupClass(int i);
    void lookupLanguage();
    void onTabChanged(int index);

    AppState& m_state;
    FunctionRepository m_repository;
    FunctionDraft m_draft;
    bool m_ready = false;
    bool m_loaded = false;
    QString m_shownOverflow;

    QTabWidget* m_tabs = nullptr;
    FunctionBasePage* m_base = nullptr;
    FunctionHoursPage* m_hours = nullptr;
    FunctionPointsPage* m_points = nullptr;
    FunctionAdjustPage* m_adjust = nullptr;
    FunctionCocomoPage* m_cocomo = nullptr;
    FunctionSummary* m_summary = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_delete = nullptr;
};
