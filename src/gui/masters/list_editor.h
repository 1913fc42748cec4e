#pragma once

#include "common/dialog_placement.h"
#include "common/form_widgets.h"
#include "masters/master_rows.h"

#include <QList>
#include <QString>
#include <functional>

class QLayout;
class QVBoxLayout;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct AppState;

// The names and sizes that tell one list editor's window from another's.
struct ListEditorLayout {
    QString formName;  // "frmLang"
    QString caption;   // "開発言語編集"
    int helpTopic = 0; // F1
    QString listName;  // "lvwLList"
    QString upName;    // "cmdLUp"
    QString downName;  // "cmdLDown"
    bool hasAdd = true;
    int listWidthTwips = 6000;
    int listHeightTwips = 3000;
};

// The window every master editor shares: the table's rows in display order, the edit boxes
// below them, "行追加" / "行更新" / "行削除" / "閉じる" and the two arrows that move the
// selected row. Every change is written at once and the list is read again, so the window
// keeps nothing unsaved. Subclasses supply the boxes, the rows and the save.
class ListEditorDialog : public PlacedDialog {
    Q_OBJECT
public:
    QTreeWidget* list() const { return m_rows->list(); }

protected:
    ListEditorDialog(AppState& state, const ListEditorLayout& layout, QWidget* parent);

    AppState& state() const { return m_state; }

    // The boxes between the list and the buttons.
    void setEditArea(QLayout* area);

    // Clears the list's rows and sets its columns (SetListColumns).
    void resetList(const QList<ListColumn>& columns);
    QTreeWidgetItem* addRow(const QString& key, const QStringList& texts);
    // After a rebuild: nothing chosen, so "行更新", "行削除" and the arrows wait for a click.
    void finishList();
    // Reads the list again after a change that has been committed; a failure here must not read
    // as a failed save, which the user would repeat.
    void reloadAfterSave(const std::function<void()>& fill);

    QPushButton* addButton() const { return m_rows->addButton(); } // nullptr when the editor cannot add
    QPushButton* updateButton() const { return m_rows->updateButton(); }
    QPushButton* deleteButton() const { return m_rows->deleteButton(); }

    // A row was clicked (or reached with the keyboard): fill the boxes. false when the row
    // cannot be edited (its key is unreadable, or the database failed); the buttons then stay.
    virtual bool rowClicked(QTreeWidgetItem* item) = 0;
    // 0 add, 1 update, 2 delete.
    virtual void saveRow(int mode) = 0;
    // The arrows: rows a and b exchange their display order in the table.
    virtual OrderExchange exchangeOrder(int a, int b) = 0;

    // The window keeps its designed size; on a smaller screen the list gives up the difference.
    void fitInto(const QSize& room) override;

private:
    AppState& m_state;
    RowListPanel* m_rows;
    QVBoxLayout* m_editSlot;
};
