#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A save found, inside its transaction, that another user has deleted what it was to write or
// the row it writes under: it rolled back and wrote nothing.
class ConcurrentChangeError : public std::exception {
public:
    enum Gone {
        Project,         // the project being saved
        Function,        // the function being saved
        ParentProject,   // the project a new function or sub-project goes under
        MasterRow,       // the master row being changed
        SubProjectAdded, // another user put a sub-project under the project being deleted
        ParentBelow,     // another user moved the chosen parent under the project being saved
        MemberGone,      // another user took a member the assignments name out of the project
        MemberCharged    // another user assigned work to a member the project save takes out
    };

    explicit ConcurrentChangeError(Gone gone);
    Gone gone() const { return m_gone; }
    // The message for the user.
    QString text() const;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Gone m_gone;
    QByteArray m_what;
};

#include <functional>

// Asked inside a save's transaction when another user has changed the rows since the editor
// read them: true writes over them, false rolls the save back.
using OverwriteQuestion = std::function<bool()>;

class DbConnection;
class Recordset;

// How a save holds a row it has read until its transaction ends: Keep, so that no one deletes
// it while rows are written under it; Share, so that no one updates it either (a project save,
// which rewrites the project's members, waits meanwhile); Update or Delete, so that no one else
// writes it meanwhile.
enum class RowLock { Keep, Share, Update, Delete };

// The rows of the table that the condition finds, read and locked for the rest of the
// transaction.
Recordset LockRows(DbConnection& connection, const QString& table, const QString& condition, RowLock lock,
                   const QString& columns = QStringLiteral("*"));
