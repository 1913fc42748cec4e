#include "pricing/check_values.h"

#include "common/overflow.h"

#include <QCheckBox>

int CheckValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void SetCheckValue(QCheckBox* box, int value)
{
    if (value == 2) {
        box->setTristate(true);
    }
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

bool CheckToBool(const QVariant& value)
{
    return WarnOnOverflow(ToInt(value)) != 0;
}

int BoolToCheck(const QVariant& value)
{
    if (value.userType() == QMetaType::Bool) {
        return value.toBool() ? 1 : 0;
    }
    return WarnOnOverflow(ToInt(value));
}
