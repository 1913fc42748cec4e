#pragma once

#include "calc/charge_table.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <array>

// The estimate of one function: the size strand (function points, KStep, COCOMO hours; shown
// for reference, never saved) and the plan strand (hours and prices per process, the total,
// the correction, the discount and the price; saved). Every figure is computed as the function
// editor shows it: operands that the editor shows rounded (the adjustment factor, the driver
// values, the class coefficients) are used as shown, and the saved totals are the shown ones.

constexpr int kProcessRows = 9;
constexpr int kAdjustFactors = 14;
constexpr int kScaleDrivers = 5;
constexpr int kCostDrivers = 17;
constexpr int kCorrectionClasses = 5;

// The value adjustment factor: kAdjustBase + kAdjustStep x the sum of the fourteen degrees.
constexpr double kAdjustBase = 0.65;
constexpr double kAdjustStep = 0.01;

// COCOMO II.2000: KStep = source steps / kStepsPerKStep; hours = KStep ^ (kCocomoB + kScaleStep x
// the sum of the scale factors) x kCocomoA x the product of the cost drivers x hours per month.
constexpr double kCocomoA = 2.94;
constexpr double kCocomoB = 0.91;
constexpr double kScaleStep = 0.01;
constexpr int kStepsPerKStep = 1000;

struct EstimateInput {
    QVector<double> fpWeights; // the points of each function-point row, in list order
    std::array<int, kAdjustFactors> adjustDegrees{};
    std::array<double, kScaleDrivers> scaleValues{}; // value of the chosen rank of each driver
    std::array<double, kCostDrivers> costValues{};
    int langCoef = 0; // source steps per function point
    std::array<double, kCorrectionClasses> classCoefficients{1, 1, 1, 1, 1};

    bool chargeMode = false;
    std::array<bool, kProcessRows> rowVisible{};      // rows on the hours page
    std::array<QString, kProcessRows> hourTexts;      // process mode
    std::array<QString, kProcessRows> unitPriceTexts; // process mode
    const ChargeTable* charges = nullptr;             // charge mode
    QString discountText;
    int mtoH = 160;
    double cocomoA = kCocomoA; // the constant in use: the standard or the team's calibrated one
};

struct EstimateResult {
    double ufp = 0;
    QString ufpText;
    double adjustTotal = 0;
    QString adjustTotalText;
    double vaf = 0; // as shown, two decimals
    QString vafText;
    QString fpText; // adjusted function points, display only
    double kStep = 0;
    QString kStepText;
    QString langText;
    double scaleExp = 0; // unrounded; the power uses it
    QString scaleExpText;
    double effortMult = 0;
    QString effortMultText;
    QString mtoHText;
    double cocomoHours = 0;
    QString cocomoHoursText;

    std::array<double, kProcessRows> processPrice{};
    std::array<QString, kProcessRows> processPriceText;
    std::array<double, kProcessRows> processHours{}; // charge mode: hours from the assignments
    std::array<QString, kProcessRows> processHoursText;
    double total = 0; // before correction, unrounded
    QString totalText;
    double correction = 0; // the product of the five coefficients
    QString correctionText;
    QString correctedTotalText;
    double price = 0; // after correction and discount, whole yen
    QString priceText;
    qint64 plannedHours = 0;
    QString plannedHoursText;
    QString remainingHoursText;

    // Hour boxes whose text exceeds the 16-bit range (those count 0 in the price), or a planned
    // total beyond 32 bits: the window shows the overflow warning, and a save refuses.
    QVector<int> overflowRows;
    bool totalOverflow = false;
    bool overflow() const { return !overflowRows.isEmpty() || totalOverflow; }

    // What the save stores: the shown figures read back.
    double savedTotal() const;
    double savedPrice() const { return price; }
    double savedHours() const { return static_cast<double>(plannedHours); }
};

EstimateResult CalculateEstimate(const EstimateInput& input);

// COCOMO hours: kStep ^ scaleExp x a x effortMult x hoursPerMonth; 0 without a size.
double CocomoHours(double kStep, double scaleExp, double effortMult, double a, int hoursPerMonth);

// The value adjustment factor of the fourteen degrees, as shown (two decimals).
double AdjustmentFactor(const std::array<int, kAdjustFactors>& degrees);

// A driver value or class coefficient as its label shows it ("1.10").
QString TwoDecimals(double value);
// The number such a label reads back as.
double ShownTwoDecimals(double value);

// The language coefficient of MLANG.NCOEF: a 16-bit integer (half to even). A value outside
// 1...32767 gives false (the window warns and counts 0 source steps).
bool LanguageCoefficient(const QVariant& ncoef, int* coefficient);

// The hours of a process in the price: the hours text as a 16-bit integer (half to even).
// A text that is no number counts 0; a number outside the 16-bit range gives false.
bool ProcessHours(const QString& text, int* hours);

// Sum of the assigned hours and hours x unit price of one process: slots 1, 2, ... up to the
// first empty one.
void ChargeProcessSums(const ChargeTable& table, int process, double* hours, double* price);
