#include "estimation/work_assignment.h"
#include "estimation_fixtures.h"

namespace {

// A project of its own on the demo data, for assignment figures: members 3 (1,000 hours, 100
// of them indirect) and 7...11 added, one counted function giving member 3 300 hours and one
// function on hold giving it 50. Returns the project's key.
int addAssignmentProject(DbConnection& c)
{
    ExecSql(c, u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND) "
               u"VALUES (0, '割当検証', 1, 2, 1)"_s);
    const QString p = QString::number(GetIdentity(c, u"TPROJECT"_s));
    for (int i = 1; i <= 5; ++i) {
        const QString values = u"'追加%1', 4, 3500, %2"_s.arg(i).arg(10 + i);
        ExecSql(c, u"INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ("_s + values + u')');
    }
    // Members 1...11 at positions 1...11 with kind, price, hours and indirect hours; member 3 is an
    // SE (7,500 yen per hour under price kind 1), the others are PGs (5,500).
    for (int member = 1; member <= 11; ++member) {
        const QString values = member == 3 ? u"3, 0, 1000, 100"_s : u"4, 0, 500, 0"_s;
        ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, %2, %2, %3)"_s.arg(p).arg(member).arg(values));
    }
    const QString function =
        u"INSERT INTO TFUNCTION (NPROJECT, CVALID, CSFUNC, NLNG) VALUES (%1, %2, '%3', 1)"_s;
    for (const auto& [valid, title, hours] :
         {std::tuple{u"'1'"_s, u"既存"_s, 300}, {u"NULL"_s, u"保留中"_s, 50}}) {
        ExecSql(c, function.arg(p, valid, title));
        const int key = GetIdentity(c, u"TFUNCTION"_s);
        ExecSql(c, u"INSERT INTO TCHARGE VALUES (%1, %2, 1, 1, 3, %3)"_s.arg(p).arg(key).arg(hours));
    }
    return p.toInt();
}

} // namespace

// frmCharge on the real widgets: free hours, the limits of a process's list, and what reaches
// the shared assignment table.
class TestWorkAssignment : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<DemoSession> m_s;
    AppState* m_state = nullptr;

    // The state for the assignments of a process of a new function.
    AppState& process(int number)
    {
        m_state->ChargeProc = number;
        return *m_state;
    }

    static void pickMember(const WorkAssignment& d, int member)
    {
        pickCode(control<QComboBox>(&d, u"cmbMember"_s), member);
    }

    static void add(WorkAssignment& d, int member, const QString& hours)
    {
        pickMember(d, member);
        setText(&d, u"txtHour"_s, hours);
        clickButton(&d, u"cmdChgAdd"_s);
    }

    static QTreeWidget* list(const WorkAssignment& d) { return control<QTreeWidget>(&d, u"lvwChList"_s); }

    // "position:member=hours@unit price" of each slot of a process, up to the first empty one.
    QStringList assigned(int process) const
    {
        QStringList shown;
        for (int s = 1; s <= 10 && m_state->chargeTable[process][s].NADD != 0; ++s) {
            const ChargeSlot& slot = m_state->chargeTable[process][s];
            shown << u"%1:m%2=%3@%4"_s.arg(slot.NADD).arg(slot.NMEMBER).arg(slot.NHOUR).arg(slot.NDPRI);
        }
        return shown;
    }

private slots:
    void init()
    {
        m_s = std::make_unique<DemoSession>();
        m_state = m_s->state.get();
        m_state->CurProject = addAssignmentProject(m_s->conn());
        m_state->CurPriKind = 1;
    }
    void cleanup() { m_s.reset(); }

    // Member 3 has 1,000 hours on the project, 100 of them indirect, and 300 in a counted function;
    // the 50 of the function on hold do not count, those in the table do.
    void freeHours_data()
    {
        addColumns<bool, int>({"hourPolicy", "left"});
        QTest::newRow("indirect hours subtracted") << false << 600;
        QTest::newRow("indirect hours planned") << true << 700;
    }
    void freeHours()
    {
        QFETCH(bool, hourPolicy);
        QFETCH(int, left);
        m_state->policy.Hour = hourPolicy;
        const auto shownLeft = [&](int number, int member) {
            WorkAssignment d(process(number));
            pickMember(d, member);
            return controlText(&d, u"lblLeft"_s).toInt();
        };
        QCOMPARE(shownLeft(1, 3), left);
        // 50 hours in another process of this function, already in the table.
        m_state->chargeTable[2][1] = {1, 3, u"高橋 翔"_s, 50, 7500};
        QCOMPARE(shownLeft(1, 3), left - 50);
        QCOMPARE(shownLeft(2, 1), 500);
        // The counted function itself being edited: its 300 hours are in the table, not in the
        // other functions' sum.
        m_state->CurFunction =
            scalar(m_s->conn(), u"SELECT NFUNCTION AS V FROM TFUNCTION WHERE CSFUNC = '既存'"_s).toInt();
        m_state->chargeTable[1][1] = {1, 3, u"高橋 翔"_s, 300, 7500};
        QCOMPARE(shownLeft(1, 3), left - 50);
    }

    void addUpdateDeleteReachTheTable()
    {
        WorkAssignment d(process(3));
        add(d, 3, u"1,200"_s);
        add(d, 1, QString());
        QCOMPARE(rowKeys(list(d)), (QStringList{u"M0003"_s, u"M0001"_s}));
        QCOMPARE(assigned(3), (QStringList{u"1:m3=1200@7500"_s, u"2:m1=0@5500"_s})); // member 1 is a PG here

        // A click on the row just added brings its member and hours back.
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        pickMember(d, 7);
        setText(&d, u"txtHour"_s, u"99"_s);
        clickRow(list(d), 1);
        QCOMPARE(comboCode(&d, u"cmbMember"_s), 1);
        QCOMPARE(controlText(&d, u"txtHour"_s), u"0"_s);

        // Updating a row to a member another row has is refused; to its own member, accepted.
        pickMember(d, 3);
        clickButton(&d, u"cmdChgUp"_s);
        COMPARE_LAST_MESSAGE(u"重複エラー"_s, u"その人は既に登録されています。"_s, Messages::Exclamation);
        pickMember(d, 1);
        setText(&d, u"txtHour"_s, u"16"_s);
        clickButton(&d, u"cmdChgUp"_s);
        QCOMPARE(assigned(3), (QStringList{u"1:m3=1200@7500"_s, u"2:m1=16@5500"_s}));
        // ...and to a member nobody in the process has.
        pickMember(d, 7);
        clickButton(&d, u"cmdChgUp"_s);
        QCOMPARE(rowKeys(list(d)), (QStringList{u"M0003"_s, u"M0007"_s}));
        QCOMPARE(assigned(3), (QStringList{u"1:m3=1200@7500"_s, u"2:m7=16@5500"_s}));

        // Deleting the last rows leaves the process without assignments.
        clickButton(&d, u"cmdChgDel"_s);
        QVERIFY(!control<QPushButton>(&d, u"cmdChgDel"_s)->isEnabled());
        list(d)->setCurrentItem(list(d)->topLevelItem(0));
        clickButton(&d, u"cmdChgDel"_s);
        QCOMPARE(list(d)->topLevelItemCount(), 0);
        QCOMPARE(m_state->chargeTable[3][1].NADD, 0);
        QCOMPARE(m_state->chargeTable[3][2].NADD, 0);
    }

    // The window with the project's members; hours that are no whole number refused; ten members at
    // most.
    // Moves renumber the slots, but only once confirmed. Member 3's kind has no price here: it
    // counts 0.
    void membersLimitsAndMoves()
    {
        ExecSql(m_s->conn(), u"DELETE MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 3"_s);
        WorkAssignment d(process(1));
        QCOMPARE(d.windowTitle(), u"担当入力"_s);
        QCOMPARE(control<QComboBox>(&d, u"cmbMember"_s)->count(), 11);
        QVERIFY(!control<QPushButton>(&d, u"cmdChgAdd"_s)->isEnabled());
        // Hours are whole, as typing gives them: a pasted fraction would be priced in full but
        // counted as no planned hours.
        for (const QString& hours : {u"-"_s, u"1.5"_s}) {
            add(d, 1, hours);
            COMPARE_LAST_MESSAGE(u"入力確認"_s, u"作業時間の値が正しくありません。"_s, Messages::Information);
            QCOMPARE(m_state->chargeTable[1][1].NADD, 0);
        }
        for (int member = 1; member <= 11; ++member) {
            add(d, member, QString::number(member));
        }
        QCOMPARE(list(d)->topLevelItemCount(), 10);
        COMPARE_LAST_MESSAGE(u"定員オーバー"_s,
                             u"担当として登録できるのは10人までです。\nこれ以上登録できません"_s,
                             Messages::Exclamation);
        QCOMPARE(assigned(1).last(), u"10:m10=10@5500"_s);
        QCOMPARE(m_state->chargeTable[1][11].NADD, 0);

        list(d)->setCurrentItem(list(d)->topLevelItem(2));
        clickButton(&d, u"cmdChUp"_s);
        QCOMPARE(rowKeys(list(d)).mid(0, 3), (QStringList{u"M0001"_s, u"M0003"_s, u"M0002"_s}));
        QCOMPARE(list(d)->topLevelItem(1)->text(2), u"0"_s);
        clickButton(&d, u"cmdCancel"_s);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(assigned(1).mid(0, 3), (QStringList{u"1:m1=1@5500"_s, u"2:m2=2@5500"_s, u"3:m3=3@0"_s}));

        WorkAssignment again(process(1));
        list(again)->setCurrentItem(list(again)->topLevelItem(0));
        clickButton(&again, u"cmdChDown"_s);
        clickButton(&again, u"cmdFix"_s);
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(assigned(1).mid(0, 3), (QStringList{u"1:m2=2@5500"_s, u"2:m1=1@5500"_s, u"3:m3=3@0"_s}));
    }
};

QTEST_MAIN(TestWorkAssignment)
#include "test_work_assignment.moc"
