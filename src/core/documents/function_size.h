#pragma once

#include "calc/estimate_calc.h"

#include <QHash>

class DbConnection;

// The size strand of every function of a project (function points, KStep, COCOMO hours), as
// the function editor shows it for the stored function, keyed by NFUNCTION, with the COCOMO
// constant cocomoA. Raises DbError.
QHash<int, EstimateResult> ProjectFunctionSizes(DbConnection& connection, int project, int hoursPerMonth,
                                                double cocomoA = kCocomoA);
