#include "foundation/db_error.h"
#include "foundation/dialect.h"
#include "test_support.h"

class TestDialect : public QObject {
    Q_OBJECT
private slots:
    void translate_data()
    {
        addColumns<int, QString, QString>({"engine", "sql", "expected"});
        const int lite = static_cast<int>(Engine::SQLite);
        const int pg = static_cast<int>(Engine::PostgreSQL);
        const int ms = static_cast<int>(Engine::SQLServer);

        QTest::newRow("delete without from, sqlite") << lite << u"DELETE TCONTRACT WHERE NPROJECT = 3"_s
                                                     << u"DELETE FROM TCONTRACT WHERE NPROJECT = 3"_s;
        QTest::newRow("delete without from, postgresql")
            << pg << u"DELETE TCHARGE WHERE NPROJECT = 3 AND NMEMBER = 2"_s
            << u"DELETE FROM TCHARGE WHERE NPROJECT = 3 AND NMEMBER = 2"_s;
        QTest::newRow("delete with from kept")
            << lite << u"DELETE FROM TFP WHERE 1=1"_s << u"DELETE FROM TFP WHERE 1=1"_s;
        QTest::newRow("identity sqlite")
            << lite << u"SELECT @@IDENTITY AS ID FROM TPROJECT"_s << u"SELECT last_insert_rowid() AS ID"_s;
        QTest::newRow("identity postgresql")
            << pg << u"SELECT @@IDENTITY AS ID FROM TFUNCTION"_s << u"SELECT lastval() AS ID"_s;
        QTest::newRow("date sqlite")
            << lite << u"INSERT INTO TDATE VALUES (3, 0, 1, Convert(DateTime,'2003/04/15',111))"_s
            << u"INSERT INTO TDATE VALUES (3, 0, 1, '2003-04-15')"_s;
        QTest::newRow("date postgresql")
            << pg << u"INSERT INTO TDATE VALUES (3, 0, 2, Convert(DateTime,'2003/4/5',111))"_s
            << u"INSERT INTO TDATE VALUES (3, 0, 2, CAST('2003-04-05' AS timestamp))"_s;
        QTest::newRow("order by nulls lowest")
            << pg << u"SELECT * FROM MLANG ORDER BY NSORT,NLANG"_s
            << u"SELECT * FROM MLANG ORDER BY NSORT NULLS FIRST,NLANG NULLS FIRST"_s;
        QTest::newRow("order by desc")
            << pg << u"SELECT NFUNCTION FROM TFUNCTION WHERE NPROJECT = 1 ORDER BY NSORT,NFUNCTION DESC"_s
            << u"SELECT NFUNCTION FROM TFUNCTION WHERE NPROJECT = 1 ORDER BY NSORT NULLS FIRST,NFUNCTION DESC "_s
               "NULLS LAST";
        QTest::newRow("order by asc") << pg << u"SELECT * FROM TFP ORDER BY NADD ASC"_s
                                      << u"SELECT * FROM TFP ORDER BY NADD ASC NULLS FIRST"_s;
        QTest::newRow("sqlite order unchanged") << lite << u"SELECT * FROM MLANG ORDER BY NSORT,NLANG"_s
                                                << u"SELECT * FROM MLANG ORDER BY NSORT,NLANG"_s;

        // Texts a user typed stay exactly as typed, whatever they look like.
        QTest::newRow("hostile delete literal")
            << lite << u"UPDATE TFUNCTION SET CSFUNC = 'DELETE TFP WHERE 1=1' WHERE NFUNCTION = 1"_s
            << u"UPDATE TFUNCTION SET CSFUNC = 'DELETE TFP WHERE 1=1' WHERE NFUNCTION = 1"_s;
        QTest::newRow("hostile identity literal")
            << pg
            << u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES "_s
               "(1, 'SELECT @@IDENTITY AS ID FROM TPROJECT', '')"
            << u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES "_s
               "(1, 'SELECT @@IDENTITY AS ID FROM TPROJECT', '')";
        QTest::newRow("hostile convert literal")
            << lite << u"UPDATE MITEM SET CITEM = 'Convert(DateTime,''x'',111)' WHERE NITEM = 1"_s
            << u"UPDATE MITEM SET CITEM = 'Convert(DateTime,''x'',111)' WHERE NITEM = 1"_s;
        QTest::newRow("hostile order by literal")
            << pg << u"UPDATE MITEM SET CITEM = 'x ORDER BY y' WHERE NITEM = 1"_s
            << u"UPDATE MITEM SET CITEM = 'x ORDER BY y' WHERE NITEM = 1"_s;
        QTest::newRow("hostile injection literal")
            << lite << u"UPDATE MLANG SET CLANG = 'O''Brien''); DROP TABLE TFP;--' WHERE NLANG = 1"_s
            << u"UPDATE MLANG SET CLANG = 'O''Brien''); DROP TABLE TFP;--' WHERE NLANG = 1"_s;
        QTest::newRow("delete whose target looks like a literal")
            << pg << u"DELETE MCUSTOMER WHERE CCUSTNAME = 'DELETE X WHERE'"_s
            << u"DELETE FROM MCUSTOMER WHERE CCUSTNAME = 'DELETE X WHERE'"_s;

        QTest::newRow("sql server unchanged, delete")
            << ms << u"DELETE TFP WHERE NPROJECT = 1"_s << u"DELETE TFP WHERE NPROJECT = 1"_s;
        QTest::newRow("sql server unchanged, identity")
            << ms << u"SELECT @@IDENTITY AS ID FROM TPROJECT"_s << u"SELECT @@IDENTITY AS ID FROM TPROJECT"_s;
        QTest::newRow("sql server unchanged, date")
            << ms << u"INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/04/15',111))"_s
            << u"INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/04/15',111))"_s;
    }
    void translate()
    {
        QFETCH(int, engine);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(Dialect::forEngine(static_cast<Engine>(engine))->translate(sql), expected);
    }

    void invalidDateRaises()
    {
        const auto dialect = Dialect::forEngine(Engine::SQLite);
        QVERIFY_THROWS_EXCEPTION(
            DbError, dialect->translate(QStringLiteral(
                         "INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/02/30',111))")));
    }

    void classification_data()
    {
        addColumns<int, QString, QString, int>({"engine", "code", "text", "kind"});
        const int lite = static_cast<int>(Engine::SQLite);
        const int pg = static_cast<int>(Engine::PostgreSQL);
        const int ms = static_cast<int>(Engine::SQLServer);
        QTest::newRow("sqlite fk") << lite << u"787"_s << u"FOREIGN KEY constraint failed"_s
                                   << int(DbError::IntegrityViolation);
        QTest::newRow("sqlite unique") << lite << u"2067"_s << u"UNIQUE constraint failed: MDIV.NDID"_s
                                       << int(DbError::IntegrityViolation);
        QTest::newRow("sqlite length") << lite << u"275"_s << u"CHECK constraint failed: CK_LEN_MLANG_CLANG"_s
                                       << int(DbError::DataOverflow);
        QTest::newRow("sqlite syntax")
            << lite << u"1"_s << u"near \"x\": syntax error"_s << int(DbError::Other);
        QTest::newRow("pg fk") << pg << u"23503"_s << u""_s << int(DbError::IntegrityViolation);
        QTest::newRow("pg unique") << pg << u"23505"_s << u""_s << int(DbError::IntegrityViolation);
        QTest::newRow("pg too long") << pg << u"22001"_s << u""_s << int(DbError::DataOverflow);
        QTest::newRow("pg other") << pg << u"42601"_s << u""_s << int(DbError::Other);
        QTest::newRow("mssql reference") << ms << u"547;3621"_s << u""_s << int(DbError::IntegrityViolation);
        QTest::newRow("mssql duplicate") << ms << u"2627"_s << u""_s << int(DbError::IntegrityViolation);
        QTest::newRow("mssql duplicate index")
            << ms << u"2601"_s << u""_s << int(DbError::IntegrityViolation);
        QTest::newRow("mssql truncation") << ms << u"8152"_s << u""_s << int(DbError::DataOverflow);
        QTest::newRow("mssql truncation new") << ms << u"2628"_s << u""_s << int(DbError::DataOverflow);
        QTest::newRow("mssql other") << ms << u"208"_s << u""_s << int(DbError::Other);
    }
    void classification()
    {
        QFETCH(int, engine);
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QCOMPARE(int(DbError::classify(static_cast<Engine>(engine), code, text)), kind);
    }
};

QTEST_GUILESS_MAIN(TestDialect)
#include "test_dialect.moc"
