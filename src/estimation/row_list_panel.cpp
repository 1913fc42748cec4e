#include "estimation/row_list_panel.h"

#include "foundation/list_helpers.h"
#include "foundation/twips.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

QPushButton* DialogButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void RowListPanel::refreshMoveButtons() const
{
    const bool several = list->topLevelItemCount() >= 2;
    up->setEnabled(several);
    down->setEnabled(several);
}

RowListPanel AddRowListPanel(QVBoxLayout* layout, QWidget* parent, const RowListNames& names,
                             const QVector<RowListColumn>& columns)
{
    RowListPanel p;
    auto* buttons = new QHBoxLayout;
    p.add = DialogButton(QStringLiteral("行追加"), names.add, parent);
    p.update = DialogButton(QStringLiteral("行更新"), names.update, parent);
    p.remove = DialogButton(QStringLiteral("行削除"), names.remove, parent);
    buttons->addWidget(p.add);
    buttons->addWidget(p.update);
    buttons->addWidget(p.remove);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto* row = new QHBoxLayout;
    p.list = new QTreeWidget(parent);
    p.list->setObjectName(names.list);
    p.list->setRootIsDecorated(false);
    p.list->setUniformRowHeights(true);
    p.list->setAlternatingRowColors(true);
    p.list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headings;
    for (const RowListColumn& c : columns) {
        headings << c.heading;
    }
    p.list->setHeaderLabels(headings);
    for (int i = 0; i < columns.size(); ++i) {
        p.list->setColumnWidth(i, TwipsToPixels(columns[i].widthTwips));
        if (columns[i].rightAligned) {
            p.list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    row->addWidget(p.list, 1);

    auto* arrows = new QVBoxLayout;
    p.up = DialogButton(QString(), names.up, parent);
    p.up->setIcon(parent->style()->standardIcon(QStyle::SP_ArrowUp));
    p.up->setToolTip(QStringLiteral("選択した行を上へ移動"));
    p.down = DialogButton(QString(), names.down, parent);
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

void ClearListRows(QTreeWidget* list, const QVector<RowListColumn>& columns)
{
    QVector<int> widths;
    for (int i = 0; i < columns.size(); ++i) {
        widths << ColumnWidthOr(list, i, columns[i].widthTwips);
    }
    list->clear();
    for (int i = 0; i < columns.size(); ++i) {
        list->setColumnWidth(i, TwipsToPixels(widths[i]));
    }
}
