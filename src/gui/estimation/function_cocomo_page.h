#pragma once

#include "calc/estimate_calc.h"

#include <QWidget>
#include <array>

class CocomoRangeRow;
class FunctionDraft;
class QComboBox;
class QLabel;
class QVBoxLayout;

// The COCOMO page of the function editor: the rank of each scale factor and cost driver with
// its value, and the formula of the COCOMO hours with its figures.
class FunctionCocomoPage : public QWidget {
    Q_OBJECT
public:
    FunctionCocomoPage(FunctionDraft& draft, QWidget* parent = nullptr);

    void showDraft();
    void showEstimate(const EstimateResult& figures);

private:
    void buildFormula(QVBoxLayout* layout);
    void showScaleValue(int i);
    void showCostValue(int i);

    FunctionDraft& m_draft;
    std::array<QComboBox*, kScaleDrivers> m_scale{};
    std::array<QLabel*, kScaleDrivers> m_scaleValue{};
    std::array<QComboBox*, kCostDrivers> m_cost{};
    std::array<QLabel*, kCostDrivers> m_costValue{};
    QLabel* m_ufp = nullptr;
    QLabel* m_lang = nullptr;
    QLabel* m_scaleExp = nullptr;
    QLabel* m_effort = nullptr;
    QLabel* m_mtoH = nullptr;
    QLabel* m_hours = nullptr;
    CocomoRangeRow* m_range = nullptr;
};
