#include "accuracy/calibration_list.h"
#include "db/db_connection.h"
#include "documents/csv_exports.h"
#include "documents/issuer.h"
#include "documents/quotation_document.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "finished_projects.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

struct Finished {
    int exitCode = -1;
    QString err;
};

QList<QStringList> csvOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? ReadCsv(file.readAll()) : QList<QStringList>();
}

// The parts of a text a PDF search can find: Qt's PDF writer maps no character beyond the
// Basic Multilingual Plane (𠮷) back to text.
QStringList searchable(const QString& text)
{
    QString plain;
    for (const QChar c : text) {
        plain += c.isSurrogate() ? QChar(u'\n') : c;
    }
    return plain.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

// vorna-report: each report written from the command line by the code of the windows, with
// no display; its errors on standard error with a non-zero exit.
class TestReportTool : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        // The tool reads the settings where a user's are; the test writes them there.
        Settings::setFilePath(m_env->path(u"xdg/vorna/vorna.ini"_s));
    }
    void cleanup() { m_env.reset(); }

    // Every report on each engine, the quotation without and with issuer details.
    void writesEveryReport_data() { addEngineRows(); }
    void writesEveryReport()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto conn = db->connect();
        const QString conn2 = db->connStr();
        const QString pdf = m_env->path(u"q.pdf"_s);

        Finished run = tool({u"quotation"_s, u"--project"_s, u"2"_s, u"--out"_s, pdf, u"--conn"_s, conn2,
                             u"--date"_s, u"2026-12-07"_s});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.err.contains(u"warning: no issuer details"_s), qPrintable(run.err));
        QuotationDocument doc = BuildQuotation(*conn, 2, QDate(2026, 12, 7));
        QString text = PdfText(pdf);
        for (const QString& expected :
             {u"御見積書"_s, u"Q00002-20261207"_s, u"2026年12月7日"_s, u"東和システム株式会社 御中"_s,
              u"受注・出荷管理サブシステム"_s, YenText(doc.subtotal), YenText(doc.tax), YenText(doc.total)}) {
            QVERIFY2(text.contains(expected), qPrintable(expected + u"\n"_s + text));
        }
        for (const QuoteLine& line : doc.lines) {
            QVERIFY2(text.contains(line.name), qPrintable(line.name));
        }

        IssuerDetails issuer;
        issuer.company = u"株式会社𠮷田ソフト"_s;
        issuer.registrationNumber = u"T1234567890123"_s;
        SaveIssuer(*conn, issuer);
        run = tool({u"quotation"_s, u"--project"_s, u"2"_s, u"--out"_s, pdf, u"--conn"_s, conn2});
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(run.err));
        text = PdfText(pdf);
        for (const QString& part : searchable(issuer.company) + QStringList{u"登録番号 T1234567890123"_s,
                                                                              u"Q00002-"_s + QDate::currentDate().toString(u"yyyyMMdd"_s)}) {
            QVERIFY2(text.contains(part), qPrintable(part + u"\n"_s + text));
        }

        const Policy policy;
        const QString csv = m_env->path(u"out.csv"_s);
        run = tool({u"functions"_s, u"--project"_s, u"2"_s, u"--out"_s, csv, u"--conn"_s, conn2});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(csvOf(csv), FunctionCsvRows(*conn, 2, policy));
        run = tool({u"projects"_s, u"--out"_s, csv, u"--conn"_s, conn2});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(csvOf(csv), ProjectCsvRows(*conn, policy));
        run = tool({u"quote-lines"_s, u"--project"_s, u"2"_s, u"--out"_s, csv, u"--conn"_s, conn2, u"--date"_s,
                    u"2026-12-07"_s});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(csvOf(csv), QuoteLineCsvRows(BuildQuotation(*conn, 2, QDate(2026, 12, 7))));
    }

    // Without --conn the user's connection settings, and always the user's policy.
    void usesTheUsersSettings()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto conn = db->connect();
        db->makeProgramDatabase();
        StoreSetting(u"Policy"_s, u"Rate"_s, u"2"_s);
        StoreSetting(u"Policy"_s, u"Work"_s, u"False"_s);
        StoreSetting(u"Policy"_s, u"MtoH"_s, u"150"_s);
        const Policy policy = LoadPolicy();
        QCOMPARE(policy.MtoH, 150);
        const QString csv = m_env->path(u"out.csv"_s);
        Finished run = tool({u"projects"_s, u"--out"_s, csv});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(csvOf(csv), ProjectCsvRows(*conn, policy));
        QVERIFY(csvOf(csv) != ProjectCsvRows(*conn, Policy()));
        run = tool({u"functions"_s, u"--project"_s, u"2"_s, u"--out"_s, csv});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(csvOf(csv), FunctionCsvRows(*conn, 2, policy));
        QVERIFY(csvOf(csv) != FunctionCsvRows(*conn, 2, Policy()));

        // The accuracy list of the finished projects, COCOMO hours at the user's hours per month.
        FinishedProjects::build(*conn);
        run = tool({u"accuracy"_s, u"--out"_s, csv});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QList<QStringList> accuracy = CalibrationCsvRows(LoadCalibrationList(*conn, {}, 150));
        QCOMPARE(accuracy.size(), 6);
        QCOMPARE(csvOf(csv), accuracy);
        QVERIFY(csvOf(csv) != CalibrationCsvRows(LoadCalibrationList(*conn, {}, 160)));
    }

    // A wrong command line (exit 2), or a report that cannot be made (exit 1): the reason on
    // standard error, and no file left behind.
    void refusesWhatItCannotDo_data()
    {
        addColumns<QStringList, int, QString>({"arguments", "exitCode", "message"});
        QTest::newRow("no command") << QStringList{u"--out"_s, u"OUT"_s} << 2 << u"Missing command."_s;
        QTest::newRow("unknown command") << QStringList{u"invoice"_s, u"--out"_s, u"OUT"_s} << 2
                                         << u"Unknown command 'invoice'."_s;
        QTest::newRow("no project") << QStringList{u"quotation"_s, u"--out"_s, u"OUT"_s, u"--conn"_s, u"CONN"_s}
                                    << 2 << u"'quotation' needs --project"_s;
        QTest::newRow("project not a number")
            << QStringList{u"functions"_s, u"--project"_s, u"x"_s, u"--out"_s, u"OUT"_s} << 2
            << u"'functions' needs --project"_s;
        QTest::newRow("no output") << QStringList{u"projects"_s, u"--conn"_s, u"CONN"_s} << 2
                                   << u"Missing --out FILE."_s;
        QTest::newRow("bad date") << QStringList{u"quotation"_s, u"--project"_s, u"2"_s, u"--out"_s, u"OUT"_s,
                                                 u"--date"_s, u"2026/12/07"_s}
                                  << 2 << u"is no date"_s;
        QTest::newRow("unknown project quotation")
            << QStringList{u"quotation"_s, u"--project"_s, u"99"_s, u"--out"_s, u"OUT"_s, u"--conn"_s, u"CONN"_s}
            << 1 << u"プロジェクト 99 がありません。"_s;
        QTest::newRow("unknown project functions")
            << QStringList{u"functions"_s, u"--project"_s, u"99"_s, u"--out"_s, u"OUT"_s, u"--conn"_s, u"CONN"_s}
            << 1 << u"プロジェクト 99 がありません。"_s;
        QTest::newRow("unknown project lines")
            << QStringList{u"quote-lines"_s, u"--project"_s, u"99"_s, u"--out"_s, u"OUT"_s, u"--conn"_s, u"CONN"_s}
            << 1 << u"プロジェクト 99 がありません。"_s;
        QTest::newRow("missing database")
            << QStringList{u"projects"_s, u"--out"_s, u"OUT"_s, u"--conn"_s,
                           u"Provider=SQLite;Data Source=/nonexistent/x.sqlite"_s}
            << 1 << u"データベースファイルがありません"_s;
        QTest::newRow("unwritable file")
            << QStringList{u"quotation"_s, u"--project"_s, u"2"_s, u"--out"_s, u"/nonexistent/q.pdf"_s, u"--conn"_s,
                           u"CONN"_s}
            << 1 << u"cannot write /nonexistent/q.pdf"_s;
        QTest::newRow("later database") << QStringList{u"projects"_s, u"--out"_s, u"OUT"_s, u"--conn"_s, u"LATER"_s}
                                        << 1 << u"新しい版のVORNA"_s;
    }
    void refusesWhatItCannotDo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto later = TestDatabase::create(Engine::SQLite);
        ExecSql(*later->connect(), u"UPDATE MSCHEMA SET NVERSION = 99"_s);
        const QString out = m_env->path(u"out.file"_s);
        arguments.replaceInStrings(u"OUT"_s, out);
        for (QString& argument : arguments) {
            argument = argument == u"CONN"_s ? db->connStr() : argument == u"LATER"_s ? later->connStr() : argument;
        }
        const Finished run = tool(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.startsWith(u"vorna-report: "_s) && run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));
    }

private:
    // The tool with no display and no platform chosen, on this test's settings.
    Finished tool(const QStringList& arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s}) {
            environment.remove(name);
        }
        environment.insert(u"XDG_CONFIG_HOME"_s, m_env->path(u"xdg"_s));
        environment.insert(u"XDG_DATA_HOME"_s, m_env->path(u"data"_s));
        // A session's own folder, as a desktop login gives one: Qt warns without it.
        const QString runtime = m_env->path(u"runtime"_s);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(u"" VORNA_REPORT_TOOL ""_s, arguments);
        Finished finished;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            finished.err = u"did not end normally: "_s + QString::fromUtf8(process.readAllStandardError());
            return finished;
        }
        finished.exitCode = process.exitCode();
        finished.err = QString::fromUtf8(process.readAllStandardError());
        return finished;
    }

    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestReportTool)
#include "test_report_tool.moc"
