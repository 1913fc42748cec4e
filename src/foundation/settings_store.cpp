#include "foundation/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString& overridePath()
{
    static QString path;
    return path;
}

// Creates the file with owner-only permissions before QSettings writes to it, so that a
// password is never readable by others, not even for a moment.
void ensurePrivateFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) {
        ::close(fd);
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString settingsKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

namespace SettingsStore {

QString filePath()
{
    if (!overridePath().isEmpty()) {
        return overridePath();
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vorna/vorna.ini");
}

void setFilePath(const QString& path)
{
    overridePath() = path;
}

} // namespace SettingsStore

QString GetSetting(const QString& /*application*/, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
    return store.value(settingsKey(section, key), defaultValue).toString();
}

bool HasSetting(const QString& /*application*/, const QString& section, const QString& key)
{
    QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
    return store.contains(settingsKey(section, key));
}

void SaveSetting(const QString& /*application*/, const QString& section, const QString& key,
                 const QString& value)
{
    const QString path = SettingsStore::filePath();
    ensurePrivateFile(path);
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue(settingsKey(section, key), value);
        store.sync();
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
