#pragma once

#include "project/project_lookups.h"

#include <QList>
#include <QString>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;
class QWidget;

// Small builders shared by the project editor's pages, so that every page names, aligns and
// sizes its controls the same way.

// An editable combo of master entries: a name is picked from the list or typed (at most the 50
// characters of a master name).
QComboBox* EntryCombo(QWidget* parent, const QString& name, int minimumWidth);

// Refills the combo with the entries; the entry of id is selected, none (and an empty box)
// when there is no such key.
void FillEntryCombo(QComboBox* combo, const QList<NamedKey>& entries, int id);

// The key of the entry picked, 0 when the text was typed.
int PickedEntryKey(const QComboBox* combo);

// Shows the entry of id, or, when the master no longer has it, the text as typed.
void ShowEntry(QComboBox* combo, int id, const QString& text);

// The code a list row carries beside its texts (the job kind of a member, the buyer of an
// expense), kept as loaded even when the code has lost its label.
void SetRowCode(QTreeWidgetItem* item, int code);
int RowCode(const QTreeWidgetItem* item);

// Before the standard-value proposal overwrites prices already entered: true when it may.
bool ConfirmOverwrite(QWidget* parent, bool pricesEntered);

// A unit after a box ("円", "時間").
QLabel* UnitLabel(QWidget* parent, const QString& text);

// A row of input fields; a nullptr between two widgets leaves the gap between two groups.
QHBoxLayout* FieldRow(const QList<QWidget*>& widgets);

// Gives the labels that lead rows of fields one width, so the rows line up.
void AlignLabels(const QList<QLabel*>& labels);

// A page with its content above and one button at the bottom right.
void LayOutWithButton(QWidget* page, QLayout* content, QPushButton* button);
