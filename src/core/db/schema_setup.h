#pragma once

#include "db/dialect.h"

#include <QString>
#include <QStringList>
#include <functional>

class DbConnection;

// The bundled set-up scripts: the schema of each engine, the reference data that every engine
// runs unchanged, and the optional demo data.
enum class SetupScript { Schema, ReferenceData, DemoData };
QString SetupScriptText(Engine engine, SetupScript script);
// The bundled step that brings the engine's schema from version - 1 to version.
QString UpgradeStepText(Engine engine, int version);

// Splits a script at the ";" that end statements, outside quoted literals; comment lines
// ("--") are dropped.
QStringList SplitSqlScript(const QString& script);

// The program's tables that already exist in the database.
QStringList ExistingTables(DbConnection& connection);

// On SQL Server the database's default collation decides how texts sort and compare; one that
// is neither Japanese nor UTF-8 is worth a warning, not a refusal. "" when there is nothing to
// say (always on the other engines).
QString CollationWarning(const QString& collation);
QString DatabaseCollationWarning(DbConnection& connection);

// Applies schema and reference data (and the demo data when asked) in one transaction.
// Refuses with DbError when any of the program's tables exist. report receives one line per
// step, for the set-up tool.
void ApplySetup(DbConnection& connection, bool withDemo,
                const std::function<void(const QString&)>& report = std::function<void(const QString&)>());

// Creates a new SQLite file holding the schema and reference data; leaves no file behind
// when it fails.
void CreateEmbeddedDatabase(const QString& path, bool withDemo);
