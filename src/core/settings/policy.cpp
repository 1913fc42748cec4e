#include "settings/policy.h"

#include "convert/conversions.h"
#include "settings/settings.h"

namespace {

const QString kApp = QStringLiteral("VORNA");
const QString kSection = QStringLiteral("Policy");

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool readBool(const QString& key, bool fallback)
{
    if (!HasSetting(kApp, kSection, key)) {
        return fallback;
    }
    const QString text = GetSetting(kApp, kSection, key).trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    double number = 0;
    if (ParseNumber(text, &number)) {
        return number != 0;
    }
    throw PolicyError(key, text);
}

int readInt(const QString& key, int fallback)
{
    if (!HasSetting(kApp, kSection, key)) {
        return fallback;
    }
    const QString text = GetSetting(kApp, kSection, key).trimmed();
    double number = 0;
    if (!ParseNumber(text, &number) || number < -32768.5 || number > 32767.5) {
        throw PolicyError(key, text);
    }
    return ToInt(number);
}

} // namespace

PolicyError::PolicyError(const QString& key, const QString& value)
    : std::runtime_error(key.toStdString()),
      m_message(QStringLiteral("設定ファイルの [Policy] %1 の値「%2」を読み取れません。").arg(key, value))
{
}

Policy LoadPolicy()
{
    Policy p;
    const Policy d;
    p.Work = readBool(QStringLiteral("Work"), d.Work);
    p.Indirect = readBool(QStringLiteral("Indirect"), d.Indirect);
    p.Base = readBool(QStringLiteral("Base"), d.Base);
    p.Opt = readBool(QStringLiteral("Opt"), d.Opt);
    p.Deliv = readBool(QStringLiteral("Deliv"), d.Deliv);
    p.Expe0 = readBool(QStringLiteral("Expe0"), d.Expe0);
    p.Expe1 = readBool(QStringLiteral("Expe1"), d.Expe1);
    p.Rate = readInt(QStringLiteral("Rate"), d.Rate);
    p.WorkR = readBool(QStringLiteral("WorkR"), d.WorkR);
    p.IndirectR = readBool(QStringLiteral("IndirectR"), d.IndirectR);
    p.BaseR = readBool(QStringLiteral("BaseR"), d.BaseR);
    p.OptR = readBool(QStringLiteral("OptR"), d.OptR);
    p.DelivR = readBool(QStringLiteral("DelivR"), d.DelivR);
    p.Expe0R = readBool(QStringLiteral("Expe0R"), d.Expe0R);
    p.Expe1R = readBool(QStringLiteral("Expe1R"), d.Expe1R);
    p.Hour = readBool(QStringLiteral("Hour"), d.Hour);
    p.Charge = readBool(QStringLiteral("Charge"), d.Charge);
    p.MtoH = readInt(QStringLiteral("MtoH"), d.MtoH);
    p.Place = readInt(QStringLiteral("Place"), d.Place);
    p.Cancel = readBool(QStringLiteral("Cancel"), d.Cancel);
    return p;
}

bool SavePolicy(const Policy& p)
{
    SettingValues values;
    const auto put = [&values](const char* key, const QString& text) {
        values.append({QString::fromLatin1(key), text});
    };
    put("Work", boolText(p.Work));
    put("Indirect", boolText(p.Indirect));
    put("Base", boolText(p.Base));
    put("Opt", boolText(p.Opt));
    put("Deliv", boolText(p.Deliv));
    put("Expe0", boolText(p.Expe0));
    put("Expe1", boolText(p.Expe1));
    put("Rate", QString::number(p.Rate));
    put("WorkR", boolText(p.WorkR));
    put("IndirectR", boolText(p.IndirectR));
    put("BaseR", boolText(p.BaseR));
    put("OptR", boolText(p.OptR));
    put("DelivR", boolText(p.DelivR));
    put("Expe0R", boolText(p.Expe0R));
    put("Expe1R", boolText(p.Expe1R));
    put("Hour", boolText(p.Hour));
    put("Charge", boolText(p.Charge));
    put("MtoH", QString::number(p.MtoH));
    put("Place", QString::number(p.Place));
    put("Cancel", boolText(p.Cancel));
    return SaveSettings(kApp, kSection, values);
}

bool CheckToBool(const QVariant& value)
{
    return ToInt(value) != 0;
}

int BoolToCheck(const QVariant& value)
{
    if (value.userType() == QMetaType::Bool) {
        return value.toBool() ? 1 : 0;
    }
    return ToInt(value);
}
