#include "calc/consumption_tax.h"

qint64 ConsumptionTax(qint64 amount, int ratePercent, TaxRounding rounding)
{
    // In integers: the tax of 1,234,567 at 10 % is 123,456.7 exactly, never 123,456.69999.
    const qint64 size = (amount < 0 ? -amount : amount) * ratePercent;
    qint64 tax = size / 100;
    const qint64 rest = size % 100;
    if ((rounding == TaxRounding::HalfUp && rest >= 50) || (rounding == TaxRounding::Up && rest > 0)) {
        ++tax;
    }
    return amount < 0 ? -tax : tax;
}
