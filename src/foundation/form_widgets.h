#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

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

// A figure the window computes: a sunken, right-aligned box at least minimumWidth pixels wide.
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

// Widens each column the user has not sized to show its heading and cells whole; never narrows
// one.
void FitListColumns(QTreeWidget* list);
