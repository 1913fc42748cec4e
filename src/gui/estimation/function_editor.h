#pragma once

#include "calc/estimate_calc.h"
#include "common/dialog_placement.h"
#include "function/function_save.h"

#include <QString>
#include <array>

struct AppState;
class CocomoRangeRow;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RowListPanel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Function-point row keys carry the row's kind and complexity: "f03-02-0007" is kind 3,
// complexity 2, the seventh key made in this window. The counter only grows, so keys stay
// unique within a window.
QString MakeFpKey(int& counter, int kind, int complexity);
int FpKeyKind(const QString& key);
int FpKeyComplex(const QString& key);

// frmFunc: one function of the current project, created (FuncEditMode 0) or edited (1), sized
// by function points and COCOMO II and priced per process or from the member assignments.
class FunctionEditor : public GuardedDialog {
    Q_OBJECT
public:
    FunctionEditor(AppState& state, QWidget* parent = nullptr);

    // false when loading failed; the error has been reported and the window is not to be shown.
    bool isReady() const { return m_ready; }

    // The figures on screen, as a save would store them.
    EstimateResult currentEstimate() const;

    void editFpRow(int op);      // 0 add, 1 update, 2 delete
    bool saveFunction(int mode); // 0 new, 1 update, 2 delete
    void confirmDelete();
    void openAssignments(int row); // the work assignment dialog of one process row

protected:
    int updatingMode() const override;

private:
    struct ProcessRow {
        QLabel* name = nullptr;
        QLineEdit* hours = nullptr;
        QLabel* hoursUnit = nullptr;
        QLabel* times = nullptr;
        QLineEdit* unitPrice = nullptr;
        QLabel* yenUnit = nullptr;
        QLabel* equals = nullptr;
        QLabel* price = nullptr;
        QLabel* priceUnit = nullptr;
        QLabel* chargedHours = nullptr;
        QPushButton* assign = nullptr;
        int code = 0; // the process code (MDIV 7); 0 for a row without a process in use
        bool visible = false;
    };

    void buildUi();
    QWidget* buildBasePage();
    QWidget* buildHoursPage();
    QWidget* buildFpPage();
    QWidget* buildAdjustPage();
    QWidget* buildCocomoPage();
    QWidget* buildSummary();

    bool runLoad();
    void load();
    void loadCharges();
    void clearCharges();
    void applyChargeLayout();
    void loadDrivers();
    void loadProcesses();
    void loadNewFunction();
    void loadExistingFunction();
    void loadFpList();
    void lookupLanguage();

    void recalc();
    EstimateInput estimateInput() const;
    FunctionData collect(const EstimateResult& result) const;
    bool checkInputs();

    void fpRowClicked(QTreeWidgetItem* item);
    void onClassChanged(int index);
    void onLanguageChanged();
    void onScaleChanged(int index);
    void onCostChanged(int index);
    void onTabChanged(int index);

    AppState& m_state;
    bool m_ready = false;
    bool m_loaded = false;
    bool m_chargeMode = false;
    int m_langCoef = 0;
    int m_fpKeyCounter = 0;
    QString m_shownOverflow;

    double m_scaleValue[6][6] = {};
    double m_costValue[18][6] = {};
    std::array<double, kScaleDrivers> m_scaleShown{};
    std::array<double, kCostDrivers> m_costShown{};
    std::array<double, kCorrectionClasses> m_classCoef{};

    QTabWidget* m_tabs = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_description = nullptr;
    std::array<QComboBox*, kCorrectionClasses> m_classCombos{};
    std::array<QLabel*, kCorrectionClasses> m_coefLabels{};
    QComboBox* m_lang = nullptr;
    QCheckBox* m_reserve = nullptr;

    std::array<ProcessRow, kProcessRows> m_rows;
    QGridLayout* m_hoursGrid = nullptr;
    QLabel* m_hoursTotal = nullptr;
    QLabel* m_hoursTotalUnit = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_correction = nullptr;
    QLabel* m_correctedTotal = nullptr;
    QLineEdit* m_discount = nullptr;
    QLabel* m_price = nullptr;
    QWidget* m_coefChain = nullptr;
    QWidget* m_hoursLine = nullptr;
    QList<QWidget*> m_totalRowLabels;
    QList<QWidget*> m_totalYenLabels;

    QLineEdit* m_fpTitle = nullptr;
    QComboBox* m_fpKind = nullptr;
    QComboBox* m_fpComplex = nullptr;
    RowListPanel* m_fp = nullptr;

    std::array<QComboBox*, kAdjustFactors> m_adjust{};
    QLabel* m_adjustTotal = nullptr;
    QLabel* m_adjustResult = nullptr;

    std::array<QComboBox*, kScaleDrivers> m_scale{};
    std::array<QLabel*, kScaleDrivers> m_scaleLabel{};
    std::array<QComboBox*, kCostDrivers> m_cost{};
    std::array<QLabel*, kCostDrivers> m_costLabel{};
    QLabel* m_coUfp = nullptr;
    QLabel* m_coLang = nullptr;
    QLabel* m_coScale = nullptr;
    QLabel* m_coCost = nullptr;
    QLabel* m_coMtoH = nullptr;
    QLabel* m_coHours = nullptr;
    CocomoRangeRow* m_range = nullptr;
    double m_cocomoA = kCocomoA; // the team's calibrated constant, or the standard one

    QLabel* m_ufp = nullptr;
    QLabel* m_fpCoef = nullptr;
    QLabel* m_adjustedFp = nullptr;
    QLabel* m_loc = nullptr;
    QLabel* m_cocomoHour = nullptr;
    QLabel* m_plannedHour = nullptr;
    QLabel* m_remHour = nullptr;

    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_delete = nullptr;
};
