#pragma once

#include <QWidget>

class QLabel;

// The COCOMO page's constant and range: the constant in the formula (lblCoA, "× 2.94 ×"), the
// note "校正済み A=…" while the team's calibrated constant is in use (lblCoCalib), and the hours
// as 楽観 / 標準 / 悲観 = 0.80 / 1.00 / 1.25 x (lblCoHOpt, lblCoHStd, lblCoHPes).
class CocomoRangeRow : public QWidget {
    Q_OBJECT
public:
    explicit CocomoRangeRow(QWidget* parent);

    // Goes into the formula, between the exponent and the cost drivers.
    QLabel* constantLabel() const { return m_constant; }

    void setConstant(double a, bool calibrated);
    void showHours(double hours);

private:
    QLabel* m_constant;
    QLabel* m_calibrated;
    QLabel* m_hours[3];
};
