#pragma once

#include <QtGlobal>

// How the consumption tax of an amount is brought to whole yen. The codes are those stored
// with the issuer (MISSUER.NTAXROUND).
enum class TaxRounding { Down = 0, HalfUp = 1, Up = 2 };

// The tax of a whole-yen amount at a whole percent, rounded as asked; the rounding acts on
// the size of the tax, so that a negative amount gets the same tax with the other sign.
qint64 ConsumptionTax(qint64 amount, int ratePercent, TaxRounding rounding);
