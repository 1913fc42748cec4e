#pragma once

#include <QString>
#include <functional>

class DbConnection;

// The shape of the benchmark database: projects three levels deep (a hundredth at the top, a
// tenth in all down to the second level, the rest below), the functions spread evenly over the
// projects except for the biggest project, which holds bigFunctions of them.
struct LargeDatabaseShape {
    int projects = 1000;
    int functions = 20000;
    int bigFunctions = 500;
    // The first keys given out, as in a database that has been in use for years.
    int firstProjectKey = 1;
    int firstFunctionKey = 1;

    int topLevel() const;
    int secondLevel() const;
    // The key of the biggest project: the first one on the second level.
    int bigProjectKey() const;
};

// Fills a database that holds only the schema and the reference data: customers, members,
// expense items, a second price kind, the project tree with members, expenses, options and
// deliverables, and the functions with their function-point, hour and assignment rows. Every
// run builds the same data. The totals of the functions are left at 0.
void FillLargeDatabase(DbConnection& connection, const LargeDatabaseShape& shape,
                       const std::function<void(const QString&)>& report);

// Lets the identity of table.column hand out next from now on (SQLite and PostgreSQL).
void StartKeysAt(DbConnection& connection, const QString& table, const QString& column, qint64 next);
