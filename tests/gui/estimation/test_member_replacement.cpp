#include "estimation/member_replacement.h"
#include "estimation_fixtures.h"

namespace {

// Project 1 has the members 1 (佐藤), 2 (鈴木) and 3 (高橋) and two functions; project 2 has
// member 1 only. Member 1 is to be released in favour of member 2:
//   function 1, process 2: member 1 8 h beside member 2 5 h   (merge: member 2 13 h)
//   function 1, process 3: member 1 4 h alone                   (moves, keeps position 1)
//   function 2, process 2: member 3 6 h, member 1 2.5 h         (moves, keeps position 2)
//   project 2: member 1 7 h                                     (untouched)
void seed(DbConnection& c)
{
    const auto insert = [&](const QString& into, const QStringList& rows) {
        for (const QString& values : rows) {
            ExecSql(c, u"INSERT INTO "_s + into + u" VALUES ("_s + values + u')');
        }
    };
    insert(u"MCUSTOMER (CCUSTNAME, NSORT)"_s, {"'顧客', 1"});
    insert(u"TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND)"_s,
           {"0, '一', 1, 1, 1", "0, '二', 1, 1, 1"});
    insert(u"TFUNCTION (NPROJECT, CSFUNC, NLNG)"_s, {"1, 'A', 1", "1, 'B', 1", "2, 'C', 1"});
    insert(u"MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT)"_s,
           {"'佐藤', 1, 6500, 1", "'鈴木', 3, 4800, 2", "'高橋', 4, 3500, 3"});
    insert(u"TMEMBER"_s, {"1, 1, 1, 1, 6500, 100, 0", "1, 2, 2, 3, 4800, 100, 0", "1, 3, 3, 4, 3500, 100, 0",
                          "2, 1, 1, 1, 6500, 100, 0"});
    insert(u"TCHARGE"_s, {"1, 1, 2, 1, 1, 8", "1, 1, 2, 2, 2, 5", "1, 1, 3, 1, 1, 4", "1, 2, 2, 1, 3, 6",
                          "1, 2, 2, 2, 1, 2.5", "2, 3, 1, 1, 1, 7"});
}

// "project/function/process/position member=hours" for every assignment, in key order.
QStringList assignments(DbConnection& c)
{
    QStringList rows;
    for (Recordset rs = OpenRs(c, u"SELECT * FROM TCHARGE ORDER BY NPROJECT, NFUNCTION, NPROC, NADD"_s);
         !rs.eof(); rs.moveNext()) {
        rows << u"%1/%2/%3/%4 m%5=%6"_s.arg(rs.field(u"NPROJECT"_s).toInt())
                    .arg(rs.field(u"NFUNCTION"_s).toInt())
                    .arg(rs.field(u"NPROC"_s).toInt())
                    .arg(rs.field(u"NADD"_s).toInt())
                    .arg(rs.field(u"NMEMBER"_s).toInt())
                    .arg(rs.field(u"NHOUR"_s).toDouble());
    }
    return rows;
}

const QStringList kBefore{"1/1/2/1 m1=8", "1/1/2/2 m2=5",   "1/1/3/1 m1=4",
                          "1/2/2/1 m3=6", "1/2/2/2 m1=2.5", "2/3/1/1 m1=7"};
const QStringList kAfter{"1/1/2/2 m2=13", "1/1/3/1 m2=4", "1/2/2/1 m3=6", "1/2/2/2 m2=2.5", "2/3/1/1 m1=7"};

} // namespace

class TestMemberReplacement : public QObject {
    Q_OBJECT
private slots:
    // The merge rule, written on a connection of its own: hours added where the new member already
    // works on the process, the row moved otherwise, at its position; other projects untouched.
    // The dialog refuses the same member twice. Whatever statement fails, it reports it and no
    // assignment changes; nothing is left locked, so the next run goes through. A project with a
    // single member cannot use it.
    void dialogReplacesOrChangesNothing_data()
    {
        addColumns<int, QString>({"engine", "failing"});
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = engine == Engine::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s/second lookup", name)
                << int(engine) << u"NFUNCTION = 1 AND NPROC = 3 AND NMEMBER = 2"_s;
            QTest::addRow("%s/second update", name) << int(engine) << u"UPDATE TCHARGE SET NMEMBER = 2"_s;
            QTest::addRow("%s/last update", name)
                << int(engine) << u"NFUNCTION = 2 AND NPROC = 2 AND NMEMBER = 1"_s;
            QTest::addRow("%s/final delete", name) << int(engine) << u"DELETE TCHARGE"_s;
        }
    }
    void dialogReplacesOrChangesNothing()
    {
        FETCH_ENGINE();
        QFETCH(QString, failing);
        GuiTestEnvironment env;
        auto db = TestDatabase::create(dbEngine);
        auto state = db->makeState();
        seed(*state->Conn);
        QCOMPARE(ReplaceMember(*state->Conn, 1, 1, 1), ReplacementResult::NothingToReplace);
        state->CurProject = 1;
        MemberReplacementDialog dialog(*state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), u"メンバ入替え"_s);
        // Both on the first member at first: the same member twice is refused.
        clickButton(&dialog, u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"メンバ重複"_s,
                             u"同じメンバが指定されています。\nメンバの指定を確認してください。"_s,
                             Messages::Information);

        control<QComboBox>(&dialog, u"cmbMembDis"_s)->setCurrentIndex(1);
        {
            StatementLog log;
            log.failOn(failing, true);
            Messages::clearShown();
            clickButton(&dialog, u"cmdOK"_s);
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"injected failure\n"_s + log.failedStatement(),
                                 Messages::Critical);
            QVERIFY(!log.connections().contains(state->Conn.get()));
        }
        QVERIFY(!state->Updated);
        QCOMPARE(assignments(*state->Conn), kBefore);

        clickButton(&dialog, u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"完了"_s, u"処理が完了しました。"_s, Messages::Information);
        QVERIFY(state->Updated);
        QCOMPARE(assignments(*state->Conn), kAfter);
        QCOMPARE(rowCount(*state->Conn, u"TMEMBER"_s, u"NPROJECT = 1 AND NMEMBER = 1"_s), 1);
        QVERIFY(dialog.isVisible());
        state->Updated = false;
        clickButton(&dialog, u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"対象なし"_s, u"処理する対象がありませんでした。"_s, Messages::Information);
        QVERIFY(!state->Updated);
        clickButton(&dialog, u"cmbCancel"_s);
        QVERIFY(!dialog.isVisible());

        // Project 2 has a single member: nothing to replace it with.
        state->CurProject = 2;
        Messages::clearShown();
        MemberReplacementDialog single(*state);
        COMPARE_LAST_MESSAGE(u"メンバ不足"_s, u"メンバが１人以下しかいませんのでこの機能は使えません。"_s,
                             Messages::Information);
        QVERIFY(!control<QPushButton>(&single, u"cmdOK"_s)->isEnabled());
        QCOMPARE(control<QComboBox>(&single, u"cmbMembSrc"_s)->count(), 1);
    }
};

QTEST_MAIN(TestMemberReplacement)
#include "test_member_replacement.moc"
