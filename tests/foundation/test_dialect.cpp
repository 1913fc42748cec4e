#include "foundation/db_error.h"
#include "foundation/dialect.h"
#include "test_support.h"

class TestDialect : public QObject {
    Q_OBJECT
private slots:
    void translate_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const int lite = static_cast<int>(Engine::SQLite);
        const int pg = static_cast<int>(Engine::PostgreSQL);
        const int ms = static_cast<int>(Engine::SQLServer);

        QTest::newRow("delete without from, sqlite") << lite << "DELETE TCONTRACT WHERE NPROJECT = 3"
                                                     << "DELETE FROM TCONTRACT WHERE NPROJECT = 3";
        QTest::newRow("delete without from, postgresql")
            << pg << "DELETE TCHARGE WHERE NPROJECT = 3 AND NMEMBER = 2"
            << "DELETE FROM TCHARGE WHERE NPROJECT = 3 AND NMEMBER = 2";
        QTest::newRow("delete with from kept") << lite << "DELETE FROM TFP WHERE 1=1"
                                               << "DELETE FROM TFP WHERE 1=1";
        QTest::newRow("identity sqlite") << lite << "SELECT @@IDENTITY AS ID FROM TPROJECT"
                                         << "SELECT last_insert_rowid() AS ID";
        QTest::newRow("identity postgresql") << pg << "SELECT @@IDENTITY AS ID FROM TFUNCTION"
                                             << "SELECT lastval() AS ID";
        QTest::newRow("date sqlite")
            << lite << "INSERT INTO TDATE VALUES (3, 0, 1, Convert(DateTime,'2003/04/15',111))"
            << "INSERT INTO TDATE VALUES (3, 0, 1, '2003-04-15')";
        QTest::newRow("date postgresql")
            << pg << "INSERT INTO TDATE VALUES (3, 0, 2, Convert(DateTime,'2003/4/5',111))"
            << "INSERT INTO TDATE VALUES (3, 0, 2, CAST('2003-04-05' AS timestamp))";
        QTest::newRow("order by nulls lowest")
            << pg << "SELECT * FROM MLANG ORDER BY NSORT,NLANG"
            << "SELECT * FROM MLANG ORDER BY NSORT NULLS FIRST,NLANG NULLS FIRST";
        QTest::newRow("order by desc")
            << pg << "SELECT NFUNCTION FROM TFUNCTION WHERE NPROJECT = 1 ORDER BY NSORT,NFUNCTION DESC"
            << "SELECT NFUNCTION FROM TFUNCTION WHERE NPROJECT = 1 ORDER BY NSORT NULLS FIRST,NFUNCTION DESC "
               "NULLS LAST";
        QTest::newRow("order by asc") << pg << "SELECT * FROM TFP ORDER BY NADD ASC"
                                      << "SELECT * FROM TFP ORDER BY NADD ASC NULLS FIRST";
        QTest::newRow("sqlite order unchanged") << lite << "SELECT * FROM MLANG ORDER BY NSORT,NLANG"
                                                << "SELECT * FROM MLANG ORDER BY NSORT,NLANG";

        // Texts a user typed stay exactly as typed, whatever they look like.
        QTest::newRow("hostile delete literal")
            << lite << "UPDATE TFUNCTION SET CSFUNC = 'DELETE TFP WHERE 1=1' WHERE NFUNCTION = 1"
            << "UPDATE TFUNCTION SET CSFUNC = 'DELETE TFP WHERE 1=1' WHERE NFUNCTION = 1";
        QTest::newRow("hostile identity literal") << pg
                                                  << "INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES "
                                                     "(1, 'SELECT @@IDENTITY AS ID FROM TPROJECT', '')"
                                                  << "INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES "
                                                     "(1, 'SELECT @@IDENTITY AS ID FROM TPROJECT', '')";
        QTest::newRow("hostile convert literal")
            << lite << "UPDATE MITEM SET CITEM = 'Convert(DateTime,''x'',111)' WHERE NITEM = 1"
            << "UPDATE MITEM SET CITEM = 'Convert(DateTime,''x'',111)' WHERE NITEM = 1";
        QTest::newRow("hostile order by literal")
            << pg << "UPDATE MITEM SET CITEM = 'x ORDER BY y' WHERE NITEM = 1"
            << "UPDATE MITEM SET CITEM = 'x ORDER BY y' WHERE NITEM = 1";
        QTest::newRow("hostile injection literal")
            << lite << "UPDATE MLANG SET CLANG = 'O''Brien''); DROP TABLE TFP;--' WHERE NLANG = 1"
            << "UPDATE MLANG SET CLANG = 'O''Brien''); DROP TABLE TFP;--' WHERE NLANG = 1";
        QTest::newRow("delete whose target looks like a literal")
            << pg << "DELETE MCUSTOMER WHERE CCUSTNAME = 'DELETE X WHERE'"
            << "DELETE FROM MCUSTOMER WHERE CCUSTNAME = 'DELETE X WHERE'";

        QTest::newRow("sql server unchanged, delete") << ms << "DELETE TFP WHERE NPROJECT = 1"
                                                      << "DELETE TFP WHERE NPROJECT = 1";
        QTest::newRow("sql server unchanged, identity") << ms << "SELECT @@IDENTITY AS ID FROM TPROJECT"
                                                        << "SELECT @@IDENTITY AS ID FROM TPROJECT";
        QTest::newRow("sql server unchanged, date")
            << ms << "INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/04/15',111))"
            << "INSERT INTO TDATE VALUES (1, 0, 1, Convert(DateTime,'2003/04/15',111))";
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
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        const int lite = static_cast<int>(Engine::SQLite);
        const int pg = static_cast<int>(Engine::PostgreSQL);
        const int ms = static_cast<int>(Engine::SQLServer);
        QTest::newRow("sqlite fk") << lite << "787"
                                   << "FOREIGN KEY constraint failed" << int(DbError::IntegrityViolation);
        QTest::newRow("sqlite unique")
            << lite << "2067"
            << "UNIQUE constraint failed: MDIV.NDID" << int(DbError::IntegrityViolation);
        QTest::newRow("sqlite length")
            << lite << "275"
            << "CHECK constraint failed: CK_LEN_MLANG_CLANG" << int(DbError::DataOverflow);
        QTest::newRow("sqlite syntax") << lite << "1"
                                       << "near \"x\": syntax error" << int(DbError::Other);
        QTest::newRow("pg fk") << pg << "23503"
                               << "" << int(DbError::IntegrityViolation);
        QTest::newRow("pg unique") << pg << "23505"
                                   << "" << int(DbError::IntegrityViolation);
        QTest::newRow("pg too long") << pg << "22001"
                                     << "" << int(DbError::DataOverflow);
        QTest::newRow("pg other") << pg << "42601"
                                  << "" << int(DbError::Other);
        QTest::newRow("mssql reference") << ms << "547;3621"
                                         << "" << int(DbError::IntegrityViolation);
        QTest::newRow("mssql duplicate") << ms << "2627"
                                         << "" << int(DbError::IntegrityViolation);
        QTest::newRow("mssql duplicate index") << ms << "2601"
                                               << "" << int(DbError::IntegrityViolation);
        QTest::newRow("mssql truncation") << ms << "8152"
                                          << "" << int(DbError::DataOverflow);
        QTest::newRow("mssql truncation new") << ms << "2628"
                                              << "" << int(DbError::DataOverflow);
        QTest::newRow("mssql other") << ms << "208"
                                     << "" << int(DbError::Other);
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
