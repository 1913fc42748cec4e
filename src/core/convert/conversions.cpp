#include "convert/conversions.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <cmath>
#include <limits>

ConversionError::ConversionError(const QString& text)
    : std::runtime_error(QStringLiteral("型が一致しません。: \"%1\"").arg(text).toStdString()), m_text(text)
{
}

namespace {

constexpr int kBackspace = 8;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlankText(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        return true;
    }
    return value.userType() == QMetaType::QString && value.toString().isEmpty();
}

// Half to even, as the integer conversions of the program have always rounded.
double roundHalfEven(double v)
{
    const double r = std::round(v);
    if (std::fabs(v - std::trunc(v)) == 0.5) {
        return 2.0 * std::round(v / 2.0);
    }
    return r;
}

// Amounts are shown rounded half away from zero, the way a printed yen amount is rounded.
double roundHalfAway(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

bool toNumber(const QVariant& value, double* out)
{
    switch (value.userType()) {
    case QMetaType::QString:
        return ParseNumber(value.toString(), out);
    case QMetaType::Bool:
        *out = value.toBool() ? 1.0 : 0.0;
        return true;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::QTime:
        return false;
    default: {
        bool ok = false;
        *out = value.toDouble(&ok);
        return ok;
    }
    }
}

QString groupDigits(const QString& digits)
{
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += QLatin1Char(',');
        }
        out += digits.at(i);
    }
    return out;
}

WholeNumber toInteger(const QVariant& value, double low, double high)
{
    if (isBlankText(value)) {
        return {};
    }
    double number = 0;
    if (!toNumber(value, &number) || !std::isfinite(number)) {
        return {0, true};
    }
    const double rounded = roundHalfEven(number);
    if (rounded < low || rounded > high) {
        return {0, true};
    }
    return {static_cast<qint32>(rounded), false};
}

} // namespace

bool ParseNumber(const QString& text, double* value)
{
    const QString t = text.trimmed();
    int i = 0;
    const int n = t.size();
    QString plain;
    if (i < n && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        if (t.at(i) == QLatin1Char('-')) {
            plain += QLatin1Char('-');
        }
        ++i;
    }
    int digits = 0;
    while (i < n && (isDigit(t.at(i)) || (t.at(i) == QLatin1Char(',') && digits > 0))) {
        if (t.at(i) != QLatin1Char(',')) {
            plain += t.at(i);
            ++digits;
        }
        ++i;
    }
    if (i < n && t.at(i) == QLatin1Char('.')) {
        plain += QLatin1Char('.');
        ++i;
        while (i < n && isDigit(t.at(i))) {
            plain += t.at(i);
            ++digits;
            ++i;
        }
    }
    if (i != n || digits == 0) {
        return false;
    }
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok) {
        return false;
    }
    if (value) {
        *value = v;
    }
    return true;
}

QString PlainNumber(double value)
{
    if (value == 0.0) {
        return QStringLiteral("0");
    }
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString ShownText(double value)
{
    if (!std::isfinite(value)) {
        return QStringLiteral("0");
    }
    return PlainNumber(QString::number(value, 'g', 15).toDouble());
}

QString FormatNumber(double value, int decimals, bool grouping)
{
    const double rounded = roundHalfAway(value, decimals);
    QString text = QString::number(std::fabs(rounded), 'f', decimals);
    const bool negative = rounded < 0;
    if (grouping) {
        const int dot = text.indexOf(QLatin1Char('.'));
        const QString whole = dot < 0 ? text : text.left(dot);
        text = groupDigits(whole) + (dot < 0 ? QString() : text.mid(dot));
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString ToHalfWidth(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19) {
            c = QChar(u - 0xFF10 + '0');
        } else if (u == 0xFF0D || u == 0x2212) {
            c = QLatin1Char('-');
        } else if (u == 0xFF0C) {
            c = QLatin1Char(',');
        } else if (u == 0xFF0F) {
            c = QLatin1Char('/');
        } else if (u == 0xFF0E) {
            c = QLatin1Char('.');
        }
    }
    return out;
}

int KeyDigitsOnly(int key, bool allowSignAndComma)
{
    if (key >= '0' && key <= '9') {
        return key;
    }
    if (key == kBackspace || key == 22 || key == 3) { // Backspace, Ctrl+V, Ctrl+C
        return key;
    }
    if ((key == '-' || key == ',') && allowSignAndComma) {
        return key;
    }
    return 0;
}

int KeyDateChars(int key, int& lastKey)
{
    lastKey = key;
    if ((key >= '0' && key <= '9') || key == '/' || key == kBackspace) {
        return key;
    }
    return 0;
}

QString StripNonNumeric(const QString& text)
{
    if (ParseNumber(text)) {
        return text;
    }
    QString out;
    bool digitKept = false;
    bool pointKept = false;
    for (const QChar c : text) {
        if (isDigit(c)) {
            out += c;
            digitKept = true;
        } else if (c == QLatin1Char(',') && digitKept && !pointKept) {
            out += c;
        } else if (c == QLatin1Char('-') && out.isEmpty()) {
            out += c;
        } else if (c == QLatin1Char('.') && digitKept && !pointKept) {
            // Keeping the decimal point of pasted text: dropping it would silently turn
            // 12.5 into 125.
            out += c;
            pointKept = true;
        }
    }
    return out;
}

QString PastedNumber(const QString& text, bool allowSign, bool allowDecimal)
{
    static const QRegularExpression plain(QStringLiteral("^([0-9]{1,3}(,[0-9]{3})+|[0-9]+)(\\.[0-9]+)?$"));
    const QChar yen(0x00A5), fullWidthYen(0xFFE5), en(0x5186);
    QString t = ToHalfWidth(text).trimmed();
    bool negative = false;
    const auto takeSign = [&] {
        if (!negative && t.startsWith(QLatin1Char('-'))) {
            negative = true;
            t = t.mid(1).trimmed();
        }
    };
    takeSign();
    if (t.startsWith(yen) || t.startsWith(fullWidthYen)) {
        t = t.mid(1).trimmed();
        takeSign();
    }
    if (t.endsWith(en)) {
        t.chop(1);
        t = t.trimmed();
    }
    if (!plain.match(t).hasMatch() || (negative && !allowSign) ||
        (!allowDecimal && t.contains(QLatin1Char('.')))) {
        return QString();
    }
    return negative ? QLatin1Char('-') + t : t;
}

bool IsDateText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return false;
    }
    // SQL Server's datetime holds nothing before 1753.
    const int year = m.captured(1).toInt();
    return year >= 1753 && QDate(year, m.captured(2).toInt(), m.captured(3).toInt()).isValid();
}

QDate DateFromText(const QString& text)
{
    return IsDateText(text) ? QDate::fromString(text, QStringLiteral("yyyy/M/d")) : QDate();
}

QString AutoSlashDate(const QString& text, int lastKey, int* caret)
{
    if (caret) {
        *caret = -1;
    }
    if (text.size() == 10 && IsDateText(text)) {
        return text;
    }
    QString source = text;
    if (lastKey == kBackspace && (source.size() == 4 || source.size() == 7)) {
        source.chop(1);
    }
    QString rebuilt;
    for (const QChar c : source) {
        if (!isDigit(c)) {
            continue;
        }
        rebuilt += c;
        if (rebuilt.size() == 4 || rebuilt.size() == 7) {
            rebuilt += QLatin1Char('/');
        }
    }
    if (caret && (lastKey == kBackspace || source.endsWith(QLatin1Char('/')))) {
        *caret = rebuilt.size();
    }
    return rebuilt;
}

WholeNumber ToInt(const QVariant& value)
{
    return toInteger(value, kShortMin, kShortMax);
}

WholeNumber ToLng(const QVariant& value)
{
    return toInteger(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
}

double ToDbl(const QVariant& value)
{
    if (isBlankText(value)) {
        return 0;
    }
    double number = 0;
    if (!toNumber(value, &number)) {
        throw ConversionError(value.toString());
    }
    return number;
}

QString ToText(const QVariant& value, int width)
{
    if (!value.isValid() || value.isNull()) {
        return QString();
    }
    switch (value.userType()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QDateTime:
        return value.toDateTime().date().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return ShownText(value.toDouble());
    default:
        break;
    }
    bool ok = false;
    const qlonglong whole = value.toLongLong(&ok);
    if (ok) {
        if (width > 0 && whole >= kShortMin && whole <= kShortMax) {
            return QStringLiteral("%1").arg(whole, width, 10, QLatin1Char('0'));
        }
        return QString::number(whole);
    }
    return value.toString();
}

QString FormatAmount(const QVariant& value)
{
    if (isBlankText(value)) {
        return QString();
    }
    return FormatNumber(ToDbl(value), 0, true);
}

QString RoundDownTo(double amount, int place)
{
    const double unit = std::pow(10.0, place);
    return FormatAmount(std::trunc(amount / unit) * unit);
}

double NumberOrZero(const QString& text)
{
    double value = 0;
    return ParseNumber(text, &value) ? value : 0.0;
}
