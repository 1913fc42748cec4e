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

ConnectionParams ConnectionParams::parse(const QString& text)
{
    ConnectionParams params;
    const QStringList parts = text.split(QLatin1Char(';'));
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) {
            continue;
        }
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            params.error = QStringLiteral("接続文字列の形式が正しくありません: %1").arg(part);
            return params;
        }
        params.keys.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
    }
    return params;
}

ConnectionParams ConnectionParams::resolve(const QString& base, const QString& userID, const QString& passwd,
                                           const QString& dbName)
{
    ConnectionParams params = parse(base);
    for (auto it = params.keys.begin(); it != params.keys.end(); ++it) {
        it.value() = ReplacePlaceholders(it.value(), userID, passwd, dbName);
    }
    return params;
}

ConnectionParams ConnectionParams::fromStore()
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
