#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class QWidget;

// The pieces every window is built from, built one way, so that a control looks and behaves
// alike wherever it stands.

// A push button that Enter in a box never presses: the windows have no default button unless
// they make one explicitly (setDefault).
QPushButton* NamedButton(QWidget* parent, const QString& name, const QString& text);
QLabel* NamedLabel(QWidget* parent, const QString& name, const QString& text);
// width 0: the layout decides.
QLineEdit* NamedBox(QWidget* parent, const QString& name, int width = 0);
QComboBox* NamedCombo(QWidget* parent, const QString& name);
// A box for a figure: right-aligned, starting with text.
QLineEdit* NumberBox(QWidget* parent, const QString& name, int width = 0, const QString& text = QString());

// A heading over a group of fields or a column of a grid: bold.
QLabel* HeadingLabel(QWidget* parent, const QString& text, const QString& name = QString());
// Shows the widget's text in bold (a total, the figure that matters most).
void MakeBold(QWidget* widget);
// A horizontal line between two groups.
QFrame* SeparatorLine(QWidget* parent, const QString& name = QString());

// A figure the window computes, right-aligned and at least minimumWidth pixels wide. It looks
// read-only: a flat panel in the window's own colour, never the white, sunken face of a box
// that takes typing.
QLabel* ValueLabel(QWidget* parent, const QString& name, int minimumWidth, const QString& text = QString());

// A report list: one row per record, whole rows selected one at a time, no tree decoration, no
// editing in place. The user may size its columns; a column the user sized keeps that width.
QTreeWidget* ReportList(QWidget* parent, const QString& name);
// The same for a list of a class of its own.
void MakeReportList(QTreeWidget* list, const QString& name);

struct ListColumn {
    QString caption;
    int defaultTwips = 1000;
    Qt::Alignment align = Qt::AlignLeft; // figures: Qt::AlignRight, heading and cells alike
};

// Clears the list's rows and sets its columns. A column the list already had keeps its width
// (the user's, through ColumnWidthOr); a new one gets its default. None is narrower than its
// heading. A text column at the end takes the spare width; a figure column keeps its own, so
// its figures stay beside the others.
void SetListColumns(QTreeWidget* list, const QList<ListColumn>& columns);

// Sets a row's texts from the first column on, each aligned as its column. list: the list the row
// goes into, when it is in none yet.
void SetRowTexts(QTreeWidgetItem* item, const QStringList& texts, const QTreeWidget* list = nullptr);

// Widens each column the user has not sized to show its heading and cells whole (the cells
// with the longest texts are measured); never narrows one.
void FitListColumns(QTreeWidget* list);

// The row-editing block of the editors: "行追加", "行更新", "行削除", a report list and, beside
// it, arrows that move the chosen row. Update and delete act on the chosen row: the row last
// clicked or reached with the keyboard, or the row the window last added or updated. The chosen
// row stays selected (a click beside the rows does not drop it), so that the duplicate checks,
// which skip the selected row, skip exactly that row.
class RowListPanel : public QObject {
    Q_OBJECT
public:
    struct Names {
        QString add; // empty: the block cannot add
        QString update;
        QString remove;
        QString list;
        QString up;
        QString down;
    };

    RowListPanel(QWidget* parent, const Names& names);

    QTreeWidget* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; } // nullptr when the block cannot add
    QPushButton* updateButton() const { return m_update; }
    QPushButton* deleteButton() const { return m_delete; }

    // The buttons in a row (room left at the end for the window's own buttons) and the list with
    // its arrows; each is put into the window's layout once.
    QHBoxLayout* buttonRow() const { return m_buttonRow; }
    QHBoxLayout* listRow() const { return m_listRow; }
    // The usual order: the buttons, then the list taking the spare height.
    void addTo(QVBoxLayout* layout);

    // Asked before an arrow moves the chosen row; false keeps it where it is (the masters store
    // the new order first).
    void setMoveCheck(std::function<bool(int offset)> check) { m_moveCheck = std::move(check); }

    // The chosen row: nullptr (and an empty key) when update and delete wait for a click.
    QTreeWidgetItem* chosenRow() const;
    QString chosenKey() const { return m_chosenKey; }

    // Makes the row the chosen one, selected; update and delete act on it, the arrows move it
    // when there is another row. Called by the window once it has shown a clicked row, and
    // after it added or updated one.
    void chooseRow(QTreeWidgetItem* item);
    // The row an add (mode 0) or update (mode 1) writes: a new row at the end, or the chosen
    // row (nullptr when none is chosen). Asked once the entry has passed its checks.
    QTreeWidgetItem* rowToEnter(int mode);
    // Writes the row's key and texts, widens the columns for them and chooses the row, so that
    // update and delete act on it under its new key.
    void enterRow(QTreeWidgetItem* row, const QString& key, const QStringList& texts);
    // Deletes the chosen row. No other row takes its place.
    void removeChosenRow();
    // Nothing chosen: no selection, update, delete and the arrows disabled.
    void forgetRow();
    // Clears the rows and sets the columns (SetListColumns); nothing is chosen.
    void setColumns(const QList<ListColumn>& columns);

    // Rows the window keeps in a model of its own: the list shows them, and the arrows hand the
    // move to mover, which moves the row in the model; the list follows through setRows.
    struct Row {
        QString key;
        QStringList texts;
    };
    // Shows the rows in place of those listed, widening the columns for them; the chosen row
    // stays chosen while a row has its key.
    void setRows(const QList<Row>& rows);
    void setMover(std::function<void(int offset)> mover) { m_mover = std::move(mover); }

signals:
    // 0 add, 1 update, 2 delete.
    void applyRow(int mode);
    // A click on a row (also on the chosen one: its values come back over what was typed), or a
    // keyboard move to it. The window shows the row and, when it can act on it, chooses it.
    void rowClicked(QTreeWidgetItem* item);

private:
    void selectionChanged();
    void move(int offset);
    void refreshButtons();

    QTreeWidget* m_list;
    QPushButton* m_add = nullptr;
    QPushButton* m_update;
    QPushButton* m_delete;
    QPushButton* m_up;
    QPushButton* m_down;
    QHBoxLayout* m_buttonRow;
    QHBoxLayout* m_listRow;
    std::function<bool(int)> m_moveCheck;
    std::function<void(int)> m_mover;
    QString m_chosenKey;
    bool m_quiet = false; // the block itself changes the selection
};
