#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <stdexcept>

// A text that should be a number and is not. Raised by ToDbl and FormatAmount; the savers
// catch it like a database error.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Numbers follow the Japanese conventions whatever the machine's locale: "," groups
// thousands and "." marks the decimals.

// True when the whole text reads as a number: optional blanks, one optional sign, digits
// (with "," allowed after the first digit) and an optional decimal part.
bool ParseNumber(const QString& text, double* value = nullptr);

// The shortest text that reads back as exactly this number, never in exponent notation
// and without grouping ("1234567", "0.1", "-12.5").
QString PlainNumber(double value);

// A figure shown as plain text: no grouping, no exponent, and no binary noise beyond fifteen
// significant digits (3 x 1.1 shows 3.3). Statements use PlainNumber, which is exact.
QString ShownText(double value);

// The number rounded (half away from zero) to the given decimals, with "," grouping when asked.
QString FormatNumber(double value, int decimals, bool grouping = true);

// Full-width digits and signs typed through an input method, taken as their half-width forms.
QString ToHalfWidth(const QString& text);

// Key filters: the key (character code) to keep, or 0 to drop it.
int KeyDigitsOnly(int key, bool allowSignAndComma);
int KeyDateChars(int key, int& lastKey);

// Clean-up of a numeric box's whole text after a change.
QString StripNonNumeric(const QString& text);

// A number pasted from a document, as a numeric box takes it: surrounding blanks, a "¥" or "￥"
// in front and a "円" behind are dropped and full-width forms made half-width. What is left must
// be one plain number: digits, commas only between groups of three ("1,234,567"), a leading
// "-" when allowSign, one decimal point with digits after it when allowDecimal. Anything else
// ("1e5", "1.234.567", "1,2,3", "--1") gives an empty text: refused, never read some other way.
QString PastedNumber(const QString& text, bool allowSign, bool allowDecimal);

// Date boxes are typed as yyyy/mm/dd: the slashes are put in as the digits arrive. caret
// receives the new caret position, or -1 when the caret is to stay where it is.
QString AutoSlashDate(const QString& text, int lastKey, int* caret = nullptr);

// A yyyy/mm/dd text (one or two digit month and day accepted) that names a real date from
// 1753/01/01 to 9999/12/31, the dates every engine can store.
bool IsDateText(const QString& text);
// The date such a text names; an invalid date for any other text.
QDate DateFromText(const QString& text);

// The 16-bit range in which hours, keys, codes and row numbers are handled.
constexpr int kShortMin = -32768;
constexpr int kShortMax = 32767;

// A whole number read by ToInt or ToLng. A value beyond the range (or a text that is no
// number) gives 0 with overflowed set: the caller tells the user with the overflow warning
// and goes on with the 0.
struct WholeNumber {
    qint32 value = 0;
    bool overflowed = false;
};

// Conversions of texts and database values. Empty texts and NULL count as 0 (or "").
WholeNumber ToInt(const QVariant& value); // 16-bit range, half to even
WholeNumber ToLng(const QVariant& value); // 32-bit range, half to even
double ToDbl(const QVariant& value);      // raises ConversionError for a text that is not a number
QString ToText(const QVariant& value, int width = -1);
QString FormatAmount(const QVariant& value); // whole yen, "," grouping; raises like ToDbl
// The amount truncated towards zero to a multiple of 10^place, shown like FormatAmount.
QString RoundDownTo(double amount, int place);

// Live totals read a box that may hold a half-typed number ("-"): such a text counts as 0.
double NumberOrZero(const QString& text);
