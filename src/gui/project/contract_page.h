#pragma once

#include "project/project_data.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The contract tab: six fixed contract options with a level, a memo and a price, and two
// options the user names.
class ContractPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFixed = 6;
    static constexpr int kFree = 2;

    // scheduleDates gives the valid dates of the dates tab, for the meeting fee.
    ContractPage(AppState& state, std::function<QList<ScheduleDate>()> scheduleDates,
                 QWidget* parent = nullptr);

    void prepare(); // the level combos
    void LoadContractOptions();
    void UpdateContractTotal();
    // The standard-value proposal; asks before prices already entered are overwritten.
    void proposePrices();

    QList<ContractRow> rows() const;
    double total() const { return m_total; }
    // Refuses a save with a price that is no number.
    bool validate();

signals:
    void totalChanged(double total);

private:
    QString OptionPriceFromCoef(double workTotal, QComboBox* level, int division) const;
    void freeNameEdited(int row);

    AppState& m_state;
    std::function<QList<ScheduleDate>()> m_scheduleDates;
    QLabel* m_captions[kFixed];
    QComboBox* m_levels[kFixed];
    QLineEdit* m_memos[kFixed];
    QLineEdit* m_prices[kFixed];
    QLineEdit* m_freeNames[kFree];
    QLineEdit* m_freeMemos[kFree];
    QLineEdit* m_freePrices[kFree];
    QPushButton* m_propose;
    double m_total = 0;
};
