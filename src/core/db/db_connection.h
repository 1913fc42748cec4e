#pragma once

#include "db/connection_string.h"
#include "db/dialect.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

// One open database connection with the dialect of its engine.
class DbConnection {
public:
    struct OpenOptions {
        // Create a missing SQLite file from the bundled set-up scripts (start-up only).
        bool createMissingFile = false;
    };

    // Opens the connection the parameters name; raises DbError (ConnectionFailed) with a readable
    // text for an unknown provider, a malformed string, a missing driver or file, a server that
    // does not answer within a few seconds, or refused credentials.
    static std::unique_ptr<DbConnection> open(const ConnectionParams& params, const OpenOptions& options);
    static std::unique_ptr<DbConnection> open(const ConnectionParams& params)
    {
        return open(params, OpenOptions{});
    }

    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // A second, private connection to the same database, for a transaction of its own.
    std::unique_ptr<DbConnection> openSecond() const;

    Engine engine() const { return m_dialect->engine(); }
    const Dialect& dialect() const { return *m_dialect; }
    QSqlDatabase database() const;
    QString location() const { return m_location; } // the file or server, for messages
    const ConnectionParams& params() const { return m_params; }

    // On the embedded engine a transaction takes the database's write lock when it begins, so
    // that what a save checks inside it cannot change before the save writes.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Tests watch or fail statements: the hook sees every statement's program text before it
    // runs, on every connection, and may raise DbError to make it fail.
    using StatementHook = std::function<void(const DbConnection& connection, const QString& sql)>;
    static void setStatementHook(StatementHook hook);

    // Tests see how statements are run: the observer gets each query just before it executes.
    using QueryObserver = std::function<void(const QSqlQuery& query)>;
    static void setQueryObserver(QueryObserver observer);

    // Used by the data-access functions below.
    void runHook(const QString& sql) const;
    // The statement failed because the connection is gone (also when it was closed under us).
    bool lostConnection(const QSqlError& error) const;
    // Opens the connection again after it was lost; a transaction that was open is gone with it.
    // Raises DbError (ConnectionLost) saying that the server cannot be reached when it fails.
    void reconnect();

private:
    DbConnection(const ConnectionParams& params, std::unique_ptr<Dialect> dialect, const QString& name,
                 const QString& location);
    // The settings every session of the engine starts with; false when one was refused.
    bool prepareSession(QString* error);

    ConnectionParams m_params;
    std::unique_ptr<Dialect> m_dialect;
    QString m_name;
    QString m_location;
    bool m_inTransaction = false;
};

// A result set read whole into memory, walked forward: no statement ever runs while the
// driver keeps a result set open on the same connection. Fields are found by name without
// regard to case; NULL comes back as an invalid QVariant; date columns (names starting with
// "D") come back as QDate whatever the engine returns.
class Recordset {
public:
    bool eof() const { return m_pos >= m_rows.size(); }
    void moveNext() { ++m_pos; }
    void close();
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    QVariant field(const QString& name) const; // raises DbError for an unknown name
    QVariant operator[](const QString& name) const { return field(name); }
    const QStringList& columns() const { return m_names; } // upper case, in select order

    // Hot loops find a column once and read the rows by its position.
    int column(const QString& name) const; // raises DbError for an unknown name
    QVariant value(int column) const { return m_rows.at(m_pos).at(column); }

    // A key column of the current row: NULL gives 0; a value that does not fit 32 bits raises
    // DbError rather than wrapping into the key of another row.
    int key(int column) const;
    int key(const QString& name) const { return key(this->column(name)); }

private:
    friend Recordset OpenRs(DbConnection& connection, const QString& sql);
    QStringList m_names;
    QHash<QString, int> m_index;
    QVector<QVector<QVariant>> m_rows;
    int m_pos = 0;
    QString m_sql;
};

// The data access of the program. Errors propagate as DbError; the statement text in the
// error is the program's own (SQL Server) text. A statement that finds the connection gone
// has it reopened once: a read outside a transaction is then run again, anything else raises
// DbError (ConnectionLost), since the work it belonged to is lost.
// ExecSql returns the number of rows the statement changed.
int ExecSql(DbConnection& connection, const QString& sql);
Recordset OpenRs(DbConnection& connection, const QString& sql);
// The key the last INSERT on the connection made; raises DbError when there is none or it does
// not fit 32 bits.
int GetIdentity(DbConnection& connection, const QString& table);

// Inside a transaction: other writers of the table wait until it ends, readers do not; so a
// check that no row holds a name stays true until the insert that relies on it is committed.
void LockTableForWriting(DbConnection& connection, const QString& table);

// Rolls back unless commit() was reached.
class Transaction {
public:
    explicit Transaction(DbConnection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    DbConnection& m_connection;
    bool m_done = false;
};
