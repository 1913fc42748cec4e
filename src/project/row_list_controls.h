#pragma once

#include <QObject>

class QLayout;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The list part of the members and expenses tabs: the add, update and delete buttons under the
// input boxes, and the row list with its up and down arrows.
class RowListControls : public QObject {
    Q_OBJECT
public:
    struct Names {
        const char* add;
        const char* update;
        const char* remove;
        const char* up;
        const char* down;
        const char* list;
    };

    RowListControls(QWidget* page, const Names& names);

    // The whole tab: the input rows, the buttons, then the list with its arrows.
    void layOut(QLayout* inputs);

    // After a row was clicked: update and delete act on it, the arrows move it when there is
    // another row.
    void rowChosen();
    // Deletes the chosen row. No other row takes its place: update and delete wait for the next
    // click.
    void removeRow(QTreeWidgetItem* row);

    QTreeWidget* list() const { return m_list; }

signals:
    // 0 add, 1 update, 2 delete.
    void applyRow(int mode);
    // A click on a row, or a keyboard move to it.
    void rowClicked(QTreeWidgetItem* item);

private:
    void rowGone();

    QWidget* m_page;
    QPushButton* m_add;
    QPushButton* m_update;
    QPushButton* m_delete;
    QPushButton* m_up;
    QPushButton* m_down;
    QTreeWidget* m_list;
};
