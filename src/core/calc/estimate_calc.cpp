#include "calc/estimate_calc.h"

#include "calc/function_price.h"
#include "convert/conversions.h"

#include <cmath>
#include <limits>

namespace {

// Nearest integer, ties to even (the default rounding mode), as the integer conversions round.
double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

// A box text read as a whole number of the given range. A text that is no number counts 0
// (the live figures treat a half-typed "-" that way); a number outside the range gives false.
bool wholeNumber(const QString& text, double low, double high, qint64* out)
{
    *out = 0;
    double value = 0;
    if (!ParseNumber(text, &value)) {
        return true;
    }
    const double rounded = roundHalfEven(value);
    if (!std::isfinite(rounded) || rounded < low || rounded > high) {
        return false;
    }
    *out = static_cast<qint64>(rounded);
    return true;
}

} // namespace

QString TwoDecimals(double value)
{
    return FormatNumber(value, 2, true);
}

double ShownTwoDecimals(double value)
{
    double shown = 0;
    ParseNumber(TwoDecimals(value), &shown);
    return shown;
}

double AdjustmentFactor(const std::array<int, kAdjustFactors>& degrees)
{
    double sum = 0;
    for (const int degree : degrees) {
        sum += degree;
    }
    return ShownTwoDecimals(sum * kAdjustStep + kAdjustBase);
}

bool LanguageCoefficient(const QVariant& ncoef, int* coefficient)
{
    *coefficient = 0;
    if (!ncoef.isValid() || ncoef.isNull()) {
        return false;
    }
    bool ok = false;
    const double value = ncoef.toDouble(&ok);
    if (!ok) {
        return false;
    }
    const double rounded = roundHalfEven(value);
    if (!std::isfinite(rounded) || rounded < 1 || rounded > kShortMax) {
        return false;
    }
    *coefficient = static_cast<int>(rounded);
    return true;
}

bool ProcessHours(const QString& text, int* hours)
{
    qint64 value = 0;
    const bool fits = wholeNumber(text, kShortMin, kShortMax, &value);
    *hours = static_cast<int>(value);
    return fits;
}

void ChargeProcessSums(const ChargeTable& table, int process, double* hours, double* price)
{
    *hours = 0;
    *price = 0;
    for (int slot = 1; slot <= kMaxAssignments; ++slot) {
        const ChargeSlot& s = table[process][slot];
        if (s.NADD == 0) {
            break;
        }
        *price += s.NHOUR * s.NDPRI;
        *hours += s.NHOUR;
    }
}

double EstimateResult::savedTotal() const
{
    return std::round(total);
}

double CocomoHours(double kStep, double scaleExp, double effortMult, double a, int hoursPerMonth)
{
    return kStep > 0 ? std::pow(kStep, scaleExp) * a * effortMult * hoursPerMonth : 0.0;
}

EstimateResult CalculateEstimate(const EstimateInput& in)
{
    EstimateResult r;

    // Size strand.
    for (const double weight : in.fpWeights) {
        r.ufp += weight;
    }
    r.ufpText = ShownText(r.ufp);

    for (const int degree : in.adjustDegrees) {
        r.adjustTotal += degree;
    }
    r.adjustTotalText = ShownText(r.adjustTotal);
    r.vaf = AdjustmentFactor(in.adjustDegrees);
    r.vafText = TwoDecimals(r.vaf);
    r.fpText = ShownText(r.ufp * r.vaf);

    r.langText = ShownText(in.langCoef);
    r.kStep = static_cast<double>(in.langCoef) * r.ufp / kStepsPerKStep;
    r.kStepText = FormatNumber(r.kStep, 2, true);

    double scaleSum = 0;
    for (const double value : in.scaleValues) {
        scaleSum += ShownTwoDecimals(value);
    }
    r.scaleExp = scaleSum * kScaleStep + kCocomoB;
    r.scaleExpText = FormatNumber(r.scaleExp, 2, false);

    r.effortMult = 1;
    for (const double value : in.costValues) {
        r.effortMult *= ShownTwoDecimals(value);
    }
    r.effortMultText = FormatNumber(r.effortMult, 2, false);

    r.mtoHText = FormatNumber(in.mtoH, 0, false);
    r.cocomoHours = CocomoHours(r.kStep, r.scaleExp, r.effortMult, in.cocomoA, in.mtoH);
    r.cocomoHoursText = FormatNumber(r.cocomoHours, 0, false);

    // Plan strand.
    double coefficients[kCorrectionClasses];
    for (int i = 0; i < kCorrectionClasses; ++i) {
        coefficients[i] = ShownTwoDecimals(in.classCoefficients[i]);
    }
    r.correction = CorrectionProduct(coefficients);
    r.correctionText = TwoDecimals(r.correction);

    qint64 planned = 0;
    for (int i = 0; i < kProcessRows; ++i) {
        double price = 0;
        if (!in.chargeMode) {
            int hours = 0;
            if (!ProcessHours(in.hourTexts[i], &hours)) {
                r.overflowRows.append(i);
            }
            price = hours * NumberOrZero(in.unitPriceTexts[i]);
            if (in.rowVisible[i]) {
                qint64 counted = 0;
                if (!wholeNumber(in.hourTexts[i], -2147483648.0, 2147483647.0, &counted)) {
                    r.totalOverflow = true;
                }
                planned += counted;
            }
        } else {
            double hours = 0;
            if (in.charges) {
                ChargeProcessSums(*in.charges, i + 1, &hours, &price);
            }
            r.processHours[i] = hours;
            r.processHoursText[i] = ShownText(hours);
            if (in.rowVisible[i]) {
                qint64 counted = 0;
                if (!wholeNumber(r.processHoursText[i], -2147483648.0, 2147483647.0, &counted)) {
                    r.totalOverflow = true;
                }
                planned += counted;
            }
        }
        r.processPrice[i] = price;
        r.processPriceText[i] = FormatAmount(price);
        r.total += price;
    }
    if (planned < std::numeric_limits<qint32>::min() || planned > std::numeric_limits<qint32>::max()) {
        r.totalOverflow = true;
        planned = 0;
    }
    r.plannedHours = planned;
    r.plannedHoursText = ShownText(static_cast<double>(planned));

    r.totalText = FormatAmount(r.total);
    r.correctedTotalText = FormatAmount(r.total * r.correction);
    r.price = FunctionPrice(r.total, r.correction, NumberOrZero(in.discountText));
    r.priceText = FormatNumber(r.price, 0, true);

    r.remainingHoursText = ShownText(std::round(r.cocomoHours) - static_cast<double>(planned));
    return r;
}
