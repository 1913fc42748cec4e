#include "masters/list_editor.h"

#include "foundation/app_state.h"
#include "foundation/help.h"
#include "foundation/list_helpers.h"
#include "foundation/twips.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text)
{
    QPushButton* button = NamedButton(parent, name, text);
    button->setMinimumWidth(88);
    return button;
}

QPushButton* makeArrow(QWidget* parent, const QString& name, QStyle::StandardPixmap icon, const QString& tip)
{
    QPushButton* button = NamedButton(parent, name, QString());
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setFixedSize(34, 30);
    button->setEnabled(false);
    return button;
}

} // namespace

ListEditorDialog::ListEditorDialog(AppState& state, const ListEditorLayout& layout, QWidget* parent)
    : PlacedDialog(parent), m_state(state), m_layout(layout)
{
    setObjectName(layout.formName);
    setWindowTitle(layout.caption);
    Help::setTopic(this, layout.helpTopic);

    m_list = ReportList(this, layout.listName);
    m_list->setFixedSize(TwipsToPixels(layout.listWidthTwips), TwipsToPixels(layout.listHeightTwips));

    m_up = makeArrow(this, layout.upName, QStyle::SP_ArrowUp, QStringLiteral("上へ移動"));
    m_down = makeArrow(this, layout.downName, QStyle::SP_ArrowDown, QStringLiteral("下へ移動"));
    auto* arrows = new QVBoxLayout;
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    arrows->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(m_list);
    top->addLayout(arrows);

    auto* buttons = new QHBoxLayout;
    if (layout.hasAdd) {
        m_add = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("行追加"));
        buttons->addWidget(m_add);
    }
    m_update = makeButton(this, QStringLiteral("cmdUp"), QStringLiteral("行更新"));
    m_delete = makeButton(this, QStringLiteral("cmdDel"), QStringLiteral("行削除"));
    m_close = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("閉じる"));
    m_update->setEnabled(false);
    m_delete->setEnabled(false);
    buttons->addWidget(m_update);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(m_close);

    m_editSlot = new QVBoxLayout;
    m_editSlot->setContentsMargins(0, 4, 0, 4);

    auto* main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->setSpacing(10);
    main->addLayout(top);
    main->addLayout(m_editSlot);
    main->addLayout(buttons);

    connect(m_list, &QTreeWidget::itemClicked, this, &ListEditorDialog::onRowClicked);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &ListEditorDialog::onCurrentChanged);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ListEditorDialog::keepEditedRowSelected);
    if (m_add) {
        connect(m_add, &QPushButton::clicked, this, [this] { saveRow(0); });
    }
    connect(m_update, &QPushButton::clicked, this, [this] { saveRow(1); });
    connect(m_delete, &QPushButton::clicked, this, [this] { saveRow(2); });
    connect(m_close, &QPushButton::clicked, this, &ListEditorDialog::reject);
    connect(m_up, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveRow(1); });
}

void ListEditorDialog::setEditArea(QLayout* area)
{
    m_editSlot->addLayout(area);
}

void ListEditorDialog::resetList(const QList<ListColumn>& columns)
{
    m_editedKey.clear();
    SetListColumns(m_list, columns);
}

QTreeWidgetItem* ListEditorDialog::addRow(const QString& key, const QStringList& texts)
{
    auto* item = new QTreeWidgetItem(m_list);
    SetItemKey(item, key);
    SetRowTexts(item, texts);
    return item;
}

void ListEditorDialog::finishList()
{
    FitListColumns(m_list);
    m_editedKey.clear();
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_update->setEnabled(false);
    m_delete->setEnabled(false);
    m_list->viewport()->update();
}

void ListEditorDialog::onRowClicked(QTreeWidgetItem* item)
{
    if (!item || m_quiet) {
        return;
    }
    if (!rowClicked(item)) {
        return;
    }
    m_editedKey = ItemKey(item);
    m_update->setEnabled(true);
    m_delete->setEnabled(true);
    const bool several = m_list->topLevelItemCount() > 1;
    m_up->setEnabled(several);
    m_down->setEnabled(several);
}

void ListEditorDialog::onCurrentChanged(QTreeWidgetItem* current)
{
    // A mouse press also moves the current row; the click that follows does the work.
    if (QApplication::mouseButtons() != Qt::NoButton) {
        return;
    }
    onRowClicked(current);
}

void ListEditorDialog::keepEditedRowSelected()
{
    // A click beside the rows (or a Ctrl+click) would clear the selection while the buttons still
    // act on the row in the boxes, and the duplicate test would no longer skip that row.
    if (m_quiet || m_editedKey.isEmpty() || !m_list->selectedItems().isEmpty()) {
        return;
    }
    if (QTreeWidgetItem* item = FindItemByKey(m_list, m_editedKey)) {
        item->setSelected(true);
    }
}

void ListEditorDialog::moveRow(int offset)
{
    m_quiet = true;
    if (SwapSortOrder(m_state.conn(), m_list, offset, orderTable(), orderKeyColumn(), this)) {
        MoveListRow(m_list, offset);
    }
    m_quiet = false;
}
