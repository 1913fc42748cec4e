#include "calc/project_figures.h"
#include "convert/conversions.h"
#include "settings/policy.h"
#include "test_support.h"

class TestProjectFigures : public QObject {
    Q_OBJECT
private slots:
    // The keys of member and expense rows carry the id in four digits at least and the buyer's
    // letter; the id reads back from any key, however many digits it has, and 0 from none.
    void rowKeys()
    {
        QCOMPARE(MemberRowKey(7), u"M0007"_s);
        QCOMPARE(MemberRowKey(12345), u"M12345"_s);
        QCOMPARE(ExpenseRowKey(3, 0), u"E0003O"_s);
        QCOMPARE(ExpenseRowKey(10001, 1), u"E10001C"_s);
        QCOMPARE(ExpenseRowKey(3, 2), u"E0003O"_s);
    }
    void keyIds_data()
    {
        addColumns<QString, int>({"key", "id"});
        QTest::newRow("four digits") << u"M0007"_s << 7;
        QTest::newRow("member 10000 and above") << u"M12345"_s << 12345;
        QTest::newRow("expense with its buyer") << u"E10001C"_s << 10001;
        QTest::newRow("beyond 16 bits") << u"M40001"_s << 40001;
        QTest::newRow("largest 32-bit key") << u"E2147483647O"_s << 2147483647;
        QTest::newRow("beyond 32 bits is no id") << u"M2147483648"_s << 0;
        QTest::newRow("no digits") << u"M"_s << 0;
    }
    void keyIds()
    {
        QFETCH(QString, key);
        QFETCH(int, id);
        QCOMPARE(KeyToId(key), id);
    }

    void proposedPrice_data()
    {
        addColumns<double, double, int, QString>({"coefficient", "work", "place", "expected"});
        QTest::newRow("1.15 is exact") << 1.15 << 1000000.0 << 3 << u"150,000"_s;
        QTest::newRow("1.15 place 0") << 1.15 << 1000000.0 << 0 << u"150,000"_s;
        QTest::newRow("1.00 proposes nothing") << 1.00 << 5282800.0 << 3 << u"0"_s;
        QTest::newRow("missing code proposes minus the work") << 0.0 << 1234567.0 << 3 << u"-1,234,000"_s;
    }
    void proposedPrice()
    {
        QFETCH(double, coefficient);
        QFETCH(double, work);
        QFETCH(int, place);
        QFETCH(QString, expected);
        Policy policy;
        policy.Place = place;
        QCOMPARE(RoundDownPlace(ProposedSurcharge(coefficient, work), -1, policy), expected);
    }

    void months_data()
    {
        addColumns<QList<QDate>, int>({"dates", "months"});
        QTest::newRow("order does not matter")
            << QList<QDate>{QDate(2003, 9, 1), QDate(2003, 6, 30), QDate(2003, 4, 15)} << 5;
        QTest::newRow("across a year") << QList<QDate>{QDate(2003, 11, 30), QDate(2004, 2, 1)} << 3;
        QTest::newRow("same month") << QList<QDate>{QDate(2003, 4, 1), QDate(2003, 4, 30)} << 0;
        QTest::newRow("invalid ignored") << QList<QDate>{QDate(), QDate(2003, 4, 15), QDate(2003, 5, 1)} << 1;
    }
    void months()
    {
        QFETCH(QList<QDate>, dates);
        QFETCH(int, months);
        QCOMPARE(ScheduleMonths(dates), months);
    }
};

QTEST_GUILESS_MAIN(TestProjectFigures)
#include "test_project_figures.moc"
