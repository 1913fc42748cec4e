#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString& overridePath()
{
    static QString path;
    return path;
}

// The file exists before QSettings writes to it, created readable and writable by its owner
// only whatever the umask, so that a password is never readable by others, not even for a
// moment. false when it can neither be created nor written.
bool preparePrivateFile(const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
        return true;
    }
    if (errno != EEXIST) {
        return false;
    }
    fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

// Others lose any access they had; the owner's own rights stay, so a file made read-only on
// purpose is not made writable behind the user's back.
void keepPrivate(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && (st.st_mode & 0077) != 0) {
        ::chmod(native.constData(), st.st_mode & 0600);
    }
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

QString readProblem()
{
    const QString path = filePath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return QString();
    }
    QString reason;
    if (!info.isFile() || !info.isReadable()) {
        reason = QStringLiteral("読み取りの権限がないか、ファイルではありません。");
    } else {
        const QSettings store(path, QSettings::IniFormat);
        if (store.status() == QSettings::AccessError) {
            reason = QStringLiteral("読み取りの権限がないか、ファイルではありません。");
        } else if (store.status() == QSettings::FormatError) {
            reason = QStringLiteral("設定ファイルの形式が正しくありません。");
        }
    }
    if (reason.isEmpty()) {
        return QString();
    }
    return QStringLiteral("設定ファイルを読み込めないため、起動できません。\n") +
           QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason;
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

bool SaveSettings(const QString& /*application*/, const QString& section, const SettingValues& values)
{
    const QString path = SettingsStore::filePath();
    if (!preparePrivateFile(path)) {
        return false;
    }
    {
        QSettings store(path, QSettings::IniFormat);
        for (const auto& [key, value] : values) {
            store.setValue(settingsKey(section, key), value);
        }
        store.sync();
        if (store.status() != QSettings::NoError) {
            return false;
        }
    }
    keepPrivate(path);
    return true;
}

bool SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
    return SaveSettings(application, section, {{key, value}});
}
