#pragma once

#include <QStringList>
#include <QTextStream>

// vorna-dbsetup [--demo] [connection string]
// Applies the schema and reference data of the connection's engine to a database that has
// none of the program's tables (an SQLite file that does not exist yet is created); --demo
// also loads the demo data. Without a connection string the user's own settings are used.
// --help and --version print and end; a wrong command line gets the help on err. Returns
// the process exit code.
int RunSetupTool(const QStringList& arguments, QTextStream& out, QTextStream& err);
