#include "workspace/function_list_view.h"

#include "common/form_widgets.h"
#include "common/icons.h"
#include "common/list_helpers.h"
#include "convert/conversions.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <iterator>

namespace {

struct Column {
    const char* heading;
    int twips;
    Qt::Alignment align;
};

// In the order of WorkspaceQueries::functionFields().
const Column kColumns[] = {
    {"NFUNCTION", 0, Qt::AlignLeft},    {"保", 360, Qt::AlignHCenter}, {"機能表題", 3000, Qt::AlignLeft},
    {"改新", 600, Qt::AlignLeft},       {"重度", 600, Qt::AlignLeft},  {"難度", 600, Qt::AlignLeft},
    {"安全", 600, Qt::AlignLeft},       {"期間", 600, Qt::AlignLeft},  {"総工数(H)", 1000, Qt::AlignRight},
    {"価格(円)", 1000, Qt::AlignRight},
};
constexpr int kColumnCount = int(std::size(kColumns));
constexpr int kTitleColumn = 2;

QString functionKey(int id)
{
    return QStringLiteral("F") + QString::number(id);
}

QString amountText(const QVariant& value)
{
    return value.isValid() ? FormatAmount(value) : QString();
}

} // namespace

FunctionListView::FunctionListView(QWidget* parent) : QTreeWidget(parent)
{
    Q_ASSERT(WorkspaceQueries::functionFields().size() == kColumnCount);
    MakeReportList(this, QStringLiteral("lvwFList"));
    setSortingEnabled(false);
    QList<ListColumn> columns;
    for (const Column& column : kColumns) {
        columns << ListColumn{QString::fromUtf8(column.heading), column.twips, column.align};
    }
    SetListColumns(this, columns);
    QHeaderView* heading = header();
    heading->setSectionsClickable(true);
    heading->setSortIndicatorShown(false);
    setColumnHidden(0, true);

    connect(heading, &QHeaderView::sectionClicked, this, &FunctionListView::sortRequested);
    connect(this, &QTreeWidget::currentItemChanged, this, &FunctionListView::rowChanged);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FunctionListView::rowDoubleClicked);
}

bool FunctionListView::sortBy(int column)
{
    if (column < 0 || column >= kColumnCount) {
        return false;
    }
    const QString key = WorkspaceQueries::functionFields().at(column);
    if (key != m_order.key) {
        m_order.key = key;
        m_order.ascending = true;
    } else {
        m_order.ascending = !m_order.ascending;
    }
    return true;
}

bool FunctionListView::showRows(const QList<FunctionRow>& rows, int current)
{
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    QTreeWidgetItem* select = nullptr;
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const FunctionRow& row : rows) {
        auto* item = new QTreeWidgetItem;
        fillRow(item, row);
        items << item;
        if (current != 0 && row.id == current) {
            select = item;
        }
    }
    addTopLevelItems(items);
    finishRows(select);
    return select != nullptr;
}

void FunctionListView::showRow(int function, const std::optional<FunctionRow>& row)
{
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    QTreeWidgetItem* item = FindItemByKey(this, functionKey(function));
    if (!row) {
        delete item;
        finishRows(nullptr);
        return;
    }
    if (!item) {
        item = new QTreeWidgetItem(this);
    }
    fillRow(item, *row);
    finishRows(item);
}

void FunctionListView::finishRows(QTreeWidgetItem* current)
{
    // A saved function may bring a longer figure or title than the columns were fitted to.
    FitListColumns(this);
    if (current) {
        setCurrentItem(current, kTitleColumn);
        scrollToItem(current);
    }
    setUpdatesEnabled(true);
    showSortIndicator();
}

void FunctionListView::clearRows()
{
    const QSignalBlocker quiet(this);
    clear();
}

void FunctionListView::fillRow(QTreeWidgetItem* item, const FunctionRow& row)
{
    SetItemKey(item, functionKey(row.id));
    QStringList texts{row.title, row.onHold ? QStringLiteral("×") : QString(), row.title};
    texts << row.classLabels << amountText(row.hours) << amountText(row.price);
    SetRowTexts(item, texts, this);
    // Functions on hold count in no total: shown greyed. The others keep the list's own colour,
    // so only their rows carry colours of their own.
    if (row.onHold || item->data(1, Qt::ForegroundRole).isValid()) {
        for (int c = 1; c < kColumnCount; ++c) {
            item->setData(c, Qt::ForegroundRole,
                          row.onHold ? QVariant(palette().brush(QPalette::Disabled, QPalette::Text))
                                     : QVariant());
        }
    }
    item->setIcon(kTitleColumn, Icons::function());
}

void FunctionListView::showSortIndicator()
{
    const int column = int(WorkspaceQueries::functionFields().indexOf(m_order.key));
    header()->setSortIndicatorShown(column >= 0);
    if (column >= 0) {
        header()->setSortIndicator(column, m_order.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
}

int FunctionListView::SelectedFunctionId() const
{
    const QVariant key = SelectedKey(this);
    int id = 0;
    if (!key.isValid() || !KeyNumber(key.toString(), &id, window())) {
        return 0;
    }
    return id;
}

QModelIndex FunctionListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    QModelIndex index = QTreeWidget::moveCursor(action, modifiers);
    if (index.isValid() && isColumnHidden(index.column())) {
        index = index.sibling(index.row(), kTitleColumn);
    }
    return index;
}

void FunctionListView::keyPressEvent(QKeyEvent* event)
{
    // Enter on a row opens it, like a double click.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit openRequested();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FunctionListView::rowChanged(QTreeWidgetItem* current)
{
    int id = 0;
    if (current && KeyNumber(ItemKey(current), &id, window())) {
        emit functionChosen(id);
    }
}

void FunctionListView::rowDoubleClicked(QTreeWidgetItem* item)
{
    if (item && currentItem() != item) {
        setCurrentItem(item, kTitleColumn);
    }
    emit openRequested();
}
