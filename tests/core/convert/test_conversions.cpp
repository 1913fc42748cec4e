#include "convert/conversions.h"
#include "db/db_error.h"
#include "db/dialect.h"
#include "db/sql_literal.h"
#include "settings/policy.h"
#include "test_support.h"

namespace {

QString roundDown(double amount, int place)
{
    Policy policy;
    policy.Place = 4;
    return RoundDownPlace(amount, place, policy);
}

QString translated(Engine engine, const QString& sql)
{
    return Dialect::forEngine(engine)->translate(sql);
}

// AutoSlashDate's text, with the caret after "@" when it moved it.
QString slashed(const QString& text, int lastKey)
{
    int caret = -2;
    const QString got = AutoSlashDate(text, lastKey, &caret);
    return caret == -1 ? got : got + u'@' + QString::number(caret);
}

// A database error's kind, as its number.
QString kind(Engine engine, const char* code, const char* text = "")
{
    return QString::number(DbError::classify(engine, QString::fromLatin1(code), QString::fromLatin1(text)));
}
const QString integrity = QString::number(DbError::IntegrityViolation);
const QString overflow = QString::number(DbError::DataOverflow);
const QString other = QString::number(DbError::Other);

// A title that ends a literal early where a backslash escapes the quote after it.
const QString kHostile = u"x\\'); DELETE FROM TFP; --"_s;

constexpr Engine lite = Engine::SQLite;
constexpr Engine pg = Engine::PostgreSQL;
constexpr Engine ms = Engine::SQLServer;

} // namespace

// Texts, numbers and statements converted: every row is a worked example, what the program gives
// beside what it must give.
class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // ToInt keeps to 16 bits and ToLng to 32; past that both give 0 as an overflow, which the
    // window reports (test_form_widgets).
    void toInteger_data()
    {
        addColumns<QVariant, bool, int, bool>({"value", "wide", "expected", "overflow"});
        QTest::newRow("empty") << QVariant(QString()) << false << 0 << false;
        QTest::newRow("32767") << QVariant(u"32767"_s) << false << 32767 << false;
        QTest::newRow("40000") << QVariant(u"40000"_s) << false << 0 << true;
        QTest::newRow("-32768") << QVariant(-32768) << false << -32768 << false;
        QTest::newRow("-32769") << QVariant(-32769) << false << 0 << true;
        QTest::newRow("grouped") << QVariant(u"1,200"_s) << false << 1200 << false;
        QTest::newRow("half to even down") << QVariant(2.5) << false << 2 << false;
        QTest::newRow("half to even up") << QVariant(3.5) << false << 4 << false;
        QTest::newRow("not a number") << QVariant(u"abc"_s) << false << 0 << true;
        QTest::newRow("lone minus") << QVariant(u"-"_s) << false << 0 << true;
        QTest::newRow("long max") << QVariant(u"2147483647"_s) << true << 2147483647 << false;
        QTest::newRow("long over") << QVariant(u"2147483648"_s) << true << 0 << true;
    }
    void toInteger()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, wide);
        QFETCH(int, expected);
        QFETCH(bool, overflow);
        const WholeNumber got = wide ? ToLng(value) : ToInt(value);
        QCOMPARE(got.value, expected);
        QCOMPARE(got.overflowed, overflow);
    }

    void numbersAndDatesRead()
    {
        QCOMPARE(ToDbl(QVariant()), 0.0);
        QCOMPARE(ToDbl(u"1,234,567.5"_s), 1234567.5);
        QCOMPARE(ToDbl(u"-12"_s), -12.0);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ToDbl(u"1-2"_s));
        QVERIFY_THROWS_EXCEPTION(ConversionError, ToDbl(u"-"_s));
        QVERIFY_THROWS_EXCEPTION(ConversionError, SqlLiteral(u"1-2"_s, u"N"_s));
        QCOMPARE(NumberOrZero(u"-"_s), 0.0);
        QCOMPARE(NumberOrZero(u"1,500"_s), 1500.0);
        QVERIFY(IsDateText(u"2003/4/5"_s));
        QVERIFY(!IsDateText(u"2003/02/30"_s));
        // Only what SQL Server's datetime holds, on every engine.
        QVERIFY(IsDateText(u"1753/1/1"_s));
        QVERIFY(IsDateText(u"9999/12/31"_s));
        QVERIFY(!IsDateText(u"1752/12/31"_s));
        QVERIFY(!IsDateText(u"0001/01/01"_s));
    }

    void texts_data()
    {
        addColumns<QString, QString>({"got", "expected"});
        // Amounts: whole yen, half away from zero, "," grouping.
        QTest::newRow("amount example") << FormatAmount(1234567.6) << u"1,234,568"_s;
        QTest::newRow("amount empty") << FormatAmount(QString()) << QString();
        QTest::newRow("amount negative") << FormatAmount(-1234567.0) << u"-1,234,567"_s;
        QTest::newRow("amount half away from zero") << FormatAmount(2.5) << u"3"_s;
        QTest::newRow("amount negative half") << FormatAmount(-2.5) << u"-3"_s;
        QTest::newRow("number rounded") << FormatNumber(1.0997, 2, false) << u"1.10"_s;
        QTest::newRow("number half up") << FormatNumber(0.125, 2, false) << u"0.13"_s;
        QTest::newRow("round down place 3") << roundDown(1234567.0, 3) << u"1,234,000"_s;
        QTest::newRow("round down towards zero") << roundDown(-1234567.0, 3) << u"-1,234,000"_s;
        QTest::newRow("round down policy place") << roundDown(1234567.0, -1) << u"1,230,000"_s;

        // Plain numbers as statements take them; shown texts without binary noise.
        QTest::newRow("plain negative") << PlainNumber(-12.5) << u"-12.5"_s;
        QTest::newRow("plain no exponent") << PlainNumber(1e21) << u"1000000000000000000000"_s;
        QTest::newRow("plain negative zero") << PlainNumber(-0.0) << u"0"_s;
        QTest::newRow("plain exact") << PlainNumber(0.1 + 0.2) << u"0.30000000000000004"_s;
        QTest::newRow("shown without noise") << ToText(0.1 + 0.2) << u"0.3"_s;
        QTest::newRow("shown product") << ShownText(3 * 1.1) << u"3.3"_s;
        QTest::newRow("text padded") << ToText(7, 4) << u"0007"_s;
        QTest::newRow("text fraction") << ToText(12.5) << u"12.5"_s;
        QTest::newRow("text date") << ToText(QDate(2003, 4, 5)) << u"2003/04/05"_s;

        // A pasted text cleaned for a numeric box.
        QTest::newRow("strip minus only first") << StripNonNumeric(u"a-1,2b"_s) << u"-1,2"_s;
        QTest::newRow("strip comma before digit") << StripNonNumeric(u",5"_s) << u"5"_s;
        QTest::newRow("strip late minus") << StripNonNumeric(u"1-2"_s) << u"12"_s;
        QTest::newRow("strip keeps decimal point") << StripNonNumeric(u"12.5円"_s) << u"12.5"_s;

        // A date box's text after a key: slashes put in as the digits come, the caret moved (after
        // "@") when a slash goes or a second one is typed.
        QTest::newRow("date eight digits") << slashed(u"20031224"_s, 22) << u"2003/12/24"_s;
        QTest::newRow("backspace over slash") << slashed(u"2003/12"_s, 8) << u"2003/1@6"_s;
        QTest::newRow("backspace over year slash") << slashed(u"2003"_s, 8) << u"200@3"_s;
        QTest::newRow("slash typed") << slashed(u"2003//"_s, '/') << u"2003/@5"_s;

        // Literals by the column's type code.
        QTest::newRow("literal apostrophe") << SqlLiteral(u"O'Brien"_s, u"C"_s) << u"'O''Brien'"_s;
        QTest::newRow("literal quotes") << SqlLiteral(u"'a''b'"_s, u"CSFUNC"_s) << u"'''a''''b'''"_s;
        QTest::newRow("literal empty N") << SqlLiteral(u""_s, u"N"_s) << u"NULL"_s;
        QTest::newRow("literal grouped") << SqlLiteral(u"1,200"_s, u"N"_s) << u"1200"_s;
        QTest::newRow("literal decimals") << SqlLiteral(u"1,234,567.25"_s, u"NPRICE"_s) << u"1234567.25"_s;
        QTest::newRow("literal big") << SqlLiteral(u"12345678901"_s, u"N"_s) << u"12345678901"_s;
        QTest::newRow("literal true C") << SqlLiteral(true, u"CBASE"_s) << u"'1'"_s;
        QTest::newRow("literal null C") << SqlLiteral(QVariant(), u"C"_s) << u"NULL"_s;
        QTest::newRow("literal lower case c") << SqlLiteral(u"x"_s, u"c"_s) << u"'x'"_s;
        QTest::newRow("literal date") << SqlLiteral(QDate(2003, 4, 15), u"DDATE"_s) << u"'2003/04/15'"_s;
        QTest::newRow("literal other code") << SqlLiteral(u"abc"_s, u"X"_s) << u"abc"_s;

        // Statements as the server takes them (the data-access test runs the everyday forms on
        // both engines): a literal that looks like a target stays as it is.
        QTest::newRow("delete literal like a target")
            << translated(pg, u"DELETE MCUSTOMER WHERE CCUSTNAME = 'DELETE X WHERE'"_s)
            << u"DELETE FROM MCUSTOMER WHERE CCUSTNAME = 'DELETE X WHERE'"_s;
        QTest::newRow("order asc") << translated(pg, u"SELECT * FROM TFP ORDER BY NADD ASC"_s)
                                   << u"SELECT * FROM TFP ORDER BY NADD ASC NULLS FIRST"_s;
        // SQL Server takes every literal as Unicode, whatever the database's code page; the rest
        // of the statement stays as written.
        QTest::newRow("mssql unicode literals")
            << translated(
                   ms,
                   u"INSERT INTO MCUSTOMER (CCUSTNAME,CMEMO,NSORT) VALUES ('𠮷é한국中文—', 'O''Brien', 1)"_s)
            << u"INSERT INTO MCUSTOMER (CCUSTNAME,CMEMO,NSORT) VALUES (N'𠮷é한국中文—', N'O''Brien', 1)"_s;
        QTest::newRow("mssql literal after a word")
            << translated(ms, u"DELETE MDIV WHERE CNAME LIKE'a%' AND CDEF = N'1'"_s)
            << u"DELETE MDIV WHERE CNAME LIKE N'a%' AND CDEF = N'1'"_s;
        QTest::newRow("mssql dates and keys")
            << translated(ms, u"INSERT INTO TDATE VALUES (1, 0, 2, Convert(DateTime,'2003/04/15',111))"_s)
            << u"INSERT INTO TDATE VALUES (1, 0, 2, Convert(DateTime,N'2003/04/15',111))"_s;
        // A backslash before a line break would join the lines and vanish on SQL Server.
        QTest::newRow("mssql backslash at line end")
            << translated(ms, u"UPDATE TPROJECT SET COUTLINE = 'C:\\\n\\x\\\r\nz'"_s)
            << u"UPDATE TPROJECT SET COUTLINE = (N'C:\\' + N'\n\\x\\' + N'\r\nz')"_s;
        // A backslash before a quote cannot end a literal early on any server setting: PostgreSQL
        // reads it doubled in an E'' literal; SQLite and SQL Server never treat it as an escape.
        QTest::newRow("pg backslash")
            << translated(pg, u"INSERT INTO TFP VALUES (1, 1, 1, "_s + SqlLiteral(kHostile, u"CTITLE"_s) +
                                  u", 1, 1)"_s)
            << u"INSERT INTO TFP VALUES (1, 1, 1, E'x\\\\''); DELETE FROM TFP; --', 1, 1)"_s;
        QTest::newRow("pg no backslash")
            << translated(pg, u"UPDATE MLANG SET CLANG = 'C''s'"_s) << u"UPDATE MLANG SET CLANG = 'C''s'"_s;
        QTest::newRow("sqlite backslash")
            << translated(lite, u"UPDATE TFP SET CTITLE = "_s + SqlLiteral(kHostile, u"C"_s))
            << u"UPDATE TFP SET CTITLE = 'x\\''); DELETE FROM TFP; --'"_s;
        QTest::newRow("mssql backslash")
            << translated(ms, u"UPDATE TFP SET CTITLE = "_s + SqlLiteral(kHostile, u"C"_s))
            << u"UPDATE TFP SET CTITLE = N'x\\''); DELETE FROM TFP; --'"_s;

        // The row locks a save takes: SQL Server's table hints, PostgreSQL's locking clause of
        // the same strength, none on the embedded engine (its transaction holds the write lock).
        const QString locked = u"SELECT * FROM TPROJECT WITH (UPDLOCK, ROWLOCK) WHERE NPROJECT = 4"_s;
        QTest::newRow("mssql lock hint") << translated(ms, locked) << locked;
        QTest::newRow("pg update lock")
            << translated(pg, locked) << u"SELECT * FROM TPROJECT WHERE NPROJECT = 4 FOR NO KEY UPDATE"_s;
        QTest::newRow("pg delete lock")
            << translated(pg, u"SELECT * FROM TFUNCTION WITH (XLOCK, ROWLOCK) WHERE NFUNCTION = 2"_s)
            << u"SELECT * FROM TFUNCTION WHERE NFUNCTION = 2 FOR UPDATE"_s;
        QTest::newRow("pg keep lock")
            << translated(pg, u"SELECT NPROJECT FROM TPROJECT WITH (HOLDLOCK, ROWLOCK) WHERE NPROJECT = 4"_s)
            << u"SELECT NPROJECT FROM TPROJECT WHERE NPROJECT = 4 FOR KEY SHARE"_s;
        QTest::newRow("pg share lock")
            << translated(
                   pg, u"SELECT NPROJECT FROM TPROJECT WITH (REPEATABLEREAD, ROWLOCK) WHERE NPROJECT = 4"_s)
            << u"SELECT NPROJECT FROM TPROJECT WHERE NPROJECT = 4 FOR SHARE"_s;
        QTest::newRow("sqlite lock hint")
            << translated(lite, locked) << u"SELECT * FROM TPROJECT WHERE NPROJECT = 4"_s;
        QTest::newRow("pg with in a literal")
            << translated(pg, u"SELECT * FROM MLANG WHERE CLANG = 'WITH (UPDLOCK)'"_s)
            << u"SELECT * FROM MLANG WHERE CLANG = 'WITH (UPDLOCK)'"_s;

        // Database errors by kind: what a save reports as a refused delete, a too long text or else
        // (the master editors' refusals show the embedded and the server kinds through the windows).
        QTest::newRow("sqlite unique")
            << kind(lite, "2067", "UNIQUE constraint failed: MDIV.NDID") << integrity;
        QTest::newRow("pg unique") << kind(pg, "23505") << integrity;
        QTest::newRow("mssql reference") << kind(ms, "547;3621") << integrity;
        QTest::newRow("mssql duplicate") << kind(ms, "2627") << integrity;
        QTest::newRow("mssql truncation") << kind(ms, "8152") << overflow;
        QTest::newRow("mssql other") << kind(ms, "208") << other;
        // Qt's ODBC driver gives the number of the last message only, 3621, and every message's
        // text.
        QTest::newRow("mssql reference by text")
            << kind(ms, "3621",
                    "[FreeTDS][SQL Server]The DELETE statement conflicted with the REFERENCE constraint "
                    "\"FK_TFUNCTION_NLNG\". The conflict occurred in database \"kaldb\", table "
                    "\"dbo.TFUNCTION\", column 'NLNG'. [FreeTDS][SQL Server]The statement has been "
                    "terminated.")
            << integrity;
        QTest::newRow("mssql primary key by text")
            << kind(ms, "3621",
                    "[FreeTDS][SQL Server]Violation of PRIMARY KEY constraint 'PK_MDIV'. Cannot insert "
                    "duplicate key in object 'dbo.MDIV'. The duplicate key value is (1, 1). "
                    "[FreeTDS][SQL Server]The statement has been terminated.")
            << integrity;
        QTest::newRow("mssql unique index by text")
            << kind(ms, "3621",
                    "[FreeTDS][SQL Server]Cannot insert duplicate key row in object 'dbo.MLANG' "
                    "with unique index 'IX_MLANG'.")
            << integrity;
        QTest::newRow("mssql too long by text")
            << kind(ms, "3621",
                    "[FreeTDS][SQL Server]String or binary data would be truncated in table "
                    "'kaldb.dbo.MLANG', "
                    "column 'CLANG'. Truncated value: 'aaaa'. [FreeTDS][SQL Server]The statement has been "
                    "terminated.")
            << overflow;
        QTest::newRow("mssql old too long by text")
            << kind(ms, "3621", "[FreeTDS][SQL Server]String or binary data would be truncated.") << overflow;
        QTest::newRow("mssql terminated alone")
            << kind(ms, "3621", "[FreeTDS][SQL Server]The statement has been terminated.") << other;
        QTest::newRow("mssql words quoted in another error")
            << kind(ms, "102",
                    "[FreeTDS][SQL Server]Incorrect syntax near 'The DELETE statement conflicted with the "
                    "REFERENCE constraint'.")
            << other;
    }
    void texts()
    {
        QFETCH(QString, got);
        QFETCH(QString, expected);
        QCOMPARE(got, expected);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
