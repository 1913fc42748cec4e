#include "foundation/conversions.h"
#include "foundation/messages.h"
#include "pricing/policy.h"
#include "test_support.h"

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void toInt_data()
    {
        addColumns<QVariant, int, bool>({"value", "expected", "overflow"});
        QTest::newRow("empty") << QVariant(QString()) << 0 << false;
        QTest::newRow("null") << QVariant() << 0 << false;
        QTest::newRow("32767") << QVariant(u"32767"_s) << 32767 << false;
        QTest::newRow("40000") << QVariant(u"40000"_s) << 0 << true;
        QTest::newRow("-32768") << QVariant(-32768) << -32768 << false;
        QTest::newRow("-32769") << QVariant(-32769) << 0 << true;
        QTest::newRow("grouped") << QVariant(u"1,200"_s) << 1200 << false;
        QTest::newRow("half to even down") << QVariant(2.5) << 2 << false;
        QTest::newRow("half to even up") << QVariant(3.5) << 4 << false;
        QTest::newRow("half text") << QVariant(u"0.5"_s) << 0 << false;
        QTest::newRow("not a number") << QVariant(u"abc"_s) << 0 << true;
        QTest::newRow("lone minus") << QVariant(u"-"_s) << 0 << true;
    }
    void toInt()
    {
        QFETCH(QVariant, value);
        QFETCH(int, expected);
        QFETCH(bool, overflow);
        QCOMPARE(ToInt(value), expected);
        QCOMPARE(Messages::shown().size(), overflow ? 1 : 0);
        if (overflow) {
            const auto box = Messages::last();
            QCOMPARE(box.title, u"オーバフロー"_s);
            QCOMPARE(box.icon, Messages::Critical);
            QCOMPARE(box.text, QStringLiteral("オーバーフローしました。\n"
                                              "工数とその合計値として32767を超える数値は扱えません。\n"
                                              "オーバフローした数値は０に置き換えて計算しました。\n"
                                              "オーバフローしない数値に修正してください。"));
        }
    }

    void toLng()
    {
        QCOMPARE(ToLng(u"40000"_s), 40000);
        QCOMPARE(ToLng(u"2147483647"_s), 2147483647);
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(ToLng(u"2147483648"_s), 0);
        QCOMPARE(Messages::shown().size(), 1);
    }

    void toDbl()
    {
        QCOMPARE(ToDbl(QString()), 0.0);
        QCOMPARE(ToDbl(QVariant()), 0.0);
        QCOMPARE(ToDbl(u"1,234,567.5"_s), 1234567.5);
        QCOMPARE(ToDbl(u"-12"_s), -12.0);
        QCOMPARE(ToDbl(7), 7.0);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ToDbl(u"1-2"_s));
        QVERIFY_THROWS_EXCEPTION(ConversionError, ToDbl(u"-"_s));
        QCOMPARE(NumberOrZero(u"-"_s), 0.0);
        QCOMPARE(NumberOrZero(u"1,500"_s), 1500.0);
    }

    void formatAmount_data()
    {
        addColumns<QVariant, QString>({"value", "expected"});
        QTest::newRow("example") << QVariant(1234567.6) << u"1,234,568"_s;
        QTest::newRow("text") << QVariant(u"1500"_s) << u"1,500"_s;
        QTest::newRow("empty") << QVariant(QString()) << QString();
        QTest::newRow("null") << QVariant() << QString();
        QTest::newRow("zero") << QVariant(0) << u"0"_s;
        QTest::newRow("negative") << QVariant(-1234567.0) << u"-1,234,567"_s;
        QTest::newRow("half away from zero") << QVariant(2.5) << u"3"_s;
        QTest::newRow("negative half") << QVariant(-2.5) << u"-3"_s;
        QTest::newRow("small negative") << QVariant(-0.4) << u"0"_s;
        QTest::newRow("hundreds") << QVariant(999) << u"999"_s;
        QTest::newRow("thousand") << QVariant(1000) << u"1,000"_s;
    }
    void formatAmount()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatAmount(value), expected);
    }

    void formatNumber()
    {
        QCOMPARE(FormatNumber(1.0997, 2, false), u"1.10"_s);
        QCOMPARE(FormatNumber(1234.5, 2, true), u"1,234.50"_s);
        QCOMPARE(FormatNumber(-1234.567, 2, true), u"-1,234.57"_s);
        QCOMPARE(FormatNumber(0.125, 2, false), u"0.13"_s);
    }

    void plainNumber()
    {
        QCOMPARE(PlainNumber(1234567.0), u"1234567"_s);
        QCOMPARE(PlainNumber(-12.5), u"-12.5"_s);
        QCOMPARE(PlainNumber(0.1), u"0.1"_s);
        QCOMPARE(PlainNumber(1e21), u"1000000000000000000000"_s);
        QCOMPARE(PlainNumber(-0.0), u"0"_s);
    }

    void roundDownPlace_data()
    {
        addColumns<double, int, QString>({"amount", "place", "expected"});
        QTest::newRow("place 3") << 1234567.0 << 3 << u"1,234,000"_s;
        QTest::newRow("place 0") << 1234567.0 << 0 << u"1,234,567"_s;
        QTest::newRow("towards zero") << -1234567.0 << 3 << u"-1,234,000"_s;
        QTest::newRow("policy place") << 1234567.0 << -1 << u"1,230,000"_s;
    }
    void roundDownPlace()
    {
        QFETCH(double, amount);
        QFETCH(int, place);
        QFETCH(QString, expected);
        Policy policy;
        policy.Place = 4;
        QCOMPARE(RoundDownPlace(amount, place, policy), expected);
    }

    void toText()
    {
        QCOMPARE(ToText(7, 4), u"0007"_s);
        QCOMPARE(ToText(12345, 4), u"12345"_s);
        QCOMPARE(ToText(u"7"_s, 4), u"7"_s);
        QCOMPARE(ToText(QVariant()), QString());
        QCOMPARE(ToText(12.5), u"12.5"_s);
        QCOMPARE(ToText(8.0), u"8"_s);
        // Shown without binary noise; statements keep the exact form.
        QCOMPARE(ToText(0.1 + 0.2), u"0.3"_s);
        QCOMPARE(PlainNumber(0.1 + 0.2), u"0.30000000000000004"_s);
        QCOMPARE(ShownText(3 * 1.1), u"3.3"_s);
        QCOMPARE(ToText(QDate(2003, 4, 5)), u"2003/04/05"_s);
    }

    void stripNonNumeric_data()
    {
        addColumns<QString, QString>({"text", "expected"});
        QTest::newRow("number unchanged") << u"-1,234"_s << u"-1,234"_s;
        QTest::newRow("minus only first") << u"a-1,2b"_s << u"-1,2"_s;
        QTest::newRow("comma before digit") << u",5"_s << u"5"_s;
        QTest::newRow("late minus dropped") << u"1-2"_s << u"12"_s;
        QTest::newRow("letters") << u"abc"_s << QString();
        QTest::newRow("decimal point of pasted text") << u"12.5円"_s << u"12.5"_s;
    }
    void stripNonNumeric()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(StripNonNumeric(text), expected);
    }

    void autoSlashDate_data()
    {
        addColumns<QString, int, QString, int>({"text", "lastKey", "expected", "caret"});
        QTest::newRow("year typed") << u"2003"_s << int('3') << u"2003/"_s << -1;
        QTest::newRow("month typed") << u"2003/12"_s << int('2') << u"2003/12/"_s << -1;
        QTest::newRow("pasted") << u"2003-12-24"_s << 22 << u"2003/12/24"_s << -1;
        QTest::newRow("valid untouched") << u"2003/12/24"_s << int('4') << u"2003/12/24"_s << -1;
        QTest::newRow("eight digits") << u"20031224"_s << 22 << u"2003/12/24"_s << -1;
        QTest::newRow("backspace over slash") << u"2003/12"_s << 8 << u"2003/1"_s << 6;
        QTest::newRow("backspace over year slash") << u"2003"_s << 8 << u"200"_s << 3;
        QTest::newRow("slash typed") << u"2003//"_s << int('/') << u"2003/"_s << 5;
    }
    void autoSlashDate()
    {
        QFETCH(QString, text);
        QFETCH(int, lastKey);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        int gotCaret = -2;
        QCOMPARE(AutoSlashDate(text, lastKey, &gotCaret), expected);
        QCOMPARE(gotCaret, caret);
    }

    void isDateText()
    {
        QVERIFY(IsDateText(u"2003/12/24"_s));
        QVERIFY(IsDateText(u"2003/4/5"_s));
        QVERIFY(!IsDateText(u"2003/02/30"_s));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
