#pragma once

#include <cmath>

// The price rule of a function, shared by the function editor and the bulk recalculation so
// that one function never carries two prices: its total before correction, times the
// product of its five class coefficients (each as the editor shows it, two decimals), less
// its discount, in whole yen (half away from zero, as the amount is shown).
inline double CorrectionProduct(const double (&coefficients)[5])
{
    double product = 1.0;
    for (const double c : coefficients) {
        product *= c;
    }
    return product;
}

inline double FunctionPrice(double total, double correctionProduct, double discount)
{
    return std::round(total * correctionProduct - discount);
}
