#pragma once

#include "calc/estimate_calc.h"

#include <QFrame>

class QLabel;

// The strip below the function editor's pages: the size figures, the COCOMO hours, the planned
// hours and their difference, red when more hours are planned than COCOMO predicts.
class FunctionSummary : public QFrame {
    Q_OBJECT
public:
    explicit FunctionSummary(QWidget* parent = nullptr);

    void showEstimate(const EstimateResult& figures);

private:
    QLabel* m_ufp = nullptr;
    QLabel* m_fpCoef = nullptr;
    QLabel* m_adjustedFp = nullptr;
    QLabel* m_loc = nullptr;
    QLabel* m_cocomoHour = nullptr;
    QLabel* m_plannedHour = nullptr;
    QLabel* m_remHour = nullptr;
};
