#include "calc/consumption_tax.h"
#include "convert/conversions.h"
#include "db/sql_literal.h"
#include "documents/csv_exports.h"
#include "documents/csv_writer.h"
#include "documents/issuer.h"
#include "documents/quotation_document.h"
#include "settings/policy.h"
#include "state/app_state.h"
#include "test_support.h"
#include "project/project_rows.h"
#include "workspace/project_summary.h"

#include <QFile>

namespace {

// A text that every kind of quoting and encoding has to carry.
const QString kHostile = u"\"株式会社 𠮷野\", O'Brien\r\n2行目; =1+1\t末尾 "_s;

IssuerDetails hostileIssuer()
{
    IssuerDetails d;
    d.company = kHostile;
    d.postalCode = u"100-0001"_s;
    d.address1 = u"東京都千代田区千代田1-1"_s;
    d.address2 = u"'ビル' 5F"_s;
    d.telephone = u"03-1234-5678"_s;
    d.registrationNumber = u"T1234567890123"_s;
    d.person = u"見積 太郎"_s;
    d.paymentTerms = u"月末締め\n翌月末払い"_s;
    d.validityDays = 45;
    d.taxRate = 8;
    d.rounding = TaxRounding::Up;
    d.remarks = kHostile;
    return d;
}

QStringList issuerTexts(const IssuerDetails& d)
{
    return {d.company, d.postalCode, d.address1, d.address2, d.telephone, d.registrationNumber, d.person,
            d.paymentTerms, QString::number(d.validityDays), QString::number(d.taxRate),
            QString::number(int(d.rounding)), d.remarks};
}

qint64 sumOf(const QuotationDocument& doc, QuoteLine::Kind kind)
{
    qint64 sum = 0;
    for (const QuoteLine& line : doc.lines) {
        sum += line.kind == kind ? line.amount : 0;
    }
    return sum;
}

double scalarOf(DbConnection& conn, const QString& sql)
{
    const QVariant v = scalar(conn, sql);
    return v.isValid() ? v.toDouble() : 0.0;
}

} // namespace

// The documents' data: the issuer, the quotation's lines and tax, the CSV files.
class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Whole yen, in integers: 10 % of 1,234,567 is 123,456.7.
    void consumptionTax_data()
    {
        addColumns<qint64, int, int, qint64>({"amount", "rate", "rounding", "tax"});
        QTest::newRow("down") << qint64(1234567) << 10 << 0 << qint64(123456);
        QTest::newRow("half up") << qint64(1234567) << 10 << 1 << qint64(123457);
        QTest::newRow("up") << qint64(1234567) << 10 << 2 << qint64(123457);
        QTest::newRow("half at .5") << qint64(1234565) << 10 << 1 << qint64(123457);
        QTest::newRow("half below .5") << qint64(1234564) << 10 << 1 << qint64(123456);
        QTest::newRow("exact, up") << qint64(1000) << 10 << 2 << qint64(100);
        QTest::newRow("8 %, down") << qint64(999) << 8 << 0 << qint64(79);
        QTest::newRow("negative, down") << qint64(-1234567) << 10 << 0 << qint64(-123456);
        QTest::newRow("negative, up") << qint64(-1234567) << 10 << 2 << qint64(-123457);
        QTest::newRow("large") << qint64(9007199254740) << 10 << 2 << qint64(900719925474);
    }
    void consumptionTax()
    {
        QFETCH(qint64, amount);
        QFETCH(int, rate);
        QFETCH(int, rounding);
        QFETCH(qint64, tax);
        QCOMPARE(ConsumptionTax(amount, rate, static_cast<TaxRounding>(rounding)), tax);
    }

    void registrationNumber_data()
    {
        addColumns<QString, bool>({"text", "valid"});
        QTest::newRow("T and 13 digits") << u"T1234567890123"_s << true;
        QTest::newRow("12 digits") << u"T123456789012"_s << false;
        QTest::newRow("14 digits") << u"T12345678901234"_s << false;
        QTest::newRow("no T") << u"1234567890123"_s << false;
        QTest::newRow("lower t") << u"t1234567890123"_s << false;
        QTest::newRow("full-width digits") << u"T１２３４５６７８９０１２３"_s << false;
        QTest::newRow("blank inside") << u"T123456 7890123"_s << false;
    }
    void registrationNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IsRegistrationNumber(text), valid);
    }

    // The details come back as stored, awkward texts included; a failed save keeps the details
    // stored before.
    void issuerIsStored_data() { addEngineRows(); }
    void issuerIsStored()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        QVERIFY(!LoadIssuer(*conn));
        const IssuerDetails details = hostileIssuer();
        SaveIssuer(*conn, details);
        QCOMPARE(issuerTexts(*LoadIssuer(*conn)), issuerTexts(details));
        QCOMPARE(rowCount(*conn, u"MISSUER"_s), 1);

        IssuerDetails changed = details;
        changed.company = u"別の会社"_s;
        {
            StatementLog log;
            log.failOn(u"INSERT INTO MISSUER"_s);
            QVERIFY_THROWS_EXCEPTION(DbError, SaveIssuer(*conn, changed));
        }
        QCOMPARE(issuerTexts(*LoadIssuer(*conn)), issuerTexts(details));
        SaveIssuer(*conn, changed);
        QCOMPARE(LoadIssuer(*conn)->company, changed.company);
        QCOMPARE(rowCount(*conn, u"MISSUER"_s), 1);
    }

    // The lines follow the stored ticks, each component adds what the quotation dialog shows
    // for it, and the lines add up to the order amount before tax.
    void quotationLines_data()
    {
        addColumns<int, QString, double, double>({"engine", "ticks", "price", "discount"});
        for (const int engine : {int(Engine::SQLite), int(Engine::PostgreSQL)}) {
            const char* name = engine == int(Engine::SQLite) ? "sqlite" : "postgresql";
            const auto row = [&](const char* what, const char* ticks, double price, double discount) {
                QTest::addRow("%s: %s", name, what) << engine << QString::fromLatin1(ticks) << price << discount;
            };
            row("stored", "111101", 7970000, 800);
            row("nothing ticked, no price", "000000", 0, 0);
            row("work only, price above", "010000", 9000000, 0);
            row("all, price below", "111111", 1000000, 12345);
            row("options and deliverables", "001100", 0, 0);
            row("both expenses, no price", "000011", 0, 0);
            row("own expenses and base", "100010", 0, -500);
        }
    }
    void quotationLines()
    {
        QFETCH(int, engine);
        QFETCH(QString, ticks);
        QFETCH(double, price);
        QFETCH(double, discount);
        auto db = TestDatabase::create(static_cast<Engine>(engine), true);
        auto conn = db->connect();
        ExecSql(*conn, u"UPDATE TPROJECT SET CBASE = '%1', CWORK = '%2', COPT = '%3', CDELIV = '%4', CEXPE0 = '%5', "
                       u"CEXPE1 = '%6', NPRICE = %7, NDISCOUNT = %8 WHERE NPROJECT = 2"_s.arg(ticks[0])
                           .arg(ticks[1])
                           .arg(ticks[2])
                           .arg(ticks[3])
                           .arg(ticks[4])
                           .arg(ticks[5])
                           .arg(price, 0, 'f', 0)
                           .arg(discount, 0, 'f', 0));
        const QuotationDocument doc = BuildQuotation(*conn, 2, QDate(2026, 12, 7));
        const double components[6] = {
            scalarOf(*conn, u"SELECT NBASE AS V FROM TPROJECT WHERE NPROJECT = 2"_s),
            ProjectWorkTotal(*conn, 2),
            scalarOf(*conn, u"SELECT SUM(NPRI) AS V FROM TCONTRACT WHERE NPROJECT = 2"_s),
            scalarOf(*conn, u"SELECT SUM(NPRI) AS V FROM TDELIV WHERE NPROJECT = 2"_s),
            scalarOf(*conn, u"SELECT SUM(NPRICEP) AS V FROM TEXPENSE WHERE NBUY = 0 AND NPROJECT = 2"_s),
            scalarOf(*conn, u"SELECT SUM(NPRICEP) AS V FROM TEXPENSE WHERE NBUY = 1 AND NPROJECT = 2"_s)};
        double quoted = -discount;
        for (int i = 0; i < 6; ++i) {
            quoted += ticks[i] == u'1' ? components[i] : 0.0;
        }
        QCOMPARE(double(sumOf(doc, QuoteLine::Base)), ticks[0] == u'1' ? components[0] : 0.0);
        QCOMPARE(double(sumOf(doc, QuoteLine::Work)), ticks[1] == u'1' ? components[1] : 0.0);
        QCOMPARE(double(sumOf(doc, QuoteLine::Option)), ticks[2] == u'1' ? components[2] : 0.0);
        QCOMPARE(double(sumOf(doc, QuoteLine::Deliverable)), ticks[3] == u'1' ? components[3] : 0.0);
        QCOMPARE(double(sumOf(doc, QuoteLine::Expense)),
                 (ticks[4] == u'1' ? components[4] : 0.0) + (ticks[5] == u'1' ? components[5] : 0.0));
        QCOMPARE(double(sumOf(doc, QuoteLine::Discount)), -discount);
        const bool adjusted = price != 0 && price != quoted;
        QCOMPARE(double(sumOf(doc, QuoteLine::Adjustment)), adjusted ? price - quoted : 0.0);
        QCOMPARE(double(doc.subtotal), price != 0 ? price : quoted);
        qint64 lines = 0;
        for (const QuoteLine& line : doc.lines) {
            lines += line.amount;
        }
        QCOMPARE(lines, doc.subtotal);
        // One work line per counted function, in the list's order.
        if (ticks[1] == u'1') {
            QStringList titles;
            for (const QuoteLine& line : doc.lines) {
                if (line.kind == QuoteLine::Work) {
                    titles << line.name;
                }
            }
            QCOMPARE(titles, columnValues(*conn, u"SELECT CSFUNC AS V FROM TFUNCTION WHERE NPROJECT = 2 AND "
                                                 u"CVALID IS NOT NULL ORDER BY NSORT, NFUNCTION"_s));
        }
    }

    // Number, dates, customer, terms and tax; without issuer details the defaults of the
    // details; a project gone is refused.
    void quotationHead_data() { addEngineRows(); }
    void quotationHead()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto conn = db->connect();
        QuotationDocument doc = BuildQuotation(*conn, 2, QDate(2026, 12, 7));
        QCOMPARE(doc.number, u"Q00002-20261207"_s);
        QCOMPARE(doc.customer, u"東和システム株式会社"_s);
        QCOMPARE(doc.subject, u"受注・出荷管理サブシステム"_s);
        QVERIFY(!doc.issuer);
        QCOMPARE(doc.validUntil, QDate(2027, 1, 6));
        QCOMPARE(doc.taxRate, 10);
        QCOMPARE(doc.tax, qint64(797000));
        QCOMPARE(doc.total, qint64(8767000));
        QCOMPARE(doc.remarks, QStringList{u"返品受付は範囲未確定のため保留。"_s});
        const QDate last =
            OpenRs(*conn, u"SELECT MAX(DDATE) AS DDATE FROM TDATE WHERE NPROJECT = 2"_s).field(u"DDATE"_s).toDate();
        QVERIFY(last.isValid());
        QCOMPARE(doc.delivery, last);

        SaveIssuer(*conn, hostileIssuer());
        ExecSql(*conn, u"DELETE TDATE WHERE NPROJECT = 2"_s);
        ExecSql(*conn, u"UPDATE TPROJECT SET NPRICE = 1234567 WHERE NPROJECT = 2"_s);
        doc = BuildQuotation(*conn, 2, QDate(2026, 12, 7));
        QVERIFY(doc.issuer);
        QVERIFY(!doc.delivery.isValid());
        QCOMPARE(doc.validUntil, QDate(2027, 1, 21));
        QCOMPARE(doc.paymentTerms, u"月末締め\n翌月末払い"_s);
        QCOMPARE(doc.remarks, (QStringList{kHostile, u"返品受付は範囲未確定のため保留。"_s}));
        QCOMPARE(doc.tax, qint64(98766)); // 8 % of 1,234,567 is 98,765.36, rounded up
        QCOMPARE(doc.total, qint64(1234567 + 98766));

        try {
            BuildQuotation(*conn, 99, QDate(2026, 12, 7));
            QFAIL("a quotation of no project");
        } catch (const DocumentError& e) {
            QCOMPARE(e.message(), u"プロジェクト 99 がありません。"_s);
        }
    }

    // Written and read back by a real CSV reading, every text is what went in; figures are
    // plain numbers.
    void csvFileReadsBack()
    {
        const QList<QStringList> rows = {{u"見出し"_s, u"数"_s},
                                         {kHostile, u"1234567.5"_s},
                                         {u"\"\""_s, QString()},
                                         {u"a\nb"_s, u"-0.25"_s}};
        const QByteArray bytes = CsvFile(rows);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xE8\xA6\x8B"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(ReadCsv(bytes), rows);
        QCOMPARE(CsvNumber(1234567.5), u"1234567.5"_s);
        QCOMPARE(CsvNumber(0.1 + 0.2), u"0.3"_s);
        QCOMPARE(CsvNumber(-5000), u"-5000"_s);

        const QString path = m_env->path(u"out.csv"_s);
        QString error;
        QVERIFY(WriteCsvFile(path, rows, &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(ReadCsv(file.readAll()), rows);
        QVERIFY(!WriteCsvFile(m_env->path(u"no/such/folder/out.csv"_s), rows, &error));
        QVERIFY(!error.isEmpty());
    }

    // The projects' figures are those of the main window's panels under the policy; names with
    // commas, quotes and line breaks stay whole.
    void projectRowsFollowThePanels_data() { addEngineRows(); }
    void projectRowsFollowThePanels()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        ExecSql(state->conn(), u"UPDATE TPROJECT SET CPROJNAME = %1 WHERE NPROJECT = 3"_s.arg(
                                   SqlLiteral(u"倉庫, \"在庫\"\n管理"_s, u"C"_s)));
        for (const int rate : {0, 2}) {
            state->policy.Rate = rate;
            state->policy.Indirect = rate == 0;
            const QList<QStringList> rows = ProjectCsvRows(state->conn(), state->policy);
            QCOMPARE(ReadCsv(CsvFile(rows)), rows);
            QCOMPARE(rows.size(), 1 + rowCount(state->conn(), u"TPROJECT"_s));
            QCOMPARE(rows.at(0).value(1), u"プロジェクト"_s);
            QStringList ids;
            for (int i = 1; i < rows.size(); ++i) {
                ids << rows.at(i).at(0);
            }
            QCOMPARE(ids, (QStringList{"1", "2", "3", "4"}));
            for (int i = 1; i < rows.size(); ++i) {
                const QStringList& row = rows.at(i);
                state->CurProject = row.at(0).toInt();
                const ProfitTexts panels = ProfitPanelTexts(*state);
                QCOMPARE(u"純利益："_s + FormatNumber(row.at(7).toDouble(), 0, true) + u"円"_s, panels.money);
                QCOMPARE(row.at(8).isEmpty() ? u"利益率：[計算不能]"_s
                                              : u"利益率："_s + FormatNumber(row.at(8).toDouble(), 2, true) + u"％"_s,
                         panels.rate);
                QCOMPARE(u"残工数：%1/%2時間"_s.arg(row.at(9), row.at(10)), RemainingHoursText(*state));
                QCOMPARE(row.at(6).toDouble(), ProjectWorkTotal(state->conn(), state->CurProject));
            }
            QCOMPARE(rows.at(3).at(1), u"ミナト物流 配送管理システム再構築 - 倉庫, \"在庫\"\n管理"_s);
            QCOMPARE(rows.at(4).at(1),
                     u"ミナト物流 配送管理システム再構築 - 倉庫, \"在庫\"\n管理 - ハンディターミナル連携"_s);
            QCOMPARE(rows.at(2).mid(2, 3), (QStringList{u"株式会社ミナト物流"_s, u"東和システム株式会社"_s,
                                                        u"標準単価"_s}));
        }
    }

    // The quotation lines as a table: one record a line, then subtotal, tax and total.
    void quoteLineRows()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto conn = db->connect();
        ExecSql(*conn, u"UPDATE TFUNCTION SET CSFUNC = %1 WHERE NFUNCTION = (SELECT MIN(NFUNCTION) FROM TFUNCTION "
                       u"WHERE NPROJECT = 2)"_s.arg(SqlLiteral(kHostile, u"C"_s)));
        const QuotationDocument doc = BuildQuotation(*conn, 2, QDate(2026, 12, 7));
        const QList<QStringList> rows = ReadCsv(CsvFile(QuoteLineCsvRows(doc)));
        QCOMPARE(rows.size(), 1 + doc.lines.size() + 3);
        QCOMPARE(rows.at(0), (QStringList{"区分", "項目", "数量", "単位", "単価", "金額"}));
        for (int i = 0; i < doc.lines.size(); ++i) {
            QCOMPARE(rows.at(i + 1).at(1), doc.lines.at(i).name);
            QCOMPARE(rows.at(i + 1).at(5), QString::number(doc.lines.at(i).amount));
        }
        QVERIFY(rows.contains(QStringList{u"作業費"_s, kHostile, rows.at(2).at(2), u"時間"_s, QString(),
                                          rows.at(2).at(5)}));
        QCOMPARE(rows.at(rows.size() - 2), (QStringList{u"消費税（10%）"_s, "", "", "", "", "797000"}));
        QCOMPARE(rows.constLast(), (QStringList{u"合計"_s, "", "", "", "", "8767000"}));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestDocuments)
#include "test_documents.moc"
