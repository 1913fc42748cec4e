#include "estimation/row_list_panel.h"

#include "foundation/list_helpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

void RowListPanel::refreshMoveButtons() const
{
    const bool several = list->topLevelItemCount() >= 2;
    up->setEnabled(several);
    down->setEnabled(several);
}

RowListPanel AddRowListPanel(QVBoxLayout* layout, QWidget* parent, const RowListNames& names,
                             const QList<ListColumn>& columns)
{
    RowListPanel p;
    auto* buttons = new QHBoxLayout;
    p.add = NamedButton(parent, names.add, QStringLiteral("行追加"));
    p.update = NamedButton(parent, names.update, QStringLiteral("行更新"));
    p.remove = NamedButton(parent, names.remove, QStringLiteral("行削除"));
    buttons->addWidget(p.add);
    buttons->addWidget(p.update);
    buttons->addWidget(p.remove);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto* row = new QHBoxLayout;
    p.list = ReportList(parent, names.list);
    SetListColumns(p.list, columns);
    row->addWidget(p.list, 1);

    auto* arrows = new QVBoxLayout;
    p.up = NamedButton(parent, names.up, QString());
    p.up->setIcon(parent->style()->standardIcon(QStyle::SP_ArrowUp));
    p.up->setToolTip(QStringLiteral("選択した行を上へ移動"));
    p.down = NamedButton(parent, names.down, QString());
    p.down->setIcon(parent->style()->standardIcon(QStyle::SP_ArrowDown));
    p.down->setToolTip(QStringLiteral("選択した行を下へ移動"));
    arrows->addStretch(1);
    arrows->addWidget(p.up);
    arrows->addWidget(p.down);
    arrows->addStretch(1);
    row->addLayout(arrows);
    layout->addLayout(row, 1);

    for (QPushButton* b : {p.update, p.remove, p.up, p.down}) {
        b->setEnabled(false);
    }
    QTreeWidget* list = p.list;
    QObject::connect(p.up, &QPushButton::clicked, list, [list] { MoveListRow(list, -1); });
    QObject::connect(p.down, &QPushButton::clicked, list, [list] { MoveListRow(list, +1); });
    return p;
}
