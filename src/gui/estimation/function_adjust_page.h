#pragma once

#include "calc/estimate_calc.h"

#include <QWidget>
#include <array>

class FunctionDraft;
class QComboBox;
class QLabel;

// The FP adjustment page of the function editor: the degree of influence of each of the
// fourteen general system characteristics and the adjustment factor they give.
class FunctionAdjustPage : public QWidget {
    Q_OBJECT
public:
    FunctionAdjustPage(FunctionDraft& draft, QWidget* parent = nullptr);

    void showDraft();
    void showEstimate(const EstimateResult& figures);

private:
    FunctionDraft& m_draft;
    std::array<QComboBox*, kAdjustFactors> m_adjust{};
    QLabel* m_total = nullptr;
    QLabel* m_result = nullptr;
};
