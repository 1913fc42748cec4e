#pragma once

#include "db/dialect.h"

#include <QString>
#include <exception>

class QSqlError;

// A database error as the program reports it: one of the two provider numbers it tells
// apart, a description and the statement that was running.
class DbError : public std::exception {
public:
    // ConnectionLost: the connection broke under a statement that could not simply be run again;
    // the description says whether it has been reopened or the server cannot be reached.
    // Busy: another connection held what the statement needed for longer than the session waits
    // (or the two were deadlocked); the statement's transaction has been given up.
    enum Kind { Other, IntegrityViolation, DataOverflow, ConnectionFailed, ConnectionLost, Busy };

    static constexpr long kIntegrityViolation = -2147217873; // DB_E_INTEGRITYVIOLATION
    static constexpr long kDataOverflow = -2147217833;       // DB_E_DATAOVERFLOW

    DbError(Kind kind, const QString& description, const QString& statement = QString(),
            const QString& nativeCode = QString());

    Kind kind() const { return m_kind; }
    long number() const;
    QString description() const { return m_description; }
    QString statement() const { return m_statement; }
    QString nativeCode() const { return m_nativeCode; }
    void setStatement(const QString& statement) { m_statement = statement; }

    const char* what() const noexcept override { return m_what.constData(); }

    // The driver's error, classified by engine.
    static DbError fromSqlError(Engine engine, const QSqlError& error, const QString& statement);
    static Kind classify(Engine engine, const QString& nativeCode, const QString& text);
    // The driver's error says that the connection to the server is gone.
    static bool meansConnectionLost(Engine engine, const QSqlError& error);

private:
    Kind m_kind;
    QString m_description;
    QString m_statement;
    QString m_nativeCode;
    QByteArray m_what;
};
