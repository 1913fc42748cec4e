#pragma once

#include "foundation/connection_string.h"
#include "foundation/db_connection.h"
#include "foundation/dialect.h"

#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

struct AppState;

// Every test case builds its own world: a temporary settings file and data folder, message
// boxes recorded and answered without showing, no statement hook left from another case.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    QString path(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// A fresh database holding the schema and reference data (and the demo data when asked), on
// SQLite in a temporary folder or on the throwaway PostgreSQL server of the test run.
class TestDatabase {
public:
    static std::unique_ptr<TestDatabase> create(Engine engine, bool withDemo = false);
    ~TestDatabase();

    Engine engine() const { return m_engine; }
    QString connStr() const { return m_connStr; }
    ConnectionSpec spec() const { return ConnectionSpec::parse(m_connStr); }
    std::unique_ptr<DbConnection> connect() const;

    // Stores the connection string as this user's template, so that the program (and its
    // private second connections) reach this database.
    void makeProgramDatabase() const;

    // A ready state: Conn open on this database, default policy.
    std::unique_ptr<AppState> makeState() const;

private:
    TestDatabase() = default;
    Engine m_engine = Engine::SQLite;
    QString m_connStr;
    QString m_pgName;
    std::unique_ptr<QTemporaryDir> m_dir;
};

// The admin connection string of the throwaway PostgreSQL server ("" when none was started).
QString PostgresServerConnStr(const QString& database);

// Data-driven tests over both engines: adds the column "engine" and one row per engine.
void addEngineRows(const char* column = "engine");
#define FETCH_ENGINE()                                                                                       \
    QFETCH(int, engine);                                                                                     \
    const Engine dbEngine = static_cast<Engine>(engine)

// Reads one value with a query, for checks.
QVariant scalar(DbConnection& connection, const QString& sql);
int rowCount(DbConnection& connection, const QString& table, const QString& where = QString());
