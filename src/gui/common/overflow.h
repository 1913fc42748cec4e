#pragma once

#include "convert/conversions.h"

// The one fixed overflow warning of a number beyond the 16-bit range.
void ShowOverflow();

// The number of a conversion (ToInt, ToLng), after the overflow warning when it overflowed:
// the calculation goes on with its 0.
qint32 WarnOnOverflow(const WholeNumber& number);
