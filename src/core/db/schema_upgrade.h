#pragma once

class DbConnection;

// The version of the schema this program reads and writes. The set-up scripts create it
// directly and record it in MSCHEMA; a database set up by an earlier program is brought up to
// it by the upgrade steps database/<engine>/upgrade_<version>.sql.
constexpr int kSchemaVersion = 3;

// The version a database holds: 0 when none of the program's tables exist (nothing set up
// yet), 1 for the tables of the first schema, which kept no version, otherwise the recorded
// one. Raises DbError when the record is missing or unreadable.
int StoredSchemaVersion(DbConnection& connection);

// Runs the steps the database is missing, in one transaction, and records the new version; a
// failure leaves the database as it was. A database of a later version than this program's is
// refused with DbError, and one with nothing set up is left alone. Returns the version found.
int UpgradeSchema(DbConnection& connection);
