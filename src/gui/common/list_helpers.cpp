#include "common/list_helpers.h"

#include "common/db_error_report.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/twips.h"
#include "convert/conversions.h"
#include "db/concurrent_change.h"
#include "db/db_error.h"

#include <QHeaderView>
#include <QTreeWidget>

QString ItemKey(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void SetItemKey(QTreeWidgetItem* item, const QString& key)
{
    item->setData(0, Qt::UserRole, key);
}

QTreeWidgetItem* FindItemByKey(const QTreeWidget* list, const QString& key)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (ItemKey(item) == key) {
            return item;
        }
    }
    return nullptr;
}

bool KeyNumber(const QString& key, int* number, QWidget* parent)
{
    bool ok = false;
    // QString::toInt refuses a number beyond 32 bits instead of wrapping it.
    const int value = key.mid(1).toInt(&ok);
    if (!ok) {
        Messages::critical(parent, QStringLiteral("キーエラー"),
                           QStringLiteral("一覧の行のキー「%1」を番号として読み取れません。").arg(key));
        return false;
    }
    *number = value;
    return true;
}

QTreeWidgetItem* SelectedItem(const QTreeWidget* list)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->isSelected()) {
            return item;
        }
    }
    return nullptr;
}

QVariant SelectedKey(const QTreeWidget* list)
{
    const QTreeWidgetItem* item = SelectedItem(list);
    return item ? QVariant(ItemKey(item)) : QVariant();
}

void MoveListRow(QTreeWidget* list, int offset)
{
    QTreeWidgetItem* selected = SelectedItem(list);
    if (!selected) {
        return;
    }
    const int from = list->indexOfTopLevelItem(selected);
    const int to = from + offset;
    if (to < 0 || to >= list->topLevelItemCount()) {
        return;
    }
    // The row moves whole: its texts, its key and whatever else it carries.
    QTreeWidgetItem* item = list->takeTopLevelItem(from);
    list->insertTopLevelItem(to, item);
    list->clearSelection();
    list->setCurrentItem(item);
    item->setSelected(true);
    list->scrollToItem(item);
}

bool SwapSortOrder(QTreeWidget* list, int offset, const std::function<OrderExchange(int a, int b)>& exchange,
                   QWidget* parent)
{
    QTreeWidgetItem* selected = SelectedItem(list);
    if (!selected) {
        return false;
    }
    const int target = list->indexOfTopLevelItem(selected) + offset;
    if (target < 0 || target >= list->topLevelItemCount()) {
        return false;
    }
    int a = 0;
    int b = 0;
    if (!KeyNumber(ItemKey(selected), &a, parent) ||
        !KeyNumber(ItemKey(list->topLevelItem(target)), &b, parent)) {
        return false;
    }
    try {
        const OrderExchange result = exchange(a, b);
        if (result.overflowed) {
            ShowOverflow();
        }
        return result.exchanged;
    } catch (const ConcurrentChangeError& e) {
        ShowDbError(e, QString(), parent);
        return false;
    } catch (const DbError& e) {
        Messages::critical(parent, QStringLiteral("DBエラー"),
                           e.description() + QLatin1Char('\n') + e.statement());
        return false;
    }
}

bool ListKeyFree(const QTreeWidget* list, const QString& key, int mode)
{
    const QTreeWidgetItem* found = FindItemByKey(list, key);
    if (!found) {
        return true;
    }
    return mode == 1 && found == SelectedItem(list);
}

bool ListTextFree(const QTreeWidget* list, const QString& text, int mode)
{
    const QTreeWidgetItem* selected = SelectedItem(list);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (mode != 0 && item == selected) {
            continue;
        }
        if (item->text(0) == text) {
            return false;
        }
    }
    return true;
}

int ColumnWidthOr(const QTreeWidget* list, int index, int defaultTwips)
{
    if (list->columnCount() > index && list->headerItem()) {
        return PixelsToTwips(list->columnWidth(index));
    }
    return defaultTwips;
}
