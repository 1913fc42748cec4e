#pragma once

#include <QString>
#include <memory>

enum class Engine { SQLite, PostgreSQL, SQLServer };

QString EngineName(Engine engine);

// The program's statements are SQL Server text with plain '…' literals in which only a doubled
// quote is special. A dialect rewrites, at the moment a statement is executed, only what its
// engine cannot run as written, and never the text a quoted literal stands for: SQL Server
// gets every literal as Unicode (N'…'), PostgreSQL a literal holding a backslash as E'…'. A
// literal that the rewrite must read and cannot (an invalid date) raises DbError.
class Dialect {
public:
    virtual ~Dialect() = default;
    virtual Engine engine() const = 0;
    virtual QString translate(const QString& sql) const = 0;

    static std::unique_ptr<Dialect> forEngine(Engine engine);
};
