#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_setup.h"
#include "db/schema_upgrade.h"
#include "test_support.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// The schema of the first version, as the set-up scripts created it before the version was kept.
QString firstSchema(Engine engine)
{
    QFile file(u"" VORNA_SCHEMA_V1 "/"_s + (engine == Engine::SQLite ? u"sqlite.sql"_s : u"postgresql.sql"_s));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("no %s", qPrintable(file.fileName()));
    }
    return QString::fromUtf8(file.readAll());
}

// A database as the first version set it up, with its reference and demo data and rows whose
// texts are awkward to carry over.
std::unique_ptr<TestDatabase> firstVersionDatabase(Engine engine)
{
    auto db = TestDatabase::createEmpty(engine);
    auto conn = db->connect();
    Transaction transaction(*conn);
    for (const QString& script : {firstSchema(engine), SetupScriptText(engine, SetupScript::ReferenceData),
                                  SetupScriptText(engine, SetupScript::DemoData)}) {
        for (const QString& statement : SplitSqlScript(script)) {
            ExecSql(*conn, statement);
        }
    }
    ExecSql(*conn, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('\"O''Brien\", 𠮷', "
                   u"'line\nbreak\\back', 9)"_s);
    ExecSql(*conn, u"INSERT INTO TDATE VALUES (1, 0, 19, Convert(DateTime,'2031/12/31',111))"_s);
    transaction.commit();
    return db;
}

// Every row of every table of the first schema, one text per row, sorted.
QStringList everyRow(DbConnection& conn, Engine engine)
{
    QStringList rows;
    const auto objects = ScriptObjects(firstSchema(engine));
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (it.value().isEmpty()) {
            continue; // a view or an index
        }
        for (Recordset rs = OpenRs(conn, u"SELECT * FROM "_s + it.key()); !rs.eof(); rs.moveNext()) {
            QStringList values{it.key()};
            for (const QString& column : it.value()) {
                const QVariant value = rs.field(column);
                values << (value.isValid() ? value.toString() : u"NULL"_s);
            }
            rows << values.join(u'|');
        }
    }
    rows.sort();
    return rows;
}

// Tables, columns, types, keys, checks, indexes and views, as the engine's catalogue tells them.
QStringList structure(DbConnection& conn, Engine engine)
{
    if (engine == Engine::SQLite) {
        return columnValues(conn, u"SELECT type || ' ' || name || ' ' || COALESCE(sql, '') AS V "_s
                                  u"FROM sqlite_master WHERE name NOT LIKE 'sqlite%' ORDER BY name"_s);
    }
    QStringList all;
    for (const QString& sql :
         {u"SELECT table_name || '.' || column_name || ' ' || data_type || ' ' || "_s
          u"COALESCE(character_maximum_length, 0) || ' ' || is_nullable AS V FROM information_schema.columns "_s
          u"WHERE table_schema = 'public' ORDER BY table_name, ordinal_position"_s,
          u"SELECT conname || ' ' || pg_get_constraintdef(oid) AS V FROM pg_constraint "_s
          u"WHERE connamespace = 'public'::regnamespace ORDER BY conname"_s,
          u"SELECT indexdef AS V FROM pg_indexes WHERE schemaname = 'public' ORDER BY indexname"_s,
          u"SELECT viewname || ' ' || definition AS V FROM pg_views WHERE schemaname = 'public' "_s
          u"ORDER BY viewname"_s}) {
        all += columnValues(conn, sql);
    }
    return all;
}

} // namespace

// The schema version kept in the database and the upgrade of an earlier database at start-up.
class TestSchemaUpgrade : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // A database of the first schema gets the new tables, keeps every row and ends up exactly
    // as a database set up today.
    void earlierDatabaseIsUpgraded_data() { addEngineRows(); }
    void earlierDatabaseIsUpgraded()
    {
        FETCH_ENGINE();
        auto db = firstVersionDatabase(dbEngine);
        auto conn = db->connect();
        const QStringList before = everyRow(*conn, dbEngine);
        QVERIFY(before.size() > 400);
        QCOMPARE(StoredSchemaVersion(*conn), 1);

        QCOMPARE(UpgradeSchema(*conn), 1);
        QCOMPARE(StoredSchemaVersion(*conn), kSchemaVersion);
        QCOMPARE(everyRow(*conn, dbEngine), before);
        QCOMPARE(rowCount(*conn, u"MISSUER"_s), 0);
        QCOMPARE(rowCount(*conn, u"MSCHEMA"_s), 1);
        auto today = TestDatabase::create(dbEngine);
        auto todayConn = today->connect();
        QCOMPARE(structure(*conn, dbEngine), structure(*todayConn, dbEngine));

        // A second start finds nothing to do.
        const StatementLog log;
        QCOMPARE(UpgradeSchema(*conn), kSchemaVersion);
        for (const QString& statement : log.statements()) {
            QVERIFY2(statement.startsWith(u"SELECT"_s), qPrintable(statement));
        }
    }

    // The steps run in one transaction: a failure at the last statement leaves the database of
    // the earlier version as it was.
    void failedUpgradeChangesNothing_data() { addEngineRows(); }
    void failedUpgradeChangesNothing()
    {
        FETCH_ENGINE();
        auto db = firstVersionDatabase(dbEngine);
        auto conn = db->connect();
        const QStringList before = everyRow(*conn, dbEngine);
        const QStringList tables = ExistingTables(*conn);
        {
            StatementLog log;
            log.failOn(u"INSERT INTO MSCHEMA"_s);
            QVERIFY_THROWS_EXCEPTION(DbError, UpgradeSchema(*conn));
            QVERIFY(log.failed());
            QVERIFY(log.statements().contains(u"DELETE MSCHEMA"_s));
        }
        QCOMPARE(ExistingTables(*conn), tables);
        QCOMPARE(StoredSchemaVersion(*conn), 1);
        QCOMPARE(everyRow(*conn, dbEngine), before);
        QCOMPARE(UpgradeSchema(*conn), 1);
        QCOMPARE(StoredSchemaVersion(*conn), kSchemaVersion);
    }

    // A database a later program has upgraded is refused, and left alone; so is one with
    // nothing set up.
    void laterOrEmptyDatabaseIsLeftAlone_data() { addEngineRows(); }
    void laterOrEmptyDatabaseIsLeftAlone()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        QCOMPARE(StoredSchemaVersion(*conn), kSchemaVersion);
        ExecSql(*conn, u"UPDATE MSCHEMA SET NVERSION = %1"_s.arg(kSchemaVersion + 1));
        try {
            UpgradeSchema(*conn);
            QFAIL("a later database was used");
        } catch (const DbError& e) {
            QCOMPARE(e.description(),
                     u"このデータベースは新しい版のVORNAで更新されています（スキーマ第%1版）。"_s
                     u"このVORNAが扱えるのは第%2版までです。新しい版のVORNAを使用してください。"_s.arg(
                         kSchemaVersion + 1)
                         .arg(kSchemaVersion));
        }
        QCOMPARE(StoredSchemaVersion(*conn), kSchemaVersion + 1);

        ExecSql(*conn, u"DELETE MSCHEMA"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, StoredSchemaVersion(*conn));

        auto empty = TestDatabase::createEmpty(dbEngine);
        auto emptyConn = empty->connect();
        QCOMPARE(UpgradeSchema(*emptyConn), 0);
        QCOMPARE(ExistingTables(*emptyConn), QStringList());
    }

    // Each engine's upgrade step creates what its set-up script creates, and the three engines
    // alike; each set-up script records the program's version.
    void upgradeStepsMatchTheSetUpScripts_data()
    {
        addColumns<int, int, QStringList>({"engine", "version", "tables"});
        const QStringList steps[] = {{u"MISSUER"_s, u"MSCHEMA"_s}, {u"MCALIB"_s, u"TACTUAL"_s, u"TPROJDONE"_s}};
        for (const int version : {2, 3}) {
            for (const auto& [engine, name] : {std::pair{Engine::SQLite, "sqlite"},
                                               std::pair{Engine::PostgreSQL, "postgresql"},
                                               std::pair{Engine::SQLServer, "sqlserver"}}) {
                QTest::addRow("%s %d", name, version) << int(engine) << version << steps[version - 2];
            }
        }
    }
    void upgradeStepsMatchTheSetUpScripts()
    {
        FETCH_ENGINE();
        QFETCH(int, version);
        QFETCH(QStringList, tables);
        const QString schema = SetupScriptText(dbEngine, SetupScript::Schema);
        const auto all = ScriptObjects(schema);
        const auto added = ScriptObjects(UpgradeStepText(dbEngine, version));
        QCOMPARE(added.keys(), tables);
        for (auto it = added.cbegin(); it != added.cend(); ++it) {
            QCOMPARE(it.value(), all.value(it.key()));
        }
        QCOMPARE(added, ScriptObjects(UpgradeStepText(Engine::SQLite, version)));
        // The step's text of each table is the set-up script's, to the letter.
        for (const QString& statement : SplitSqlScript(UpgradeStepText(dbEngine, version))) {
            QVERIFY2(SplitSqlScript(schema).contains(statement), qPrintable(statement));
        }
        static const QRegularExpression recorded(u"^INSERT INTO MSCHEMA \\(NVERSION\\) VALUES \\((\\d+)\\);$"_s,
                                                 QRegularExpression::MultilineOption);
        QCOMPARE(recorded.match(schema).captured(1).toInt(), kSchemaVersion);
    }

    // A database of version 2 in use (an issuer stored) gets the tables of the actual hours and
    // the calibrated constant, empty, and keeps every row.
    void secondVersionDatabaseIsUpgraded_data() { addEngineRows(); }
    void secondVersionDatabaseIsUpgraded()
    {
        FETCH_ENGINE();
        auto db = firstVersionDatabase(dbEngine);
        auto conn = db->connect();
        {
            Transaction transaction(*conn);
            for (const QString& statement : SplitSqlScript(UpgradeStepText(dbEngine, 2))) {
                ExecSql(*conn, statement);
            }
            ExecSql(*conn, u"INSERT INTO MSCHEMA (NVERSION) VALUES (2)"_s);
            ExecSql(*conn, u"INSERT INTO MISSUER (NISSUER, CCOMPANY, NTAXRATE) VALUES (1, '株式会社テスト', 10)"_s);
            transaction.commit();
        }
        const QStringList before = everyRow(*conn, dbEngine);
        QCOMPARE(StoredSchemaVersion(*conn), 2);
        QVERIFY(!ExistingTables(*conn).contains(u"TACTUAL"_s));

        QCOMPARE(UpgradeSchema(*conn), 2);
        QCOMPARE(StoredSchemaVersion(*conn), kSchemaVersion);
        QCOMPARE(everyRow(*conn, dbEngine), before);
        QCOMPARE(columnValues(*conn, u"SELECT CCOMPANY AS V FROM MISSUER"_s), QStringList{u"株式会社テスト"_s});
        for (const QString& table : {u"TACTUAL"_s, u"TPROJDONE"_s, u"MCALIB"_s}) {
            QCOMPARE(rowCount(*conn, table), 0);
        }
        auto today = TestDatabase::create(dbEngine);
        auto todayConn = today->connect();
        QCOMPARE(structure(*conn, dbEngine), structure(*todayConn, dbEngine));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "test_schema_upgrade.moc"
