#include "foundation/connection_string.h"

#include "foundation/settings_store.h"

#include <QStandardPaths>
#include <QStringList>

const QString kDefaultConnStrTemplate = QStringLiteral("Provider=SQLite;Data Source=$DBName$.sqlite");
const QString kDefaultDBName = QStringLiteral("kaldb");
const QString kDefaultUserID = QStringLiteral("kal");
const QString kDefaultPasswd = QStringLiteral("kal");

namespace {

const QString kApp = QStringLiteral("vorna");
const QString kSection = QStringLiteral("DB");

QString& dataFolderOverride()
{
    static QString path;
    return path;
}

} // namespace

ConnSettings ConnSettings::fromStore()
{
    ConnSettings s;
    s.base = GetSetting(kApp, kSection, QStringLiteral("ConnStr_Base"), kDefaultConnStrTemplate);
    s.userID = GetSetting(kApp, kSection, QStringLiteral("UserID"), kDefaultUserID);
    s.passwd = GetSetting(kApp, kSection, QStringLiteral("Passwd"), kDefaultPasswd);
    s.dbName = GetSetting(kApp, kSection, QStringLiteral("DBName"), kDefaultDBName);
    return s;
}

QString ReplacePlaceholders(const QString& base, const QString& userID, const QString& passwd,
                            const QString& dbName)
{
    QString text = base;
    text.replace(QStringLiteral("$UserID$"), userID, Qt::CaseSensitive);
    text.replace(QStringLiteral("$PASSWD$"), passwd, Qt::CaseSensitive);
    text.replace(QStringLiteral("$DBName$"), dbName, Qt::CaseSensitive);
    return text;
}

QString GetConnStr()
{
    const ConnSettings s = ConnSettings::fromStore();
    return ReplacePlaceholders(s.base, s.userID, s.passwd, s.dbName);
}

ConnectionSpec ConnectionSpec::parse(const QString& text)
{
    ConnectionSpec spec;
    const QStringList parts = text.split(QLatin1Char(';'));
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) {
            continue;
        }
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            spec.error = QStringLiteral("接続文字列の形式が正しくありません: %1").arg(part);
            return spec;
        }
        spec.keys.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
    }
    return spec;
}

ConnectionSpec ConnectionSpec::resolve(const QString& base, const QString& userID, const QString& passwd,
                                       const QString& dbName)
{
    ConnectionSpec spec = parse(base);
    for (auto it = spec.keys.begin(); it != spec.keys.end(); ++it) {
        it.value() = ReplacePlaceholders(it.value(), userID, passwd, dbName);
    }
    return spec;
}

ConnectionSpec ConnectionSpec::fromStore()
{
    const ConnSettings s = ConnSettings::fromStore();
    return resolve(s.base, s.userID, s.passwd, s.dbName);
}

QString DataFolder()
{
    if (!dataFolderOverride().isEmpty()) {
        return dataFolderOverride();
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vorna");
}

void SetDataFolder(const QString& path)
{
    dataFolderOverride() = path;
}
