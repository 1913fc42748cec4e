#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// The filters every numeric and date box of the program uses, attached by one call. Keys are
// filtered by character (arrows, Delete, Tab, Home/End, copy, paste and undo keep working);
// the input method is switched off; full-width digits and signs are taken as half-width;
// pasted text is cleaned up as it arrives.

// A numeric box: digits only, "-" and "," too when allowSignAndComma; every change cleans the
// text with StripNonNumeric; with formatOnFocusOut, leaving the box shows the number with
// thousands separators (FormatAmount), unless the text does not read as a number. Pasted text
// must be one plain number (PastedNumber; a decimal point only with allowDecimalPaste), else it
// is refused with "数値として貼り付けられません。" and the box keeps its text.
void AttachNumericFilter(QLineEdit* box, bool allowSignAndComma, bool formatOnFocusOut,
                         bool allowDecimalPaste = false);

// A date box typed as yyyy/mm/dd: digits, "/" and Backspace; the slashes go in by themselves.
void AttachDateFilter(QLineEdit* box);

// For a save: true when the box is empty or reads as a number; otherwise shows
// caption + "の値が正しくありません。" (title "入力確認"), puts the focus on the box and
// returns false.
bool CheckNumberBox(QWidget* parent, const QString& caption, QLineEdit* box);
// The same for a count (quantities, hours): the number must also be whole, since the figures
// count whole units and a fraction would be stored with a value no figure used.
bool CheckWholeNumberBox(QWidget* parent, const QString& caption, QLineEdit* box);
