#pragma once

#include "calc/estimate_calc.h"
#include "function/code_choice.h"
#include "function/fp_rows.h"

#include <QObject>
#include <QString>
#include <array>
#include <optional>

struct FunctionData;

// A row of the hours page: the process it stands for and what its boxes hold.
struct ProcessRowDraft {
    bool inUse = false; // the row stands for a process in use
    int code = 0;       // the process code (MDIV 7); 0 for a row without a process in use
    QString name;
    bool shown = false; // in use, or holding assignments
    QString hourText;
    QString unitPriceText;
};

// A COCOMO driver: its ranks (code NDRANK, label of division 15) and the value of each rank.
struct CocomoDriver {
    static constexpr int kRanks = 6;
    CodeChoice ranks;
    std::array<double, kRanks> values{};
    // The value of the chosen rank; 0 when none is chosen.
    double value() const;
};

// The function open in the function editor, as the user has it so far: what the editor's pages
// show and change, with the lookups the figures need (class coefficients, the language's
// coefficient, the driver values). The pages share it; the estimate and the save are read
// from it. The member assignments stay in the program state, where the work assignment
// dialog edits them.
class FunctionDraft : public QObject {
    Q_OBJECT
public:
    FunctionDraft(const ChargeTable& charges, bool chargeMode, int mtoH, QObject* parent = nullptr);

    bool chargeMode() const { return m_chargeMode; }

    // Basics.
    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    const QString& description() const { return m_description; }
    void setDescription(const QString& text) { m_description = text; }
    bool onHold() const { return m_onHold; }
    void setOnHold(bool onHold) { m_onHold = onHold; }
    CodeChoice& correctionClass(int i) { return m_classes[i]; }
    const CodeChoice& correctionClass(int i) const { return m_classes[i]; }
    void chooseClass(int i, int index);
    const QString& classCoefficientText(int i) const { return m_classCoefText[i]; }
    void setClassCoefficient(int i, const QString& shown, double value);
    CodeChoice& language() { return m_language; }
    const CodeChoice& language() const { return m_language; }
    void chooseLanguage(int index);
    void setLanguageCoefficient(int coefficient);

    // Hours and prices.
    ProcessRowDraft& process(int row) { return m_processes[row]; }
    const ProcessRowDraft& process(int row) const { return m_processes[row]; }
    void setHourText(int row, const QString& text);
    void setUnitPriceText(int row, const QString& text);
    const QString& discountText() const { return m_discount; }
    void setDiscountText(const QString& text);
    // The assignments changed where they are kept.
    void chargesEdited() { emit figuresChanged(); }

    // Function points and their adjustment.
    FpRowList& fpRows() { return m_fpRows; }
    const FpRowList& fpRows() const { return m_fpRows; }
    CodeChoice& adjustment(int i) { return m_adjust[i]; }
    const CodeChoice& adjustment(int i) const { return m_adjust[i]; }
    void chooseAdjustment(int i, int index);

    // COCOMO.
    CocomoDriver& scaleDriver(int i) { return m_scale[i]; }
    const CocomoDriver& scaleDriver(int i) const { return m_scale[i]; }
    CocomoDriver& costDriver(int i) { return m_cost[i]; }
    const CocomoDriver& costDriver(int i) const { return m_cost[i]; }
    void chooseScaleRank(int i, int index);
    void chooseCostRank(int i, int index);
    // The team's calibrated constant A, or none: the standard one.
    void setCalibratedA(std::optional<double> a) { m_calibratedA = a; }
    bool calibrated() const { return m_calibratedA.has_value(); }
    double cocomoA() const { return m_calibratedA.value_or(kCocomoA); }

    EstimateResult estimate() const;
    // What a save writes, with the figures of the estimate.
    FunctionData dataToSave(const EstimateResult& figures) const;

signals:
    // An input of the estimate changed.
    void figuresChanged();
    // A class or the language was chosen: its coefficient is to be looked up.
    void classChosen(int i);
    void languageChosen();
    void classCoefficientChanged(int i);

private:
    const ChargeTable& m_charges;
    const bool m_chargeMode;
    const int m_mtoH;
    std::optional<double> m_calibratedA;

    QString m_title;
    QString m_description;
    bool m_onHold = false;
    std::array<CodeChoice, kCorrectionClasses> m_classes;
    std::array<QString, kCorrectionClasses> m_classCoefText;
    std::array<double, kCorrectionClasses> m_classCoef{};
    CodeChoice m_language;
    int m_langCoef = 0;

    std::array<ProcessRowDraft, kProcessRows> m_processes;
    QString m_discount;

    FpRowList m_fpRows;
    std::array<CodeChoice, kAdjustFactors> m_adjust;

    std::array<CocomoDriver, kScaleDrivers> m_scale;
    std::array<CocomoDriver, kCostDrivers> m_cost;
};
