#include "documents/csv_writer.h"

#include "convert/conversions.h"

#include <QSaveFile>

namespace {

QString field(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QByteArray CsvFile(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& value : row) {
            fields << field(value);
        }
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString CsvNumber(double value)
{
    return ShownText(value);
}

bool WriteCsvFile(const QString& path, const QList<QStringList>& rows, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(CsvFile(rows)) < 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
