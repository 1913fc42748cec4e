#include "foundation/conversions.h"
#include "foundation/sql_literal.h"
#include "test_support.h"

class TestSqlLiteral : public QObject {
    Q_OBJECT
private slots:
    void literal_data()
    {
        addColumns<QVariant, QString, QString>({"value", "type", "expected"});
        QTest::newRow("apostrophe") << QVariant(u"O'Brien"_s) << u"C"_s << u"'O''Brien'"_s;
        QTest::newRow("several quotes") << QVariant(u"'a''b'"_s) << u"CSFUNC"_s << u"'''a''''b'''"_s;
        QTest::newRow("empty text for C") << QVariant(QString(QLatin1String(""))) << u"C"_s << u"''"_s;
        QTest::newRow("empty text for N") << QVariant(QString(QLatin1String(""))) << u"N"_s << u"NULL"_s;
        QTest::newRow("grouped number") << QVariant(u"1,200"_s) << u"N"_s << u"1200"_s;
        QTest::newRow("number text with decimals")
            << QVariant(u"1,234,567.25"_s) << u"NPRICE"_s << u"1234567.25"_s;
        QTest::newRow("big number plain") << QVariant(u"12345678901"_s) << u"N"_s << u"12345678901"_s;
        QTest::newRow("true for CBASE") << QVariant(true) << u"CBASE"_s << u"'1'"_s;
        QTest::newRow("false for C") << QVariant(false) << u"C"_s << u"'0'"_s;
        QTest::newRow("true for N") << QVariant(true) << u"N"_s << u"1"_s;
        QTest::newRow("null") << QVariant() << u"C"_s << u"NULL"_s;
        QTest::newRow("null number") << QVariant() << u"N"_s << u"NULL"_s;
        QTest::newRow("lower case c") << QVariant(u"x"_s) << u"c"_s << u"'x'"_s;
        QTest::newRow("NDISCOUNT like N") << QVariant(u"5"_s) << u"NDISCOUNT"_s << u"5"_s;
        QTest::newRow("date text for D") << QVariant(u"2003/04/15"_s) << u"D"_s << u"'2003/04/15'"_s;
        QTest::newRow("date value") << QVariant(QDate(2003, 4, 15)) << u"DDATE"_s << u"'2003/04/15'"_s;
        QTest::newRow("double plain") << QVariant(1234567.0) << u"N"_s << u"1234567"_s;
        QTest::newRow("double fraction") << QVariant(0.1) << u"N"_s << u"0.1"_s;
        QTest::newRow("integer") << QVariant(42) << u"N"_s << u"42"_s;
        QTest::newRow("other code unquoted") << QVariant(u"abc"_s) << u"X"_s << u"abc"_s;
    }
    void literal()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, type);
        QFETCH(QString, expected);
        QCOMPARE(SqlLiteral(value, type), expected);
    }

    void nonNumberForNumericColumnRaises()
    {
        QVERIFY_THROWS_EXCEPTION(ConversionError, SqlLiteral(u"1-2"_s, u"N"_s));
    }
};

QTEST_GUILESS_MAIN(TestSqlLiteral)
#include "test_sql_literal.moc"
