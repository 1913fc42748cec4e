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
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("overflow");
        QTest::newRow("empty") << QVariant(QString()) << 0 << false;
        QTest::newRow("null") << QVariant() << 0 << false;
        QTest::newRow("32767") << QVariant(QStringLiteral("32767")) << 32767 << false;
        QTest::newRow("40000") << QVariant(QStringLiteral("40000")) << 0 << true;
        QTest::newRow("-32768") << QVariant(-32768) << -32768 << false;
        QTest::newRow("-32769") << QVariant(-32769) << 0 << true;
        QTest::newRow("grouped") << QVariant(QStringLiteral("1,200")) << 1200 << false;
        QTest::newRow("half to even down") << QVariant(2.5) << 2 << false;
        QTest::newRow("half to even up") << QVariant(3.5) << 4 << false;
        QTest::newRow("half text") << QVariant(QStringLiteral("0.5")) << 0 << false;
        QTest::newRow("not a number") << QVariant(QStringLiteral("abc")) << 0 << true;
        QTest::newRow("lone minus") << QVariant(QStringLiteral("-")) << 0 << true;
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
            QCOMPARE(box.title, QStringLiteral("オーバフロー"));
            QCOMPARE(box.icon, Messages::Critical);
            QCOMPARE(box.text, QStringLiteral("オーバーフローしました。\n"
                                              "工数とその合計値として32767を超える数値は扱えません。\n"
                                              "オーバフローした数値は０に置き換えて計算しました。\n"
                                              "オーバフローしない数値に修正してください。"));
        }
    }

    void toLng()
    {
        QCOMPARE(ToLng(QStringLiteral("40000")), 40000);
        QCOMPARE(ToLng(QStringLiteral("2147483647")), 2147483647);
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(ToLng(QStringLiteral("2147483648")), 0);
        QCOMPARE(Messages::shown().size(), 1);
    }

    void toDbl()
    {
        QCOMPARE(ToDbl(QString()), 0.0);
        QCOMPARE(ToDbl(QVariant()), 0.0);
        QCOMPARE(ToDbl(QStringLiteral("1,234,567.5")), 1234567.5);
        QCOMPARE(ToDbl(QStringLiteral("-12")), -12.0);
        QCOMPARE(ToDbl(7), 7.0);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ToDbl(QStringLiteral("1-2")));
        QVERIFY_THROWS_EXCEPTION(ConversionError, ToDbl(QStringLiteral("-")));
        QCOMPARE(NumberOrZero(QStringLiteral("-")), 0.0);
        QCOMPARE(NumberOrZero(QStringLiteral("1,500")), 1500.0);
    }

    void formatAmount_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << QVariant(1234567.6) << QStringLiteral("1,234,568");
        QTest::newRow("text") << QVariant(QStringLiteral("1500")) << QStringLiteral("1,500");
        QTest::newRow("empty") << QVariant(QString()) << QString();
        QTest::newRow("null") << QVariant() << QString();
        QTest::newRow("zero") << QVariant(0) << QStringLiteral("0");
        QTest::newRow("negative") << QVariant(-1234567.0) << QStringLiteral("-1,234,567");
        QTest::newRow("half away from zero") << QVariant(2.5) << QStringLiteral("3");
        QTest::newRow("negative half") << QVariant(-2.5) << QStringLiteral("-3");
        QTest::newRow("small negative") << QVariant(-0.4) << QStringLiteral("0");
        QTest::newRow("hundreds") << QVariant(999) << QStringLiteral("999");
        QTest::newRow("thousand") << QVariant(1000) << QStringLiteral("1,000");
    }
    void formatAmount()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatAmount(value), expected);
    }

    void formatNumber()
    {
        QCOMPARE(FormatNumber(1.0997, 2, false), QStringLiteral("1.10"));
        QCOMPARE(FormatNumber(1234.5, 2, true), QStringLiteral("1,234.50"));
        QCOMPARE(FormatNumber(-1234.567, 2, true), QStringLiteral("-1,234.57"));
        QCOMPARE(FormatNumber(0.125, 2, false), QStringLiteral("0.13"));
    }

    void plainNumber()
    {
        QCOMPARE(PlainNumber(1234567.0), QStringLiteral("1234567"));
        QCOMPARE(PlainNumber(-12.5), QStringLiteral("-12.5"));
        QCOMPARE(PlainNumber(0.1), QStringLiteral("0.1"));
        QCOMPARE(PlainNumber(1e21), QStringLiteral("1000000000000000000000"));
        QCOMPARE(PlainNumber(-0.0), QStringLiteral("0"));
    }

    void roundDownPlace_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("expected");
        QTest::newRow("place 3") << 1234567.0 << 3 << QStringLiteral("1,234,000");
        QTest::newRow("place 0") << 1234567.0 << 0 << QStringLiteral("1,234,567");
        QTest::newRow("towards zero") << -1234567.0 << 3 << QStringLiteral("-1,234,000");
        QTest::newRow("policy place") << 1234567.0 << -1 << QStringLiteral("1,230,000");
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
        QCOMPARE(ToText(7, 4), QStringLiteral("0007"));
        QCOMPARE(ToText(12345, 4), QStringLiteral("12345"));
        QCOMPARE(ToText(QStringLiteral("7"), 4), QStringLiteral("7"));
        QCOMPARE(ToText(QVariant()), QString());
        QCOMPARE(ToText(12.5), QStringLiteral("12.5"));
        QCOMPARE(ToText(8.0), QStringLiteral("8"));
        // Shown without binary noise; statements keep the exact form.
        QCOMPARE(ToText(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(PlainNumber(0.1 + 0.2), QStringLiteral("0.30000000000000004"));
        QCOMPARE(ShownText(3 * 1.1), QStringLiteral("3.3"));
        QCOMPARE(ToText(QDate(2003, 4, 5)), QStringLiteral("2003/04/05"));
    }

    void keyFilters()
    {
        QCOMPARE(KeyDigitsOnly('5', false), int('5'));
        QCOMPARE(KeyDigitsOnly('-', false), 0);
        QCOMPARE(KeyDigitsOnly(',', false), 0);
        QCOMPARE(KeyDigitsOnly('-', true), int('-'));
        QCOMPARE(KeyDigitsOnly(',', true), int(','));
        QCOMPARE(KeyDigitsOnly('.', true), 0);
        QCOMPARE(KeyDigitsOnly('a', true), 0);
        QCOMPARE(KeyDigitsOnly(8, false), 8);
        QCOMPARE(KeyDigitsOnly(22, false), 22);
        QCOMPARE(KeyDigitsOnly(3, false), 3);
        int last = 0;
        QCOMPARE(KeyDateChars('/', last), int('/'));
        QCOMPARE(KeyDateChars('-', last), 0);
        QCOMPARE(last, int('-'));
    }

    void stripNonNumeric_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number unchanged") << QStringLiteral("-1,234") << QStringLiteral("-1,234");
        QTest::newRow("minus only first") << QStringLiteral("a-1,2b") << QStringLiteral("-1,2");
        QTest::newRow("comma before digit") << QStringLiteral(",5") << QStringLiteral("5");
        QTest::newRow("late minus dropped") << QStringLiteral("1-2") << QStringLiteral("12");
        QTest::newRow("letters") << QStringLiteral("abc") << QString();
        QTest::newRow("decimal point of pasted text") << QStringLiteral("12.5円") << QStringLiteral("12.5");
    }
    void stripNonNumeric()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(StripNonNumeric(text), expected);
    }

    void halfWidth()
    {
        QCOMPARE(ToHalfWidth(QStringLiteral("－１，２３４")), QStringLiteral("-1,234"));
        QCOMPARE(ToHalfWidth(QStringLiteral("２００３／１２／２４")), QStringLiteral("2003/12/24"));
    }

    void autoSlashDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lastKey");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        QTest::newRow("year typed") << QStringLiteral("2003") << int('3') << QStringLiteral("2003/") << -1;
        QTest::newRow("month typed") << QStringLiteral("2003/12") << int('2') << QStringLiteral("2003/12/")
                                     << -1;
        QTest::newRow("pasted") << QStringLiteral("2003-12-24") << 22 << QStringLiteral("2003/12/24") << -1;
        QTest::newRow("valid untouched")
            << QStringLiteral("2003/12/24") << int('4') << QStringLiteral("2003/12/24") << -1;
        QTest::newRow("eight digits")
            << QStringLiteral("20031224") << 22 << QStringLiteral("2003/12/24") << -1;
        QTest::newRow("backspace over slash")
            << QStringLiteral("2003/12") << 8 << QStringLiteral("2003/1") << 6;
        QTest::newRow("backspace over year slash")
            << QStringLiteral("2003") << 8 << QStringLiteral("200") << 3;
        QTest::newRow("slash typed") << QStringLiteral("2003//") << int('/') << QStringLiteral("2003/") << 5;
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

    void typingDateDigitByDigit()
    {
        QString box;
        for (const QChar c : QStringLiteral("20031224")) {
            box = AutoSlashDate(box + c, c.unicode());
        }
        QCOMPARE(box, QStringLiteral("2003/12/24"));
        QVERIFY(IsDateText(box));
        QVERIFY(!IsDateText(QStringLiteral("2003/02/30")));
        QVERIFY(IsDateText(QStringLiteral("2003/4/5")));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
