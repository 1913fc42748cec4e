#pragma once

#include <QCommandLineParser>
#include <QTextStream>
#include <optional>

// Every VORNA program answers -h/--help and -v/--version on standard output and ends there,
// before it opens a window or a database.
namespace CommandLine {

struct Rules {
    int positionalLimit = 0;
    // The windowed program also takes Qt's own options (-style, -platform…), which only the
    // application object knows: anything unknown is left to it.
    bool leaveUnknownToQt = false;
};

// Adds the help and version options to `parser`, which holds the program's own, and reads
// `arguments` (the program first). Returns the exit code when the program ends here: 0 after
// the help or the version, 2 after an unknown option or a surplus argument, told on `err`
// with the help. std::nullopt: the program goes on with what the parser read.
std::optional<int> read(QCommandLineParser& parser, const QStringList& arguments, const Rules& rules,
                        QTextStream& out, QTextStream& err);

} // namespace CommandLine
