#include "db/schema_setup.h"

#include "db/db_connection.h"
#include "db/db_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList& programTables()
{
    static const QStringList tables = {
        QStringLiteral("MDIV"),     QStringLiteral("MLANG"),     QStringLiteral("MCUSTOMER"),
        QStringLiteral("MPRIBASE"), QStringLiteral("MPRIPROG"),  QStringLiteral("MMEMBER"),
        QStringLiteral("MITEM"),    QStringLiteral("MFPMATRIX"), QStringLiteral("MCOCOMO"),
        QStringLiteral("TPROJECT"), QStringLiteral("TFUNCTION"), QStringLiteral("TFP"),
        QStringLiteral("TFPADJ"),   QStringLiteral("TCOCOMO"),   QStringLiteral("TCHARGE"),
        QStringLiteral("THOUR"),    QStringLiteral("TCONTRACT"), QStringLiteral("TDELIV"),
        QStringLiteral("TEXPENSE"), QStringLiteral("TMEMBER"),   QStringLiteral("TDATE"),
        QStringLiteral("MSCHEMA"),  QStringLiteral("MISSUER"),   QStringLiteral("TACTUAL"),
        QStringLiteral("TPROJDONE"), QStringLiteral("MCALIB")};
    return tables;
}

QString engineFolder(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return QStringLiteral("sqlite");
    case Engine::PostgreSQL:
        return QStringLiteral("postgresql");
    case Engine::SQLServer:
        return QStringLiteral("sqlserver");
    }
    return QString();
}

QString readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw DbError(DbError::Other, QStringLiteral("セットアップスクリプトを読めません: %1").arg(path));
    }
    return QString::fromUtf8(file.readAll());
}

// The tables of the database, by an ordinary query: the ODBC catalog call that lists tables finds
// nothing through Qt's ODBC driver and FreeTDS.
QString existingTablesQuery(Engine engine)
{
    if (engine == Engine::SQLite) {
        return QStringLiteral("SELECT name AS NAME FROM sqlite_master WHERE type = 'table'");
    }
    return QStringLiteral(
        "SELECT TABLE_NAME AS NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE = 'BASE TABLE'");
}

// The embedded database is the user's own: the folders and the file made for it are readable
// by their owner only, whatever the umask (SQLite gives its -wal and -shm files the mode of the
// database file). Folders that exist already keep their mode.
bool makePrivateFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir()) {
        return true;
    }
    if (info.exists() || info.isSymLink()) {
        return false;
    }
    const QString parent = info.absolutePath();
    if (parent == folder || !makePrivateFolder(parent)) {
        return false;
    }
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    ::chmod(native.constData(), 0700);
    return QFileInfo(folder).isDir();
}

bool createPrivateFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
}

void runScript(DbConnection& connection, const QString& name, const QString& text,
               const std::function<void(const QString&)>& report)
{
    const QStringList statements = SplitSqlScript(text);
    for (const QString& statement : statements) {
        ExecSql(connection, statement);
    }
    if (report) {
        report(QStringLiteral("%1: %2 statements").arg(name).arg(statements.size()));
    }
}

} // namespace

QString SetupScriptText(Engine engine, SetupScript script)
{
    switch (script) {
    case SetupScript::Schema:
        return readResource(QStringLiteral(":/database/%1/schema.sql").arg(engineFolder(engine)));
    case SetupScript::ReferenceData:
        return readResource(QStringLiteral(":/database/reference_data.sql"));
    case SetupScript::DemoData:
        return readResource(QStringLiteral(":/database/demo_data.sql"));
    }
    return QString();
}

QString UpgradeStepText(Engine engine, int version)
{
    return readResource(QStringLiteral(":/database/%1/upgrade_%2.sql").arg(engineFolder(engine)).arg(version));
}

QStringList SplitSqlScript(const QString& script)
{
    QStringList statements;
    QString current;
    bool inLiteral = false;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.endsWith(QLatin1Char('\r')) ? rawLine.chopped(1) : rawLine;
        if (!inLiteral && line.trimmed().startsWith(QStringLiteral("--"))) {
            continue;
        }
        for (const QChar c : line) {
            if (c == QLatin1Char('\'')) {
                inLiteral = !inLiteral; // a doubled quote toggles twice
            }
            if (c == QLatin1Char(';') && !inLiteral) {
                if (!current.trimmed().isEmpty()) {
                    statements.append(current.trimmed());
                }
                current.clear();
                continue;
            }
            current += c;
        }
        current += QLatin1Char('\n');
    }
    if (!current.trimmed().isEmpty()) {
        statements.append(current.trimmed());
    }
    return statements;
}

QStringList ExistingTables(DbConnection& connection)
{
    QStringList present;
    for (Recordset rs = OpenRs(connection, existingTablesQuery(connection.engine())); !rs.eof();
         rs.moveNext()) {
        present << rs.field(QStringLiteral("NAME")).toString();
    }
    QStringList found;
    for (const QString& table : programTables()) {
        if (present.contains(table, Qt::CaseInsensitive)) {
            found.append(table);
        }
    }
    return found;
}

QString CollationWarning(const QString& collation)
{
    if (collation.startsWith(QStringLiteral("Japanese"), Qt::CaseInsensitive) ||
        collation.contains(QStringLiteral("_UTF8"), Qt::CaseInsensitive)) {
        return QString();
    }
    return QStringLiteral(
               "the database's default collation %1 is neither Japanese nor UTF-8: texts are stored "
               "intact, but names sort and compare by its rules (Japanese_CI_AS is recommended)")
        .arg(collation.isEmpty() ? QStringLiteral("(unknown)") : collation);
}

QString DatabaseCollationWarning(DbConnection& connection)
{
    if (connection.engine() != Engine::SQLServer) {
        return QString();
    }
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT CONVERT(nvarchar(128), "
                                                     "DATABASEPROPERTYEX(DB_NAME(), 'Collation')) AS V"));
    return CollationWarning(rs.eof() ? QString() : rs.field(QStringLiteral("V")).toString());
}

void ApplySetup(DbConnection& connection, bool withDemo, const std::function<void(const QString&)>& report)
{
    const QStringList existing = ExistingTables(connection);
    if (!existing.isEmpty()) {
        throw DbError(DbError::Other, QStringLiteral("データベースには既にテーブルがあります: %1")
                                          .arg(existing.join(QStringLiteral(", "))));
    }
    Transaction transaction(connection);
    if (connection.engine() == Engine::SQLServer) {
        // The scripts write dates as 'YYYY-MM-DD', which SQL Server reads by the session's
        // date format.
        ExecSql(connection, QStringLiteral("SET DATEFORMAT ymd"));
    }
    runScript(connection, QStringLiteral("schema (%1)").arg(EngineName(connection.engine())),
              SetupScriptText(connection.engine(), SetupScript::Schema), report);
    runScript(connection, QStringLiteral("reference data"),
              SetupScriptText(connection.engine(), SetupScript::ReferenceData), report);
    if (withDemo) {
        runScript(connection, QStringLiteral("demo data"),
                  SetupScriptText(connection.engine(), SetupScript::DemoData), report);
    }
    transaction.commit();
}

void CreateEmbeddedDatabase(const QString& path, bool withDemo)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!makePrivateFolder(folder)) {
        throw DbError(DbError::ConnectionFailed, QStringLiteral("フォルダを作成できません: %1").arg(folder));
    }
    // Built under a temporary name and renamed at the end, so that an interrupted set-up
    // never leaves a half-built database where the program would open it.
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    try {
        {
            ConnectionParams params;
            params.keys.insert(QStringLiteral("provider"), QStringLiteral("SQLite"));
            params.keys.insert(QStringLiteral("data source"), building);
            if (!createPrivateFile(building)) {
                throw DbError(DbError::ConnectionFailed,
                              QStringLiteral("データベースファイルを作成できません: %1").arg(building));
            }
            auto connection = DbConnection::open(params);
            ApplySetup(*connection, withDemo);
        }
        QFile::remove(building + QStringLiteral("-wal"));
        QFile::remove(building + QStringLiteral("-shm"));
        if (!QFile::rename(building, path)) {
            throw DbError(DbError::ConnectionFailed,
                          QStringLiteral("データベースファイルを作成できません: %1").arg(path));
        }
    } catch (...) {
        QFile::remove(building);
        QFile::remove(building + QStringLiteral("-wal"));
        QFile::remove(building + QStringLiteral("-shm"));
        throw;
    }
}
