#pragma once

#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/dialect.h"

#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

struct AppState;

// Tests write their texts as u"…"_s.
using namespace Qt::StringLiterals;

// Every test case builds its own world: a temporary settings file and data folder, no statement
// hook left from another case, the code divisions read afresh.
class TestEnvironment {
public:
    TestEnvironment();
    virtual ~TestEnvironment();
    QString path(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// A fresh database holding the schema and reference data (and the demo data when asked), on
// SQLite in a temporary folder or on the throwaway PostgreSQL server of the test run.
class TestDatabase {
public:
    static std::unique_ptr<TestDatabase> create(Engine engine, bool withDemo = false);
    // A database with nothing in it: an empty SQLite file, or a new PostgreSQL database.
    static std::unique_ptr<TestDatabase> createEmpty(Engine engine);
    ~TestDatabase();

    Engine engine() const { return m_engine; }
    QString connStr() const { return m_connStr; }
    ConnectionParams params() const { return ConnectionParams::parse(m_connStr); }
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

// Every table (with its columns in order), view and index a schema script creates. The scripts
// put each column on a line of its own, indented by four.
QMap<QString, QStringList> ScriptObjects(const QString& script);

// A CSV file read back as a spreadsheet reads it (RFC 4180): the byte order mark dropped,
// records ended by CRLF, quoted fields with doubled quotes and line breaks inside. A record
// ended by anything but CRLF, or a stray quote, fails the test.
QList<QStringList> ReadCsv(const QByteArray& bytes);

// The text of a PDF file as a viewer's search finds it (pdftotext, poppler-utils).
QString PdfText(const QString& path);

// The admin connection string of the throwaway PostgreSQL server ("" when none was started).
QString PostgresServerConnStr(const QString& database);

// The columns of a data-driven test at once: addColumns<int, QString>({"kind", "text"}).
template <typename... T> void addColumns(const std::array<const char*, sizeof...(T)>& names)
{
    int i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

// Data-driven tests over both engines: adds the column "engine" and one row per engine.
void addEngineRows(const char* column = "engine");
// The same over two kinds of data: the columns "engine" and flag, four rows named by the
// engine and whenTrue or whenFalse.
void addEngineRowsOnData(const char* flag, const char* whenTrue, const char* whenFalse);
#define FETCH_ENGINE()                                                                                       \
    QFETCH(int, engine);                                                                                     \
    const Engine dbEngine = static_cast<Engine>(engine)

// What another user does between this user's load and save, and what the save should come to:
// one row per engine with the columns engine, meanwhile, overwrite (the answer to the question
// whether to write over it) and outcome.
struct OtherUserScenario {
    const char* name;
    const char* meanwhile;
    bool overwrite;
    const char* outcome;
};
void addOtherUserRows(std::initializer_list<OtherUserScenario> scenarios);

// Records every statement run while it lives, with the connection that ran it, and fails the
// statement chosen (DbError "injected failure"); the hook goes with it.
class StatementLog {
public:
    explicit StatementLog(int failAt = -1);
    ~StatementLog();
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    // Starts counting again; the statement numbered failAt (from 0) will fail.
    void reset(int failAt = -1);
    // Fails every statement that starts with (or, with contains, holds) the text.
    void failOn(const QString& text, bool contains = false);
    const QStringList& statements() const { return m_statements; }
    const QList<const DbConnection*>& connections() const { return m_connections; }
    bool failed() const { return !m_failed.isEmpty(); }
    QString failedStatement() const { return m_failed; }

private:
    QStringList m_statements;
    QList<const DbConnection*> m_connections;
    int m_failAt = -1;
    QString m_failText;
    bool m_failContains = false;
    QString m_failed;
};

// A value of the settings file by its section and name: read as the file holds it ("" when it
// is not there), written through the program's settings store.
QString StoredSetting(const QString& section, const QString& key);
void StoreSetting(const QString& section, const QString& key, const QString& value);

// Runs the work and, from inside it, the action once: when the connection given (any, when
// null) sends a statement that starts with the text. Two users saving at once, or a connection
// lost in the middle of a save. Tells whether the action ran.
bool RunWhenSent(const DbConnection* connection, const QString& start, const std::function<void()>& action,
                 const std::function<void()>& work);

// Takes the connection away under the program: the server ends its session (PostgreSQL), or
// the connection is closed (SQLite); the next statement on it finds it gone.
void DropConnection(DbConnection& connection);

// Lets the connection wait only this long for what another holds (every session waits five
// seconds), so that a test of a wait that runs out is quick.
void ShortenLockWait(DbConnection& connection, int milliseconds);

// Reads one value with a query, for checks.
QVariant scalar(DbConnection& connection, const QString& sql);
// The first column (V) of a query's rows, top to bottom, as texts.
QStringList columnValues(DbConnection& connection, const QString& sql);
// The error a statement raises, if any.
std::optional<DbError> statementError(DbConnection& connection, const QString& sql);
int rowCount(DbConnection& connection, const QString& table, const QString& where = QString());
