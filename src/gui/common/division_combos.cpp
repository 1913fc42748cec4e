#include "common/division_combos.h"

#include "divisions/code_divisions.h"

#include <QComboBox>

void FillDivCombo(DbConnection& connection, QComboBox* combo, int number, const QVariant& defaultCode)
{
    const int before = combo->currentIndex();
    int selected = -1;
    const bool byDefault = !defaultCode.isValid() || defaultCode.isNull();
    for (const DivisionRow& row : DivisionRows(connection, number)) {
        combo->addItem(row.name, row.code);
        const bool match = byDefault ? row.def == QLatin1String("1") : row.code == defaultCode.toInt();
        if (match) {
            selected = combo->count() - 1;
        }
    }
    // Adding to an empty combo selects its first entry; only a matching row may be selected.
    combo->setCurrentIndex(selected >= 0 ? selected : before);
}

void SelectComboByKey(QComboBox* combo, const QVariant& code)
{
    if (!code.isValid() || code.isNull() || code.toString().isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    bool ok = false;
    const int wanted = code.toInt(&ok);
    if (!ok) {
        return;
    }
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemData(i).toInt() == wanted) {
            combo->setCurrentIndex(i);
            return;
        }
    }
}

void SelectComboByText(QComboBox* combo, const QVariant& text)
{
    if (!text.isValid() || text.isNull() || text.toString().isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    const int index = combo->findText(text.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        combo->setCurrentIndex(index);
    }
}

int ComboKey(const QComboBox* combo, const QString& text)
{
    if (!text.isEmpty()) {
        const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        return index >= 0 ? combo->itemData(index).toInt() : 0;
    }
    if (combo->currentIndex() < 0) {
        return 1;
    }
    return combo->itemData(combo->currentIndex()).toInt();
}
