#include "project/expense_page.h"

#include "calc/project_figures.h"
#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "divisions/division_ids.h"
#include "masters/master_entry.h"
#include "project/form_parts.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

ExpensePage::ExpensePage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_5"));

    m_item = EntryCombo(this, QStringLiteral("cmbItem"), 260);
    m_buyer = NamedCombo(this, QStringLiteral("cmbBuy"));
    m_buyer->setMinimumContentsLength(6);
    m_unitPrice = NumberBox(this, QStringLiteral("txtApiece"), 100);
    m_quantity = NumberBox(this, QStringLiteral("txtNum"), 56);
    m_quantity->setText(QStringLiteral("1"));
    // Up raises the quantity: the bar's value runs the other way.
    m_quantityBar = new QScrollBar(Qt::Vertical, this);
    m_quantityBar->setObjectName(QStringLiteral("vsrNum"));
    m_quantityBar->setRange(1, kShortMax);
    m_quantityBar->setValue(kShortMax);
    m_quantityBar->setFixedHeight(m_quantity->sizeHint().height());
    m_discount = NumberBox(this, QStringLiteral("txtDiscP"), 90);
    m_amount = ValueLabel(this, QStringLiteral("lblPriceP"), 110, QStringLiteral("0"));
    m_itemLabel = NamedLabel(this, QStringLiteral("lblItem"), QStringLiteral("項目"));
    m_buyerLabel = NamedLabel(this, QStringLiteral("lblBuy"), QStringLiteral("購入者"));
    m_unitPriceLabel = NamedLabel(this, QStringLiteral("lblApiece"), QStringLiteral("単価"));
    m_quantityLabel = NamedLabel(this, QStringLiteral("lblNum"), QStringLiteral("数量"));
    m_discountLabel = NamedLabel(this, QStringLiteral("lblDiscP"), QStringLiteral("値引"));
    m_amountLabel = NamedLabel(this, QStringLiteral("lblPrice"), QStringLiteral("金額"));
    m_rows = new RowListPanel(this, {QStringLiteral("cmdExpAdd"), QStringLiteral("cmdExpUp"),
                                     QStringLiteral("cmdExpDel"), QStringLiteral("lvwEList"),
                                     QStringLiteral("cmdEUp"), QStringLiteral("cmdEDown")});
    m_list = m_rows->list();

    auto* quantity = new QWidget(this);
    quantity->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* quantityLayout = new QHBoxLayout(quantity);
    quantityLayout->setContentsMargins(0, 0, 0, 0);
    quantityLayout->setSpacing(0);
    quantityLayout->addWidget(m_quantity);
    quantityLayout->addWidget(m_quantityBar);
    auto* inputs = new QVBoxLayout;
    inputs->addLayout(FieldRow({m_itemLabel, m_item, nullptr, m_buyerLabel, m_buyer}));
    inputs->addLayout(FieldRow({m_unitPriceLabel, m_unitPrice, UnitLabel(this, QStringLiteral("円")), nullptr,
                                m_quantityLabel, quantity, nullptr, m_discountLabel, m_discount,
                                UnitLabel(this, QStringLiteral("円")), nullptr, m_amountLabel, m_amount,
                                UnitLabel(this, QStringLiteral("円"))}));
    AlignLabels({m_itemLabel, m_unitPriceLabel});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    m_rows->addTo(layout);

    AttachNumericFilter(m_unitPrice, true, true);
    AttachNumericFilter(m_discount, false, true);
    AttachNumericFilter(m_quantity, false, false);
    UpdateExpensePrice();

    connect(m_item, &QComboBox::activated, this, &ExpensePage::itemPicked);
    connect(m_unitPrice, &QLineEdit::textChanged, this, &ExpensePage::UpdateExpensePrice);
    connect(m_discount, &QLineEdit::textChanged, this, &ExpensePage::UpdateExpensePrice);
    connect(m_quantity, &QLineEdit::textChanged, this, &ExpensePage::quantityEdited);
    connect(m_quantityBar, &QScrollBar::valueChanged, this, &ExpensePage::scrolled);
    connect(m_rows, &RowListPanel::rowClicked, this, &ExpensePage::rowClicked);
    connect(m_rows, &RowListPanel::applyRow, this, &ExpensePage::ApplyExpenseRow);
}

void ExpensePage::prepare()
{
    FillDivCombo(m_state.conn(), m_buyer, Division::Buyer);
}

void ExpensePage::FillItemCombo(int id)
{
    FillEntryCombo(m_item, ProjectLookups(m_state.conn()).itemChoices(), id);
}

void ExpensePage::LoadExpenseList()
{
    FillItemCombo(0);
    m_rows->setColumns({{m_itemLabel->text(), 1700},
                        {m_buyerLabel->text(), 750},
                        {m_unitPriceLabel->text(), 1000, Qt::AlignRight},
                        {m_quantityLabel->text(), 550, Qt::AlignRight},
                        {m_discountLabel->text(), 700, Qt::AlignRight},
                        {m_amountLabel->text(), 1100, Qt::AlignRight}});
    if (m_state.EditMode != 1) {
        return;
    }
    const QList<StoredExpense> stored = ProjectRepository(m_state.conn()).expenses(m_state.CurProject);
    QSignalBlocker blocker(m_list);
    for (const StoredExpense& expense : stored) {
        const int buyer = WarnOnOverflow(expense.buyer);
        auto* item = new QTreeWidgetItem(m_list);
        SetItemKey(item, ExpenseRowKey(WarnOnOverflow(expense.item), buyer));
        SetRowCode(item, buyer);
        SetRowTexts(item, {expense.itemName, expense.buyerName, FormatAmount(expense.unitPrice),
                           expense.quantity, FormatAmount(expense.discount), FormatAmount(expense.amount)});
    }
    FitListColumns(m_list);
}

void ExpensePage::itemPicked()
{
    const WaitCursor wait;
    try {
        const std::optional<QVariant> price = ProjectLookups(m_state.conn()).itemUnitPrice(ComboKey(m_item));
        if (price) {
            m_unitPrice->setText(FormatAmount(*price));
        }
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), this);
    }
}

void ExpensePage::UpdateExpensePrice()
{
    const double amount =
        ExpenseAmount(NumberOrZero(m_unitPrice->text()), WarnOnOverflow(ToInt(m_quantity->text())),
                      NumberOrZero(m_discount->text()));
    m_amount->setText(FormatAmount(amount));
}

void ExpensePage::quantityEdited()
{
    const int low = m_quantityBar->minimum();
    const int high = m_quantityBar->maximum();
    const double quantity = NumberOrZero(m_quantity->text());
    // A text out of range is put back in range; that change comes back here.
    if (quantity > high) {
        m_quantity->setText(QString::number(high));
        return;
    }
    if (quantity < low) {
        m_quantity->setText(QString::number(low));
        return;
    }
    {
        QSignalBlocker blocker(m_quantityBar);
        m_quantityBar->setValue(high - WarnOnOverflow(ToInt(m_quantity->text())) + low);
    }
    UpdateExpensePrice();
}

void ExpensePage::scrolled(int value)
{
    m_quantity->setText(QString::number(m_quantityBar->maximum() - value + m_quantityBar->minimum()));
}

void ExpensePage::rowClicked(QTreeWidgetItem* item)
{
    ShowEntry(m_item, KeyToId(ItemKey(item)), item->text(0));
    SelectComboByKey(m_buyer, RowCode(item));
    auto amount = [](const QString& text) {
        return text.isEmpty() ? QString() : FormatAmount(NumberOrZero(text));
    };
    m_unitPrice->setText(amount(item->text(2)));
    m_quantity->setText(item->text(3));
    m_discount->setText(amount(item->text(4)));
    m_rows->chooseRow(item);
    UpdateExpensePrice();
}

void ExpensePage::ApplyExpenseRow(int mode)
{
    if (mode != 0 && !m_rows->chosenRow()) {
        return;
    }
    if (mode == 2) {
        m_rows->removeChosenRow();
    } else {
        try {
            addOrUpdate(mode);
        } catch (const std::exception& e) {
            ShowDbError(e, QString(), this);
            return;
        }
    }
    UpdateExpenseTotals();
}

void ExpensePage::addOrUpdate(int mode)
{
    const WaitCursor wait;
    const QString name = m_item->currentText().trimmed();
    if (name.isEmpty()) {
        Messages::required(this, m_itemLabel->text());
        return;
    }
    if (m_unitPrice->text().isEmpty()) {
        Messages::required(this, m_unitPriceLabel->text());
        return;
    }
    if (!CheckTextBox(this, m_state.conn().engine(), m_itemLabel->text(), m_item) ||
        !CheckNumberBox(this, m_unitPriceLabel->text(), m_unitPrice) ||
        !CheckWholeNumberBox(this, m_quantityLabel->text(), m_quantity) ||
        !CheckNumberBox(this, m_discountLabel->text(), m_discount)) {
        return;
    }
    const MasterEntry entry = EnterItem(m_state.conn(), PickedEntryKey(m_item), name, m_unitPrice->text());
    if (entry.keyOverflowed) {
        ShowOverflow();
    }
    if (entry.inserted) {
        FillItemCombo(entry.id);
    }
    const int buyer = ComboKey(m_buyer);
    const QString newKey = ExpenseRowKey(entry.id, buyer);
    if (!ListKeyFree(m_list, newKey, mode)) {
        Messages::exclamation(this, QStringLiteral("重複エラー"),
                              QStringLiteral("その項目は既に登録されています。"));
        return;
    }
    QTreeWidgetItem* row = m_rows->rowToEnter(mode);
    SetRowCode(row, buyer);
    UpdateExpensePrice();
    m_rows->enterRow(row, newKey,
                     {name, m_buyer->currentText(), FormatAmount(m_unitPrice->text()), m_quantity->text(),
                      FormatAmount(m_discount->text()), FormatAmount(m_amount->text())});
}

std::array<double, 3> ExpensePage::buyerTotals() const
{
    std::array<double, 3> sums{0, 0, 0};
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        const int buyer = RowCode(item);
        if (buyer >= 0 && buyer <= 2) {
            sums[buyer] += NumberOrZero(item->text(5));
        }
    }
    return sums;
}

void ExpensePage::UpdateExpenseTotals()
{
    const auto sums = buyerTotals();
    emit totalsChanged(sums[0], sums[1]);
}

QList<ExpenseRow> ExpensePage::rows() const
{
    QList<ExpenseRow> result;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        result.append({KeyToId(ItemKey(item)), RowCode(item), item->text(2), item->text(3), item->text(4),
                       item->text(5)});
    }
    return result;
}
