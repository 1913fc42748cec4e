#pragma once

#include <QMap>
#include <QString>

// The connection settings of section "DB" and the connection string built from them.

struct ConnSettings {
    QString base; // the template, "ConnStr_Base"
    QString dbName;
    QString userID;
    QString passwd;

    static ConnSettings fromStore();
};

// Every "$UserID$", then every "$PASSWD$", then every "$DBName$" replaced: the text form.
QString ReplacePlaceholders(const QString& base, const QString& userID, const QString& passwd,
                            const QString& dbName);

// A finished connection string as keys (lower case) and values. The template is split into
// its keys before the placeholders are replaced inside each value, so a password holding ";"
// or "=" cannot add or change a setting.
struct ConnectionParams {
    QMap<QString, QString> keys;
    QString error; // non-empty when the template is malformed

    QString value(const QString& key) const { return keys.value(key.toLower()); }
    bool has(const QString& key) const { return keys.contains(key.toLower()); }

    static ConnectionParams parse(const QString& text);
    static ConnectionParams resolve(const QString& base, const QString& userID, const QString& passwd,
                                    const QString& dbName);
    static ConnectionParams fromStore();
};

// What an SQL Server connection hands to Qt's ODBC driver: the ODBC connection string, the
// server and database for messages, and a readable reason when the parameters cannot be
// written so that the driver reads them back exactly ("" when they can).
struct OdbcTarget {
    QString connectionString;
    QString location;
    QString error;
};
OdbcTarget SqlServerOdbcTarget(const ConnectionParams& params);

// The per-user data folder in which a relative SQLite file lives (~/.local/share/vorna).
QString DataFolder();
void SetDataFolder(const QString& path); // tests
