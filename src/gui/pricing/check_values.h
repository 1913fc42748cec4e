#pragma once

class QCheckBox;

// Check-box values as the program counts them: 0 unticked, 1 ticked, 2 grey.
int CheckValue(const QCheckBox* box);
void SetCheckValue(QCheckBox* box, int value);
