#pragma once

#include <QHash>
#include <QString>
#include <memory>

enum class Engine { SQLite, PostgreSQL, SQLServer };

QString EngineName(Engine engine);

// The program's statements are SQL Server text with plain '…' literals in which only a doubled
// quote is special. A dialect rewrites, at the moment a statement is executed, only what its
// engine cannot run as written, and never the text a quoted literal stands for: SQL Server
// gets every literal as Unicode (N'…'), PostgreSQL a literal holding a backslash as E'…'. A
// literal that the rewrite must read and cannot (an invalid date) raises DbError.
//
// Statements that hold nothing a rewrite looks for pass as they are, and the rewrites of the
// others are remembered by their text: the tree, the lists and the saves send the same texts
// again and again.
class Dialect {
public:
    virtual ~Dialect() = default;
    virtual Engine engine() const = 0;
    QString translate(const QString& sql) const;

    static std::unique_ptr<Dialect> forEngine(Engine engine);

protected:
    // false when the statement holds nothing this dialect rewrites.
    virtual bool mayRewrite(const QString& sql) const = 0;
    virtual QString rewrite(const QString& sql) const = 0;

private:
    mutable QHash<QString, QString> m_rewritten;
};
