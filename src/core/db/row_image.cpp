#include "db/row_image.h"

#include "db/db_connection.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>

namespace {

QString valueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        return QStringLiteral("\u2400"); // NULL is not the empty text
    }
    switch (value.userType()) {
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs);
    default:
        return value.toString();
    }
}

} // namespace

RowImage RowImage::read(DbConnection& connection, const QString& sql, const QStringList& columns)
{
    RowImage image;
    for (Recordset rs = OpenRs(connection, sql); !rs.eof(); rs.moveNext()) {
        image.add(rs, columns);
    }
    image.finish();
    return image;
}

RowImage RowImage::currentRow(const Recordset& rs, const QStringList& columns)
{
    RowImage image;
    if (!rs.eof()) {
        image.add(rs, columns);
    }
    return image;
}

void RowImage::add(const Recordset& rs, const QStringList& columns)
{
    QStringList values;
    for (const QString& column : columns.isEmpty() ? rs.columns() : columns) {
        values << valueText(rs.field(column));
    }
    m_rows << values.join(QChar(0x1f));
}

void RowImage::finish()
{
    std::sort(m_rows.begin(), m_rows.end());
}
