#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The per-user settings store, addressed by (application, section, key) with text values.
// The application names "vorna" and "VORNA" name the same place: one INI file per user,
// readable and writable by its owner only because it can hold a database password.
namespace SettingsStore {

// ~/.config/vorna/vorna.ini unless a test pointed the store elsewhere.
QString filePath();

// Tests point the store at a temporary file; an empty path restores the user's file.
void setFilePath(const QString& path);

// Why an existing settings file cannot be read (no permission, not a file, not in the INI
// format), as the start-up tells it, naming the file; empty when the file is readable or does
// not exist yet. Read on such a file, every setting would be its default: the connection would
// silently go to a new, empty embedded database.
QString readProblem();

} // namespace SettingsStore

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
bool HasSetting(const QString& application, const QString& section, const QString& key);

using SettingValues = QList<QPair<QString, QString>>; // key, value

// Writes the keys of one section in one go. false when they did not all reach the file (full
// disk, read-only file, a folder in the way): the caller tells the user once
// (Messages::settingsNotSaved).
bool SaveSettings(const QString& application, const QString& section, const SettingValues& values);
bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);
