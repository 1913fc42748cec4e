#pragma once

#include "calc/estimate_calc.h"

#include <QList>
#include <QWidget>
#include <array>

class FunctionDraft;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The hours page of the function editor: the hours and unit price of each process (or, when
// members are assigned, the hours of their assignments), the total, the correction by the
// class coefficients, the discount and the price.
class FunctionHoursPage : public QWidget {
    Q_OBJECT
public:
    FunctionHoursPage(FunctionDraft& draft, QWidget* parent = nullptr);

    // The loaded draft, shown: the processes' names, the rows in use and what they hold.
    void showDraft();
    void showEstimate(const EstimateResult& figures);
    // For a save: the hours, unit prices and discount read as numbers (the message is shown).
    bool checkInputs();
    // The caption of a process row.
    QString processName(int row) const;
    QString hourText(int row) const;

signals:
    // The assignments of a process row are to be edited.
    void assignRequested(int row);

private:
    struct ProcessRow {
        QLabel* name = nullptr;
        QLineEdit* hours = nullptr;
        QLabel* hoursUnit = nullptr;
        QLabel* times = nullptr;
        QLineEdit* unitPrice = nullptr;
        QLabel* yenUnit = nullptr;
        QLabel* equals = nullptr;
        QLabel* price = nullptr;
        QLabel* priceUnit = nullptr;
        QLabel* chargedHours = nullptr;
        QPushButton* assign = nullptr;
    };

    void buildRow(int i);
    void buildTotals();
    void applyLayout();

    FunctionDraft& m_draft;
    std::array<ProcessRow, kProcessRows> m_rows;
    QGridLayout* m_grid = nullptr;
    QLabel* m_hoursTotal = nullptr;
    QLabel* m_hoursTotalUnit = nullptr;
    QLabel* m_total = nullptr;
    std::array<QLabel*, kCorrectionClasses> m_coefLabels{};
    QLabel* m_correction = nullptr;
    QLabel* m_correctedTotal = nullptr;
    QLineEdit* m_discount = nullptr;
    QLabel* m_price = nullptr;
    QWidget* m_coefChain = nullptr;
    QWidget* m_hoursLine = nullptr;
    QList<QWidget*> m_totalRowLabels;
    QList<QWidget*> m_totalYenLabels;
};
