#pragma once

#include <QString>

// The per-user settings store, addressed by (application, section, key) with text values.
// The application names "vorna" and "VORNA" name the same place: one INI file per user,
// readable and writable by its owner only because it can hold a database password.
namespace SettingsStore {

// ~/.config/vorna/vorna.ini unless a test pointed the store elsewhere.
QString filePath();

// Tests point the store at a temporary file; an empty path restores the user's file.
void setFilePath(const QString& path);

} // namespace SettingsStore

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
bool HasSetting(const QString& application, const QString& section, const QString& key);
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);
