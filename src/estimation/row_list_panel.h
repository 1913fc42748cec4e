#pragma once

#include "foundation/form_widgets.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QPushButton;
class QTreeWidget;
class QVBoxLayout;
class QWidget;

// The row editing block of the function-point and assignment lists: "行追加", "行更新",
// "行削除" above a report list, with arrows beside it that move the selected row.
struct RowListPanel {
    QPushButton* add = nullptr;
    QPushButton* update = nullptr;
    QPushButton* remove = nullptr;
    QTreeWidget* list = nullptr;
    QPushButton* up = nullptr;
    QPushButton* down = nullptr;

    // Up and down are usable once a row was chosen and there is something to move it past.
    void refreshMoveButtons() const;
};

struct RowListNames {
    QString add, update, remove, list, up, down;
};

// Adds the block to the layout (the list takes the spare height). Update, delete and the arrows
// start disabled.
RowListPanel AddRowListPanel(QVBoxLayout* layout, QWidget* parent, const RowListNames& names,
                             const QList<ListColumn>& columns);
