#include "test_support.h"

#include "db/db_error.h"
#include "db/schema_setup.h"
#include "divisions/code_divisions.h"
#include "settings/settings.h"
#include "state/app_state.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <atomic>

TestEnvironment::TestEnvironment()
{
    Settings::setFilePath(m_dir.filePath(QStringLiteral("config/vorna.ini")));
    SetDataFolder(m_dir.filePath(QStringLiteral("data")));
    DbConnection::setStatementHook(nullptr);
    DbConnection::setQueryObserver(nullptr);
    ClearDivisionCache();
}

TestEnvironment::~TestEnvironment()
{
    DbConnection::setStatementHook(nullptr);
    DbConnection::setQueryObserver(nullptr);
    Settings::setFilePath(QString());
    SetDataFolder(QString());
}

QString TestEnvironment::path(const QString& name) const
{
    return m_dir.filePath(name);
}

QString PostgresServerConnStr(const QString& database)
{
    const QString info = QProcessEnvironment::systemEnvironment().value(QStringLiteral("VORNA_TEST_PG"));
    QFile file(info);
    if (info.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    QString host, port, user, password;
    const QStringList parts = QString::fromUtf8(file.readAll()).simplified().split(QLatin1Char(' '));
    for (const QString& part : parts) {
        const QString key = part.section(QLatin1Char('='), 0, 0);
        const QString value = part.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            host = value;
        if (key == QLatin1String("port"))
            port = value;
        if (key == QLatin1String("user"))
            user = value;
        if (key == QLatin1String("password"))
            password = value;
    }
    return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Initial Catalog=%3;User ID=%4;Password=%5")
        .arg(host, port, database, user, password);
}

std::unique_ptr<TestDatabase> TestDatabase::create(Engine engine, bool withDemo)
{
    std::unique_ptr<TestDatabase> db(new TestDatabase);
    db->m_engine = engine;
    if (engine == Engine::SQLite) {
        db->m_dir = std::make_unique<QTemporaryDir>();
        const QString file = db->m_dir->filePath(QStringLiteral("test.sqlite"));
        CreateEmbeddedDatabase(file, withDemo);
        db->m_connStr = QStringLiteral("Provider=SQLite;Data Source=") + file;
        return db;
    }
    db = createEmpty(engine);
    auto connection = db->connect();
    ApplySetup(*connection, withDemo);
    return db;
}

std::unique_ptr<TestDatabase> TestDatabase::createEmpty(Engine engine)
{
    std::unique_ptr<TestDatabase> db(new TestDatabase);
    db->m_engine = engine;
    if (engine == Engine::SQLite) {
        db->m_dir = std::make_unique<QTemporaryDir>();
        const QString file = db->m_dir->filePath(QStringLiteral("test.sqlite"));
        QFile empty(file);
        if (!empty.open(QIODevice::WriteOnly)) {
            qFatal("cannot create %s", qPrintable(file));
        }
        db->m_connStr = QStringLiteral("Provider=SQLite;Data Source=") + file;
        return db;
    }
    if (engine != Engine::PostgreSQL) {
        qFatal("no live test server for this engine");
    }
    const QString admin = PostgresServerConnStr(QStringLiteral("postgres"));
    if (admin.isEmpty()) {
        qFatal("the PostgreSQL test server was not started (run the tests through ctest)");
    }
    static std::atomic<int> counter{0};
    db->m_pgName = QStringLiteral("vorna_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    {
        auto server = DbConnection::open(ConnectionParams::parse(admin));
        ExecSql(*server, QStringLiteral("DROP DATABASE IF EXISTS ") + db->m_pgName);
        ExecSql(*server,
                QStringLiteral("CREATE DATABASE ") + db->m_pgName + QStringLiteral(" ENCODING 'UTF8'"));
    }
    db->m_connStr = PostgresServerConnStr(db->m_pgName);
    return db;
}

QList<QStringList> ReadCsv(const QByteArray& bytes)
{
    QList<QStringList> records;
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        qWarning("no byte order mark");
        return records;
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    QStringList record;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            record << field;
            records << record;
            record.clear();
            field.clear();
            wasQuoted = false;
            ++i;
        } else if (c == u'"' || c == u'\r' || c == u'\n' || wasQuoted) {
            qWarning("malformed CSV at %lld", static_cast<long long>(i));
            return {};
        } else {
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !record.isEmpty()) {
        qWarning("CSV does not end with CRLF");
        return {};
    }
    return records;
}

QString PdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("pdftotext failed on %s: %s", qPrintable(path), process.readAllStandardError().constData());
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QMap<QString, QStringList> ScriptObjects(const QString& script)
{
    static const QRegularExpression create(u"^CREATE (?:TABLE|VIEW|(?:UNIQUE )?INDEX) (\\w+)"_s);
    static const QRegularExpression column(u"^    (\\w+) "_s);
    QMap<QString, QStringList> objects;
    QString current;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch m = create.match(line); m.hasMatch()) {
            current = m.captured(1);
            objects.insert(current, {});
        } else if (const QRegularExpressionMatch m = column.match(line); m.hasMatch()) {
            if (m.captured(1) != QLatin1String("CONSTRAINT")) {
                objects[current] << m.captured(1);
            }
        }
    }
    return objects;
}

TestDatabase::~TestDatabase()
{
    // A test's hook may refer to variables that are already gone; dropping the database is
    // none of its business.
    DbConnection::setStatementHook(nullptr);
    if (!m_pgName.isEmpty()) {
        try {
            auto server = DbConnection::open(
                ConnectionParams::parse(PostgresServerConnStr(QStringLiteral("postgres"))));
            ExecSql(*server,
                    QStringLiteral("DROP DATABASE IF EXISTS ") + m_pgName + QStringLiteral(" WITH (FORCE)"));
        } catch (const DbError& e) {
            qWarning("could not drop %s: %s", qPrintable(m_pgName), e.what());
        }
    }
}

std::unique_ptr<DbConnection> TestDatabase::connect() const
{
    return DbConnection::open(params());
}

void TestDatabase::makeProgramDatabase() const
{
    StoreSetting(QStringLiteral("DB"), QStringLiteral("ConnStr_Base"), m_connStr);
}

std::unique_ptr<AppState> TestDatabase::makeState() const
{
    makeProgramDatabase();
    auto state = std::make_unique<AppState>();
    state->Conn = connect();
    return state;
}

void addEngineRows(const char* column)
{
    QTest::addColumn<int>(column);
    QTest::newRow("sqlite") << static_cast<int>(Engine::SQLite);
    QTest::newRow("postgresql") << static_cast<int>(Engine::PostgreSQL);
}

void addOtherUserRows(std::initializer_list<OtherUserScenario> scenarios)
{
    addColumns<int, QString, bool, QString>({"engine", "meanwhile", "overwrite", "outcome"});
    for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        const QByteArray e = EngineName(engine).toLatin1();
        for (const OtherUserScenario& s : scenarios) {
            QTest::addRow("%s: %s", e.constData(), s.name)
                << static_cast<int>(engine) << QString::fromLatin1(s.meanwhile) << s.overwrite
                << QString::fromUtf8(s.outcome);
        }
    }
}

void addEngineRowsOnData(const char* flag, const char* whenTrue, const char* whenFalse)
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>(flag);
    for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        for (const bool on : {true, false}) {
            QTest::addRow("%s %s", qPrintable(EngineName(engine)), on ? whenTrue : whenFalse)
                << static_cast<int>(engine) << on;
        }
    }
}

QString StoredSetting(const QString& section, const QString& key)
{
    const QSettings store(Settings::filePath(), QSettings::IniFormat);
    return store.value(section + QLatin1Char('/') + key).toString();
}

void StoreSetting(const QString& section, const QString& key, const QString& value)
{
    for (int k = 0; k <= Settings::kLastPolicyKey; ++k) {
        const auto setting = static_cast<Settings::Key>(k);
        if (Settings::section(setting) == section && Settings::name(setting) == key) {
            QVERIFY(Settings::write({{setting, value}}));
            return;
        }
    }
    QFAIL(qPrintable(u"no setting %1/%2"_s.arg(section, key)));
}

bool RunWhenSent(const DbConnection* connection, const QString& start, const std::function<void()>& action,
                 const std::function<void()>& work)
{
    bool ran = false;
    DbConnection::setStatementHook([&](const DbConnection& on, const QString& sql) {
        if (!ran && (!connection || &on == connection) && sql.startsWith(start)) {
            ran = true;
            action();
        }
    });
    try {
        work();
    } catch (...) {
        DbConnection::setStatementHook(nullptr);
        throw;
    }
    DbConnection::setStatementHook(nullptr);
    return ran;
}

void DropConnection(DbConnection& connection)
{
    if (connection.engine() != Engine::PostgreSQL) {
        connection.database().close();
        return;
    }
    const QString pid = scalar(connection, QStringLiteral("SELECT pg_backend_pid() AS V")).toString();
    const std::unique_ptr<DbConnection> other = connection.openSecond();
    ExecSql(*other, QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
    // The session ends a moment after it was told to.
    const QString alive =
        QStringLiteral("SELECT COUNT(*) AS V FROM pg_stat_activity WHERE pid = %1").arg(pid);
    for (int wait = 0; wait < 1000 && scalar(*other, alive).toInt() > 0; ++wait) {
        QThread::msleep(10);
    }
}

void ShortenLockWait(DbConnection& connection, int milliseconds)
{
    ExecSql(connection, (connection.engine() == Engine::SQLite ? QStringLiteral("PRAGMA busy_timeout = %1")
                                                               : QStringLiteral("SET lock_timeout = %1"))
                            .arg(milliseconds));
}

QVariant scalar(DbConnection& connection, const QString& sql)
{
    Recordset rs = OpenRs(connection, sql);
    if (rs.eof()) {
        return QVariant();
    }
    return rs.field(QStringLiteral("V"));
}

QStringList columnValues(DbConnection& connection, const QString& sql)
{
    QStringList values;
    for (Recordset rs = OpenRs(connection, sql); !rs.eof(); rs.moveNext()) {
        values << rs.field(u"V"_s).toString();
    }
    return values;
}

std::optional<DbError> statementError(DbConnection& connection, const QString& sql)
{
    try {
        ExecSql(connection, sql);
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

int rowCount(DbConnection& connection, const QString& table, const QString& where)
{
    QString sql = QStringLiteral("SELECT COUNT(*) AS V FROM ") + table;
    if (!where.isEmpty()) {
        sql += QStringLiteral(" WHERE ") + where;
    }
    return scalar(connection, sql).toInt();
}

StatementLog::StatementLog(int failAt) : m_failAt(failAt)
{
    DbConnection::setStatementHook([this](const DbConnection& connection, const QString& sql) {
        const bool fail = m_statements.size() == m_failAt ||
                          (!m_failText.isEmpty() &&
                           (m_failContains ? sql.contains(m_failText) : sql.startsWith(m_failText)));
        m_statements << sql;
        m_connections << &connection;
        if (fail) {
            m_failed = sql;
            throw DbError(DbError::Other, QStringLiteral("injected failure"), sql);
        }
    });
}

StatementLog::~StatementLog()
{
    DbConnection::setStatementHook(nullptr);
}

void StatementLog::reset(int failAt)
{
    m_statements.clear();
    m_connections.clear();
    m_failed.clear();
    m_failAt = failAt;
}

void StatementLog::failOn(const QString& text, bool contains)
{
    m_failText = text;
    m_failContains = contains;
}
