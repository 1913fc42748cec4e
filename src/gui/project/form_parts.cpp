#include "project/form_parts.h"

#include "common/form_widgets.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/twips.h"
#include "convert/conversions.h"

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

const int kCodeRole = Qt::UserRole + 1;

} // namespace

QComboBox* EntryCombo(QWidget* parent, const QString& name, int minimumWidth)
{
    auto* combo = NamedCombo(parent, name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumWidth(minimumWidth);
    LimitText(combo, 50);
    return combo;
}

void FillEntryCombo(QComboBox* combo, const QList<NamedKey>& entries, int id)
{
    QSignalBlocker blocker(combo);
    combo->clear();
    int selected = -1;
    for (const NamedKey& entry : entries) {
        const int key = WarnOnOverflow(entry.key);
        combo->addItem(entry.name, key);
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
