#include "calc/estimate_accuracy.h"

#include "calc/estimate_calc.h"
#include "convert/conversions.h"

#include <cmath>

namespace {

// Hours are whole and estimates come from products of two-decimal values: an error of exactly
// 25 % must not fall out of PRED(25) through the last bit of a double.
constexpr double kTolerance = 1e-9;

} // namespace

QString CocomoAText(double a)
{
    return a == kCocomoA ? TwoDecimals(a) : FormatNumber(a, 3, false);
}

HourRange CocomoRange(double hours)
{
    return {hours * kOptimisticFactor, hours, hours * kPessimisticFactor};
}

double RelativeError(double actual, double estimate)
{
    return std::abs(actual - estimate) / actual;
}

AccuracyFigures Accuracy(const QVector<double>& actuals, const QVector<double>& estimates)
{
    AccuracyFigures figures;
    double sum = 0;
    int within = 0;
    for (int i = 0; i < actuals.size() && i < estimates.size(); ++i) {
        if (!(actuals.at(i) > 0)) {
            continue;
        }
        const double error = RelativeError(actuals.at(i), estimates.at(i));
        sum += error;
        if (error <= kPredLimit + kTolerance) {
            ++within;
        }
        ++figures.count;
    }
    if (figures.count > 0) {
        figures.mmre = sum / figures.count;
        figures.pred25 = static_cast<double>(within) / figures.count;
    }
    return figures;
}

bool Calibrates(const CalibrationPoint& point)
{
    return point.actualHours > 0 && point.kStep > 0 && point.effortMult > 0;
}

std::optional<double> CalibratedConstant(const QVector<CalibrationPoint>& points, int hoursPerMonth)
{
    if (hoursPerMonth <= 0) {
        return std::nullopt;
    }
    double sum = 0;
    int count = 0;
    for (const CalibrationPoint& p : points) {
        if (!Calibrates(p)) {
            continue;
        }
        const double personMonths = p.actualHours / hoursPerMonth;
        sum += std::log(personMonths) - std::log(std::pow(p.kStep, p.scaleExp) * p.effortMult);
        ++count;
    }
    if (count < kCalibrationMinimum) {
        return std::nullopt;
    }
    return std::exp(sum / count);
}
