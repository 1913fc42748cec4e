#include "divisions/code_divisions.h"

#include "convert/conversions.h"
#include "db/db_connection.h"

#include <QComboBox>
#include <QHash>
#include <QVector>

namespace {

struct DivisionRow {
    int code = 0;
    QString name;
    QString def;
    QVariant coef;
    QVariant coef2;
    QVariant coef3;
};

using Division = QVector<DivisionRow>;

// Keyed by the database's location and the division number, so that two databases opened in
// one run never share rows.
QHash<QString, Division>& cache()
{
    static QHash<QString, Division> divisions;
    return divisions;
}

const Division& division(DbConnection& connection, int number)
{
    const QString key = connection.location() + QLatin1Char('#') + QString::number(number);
    auto it = cache().find(key);
    if (it == cache().end()) {
        Division rows;
        Recordset rs =
            OpenRs(connection, QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") + QString::number(number) +
                                   QStringLiteral(" ORDER BY NSORT,NVAL"));
        for (; !rs.eof(); rs.moveNext()) {
            DivisionRow row;
            row.code = rs.field(QStringLiteral("NVAL")).toInt();
            row.name = rs.field(QStringLiteral("CNAME")).toString();
            row.def = rs.field(QStringLiteral("CDEF")).toString();
            row.coef = rs.field(QStringLiteral("NCOEF"));
            row.coef2 = rs.field(QStringLiteral("NCOEF2"));
            row.coef3 = rs.field(QStringLiteral("NCOEF3"));
            rows.append(row);
        }
        it = cache().insert(key, rows);
    }
    return it.value();
}

const DivisionRow* findRow(DbConnection& connection, int number, int code)
{
    for (const DivisionRow& row : division(connection, number)) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

QVariant columnValue(const DivisionRow& row, const QString& column)
{
    const QString c = column.toUpper();
    if (c == QLatin1String("NCOEF")) {
        return row.coef;
    }
    if (c == QLatin1String("NCOEF2")) {
        return row.coef2;
    }
    if (c == QLatin1String("NCOEF3")) {
        return row.coef3;
    }
    return QVariant();
}

} // namespace

void FillDivCombo(DbConnection& connection, QComboBox* combo, int number, const QVariant& defaultCode)
{
    const int before = combo->currentIndex();
    int selected = -1;
    const bool byDefault = !defaultCode.isValid() || defaultCode.isNull();
    for (const DivisionRow& row : division(connection, number)) {
        combo->addItem(row.name, row.code);
        const bool match = byDefault ? row.def == QLatin1String("1") : row.code == defaultCode.toInt();
        if (match) {
            selected = combo->count() - 1;
        }
    }
    // Adding to an empty combo selects its first entry; only a matching row may be selected.
    combo->setCurrentIndex(selected >= 0 ? selected : before);
}

QString DivName(DbConnection& connection, int number, int code)
{
    const DivisionRow* row = findRow(connection, number, code);
    return row ? row->name : QString();
}

QString DivValue(DbConnection& connection, int number, int code, const QString& column)
{
    const DivisionRow* row = findRow(connection, number, code);
    if (!row) {
        return QStringLiteral("0");
    }
    const QVariant value = columnValue(*row, column);
    return FormatNumber(value.isValid() ? value.toDouble() : 0.0, 2, true);
}

double DivNumber(DbConnection& connection, int number, int code, const QString& column)
{
    return NumberOrZero(DivValue(connection, number, code, column));
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

void ClearDivisionCache()
{
    cache().clear();
}
