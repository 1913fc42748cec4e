#include "calc/project_figures.h"

#include "convert/conversions.h"

#include <cmath>
#include <limits>

QString MemberRowKey(int member)
{
    return QStringLiteral("M") + ToText(member, 4);
}

QString ExpenseRowKey(int item, int buyer)
{
    return QStringLiteral("E") + ToText(item, 4) + (buyer == 1 ? QStringLiteral("C") : QStringLiteral("O"));
}

int KeyToId(const QString& key)
{
    qint64 id = 0;
    for (int i = 1; i < key.size() && key.at(i).isDigit(); ++i) {
        id = id * 10 + key.at(i).digitValue();
        if (id > std::numeric_limits<qint32>::max()) {
            return 0;
        }
    }
    return static_cast<int>(id);
}

double MemberCost(double pricePerHour, double occupiedHours, double indirectHours, bool countIndirect)
{
    const double hours = countIndirect ? occupiedHours : occupiedHours - indirectHours;
    return pricePerHour * hours;
}

double ExpenseAmount(double unitPrice, int quantity, double discount)
{
    return unitPrice * quantity - discount;
}

double ProposedSurcharge(double coefficient, double workTotal)
{
    const double hundredths = std::round(coefficient * 100.0) - 100.0;
    return hundredths * workTotal / 100.0;
}

int MonthSpan(const QDate& from, const QDate& to)
{
    return (to.year() - from.year()) * 12 + (to.month() - from.month());
}

int ScheduleMonths(const QList<QDate>& dates)
{
    QDate earliest;
    QDate latest;
    for (const QDate& date : dates) {
        if (!date.isValid()) {
            continue;
        }
        if (!earliest.isValid() || date < earliest) {
            earliest = date;
        }
        if (!latest.isValid() || date > latest) {
            latest = date;
        }
    }
    if (!earliest.isValid() || !(earliest < latest)) {
        return 0;
    }
    return MonthSpan(earliest, latest);
}

QString DeliverableCoefColumn(bool delivered, bool formatSpecified)
{
    if (!delivered) {
        return QStringLiteral("NCOEF2");
    }
    return formatSpecified ? QStringLiteral("NCOEF3") : QStringLiteral("NCOEF");
}
