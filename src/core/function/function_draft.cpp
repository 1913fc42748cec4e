#include "function/function_draft.h"

#include "convert/conversions.h"
#include "function/function_save.h"

namespace {

// The degrees of an adjustment factor, 0 (no influence) to 5 (strong influence); a new
// function starts at 2.
constexpr int kHighestDegree = 5;
constexpr int kStartDegree = 2;

} // namespace

double CocomoDriver::value() const
{
    if (!ranks.chosen()) {
        return 0;
    }
    const int rank = ranks.entries[ranks.index].code;
    return rank >= 0 && rank < kRanks ? values[rank] : 0.0;
}

FunctionDraft::FunctionDraft(const ChargeTable& charges, bool chargeMode, int mtoH, QObject* parent)
    : QObject(parent), m_charges(charges), m_chargeMode(chargeMode), m_mtoH(mtoH), m_fpRows(this)
{
    for (CodeChoice& factor : m_adjust) {
        for (int degree = 0; degree <= kHighestDegree; ++degree) {
            factor.add(degree, QString::number(degree));
        }
        factor.index = kStartDegree;
    }
    connect(&m_fpRows, &FpRowList::changed, this, &FunctionDraft::figuresChanged);
}

void FunctionDraft::chooseClass(int i, int index)
{
    m_classes[i].index = index;
    emit classChosen(i);
}

void FunctionDraft::setClassCoefficient(int i, const QString& shown, double value)
{
    m_classCoefText[i] = shown;
    m_classCoef[i] = value;
    emit classCoefficientChanged(i);
    emit figuresChanged();
}

void FunctionDraft::chooseLanguage(int index)
{
    m_language.index = index;
    emit languageChosen();
}

void FunctionDraft::setLanguageCoefficient(int coefficient)
{
    m_langCoef = coefficient;
    emit figuresChanged();
}

void FunctionDraft::setHourText(int row, const QString& text)
{
    m_processes[row].hourText = text;
    emit figuresChanged();
}

void FunctionDraft::setUnitPriceText(int row, const QString& text)
{
    m_processes[row].unitPriceText = text;
    emit figuresChanged();
}

void FunctionDraft::setDiscountText(const QString& text)
{
    m_discount = text;
    emit figuresChanged();
}

void FunctionDraft::chooseAdjustment(int i, int index)
{
    m_adjust[i].index = index;
    emit figuresChanged();
}

void FunctionDraft::chooseScaleRank(int i, int index)
{
    m_scale[i].ranks.index = index;
    emit figuresChanged();
}

void FunctionDraft::chooseCostRank(int i, int index)
{
    m_cost[i].ranks.index = index;
    emit figuresChanged();
}

EstimateResult FunctionDraft::estimate() const
{
    EstimateInput in;
    in.fpWeights = m_fpRows.weights();
    for (int i = 0; i < kAdjustFactors; ++i) {
        in.adjustDegrees[i] = m_adjust[i].key();
    }
    for (int i = 0; i < kScaleDrivers; ++i) {
        in.scaleValues[i] = m_scale[i].value();
    }
    for (int i = 0; i < kCostDrivers; ++i) {
        in.costValues[i] = m_cost[i].value();
    }
    in.langCoef = m_langCoef;
    in.classCoefficients = m_classCoef;
    in.chargeMode = m_chargeMode;
    for (int i = 0; i < kProcessRows; ++i) {
        in.rowVisible[i] = m_processes[i].shown;
        in.hourTexts[i] = m_processes[i].hourText;
        in.unitPriceTexts[i] = m_processes[i].unitPriceText;
    }
    in.charges = &m_charges;
    in.discountText = m_discount;
    in.mtoH = m_mtoH;
    in.cocomoA = cocomoA();
    return CalculateEstimate(in);
}

FunctionData FunctionDraft::dataToSave(const EstimateResult& figures) const
{
    FunctionData d;
    d.onHold = m_onHold;
    d.nup = m_classes[0].key();
    d.imp = m_classes[1].key();
    d.def = m_classes[2].key();
    d.rsk = m_classes[3].key();
    d.trm = m_classes[4].key();
    d.lang = m_language.key();
    d.title = m_title;
    d.description = m_description;
    d.discount = NumberOrZero(m_discount);
    d.hoursTotal = figures.savedHours();
    d.total = figures.savedTotal();
    d.price = figures.savedPrice();
    for (const FpRow& row : m_fpRows.rows()) {
        d.fpRows.append({row.title, row.kind, row.complexity});
    }
    for (int i = 0; i < kAdjustFactors; ++i) {
        d.adjust[i] = m_adjust[i].key();
    }
    for (int i = 0; i < kScaleDrivers; ++i) {
        d.scaleRanks[i] = m_scale[i].ranks.key();
    }
    for (int i = 0; i < kCostDrivers; ++i) {
        d.costRanks[i] = m_cost[i].ranks.key();
    }
    for (const ProcessRowDraft& row : m_processes) {
        if (row.code != 0) {
            d.hours.append({row.code, row.hourText, row.unitPriceText});
        }
    }
    return d;
}
