#include "foundation/code_divisions.h"
#include "foundation/db_connection.h"
#include "test_support.h"

#include <QComboBox>

class TestCodeDivisions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void fillAndLookUp_data() { addEngineRows(); }
    void fillAndLookUp()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        // Division 90 is the test's own: defaults twice, one without, coefficients with gaps.
        ExecSql(
            *conn,
            QStringLiteral(
                "INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF,NCOEF) VALUES (90, 3, 'c', 1, '1', 1.234)"));
        ExecSql(*conn, QStringLiteral("INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF,NCOEF) VALUES (90, 1, "
                                      "'a', 2, NULL, 12345.678)"));
        ExecSql(*conn,
                QStringLiteral(
                    "INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF,NCOEF) VALUES (90, 2, 'b', 2, '1', NULL)"));
        ExecSql(*conn, u"INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF) VALUES (91, 1, 'x', 1, '0')"_s);

        QComboBox combo;
        FillDivCombo(*conn, &combo, 90);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(0), u"c"_s);
        QCOMPARE(combo.itemText(1), u"a"_s); // NSORT 2, NVAL 1
        // Two defaults: the later one in NSORT, NVAL order wins.
        QCOMPARE(combo.currentText(), u"b"_s);
        QCOMPARE(ComboKey(&combo), 2);

        QComboBox none;
        FillDivCombo(*conn, &none, 91);
        QCOMPARE(none.currentIndex(), -1);
        QCOMPARE(ComboKey(&none), 1);

        QComboBox chosen;
        FillDivCombo(*conn, &chosen, 90, 1);
        QCOMPARE(chosen.currentText(), u"a"_s);

        QCOMPARE(DivName(*conn, 90, 1), u"a"_s);
        QCOMPARE(DivName(*conn, 90, 9), QString());
        QCOMPARE(DivValue(*conn, 90, 3, u"NCOEF"_s), u"1.23"_s);
        QCOMPARE(DivValue(*conn, 90, 1, u"NCOEF"_s), u"12,345.68"_s);
        QCOMPARE(DivValue(*conn, 90, 9, u"NCOEF"_s), u"0"_s);
        QCOMPARE(DivValue(*conn, 90, 2, u"NCOEF"_s), u"0.00"_s);
        QCOMPARE(DivNumber(*conn, 90, 1, u"NCOEF"_s), 12345.68);
        QCOMPARE(DivNumber(*conn, 90, 9, u"NCOEF"_s), 0.0);

        // Reference data: the default class of every correction division is 1.00.
        for (int division = 1; division <= 5; ++division) {
            QComboBox classes;
            FillDivCombo(*conn, &classes, division);
            QVERIFY(classes.currentIndex() >= 0);
            QCOMPARE(DivValue(*conn, division, ComboKey(&classes), u"NCOEF"_s), u"1.00"_s);
        }
    }

    void selectAndKey()
    {
        QComboBox combo;
        combo.addItem(u"自社"_s, 0);
        combo.addItem(u"顧客"_s, 1);
        combo.addItem(u"その他"_s, 2);
        combo.setCurrentIndex(1);
        SelectComboByKey(&combo, 7);
        QCOMPARE(combo.currentIndex(), 1);
        SelectComboByKey(&combo, 2);
        QCOMPARE(combo.currentIndex(), 2);
        SelectComboByKey(&combo, u"0"_s);
        QCOMPARE(combo.currentIndex(), 0);
        SelectComboByText(&combo, u"顧客"_s);
        QCOMPARE(combo.currentIndex(), 1);
        SelectComboByText(&combo, u"nothing"_s);
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(ComboKey(&combo, u"その他"_s), 2);
        QCOMPARE(ComboKey(&combo, u"nothing"_s), 0);
        SelectComboByKey(&combo, QVariant());
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(ComboKey(&combo), 1);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestCodeDivisions)
#include "test_code_divisions.moc"
