#pragma once

#include "masters/list_editor.h"
#include "masters/price_kind_rows.h"

#include <QString>
#include <QStringList>
#include <array>

class QLabel;
class QLineEdit;

// frmPri: price kinds with their base fee and hourly unit prices for the current mode.
class PriceKindEditor : public ListEditorDialog {
    Q_OBJECT
public:
    static constexpr int kSlots = 9;

    explicit PriceKindEditor(AppState& state, QWidget* parent = nullptr);

    void FillPriceList();
    void SavePriceKind(int mode); // 0 add, 1 update, 2 delete
    int SelPriKind() const { return m_selPriKind; }
    int slotsInUse() const { return m_slotCount; }

protected:
    bool rowClicked(QTreeWidgetItem* item) override;
    void saveRow(int mode) override;
    OrderExchange exchangeOrder(int a, int b) override { return kinds().exchangeOrder(a, b); }

private:
    PriceKindRepository kinds() const;
    void loadSlots();
    bool validate();
    PriceKindValues typedValues() const;

    bool m_charge;
    int m_slotCount = 0;
    int m_selPriKind = 0;
    QLabel* m_nameLabel;
    QLabel* m_baseLabel;
    QLineEdit* m_name;
    QLineEdit* m_base;
    std::array<QLabel*, kSlots> m_procLabels{};
    std::array<QLineEdit*, kSlots> m_prices{};
    // The division code each slot shows: the codes need not run 1, 2, 3... in display order
    // (a process taken out of use leaves a gap).
    std::array<int, kSlots> m_codes{};
    QLabel* m_help;
};
