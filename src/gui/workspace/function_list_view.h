#pragma once

#include "workspace/workspace_queries.h"

#include <QTreeWidget>
#include <optional>

// lvwFList: the functions of the selected project, one row each keyed "F" + its id, with their
// classes, hours and prices; a function on hold greyed, marked "×". The key column is hidden.
// A click on a heading asks for the list in that column's order.
class FunctionListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit FunctionListView(QWidget* parent = nullptr);

    const FunctionOrder& order() const { return m_order; }
    // Another column sorts ascending, the same one again reverses. false for no column of the
    // list.
    bool sortBy(int column);

    // Shows the rows in place of the list's, the function current among them current (0 for
    // none). false when it is not among them.
    bool showRows(const QList<FunctionRow>& rows, int current);
    // Rewrites the function's row, or adds it at the end, and makes it current; without a row
    // (the function is gone) its row goes.
    void showRow(int function, const std::optional<FunctionRow>& row);
    void clearRows();

    // The function of the first selected row, 0 when none is selected.
    int SelectedFunctionId() const;

signals:
    void functionChosen(int function);
    void sortRequested(int column);
    // A double click or Enter on a row.
    void openRequested();

protected:
    // The cursor keys never land on the hidden key column: a current cell there leaves the row
    // unselected.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillRow(QTreeWidgetItem* item, const FunctionRow& row);
    void finishRows(QTreeWidgetItem* current);
    void showSortIndicator();
    void rowChanged(QTreeWidgetItem* current);
    void rowDoubleClicked(QTreeWidgetItem* item);

    FunctionOrder m_order;
};
