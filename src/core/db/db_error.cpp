#include "db/db_error.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QStringList>

DbError::DbError(Kind kind, const QString& description, const QString& statement, const QString& nativeCode)
    : m_kind(kind), m_description(description), m_statement(statement), m_nativeCode(nativeCode),
      m_what(description.toUtf8())
{
}

long DbError::number() const
{
    switch (m_kind) {
    case IntegrityViolation:
        return kIntegrityViolation;
    case DataOverflow:
        return kDataOverflow;
    default:
        return -2147467259; // E_FAIL
    }
}

namespace {

// The server follows a constraint or size error with 3621 "The statement has been terminated.",
// and Qt's ODBC plugin keeps only the last message's number while its text still holds every
// message, each behind the driver's "[…]" prefixes. FreeTDS logs in as us_english, so the
// server's texts are the English ones.
DbError::Kind classifySqlServerText(const QString& text)
{
    static const QRegularExpression integrity(
        QStringLiteral("(?:^|\\])\\s*(?:The \\w+ statement conflicted with the [\\w ]+ constraint|"
                       "Violation of (?:PRIMARY|UNIQUE) KEY constraint|Cannot insert duplicate key row)"));
    static const QRegularExpression overflow(
        QStringLiteral("(?:^|\\])\\s*String or binary data would be truncated"));
    static const QRegularExpression busy(
        QStringLiteral("(?:^|\\])\\s*(?:Lock request time out period exceeded|"
                       "Transaction \\(Process ID \\d+\\) was deadlocked)"));
    if (integrity.match(text).hasMatch()) {
        return DbError::IntegrityViolation;
    }
    if (overflow.match(text).hasMatch()) {
        return DbError::DataOverflow;
    }
    if (busy.match(text).hasMatch()) {
        return DbError::Busy;
    }
    return DbError::Other;
}

} // namespace

DbError::Kind DbError::classify(Engine engine, const QString& nativeCode, const QString& text)
{
    switch (engine) {
    case Engine::SQLite:
        // Text lengths are checked by constraints named CK_LEN_…; other constraint
        // failures (foreign key, unique, primary key) are integrity violations.
        if (text.contains(QStringLiteral("CHECK constraint failed: CK_LEN_"))) {
            return DataOverflow;
        }
        if (text.contains(QStringLiteral("FOREIGN KEY constraint failed")) ||
            text.contains(QStringLiteral("UNIQUE constraint failed"))) {
            return IntegrityViolation;
        }
        // SQLITE_BUSY after the busy timeout; SQLITE_LOCKED within one connection's own tables.
        if (text.contains(QStringLiteral("database is locked")) ||
            text.contains(QStringLiteral("database table is locked"))) {
            return Busy;
        }
        return Other;
    case Engine::PostgreSQL:
        if (nativeCode == QLatin1String("23503") || nativeCode == QLatin1String("23505")) {
            return IntegrityViolation;
        }
        if (nativeCode == QLatin1String("22001")) {
            return DataOverflow;
        }
        // lock_not_available (the session's lock_timeout) and deadlock_detected.
        if (nativeCode == QLatin1String("55P03") || nativeCode == QLatin1String("40P01")) {
            return Busy;
        }
        return Other;
    case Engine::SQLServer: {
        const QStringList codes =
            nativeCode.split(QRegularExpression(QStringLiteral("[^0-9]+")), Qt::SkipEmptyParts);
        for (const QString& code : codes) {
            if (code == QLatin1String("547") || code == QLatin1String("2627") ||
                code == QLatin1String("2601")) {
                return IntegrityViolation;
            }
            if (code == QLatin1String("8152") || code == QLatin1String("2628")) {
                return DataOverflow;
            }
            if (code == QLatin1String("1222") || code == QLatin1String("1205")) {
                return Busy;
            }
        }
        return classifySqlServerText(text);
    }
    }
    return Other;
}

DbError DbError::fromSqlError(Engine engine, const QSqlError& error, const QString& statement)
{
    QString description = error.databaseText().trimmed();
    if (description.isEmpty()) {
        description = error.text().trimmed();
    }
    // A server that dropped the connection leaves the driver with nothing to say.
    if (description.isEmpty()) {
        description = QStringLiteral("データベースとの接続が切れています。");
    }
    const Kind kind = classify(engine, error.nativeErrorCode(),
                               error.databaseText() + QLatin1Char(' ') + error.driverText());
    return DbError(kind, description, statement, error.nativeErrorCode());
}

bool DbError::meansConnectionLost(Engine engine, const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    const QString text = error.databaseText() + QLatin1Char(' ') + error.driverText();
    switch (engine) {
    case Engine::SQLite:
        return false;
    case Engine::PostgreSQL: {
        // Class 08 is a connection exception, 57P01-57P03 a server shutting down or restarting.
        // Every error the server reports carries a code: one without is the client's own report,
        // of a socket that is gone.
        if (code.isEmpty() || code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
            code == QLatin1String("57P02") || code == QLatin1String("57P03")) {
            return true;
        }
        static const QRegularExpression dropped(
            QStringLiteral("server closed the connection|no connection to the server|"
                           "terminating connection|could not (?:send|receive) data|connection not open|"
                           "connection to server .* (?:failed|lost)"),
            QRegularExpression::CaseInsensitiveOption);
        return dropped.match(text).hasMatch();
    }
    case Engine::SQLServer: {
        static const QRegularExpression dropped(
            QStringLiteral("\\b08(?:S01|001|003|007)\\b|Communication link failure|"
                           "connection is (?:broken|dead)|Unable to connect"),
            QRegularExpression::CaseInsensitiveOption);
        return dropped.match(code + QLatin1Char(' ') + text).hasMatch();
    }
    }
    return false;
}
