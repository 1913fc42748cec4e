#include "function/code_choice.h"

int CodeChoice::key() const
{
    return chosen() ? entries[index].code : 1;
}

void CodeChoice::chooseCode(const QVariant& code)
{
    if (!code.isValid() || code.isNull() || code.toString().isEmpty()) {
        index = -1;
        return;
    }
    bool ok = false;
    const int wanted = code.toInt(&ok);
    if (!ok) {
        return;
    }
    const int found = indexOf(wanted);
    if (found >= 0) {
        index = found;
    }
}

int CodeChoice::indexOf(int code) const
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].code == code) {
            return i;
        }
    }
    return -1;
}
