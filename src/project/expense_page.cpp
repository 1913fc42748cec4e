#include "project/expense_page.h"

#include "foundation/app_state.h"
#include "foundation/code_divisions.h"
#include "foundation/conversions.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/input_filters.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "project/form_parts.h"
#include "project/master_entry.h"
#include "project/project_figures.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

ExpensePage::ExpensePage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_5"));

    m_item = new QComboBox(this);
    m_item->setObjectName(QStringLiteral("cmbItem"));
    m_item->setEditable(true);
    m_item->setInsertPolicy(QComboBox::NoInsert);
    m_item->setMinimumContentsLength(18);
    m_item->lineEdit()->setMaxLength(50);
    m_buyer = new QComboBox(this);
    m_buyer->setObjectName(QStringLiteral("cmbBuy"));
    m_buyer->setMinimumContentsLength(6);
    m_unitPrice = AmountBox(this, QStringLiteral("txtApiece"), 100, false);
    m_quantity = AmountBox(this, QStringLiteral("txtNum"), 56, false);
    m_quantity->setText(QStringLiteral("1"));
    m_quantityBar = new QScrollBar(Qt::Vertical, this);
    m_quantityBar->setObjectName(QStringLiteral("vsrNum"));
    m_quantityBar->setRange(1, 32767);
    m_quantityBar->setValue(32767);
    m_quantityBar->setFixedHeight(m_quantity->sizeHint().height());
    m_discount = AmountBox(this, QStringLiteral("txtDiscP"), 90, false);
    m_amount = TotalLabel(this, QStringLiteral("lblPriceP"));
    m_amount->setMinimumWidth(110);
    m_itemLabel = NamedLabel(this, QStringLiteral("lblItem"), QStringLiteral("項目"));
    m_buyerLabel = NamedLabel(this, QStringLiteral("lblBuy"), QStringLiteral("購入者"));
    m_unitPriceLabel = NamedLabel(this, QStringLiteral("lblApiece"), QStringLiteral("単価"));
    m_quantityLabel = NamedLabel(this, QStringLiteral("lblNum"), QStringLiteral("数量"));
    m_discountLabel = NamedLabel(this, QStringLiteral("lblDiscP"), QStringLiteral("値引"));
    m_amountLabel = NamedLabel(this, QStringLiteral("lblPrice"), QStringLiteral("金額"));
    m_add = NamedButton(this, QStringLiteral("cmdExpAdd"), QStringLiteral("行追加"));
    m_update = NamedButton(this, QStringLiteral("cmdExpUp"), QStringLiteral("行更新"));
    m_delete = NamedButton(this, QStringLiteral("cmdExpDel"), QStringLiteral("行削除"));
    m_up = NamedButton(this, QStringLiteral("cmdEUp"), QStringLiteral("▲"));
    m_down = NamedButton(this, QStringLiteral("cmdEDown"), QStringLiteral("▼"));
    m_up->setToolTip(QStringLiteral("選択した行を上へ移動"));
    m_down->setToolTip(QStringLiteral("選択した行を下へ移動"));
    m_list = ReportList(this, QStringLiteral("lvwEList"));

    auto unit = [this](const QString& text) { return new QLabel(text, this); };
    m_item->setMinimumWidth(260);
    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    first->addWidget(m_itemLabel);
    first->addWidget(m_item);
    first->addSpacing(12);
    first->addWidget(m_buyerLabel);
    first->addWidget(m_buyer);
    first->addStretch();
    auto* second = new QHBoxLayout;
    second->setSpacing(6);
    second->addWidget(m_unitPriceLabel);
    second->addWidget(m_unitPrice);
    second->addWidget(unit(QStringLiteral("円")));
    second->addSpacing(12);
    second->addWidget(m_quantityLabel);
    auto* quantity = new QHBoxLayout;
    quantity->setSpacing(0);
    quantity->addWidget(m_quantity);
    quantity->addWidget(m_quantityBar);
    second->addLayout(quantity);
    second->addSpacing(12);
    second->addWidget(m_discountLabel);
    second->addWidget(m_discount);
    second->addWidget(unit(QStringLiteral("円")));
    second->addSpacing(12);
    second->addWidget(m_amountLabel);
    second->addWidget(m_amount);
    second->addWidget(unit(QStringLiteral("円")));
    second->addStretch();
    // The label column lines up the two rows.
    const int labelWidth = qMax(m_itemLabel->sizeHint().width(), m_unitPriceLabel->sizeHint().width());
    m_itemLabel->setFixedWidth(labelWidth);
    m_unitPriceLabel->setFixedWidth(labelWidth);
    auto* grid = new QVBoxLayout;
    grid->addLayout(first);
    grid->addLayout(second);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_update);
    buttons->addWidget(m_delete);
    buttons->addStretch();

    auto* arrows = new QVBoxLayout;
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    arrows->addStretch();
    m_up->setFixedWidth(32);
    m_down->setFixedWidth(32);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(arrows);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addLayout(listRow, 1);

    AttachNumericFilter(m_unitPrice, true, true);
    AttachNumericFilter(m_discount, false, true);
    AttachNumericFilter(m_quantity, false, false);
    m_update->setEnabled(false);
    m_delete->setEnabled(false);
    m_up->setEnabled(false);
    m_down->setEnabled(false);
    UpdateExpensePrice();

    connect(m_item, &QComboBox::activated, this, &ExpensePage::itemPicked);
    connect(m_unitPrice, &QLineEdit::textChanged, this, &ExpensePage::UpdateExpensePrice);
    connect(m_discount, &QLineEdit::textChanged, this, &ExpensePage::UpdateExpensePrice);
    connect(m_quantity, &QLineEdit::textChanged, this, &ExpensePage::quantityEdited);
    connect(m_quantityBar, &QScrollBar::valueChanged, this, &ExpensePage::scrolled);
    connect(m_list, &QTreeWidget::itemClicked, this, &ExpensePage::rowClicked);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current) {
            rowClicked(current);
        }
    });
    connect(m_add, &QPushButton::clicked, this, [this] { ApplyExpenseRow(0); });
    connect(m_update, &QPushButton::clicked, this, [this] { ApplyExpenseRow(1); });
    connect(m_delete, &QPushButton::clicked, this, [this] { ApplyExpenseRow(2); });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveListRow(m_list, -1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveListRow(m_list, 1); });
}

void ExpensePage::prepare()
{
    FillDivCombo(m_state.conn(), m_buyer, 16);
}

void ExpensePage::FillItemCombo(int id)
{
    QSignalBlocker blocker(m_item);
    m_item->clear();
    int selected = -1;
    for (Recordset rs =
             OpenRs(m_state.conn(), QStringLiteral("SELECT NITEM, CITEM FROM MITEM ORDER BY NSORT, NITEM"));
         !rs.eof(); rs.moveNext()) {
        const int key = ToInt(rs.field(QStringLiteral("NITEM")));
        m_item->addItem(ToText(rs.field(QStringLiteral("CITEM"))), key);
        if (key == id) {
            selected = m_item->count() - 1;
        }
    }
    m_item->setCurrentIndex(selected);
    if (selected < 0) {
        m_item->setEditText(QString());
    }
}

void ExpensePage::LoadExpenseList()
{
    FillItemCombo(0);
    SetListColumns(m_list, {{m_itemLabel->text(), 1700, false},
                            {m_buyerLabel->text(), 750, false},
                            {m_unitPriceLabel->text(), 1000, true},
                            {m_quantityLabel->text(), 550, true},
                            {m_discountLabel->text(), 700, true},
                            {m_amountLabel->text(), 1100, true}});
    m_unlabelledBuyers.clear();
    if (m_state.EditMode != 1) {
        return;
    }
    // Outer joins: a row whose item or buyer lost its label is still shown and kept.
    const QString sql =
        QStringLiteral("SELECT ") +
        QStringList{QStringLiteral("E.NITEM"),   QStringLiteral("I.CITEM"), QStringLiteral("D.CNAME"),
                    QStringLiteral("E.NAPIECE"), QStringLiteral("E.NNUM"),  QStringLiteral("E.NDISCP"),
                    QStringLiteral("E.NPRICEP")}
            .join(QStringLiteral(", ")) +
        QStringLiteral(", E.NBUY AS NBUY") + QStringLiteral(" FROM TEXPENSE E") +
        QStringLiteral(" LEFT OUTER JOIN MITEM I ON E.NITEM = I.NITEM") +
        QStringLiteral(" LEFT OUTER JOIN MDIV D ON D.NDID = 16 AND D.NVAL = E.NBUY") +
        QStringLiteral(" WHERE E.NPROJECT = ") + QString::number(m_state.CurProject) +
        QStringLiteral(" ORDER BY E.NADD");
    QSignalBlocker blocker(m_list);
    for (Recordset rs = OpenRs(m_state.conn(), sql); !rs.eof(); rs.moveNext()) {
        const int buyer = ToInt(rs.field(QStringLiteral("NBUY")));
        const QString key = ExpenseRowKey(ToInt(rs.field(QStringLiteral("NITEM"))), buyer);
        auto* item = new QTreeWidgetItem(m_list);
        SetItemKey(item, key);
        item->setText(0, ToText(rs.field(QStringLiteral("CITEM"))));
        const QString buyerName = ToText(rs.field(QStringLiteral("CNAME")));
        SetRowCells(item, {buyerName, FormatAmount(rs.field(QStringLiteral("NAPIECE"))),
                           ToText(rs.field(QStringLiteral("NNUM"))),
                           FormatAmount(rs.field(QStringLiteral("NDISCP"))),
                           FormatAmount(rs.field(QStringLiteral("NPRICEP")))});
        if (buyerName.isEmpty()) {
            m_unlabelledBuyers.insert(key, buyer);
        }
    }
    FitListColumns(m_list);
}

void ExpensePage::itemPicked()
{
    try {
        Recordset rs = OpenRs(m_state.conn(), QStringLiteral("SELECT NAPIECE FROM MITEM WHERE NITEM = ") +
                                                  QString::number(ComboKey(m_item)));
        if (!rs.eof()) {
            m_unitPrice->setText(FormatAmount(rs.field(QStringLiteral("NAPIECE"))));
        }
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), this);
    }
}

void ExpensePage::UpdateExpensePrice()
{
    const double amount = ExpenseAmount(NumberOrZero(m_unitPrice->text()), ToInt(m_quantity->text()),
                                        NumberOrZero(m_discount->text()));
    m_amount->setText(FormatAmount(amount));
}

void ExpensePage::quantityEdited()
{
    const int low = m_quantityBar->minimum();
    const int high = m_quantityBar->maximum();
    const double quantity = NumberOrZero(m_quantity->text());
    if (quantity > high) {
        m_quantity->setText(QString::number(high));
        return; // the change of text comes back here
    }
    if (quantity < low) {
        m_quantity->setText(QString::number(low));
        return;
    }
    {
        QSignalBlocker blocker(m_quantityBar);
        m_quantityBar->setValue(high - ToInt(m_quantity->text()) + low);
    }
    UpdateExpensePrice();
}

void ExpensePage::scrolled(int value)
{
    m_quantity->setText(QString::number(m_quantityBar->maximum() - value + m_quantityBar->minimum()));
}

void ExpensePage::rowClicked(QTreeWidgetItem* item)
{
    if (!item) {
        return;
    }
    SelectedExpenseKey = ItemKey(item);
    const int index = m_item->findData(KeyToId(SelectedExpenseKey));
    if (index >= 0) {
        m_item->setCurrentIndex(index);
    } else {
        m_item->setCurrentIndex(-1);
        m_item->setEditText(item->text(0));
    }
    SelectComboByKey(m_buyer, rowBuyer(item));
    auto amount = [](const QString& text) {
        return text.isEmpty() ? QString() : FormatAmount(NumberOrZero(text));
    };
    m_unitPrice->setText(amount(item->text(2)));
    m_quantity->setText(item->text(3));
    m_discount->setText(amount(item->text(4)));
    m_update->setEnabled(true);
    m_delete->setEnabled(true);
    const bool several = m_list->topLevelItemCount() > 1;
    m_up->setEnabled(several);
    m_down->setEnabled(several);
    UpdateExpensePrice();
}

int ExpensePage::pickedItem() const
{
    const int index = m_item->currentIndex();
    if (index >= 0 && m_item->itemText(index) == m_item->currentText()) {
        return m_item->itemData(index).toInt();
    }
    return 0;
}

void ExpensePage::ApplyExpenseRow(int mode)
{
    QTreeWidgetItem* row = SelectedExpenseKey.isEmpty() ? nullptr : FindItemByKey(m_list, SelectedExpenseKey);
    if (mode != 0 && !row) {
        return;
    }
    if (mode == 2) {
        m_unlabelledBuyers.remove(SelectedExpenseKey);
        delete row;
        m_update->setEnabled(false);
        m_delete->setEnabled(false);
        m_up->setEnabled(false);
        m_down->setEnabled(false);
        SelectedExpenseKey.clear();
        UpdateExpenseTotals();
        return;
    }
    const QString name = m_item->currentText().trimmed();
    if (name.isEmpty()) {
        Messages::required(this, m_itemLabel->text());
        return;
    }
    if (m_unitPrice->text().isEmpty()) {
        Messages::required(this, m_unitPriceLabel->text());
        return;
    }
    if (!CheckNumberBox(this, m_unitPriceLabel->text(), m_unitPrice) ||
        !CheckNumberBox(this, m_discountLabel->text(), m_discount)) {
        return;
    }
    try {
        const MasterEntry entry = EnterItem(m_state.conn(), pickedItem(), name, m_unitPrice->text());
        if (entry.inserted) {
            FillItemCombo(entry.id);
        }
        const QString newKey = ExpenseRowKey(entry.id, ComboKey(m_buyer));
        if (mode == 1) {
            QSignalBlocker blocker(m_list);
            m_list->setCurrentItem(row);
        }
        if (!ListKeyFree(m_list, newKey, mode)) {
            Messages::exclamation(this, QStringLiteral("重複エラー"),
                                  QStringLiteral("その項目は既に登録されています。"));
            return;
        }
        if (mode == 0) {
            QSignalBlocker blocker(m_list);
            row = new QTreeWidgetItem(m_list);
        } else {
            m_unlabelledBuyers.remove(SelectedExpenseKey);
        }
        SelectedExpenseKey = newKey;
        SetItemKey(row, newKey);
        row->setText(0, m_item->currentText());
        UpdateExpensePrice();
        SetRowCells(row, {m_buyer->currentText(), FormatAmount(m_unitPrice->text()), m_quantity->text(),
                          FormatAmount(m_discount->text()), FormatAmount(m_amount->text())});
        FitListColumns(m_list);
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), this);
        return;
    } catch (const ConversionError& e) {
        ShowDbError(e, QString(), this);
        return;
    }
    UpdateExpenseTotals();
}

int ExpensePage::rowBuyer(const QTreeWidgetItem* item) const
{
    const QString key = ItemKey(item);
    if (item->text(1).isEmpty() && m_unlabelledBuyers.contains(key)) {
        return m_unlabelledBuyers.value(key);
    }
    return ComboKey(m_buyer, item->text(1));
}

std::array<double, 3> ExpensePage::buyerTotals() const
{
    std::array<double, 3> sums{0, 0, 0};
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        const int buyer = rowBuyer(item);
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
        result.append({KeyToId(ItemKey(item)), rowBuyer(item), item->text(2), item->text(3), item->text(4),
                       item->text(5)});
    }
    return result;
}
