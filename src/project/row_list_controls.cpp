#include "project/row_list_controls.h"

#include "foundation/form_widgets.h"
#include "foundation/list_helpers.h"
#include "project/form_parts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

RowListControls::RowListControls(QWidget* page, const Names& names) : QObject(page), m_page(page)
{
    m_add = NamedButton(page, QString::fromLatin1(names.add), QStringLiteral("行追加"));
    m_update = NamedButton(page, QString::fromLatin1(names.update), QStringLiteral("行更新"));
    m_delete = NamedButton(page, QString::fromLatin1(names.remove), QStringLiteral("行削除"));
    m_up = NamedButton(page, QString::fromLatin1(names.up), QStringLiteral("▲"));
    m_down = NamedButton(page, QString::fromLatin1(names.down), QStringLiteral("▼"));
    m_up->setToolTip(QStringLiteral("選択した行を上へ移動"));
    m_down->setToolTip(QStringLiteral("選択した行を下へ移動"));
    m_up->setFixedWidth(32);
    m_down->setFixedWidth(32);
    m_list = ReportList(page, QString::fromLatin1(names.list));
    rowGone();

    connect(m_add, &QPushButton::clicked, this, [this] { emit applyRow(0); });
    connect(m_update, &QPushButton::clicked, this, [this] { emit applyRow(1); });
    connect(m_delete, &QPushButton::clicked, this, [this] { emit applyRow(2); });
    connect(m_up, &QPushButton::clicked, this, [this] { MoveListRow(m_list, -1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveListRow(m_list, 1); });
    connect(m_list, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit rowClicked(item); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current) {
            emit rowClicked(current);
        }
    });
}

void RowListControls::layOut(QLayout* inputs)
{
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_update);
    buttons->addWidget(m_delete);
    buttons->addStretch();

    auto* arrows = new QVBoxLayout;
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    arrows->addStretch();
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(arrows);

    auto* layout = new QVBoxLayout(m_page);
    layout->addLayout(inputs);
    layout->addLayout(buttons);
    layout->addLayout(listRow, 1);
}

void RowListControls::rowChosen()
{
    m_update->setEnabled(true);
    m_delete->setEnabled(true);
    const bool several = m_list->topLevelItemCount() > 1;
    m_up->setEnabled(several);
    m_down->setEnabled(several);
}

void RowListControls::removeRow(QTreeWidgetItem* row)
{
    {
        QSignalBlocker blocker(m_list);
        delete row;
        m_list->setCurrentItem(nullptr);
        m_list->clearSelection();
    }
    rowGone();
}

void RowListControls::rowGone()
{
    m_update->setEnabled(false);
    m_delete->setEnabled(false);
    m_up->setEnabled(false);
    m_down->setEnabled(false);
}
