#pragma once

#include "project/project_data.h"

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;
class RowListPanel;
struct AppState;

// The expenses tab: purchases the development depends on, totalled by who buys them.
class ExpensePage : public QWidget {
    Q_OBJECT
public:
    ExpensePage(AppState& state, QWidget* parent = nullptr);

    void prepare(); // the buyers
    void LoadExpenseList();
    void UpdateExpensePrice();
    void UpdateExpenseTotals();
    void ApplyExpenseRow(int mode);

    QList<ExpenseRow> rows() const;
    // The amounts by buyer code 0 (own company), 1 (customer) and 2 (other).
    std::array<double, 3> buyerTotals() const;

signals:
    void totalsChanged(double ownCompany, double customer);

private:
    void FillItemCombo(int id);
    void itemPicked();
    void rowClicked(QTreeWidgetItem* item);
    void quantityEdited();
    void scrolled(int value);
    void addOrUpdate(int mode);

    AppState& m_state;
    QComboBox* m_item;
    QComboBox* m_buyer;
    QLineEdit* m_unitPrice;
    QLineEdit* m_quantity;
    QScrollBar* m_quantityBar;
    QLineEdit* m_discount;
    QLabel* m_amount;
    QLabel* m_itemLabel;
    QLabel* m_buyerLabel;
    QLabel* m_unitPriceLabel;
    QLabel* m_quantityLabel;
    QLabel* m_discountLabel;
    QLabel* m_amountLabel;
    RowListPanel* m_rows;
    QTreeWidget* m_list;
};
