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

struct Entry {
    Settings::Key key;
    const char* section;
    const char* name;
    const char* defaultText;
};

// Every setting of the program, in the order of Settings::Key.
const Entry kEntries[] = {
    {Settings::ConnStrBase, "DB", "ConnStr_Base", "Provider=SQLite;Data Source=$DBName$.sqlite"},
    {Settings::DBName, "DB", "DBName", "kaldb"},
    {Settings::UserID, "DB", "UserID", "kal"},
    {Settings::Passwd, "DB", "Passwd", "kal"},
    {Settings::MainLeft, "Settings", "MainLeft", "1000"},
    {Settings::MainTop, "Settings", "MainTop", "1000"},
    {Settings::MainWidth, "Settings", "MainWidth", "6500"},
    {Settings::MainHeight, "Settings", "MainHeight", "6500"},
    {Settings::MainSplitter, "Settings", "MainSplitter", ""},
    {Settings::SubLeft, "Settings", "SubLeft", ""},
    {Settings::SubTop, "Settings", "SubTop", ""},
    {Settings::Work, "Policy", "Work", "True"},
    {Settings::Indirect, "Policy", "Indirect", "True"},
    {Settings::Base, "Policy", "Base", "True"},
    {Settings::Opt, "Policy", "Opt", "True"},
    {Settings::Deliv, "Policy", "Deliv", "True"},
    {Settings::Expe0, "Policy", "Expe0", "True"},
    {Settings::Expe1, "Policy", "Expe1", "True"},
    {Settings::Rate, "Policy", "Rate", "0"},
    {Settings::WorkR, "Policy", "WorkR", "True"},
    {Settings::IndirectR, "Policy", "IndirectR", "True"},
    {Settings::BaseR, "Policy", "BaseR", "True"},
    {Settings::OptR, "Policy", "OptR", "True"},
    {Settings::DelivR, "Policy", "DelivR", "True"},
    {Settings::Expe0R, "Policy", "Expe0R", "True"},
    {Settings::Expe1R, "Policy", "Expe1R", "True"},
    {Settings::Hour, "Policy", "Hour", "False"},
    {Settings::Charge, "Policy", "Charge", "True"},
    {Settings::MtoH, "Policy", "MtoH", "160"},
    {Settings::Place, "Policy", "Place", "3"},
    {Settings::Cancel, "Policy", "Cancel", "True"},
};
static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == Settings::kLastPolicyKey + 1, "one entry per key");

const Entry& entry(Settings::Key key)
{
    Q_ASSERT(kEntries[key].key == key);
    return kEntries[key];
}

QString storeKey(Settings::Key key)
{
    return Settings::section(key) + QLatin1Char('/') + Settings::name(key);
}

// Whether the file already holds every value as given. Closing a dialog where it stood, or
// saving unchanged options, would otherwise rewrite and flush the file each time.
bool storedAlready(const QString& path, const Settings::Values& values)
{
    if (!QFileInfo::exists(path)) {
        return false;
    }
    const QSettings store(path, QSettings::IniFormat);
    if (store.status() != QSettings::NoError) {
        return false;
    }
    for (const auto& [key, value] : values) {
        const QString name = storeKey(key);
        if (!store.contains(name) || store.value(name).toString() != value) {
            return false;
        }
    }
    return true;
}

} // namespace

const QString Settings::kApplication = QStringLiteral("vorna");

QString Settings::section(Key key)
{
    return QString::fromLatin1(entry(key).section);
}

QString Settings::name(Key key)
{
    return QString::fromLatin1(entry(key).name);
}

QString Settings::defaultText(Key key)
{
    return QString::fromLatin1(entry(key).defaultText);
}

QString Settings::filePath()
{
    if (!overridePath().isEmpty()) {
        return overridePath();
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           kApplication + QLatin1Char('/') + kApplication + QStringLiteral(".ini");
}

void Settings::setFilePath(const QString& path)
{
    overridePath() = path;
}

QString Settings::readProblem()
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

bool Settings::has(Key key)
{
    const QSettings store(filePath(), QSettings::IniFormat);
    return store.contains(storeKey(key));
}

QString Settings::text(Key key)
{
    const QSettings store(filePath(), QSettings::IniFormat);
    return store.value(storeKey(key), defaultText(key)).toString();
}

bool Settings::write(const Values& values)
{
    const QString path = filePath();
    if (storedAlready(path, values)) {
        return true;
    }
    if (!preparePrivateFile(path)) {
        return false;
    }
    {
        QSettings store(path, QSettings::IniFormat);
        for (const auto& [key, value] : values) {
            store.setValue(storeKey(key), value);
        }
        store.sync();
        if (store.status() != QSettings::NoError) {
            return false;
        }
    }
    keepPrivate(path);
    return true;
}
