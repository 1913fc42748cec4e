#include "db/db_connection.h"

#include "convert/conversions.h"
#include "db/db_error.h"
#include "db/schema_setup.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>
#include <limits>

namespace {

// How long a statement waits for what another connection holds (a save of another user, who may
// be answering a question meanwhile) before it gives up; the same on every engine.
constexpr int kLockWaitMs = 5000;

DbConnection::StatementHook& statementHook()
{
    static DbConnection::StatementHook hook;
    return hook;
}

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("vorna-%1").arg(++counter);
}

[[noreturn]] void failConnection(const QString& description)
{
    throw DbError(DbError::ConnectionFailed, description);
}

void requireDriver(const QString& driver, const QString& package)
{
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        failConnection(
            QStringLiteral("データベースドライバ %1 がインストールされていません（Debian パッケージ %2）。")
                .arg(driver, package));
    }
}

QString openError(const QSqlDatabase& db)
{
    const QSqlError e = db.lastError();
    QString text = e.databaseText().trimmed();
    if (text.isEmpty()) {
        text = e.text().trimmed();
    }
    return text.isEmpty() ? QStringLiteral("接続できませんでした。") : text;
}

const QString& reconnectedText()
{
    static const QString text =
        QStringLiteral("データベースとの接続が切れました。再接続しました。もう一度保存してください。");
    return text;
}

QVariant normalizeValue(const QString& name, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        return QVariant();
    }
    if (!name.startsWith(QLatin1Char('D'), Qt::CaseInsensitive)) {
        return value;
    }
    switch (value.userType()) {
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        if (!date.isValid()) {
            date = QDate::fromString(text.left(10), QStringLiteral("yyyy/MM/dd"));
        }
        return date.isValid() ? QVariant(date) : value;
    }
    default:
        return value;
    }
}

} // namespace

DbConnection::DbConnection(const ConnectionParams& params, std::unique_ptr<Dialect> dialect,
                           const QString& name, const QString& location)
    : m_params(params), m_dialect(std::move(dialect)), m_name(name), m_location(location)
{
}

DbConnection::~DbConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            if (m_inTransaction) {
                db.rollback();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_name);
}

std::unique_ptr<DbConnection> DbConnection::open(const ConnectionParams& params, const OpenOptions& options)
{
    if (!params.error.isEmpty()) {
        failConnection(params.error);
    }
    const QString provider = params.value(QStringLiteral("Provider")).trimmed().toLower();
    const QString name = nextConnectionName();

    if (provider == QLatin1String("sqlite")) {
        requireDriver(QStringLiteral("QSQLITE"), QStringLiteral("libqt6sql6-sqlite"));
        QString path = params.value(QStringLiteral("Data Source")).trimmed();
        if (path.isEmpty()) {
            failConnection(QStringLiteral("接続文字列に Data Source（データベースファイル）がありません。"));
        }
        if (QDir::isRelativePath(path)) {
            path = QDir(DataFolder()).filePath(path);
        }
        if (!QFileInfo::exists(path)) {
            if (!options.createMissingFile) {
                failConnection(QStringLiteral("データベースファイルがありません: %1").arg(path));
            }
            CreateEmbeddedDatabase(path, false);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockWaitMs));
            if (!db.open()) {
                const QString error = openError(db);
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(name);
                failConnection(error);
            }
        }
        std::unique_ptr<DbConnection> connection(
            new DbConnection(params, Dialect::forEngine(Engine::SQLite), name, path));
        QString error;
        if (!connection->prepareSession(&error)) {
            connection.reset();
            failConnection(QStringLiteral("%1: %2").arg(path, error));
        }
        return connection;
    }

    if (provider == QLatin1String("postgresql") || provider == QLatin1String("postgres")) {
        requireDriver(QStringLiteral("QPSQL"), QStringLiteral("libqt6sql6-psql"));
        const QString host = params.has(QStringLiteral("Host")) ? params.value(QStringLiteral("Host"))
                                                                : QStringLiteral("localhost");
        int port = 5432;
        if (params.has(QStringLiteral("Port"))) {
            bool ok = false;
            port = params.value(QStringLiteral("Port")).toInt(&ok);
            if (!ok || port <= 0 || port > 65535) {
                failConnection(QStringLiteral("ポート番号が正しくありません: %1")
                                   .arg(params.value(QStringLiteral("Port"))));
            }
        }
        const QString location = QStringLiteral("%1:%2/%3")
                                     .arg(host)
                                     .arg(port)
                                     .arg(params.value(QStringLiteral("Initial Catalog")));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(host);
            db.setPort(port);
            db.setDatabaseName(params.value(QStringLiteral("Initial Catalog")));
            db.setUserName(params.value(QStringLiteral("User ID")));
            db.setPassword(params.value(QStringLiteral("Password")));
            db.setConnectOptions(QStringLiteral("connect_timeout=5"));
            if (!db.open()) {
                const QString error = openError(db);
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(name);
                failConnection(error);
            }
        }
        std::unique_ptr<DbConnection> connection(
            new DbConnection(params, Dialect::forEngine(Engine::PostgreSQL), name, location));
        connection->prepareSession(nullptr);
        return connection;
    }

    if (provider == QLatin1String("sqloledb.1") || provider == QLatin1String("sqloledb") ||
        provider == QLatin1String("sqlserver")) {
        requireDriver(QStringLiteral("QODBC"), QStringLiteral("libqt6sql6-odbc"));
        const OdbcTarget target = SqlServerOdbcTarget(params);
        if (!target.error.isEmpty()) {
            failConnection(target.error);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
            db.setDatabaseName(target.connectionString);
            db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=5;SQL_ATTR_CONNECTION_TIMEOUT=5"));
            if (!db.open()) {
                const QString error = openError(db);
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(name);
                failConnection(error);
            }
        }
        std::unique_ptr<DbConnection> connection(
            new DbConnection(params, Dialect::forEngine(Engine::SQLServer), name, target.location));
        connection->prepareSession(nullptr);
        return connection;
    }

    if (provider.isEmpty()) {
        failConnection(QStringLiteral("接続文字列に Provider がありません。"));
    }
    failConnection(
        QStringLiteral(
            "接続文字列の Provider「%1」には対応していません（SQLite、PostgreSQL、SQLOLEDB.1、SQLServer）。")
            .arg(params.value(QStringLiteral("Provider"))));
}

std::unique_ptr<DbConnection> DbConnection::openSecond() const
{
    return open(m_params);
}

QSqlDatabase DbConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool DbConnection::prepareSession(QString* error)
{
    QSqlQuery q(database());
    q.setForwardOnly(true); // a server cursor would undo the session's SET options (see newQuery)
    if (engine() == Engine::SQLite) {
        // The second, private connections of the recalculation and the member replacement work
        // beside this one: WAL lets them read and write while it is open, and the busy
        // timeout lets one wait for the other.
        if (!q.exec(QStringLiteral("PRAGMA foreign_keys = ON")) ||
            !q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) ||
            !q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
            if (error) {
                *error = q.lastError().databaseText();
            }
            return false;
        }
    } else if (engine() == Engine::PostgreSQL) {
        // A server or role may still read backslashes in literals as escapes. The dialect's
        // E'…' literals are safe either way, so a refusal here is not fatal.
        q.exec(QStringLiteral("SET standard_conforming_strings = on"));
        q.exec(QStringLiteral("SET lock_timeout = %1").arg(kLockWaitMs));
    } else if (engine() == Engine::SQLServer) {
        // SQL Server would otherwise wait without end.
        q.exec(QStringLiteral("SET LOCK_TIMEOUT %1").arg(kLockWaitMs));
    }
    return true;
}

bool DbConnection::lostConnection(const QSqlError& error) const
{
    return !database().isOpen() || DbError::meansConnectionLost(engine(), error);
}

void DbConnection::reconnect()
{
    m_inTransaction = false;
    QSqlDatabase db = database();
    db.close();
    QString error;
    if (!db.open()) {
        error = openError(db);
    } else if (!prepareSession(&error)) {
        db.close();
    } else {
        return;
    }
    throw DbError(DbError::ConnectionLost,
                  QStringLiteral("データベースとの接続が切れました。サーバに接続できません。\n") + error);
}

void DbConnection::beginTransaction()
{
    const QString statement = QStringLiteral("BEGIN TRANSACTION");
    QSqlError error;
    const auto begin = [this, &error] {
        QSqlDatabase db = database();
        if (engine() != Engine::SQLite) {
            const bool begun = db.transaction();
            error = db.lastError();
            return begun;
        }
        QSqlQuery q(db);
        const bool begun = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        error = q.lastError();
        return begun;
    };
    bool begun = begin();
    // Nothing of the transaction has happened yet: a lost connection is reopened and the
    // transaction begun on the new one.
    if (!begun && lostConnection(error)) {
        reconnect();
        begun = begin();
    }
    if (!begun) {
        throw DbError::fromSqlError(engine(), error, statement);
    }
    m_inTransaction = true;
}

void DbConnection::commit()
{
    QSqlDatabase db = database();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        const QString statement = QStringLiteral("COMMIT TRANSACTION");
        if (lostConnection(error)) {
            reconnect();
            throw DbError(DbError::ConnectionLost, reconnectedText(), statement);
        }
        throw DbError::fromSqlError(engine(), error, statement);
    }
    m_inTransaction = false;
}

void DbConnection::rollback()
{
    if (m_inTransaction) {
        database().rollback();
        m_inTransaction = false;
    }
}

void DbConnection::setStatementHook(StatementHook hook)
{
    statementHook() = std::move(hook);
}

void DbConnection::runHook(const QString& sql) const
{
    if (statementHook()) {
        try {
            statementHook()(*this, sql);
        } catch (DbError& e) {
            if (e.statement().isEmpty()) {
                e.setStatement(sql);
            }
            throw;
        }
    }
}

void Recordset::close()
{
    m_rows.clear();
    m_pos = 0;
}

int Recordset::column(const QString& name) const
{
    const auto it = m_index.constFind(name.toUpper());
    if (it == m_index.constEnd()) {
        throw DbError(DbError::Other, QStringLiteral("要求された名前の項目がありません: %1").arg(name),
                      m_sql);
    }
    return it.value();
}

QVariant Recordset::field(const QString& name) const
{
    const int at = column(name);
    if (eof()) {
        throw DbError(DbError::Other, QStringLiteral("現在のレコードがありません。"), m_sql);
    }
    return m_rows.at(m_pos).at(at);
}

int Recordset::key(int column) const
{
    const QVariant v = value(column);
    if (!v.isValid()) {
        return 0;
    }
    bool ok = false;
    const qlonglong number = v.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max() ||
        v.toDouble() != static_cast<double>(number)) {
        throw DbError(DbError::Other,
                      QStringLiteral("%1 の値 %2 はキーとして扱える範囲(%3まで)を超えています。")
                          .arg(m_names.value(column), v.toString())
                          .arg(std::numeric_limits<qint32>::max()),
                      m_sql);
    }
    return static_cast<int>(number);
}

namespace {

DbConnection::QueryObserver& queryObserver()
{
    static DbConnection::QueryObserver observer;
    return observer;
}

QSqlQuery newQuery(DbConnection& connection)
{
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    if (queryObserver()) {
        queryObserver()(query);
    }
    return query;
}

// Shows the statement to the test hook, rewrites it for the engine and runs it; a failure
// carries the program's own statement text. Every statement runs forward-only: an ODBC driver
// runs a scrollable one through a server cursor (sp_cursoropen on SQL Server), after which the
// SET options it made are undone. A read outside a transaction survives a lost connection.
QSqlQuery execute(DbConnection& connection, const QString& sql, bool read)
{
    connection.runHook(sql);
    QString text;
    try {
        text = connection.dialect().translate(sql);
    } catch (DbError& e) {
        e.setStatement(sql);
        throw;
    }
    QSqlQuery query = newQuery(connection);
    if (query.exec(text)) {
        return query;
    }
    if (!connection.lostConnection(query.lastError())) {
        throw DbError::fromSqlError(connection.engine(), query.lastError(), sql);
    }
    const bool retry = read && !connection.inTransaction();
    query = QSqlQuery();
    try {
        connection.reconnect();
    } catch (DbError& e) {
        e.setStatement(sql);
        throw;
    }
    if (!retry) {
        throw DbError(DbError::ConnectionLost, reconnectedText(), sql);
    }
    query = newQuery(connection);
    if (!query.exec(text)) {
        throw DbError::fromSqlError(connection.engine(), query.lastError(), sql);
    }
    return query;
}

} // namespace

void DbConnection::setQueryObserver(QueryObserver observer)
{
    queryObserver() = std::move(observer);
}

int ExecSql(DbConnection& connection, const QString& sql)
{
    return execute(connection, sql, false).numRowsAffected();
}

Recordset OpenRs(DbConnection& connection, const QString& sql)
{
    QSqlQuery query = execute(connection, sql, true);
    Recordset rs;
    rs.m_sql = sql;
    const QSqlRecord record = query.record();
    const int columns = record.count();
    for (int i = 0; i < columns; ++i) {
        const QString name = record.fieldName(i).toUpper();
        rs.m_names.append(name);
        if (!rs.m_index.contains(name)) {
            rs.m_index.insert(name, i);
        }
    }
    while (query.next()) {
        QVector<QVariant> row(columns);
        for (int i = 0; i < columns; ++i) {
            row[i] = normalizeValue(rs.m_names.at(i), query.value(i));
        }
        rs.m_rows.append(std::move(row));
    }
    if (query.lastError().isValid()) {
        throw DbError::fromSqlError(connection.engine(), query.lastError(), sql);
    }
    return rs;
}

int GetIdentity(DbConnection& connection, const QString& table)
{
    const QString sql = QStringLiteral("SELECT @@IDENTITY AS ID FROM ") + table;
    Recordset rs = OpenRs(connection, sql);
    if (rs.eof() || !rs.field(QStringLiteral("ID")).isValid()) {
        throw DbError(DbError::Other, QStringLiteral("新しいキーを読み取れませんでした。"), sql);
    }
    bool ok = false;
    const qlonglong id = rs.field(QStringLiteral("ID")).toLongLong(&ok);
    constexpr qlonglong largest = std::numeric_limits<qint32>::max();
    if (!ok || id < 1 || id > largest) {
        throw DbError(
            DbError::Other,
            QStringLiteral("%1 のキーが扱える上限(%2)を超えました: %3").arg(table).arg(largest).arg(id), sql);
    }
    return static_cast<int>(id);
}

void LockTableForWriting(DbConnection& connection, const QString& table)
{
    if (!connection.inTransaction()) {
        throw DbError(DbError::Other, QStringLiteral("表のロックにはトランザクションが必要です。"),
                      QStringLiteral("LOCK ") + table);
    }
    switch (connection.engine()) {
    case Engine::SQLite:
        return; // the transaction holds the database's write lock since it began
    case Engine::PostgreSQL:
        ExecSql(connection,
                QStringLiteral("LOCK TABLE ") + table + QStringLiteral(" IN SHARE ROW EXCLUSIVE MODE"));
        return;
    case Engine::SQLServer:
        OpenRs(connection, QStringLiteral("SELECT COUNT(*) AS CNT FROM ") + table +
                               QStringLiteral(" WITH (UPDLOCK, HOLDLOCK)"));
        return;
    }
}

Transaction::Transaction(DbConnection& connection) : m_connection(connection)
{
    m_connection.beginTransaction();
}

Transaction::~Transaction()
{
    if (!m_done) {
        m_connection.rollback();
    }
}

void Transaction::commit()
{
    m_connection.commit();
    m_done = true;
}
