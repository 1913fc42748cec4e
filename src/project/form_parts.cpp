#include "project/form_parts.h"

#include "foundation/conversions.h"
#include "foundation/db_connection.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "foundation/twips.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kRightProperty = "vornaRightColumns";
const int kCodeRole = Qt::UserRole + 1;

} // namespace

QComboBox* EntryCombo(QWidget* parent, const QString& name, int minimumWidth)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumWidth(minimumWidth);
    combo->lineEdit()->setMaxLength(50);
    return combo;
}

void FillEntryCombo(DbConnection& connection, QComboBox* combo, const QString& sql, const QString& keyColumn,
                    const QString& nameColumn, int id)
{
    QSignalBlocker blocker(combo);
    combo->clear();
    int selected = -1;
    for (Recordset rs = OpenRs(connection, sql); !rs.eof(); rs.moveNext()) {
        const int key = ToInt(rs.field(keyColumn));
        combo->addItem(ToText(rs.field(nameColumn)), key);
        if (key == id) {
            selected = combo->count() - 1;
        }
    }
    combo->setCurrentIndex(selected);
    if (selected < 0) {
        combo->setEditText(QString());
    }
}

int PickedEntryKey(const QComboBox* combo)
{
    const int index = combo->currentIndex();
    if (index >= 0 && combo->itemText(index) == combo->currentText()) {
        return combo->itemData(index).toInt();
    }
    return 0;
}

void ShowEntry(QComboBox* combo, int id, const QString& text)
{
    const int index = combo->findData(id);
    combo->setCurrentIndex(index);
    if (index < 0) {
        combo->setEditText(text);
    }
}

void SetRowCode(QTreeWidgetItem* item, int code)
{
    item->setData(0, kCodeRole, code);
}

int RowCode(const QTreeWidgetItem* item)
{
    return item->data(0, kCodeRole).toInt();
}

QLabel* NamedLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* NamedButton(QWidget* parent, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* NamedBox(QWidget* parent, const QString& name, int width)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    if (width > 0) {
        box->setFixedWidth(width);
    }
    return box;
}

bool ConfirmOverwrite(QWidget* parent, bool pricesEntered)
{
    return !pricesEntered ||
           Messages::question(parent, QStringLiteral("確認"),
                              QStringLiteral("設定済みの価格を上書きします。よろしいですか？"),
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

QLabel* UnitLabel(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}

QHBoxLayout* FieldRow(const QList<QWidget*>& widgets)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    for (QWidget* widget : widgets) {
        if (widget) {
            row->addWidget(widget);
        } else {
            row->addSpacing(12);
        }
    }
    row->addStretch();
    return row;
}

void AlignLabels(const QList<QLabel*>& labels)
{
    int width = 0;
    for (const QLabel* label : labels) {
        width = qMax(width, label->sizeHint().width());
    }
    for (QLabel* label : labels) {
        label->setFixedWidth(width);
    }
}

void LayOutWithButton(QWidget* page, QLayout* content, QPushButton* button)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(content);
    layout->addStretch();
    layout->addLayout(buttons);
}

QLineEdit* AmountBox(QWidget* parent, const QString& name, int width, bool startAtZero)
{
    QLineEdit* box = NamedBox(parent, name, width);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (startAtZero) {
        box->setText(QStringLiteral("0"));
    }
    return box;
}

QLabel* TotalLabel(QWidget* parent, const QString& name)
{
    QLabel* label = NamedLabel(parent, name, QStringLiteral("0"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(96);
    label->setContentsMargins(4, 1, 4, 1);
    return label;
}

QTreeWidget* ReportList(QWidget* parent, const QString& name)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(0);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsClickable(false);
    return list;
}

void SetListColumns(QTreeWidget* list, const QList<ListColumn>& columns)
{
    QList<int> widths;
    QList<bool> right;
    QStringList captions;
    for (int i = 0; i < columns.size(); ++i) {
        widths << TwipsToPixels(ColumnWidthOr(list, i, columns.at(i).defaultTwips));
        right << columns.at(i).right;
        captions << columns.at(i).caption;
    }
    list->clear();
    list->setColumnCount(columns.size());
    list->setHeaderLabels(captions);
    QVariantList rightColumns;
    for (int i = 0; i < columns.size(); ++i) {
        list->setColumnWidth(i, widths.at(i));
        const Qt::Alignment align = (right.at(i) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        list->headerItem()->setTextAlignment(i, align);
        rightColumns << right.at(i);
    }
    list->setProperty(kRightProperty, rightColumns);
}

void SetRowCells(QTreeWidgetItem* item, const QStringList& cells)
{
    const QVariantList right =
        item->treeWidget() ? item->treeWidget()->property(kRightProperty).toList() : QVariantList();
    for (int i = 0; i < cells.size(); ++i) {
        const int column = i + 1;
        item->setText(column, cells.at(i));
        const bool alignRight = column < right.size() && right.at(column).toBool();
        item->setTextAlignment(column, (alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
}

void FitListColumns(QTreeWidget* list)
{
    QHeaderView* header = list->header();
    for (int i = 0; i < list->columnCount(); ++i) {
        // Called through the base class, where the size hint is public.
        const QAbstractItemView* view = list;
        const int wanted = qMax(view->sizeHintForColumn(i), header->sectionSizeHint(i));
        if (list->columnWidth(i) < wanted) {
            list->setColumnWidth(i, wanted);
        }
    }
}
