#pragma once

#include <QString>
#include <functional>
#include <optional>

struct ConnectionParams;

// Asks for the database password; nullopt when none can be had (no terminal, end of input).
using PasswordPrompt = std::function<std::optional<QString>(const QString& prompt)>;

// The password typed on the terminal (/dev/tty, else standard input), not echoed.
std::optional<QString> AskPasswordOnTerminal(const QString& prompt);

// A connection string given on the command line keeps the server's password off it: when it
// has "$PASSWD$", or a user ID without a password, the password comes from the environment
// variable VORNA_DB_PASSWORD, else from askPassword. Raises DbError when none can be had.
void SupplyPassword(ConnectionParams& params, const PasswordPrompt& askPassword);

// One line read from in with the terminal's echo off (restored afterwards) after the prompt
// is written to promptOut; input that is not a terminal is read as it is.
std::optional<QString> ReadHiddenLine(int in, int promptOut, const QString& prompt);
