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
        const QStringList texts = {QStringLiteral("DELETE TFP WHERE 1=1"),
                                   QStringLiteral("@@IDENTITY"),
                                   QStringLiteral("Convert(DateTime,'x',111)"),
                                   QStringLiteral("O'Brien'); DROP TABLE TFP;--"),
                                   QStringLiteral("名前 ORDER BY x"),
                                   QStringLiteral("''''"),
                                   QStringLiteral("back\\slash")};
        int sort = 1;
        for (const QString& text : texts) {
            ExecSql(*conn, QStringLiteral("INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (") +
                               QString::number(sort++) + QStringLiteral(", ") +
                               SqlLiteral(text, QStringLiteral("C")) + QStringLiteral(", ") +
                               SqlLiteral(text, QStringLiteral("CMEMO")) + QStringLiteral(")"));
        }
        Recordset rs = OpenRs(*conn, QStringLiteral("SELECT * FROM MCUSTOMER ORDER BY NSORT, NCUSTOMER"));
        QStringList back;
        for (; !rs.eof(); rs.moveNext()) {
            QCOMPARE(rs.field(QStringLiteral("cmemo")), rs.field(QStringLiteral("CCUSTNAME")));
            back << rs[QStringLiteral("CcustName")].toString();
        }
        QCOMPARE(back, texts);
        QCOMPARE(rowCount(*conn, QStringLiteral("TFP")), 0);
        QVERIFY(conn->database()
                    .tables()
                    .join(QLatin1Char(' '))
                    .contains(QStringLiteral("tfp"), Qt::CaseInsensitive));
    }

    void identityAndNulls_data() { addEngineRows(); }
    void identityAndNulls()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('a', 100)"));
        const int first = GetIdentity(*conn, QStringLiteral("MITEM"));
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('b', NULL)"));
        const int second = GetIdentity(*conn, QStringLiteral("MITEM"));
        QCOMPARE(second, first + 1);
        // Keys are never reused after a delete.
        ExecSql(*conn, QStringLiteral("DELETE MITEM WHERE NITEM = ") + QString::number(second));
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('c', 1.5)"));
        QCOMPARE(GetIdentity(*conn, QStringLiteral("MITEM")), second + 1);

        Recordset rs =
            OpenRs(*conn, QStringLiteral("SELECT NITEM, NAPIECE, NSORT FROM MITEM WHERE NITEM = ") +
                              QString::number(first));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.field(QStringLiteral("NAPIECE")).toDouble(), 100.0);
        QVERIFY(!rs.field(QStringLiteral("NSORT")).isValid());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.field(QStringLiteral("NOPE")));
        rs.moveNext();
        QVERIFY(rs.eof());

        // SUM over no rows is NULL, read as an invalid value.
        QVERIFY(!scalar(*conn, QStringLiteral("SELECT SUM(NPRICE) AS V FROM TFUNCTION WHERE NPROJECT = 99"))
                     .isValid());
    }

    void datesAreDates_data() { addEngineRows(); }
    void datesAreDates()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn,
                QStringLiteral("INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/04/15',111))"));
        ExecSql(*conn,
                QStringLiteral("INSERT INTO TDATE VALUES (1, 0, 2, Convert(DateTime,'2003/9/1',111))"));
        Recordset rs = OpenRs(
            *conn, QStringLiteral("SELECT NDKIND, DDATE FROM TDATE WHERE NPROJECT = 1 ORDER BY NDKIND"));
        QCOMPARE(rs.field(QStringLiteral("DDATE")).toDate(), QDate(2003, 4, 15));
        rs.moveNext();
        QCOMPARE(rs.field(QStringLiteral("DDATE")).toDate(), QDate(2003, 9, 1));
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
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE,NSORT) VALUES ('two', 1, 2)"));
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('none', 1)"));
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE,NSORT) VALUES ('one', 1, 1)"));
        QStringList order;
        for (Recordset rs = OpenRs(*conn, QStringLiteral("SELECT CITEM FROM MITEM ORDER BY NSORT, NITEM"));
             !rs.eof(); rs.moveNext()) {
            order << rs.field(QStringLiteral("CITEM")).toString();
        }
        QCOMPARE(order, (QStringList{QStringLiteral("none"), QStringLiteral("one"), QStringLiteral("two")}));
        order.clear();
        for (Recordset rs = OpenRs(*conn, QStringLiteral("SELECT CITEM FROM MITEM ORDER BY NSORT DESC"));
             !rs.eof(); rs.moveNext()) {
            order << rs.field(QStringLiteral("CITEM")).toString();
        }
        QCOMPARE(order, (QStringList{QStringLiteral("two"), QStringLiteral("one"), QStringLiteral("none")}));
    }

    void errorsAreClassified_data() { addEngineRows(); }
    void errorsAreClassified()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn, QStringLiteral("INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (1, 'c', '')"));
        const int customer = GetIdentity(*conn, QStringLiteral("MCUSTOMER"));
        ExecSql(*conn, QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, "
                                      "NPRIKIND) VALUES (0, 'p', %1, %1, 1)")
                           .arg(customer));

        const QString deleteSql =
            QStringLiteral("DELETE MCUSTOMER WHERE NCUSTOMER = ") + QString::number(customer);
        try {
            ExecSql(*conn, deleteSql);
            QFAIL("a customer in use was deleted");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::IntegrityViolation);
            QCOMPARE(e.number(), DbError::kIntegrityViolation);
            QCOMPARE(e.statement(), deleteSql);
            ShowDbError(e);
        }
        QCOMPARE(Messages::last().title, QStringLiteral("削除不可"));
        QCOMPARE(Messages::last().text, QStringLiteral("本項目は既に使用されているため削除できません。"));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        QCOMPARE(rowCount(*conn, QStringLiteral("MCUSTOMER")), 1);

        try {
            ExecSql(*conn, QStringLiteral("INSERT INTO MLANG (NSORT,CLANG,NCOEF) VALUES (9, '%1', 50)")
                               .arg(QString(51, QLatin1Char('x'))));
            QFAIL("an over-long name was stored");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::DataOverflow);
            ShowDbError(e);
        }
        QCOMPARE(Messages::last().title, QStringLiteral("サイズオーバ"));
        QCOMPARE(Messages::last().text, QStringLiteral("名称の文字列が長すぎます。"));

        // An integrity violation on an INSERT is not reported as a refused delete.
        const QString insertSql =
            QStringLiteral("INSERT INTO TFUNCTION (NPROJECT, NLNG, CSFUNC) VALUES (1, 999, 'f')");
        try {
            ExecSql(*conn, insertSql);
            QFAIL("a function with a missing language was stored");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::IntegrityViolation);
            ShowDbError(e);
        }
        QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
        QCOMPARE(Messages::last().icon, Messages::Critical);
        QVERIFY(Messages::last().text.endsWith(QLatin1Char('\n') + insertSql));

        try {
            ExecSql(*conn, QStringLiteral("SELEC nonsense"));
            QFAIL("bad SQL ran");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Other);
            QVERIFY(!e.description().isEmpty());
        }
    }

    void transactionRollsBackUnlessCommitted_data() { addEngineRows(); }
    void transactionRollsBackUnlessCommitted()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        try {
            Transaction transaction(*conn);
            ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('kept?', 1)"));
            ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('%1', 1)")
                               .arg(QString(60, QLatin1Char('x'))));
            transaction.commit();
            QFAIL("the second insert should fail");
        } catch (const DbError&) {
        }
        QCOMPARE(rowCount(*conn, QStringLiteral("MITEM")), 0);
        {
            Transaction transaction(*conn);
            ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('kept', 1)"));
            transaction.commit();
        }
        QCOMPARE(rowCount(*conn, QStringLiteral("MITEM")), 1);
    }

    void injectedFailureCarriesStatement()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto conn = db->connect();
        QStringList seen;
        DbConnection::setStatementHook([&seen](const DbConnection&, const QString& sql) {
            seen << sql;
            if (sql.startsWith(QStringLiteral("UPDATE"))) {
                throw DbError(DbError::Other, QStringLiteral("injected"));
            }
        });
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('a', 1)"));
        try {
            ExecSql(*conn, QStringLiteral("UPDATE MITEM SET NAPIECE = 2"));
            QFAIL("hook did not fail the statement");
        } catch (const DbError& e) {
            QCOMPARE(e.statement(), QStringLiteral("UPDATE MITEM SET NAPIECE = 2"));
        }
        QCOMPARE(seen.size(), 2);
        QCOMPARE(scalar(*conn, QStringLiteral("SELECT NAPIECE AS V FROM MITEM")).toDouble(), 1.0);
    }

    void keyAbove16BitsIsAnError()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto conn = db->connect();
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (NITEM,CITEM,NAPIECE) VALUES (32767, 'last', 1)"));
        QCOMPARE(GetIdentity(*conn, QStringLiteral("MITEM")), 32767);
        ExecSql(*conn, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('beyond', 1)"));
        QVERIFY_THROWS_EXCEPTION(DbError, GetIdentity(*conn, QStringLiteral("MITEM")));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestDataAccess)
#include "test_data_access.moc"
