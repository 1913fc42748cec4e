#include "estimation/work_assignment.h"
#include "estimation_fixtures.h"
#include "foundation/help.h"

// frmCharge on the real widgets: free hours, the limits of a process's list, and what reaches
// the shared assignment table.
class TestWorkAssignment : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<AppState> m_state;
    int m_project = 0;

    std::unique_ptr<WorkAssignment> open(int process)
    {
        m_state->ChargeProc = process;
        auto dialog = std::make_unique<WorkAssignment>(*m_state);
        return dialog;
    }

    static void add(WorkAssignment& d, int member, const QString& hours)
    {
        pickCode(control<QComboBox>(&d, u"cmbMember"_s), member);
        setText(&d, u"txtHour"_s, hours);
        clickButton(&d, u"cmdChgAdd"_s);
    }

    static QTreeWidget* list(const WorkAssignment& d) { return control<QTreeWidget>(&d, u"lvwChList"_s); }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_db = TestDatabase::create(Engine::SQLite, true);
        m_state = m_db->makeState();
        m_project = AddAssignmentProject(*m_state->Conn);
        m_state->CurProject = m_project;
        m_state->CurPriKind = 1;
        m_state->CurFunction = 0;
        m_state->FuncEditMode = 0;
        m_state->chargeTable = ChargeTable{};
    }
    void cleanup()
    {
        m_state.reset();
        m_db.reset();
        m_env.reset();
    }

    void windowAndMembers()
    {
        auto d = open(1);
        QVERIFY(d->isReady());
        QCOMPARE(d->objectName(), u"frmCharge"_s);
        QCOMPARE(d->windowTitle(), u"担当入力"_s);
        QCOMPARE(Help::topic(d.get()), 54);
        auto* box = control<QComboBox>(d.get(), u"cmbMember"_s);
        QCOMPARE(box->count(), 11);
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(box->itemText(0), u"佐藤 健一"_s);
        QVERIFY(!control<QPushButton>(d.get(), u"cmdChgAdd"_s)->isEnabled());
        QVERIFY(!control<QPushButton>(d.get(), u"cmdChgUp"_s)->isEnabled());
        QCOMPARE(list(*d)->headerItem()->text(2), u"作業費単価"_s);
    }

    void freeHours_data()
    {
        addColumns<bool, QString>({"hourPolicy", "left"});
        QTest::newRow("indirect hours subtracted") << false << u"600"_s;
        QTest::newRow("indirect hours planned") << true << u"700"_s;
    }
    void freeHours()
    {
        QFETCH(bool, hourPolicy);
        QFETCH(QString, left);
        m_state->policy.Hour = hourPolicy;
        // 50 hours in another process of this function, already in the table.
        m_state->chargeTable[2][1] = {1, 3, u"高橋 翔"_s, 50, 7500};
        {
            auto d = open(2);
            pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 1);
            QCOMPARE(controlText(d.get(), u"lblLeft"_s), u"500"_s);
        }
        m_state->chargeTable[2][1] = ChargeSlot{};
        auto d = open(1);
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 3);
        // 1,000 hours on the project, 100 indirect, 300 in a counted function; the 50 of the
        // function on hold do not count.
        QCOMPARE(controlText(d.get(), u"lblLeft"_s), left);
        QVERIFY(control<QPushButton>(d.get(), u"cmdChgAdd"_s)->isEnabled());
        m_state->chargeTable[2][1] = {1, 3, u"高橋 翔"_s, 50, 7500};
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 1);
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 3);
        QCOMPARE(controlText(d.get(), u"lblLeft"_s), QString::number(left.toInt() - 50));
    }

    void editingTheFunctionLeavesItsOwnHoursOut()
    {
        // The counted function itself is being edited: its 300 hours are in the table, not
        // in the other functions' sum.
        m_state->CurFunction =
            scalar(*m_state->Conn, u"SELECT NFUNCTION AS V FROM TFUNCTION WHERE CSFUNC = '既存'"_s).toInt();
        m_state->chargeTable[1][1] = {1, 3, u"高橋 翔"_s, 300, 7500};
        auto d = open(1);
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 3);
        QCOMPARE(controlText(d.get(), u"lblLeft"_s), u"600"_s);
    }

    void addUpdateDeleteReachTheTable()
    {
        auto d = open(3);
        add(*d, 3, u"1,200"_s);
        add(*d, 1, QString());
        QCOMPARE(rowKeys(list(*d)), (QStringList{u"M0003"_s, u"M0001"_s}));
        QCOMPARE(list(*d)->topLevelItem(0)->text(1), u"1200"_s);
        QCOMPARE(list(*d)->topLevelItem(0)->text(2), u"7,500"_s);
        QCOMPARE(list(*d)->topLevelItem(1)->text(1), u"0"_s);
        const ChargeSlot& first = m_state->chargeTable[3][1];
        QCOMPARE(first.NADD, 1);
        QCOMPARE(first.NMEMBER, 3);
        QCOMPARE(first.NHOUR, 1200.0);
        QCOMPARE(first.NDPRI, 7500.0);
        QCOMPARE(m_state->chargeTable[3][2].NMEMBER, 1);
        QCOMPARE(m_state->chargeTable[3][2].NDPRI, 5500.0); // member 1 is a PG in this project
        QCOMPARE(m_state->chargeTable[3][3].NADD, 0);

        // A click on the row just added brings its member and hours back.
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 7);
        setText(d.get(), u"txtHour"_s, u"99"_s);
        clickRow(list(*d), 1);
        QCOMPARE(comboCode(d.get(), u"cmbMember"_s), 1);
        QCOMPARE(controlText(d.get(), u"txtHour"_s), u"0"_s);

        // Updating a row to a member another row has is refused; to its own member, accepted.
        list(*d)->setCurrentItem(list(*d)->topLevelItem(0));
        QCOMPARE(controlText(d.get(), u"txtHour"_s), u"1200"_s);
        list(*d)->setCurrentItem(list(*d)->topLevelItem(1));
        QCOMPARE(comboCode(d.get(), u"cmbMember"_s), 1);
        QCOMPARE(controlText(d.get(), u"txtHour"_s), u"0"_s);
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 3);
        Messages::clearShown();
        clickButton(d.get(), u"cmdChgUp"_s);
        QCOMPARE(Messages::last().title, u"重複エラー"_s);
        QCOMPARE(Messages::last().text, u"その人は既に登録されています。"_s);
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 1);
        setText(d.get(), u"txtHour"_s, u"16"_s);
        Messages::clearShown();
        clickButton(d.get(), u"cmdChgUp"_s);
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(m_state->chargeTable[3][2].NHOUR, 16.0);
        // ...and to a member nobody in the process has.
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 7);
        clickButton(d.get(), u"cmdChgUp"_s);
        QCOMPARE(rowKeys(list(*d)), (QStringList{u"M0003"_s, u"M0007"_s}));
        QCOMPARE(m_state->chargeTable[3][2].NMEMBER, 7);

        // Deleting the last rows leaves the process without assignments.
        clickButton(d.get(), u"cmdChgDel"_s);
        QVERIFY(!control<QPushButton>(d.get(), u"cmdChgDel"_s)->isEnabled());
        list(*d)->setCurrentItem(list(*d)->topLevelItem(0));
        clickButton(d.get(), u"cmdChgDel"_s);
        QCOMPARE(list(*d)->topLevelItemCount(), 0);
        QCOMPARE(m_state->chargeTable[3][1].NADD, 0);
        QCOMPARE(m_state->chargeTable[3][2].NADD, 0);
    }

    void tenMembersAtMost()
    {
        auto d = open(1);
        for (int member = 1; member <= 10; ++member) {
            add(*d, member, u"1"_s);
        }
        QCOMPARE(list(*d)->topLevelItemCount(), 10);
        QVERIFY(Messages::shown().isEmpty());
        add(*d, 11, u"1"_s);
        QCOMPARE(list(*d)->topLevelItemCount(), 10);
        QCOMPARE(Messages::last().title, u"定員オーバー"_s);
        QCOMPARE(Messages::last().text, u"担当として登録できるのは10人までです。\nこれ以上登録できません"_s);
        QCOMPARE(m_state->chargeTable[1][10].NADD, 10);
        QCOMPARE(m_state->chargeTable[1][11].NADD, 0);
    }

    void moveThenCancelKeepsTheOrder()
    {
        auto d = open(1);
        add(*d, 1, u"1"_s);
        add(*d, 2, u"2"_s);
        add(*d, 3, u"3"_s);
        list(*d)->setCurrentItem(list(*d)->topLevelItem(2));
        QVERIFY(control<QPushButton>(d.get(), u"cmdChUp"_s)->isEnabled());
        clickButton(d.get(), u"cmdChUp"_s);
        QCOMPARE(rowKeys(list(*d)), (QStringList{u"M0001"_s, u"M0003"_s, u"M0002"_s}));
        clickButton(d.get(), u"cmdCancel"_s);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(m_state->chargeTable[1][2].NMEMBER, 2);
        QCOMPARE(m_state->chargeTable[1][3].NMEMBER, 3);

        // Confirmed, the new order is taken.
        auto again = open(1);
        QCOMPARE(rowKeys(list(*again)), (QStringList{u"M0001"_s, u"M0002"_s, u"M0003"_s}));
        list(*again)->setCurrentItem(list(*again)->topLevelItem(0));
        clickButton(again.get(), u"cmdChDown"_s);
        clickButton(again.get(), u"cmdFix"_s);
        QCOMPARE(again->result(), int(QDialog::Accepted));
        QCOMPARE(m_state->chargeTable[1][1].NMEMBER, 2);
        QCOMPARE(m_state->chargeTable[1][2].NMEMBER, 1);
        QCOMPARE(m_state->chargeTable[1][2].NADD, 2);
    }

    void badHoursTextIsRefused()
    {
        auto d = open(1);
        pickCode(control<QComboBox>(d.get(), u"cmbMember"_s), 1);
        setText(d.get(), u"txtHour"_s, u"-"_s);
        clickButton(d.get(), u"cmdChgAdd"_s);
        QCOMPARE(Messages::last().text, u"作業時間の値が正しくありません。"_s);
        QCOMPARE(list(*d)->topLevelItemCount(), 0);
        QCOMPARE(m_state->chargeTable[1][1].NADD, 0);
    }

    void memberWithoutPriceCountsZero()
    {
        ExecSql(*m_state->Conn, u"DELETE MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 3"_s);
        auto d = open(1);
        add(*d, 3, u"10"_s);
        QCOMPARE(m_state->chargeTable[1][1].NDPRI, 0.0);
        QCOMPARE(list(*d)->topLevelItem(0)->text(2), u"0"_s);
    }

    void looksFinished()
    {
        m_state->chargeTable[1][1] = {1, 3, u"高橋 翔"_s, 40, 7500};
        m_state->chargeTable[1][2] = {2, 1, u"佐藤 健一"_s, 8, 5500};
        auto d = open(1);
        d->setProcessName(u"要件定義"_s);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        list(*d)->setCurrentItem(list(*d)->topLevelItem(0));
        QCOMPARE(controlText(d.get(), u"lblProc"_s), u"工程：要件定義"_s);
        checkCaptionsFit(d.get(), u"frmCharge"_s);
    }
};

QTEST_MAIN(TestWorkAssignment)
#include "test_work_assignment.moc"
