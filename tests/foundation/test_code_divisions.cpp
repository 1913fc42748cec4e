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
        ExecSql(*conn,
                QStringLiteral("INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF) VALUES (91, 1, 'x', 1, '0')"));

        QComboBox combo;
        FillDivCombo(*conn, &combo, 90);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(0), QStringLiteral("c"));
        QCOMPARE(combo.itemText(1), QStringLiteral("a")); // NSORT 2, NVAL 1
        // Two defaults: the later one in NSORT, NVAL order wins.
        QCOMPARE(combo.currentText(), QStringLiteral("b"));
        QCOMPARE(ComboKey(&combo), 2);

        QComboBox none;
        FillDivCombo(*conn, &none, 91);
        QCOMPARE(none.currentIndex(), -1);
        QCOMPARE(ComboKey(&none), 1);

        QComboBox chosen;
        FillDivCombo(*conn, &chosen, 90, 1);
        QCOMPARE(chosen.currentText(), QStringLiteral("a"));

        QCOMPARE(DivName(*conn, 90, 1), QStringLiteral("a"));
        QCOMPARE(DivName(*conn, 90, 9), QString());
        QCOMPARE(DivValue(*conn, 90, 3, QStringLiteral("NCOEF")), QStringLiteral("1.23"));
        QCOMPARE(DivValue(*conn, 90, 1, QStringLiteral("NCOEF")), QStringLiteral("12,345.68"));
        QCOMPARE(DivValue(*conn, 90, 9, QStringLiteral("NCOEF")), QStringLiteral("0"));
        QCOMPARE(DivValue(*conn, 90, 2, QStringLiteral("NCOEF")), QStringLiteral("0.00"));
        QCOMPARE(DivNumber(*conn, 90, 1, QStringLiteral("NCOEF")), 12345.68);
        QCOMPARE(DivNumber(*conn, 90, 9, QStringLiteral("NCOEF")), 0.0);

        // Reference data: the default class of every correction division is 1.00.
        for (int division = 1; division <= 5; ++division) {
            QComboBox classes;
            FillDivCombo(*conn, &classes, division);
            QVERIFY(classes.currentIndex() >= 0);
            QCOMPARE(DivValue(*conn, division, ComboKey(&classes), QStringLiteral("NCOEF")),
                     QStringLiteral("1.00"));
        }
    }

    void selectAndKey()
    {
        QComboBox combo;
        combo.addItem(QStringLiteral("自社"), 0);
        combo.addItem(QStringLiteral("顧客"), 1);
        combo.addItem(QStringLiteral("その他"), 2);
        combo.setCurrentIndex(1);
        SelectComboByKey(&combo, 7);
        QCOMPARE(combo.currentIndex(), 1);
        SelectComboByKey(&combo, 2);
        QCOMPARE(combo.currentIndex(), 2);
        SelectComboByKey(&combo, QStringLiteral("0"));
        QCOMPARE(combo.currentIndex(), 0);
        SelectComboByText(&combo, QStringLiteral("顧客"));
        QCOMPARE(combo.currentIndex(), 1);
        SelectComboByText(&combo, QStringLiteral("nothing"));
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(ComboKey(&combo, QStringLiteral("その他")), 2);
        QCOMPARE(ComboKey(&combo, QStringLiteral("nothing")), 0);
        SelectComboByKey(&combo, QVariant());
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(ComboKey(&combo), 1);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestCodeDivisions)
#include "test_code_divisions.moc"
