#include "masters/list_editor.h"

#include "common/db_error_report.h"
#include "common/list_helpers.h"
#include "common/twips.h"
#include "common/wait_cursor.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

ListEditorDialog::ListEditorDialog(AppState& state, const ListEditorLayout& layout, QWidget* parent)
    : PlacedDialog(parent), m_state(state)
{
    setObjectName(layout.formName);
    setWindowTitle(layout.caption);
    Help::setTopic(this, layout.helpTopic);

    m_rows =
        new RowListPanel(this, {layout.hasAdd ? QStringLiteral("cmdOK") : QString(), QStringLiteral("cmdUp"),
                                QStringLiteral("cmdDel"), layout.listName, layout.upName, layout.downName});
    m_rows->list()->setFixedSize(TwipsToPixels(layout.listWidthTwips), TwipsToPixels(layout.listHeightTwips));
    // The new order is stored before the row moves.
    m_rows->setMoveCheck([this](int offset) {
        const WaitCursor wait;
        return SwapSortOrder(
            m_rows->list(), offset, [this](int a, int b) { return exchangeOrder(a, b); }, this);
    });

    auto* close = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("閉じる"));
    close->setMinimumWidth(88);
    m_rows->buttonRow()->addWidget(close);

    m_editSlot = new QVBoxLayout;
    m_editSlot->setContentsMargins(0, 4, 0, 4);

    auto* main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->setSpacing(10);
    main->addLayout(m_rows->listRow());
    main->addLayout(m_editSlot);
    main->addLayout(m_rows->buttonRow());

    // Each click and each change is one command on the database, under one hourglass.
    connect(m_rows, &RowListPanel::rowClicked, this, [this](QTreeWidgetItem* item) {
        const WaitCursor wait;
        if (rowClicked(item)) {
            m_rows->chooseRow(item);
        }
    });
    connect(m_rows, &RowListPanel::applyRow, this, [this](int mode) {
        const WaitCursor wait;
        saveRow(mode);
    });
    connect(close, &QPushButton::clicked, this, &ListEditorDialog::reject);
}

void ListEditorDialog::setEditArea(QLayout* area)
{
    m_editSlot->addLayout(area);
}

void ListEditorDialog::resetList(const QList<ListColumn>& columns)
{
    m_rows->setColumns(columns);
}

QTreeWidgetItem* ListEditorDialog::addRow(const QString& key, const QStringList& texts)
{
    auto* item = new QTreeWidgetItem(m_rows->list());
    SetItemKey(item, key);
    SetRowTexts(item, texts);
    return item;
}

void ListEditorDialog::fitInto(const QSize& room)
{
    QTreeWidget* rows = m_rows->list();
    const QSize excess = (size() - room).expandedTo(QSize(0, 0));
    rows->setFixedSize((rows->size() - excess).expandedTo(QSize(TwipsToPixels(1500), TwipsToPixels(900))));
    adjustSize();
}

void ListEditorDialog::finishList()
{
    FitListColumns(m_rows->list());
    m_rows->forgetRow();
}

void ListEditorDialog::reloadAfterSave(const std::function<void()>& fill)
{
    try {
        fill();
    } catch (const std::exception& e) {
        ShowDbErrorWithNote(QStringLiteral("変更は保存されましたが、一覧を更新できませんでした。"), e,
                            QString(), this);
    }
}
