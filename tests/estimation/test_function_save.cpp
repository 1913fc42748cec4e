#include "estimation/function_editor.h"
#include "estimation_fixtures.h"

#include <QCheckBox>
#include <QPlainTextEdit>

namespace {

const QString kHostileTitle = QStringLiteral("O'Brien'); DELETE TFP WHERE 1=1;--");

// What the user types into a new function in process mode.
void typeNewFunction(FunctionEditor& e)
{
    control<QLineEdit>(&e, QStringLiteral("txtSFunc"))->setText(kHostileTitle);
    control<QPlainTextEdit>(&e, QStringLiteral("txtLFunc"))->setPlainText(QStringLiteral("説明の'文'"));
    pickCode(control<QComboBox>(&e, QStringLiteral("cmbImp")), 3); // 重要 1.10
    pickCode(control<QComboBox>(&e, QStringLiteral("cmbCoCost_0")), 4);
    control<QComboBox>(&e, QStringLiteral("cmbFpAdj_13"))->setCurrentIndex(5);
    control<QLineEdit>(&e, QStringLiteral("txtHour_0"))->setText(QStringLiteral("10"));
    control<QLineEdit>(&e, QStringLiteral("txtHour_3"))->setText(QStringLiteral("100"));
    const QStringList titles = {QStringLiteral("顧客ファイル"), QStringLiteral("消す行"),
                                QStringLiteral("登録画面")};
    const int kinds[] = {1, 2, 3};
    for (int i = 0; i < 3; ++i) {
        control<QLineEdit>(&e, QStringLiteral("txtFpTitle"))->setText(titles[i]);
        pickCode(control<QComboBox>(&e, QStringLiteral("cmbFpKind")), kinds[i]);
        clickButton(&e, QStringLiteral("cmdFpAdd"));
    }
    auto* list = control<QTreeWidget>(&e, QStringLiteral("lvwFpList"));
    list->setCurrentItem(list->topLevelItem(1));
    clickButton(&e, QStringLiteral("cmdFpDel"));
}

// Fails the statement number `failAt` (from 0) that runs after it is installed.
struct FailingHook {
    int failAt = -1;
    int seen = 0;
    QStringList statements;
    void install()
    {
        DbConnection::setStatementHook([this](const DbConnection&, const QString& sql) {
            statements << sql;
            if (seen++ == failAt) {
                throw DbError(DbError::Other, QStringLiteral("注入した障害"), sql);
            }
        });
    }
};

} // namespace

// Saving and deleting a function through the real editor, on both engines, with a failure
// injected at every statement of each save.
class TestFunctionSave : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<AppState> m_state;

    void start(Engine engine)
    {
        m_db = TestDatabase::create(engine, true);
        m_state = m_db->makeState();
    }

    void open(int function, bool charge)
    {
        m_state->CurProject = 2;
        m_state->CurPriKind = 1;
        m_state->CurFunction = function;
        m_state->FuncEditMode = function == 0 ? 0 : 1;
        m_state->policy.Charge = charge;
        m_state->Updated = false;
    }

    DbConnection& conn() { return *m_state->Conn; }

    QVariant value(const QString& sql) { return scalar(conn(), sql); }

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup()
    {
        DbConnection::setStatementHook(nullptr);
        m_state.reset();
        m_db.reset();
        m_env.reset();
    }

    void newFunctionWritesEveryRow_data() { addEngineRows(); }
    void newFunctionWritesEveryRow()
    {
        FETCH_ENGINE();
        start(dbEngine);
        open(0, false);
        FunctionEditor e(*m_state);
        typeNewFunction(e);
        QCOMPARE(controlText(&e, QStringLiteral("lvlPriAll")), QStringLiteral("759,000"));
        FailingHook hook;
        hook.install();
        clickButton(&e, QStringLiteral("cmdOK"));
        DbConnection::setStatementHook(nullptr);

        QCOMPARE(e.result(), int(QDialog::Accepted));
        QVERIFY(m_state->Updated);
        const int f = m_state->CurFunction;
        QCOMPARE(f, value(QStringLiteral("SELECT MAX(NFUNCTION) AS V FROM TFUNCTION")).toInt());
        QVERIFY(f > 5);
        const QString fn = QString::number(f);
        const QString where = QStringLiteral("NPROJECT = 2 AND NFUNCTION = ") + fn;

        // The statements, in order, as written.
        QStringList expected;
        expected << QStringLiteral(
                        "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, "
                        "CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES(2, '1', 1, 3, 2, 2, "
                        "2, 1, 'O''Brien''); DELETE TFP WHERE 1=1;--', '説明の''文''', 0, 110, "
                        "690000, 759000)")
                 << QStringLiteral("SELECT @@IDENTITY AS ID FROM TFUNCTION")
                 << QStringLiteral("INSERT INTO TFP VALUES (2, %1, 1, '顧客ファイル', 1, 2)").arg(fn)
                 << QStringLiteral("INSERT INTO TFP VALUES (2, %1, 2, '登録画面', 3, 2)").arg(fn);
        for (int i = 1; i <= 14; ++i) {
            expected << QStringLiteral("INSERT INTO TFPADJ VALUES (2, %1, %2, %3)")
                            .arg(fn)
                            .arg(i)
                            .arg(i == 14 ? 5 : 2);
        }
        for (int i = 1; i <= 5; ++i) {
            expected << QStringLiteral("INSERT INTO TCOCOMO VALUES (2, %1, 1, %2, 2)").arg(fn).arg(i);
        }
        for (int i = 1; i <= 17; ++i) {
            expected << QStringLiteral("INSERT INTO TCOCOMO VALUES (2, %1, 2, %2, %3)")
                            .arg(fn)
                            .arg(i)
                            .arg(i == 1 ? 4 : 2);
        }
        expected << QStringLiteral("DELETE THOUR WHERE NPROJECT = 2 AND NFUNCTION = ") + fn;
        const QString prices[] = {"9000", "8500", "7500", "6000", "5500", "6000", "6500", "7000"};
        for (int k = 1; k <= 8; ++k) {
            const QString hours = k == 1   ? QStringLiteral("10")
                                  : k == 4 ? QStringLiteral("100")
                                           : QStringLiteral("NULL");
            expected << QStringLiteral(
                            "INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (2, %1, "
                            "%2, %3, %4)")
                            .arg(fn)
                            .arg(k)
                            .arg(hours, prices[k - 1]);
        }
        QCOMPARE(hook.statements, expected);

        // What the database holds.
        QCOMPARE(value(QStringLiteral("SELECT CSFUNC AS V FROM TFUNCTION WHERE ") + where).toString(),
                 kHostileTitle);
        QCOMPARE(value(QStringLiteral("SELECT CLFUNC AS V FROM TFUNCTION WHERE ") + where).toString(),
                 QStringLiteral("説明の'文'"));
        QCOMPARE(value(QStringLiteral("SELECT CVALID AS V FROM TFUNCTION WHERE ") + where).toString(),
                 QStringLiteral("1"));
        QCOMPARE(value(QStringLiteral("SELECT NDISCOUNT AS V FROM TFUNCTION WHERE ") + where).toDouble(),
                 0.0);
        QCOMPARE(value(QStringLiteral("SELECT NPRICE AS V FROM TFUNCTION WHERE ") + where).toDouble(),
                 759000.0);
        QCOMPARE(rowCount(conn(), QStringLiteral("TFP"), where), 2);
        QCOMPARE(value(QStringLiteral("SELECT CTITLE AS V FROM TFP WHERE NADD = 2 AND ") + where).toString(),
                 QStringLiteral("登録画面"));
        QCOMPARE(rowCount(conn(), QStringLiteral("TFPADJ"), where), 14);
        QCOMPARE(rowCount(conn(), QStringLiteral("TCOCOMO"), where), 22);
        QCOMPARE(rowCount(conn(), QStringLiteral("THOUR"), where), 8);
        QVERIFY(
            !value(QStringLiteral("SELECT NHOUR AS V FROM THOUR WHERE NDKIND = 2 AND ") + where).isValid());
        QCOMPARE(rowCount(conn(), QStringLiteral("TCHARGE"), where), 0);
        QCOMPARE(rowCount(conn(), QStringLiteral("TFP"), QStringLiteral("NPROJECT = 2 AND NFUNCTION = 1")),
                 5);

        // Opened again, the function shows what was saved.
        open(f, false);
        FunctionEditor again(*m_state);
        QCOMPARE(controlText(&again, QStringLiteral("txtSFunc")), kHostileTitle);
        QCOMPARE(controlText(&again, QStringLiteral("lvlPriAll")), QStringLiteral("759,000"));
        QCOMPARE(control<QComboBox>(&again, QStringLiteral("cmbCoCost_0"))->currentData().toInt(), 4);
        QCOMPARE(control<QTreeWidget>(&again, QStringLiteral("lvwFpList"))->topLevelItemCount(), 2);
    }

    // A failure at any statement leaves the database as it was and the window open with what
    // was typed; the first save without a failure then succeeds.
    void failureAtEveryStatement_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("charge");
        for (const auto& e :
             {std::make_pair("sqlite", Engine::SQLite), std::make_pair("postgresql", Engine::PostgreSQL)}) {
            QTest::addRow("%s new", e.first) << int(e.second) << 0 << false;
            QTest::addRow("%s new in charge mode", e.first) << int(e.second) << 0 << true;
            QTest::addRow("%s update in charge mode", e.first) << int(e.second) << 1 << true;
            QTest::addRow("%s update", e.first) << int(e.second) << 1 << false;
            QTest::addRow("%s delete", e.first) << int(e.second) << 2 << false;
        }
    }
    void failureAtEveryStatement()
    {
        FETCH_ENGINE();
        QFETCH(int, mode);
        QFETCH(bool, charge);
        start(dbEngine);
        const QString before = FunctionRowsSnapshot(conn());
        const int function = mode == 0 ? 0 : 2;
        int statements = 0;
        for (int failAt = 0;; ++failAt) {
            QVERIFY(failAt < 200);
            open(function, charge);
            FunctionEditor e(*m_state);
            QVERIFY(e.isReady());
            if (mode == 0) {
                typeNewFunction(e);
            } else {
                control<QLineEdit>(&e, QStringLiteral("txtSFunc"))->setText(QStringLiteral("変更後"));
                control<QLineEdit>(&e, QStringLiteral("txtDiscount"))->setText(QStringLiteral("1,000"));
                if (charge) {
                    m_state->chargeTable[1][2] = ChargeSlot{}; // one assignment fewer
                }
            }
            Messages::clearShown();
            FailingHook hook;
            hook.failAt = failAt;
            hook.install();
            bool saved = false;
            if (mode == 2) {
                Messages::setNextAnswer(QMessageBox::Yes);
                clickButton(&e, QStringLiteral("cmdDel"));
                saved = e.result() == QDialog::Accepted;
            } else {
                saved = e.saveFunction(mode);
            }
            DbConnection::setStatementHook(nullptr);
            if (saved) {
                statements = failAt;
                QVERIFY(m_state->Updated);
                break;
            }
            QCOMPARE(e.result(), 0);
            QVERIFY(!m_state->Updated);
            QCOMPARE(m_state->CurFunction, function);
            QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
            QCOMPARE(Messages::last().text, QStringLiteral("注入した障害\n") + hook.statements.value(failAt));
            QCOMPARE(FunctionRowsSnapshot(conn()), before);
            if (mode != 2) {
                QCOMPARE(controlText(&e, QStringLiteral("txtSFunc")),
                         mode == 0 ? kHostileTitle : QStringLiteral("変更後"));
            }
        }
        QVERIFY(FunctionRowsSnapshot(conn()) != before);
        if (mode == 0) {
            QCOMPARE(statements,
                     charge ? 40 + 9 + 1 : 40 + 9); // insert, key, 2 rows, 14, 22, hours (+ assignments)
        } else if (mode == 1) {
            // Update, 3 deletes, 5 rows, 14, 22, then hours or assignments.
            QCOMPARE(statements, charge ? 45 + 1 + 13 : 45 + 9);
        } else {
            QCOMPARE(statements, 6);
            QCOMPARE(rowCount(conn(), QStringLiteral("TFUNCTION"), QStringLiteral("NFUNCTION = 2")), 0);
            QCOMPARE(rowCount(conn(), QStringLiteral("TCHARGE"), QStringLiteral("NFUNCTION = 2")), 0);
            QCOMPARE(rowCount(conn(), QStringLiteral("TFUNCTION"), QStringLiteral("NPROJECT = 2")), 2);
            QCOMPARE(rowCount(conn(), QStringLiteral("TMEMBER"), QStringLiteral("NPROJECT = 2")), 5);
        }
    }

    // After a failed insert the same window saves once, under a new key.
    void retryAfterFailedInsert_data() { addEngineRows(); }
    void retryAfterFailedInsert()
    {
        FETCH_ENGINE();
        start(dbEngine);
        open(0, false);
        FunctionEditor e(*m_state);
        typeNewFunction(e);
        FailingHook hook;
        hook.failAt = 5; // after the insert and the key
        hook.install();
        QVERIFY(!e.saveFunction(0));
        DbConnection::setStatementHook(nullptr);
        QCOMPARE(m_state->CurFunction, 0);
        QVERIFY(e.saveFunction(0));
        QCOMPARE(
            rowCount(conn(), QStringLiteral("TFUNCTION"),
                     QStringLiteral("CSFUNC = ") + QStringLiteral("'O''Brien''); DELETE TFP WHERE 1=1;--'")),
            1);
        QCOMPARE(rowCount(conn(), QStringLiteral("TFPADJ"),
                          QStringLiteral("NFUNCTION = ") + QString::number(m_state->CurFunction)),
                 14);
    }

    void chargeModeUpdate_data() { addEngineRows(); }
    void chargeModeUpdate()
    {
        FETCH_ENGINE();
        start(dbEngine);
        const QString hoursBefore =
            scalar(conn(), QStringLiteral("SELECT SUM(NHOUR * NPRI) AS V FROM THOUR WHERE NFUNCTION = 1"))
                .toString();
        open(1, true);
        FunctionEditor e(*m_state);
        m_state->chargeTable[4][2] = ChargeSlot{};                  // member 3 leaves process 4
        m_state->chargeTable[8][2] = {2, 6, QString(), 12.5, 4500}; // member 6 joins process 8
        QVERIFY(e.saveFunction(1));
        const QString where = QStringLiteral("NPROJECT = 2 AND NFUNCTION = 1");
        QCOMPARE(
            scalar(conn(), QStringLiteral("SELECT SUM(NHOUR * NPRI) AS V FROM THOUR WHERE NFUNCTION = 1"))
                .toString(),
            hoursBefore);
        QCOMPARE(rowCount(conn(), QStringLiteral("TCHARGE"), where), 13);
        QCOMPARE(rowCount(conn(), QStringLiteral("TCHARGE"), where + QStringLiteral(" AND NPROC = 4")), 1);
        QCOMPARE(
            value(QStringLiteral("SELECT NHOUR AS V FROM TCHARGE WHERE NPROC = 8 AND NADD = 2 AND ") + where)
                .toDouble(),
            12.5);
        // 1,996,000 - 16 x 7,500 + 12.5 x 4,500 = 1,932,250; x 1.10 = 2,125,475.
        QCOMPARE(value(QStringLiteral("SELECT NTOTAL AS V FROM TFUNCTION WHERE ") + where).toDouble(),
                 1932250.0);
        QCOMPARE(value(QStringLiteral("SELECT NPRICE AS V FROM TFUNCTION WHERE ") + where).toDouble(),
                 2125475.0);
        QCOMPARE(value(QStringLiteral("SELECT NHTOTAL AS V FROM TFUNCTION WHERE ") + where).toDouble(),
                 300.0); // 304 - 16 + 12.5 = 300.5, half to even
    }

    void processModeLeavesAssignments_data() { addEngineRows(); }
    void processModeLeavesAssignments()
    {
        FETCH_ENGINE();
        start(dbEngine);
        const QString assignments =
            FunctionRowsSnapshot(conn()).section(QStringLiteral("SELECT * FROM TCHARGE"), 1);
        open(1, false);
        FunctionEditor e(*m_state);
        control<QLineEdit>(&e, QStringLiteral("txtHour_7"))->setText(QStringLiteral("20"));
        QVERIFY(e.saveFunction(1));
        QCOMPARE(FunctionRowsSnapshot(conn()).section(QStringLiteral("SELECT * FROM TCHARGE"), 1),
                 assignments);
        QCOMPARE(
            value(QStringLiteral(
                      "SELECT NHOUR AS V FROM THOUR WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NDKIND = 8"))
                .toDouble(),
            20.0);
        QCOMPARE(value(QStringLiteral("SELECT NHTOTAL AS V FROM TFUNCTION WHERE NFUNCTION = 1")).toDouble(),
                 316.0);
    }

    void onHoldRoundTrip_data() { addEngineRows(); }
    void onHoldRoundTrip()
    {
        FETCH_ENGINE();
        start(dbEngine);
        open(1, false);
        {
            FunctionEditor e(*m_state);
            control<QCheckBox>(&e, QStringLiteral("chkReserve"))->setChecked(true);
            control<QLineEdit>(&e, QStringLiteral("txtDiscount"))->clear();
            QVERIFY(e.saveFunction(1));
        }
        QVERIFY(!value(QStringLiteral("SELECT CVALID AS V FROM TFUNCTION WHERE NFUNCTION = 1")).isValid());
        QCOMPARE(value(QStringLiteral("SELECT NDISCOUNT AS V FROM TFUNCTION WHERE NFUNCTION = 1")).toDouble(),
                 0.0);
        open(1, false);
        FunctionEditor e(*m_state);
        QVERIFY(control<QCheckBox>(&e, QStringLiteral("chkReserve"))->isChecked());
        control<QCheckBox>(&e, QStringLiteral("chkReserve"))->setChecked(false);
        QVERIFY(e.saveFunction(1));
        QCOMPARE(value(QStringLiteral("SELECT CVALID AS V FROM TFUNCTION WHERE NFUNCTION = 1")).toString(),
                 QStringLiteral("1"));
    }

    // With a retired process the rows close up; each row keeps its own process code.
    void processCodesWithAGap_data() { addEngineRows(); }
    void processCodesWithAGap()
    {
        FETCH_ENGINE();
        start(dbEngine);
        ExecSql(conn(), QStringLiteral("UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 3"));
        open(0, false);
        {
            FunctionEditor e(*m_state);
            QCOMPARE(controlText(&e, QStringLiteral("lvlHour_2")), QStringLiteral("製造"));
            QCOMPARE(controlText(&e, QStringLiteral("txtUPrice_2")), QStringLiteral("6000"));
            QVERIFY(!control<QLineEdit>(&e, QStringLiteral("txtHour_6"))->isHidden());
            QVERIFY(control<QLineEdit>(&e, QStringLiteral("txtHour_7"))->isHidden());
            control<QLineEdit>(&e, QStringLiteral("txtSFunc"))->setText(QStringLiteral("工程の抜け"));
            control<QLineEdit>(&e, QStringLiteral("txtHour_2"))->setText(QStringLiteral("10"));
            QVERIFY(e.saveFunction(0));
        }
        const QString where =
            QStringLiteral("NPROJECT = 2 AND NFUNCTION = ") + QString::number(m_state->CurFunction);
        QCOMPARE(rowCount(conn(), QStringLiteral("THOUR"), where), 7);
        QCOMPARE(rowCount(conn(), QStringLiteral("THOUR"), where + QStringLiteral(" AND NDKIND = 3")), 0);
        QCOMPARE(
            value(QStringLiteral("SELECT NHOUR AS V FROM THOUR WHERE NDKIND = 4 AND ") + where).toDouble(),
            10.0);
        QCOMPARE(
            value(QStringLiteral("SELECT NPRI AS V FROM THOUR WHERE NDKIND = 8 AND ") + where).toDouble(),
            7000.0);
        open(m_state->CurFunction, false);
        FunctionEditor again(*m_state);
        QCOMPARE(controlText(&again, QStringLiteral("txtHour_2")), QStringLiteral("10"));
        QCOMPARE(controlText(&again, QStringLiteral("lvlPrice_2")), QStringLiteral("60,000"));
        QCOMPARE(controlText(&again, QStringLiteral("txtUPrice_6")), QStringLiteral("7,000"));
    }

    // Refusals before anything is written.
    void refusals_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::newRow("no title") << "txtSFunc"
                                  << ""
                                  << "入力確認"
                                  << "機能項目表題は必須入力です。";
        QTest::newRow("hours overflow") << "txtHour_2"
                                        << "40000"
                                        << "オーバフロー"
                                        << "";
        QTest::newRow("half-typed discount") << "txtDiscount"
                                             << "-"
                                             << "入力確認"
                                             << "値引きの値が正しくありません。";
        QTest::newRow("half-typed unit price") << "txtUPrice_1"
                                               << "-"
                                               << "入力確認"
                                               << "基本設計の単価の値が正しくありません。";
        QTest::newRow("pasted fraction of an hour") << "txtHour_4"
                                                    << "2.5"
                                                    << "入力確認"
                                                    << "単体テストの工数の値が正しくありません。";
    }
    void refusals()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, title);
        QFETCH(QString, message);
        start(Engine::SQLite);
        const QString before = FunctionRowsSnapshot(conn());
        open(1, false);
        FunctionEditor e(*m_state);
        control<QLineEdit>(&e, box)->setText(typed);
        Messages::clearShown();
        QVERIFY(!e.saveFunction(1));
        QCOMPARE(Messages::last().title, title);
        if (!message.isEmpty()) {
            QCOMPARE(Messages::last().text, message);
        }
        QCOMPARE(e.result(), 0);
        QCOMPARE(FunctionRowsSnapshot(conn()), before);
        QVERIFY(!m_state->Updated);
    }

    // A description longer than its column is a real database failure: reported, rolled back.
    void tooLongTextIsRolledBack_data() { addEngineRows(); }
    void tooLongTextIsRolledBack()
    {
        FETCH_ENGINE();
        start(dbEngine);
        const QString before = FunctionRowsSnapshot(conn());
        open(1, false);
        FunctionEditor e(*m_state);
        control<QPlainTextEdit>(&e, QStringLiteral("txtLFunc"))->setPlainText(QString(2100, QChar(0x3042)));
        QVERIFY(!e.saveFunction(1));
        QCOMPARE(Messages::last().title, QStringLiteral("サイズオーバ"));
        QCOMPARE(FunctionRowsSnapshot(conn()), before);
    }

    void deleteAsksFirst()
    {
        start(Engine::SQLite);
        const QString before = FunctionRowsSnapshot(conn());
        open(2, false);
        FunctionEditor e(*m_state);
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::No);
        clickButton(&e, QStringLiteral("cmdDel"));
        QCOMPARE(Messages::last().title, QStringLiteral("削除確認"));
        QCOMPARE(Messages::last().text, QStringLiteral("機能項目を削除します。よろしいですか？"));
        QCOMPARE(Messages::last().defaultButton, QMessageBox::No);
        QCOMPARE(Messages::last().icon, Messages::Question);
        QCOMPARE(FunctionRowsSnapshot(conn()), before);
        QCOMPARE(e.result(), 0);
    }
};

QTEST_MAIN(TestFunctionSave)
#include "test_function_save.moc"
