#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/messages.h"
#include "foundation/sql_literal.h"
#include "test_support.h"

// The same data-access checks on the embedded and the server database.
class TestDataAccess : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void hostileTextsRoundTrip_data() { addEngineRows(); }
    void hostileTextsRoundTrip()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        const QStringList texts = {u"DELETE TFP WHERE 1=1"_s,
                                   u"@@IDENTITY"_s,
                                   u"Convert(DateTime,'x',111)"_s,
                                   u"O'Brien'); DROP TABLE TFP;--"_s,
                                   u"名前 ORDER BY x"_s,
                                   u"''''"_s,
                                   u"back\\slash"_s};
        int sort = 1;
        for (const QString& text : texts) {
            ExecSql(*conn, u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES ("_s +
                               QString::number(sort++) + u", "_s + SqlLiteral(text, u"C"_s) + u", "_s +
                               SqlLiteral(text, u"CMEMO"_s) + u")"_s);
        }
        Recordset rs = OpenRs(*conn, u"SELECT * FROM MCUSTOMER ORDER BY NSORT, NCUSTOMER"_s);
        QStringList back;
        for (; !rs.eof(); rs.moveNext()) {
            QCOMPARE(rs.field(u"cmemo"_s), rs.field(u"CCUSTNAME"_s));
            back << rs[u"CcustName"_s].toString();
        }
        QCOMPARE(back, texts);
        QCOMPARE(rowCount(*conn, u"TFP"_s), 0);
        QVERIFY(conn->database().tables().join(QLatin1Char(' ')).contains(u"tfp"_s, Qt::CaseInsensitive));
    }

    void identityAndNulls_data() { addEngineRows(); }
    void identityAndNulls()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('a', 100)"_s);
        const int first = GetIdentity(*conn, u"MITEM"_s);
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('b', NULL)"_s);
        const int second = GetIdentity(*conn, u"MITEM"_s);
        QCOMPARE(second, first + 1);
        // Keys are never reused after a delete.
        ExecSql(*conn, u"DELETE MITEM WHERE NITEM = "_s + QString::number(second));
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('c', 1.5)"_s);
        QCOMPARE(GetIdentity(*conn, u"MITEM"_s), second + 1);

        Recordset rs = OpenRs(*conn, u"SELECT NITEM, NAPIECE, NSORT FROM MITEM WHERE NITEM = "_s +
                                         QString::number(first));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.field(u"NAPIECE"_s).toDouble(), 100.0);
        QVERIFY(!rs.field(u"NSORT"_s).isValid());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.field(u"NOPE"_s));
        rs.moveNext();
        QVERIFY(rs.eof());

        // SUM over no rows is NULL, read as an invalid value.
        QVERIFY(!scalar(*conn, u"SELECT SUM(NPRICE) AS V FROM TFUNCTION WHERE NPROJECT = 99"_s).isValid());
    }

    void datesAreDates_data() { addEngineRows(); }
    void datesAreDates()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn, u"INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/04/15',111))"_s);
        ExecSql(*conn, u"INSERT INTO TDATE VALUES (1, 0, 2, Convert(DateTime,'2003/9/1',111))"_s);
        Recordset rs = OpenRs(*conn, u"SELECT NDKIND, DDATE FROM TDATE WHERE NPROJECT = 1 ORDER BY NDKIND"_s);
        QCOMPARE(rs.field(u"DDATE"_s).toDate(), QDate(2003, 4, 15));
        rs.moveNext();
        QCOMPARE(rs.field(u"DDATE"_s).toDate(), QDate(2003, 9, 1));
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            ExecSql(*conn, QStringLiteral(
                               "INSERT INTO TDATE VALUES (1, 0, 3, Convert(DateTime,'2003/02/30',111))")));
    }

    void nullsSortLowest_data() { addEngineRows(); }
    void nullsSortLowest()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE,NSORT) VALUES ('two', 1, 2)"_s);
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('none', 1)"_s);
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE,NSORT) VALUES ('one', 1, 1)"_s);
        QStringList order;
        for (Recordset rs = OpenRs(*conn, u"SELECT CITEM FROM MITEM ORDER BY NSORT, NITEM"_s); !rs.eof();
             rs.moveNext()) {
            order << rs.field(u"CITEM"_s).toString();
        }
        QCOMPARE(order, (QStringList{u"none"_s, u"one"_s, u"two"_s}));
        order.clear();
        for (Recordset rs = OpenRs(*conn, u"SELECT CITEM FROM MITEM ORDER BY NSORT DESC"_s); !rs.eof();
             rs.moveNext()) {
            order << rs.field(u"CITEM"_s).toString();
        }
        QCOMPARE(order, (QStringList{u"two"_s, u"one"_s, u"none"_s}));
    }

    void errorsAreClassified_data() { addEngineRows(); }
    void errorsAreClassified()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        // An integrity violation on an INSERT is not reported as a refused delete.
        const QString insertSql = u"INSERT INTO TFUNCTION (NPROJECT, NLNG, CSFUNC) VALUES (1, 999, 'f')"_s;
        try {
            ExecSql(*conn, insertSql);
            QFAIL("a function with a missing language was stored");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::IntegrityViolation);
            QCOMPARE(e.number(), DbError::kIntegrityViolation);
            ShowDbError(e);
        }
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QCOMPARE(Messages::last().icon, Messages::Critical);
        QVERIFY(Messages::last().text.endsWith(QLatin1Char('\n') + insertSql));

        try {
            ExecSql(*conn, u"SELEC nonsense"_s);
            QFAIL("bad SQL ran");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Other);
            QVERIFY(!e.description().isEmpty());
        }
    }

    void keyAbove16BitsIsAnError()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto conn = db->connect();
        ExecSql(*conn, u"INSERT INTO MITEM (NITEM,CITEM,NAPIECE) VALUES (32767, 'last', 1)"_s);
        QCOMPARE(GetIdentity(*conn, u"MITEM"_s), 32767);
        ExecSql(*conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('beyond', 1)"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, GetIdentity(*conn, u"MITEM"_s));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestDataAccess)
#include "test_data_access.moc"
