#include "estimation/work_assignment.h"
#include "estimation_fixtures.h"
#include "foundation/help.h"

#include <QDir>

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
        pickCode(control<QComboBox>(&d, QStringLiteral("cmbMember")), member);
        control<QLineEdit>(&d, QStringLiteral("txtHour"))->setText(hours);
        clickButton(&d, QStringLiteral("cmdChgAdd"));
    }

    static QTreeWidget* list(const WorkAssignment& d)
    {
        return control<QTreeWidget>(&d, QStringLiteral("lvwChList"));
    }

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
        QCOMPARE(d->objectName(), QStringLiteral("frmCharge"));
        QCOMPARE(d->windowTitle(), QStringLiteral("担当入力"));
        QCOMPARE(Help::topic(d.get()), 54);
        auto* box = control<QComboBox>(d.get(), QStringLiteral("cmbMember"));
        QCOMPARE(box->count(), 11);
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(box->itemText(0), QStringLiteral("佐藤 健一"));
        QVERIFY(!control<QPushButton>(d.get(), QStringLiteral("cmdChgAdd"))->isEnabled());
        QVERIFY(!control<QPushButton>(d.get(), QStringLiteral("cmdChgUp"))->isEnabled());
        QCOMPARE(list(*d)->headerItem()->text(2), QStringLiteral("作業費単価"));
    }

    void freeHours_data()
    {
        QTest::addColumn<bool>("hourPolicy");
        QTest::addColumn<QString>("left");
        QTest::newRow("indirect hours subtracted") << false << QStringLiteral("600");
        QTest::newRow("indirect hours planned") << true << QStringLiteral("700");
    }
    void freeHours()
    {
        QFETCH(bool, hourPolicy);
        QFETCH(QString, left);
        m_state->policy.Hour = hourPolicy;
        // 50 hours in another process of this function, already in the table.
        m_state->chargeTable[2][1] = {1, 3, QStringLiteral("高橋 翔"), 50, 7500};
        {
            auto d = open(2);
            pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 1);
            QCOMPARE(controlText(d.get(), QStringLiteral("lblLeft")), QStringLiteral("500"));
        }
        m_state->chargeTable[2][1] = ChargeSlot{};
        auto d = open(1);
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 3);
        // 1,000 hours on the project, 100 indirect, 300 in a counted function; the 50 of the
        // function on hold do not count.
        QCOMPARE(controlText(d.get(), QStringLiteral("lblLeft")), left);
        QVERIFY(control<QPushButton>(d.get(), QStringLiteral("cmdChgAdd"))->isEnabled());
        m_state->chargeTable[2][1] = {1, 3, QStringLiteral("高橋 翔"), 50, 7500};
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 1);
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 3);
        QCOMPARE(controlText(d.get(), QStringLiteral("lblLeft")), QString::number(left.toInt() - 50));
    }

    void editingTheFunctionLeavesItsOwnHoursOut()
    {
        // The counted function itself is being edited: its 300 hours are in the table, not
        // in the other functions' sum.
        m_state->CurFunction =
            scalar(*m_state->Conn,
                   QStringLiteral("SELECT NFUNCTION AS V FROM TFUNCTION WHERE CSFUNC = '既存'"))
                .toInt();
        m_state->chargeTable[1][1] = {1, 3, QStringLiteral("高橋 翔"), 300, 7500};
        auto d = open(1);
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 3);
        QCOMPARE(controlText(d.get(), QStringLiteral("lblLeft")), QStringLiteral("600"));
    }

    void addUpdateDeleteReachTheTable()
    {
        auto d = open(3);
        add(*d, 3, QStringLiteral("1,200"));
        add(*d, 1, QString());
        QCOMPARE(rowKeys(list(*d)), (QStringList{QStringLiteral("M0003"), QStringLiteral("M0001")}));
        QCOMPARE(list(*d)->topLevelItem(0)->text(1), QStringLiteral("1200"));
        QCOMPARE(list(*d)->topLevelItem(0)->text(2), QStringLiteral("7,500"));
        QCOMPARE(list(*d)->topLevelItem(1)->text(1), QStringLiteral("0"));
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
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 7);
        control<QLineEdit>(d.get(), QStringLiteral("txtHour"))->setText(QStringLiteral("99"));
        clickRow(list(*d), 1);
        QCOMPARE(control<QComboBox>(d.get(), QStringLiteral("cmbMember"))->currentData().toInt(), 1);
        QCOMPARE(controlText(d.get(), QStringLiteral("txtHour")), QStringLiteral("0"));

        // Updating a row to a member another row has is refused; to its own member, accepted.
        list(*d)->setCurrentItem(list(*d)->topLevelItem(0));
        QCOMPARE(controlText(d.get(), QStringLiteral("txtHour")), QStringLiteral("1200"));
        list(*d)->setCurrentItem(list(*d)->topLevelItem(1));
        QCOMPARE(control<QComboBox>(d.get(), QStringLiteral("cmbMember"))->currentData().toInt(), 1);
        QCOMPARE(controlText(d.get(), QStringLiteral("txtHour")), QStringLiteral("0"));
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 3);
        Messages::clearShown();
        clickButton(d.get(), QStringLiteral("cmdChgUp"));
        QCOMPARE(Messages::last().title, QStringLiteral("重複エラー"));
        QCOMPARE(Messages::last().text, QStringLiteral("その人は既に登録されています。"));
        QCOMPARE(Messages::last().icon, Messages::Exclamation);
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 1);
        control<QLineEdit>(d.get(), QStringLiteral("txtHour"))->setText(QStringLiteral("16"));
        Messages::clearShown();
        clickButton(d.get(), QStringLiteral("cmdChgUp"));
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(m_state->chargeTable[3][2].NHOUR, 16.0);
        // ...and to a member nobody in the process has.
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 7);
        clickButton(d.get(), QStringLiteral("cmdChgUp"));
        QCOMPARE(rowKeys(list(*d)), (QStringList{QStringLiteral("M0003"), QStringLiteral("M0007")}));
        QCOMPARE(m_state->chargeTable[3][2].NMEMBER, 7);

        // Deleting the last rows leaves the process without assignments.
        clickButton(d.get(), QStringLiteral("cmdChgDel"));
        QVERIFY(!control<QPushButton>(d.get(), QStringLiteral("cmdChgDel"))->isEnabled());
        list(*d)->setCurrentItem(list(*d)->topLevelItem(0));
        clickButton(d.get(), QStringLiteral("cmdChgDel"));
        QCOMPARE(list(*d)->topLevelItemCount(), 0);
        QCOMPARE(m_state->chargeTable[3][1].NADD, 0);
        QCOMPARE(m_state->chargeTable[3][2].NADD, 0);
    }

    void tenMembersAtMost()
    {
        auto d = open(1);
        for (int member = 1; member <= 10; ++member) {
            add(*d, member, QStringLiteral("1"));
        }
        QCOMPARE(list(*d)->topLevelItemCount(), 10);
        QVERIFY(Messages::shown().isEmpty());
        add(*d, 11, QStringLiteral("1"));
        QCOMPARE(list(*d)->topLevelItemCount(), 10);
        QCOMPARE(Messages::last().title, QStringLiteral("定員オーバー"));
        QCOMPARE(Messages::last().text,
                 QStringLiteral("担当として登録できるのは10人までです。\nこれ以上登録できません"));
        QCOMPARE(m_state->chargeTable[1][10].NADD, 10);
        QCOMPARE(m_state->chargeTable[1][11].NADD, 0);
    }

    void moveThenCancelKeepsTheOrder()
    {
        auto d = open(1);
        add(*d, 1, QStringLiteral("1"));
        add(*d, 2, QStringLiteral("2"));
        add(*d, 3, QStringLiteral("3"));
        list(*d)->setCurrentItem(list(*d)->topLevelItem(2));
        QVERIFY(control<QPushButton>(d.get(), QStringLiteral("cmdChUp"))->isEnabled());
        clickButton(d.get(), QStringLiteral("cmdChUp"));
        QCOMPARE(rowKeys(list(*d)),
                 (QStringList{QStringLiteral("M0001"), QStringLiteral("M0003"), QStringLiteral("M0002")}));
        clickButton(d.get(), QStringLiteral("cmdCancel"));
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(m_state->chargeTable[1][2].NMEMBER, 2);
        QCOMPARE(m_state->chargeTable[1][3].NMEMBER, 3);

        // Confirmed, the new order is taken.
        auto again = open(1);
        QCOMPARE(rowKeys(list(*again)),
                 (QStringList{QStringLiteral("M0001"), QStringLiteral("M0002"), QStringLiteral("M0003")}));
        list(*again)->setCurrentItem(list(*again)->topLevelItem(0));
        clickButton(again.get(), QStringLiteral("cmdChDown"));
        clickButton(again.get(), QStringLiteral("cmdFix"));
        QCOMPARE(again->result(), int(QDialog::Accepted));
        QCOMPARE(m_state->chargeTable[1][1].NMEMBER, 2);
        QCOMPARE(m_state->chargeTable[1][2].NMEMBER, 1);
        QCOMPARE(m_state->chargeTable[1][2].NADD, 2);
    }

    void badHoursTextIsRefused()
    {
        auto d = open(1);
        pickCode(control<QComboBox>(d.get(), QStringLiteral("cmbMember")), 1);
        control<QLineEdit>(d.get(), QStringLiteral("txtHour"))->setText(QStringLiteral("-"));
        clickButton(d.get(), QStringLiteral("cmdChgAdd"));
        QCOMPARE(Messages::last().text, QStringLiteral("作業時間の値が正しくありません。"));
        QCOMPARE(list(*d)->topLevelItemCount(), 0);
        QCOMPARE(m_state->chargeTable[1][1].NADD, 0);
    }

    void memberWithoutPriceCountsZero()
    {
        ExecSql(*m_state->Conn,
                QStringLiteral("DELETE MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 3"));
        auto d = open(1);
        add(*d, 3, QStringLiteral("10"));
        QCOMPARE(m_state->chargeTable[1][1].NDPRI, 0.0);
        QCOMPARE(list(*d)->topLevelItem(0)->text(2), QStringLiteral("0"));
    }

    void looksFinished()
    {
        m_state->chargeTable[1][1] = {1, 3, QStringLiteral("高橋 翔"), 40, 7500};
        m_state->chargeTable[1][2] = {2, 1, QStringLiteral("佐藤 健一"), 8, 5500};
        auto d = open(1);
        d->setProcessName(QStringLiteral("要件定義"));
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        list(*d)->setCurrentItem(list(*d)->topLevelItem(0));
        for (QWidget* w : d->findChildren<QWidget*>()) {
            if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w))) {
                QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
            }
        }
        QCOMPARE(controlText(d.get(), QStringLiteral("lblProc")), QStringLiteral("工程：要件定義"));
        const QString folder = qEnvironmentVariable("VORNA_SCREENSHOTS");
        if (!folder.isEmpty()) {
            d->grab().save(QDir(folder).filePath(QStringLiteral("frmCharge.png")));
        }
    }
};

QTEST_MAIN(TestWorkAssignment)
#include "test_work_assignment.moc"
