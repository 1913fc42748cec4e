#pragma once

#include <QString>
#include <QVariant>

class DbConnection;
class QComboBox;

// The combos of code divisions: an entry carries its code as item data (Qt::UserRole) and its
// label as text.

// Appends one entry per row of the division (ordered by NSORT, NVAL) and selects the entry of
// defaultCode, or, when it is null, the row marked CDEF '1' (the last such row wins). The
// combo is not cleared first.
void FillDivCombo(DbConnection& connection, QComboBox* combo, int division,
                  const QVariant& defaultCode = QVariant());

// Selects the first entry whose code equals code; null or "" clears the selection; an unknown
// code leaves the selection as it was.
void SelectComboByKey(QComboBox* combo, const QVariant& code);

// The same by the entry's text.
void SelectComboByText(QComboBox* combo, const QVariant& text);

// With a text: the code of the first entry with that text, 0 when none. Without a text: the
// code of the selected entry, 1 when nothing is selected.
int ComboKey(const QComboBox* combo, const QString& text = QString());
