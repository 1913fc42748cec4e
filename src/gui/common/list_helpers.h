#pragma once

#include "masters/master_rows.h"

#include <QString>
#include <QVariant>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Lists are QTreeWidgets in report form; each row carries its key text ("C12", "M0007") in
// Qt::UserRole of column 0.

QString ItemKey(const QTreeWidgetItem* item);
void SetItemKey(QTreeWidgetItem* item, const QString& key);
QTreeWidgetItem* FindItemByKey(const QTreeWidget* list, const QString& key);

// The number of a key: everything after its first letter as a 32-bit integer. A key whose
// number does not fit (or is no number) is reported to the user and gives false, never a
// wrapped number that would pick another row.
bool KeyNumber(const QString& key, int* number, QWidget* parent = nullptr);

// The first selected row (in list order), nullptr when none.
QTreeWidgetItem* SelectedItem(const QTreeWidget* list);

// The key of the first selected row, a null QVariant when none.
QVariant SelectedKey(const QTreeWidget* list);

// Moves the selected row up (-1) or down (+1); the moved row stays selected. Nothing happens
// at either end.
void MoveListRow(QTreeWidget* list, int offset);

// The master editors' arrows: the selected row and its neighbour exchange their display order
// through exchange (given the two rows' key numbers), which raises DbError when it fails. false
// when there is no neighbour, a key is unreadable, the rows were not exchanged, or the exchange
// failed (reported as "DBエラー").
bool SwapSortOrder(QTreeWidget* list, int offset, const std::function<OrderExchange(int a, int b)>& exchange,
                   QWidget* parent = nullptr);

// true when no row has the key; in mode 1 the selected row may hold it (it is the row being
// updated).
bool ListKeyFree(const QTreeWidget* list, const QString& key, int mode);

// true when no row has the text; unless mode is 0 the selected row is not compared.
bool ListTextFree(const QTreeWidget* list, const QString& text, int mode);

// The width, in twips, of column index + 1 when the list has at least index columns (the
// width the user gave it), else defaultTwips. Callers add columns from left to right.
int ColumnWidthOr(const QTreeWidget* list, int index, int defaultTwips);
