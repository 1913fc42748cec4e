#include "settings/policy.h"

#include "convert/conversions.h"
#include "settings/settings.h"

namespace {

// Where each setting of the policy lives in the record. The keys, their names and defaults
// are the settings table's; the order is the order of the keys.
struct Field {
    Settings::Key key;
    bool Policy::*flag;
    int Policy::*number;
};

const Field kFields[] = {
    {Settings::Work, &Policy::Work, nullptr},     {Settings::Indirect, &Policy::Indirect, nullptr},
    {Settings::Base, &Policy::Base, nullptr},     {Settings::Opt, &Policy::Opt, nullptr},
    {Settings::Deliv, &Policy::Deliv, nullptr},   {Settings::Expe0, &Policy::Expe0, nullptr},
    {Settings::Expe1, &Policy::Expe1, nullptr},   {Settings::Rate, nullptr, &Policy::Rate},
    {Settings::WorkR, &Policy::WorkR, nullptr},   {Settings::IndirectR, &Policy::IndirectR, nullptr},
    {Settings::BaseR, &Policy::BaseR, nullptr},   {Settings::OptR, &Policy::OptR, nullptr},
    {Settings::DelivR, &Policy::DelivR, nullptr}, {Settings::Expe0R, &Policy::Expe0R, nullptr},
    {Settings::Expe1R, &Policy::Expe1R, nullptr}, {Settings::Hour, &Policy::Hour, nullptr},
    {Settings::Charge, &Policy::Charge, nullptr}, {Settings::MtoH, nullptr, &Policy::MtoH},
    {Settings::Place, nullptr, &Policy::Place},   {Settings::Cancel, &Policy::Cancel, nullptr},
};
static_assert(sizeof(kFields) / sizeof(kFields[0]) ==
                  Settings::kLastPolicyKey - Settings::kFirstPolicyKey + 1,
              "one field per policy key");

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// A Boolean is stored as True or False; a number counts as true when it is not 0.
bool readBool(const QString& text, bool* value)
{
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        *value = true;
        return true;
    }
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        *value = false;
        return true;
    }
    double number = 0;
    if (ParseNumber(text, &number)) {
        *value = number != 0;
        return true;
    }
    return false;
}

// An integer is stored as its decimal text and read as a 16-bit number.
bool readInt(const QString& text, int* value)
{
    double number = 0;
    if (!ParseNumber(text, &number)) {
        return false;
    }
    const WholeNumber whole = ToInt(number);
    *value = whole.value;
    return !whole.overflowed;
}

bool readField(Policy& policy, const Field& field, const QString& text)
{
    const QString t = text.trimmed();
    return field.flag ? readBool(t, &(policy.*field.flag)) : readInt(t, &(policy.*field.number));
}

} // namespace

Policy::Policy()
{
    for (const Field& field : kFields) {
        readField(*this, field, Settings::defaultText(field.key));
    }
}

PolicyError::PolicyError(const QString& key, const QString& value)
    : std::runtime_error(key.toStdString()),
      m_message(QStringLiteral("設定ファイルの [Policy] %1 の値「%2」を読み取れません。").arg(key, value))
{
}

Policy LoadPolicy()
{
    Policy p;
    for (const Field& field : kFields) {
        if (!Settings::has(field.key)) {
            continue;
        }
        const QString text = Settings::text(field.key);
        if (!readField(p, field, text)) {
            throw PolicyError(Settings::name(field.key), text.trimmed());
        }
    }
    return p;
}

bool SavePolicy(const Policy& p)
{
    Settings::Values values;
    for (const Field& field : kFields) {
        values.append({field.key, field.flag ? boolText(p.*field.flag) : QString::number(p.*field.number)});
    }
    return Settings::write(values);
}

QString RoundDownPlace(double amount, int place, const Policy& policy)
{
    return RoundDownTo(amount, place == -1 ? policy.Place : place);
}
