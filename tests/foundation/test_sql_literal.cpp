#include "foundation/conversions.h"
#include "foundation/sql_literal.h"
#include "test_support.h"

class TestSqlLiteral : public QObject {
    Q_OBJECT
private slots:
    void literal_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("apostrophe") << QVariant(QStringLiteral("O'Brien")) << "C"
                                    << QStringLiteral("'O''Brien'");
        QTest::newRow("several quotes")
            << QVariant(QStringLiteral("'a''b'")) << "CSFUNC" << QStringLiteral("'''a''''b'''");
        QTest::newRow("empty text for C")
            << QVariant(QString(QLatin1String(""))) << "C" << QStringLiteral("''");
        QTest::newRow("empty text for N")
            << QVariant(QString(QLatin1String(""))) << "N" << QStringLiteral("NULL");
        QTest::newRow("grouped number") << QVariant(QStringLiteral("1,200")) << "N" << QStringLiteral("1200");
        QTest::newRow("number text with decimals")
            << QVariant(QStringLiteral("1,234,567.25")) << "NPRICE" << QStringLiteral("1234567.25");
        QTest::newRow("big number plain")
            << QVariant(QStringLiteral("12345678901")) << "N" << QStringLiteral("12345678901");
        QTest::newRow("true for CBASE") << QVariant(true) << "CBASE" << QStringLiteral("'1'");
        QTest::newRow("false for C") << QVariant(false) << "C" << QStringLiteral("'0'");
        QTest::newRow("true for N") << QVariant(true) << "N" << QStringLiteral("1");
        QTest::newRow("null") << QVariant() << "C" << QStringLiteral("NULL");
        QTest::newRow("null number") << QVariant() << "N" << QStringLiteral("NULL");
        QTest::newRow("lower case c") << QVariant(QStringLiteral("x")) << "c" << QStringLiteral("'x'");
        QTest::newRow("NDISCOUNT like N")
            << QVariant(QStringLiteral("5")) << "NDISCOUNT" << QStringLiteral("5");
        QTest::newRow("date text for D")
            << QVariant(QStringLiteral("2003/04/15")) << "D" << QStringLiteral("'2003/04/15'");
        QTest::newRow("date value") << QVariant(QDate(2003, 4, 15)) << "DDATE"
                                    << QStringLiteral("'2003/04/15'");
        QTest::newRow("double plain") << QVariant(1234567.0) << "N" << QStringLiteral("1234567");
        QTest::newRow("double fraction") << QVariant(0.1) << "N" << QStringLiteral("0.1");
        QTest::newRow("integer") << QVariant(42) << "N" << QStringLiteral("42");
        QTest::newRow("other code unquoted")
            << QVariant(QStringLiteral("abc")) << "X" << QStringLiteral("abc");
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
        QVERIFY_THROWS_EXCEPTION(ConversionError, SqlLiteral(QStringLiteral("1-2"), QStringLiteral("N")));
    }
};

QTEST_GUILESS_MAIN(TestSqlLiteral)
#include "test_sql_literal.moc"
