#pragma once

#include <QString>
#include <QVariant>
#include <stdexcept>

// The calculation policy: how hours and amounts become the figures the program shows.
// Loaded once at start-up; written only by the policy dialog.
struct Policy {
    bool Work = true;
    bool Indirect = true;
    bool Base = true;
    bool Opt = true;
    bool Deliv = true;
    bool Expe0 = true;
    bool Expe1 = true;
    int Rate = 0;
    bool WorkR = true;
    bool IndirectR = true;
    bool BaseR = true;
    bool OptR = true;
    bool DelivR = true;
    bool Expe0R = true;
    bool Expe1R = true;
    bool Hour = false;
    bool Charge = true;
    int MtoH = 160;
    int Place = 3;
    bool Cancel = true;
};

// A stored policy value that cannot be read as its type. The message names the key so that
// the user can mend the settings file.
class PolicyError : public std::runtime_error {
public:
    PolicyError(const QString& key, const QString& value);
    QString message() const { return m_message; }

private:
    QString m_message;
};

Policy LoadPolicy();                   // raises PolicyError
bool SavePolicy(const Policy& policy); // false when the store could not be written

// Check-box values are 0 (unticked), 1 (ticked) or 2 (grey); grey counts as ticked.
bool CheckToBool(const QVariant& value);
int BoolToCheck(const QVariant& value);
