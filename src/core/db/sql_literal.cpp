#include "db/sql_literal.h"

#include "convert/conversions.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>

namespace {

QString quoted(const QString& text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

} // namespace

QString SqlLiteral(const QVariant& value, const QString& typeName)
{
    const QChar code = typeName.isEmpty() ? QChar() : typeName.at(0).toUpper();
    if (!value.isValid() || value.isNull()) {
        return QStringLiteral("NULL");
    }
    switch (value.userType()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        if (code == QLatin1Char('D') || code == QLatin1Char('C')) {
            return quoted(text);
        }
        if (code == QLatin1Char('N')) {
            return text.isEmpty() ? QStringLiteral("NULL") : PlainNumber(ToDbl(text));
        }
        return text;
    }
    case QMetaType::QDate:
        return quoted(value.toDate().toString(QStringLiteral("yyyy/MM/dd")));
    case QMetaType::QDateTime:
        return quoted(value.toDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    case QMetaType::Bool: {
        const QString digit = value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        return code == QLatin1Char('C') ? quoted(digit) : digit;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return PlainNumber(value.toDouble());
    default:
        return value.toString();
    }
}

QString SqlDateLiteral(const QDate& date)
{
    return QStringLiteral("Convert(DateTime,'") + date.toString(QStringLiteral("yyyy/MM/dd")) +
           QStringLiteral("',111)");
}

QString SqlKeyList(const QList<int>& keys)
{
    QStringList texts;
    texts.reserve(keys.size());
    for (const int key : keys) {
        texts << QString::number(key);
    }
    return texts.join(QStringLiteral(", "));
}
