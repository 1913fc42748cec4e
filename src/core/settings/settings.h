#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The per-user settings store: one INI file per user, readable and writable by its owner only
// because it can hold a database password. Every value the program keeps there is one Key,
// listed once with its section, its name and its default in the table of settings.cpp.
class Settings {
public:
    // The program's name for its per-user places: the settings folder and file, the data
    // folder of the embedded database.
    static const QString kApplication;

    enum Key {
        // Section "DB": the connection.
        ConnStrBase,
        DBName,
        UserID,
        Passwd,
        // Section "Settings": where the windows were left, in twips.
        MainLeft,
        MainTop,
        MainWidth,
        MainHeight,
        MainSplitter,
        SubLeft,
        SubTop,
        // Section "Policy": the calculation policy, in the order it is written and read.
        Work,
        Indirect,
        Base,
        Opt,
        Deliv,
        Expe0,
        Expe1,
        Rate,
        WorkR,
        IndirectR,
        BaseR,
        OptR,
        DelivR,
        Expe0R,
        Expe1R,
        Hour,
        Charge,
        MtoH,
        Place,
        Cancel,
    };
    static constexpr Key kFirstPolicyKey = Work;
    static constexpr Key kLastPolicyKey = Cancel;

    static QString section(Key key);
    static QString name(Key key);
    // The value of a key that was never stored; empty when the reader decides (a dialog with no
    // stored place is centred).
    static QString defaultText(Key key);

    // ~/.config/vorna/vorna.ini unless a test pointed the store elsewhere; an empty path
    // restores the user's file.
    static QString filePath();
    static void setFilePath(const QString& path);

    // Why an existing settings file cannot be read (no permission, not a file, not in the INI
    // format), as the start-up tells it, naming the file; empty when the file is readable or
    // does not exist yet. Read on such a file, every setting would be its default: the
    // connection would silently go to a new, empty embedded database.
    static QString readProblem();

    static bool has(Key key);
    // The stored text, or the key's default.
    static QString text(Key key);

    using Values = QList<QPair<Key, QString>>;
    // Writes the values in one go. false when they did not all reach the file (full disk,
    // read-only file, a folder in the way): the caller tells the user once.
    static bool write(const Values& values);
};
