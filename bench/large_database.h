#pragma once

#include <QString>
#include <functional>

class DbConnection;

// The shape of the benchmark database.
struct LargeDatabaseShape {
    int topLevel = 10;     // projects at the top
    int perTop = 9;        // second-level projects under each
    int perSecond = 10;    // third-level projects under each second-level one
    int functions = 20000; // in all
    int bigProject = 11;   // the second-level project that holds bigFunctions of them
    int bigFunctions = 500;
};

// Fills a database that holds only the schema and the reference data: customers, members,
// expense items, a second price kind, the project tree with members, expenses, options and
// deliverables, and the functions with their function-point, hour and assignment rows.
// Identity keys are taken to start at 1, as on a new database.
void FillLargeDatabase(DbConnection& connection, const LargeDatabaseShape& shape,
                       const std::function<void(const QString&)>& report);
