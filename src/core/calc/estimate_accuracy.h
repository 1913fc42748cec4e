#pragma once

#include <QString>
#include <QVector>
#include <optional>

// How well estimates matched the hours a finished function actually took, the COCOMO constant A
// fitted to them, and the range an estimate is shown with.

// The post-architecture bounds of the COCOMO II tool: 楽観 0.80 x, 標準 1.00 x, 悲観 1.25 x.
constexpr double kOptimisticFactor = 0.80;
constexpr double kPessimisticFactor = 1.25;

// PRED(25): the share of estimates within 25 % of the actual hours.
constexpr double kPredLimit = 0.25;

// The fewest finished functions with a size that calibrate the constant.
constexpr int kCalibrationMinimum = 5;

// The COCOMO constant as the windows show it: "2.94" for the standard, three decimals for a
// calibrated one.
QString CocomoAText(double a);

struct HourRange {
    double optimistic = 0;
    double likely = 0;
    double pessimistic = 0;
};
HourRange CocomoRange(double hours);

// |actual - estimate| / actual; actual must be above 0.
double RelativeError(double actual, double estimate);

struct AccuracyFigures {
    int count = 0;
    double mmre = 0;   // mean of the relative errors
    double pred25 = 0; // share (0...1) of relative errors up to kPredLimit
};
// Over pairs of actual (above 0) and estimated hours, in the same order.
AccuracyFigures Accuracy(const QVector<double>& actuals, const QVector<double>& estimates);

// A finished function as its COCOMO page sizes it.
struct CalibrationPoint {
    double actualHours = 0;
    double kStep = 0;
    double scaleExp = 0;
    double effortMult = 0;
};

// Whether a function can take part in the calibration: actual hours, a size and drivers.
bool Calibrates(const CalibrationPoint& point);

// The locally calibrated A with the exponent rule unchanged: ln A = mean over the functions of
// ln PM_actual - ln(KStep ^ E x EM), PM_actual = actual hours / hours per person-month. Nothing
// with fewer than kCalibrationMinimum functions that calibrate or without hours per month.
std::optional<double> CalibratedConstant(const QVector<CalibrationPoint>& points, int hoursPerMonth);
