#include "estimation/choice_combo.h"

#include "function/code_choice.h"

#include <QComboBox>
#include <QSignalBlocker>

void ShowChoice(QComboBox* combo, const CodeChoice& choice)
{
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const CodeChoice::Entry& entry : choice.entries) {
        combo->addItem(entry.name, entry.code);
    }
    combo->setCurrentIndex(choice.chosen() ? choice.index : -1);
}
