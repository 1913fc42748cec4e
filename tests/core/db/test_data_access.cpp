#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_setup.h"
#include "db/sql_literal.h"
#include "divisions/code_divisions.h"
#include "large_database.h"
#include "test_support.h"

#include <QRegularExpression>
#include <optional>

namespace {

QMap<QString, QStringList> scriptObjects(Engine engine)
{
    return ScriptObjects(SetupScriptText(engine, SetupScript::Schema));
}

} // namespace

// The data access, the schema and the helpers over it, each on the embedded and the server
// database.
class TestDataAccess : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup()
    {
        m_conn.reset();
        m_db.reset();
        m_env.reset();
    }

    void statementsRoundTrip_data() { addEngineRows(); }
    void statementsRoundTrip()
    {
        DbConnection& conn = freshDatabase();
        // Texts a user typed come back exactly as typed, whatever they look like.
        const QStringList texts = {u"DELETE TFP WHERE 1=1"_s,
                                   u"@@IDENTITY"_s,
                                   u"Convert(DateTime,'x',111)"_s,
                                   u"O'Brien'); DROP TABLE TFP;--"_s,
                                   u"名前 ORDER BY x"_s,
                                   u"''''"_s,
                                   u"back\\slash"_s};
        for (int i = 0; i < texts.size(); ++i) {
            ExecSql(conn, u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (%1, %2, %3)"_s.arg(i).arg(
                              SqlLiteral(texts[i], u"C"_s), SqlLiteral(texts[i], u"CMEMO"_s)));
        }
        QCOMPARE(columnValues(conn, u"SELECT CCUSTNAME AS V FROM MCUSTOMER ORDER BY NSORT"_s), texts);
        QCOMPARE(columnValues(conn, u"SELECT CMEMO AS V FROM MCUSTOMER ORDER BY NSORT"_s), texts);
        QCOMPARE(rowCount(conn, u"TFP"_s), 0);

        // Keys count up and are never reused after a delete.
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('a', 100)"_s);
        const int first = GetIdentity(conn, u"MITEM"_s);
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('b', NULL)"_s);
        const int second = GetIdentity(conn, u"MITEM"_s);
        QCOMPARE(second, first + 1);
        ExecSql(conn, u"DELETE MITEM WHERE NITEM = %1"_s.arg(second));
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE,NSORT) VALUES ('two', 1.5, 2)"_s);
        QCOMPARE(GetIdentity(conn, u"MITEM"_s), second + 1);
        Recordset rs = OpenRs(conn, u"SELECT NAPIECE, NSORT FROM MITEM WHERE NITEM = %1"_s.arg(first));
        QCOMPARE(rs.field(u"NAPIECE"_s).toDouble(), 100.0);
        QVERIFY(!rs.field(u"NSORT"_s).isValid());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.field(u"NOPE"_s));
        // SUM over no rows is NULL, read as an invalid value.
        QVERIFY(!scalar(conn, u"SELECT SUM(NPRICE) AS V FROM TFUNCTION WHERE NPROJECT = 99"_s).isValid());

        // NULL sorts lowest both ways.
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE,NSORT) VALUES ('one', 1, 1)"_s);
        QCOMPARE(columnValues(conn, u"SELECT CITEM AS V FROM MITEM ORDER BY NSORT, NITEM"_s),
                 (QStringList{"a", "one", "two"}));
        QCOMPARE(columnValues(conn, u"SELECT CITEM AS V FROM MITEM ORDER BY NSORT DESC"_s),
                 (QStringList{"two", "one", "a"}));

        // Dates as the program writes them, one-digit month and day too; an impossible one is refused.
        ExecSql(conn, u"INSERT INTO TDATE VALUES (1, 0, 2, Convert(DateTime,'2003/9/1',111))"_s);
        QCOMPARE(scalar(conn, u"SELECT DDATE AS V FROM TDATE"_s).toDate(), QDate(2003, 9, 1));
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            ExecSql(conn, u"INSERT INTO TDATE VALUES (1, 0, 3, Convert(DateTime,'2003/02/30',111))"_s));

        // A second connection reaches the same database.
        ExecSql(*conn.openSecond(), u"INSERT INTO MLANG (CLANG,NSORT) VALUES ('second', 99)"_s);
        QCOMPARE(rowCount(conn, u"MLANG"_s, u"CLANG = 'second'"_s), 1);

        // An integrity violation on an INSERT or an UPDATE is not reported as a refused delete;
        // on a DELETE it is.
        // (The windows tell the two apart: test_database_helpers.)
        ExecSql(conn, u"INSERT INTO TFUNCTION (NPROJECT, NLNG, CSFUNC) VALUES (1, NULL, 'f')"_s);
        for (const QString& sql : {u"INSERT INTO TFUNCTION (NPROJECT, NLNG, CSFUNC) VALUES (1, 999, 'f')"_s,
                                   u"UPDATE TFUNCTION SET NLNG = 999 WHERE NPROJECT = 1"_s}) {
            const std::optional<DbError> refused = statementError(conn, sql);
            QVERIFY(refused && refused->kind() == DbError::IntegrityViolation);
            QCOMPARE(refused->statement(), sql);
        }
        ExecSql(conn, u"INSERT INTO MLANG (CLANG,NSORT) VALUES ('used', 98)"_s);
        ExecSql(conn, u"UPDATE TFUNCTION SET NLNG = (SELECT NLANG FROM MLANG WHERE CLANG = 'used')"_s);
        const std::optional<DbError> inUse = statementError(conn, u"DELETE MLANG WHERE CLANG = 'used'"_s);
        QVERIFY(inUse && inUse->kind() == DbError::IntegrityViolation);
        QCOMPARE(inUse->statement(), u"DELETE MLANG WHERE CLANG = 'used'"_s);
        const std::optional<DbError> bad = statementError(conn, u"SELEC nonsense"_s);
        QVERIFY(bad && !bad->description().isEmpty() && bad->kind() == DbError::Other);

        // Keys are 32 bits: past 32767 they go on, and one past 2147483647 is an error, never a
        // wrapped key (SQLite hands it out and the program refuses it; PostgreSQL's integer
        // identity refuses the insert itself).
        StartKeysAt(conn, u"MITEM"_s, u"NITEM"_s, 32767);
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('last 16-bit', 1)"_s);
        QCOMPARE(GetIdentity(conn, u"MITEM"_s), 32767);
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('beyond 16-bit', 1)"_s);
        QCOMPARE(GetIdentity(conn, u"MITEM"_s), 32768);
        StartKeysAt(conn, u"MITEM"_s, u"NITEM"_s, 2147483647);
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('last 32-bit', 1)"_s);
        QCOMPARE(GetIdentity(conn, u"MITEM"_s), 2147483647);
        const auto beyond = [&] {
            ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('beyond', 1)"_s);
            return GetIdentity(conn, u"MITEM"_s);
        };
        QVERIFY_THROWS_EXCEPTION(DbError, beyond());
    }

    // Every statement runs forward-only, as ODBC drivers run a scrollable one through a server
    // cursor, after which the SET options it made are undone.
    void statementsRunForwardOnly_data() { addEngineRows(); }
    void statementsRunForwardOnly()
    {
        DbConnection& conn = freshDatabase();
        QList<bool> forwardOnly;
        DbConnection::setQueryObserver([&](const QSqlQuery& query) { forwardOnly << query.isForwardOnly(); });
        ExecSql(conn, u"INSERT INTO MITEM (CITEM,NAPIECE) VALUES ('a', 1)"_s);
        GetIdentity(conn, u"MITEM"_s);
        ExecSql(conn, u"UPDATE MITEM SET NSORT = NITEM"_s);
        QCOMPARE(rowCount(conn, u"MITEM"_s), 1);
        DbConnection::setQueryObserver(nullptr);
        QCOMPARE(forwardOnly, QList<bool>(4, true));
    }

    // A title that ends its literal early where a backslash escapes the quote after it deletes
    // nothing and is stored as typed: also on a PostgreSQL database set to read backslashes as
    // escapes, where every connection, the second one too, sets the standard reading when it
    // opens, and where the literal holds even if that setting was lost.
    void backslashesNeverEscape_data() { addEngineRows(); }
    void backslashesNeverEscape()
    {
        DbConnection* conn = &freshDatabase();
        const QString title = u"x\\'); DELETE FROM TFP; --"_s;
        if (conn->engine() == Engine::PostgreSQL) {
            ExecSql(*conn, u"ALTER DATABASE %1 SET standard_conforming_strings = off"_s.arg(
                               conn->params().value(u"Initial Catalog"_s)));
            m_conn = m_db->connect();
            conn = m_conn.get();
            const QString setting = u"SELECT current_setting('standard_conforming_strings') AS V"_s;
            QCOMPARE(scalar(*conn, setting).toString(), u"on"_s);
            QCOMPARE(scalar(*conn->openSecond(), setting).toString(), u"on"_s);
            ExecSql(*conn, u"SET standard_conforming_strings = off"_s);
            QCOMPARE(scalar(*conn, setting).toString(), u"off"_s);
        }
        ExecSql(*conn, u"INSERT INTO TFP VALUES (1, 1, 1, 'kept', 1, 1)"_s);
        ExecSql(*conn, u"INSERT INTO TFP VALUES (1, 1, 2, %1, 1, 1)"_s.arg(SqlLiteral(title, u"CTITLE"_s)));
        ExecSql(*conn, u"INSERT INTO TFP VALUES (1, 1, 3, %1, 1, 1)"_s.arg(SqlLiteral(u"\\"_s, u"C"_s)));
        QCOMPARE(columnValues(*conn, u"SELECT CTITLE AS V FROM TFP ORDER BY NADD"_s),
                 (QStringList{u"kept"_s, title, u"\\"_s}));
    }

    // A connection the server dropped (a killed session, a restart) or that broke under the
    // program heals: a read runs again on the reopened connection; a write inside a transaction
    // is lost with its transaction and says so, and the next transaction works. A server that
    // cannot be reached is named as such.
    void droppedConnectionHeals_data() { addEngineRows(); }
    void droppedConnectionHeals()
    {
        FETCH_ENGINE();
        m_db = TestDatabase::create(dbEngine);
        m_conn = m_db->connect();
        DbConnection& c = *m_conn;
        const QString insert = u"INSERT INTO MCUSTOMER (NSORT, CCUSTNAME, CMEMO) VALUES (9, '%1', '')"_s;
        const auto named = [&c](const QString& name) {
            return rowCount(c, u"MCUSTOMER"_s, u"CCUSTNAME = '%1'"_s.arg(name));
        };
        const int customers = rowCount(c, u"MCUSTOMER"_s);

        DropConnection(c);
        QCOMPARE(scalar(c, u"SELECT COUNT(*) AS V FROM MCUSTOMER"_s).toInt(), customers);

        {
            Transaction transaction(c);
            ExecSql(c, insert.arg(u"A"_s));
            DropConnection(c);
            try {
                ExecSql(c, insert.arg(u"B"_s));
                QFAIL("a write on a dropped connection went through");
            } catch (const DbError& e) {
                QCOMPARE(int(e.kind()), int(DbError::ConnectionLost));
                QCOMPARE(e.description(),
                         u"データベースとの接続が切れました。再接続しました。もう一度保存してください。"_s);
                QCOMPARE(e.statement(), insert.arg(u"B"_s));
            }
            QVERIFY(!c.inTransaction());
        }
        QCOMPARE(named(u"A"_s) + named(u"B"_s), 0);
        {
            Transaction transaction(c);
            ExecSql(c, insert.arg(u"C"_s));
            transaction.commit();
        }
        // Nothing of a transaction has happened before it begins: it begins on the reopened one.
        DropConnection(c);
        {
            Transaction transaction(c);
            ExecSql(c, insert.arg(u"D"_s));
            transaction.commit();
        }
        QCOMPARE(named(u"C"_s) + named(u"D"_s), 2);

        QSqlDatabase db = c.database();
        if (dbEngine == Engine::PostgreSQL) {
            db.setPort(1);
        } else {
            db.setDatabaseName(m_env->path(u"no such folder/vorna.db"_s));
        }
        DropConnection(c);
        try {
            OpenRs(c, u"SELECT COUNT(*) AS V FROM MCUSTOMER"_s);
            QFAIL("read from a server that cannot be reached");
        } catch (const DbError& e) {
            QCOMPARE(int(e.kind()), int(DbError::ConnectionLost));
            QVERIFY2(
                e.description().startsWith(u"データベースとの接続が切れました。サーバに接続できません。\n"_s),
                qPrintable(e.description()));
        }
    }

    void codeDivisions_data() { addEngineRows(); }
    void codeDivisions()
    {
        DbConnection& conn = freshDatabase();
        // Division 90 is the test's own: defaults twice, one without, coefficients with gaps.
        for (const char* row : {"90, 3, 'c', 1, '1', 1.234", "90, 1, 'a', 2, NULL, 12345.678",
                                "90, 2, 'b', 2, '1', NULL", "91, 1, 'x', 1, '0', NULL"}) {
            ExecSql(conn, u"INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF,NCOEF) VALUES (%1)"_s.arg(
                              QLatin1String(row)));
        }
        // In NSORT, NVAL order, with their default marks (the combos: test_database_helpers).
        QStringList rows;
        for (const DivisionRow& row : DivisionRows(conn, 90)) {
            rows << row.name + u':' + QString::number(row.code) + u':' + row.def;
        }
        QCOMPARE(rows, (QStringList{u"c:3:1"_s, u"a:1:"_s, u"b:2:1"_s}));
        QVERIFY(DivisionRows(conn, 92).isEmpty());

        // Names and coefficients by code; a missing code or coefficient reads as nothing or 0.
        const auto coef = [&](int code) { return DivValue(conn, 90, code, u"NCOEF"_s); };
        QCOMPARE(
            (QStringList{DivName(conn, 90, 1), DivName(conn, 90, 9), coef(3), coef(1), coef(9), coef(2)}),
            (QStringList{"a", "", "1.23", "12,345.68", "0", "0.00"}));
        QCOMPARE(DivNumber(conn, 90, 1, u"NCOEF"_s), 12345.68);
    }

    // The three engines' scripts create the same tables, columns (in the same order), views and
    // indexes.
    void scriptsAreInStep()
    {
        const auto lite = scriptObjects(Engine::SQLite);
        QCOMPARE(lite.size(), 37);
        QCOMPARE(scriptObjects(Engine::PostgreSQL), lite);
        QCOMPARE(scriptObjects(Engine::SQLServer), lite);
    }

    // The reference data and the charge view.
    void referenceDataAndChargeView_data() { addEngineRows(); }
    void referenceDataAndChargeView()
    {
        DbConnection& conn = freshDatabase();
        const QList<std::pair<const char*, double>> figures = {
            {"SUM(NVALUE) AS V FROM MCOCOMO WHERE NDKIND = 1 AND NDRANK = 2", 18.97},
            {"COUNT(*) AS V FROM MCOCOMO WHERE NDKIND = 1", 30},
            {"COUNT(*) AS V FROM MCOCOMO WHERE NDKIND = 2 AND NDRANK = 2 AND NVALUE = 1", 17},
            {"COUNT(*) AS V FROM MFPMATRIX", 15},
            {"NFP AS V FROM MFPMATRIX WHERE NKIND = 1 AND NCOMPLEX = 3", 15},
            // One default class, of coefficient 1, in each correction division.
            {"COUNT(*) AS V FROM MDIV WHERE NDID BETWEEN 1 AND 5 AND CDEF = '1'", 5},
            {"COUNT(DISTINCT NDID) AS V FROM MDIV WHERE NDID BETWEEN 1 AND 5 AND CDEF = '1' AND NCOEF = 1",
             5},
            {"COUNT(*) AS V FROM MDIV WHERE NDID = 16 AND NVAL IN (0, 1, 2)", 3},
            {"COUNT(*) AS V FROM MDIV WHERE NDID = 15", 6},
            {"COUNT(*) AS V FROM MPRIBASE", 1},
        };
        for (const auto& [query, expected] : figures) {
            QCOMPARE(scalar(conn, u"SELECT "_s + QLatin1String(query)).toDouble(), expected);
        }
        const int processes = rowCount(conn, u"MDIV"_s, u"NDID = 7 AND CDEF = '1'"_s);
        QVERIFY(processes >= 1 && processes <= 9);
        QCOMPARE(rowCount(conn, u"MPRIPROG"_s, u"CCKIND = '1'"_s), processes);

        // The charge view prices every assignment for every price kind, 0 where a kind has none.
        ExecSql(conn, u"INSERT INTO MPRIBASE (NSORT,CPRINAME,NBASE) VALUES (2, 'second', 0)"_s);
        const int secondKind = GetIdentity(conn, u"MPRIBASE"_s);
        ExecSql(conn, u"INSERT INTO MMEMBER (CMEMBER,NMKIND,NMEMBPRI) VALUES ('a', 1, 5000)"_s);
        const int member = GetIdentity(conn, u"MMEMBER"_s);
        ExecSql(conn, u"INSERT INTO TMEMBER VALUES (7, 1, %1, 1, 5000, 100, 0)"_s.arg(member));
        ExecSql(conn, u"INSERT INTO TCHARGE VALUES (7, 3, 1, 1, %1, 8)"_s.arg(member));
        ExecSql(conn, u"INSERT INTO TCHARGE VALUES (7, 3, 2, 1, %1, 4)"_s.arg(member));
        QCOMPARE(rowCount(conn, u"VCHARGE"_s), 4);
        QCOMPARE(rowCount(conn, u"VCHARGE"_s, u"NPRIKIND = %1 AND NDPRI = 0"_s.arg(secondKind)), 2);
        const double price =
            scalar(conn,
                   u"SELECT NDPRI AS V FROM MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 1"_s)
                .toDouble();
        QVERIFY(price > 0);
        QCOMPARE(scalar(conn, u"SELECT SUM(NHOUR * NDPRI) AS V FROM VCHARGE WHERE NPRIKIND = 1"_s).toDouble(),
                 12 * price);
        QCOMPARE(columnValues(conn, u"SELECT CMEMBER AS V FROM VCHARGE WHERE NPRIKIND = 1 AND NPROC = 2"_s),
                 QStringList{"a"});
    }

    // Stored hours and prices of the demo data are what the member assignments give.
    void demoDataIsConsistent_data() { addEngineRows(); }
    void demoDataIsConsistent()
    {
        DbConnection& conn = freshDatabase(true);
        QVERIFY(rowCount(conn, u"TPROJECT"_s) >= 3);
        const QString charged = u"(SELECT SUM(%1) FROM VCHARGE V WHERE V.NPROJECT = F.NPROJECT AND "_s
                                u"V.NFUNCTION = F.NFUNCTION AND V.NPRIKIND = P.NPRIKIND)"_s;
        Recordset rs = OpenRs(conn, u"SELECT F.NHTOTAL, F.NTOTAL, %1 AS HOUR, %2 AS PRI FROM TFUNCTION F, "_s
                                    u"TPROJECT P WHERE F.NPROJECT = P.NPROJECT"_s.arg(
                                        charged.arg(u"V.NHOUR"_s), charged.arg(u"V.NHOUR * V.NDPRI"_s)));
        QVERIFY(rs.recordCount() >= 2);
        for (; !rs.eof(); rs.moveNext()) {
            QCOMPARE(rs.field(u"NHTOTAL"_s).toDouble(), rs.field(u"HOUR"_s).toDouble());
            QCOMPARE(rs.field(u"NTOTAL"_s).toDouble(), rs.field(u"PRI"_s).toDouble());
        }
    }

private:
    // A fresh database with the schema and reference data on the engine of the test row.
    DbConnection& freshDatabase(bool withDemo = false)
    {
        QFETCH(int, engine);
        m_db = TestDatabase::create(static_cast<Engine>(engine), withDemo);
        m_conn = m_db->connect();
        return *m_conn;
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DbConnection> m_conn;
};

QTEST_GUILESS_MAIN(TestDataAccess)
#include "test_data_access.moc"
