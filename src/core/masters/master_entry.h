#pragma once

#include <QString>

class DbConnection;

// The quick registration of the member and expense-item masters from the project editor's
// rows. A row names either an entry picked from the master (pickedId != 0) or a typed name;
// a typed name that the master does not hold yet becomes a new master row sorted last. Then
// the master takes the values last entered for it. Runs in its own transaction, so a failure
// leaves no half-registered row; DbError and ConversionError propagate.
struct MasterEntry {
    int id = 0;
    bool inserted = false;
    // The name was found under a key beyond the 16-bit range, which counts 0: the caller warns.
    bool keyOverflowed = false;
};

MasterEntry EnterMember(DbConnection& connection, int pickedId, const QString& name, int kind,
                        const QString& pricePerHour);
MasterEntry EnterItem(DbConnection& connection, int pickedId, const QString& name, const QString& unitPrice);
