#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "foundation/project_rows.h"
#include "gui_helpers.h"
#include "test_support.h"

#include <QTreeWidget>

namespace {

QTreeWidgetItem* addRow(QTreeWidget& list, const QString& key, const QString& text,
                        const QString& sub = QString())
{
    auto* item = new QTreeWidgetItem(&list, QStringList{text, sub});
    SetItemKey(item, key);
    return item;
}

// Rows of two projects, each with two functions, in every table a project owns.
void seedTwoProjects(DbConnection& conn)
{
    for (int p = 1; p <= 2; ++p) {
        for (int f = 1; f <= 2; ++f) {
            const QString pf = u"%1, %2"_s.arg(p).arg(p * 10 + f);
            ExecSql(conn, u"INSERT INTO TCOCOMO VALUES (%1, 1, 1, 2)"_s.arg(pf));
            ExecSql(conn, u"INSERT INTO TFPADJ VALUES (%1, 1, 2)"_s.arg(pf));
            ExecSql(conn, u"INSERT INTO TFP VALUES (%1, 1, 'fp', 1, 2)"_s.arg(pf));
            ExecSql(
                conn,
                QStringLiteral(
                    "INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (%1, 1, 8, 5000)")
                    .arg(pf));
            ExecSql(conn, u"INSERT INTO TDATE VALUES (%1, 1, Convert(DateTime,'2003/04/15',111))"_s.arg(pf));
        }
        ExecSql(conn, u"INSERT INTO TEXPENSE VALUES (%1, 1, NULL, 0, 100, 1, 0, 100)"_s.arg(p));
        ExecSql(conn, u"INSERT INTO TDELIV VALUES (%1, 1, 1, '1', '0', NULL, 0)"_s.arg(p));
        ExecSql(conn, u"INSERT INTO TCONTRACT VALUES (%1, 1, 1, NULL, '', 0)"_s.arg(p));
        ExecSql(conn, u"INSERT INTO TDATE VALUES (%1, 0, 1, Convert(DateTime,'2003/04/15',111))"_s.arg(p));
        ExecSql(conn, u"INSERT INTO TMEMBER VALUES (%1, 1, NULL, 1, 5000, 100, 0)"_s.arg(p));
    }
}

int ownedRows(DbConnection& conn, const QString& where)
{
    int total = 0;
    for (const char* table : {"TCOCOMO", "TFPADJ", "TFP", "TCHARGE", "THOUR", "TFUNCTION", "TEXPENSE",
                              "TDELIV", "TCONTRACT", "TDATE", "TMEMBER", "TPROJECT"}) {
        total += rowCount(conn, QLatin1String(table), where);
    }
    return total;
}

} // namespace

class TestListHelpers : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void keyNumbers()
    {
        int n = 0;
        QVERIFY(KeyNumber(u"C12"_s, &n));
        QCOMPARE(n, 12);
        QVERIFY(KeyNumber(u"M0007"_s, &n));
        QCOMPARE(n, 7);
        QVERIFY(Messages::shown().isEmpty());
        n = -1;
        QVERIFY(!KeyNumber(u"F40000"_s, &n));
        QCOMPARE(n, -1);
        QCOMPARE(Messages::shown().size(), 1);
        QVERIFY(Messages::last().text.contains(u"F40000"_s));
    }

    void columnWidths()
    {
        QTreeWidget list;
        QCOMPARE(ColumnWidthOr(&list, 1, 1800), 1800);
        list.setColumnCount(3);
        list.setColumnWidth(1, 100);
        QCOMPARE(ColumnWidthOr(&list, 1, 1800), 1500);
        QCOMPARE(ColumnWidthOr(&list, 3, 900), 900);
    }

    void swapSortOrder_data() { addEngineRows(); }
    void swapSortOrder()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        QTreeWidget list;
        for (const auto& [name, sort] : {std::pair<const char*, int>{"A", 3}, {"B", 5}, {"C", 5}}) {
            ExecSql(*conn,
                    u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (%1, '%2', '')"_s.arg(sort).arg(
                        QLatin1String(name)));
            addRow(list, u"C%1"_s.arg(GetIdentity(*conn, u"MCUSTOMER"_s)), QLatin1String(name));
        }
        const auto sortOf = [&](const char* name) {
            return scalar(*conn, u"SELECT NSORT AS V FROM MCUSTOMER WHERE CCUSTNAME = '%1'"_s.arg(
                                     QLatin1String(name)))
                .toInt();
        };
        QStringList statements;
        DbConnection::setStatementHook(
            [&statements](const DbConnection&, const QString& sql) { statements << sql; });

        list.topLevelItem(0)->setSelected(true);
        QVERIFY(!SwapSortOrder(*conn, &list, -1, u"MCUSTOMER"_s, u"NCUSTOMER"_s));
        QVERIFY(statements.isEmpty());

        // Equal orders exchange equal values: nothing changes in the database.
        list.clearSelection();
        list.topLevelItem(1)->setSelected(true);
        QVERIFY(SwapSortOrder(*conn, &list, 1, u"MCUSTOMER"_s, u"NCUSTOMER"_s));
        QCOMPARE(sortOf("B"), 5);
        QCOMPARE(sortOf("C"), 5);
        QVERIFY(statements.first().startsWith(
            u"SELECT NSORT, NCUSTOMER AS NKEY FROM MCUSTOMER WHERE NCUSTOMER IN ("_s));

        list.clearSelection();
        list.topLevelItem(0)->setSelected(true);
        QVERIFY(SwapSortOrder(*conn, &list, 1, u"MCUSTOMER"_s, u"NCUSTOMER"_s));
        QCOMPARE(sortOf("A"), 5);
        QCOMPARE(sortOf("B"), 3);

        // A failing update leaves both rows as they were and is reported.
        DbConnection::setStatementHook([](const DbConnection&, const QString& sql) {
            if (sql.startsWith(u"UPDATE"_s) && sql.contains(u"NSORT = 5"_s)) {
                throw DbError(DbError::Other, u"injected"_s);
            }
        });
        list.clearSelection();
        list.topLevelItem(0)->setSelected(true);
        QVERIFY(!SwapSortOrder(*conn, &list, 1, u"MCUSTOMER"_s, u"NCUSTOMER"_s));
        QCOMPARE(sortOf("A"), 5);
        QCOMPARE(sortOf("B"), 3);
        QCOMPARE(Messages::last().title, u"DBエラー"_s);
        QCOMPARE(Messages::last().icon, Messages::Critical);
        QVERIFY(Messages::last().text.startsWith(
            u"injected\nUPDATE MCUSTOMER SET NSORT = 5 WHERE NCUSTOMER = "_s));
    }

    void deleteProjectRows_data() { addEngineRows(); }
    void deleteProjectRows()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        seedTwoProjects(*conn);
        const int before = ownedRows(*conn, QString());
        QStringList statements;
        DbConnection::setStatementHook(
            [&statements](const DbConnection&, const QString& sql) { statements << sql; });
        {
            Transaction transaction(*conn);
            DeleteProjectRows(*conn, 1, 12);
            transaction.commit();
        }
        QCOMPARE(statements, (QStringList{"DELETE TCOCOMO WHERE NPROJECT = 1 AND NFUNCTION = 12",
                                          "DELETE TFPADJ WHERE NPROJECT = 1 AND NFUNCTION = 12",
                                          "DELETE TFP WHERE NPROJECT = 1 AND NFUNCTION = 12",
                                          "DELETE TCHARGE WHERE NPROJECT = 1 AND NFUNCTION = 12",
                                          "DELETE THOUR WHERE NPROJECT = 1 AND NFUNCTION = 12",
                                          "DELETE TFUNCTION WHERE NPROJECT = 1 AND NFUNCTION = 12"}));
        // Four function rows went (TCOCOMO, TFPADJ, TFP, THOUR); the function's own TDATE row stays.
        QCOMPARE(ownedRows(*conn, QString()), before - 4);
        QCOMPARE(rowCount(*conn, u"TDATE"_s, u"NPROJECT = 1"_s), 3);
        QCOMPARE(rowCount(*conn, u"TFP"_s, u"NPROJECT = 1"_s), 1);

        // The whole project, inside a transaction that is then rolled back: nothing is lost.
        {
            Transaction transaction(*conn);
            DeleteProjectRows(*conn, 1, 0);
            QCOMPARE(ownedRows(*conn, u"NPROJECT = 1"_s), 0);
        }
        QVERIFY(ownedRows(*conn, u"NPROJECT = 1"_s) > 0);
        statements.clear();
        {
            Transaction transaction(*conn);
            DeleteProjectRows(*conn, 1, 0);
            transaction.commit();
        }
        QCOMPARE(statements.mid(6),
                 (QStringList{"DELETE TEXPENSE WHERE NPROJECT = 1", "DELETE TDELIV WHERE NPROJECT = 1",
                              "DELETE TCONTRACT WHERE NPROJECT = 1", "DELETE TDATE WHERE NPROJECT = 1",
                              "DELETE TMEMBER WHERE NPROJECT = 1", "DELETE TPROJECT WHERE NPROJECT = 1"}));
        QCOMPARE(ownedRows(*conn, u"NPROJECT = 1"_s), 0);
        QCOMPARE(ownedRows(*conn, u"NPROJECT = 2"_s), before / 2);
    }

    void childProjectIds_data() { addEngineRows(); }
    void childProjectIds()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        ExecSql(*conn, u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (1, 'c', '')"_s);
        // 1 ─ 2 ─ 4, 1 ─ 3; 5 alone.
        const int parents[] = {0, 1, 1, 2, 0};
        for (const int parent : parents) {
            ExecSql(*conn, QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, "
                                          "NPRIKIND) VALUES (%1, 'p', 1, 1, 1)")
                               .arg(parent));
        }
        QCOMPARE(ChildProjectIds(*conn, 1), u", 2, 4, 3"_s);
        QCOMPARE(ChildProjectIds(*conn, 2), u", 4"_s);
        QCOMPARE(ChildProjectIds(*conn, 5), QString());
        // A loop made outside the program ends instead of recursing for ever.
        ExecSql(*conn, u"UPDATE TPROJECT SET NPARPROJ = 4 WHERE NPROJECT = 1"_s);
        QCOMPARE(ChildProjectIds(*conn, 1), u", 2, 4, 3"_s);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestListHelpers)
#include "test_list_helpers.moc"
