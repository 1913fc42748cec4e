#pragma once

#include <QVariant>

class QCheckBox;

// Check-box values as the program counts them: 0 unticked, 1 ticked, 2 grey.
int CheckValue(const QCheckBox* box);
void SetCheckValue(QCheckBox* box, int value);

// Grey counts as ticked; a value beyond the 16-bit range gets the overflow warning and counts
// as unticked.
bool CheckToBool(const QVariant& value);
int BoolToCheck(const QVariant& value);
