#include "report_tool.h"

#include "accuracy/calibration_list.h"
#include "convert/conversions.h"
#include "db/connection_string.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_upgrade.h"
#include "document/quotation_print.h"
#include "documents/csv_exports.h"
#include "documents/csv_writer.h"
#include "documents/quotation_document.h"
#include "program/command_line.h"
#include "settings/policy.h"
#include "settings/settings.h"

#include <QCommandLineParser>

namespace {

const QString kProgram = QStringLiteral("vorna-report");

struct Subcommand {
    const char* name;
    ReportRequest::Kind kind;
    bool needsProject;
};

const Subcommand kSubcommands[] = {{"quotation", ReportRequest::Quotation, true},
                                   {"functions", ReportRequest::Functions, true},
                                   {"projects", ReportRequest::Projects, false},
                                   {"quote-lines", ReportRequest::QuoteLines, true},
                                   {"accuracy", ReportRequest::Accuracy, false}};

int wrongCommandLine(QTextStream& err, const QString& message, const QCommandLineParser& parser)
{
    err << kProgram << ": " << message << "\n\n" << parser.helpText();
    return 2;
}

void warnWithoutIssuer(const QuotationDocument& document, QTextStream& err)
{
    if (!document.issuer) {
        err << kProgram << ": warning: no issuer details are stored (マスタ → 発行者情報): the "
            << "quotation has no letterhead and uses a tax rate of " << document.taxRate << " %\n";
    }
}

void writeCsv(const QString& path, const QList<QStringList>& rows)
{
    QString error;
    if (!WriteCsvFile(path, rows, &error)) {
        throw DocumentError(QStringLiteral("cannot write %1: %2").arg(path, error));
    }
}

void requireProject(DbConnection& connection, int project)
{
    StoredProject(connection, project); // raises DocumentError for a project that is gone
}

} // namespace

ParsedReport ParseReportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes VORNA's documents without a window:\n"
        "  quotation    the 見積書 of a project as a PDF file\n"
        "  functions    the functions of a project as a CSV file\n"
        "  projects     all projects with their figures as a CSV file\n"
        "  quote-lines  the quotation lines of a project as a CSV file\n"
        "  accuracy     the estimate accuracy of the finished projects' functions as a CSV file\n"
        "The database is the one of --conn, or of this user's settings; the calculation policy is\n"
        "this user's. A password given as $PASSWD$ is taken from VORNA_DB_PASSWORD, or asked for\n"
        "on the terminal."));
    const QCommandLineOption project(QStringLiteral("project"), QStringLiteral("The project (its number, NPROJECT)."),
                                     QStringLiteral("N"));
    const QCommandLineOption output(QStringLiteral("out"), QStringLiteral("The file to write."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption conn(QStringLiteral("conn"), QStringLiteral("The connection string of the database."),
                                  QStringLiteral("connection string"));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("The issue date of the quotation (default: today)."),
                                  QStringLiteral("yyyy-mm-dd"));
    parser.addOptions({project, output, conn, date});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("quotation, functions, projects, quote-lines or accuracy."));

    ParsedReport parsed;
    if ((parsed.exitCode = CommandLine::read(parser, QStringList{kProgram} + arguments.mid(1), {1, false}, out, err))) {
        return parsed;
    }
    ReportRequest& request = parsed.request;
    const QString name = parser.positionalArguments().value(0);
    const Subcommand* subcommand = nullptr;
    for (const Subcommand& s : kSubcommands) {
        if (name == QLatin1String(s.name)) {
            subcommand = &s;
        }
    }
    if (!subcommand) {
        parsed.exitCode = wrongCommandLine(
            err, name.isEmpty() ? QStringLiteral("Missing command.") : QStringLiteral("Unknown command '%1'.").arg(name),
            parser);
        return parsed;
    }
    request.kind = subcommand->kind;
    if (subcommand->needsProject) {
        bool ok = false;
        request.project = parser.value(project).toInt(&ok);
        if (!ok || request.project < 1 || request.project > kShortMax) {
            parsed.exitCode = wrongCommandLine(
                err, QStringLiteral("'%1' needs --project with a project number.").arg(name), parser);
            return parsed;
        }
    } else if (parser.isSet(project)) {
        parsed.exitCode = wrongCommandLine(err, QStringLiteral("'%1' takes no --project.").arg(name), parser);
        return parsed;
    }
    request.out = parser.value(output);
    if (request.out.isEmpty()) {
        parsed.exitCode = wrongCommandLine(err, QStringLiteral("Missing --out FILE."), parser);
        return parsed;
    }
    request.connStr = parser.value(conn);
    request.issueDate = QDate::currentDate();
    if (parser.isSet(date)) {
        request.issueDate = QDate::fromString(parser.value(date), QStringLiteral("yyyy-MM-dd"));
        if (!request.issueDate.isValid()) {
            parsed.exitCode = wrongCommandLine(
                err, QStringLiteral("'%1' is no date (yyyy-mm-dd).").arg(parser.value(date)), parser);
            return parsed;
        }
    }
    return parsed;
}

bool ReportDrawsPages(const ReportRequest& request)
{
    return request.kind == ReportRequest::Quotation;
}

int RunReport(const ReportRequest& request, QTextStream& out, QTextStream& err, const PasswordPrompt& askPassword)
{
    Q_UNUSED(out);
    try {
        // Read as empty, an unreadable settings file would lead to another database.
        const QString unreadable = Settings::readProblem();
        if (!unreadable.isEmpty()) {
            throw DocumentError(unreadable);
        }
        ConnectionParams params =
            request.connStr.isEmpty() ? ConnectionParams::fromStore() : ConnectionParams::parse(request.connStr);
        if (!params.error.isEmpty()) {
            throw DbError(DbError::ConnectionFailed, params.error);
        }
        if (!request.connStr.isEmpty()) {
            SupplyPassword(params, askPassword);
        }
        const Policy policy = LoadPolicy();
        auto connection = DbConnection::open(params);
        UpgradeSchema(*connection);
        switch (request.kind) {
        case ReportRequest::Quotation: {
            const QuotationDocument document = BuildQuotation(*connection, request.project, request.issueDate);
            warnWithoutIssuer(document, err);
            QString error;
            if (!WriteQuotationPdf(document, request.out, &error)) {
                throw DocumentError(QStringLiteral("cannot write %1: %2").arg(request.out, error));
            }
            break;
        }
        case ReportRequest::Functions:
            requireProject(*connection, request.project);
            writeCsv(request.out, FunctionCsvRows(*connection, request.project, policy));
            break;
        case ReportRequest::Projects:
            writeCsv(request.out, ProjectCsvRows(*connection, policy));
            break;
        case ReportRequest::Accuracy:
            writeCsv(request.out, CalibrationCsvRows(LoadCalibrationList(*connection, {}, policy.MtoH)));
            break;
        case ReportRequest::QuoteLines: {
            const QuotationDocument document = BuildQuotation(*connection, request.project, request.issueDate);
            warnWithoutIssuer(document, err);
            writeCsv(request.out, QuoteLineCsvRows(document));
            break;
        }
        }
        return 0;
    } catch (const DbError& e) {
        err << kProgram << ": " << e.description() << "\n";
        if (!e.statement().isEmpty()) {
            err << "statement: " << e.statement() << "\n";
        }
    } catch (const DocumentError& e) {
        err << kProgram << ": " << e.message() << "\n";
    } catch (const PolicyError& e) {
        err << kProgram << ": " << e.message() << "\n";
    } catch (const ConversionError& e) {
        err << kProgram << ": " << QString::fromUtf8(e.what()) << "\n";
    }
    return 1;
}
