#include "db/connection_string.h"

#include "settings/settings.h"

#include <QStandardPaths>
#include <QStringList>

namespace {

QString& dataFolderOverride()
{
    static QString path;
    return path;
}

} // namespace

ConnSettings ConnSettings::fromStore()
{
    ConnSettings s;
    s.base = Settings::text(Settings::ConnStrBase);
    s.userID = Settings::text(Settings::UserID);
    s.passwd = Settings::text(Settings::Passwd);
    s.dbName = Settings::text(Settings::DBName);
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

namespace {

// Standard ODBC: a braced value ends at a single "}", so closing braces are doubled.
QString odbcValue(const QString& value)
{
    QString inner = value;
    inner.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

// FreeTDS 1.3 reads a value up to the next ";", or, when it starts with "{", up to the first
// "};" without undoing doubled braces. So a value is braced only when it must be, and one
// holding "};" cannot be written at all.
bool freeTdsValue(const QString& value, QString* written)
{
    if (value.contains(QStringLiteral("};"))) {
        return false;
    }
    const bool braced = value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{'));
    *written = braced ? QLatin1Char('{') + value + QLatin1Char('}') : value;
    return true;
}

} // namespace

OdbcTarget SqlServerOdbcTarget(const ConnectionParams& params)
{
    OdbcTarget target;
    const QString driver = params.has(QStringLiteral("Driver")) ? params.value(QStringLiteral("Driver"))
                                                                : QStringLiteral("FreeTDS");
    const bool freeTds = driver.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive);
    QString server = params.value(QStringLiteral("Data Source")).trimmed();
    if (server.isEmpty()) {
        server = QStringLiteral("localhost");
    }
    QString port;
    const int comma = server.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma).trimmed();
        bool ok = false;
        const int number = port.toInt(&ok);
        if (!ok || number <= 0 || number > 65535) {
            target.error = QStringLiteral("ポート番号が正しくありません: %1").arg(port);
            return target;
        }
    }
    const QString catalog = params.value(QStringLiteral("Initial Catalog"));
    target.location =
        server + (port.isEmpty() ? QString() : QLatin1Char(',') + port) + QLatin1Char('/') + catalog;

    QString odbc = QStringLiteral("DRIVER=%1;").arg(odbcValue(driver));
    // Each value as the driver will read it back; false when it cannot be written.
    const auto write = [&](const char* key, const char* name, const QString& value) {
        QString written = odbcValue(value);
        if (freeTds && !freeTdsValue(value, &written)) {
            target.error =
                QStringLiteral("%1 に「};」を含む値は FreeTDS に渡せません。").arg(QLatin1String(name));
            return false;
        }
        odbc += QLatin1String(key) + QLatin1Char('=') + written + QLatin1Char(';');
        return true;
    };
    if (freeTds) {
        if (!write("SERVER", "Data Source", server)) {
            return target;
        }
        // A named instance without a port is found through the SQL Browser, which FreeTDS asks
        // only when no port is given.
        if (!port.isEmpty()) {
            odbc += QStringLiteral("PORT=") + port + QLatin1Char(';');
        } else if (!server.contains(QLatin1Char('\\'))) {
            odbc += QStringLiteral("PORT=1433;");
        }
        odbc += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    } else {
        write("SERVER", "Data Source", port.isEmpty() ? server : server + QLatin1Char(',') + port);
    }
    if (!write("DATABASE", "Initial Catalog", catalog) ||
        !write("UID", "User ID", params.value(QStringLiteral("User ID"))) ||
        !write("PWD", "Password", params.value(QStringLiteral("Password")))) {
        return target;
    }
    // Qt's ODBC driver takes any connection string holding ".dsn" for the name of a file DSN.
    if (odbc.contains(QStringLiteral(".dsn"), Qt::CaseInsensitive)) {
        target.error = QStringLiteral(
            "接続文字列の値に「.dsn」を含めることはできません（ODBC のファイル DSN と見なされます）。");
        return target;
    }
    target.connectionString = odbc;
    return target;
}

QString DataFolder()
{
    if (!dataFolderOverride().isEmpty()) {
        return dataFolderOverride();
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
           Settings::kApplication;
}

void SetDataFolder(const QString& path)
{
    dataFolderOverride() = path;
}
