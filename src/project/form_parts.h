#pragma once

#include <QList>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Small builders shared by the project editor's pages, so that every page names, aligns and
// sizes its controls the same way.

QLabel* NamedLabel(QWidget* parent, const QString& name, const QString& text);
QPushButton* NamedButton(QWidget* parent, const QString& name, const QString& text);
QLineEdit* NamedBox(QWidget* parent, const QString& name, int width = 0);

// A right-aligned amount box that starts at "0" when asked.
QLineEdit* AmountBox(QWidget* parent, const QString& name, int width, bool startAtZero);

// A right-aligned, framed label that shows a total.
QLabel* TotalLabel(QWidget* parent, const QString& name);

// A report list: one row per record, whole rows selected, no tree decoration.
QTreeWidget* ReportList(QWidget* parent, const QString& name);

struct ListColumn {
    QString caption;
    int defaultTwips = 1000;
    bool right = false;
};

// Clears the list and sets its columns; a column the list already had keeps its width.
void SetListColumns(QTreeWidget* list, const QList<ListColumn>& columns);

// Widens every column that is narrower than its heading or its cells; never narrows one.
void FitListColumns(QTreeWidget* list);

// Sets a row's cells after the first, with the alignment of their columns.
void SetRowCells(QTreeWidgetItem* item, const QStringList& cells);
