#include "db/db_connection.h"
#include "masters/display_order.h"
#include "test_support.h"

// The exchange of two rows' display order that the arrows of the master lists make.
class TestDisplayOrder : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The places of both rows, an order beyond the 16-bit range as 0 told as overflowed (and
    // written back as that 0), fewer places when a row is gone.
    void exchange_data() { addEngineRows(); }
    void exchange()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        DbConnection& c = *conn;
        QList<int> keys;
        for (const int sort : {3, 40000}) {
            ExecSql(c, u"INSERT INTO MCUSTOMER (NSORT, CCUSTNAME, CMEMO) VALUES (%1, 'c%1', '')"_s.arg(sort));
            keys << GetIdentity(c, u"MCUSTOMER"_s);
        }
        const auto sorts = [&] { return columnValues(c, u"SELECT NSORT AS V FROM MCUSTOMER ORDER BY NCUSTOMER"_s); };

        QList<SortPlace> places = ReadSortPlaces(c, u"MCUSTOMER"_s, u"NCUSTOMER"_s, keys[0], keys[1]);
        QCOMPARE(places.size(), 2);
        std::sort(places.begin(), places.end(), [](const SortPlace& a, const SortPlace& b) { return a.key < b.key; });
        QCOMPARE(places[0].key, keys[0]);
        QCOMPARE(places[0].sort.value, 3);
        QVERIFY(!places[0].sort.overflowed);
        QCOMPARE(places[1].sort.value, 0);
        QVERIFY(places[1].sort.overflowed);

        StatementLog log;
        ExchangeSortPlaces(c, u"MCUSTOMER"_s, u"NCUSTOMER"_s, places[0], places[1]);
        QCOMPARE(log.statements(), (QStringList{u"UPDATE MCUSTOMER SET NSORT = 3 WHERE NCUSTOMER = %1"_s.arg(keys[1]),
                                                u"UPDATE MCUSTOMER SET NSORT = 0 WHERE NCUSTOMER = %1"_s.arg(keys[0])}));
        QCOMPARE(sorts(), (QStringList{u"0"_s, u"3"_s}));

        // A failing second update leaves both rows as they were.
        log.reset(1);
        QVERIFY_THROWS_EXCEPTION(DbError, ExchangeSortPlaces(c, u"MCUSTOMER"_s, u"NCUSTOMER"_s, places[1], places[0]));
        QCOMPARE(sorts(), (QStringList{u"0"_s, u"3"_s}));

        ExecSql(c, u"DELETE MCUSTOMER WHERE NCUSTOMER = %1"_s.arg(keys[1]));
        QCOMPARE(ReadSortPlaces(c, u"MCUSTOMER"_s, u"NCUSTOMER"_s, keys[0], keys[1]).size(), 1);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestDisplayOrder)
#include "test_display_order.moc"
