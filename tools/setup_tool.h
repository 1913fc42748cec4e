#pragma once

#include "tool_password.h"

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>

// vorna-dbsetup [--demo] [connection string]
// Applies the schema and reference data of the connection's engine to a database that has
// none of the program's tables (an SQLite file that does not exist yet is created); --demo
// also loads the demo data. Without a connection string the user's own settings are used.
// A server's password stays off the command line: when the connection string has "$PASSWD$",
// or a user ID without a password, it comes from VORNA_DB_PASSWORD, else from askPassword.
// --help and --version print and end; a wrong command line gets the help on err. Returns the
// process exit code.
int RunSetupTool(const QStringList& arguments, QTextStream& out, QTextStream& err,
                 const PasswordPrompt& askPassword = AskPasswordOnTerminal);
