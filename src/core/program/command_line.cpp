#include "program/command_line.h"

#include "program/version.h"

#include <QFileInfo>

namespace CommandLine {

std::optional<int> read(QCommandLineParser& parser, const QStringList& arguments, const Rules& rules,
                        QTextStream& out, QTextStream& err)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    parser.addOption(help);
    parser.addOption(version);
    // "-reverse" is one of Qt's options, not -r -e -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    const bool parsed = parser.parse(arguments);
    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (parser.isSet(help)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << program << ' ' << VORNA_VERSION_TEXT << '\n';
        return 0;
    }
    if (rules.leaveUnknownToQt) {
        return std::nullopt;
    }
    QString error = parser.errorText();
    if (parsed && parser.positionalArguments().size() > rules.positionalLimit) {
        error = QStringLiteral("Unexpected argument '%1'.")
                    .arg(parser.positionalArguments().value(rules.positionalLimit));
    }
    if (!parsed || !error.isEmpty()) {
        err << program << ": " << error << "\n\n" << parser.helpText();
        return 2;
    }
    return std::nullopt;
}

} // namespace CommandLine
