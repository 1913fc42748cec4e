#pragma once

#include <QString>
#include <stdexcept>

// The calculation policy: how hours and amounts become the figures the program shows. Loaded
// once at start-up; written only by the policy dialog. Each value is the setting of the same
// name (Settings::Work … Settings::Cancel); a new Policy holds their defaults.
struct Policy {
    Policy();

    bool Work;
    bool Indirect;
    bool Base;
    bool Opt;
    bool Deliv;
    bool Expe0;
    bool Expe1;
    int Rate;
    bool WorkR;
    bool IndirectR;
    bool BaseR;
    bool OptR;
    bool DelivR;
    bool Expe0R;
    bool Expe1R;
    bool Hour;
    bool Charge;
    int MtoH;
    int Place;
    bool Cancel;
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

// The amount truncated towards zero to a multiple of 10^place, formatted like FormatAmount;
// place -1 takes the policy's "Place".
QString RoundDownPlace(double amount, int place, const Policy& policy);
