#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

// A pick list held apart from its combo box: the entries, each a code with its label, and the
// one chosen. The windows show it as it stands; a save stores its key.
struct CodeChoice {
    struct Entry {
        int code = 0;
        QString name;
    };

    QVector<Entry> entries;
    int index = -1; // the chosen entry; -1 when none is

    void add(int code, const QString& name) { entries.append({code, name}); }
    bool chosen() const { return index >= 0 && index < entries.size(); }
    // The chosen entry's code; 1 when nothing is chosen, as a save stores it then.
    int key() const;
    // By code: a null or empty code clears the choice, a code no entry has leaves it as it was.
    void chooseCode(const QVariant& code);
    // The entry of a code, -1 when none has it.
    int indexOf(int code) const;
};
