#pragma once

#include "tool_password.h"

#include <QDate>
#include <QStringList>
#include <QTextStream>
#include <optional>

// vorna-report quotation|functions|projects|quote-lines|accuracy [--project N] --out FILE
//              [--conn "Provider=…"] [--date yyyy-mm-dd]
// Writes the 見積書 of a project as a PDF, or the functions of a project, all projects or the
// quotation lines of a project as CSV, or the estimate accuracy of the finished projects (the
// list of the window 見積精度と校正) as CSV, with the same code as the program's windows. The
// database is the connection string's or this user's; the policy is this user's.
struct ReportRequest {
    enum Kind { Quotation, Functions, Projects, QuoteLines, Accuracy };
    Kind kind = Quotation;
    int project = 0;
    QString out;
    QString connStr; // empty: the user's settings
    QDate issueDate;
};

// Reads the command line (the program's name first). Returns the exit code when the program
// ends here: 0 after --help or --version, 2 after a wrong command line, told on err.
struct ParsedReport {
    std::optional<int> exitCode;
    ReportRequest request;
};
ParsedReport ParseReportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Whether the report draws pages: it then needs a QGuiApplication (on any platform, offscreen
// too); the CSV reports need none.
bool ReportDrawsPages(const ReportRequest& request);

// Writes the report. Errors go to err with the exit code 1; a quotation without issuer details
// is still written, with a warning on err.
int RunReport(const ReportRequest& request, QTextStream& out, QTextStream& err,
              const PasswordPrompt& askPassword = AskPasswordOnTerminal);
