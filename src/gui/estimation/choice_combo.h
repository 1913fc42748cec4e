#pragma once

struct CodeChoice;
class QComboBox;

// Fills the combo with the choice's entries, the code of each as its item data, and selects the
// chosen one, quietly: the choice is already where the window keeps it.
void ShowChoice(QComboBox* combo, const CodeChoice& choice);
