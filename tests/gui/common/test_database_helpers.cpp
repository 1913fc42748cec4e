#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/list_helpers.h"
#include "db/db_connection.h"
#include "gui_helpers.h"
#include "masters/master_tables.h"
#include "test_support.h"

#include <QComboBox>
#include <QSqlDatabase>
#include <QTreeWidget>
#include <optional>

// The windows' helpers over the data access: how a failed statement is told, the combos of the
// code divisions and the arrows that reorder master rows, each on the embedded and the server
// database.
class TestDatabaseHelpers : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup()
    {
        m_conn.reset();
        m_db.reset();
        m_env.reset();
    }

    // An integrity violation on an INSERT or an UPDATE is not reported as a refused delete; on a
    // DELETE it is.
    void refusalsReported_data() { addEngineRows(); }
    void refusalsReported()
    {
        DbConnection& conn = freshDatabase();
        ExecSql(conn, u"INSERT INTO TFUNCTION (NPROJECT, NLNG, CSFUNC) VALUES (1, NULL, 'f')"_s);
        for (const QString& sql : {u"INSERT INTO TFUNCTION (NPROJECT, NLNG, CSFUNC) VALUES (1, 999, 'f')"_s,
                                   u"UPDATE TFUNCTION SET NLNG = 999 WHERE NPROJECT = 1"_s}) {
            const std::optional<DbError> refused = statementError(conn, sql);
            QVERIFY(refused && refused->kind() == DbError::IntegrityViolation);
            ShowDbError(*refused);
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, refused->description() + u'\n' + sql, Messages::Critical);
        }
        ExecSql(conn, u"INSERT INTO MLANG (CLANG,NSORT) VALUES ('used', 98)"_s);
        ExecSql(conn, u"UPDATE TFUNCTION SET NLNG = (SELECT NLANG FROM MLANG WHERE CLANG = 'used')"_s);
        const std::optional<DbError> inUse = statementError(conn, u"DELETE MLANG WHERE CLANG = 'used'"_s);
        QVERIFY(inUse && inUse->kind() == DbError::IntegrityViolation);
        ShowDbError(*inUse);
        COMPARE_LAST_MESSAGE(u"削除不可"_s, u"本項目は既に使用されているため削除できません。"_s,
                             Messages::Exclamation);
    }

    // The refusals SQL Server sends (test_sqlserver_client reads them into these kinds): a row in
    // use on a DELETE and a text too long are told in words, anything else with the server's
    // text and the statement (a lock wait that ran out: busyReported).
    void serverRefusalsReported_data()
    {
        addColumns<QString, QString, int, QString>({"statement", "serverText", "kind", "shown"});
        QTest::newRow("row in use") << u"DELETE MLANG WHERE NLANG = 1"_s
                                    << u"The DELETE statement conflicted with the REFERENCE constraint "
                                       u"\"FK_TFUNCTION_NLNG\". The conflict occurred in database \"kaldb\", "
                                       u"table \"dbo.TFUNCTION\", column 'NLNG'."_s
                                    << int(DbError::IntegrityViolation)
                                    << u"削除不可|本項目は既に使用されているため削除できません。"_s;
        QTest::newRow("too long") << u"INSERT INTO MLANG (CLANG) VALUES ('aaaa')"_s
                                  << u"String or binary data would be truncated in table 'kaldb.dbo.MLANG', "
                                     u"column 'CLANG'. Truncated value: 'aaa'."_s
                                  << int(DbError::DataOverflow)
                                  << u"サイズオーバ|名称の文字列が長すぎます。"_s;
        QTest::newRow("duplicate key on insert")
            << u"INSERT INTO MDIV (NDID, NVAL) VALUES (1, 1)"_s
            << u"Violation of PRIMARY KEY constraint 'PK_MDIV'. Cannot insert duplicate key in object "
               u"'dbo.MDIV'. The duplicate key value is (1, 1)."_s
            << int(DbError::IntegrityViolation) << QString();
    }
    void serverRefusalsReported()
    {
        QFETCH(QString, statement);
        QFETCH(QString, serverText);
        QFETCH(int, kind);
        QFETCH(QString, shown);
        ShowDbError(DbError(static_cast<DbError::Kind>(kind), serverText, statement, u"3621"_s));
        if (shown.isEmpty()) {
            QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
            QVERIFY(Messages::last().text.contains(serverText));
        } else {
            COMPARE_LAST_MESSAGE(shown.section(u'|', 0, 0), shown.section(u'|', 1), Messages::Exclamation);
        }
    }

    // Another user's transaction holds what a write needs for longer than this session waits: the
    // write fails as busy and is told in words, without the engine's text or the statement; once
    // the other transaction ends it goes through.
    void busyReported_data() { addEngineRows(); }
    void busyReported()
    {
        DbConnection& conn = freshDatabase();
        ExecSql(conn, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('得意先', '', 1)"_s);
        const std::unique_ptr<DbConnection> other = m_db->connect();
        ShortenLockWait(conn, 200);
        const QString sql = u"UPDATE MCUSTOMER SET CMEMO = 'mine'"_s;
        {
            Transaction holding(*other);
            ExecSql(*other, u"UPDATE MCUSTOMER SET CMEMO = 'theirs'"_s);
            std::optional<DbError> busy;
            try {
                Transaction transaction(conn);
                ExecSql(conn, sql);
                transaction.commit();
            } catch (const DbError& e) {
                busy = e;
            }
            QVERIFY(busy);
            QCOMPARE(int(busy->kind()), int(DbError::Busy));
            ShowDbError(*busy);
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s,
                                 u"他の利用者が同じデータを更新しているため、処理できませんでした。\n"
                                 u"しばらくしてからもう一度お試しください。"_s,
                                 Messages::Exclamation);
            QVERIFY(!conn.inTransaction());
        }
        Transaction transaction(conn);
        ExecSql(conn, sql);
        transaction.commit();
        QCOMPARE(scalar(*other, u"SELECT MIN(CMEMO) AS V FROM MCUSTOMER"_s).toString(), u"mine"_s);
    }

    // A server that dropped the connection: a read goes through on the reopened connection; a
    // write in a transaction is reported as lost, asking to save again; a server that cannot be
    // reached is reported as such.
    void lostConnectionReported()
    {
        m_db = TestDatabase::create(Engine::PostgreSQL);
        m_conn = m_db->connect();
        const QString sql = u"SELECT COUNT(*) AS CNT FROM MCUSTOMER"_s;
        DropConnection(*m_conn);
        QVERIFY(!OpenRs(*m_conn, sql).eof());

        const auto report = [this](const std::function<void()>& work) {
            Messages::clearShown();
            std::optional<DbError> lost;
            try {
                work();
            } catch (const DbError& e) {
                lost = e;
            }
            QVERIFY(lost);
            ShowDbError(*lost);
            QCOMPARE(Messages::shown().size(), 1);
            QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
            QCOMPARE(int(Messages::last().icon), int(Messages::Exclamation));
        };
        report([this] {
            Transaction transaction(*m_conn);
            DropConnection(*m_conn);
            ExecSql(*m_conn, u"UPDATE MCUSTOMER SET CMEMO = 'x'"_s);
        });
        QCOMPARE(Messages::last().text,
                 u"データベースとの接続が切れました。再接続しました。もう一度保存してください。"_s);

        QSqlDatabase db = m_conn->database();
        db.setPort(1);
        DropConnection(*m_conn);
        report([this, &sql] { OpenRs(*m_conn, sql); });
        QVERIFY2(Messages::last().text.startsWith(
                     u"データベースとの接続が切れました。サーバに接続できません。\n"_s),
                 qPrintable(Messages::last().text));
    }

    void divisionCombos_data() { addEngineRows(); }
    void divisionCombos()
    {
        DbConnection& conn = freshDatabase();
        // Division 90 is the test's own: defaults twice, one without.
        for (const char* row : {"90, 3, 'c', 1, '1', 1.234", "90, 1, 'a', 2, NULL, 12345.678",
                                "90, 2, 'b', 2, '1', NULL", "91, 1, 'x', 1, '0', NULL"}) {
            ExecSql(conn, u"INSERT INTO MDIV (NDID,NVAL,CNAME,NSORT,CDEF,NCOEF) VALUES (%1)"_s.arg(
                              QLatin1String(row)));
        }
        // In NSORT, NVAL order; of two defaults the later one wins; without one nothing is chosen.
        QComboBox combo, none, chosen;
        FillDivCombo(conn, &combo, 90);
        QCOMPARE(combo.itemText(0) + combo.itemText(1) + combo.itemText(2), u"cab"_s);
        QCOMPARE(ComboKey(&combo), 2);
        FillDivCombo(conn, &none, 91);
        QCOMPARE(none.currentIndex(), -1);
        // Nothing chosen reads as code 1 (what a save then stores); a text no entry has as 0.
        QCOMPARE(ComboKey(&none), 1);
        QCOMPARE(ComboKey(&combo, u"b"_s), 2);
        QCOMPARE(ComboKey(&combo, u"z"_s), 0);
        FillDivCombo(conn, &chosen, 90, 1);
        QCOMPARE(chosen.currentText(), u"a"_s);

        // Choosing by code or text: an unknown one leaves the choice, a null code clears it.
        SelectComboByKey(&combo, 7);
        SelectComboByText(&combo, u"nothing"_s);
        QCOMPARE(combo.currentText(), u"b"_s);
        SelectComboByText(&combo, u"a"_s);
        QCOMPARE(ComboKey(&combo), 1);
        QCOMPARE(ComboKey(&combo, u"nothing"_s), 0);
        SelectComboByKey(&combo, QVariant());
        QCOMPARE(combo.currentIndex(), -1);
    }

    // The arrows of a list exchange the sort orders of two rows in one transaction.
    void swapSortOrder_data() { addEngineRows(); }
    void swapSortOrder()
    {
        DbConnection& conn = freshDatabase();
        QTreeWidget list;
        for (const auto& [name, sort] : {std::pair<const char*, int>{"A", 3}, {"B", 5}, {"C", 5}}) {
            ExecSql(conn,
                    u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (%1, '%2', '')"_s.arg(sort).arg(
                        QLatin1String(name)));
            SetItemKey(new QTreeWidgetItem(&list, QStringList{QLatin1String(name)}),
                       u"C%1"_s.arg(GetIdentity(conn, u"MCUSTOMER"_s)));
        }
        // A key past 32 bits cannot be read (one past 16 bits can: the master editors' tests).
        SetItemKey(new QTreeWidgetItem(&list, QStringList{u"D"_s}), u"C2147483648"_s);
        const auto swap = [&](int row, int offset) {
            list.clearSelection();
            list.topLevelItem(row)->setSelected(true);
            return SwapSortOrder(&list, offset, [&](int a, int b) {
                return MasterRepository(conn, CustomerTable()).exchangeOrder(a, b);
            });
        };
        const auto sorts = [&] {
            return columnValues(conn, u"SELECT NSORT AS V FROM MCUSTOMER ORDER BY CCUSTNAME"_s);
        };
        StatementLog log;
        QVERIFY(!swap(0, -1));
        QVERIFY(!swap(2, 1));
        QVERIFY(log.statements().isEmpty());
        QCOMPARE(Messages::last().title, u"キーエラー"_s);
        QVERIFY(Messages::last().text.contains(u"C2147483648"_s));

        QVERIFY(swap(0, 1));
        QCOMPARE(sorts(), (QStringList{"5", "3", "5"}));

        // A failing second update leaves both rows as they were and is reported.
        log.reset(2);
        QVERIFY(!swap(0, 1));
        QCOMPARE(sorts(), (QStringList{"5", "3", "5"}));
        COMPARE_LAST_MESSAGE(u"DBエラー"_s, u"injected failure\n"_s + log.failedStatement(),
                             Messages::Critical);
    }

private:
    // A fresh database with the schema and reference data on the engine of the test row.
    DbConnection& freshDatabase()
    {
        QFETCH(int, engine);
        m_db = TestDatabase::create(static_cast<Engine>(engine));
        m_conn = m_db->connect();
        return *m_conn;
    }

    std::unique_ptr<GuiTestEnvironment> m_env;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<DbConnection> m_conn;
};

QTEST_MAIN(TestDatabaseHelpers)
#include "test_database_helpers.moc"
