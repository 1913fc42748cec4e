#include "estimation/function_editor.h"
#include "estimation_fixtures.h"

namespace {

const QString kHostileTitle = u"O'Brien'); DELETE TFP WHERE 1=1;--"_s;

// What the user types into a new function in process mode.
void typeNewFunction(FunctionEditor& e)
{
    setText(&e, u"txtSFunc"_s, kHostileTitle);
    setText(&e, u"txtLFunc"_s, u"説明の'文'"_s);
    pickCode(control<QComboBox>(&e, u"cmbImp"_s), 3); // 重要 1.10
    pickCode(control<QComboBox>(&e, u"cmbCoCost_0"_s), 4);
    control<QComboBox>(&e, u"cmbFpAdj_13"_s)->setCurrentIndex(5);
    setText(&e, u"txtHour_0"_s, u"10"_s);
    setText(&e, u"txtHour_3"_s, u"100"_s);
    const QStringList titles = {u"顧客ファイル"_s, u"消す行"_s, u"登録画面"_s};
    const int kinds[] = {1, 2, 3};
    for (int i = 0; i < 3; ++i) {
        setText(&e, u"txtFpTitle"_s, titles[i]);
        pickCode(control<QComboBox>(&e, u"cmbFpKind"_s), kinds[i]);
        clickButton(&e, u"cmdFpAdd"_s);
    }
    auto* list = control<QTreeWidget>(&e, u"lvwFpList"_s);
    list->setCurrentItem(list->topLevelItem(1));
    clickButton(&e, u"cmdFpDel"_s);
}

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
        QCOMPARE(controlText(&e, u"lvlPriAll"_s), u"759,000"_s);
        QStringList statements;
        {
            StatementLog log;
            clickButton(&e, u"cmdOK"_s);
            statements = log.statements();
        }

        QCOMPARE(e.result(), int(QDialog::Accepted));
        QVERIFY(m_state->Updated);
        const int f = m_state->CurFunction;
        QCOMPARE(f, value(u"SELECT MAX(NFUNCTION) AS V FROM TFUNCTION"_s).toInt());
        QVERIFY(f > 5);
        const QString fn = QString::number(f);
        const QString where = u"NPROJECT = 2 AND NFUNCTION = "_s + fn;

        // The statements, in order, as written.
        QStringList expected;
        expected << QStringLiteral(
                        "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, "
                        "CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES(2, '1', 1, 3, 2, 2, "
                        "2, 1, 'O''Brien''); DELETE TFP WHERE 1=1;--', '説明の''文''', 0, 110, "
                        "690000, 759000)")
                 << u"SELECT @@IDENTITY AS ID FROM TFUNCTION"_s
                 << u"INSERT INTO TFP VALUES (2, %1, 1, '顧客ファイル', 1, 2)"_s.arg(fn)
                 << u"INSERT INTO TFP VALUES (2, %1, 2, '登録画面', 3, 2)"_s.arg(fn);
        for (int i = 1; i <= 14; ++i) {
            expected << u"INSERT INTO TFPADJ VALUES (2, %1, %2, %3)"_s.arg(fn).arg(i).arg(i == 14 ? 5 : 2);
        }
        for (int i = 1; i <= 5; ++i) {
            expected << u"INSERT INTO TCOCOMO VALUES (2, %1, 1, %2, 2)"_s.arg(fn).arg(i);
        }
        for (int i = 1; i <= 17; ++i) {
            expected << u"INSERT INTO TCOCOMO VALUES (2, %1, 2, %2, %3)"_s.arg(fn).arg(i).arg(i == 1 ? 4 : 2);
        }
        expected << u"DELETE THOUR WHERE NPROJECT = 2 AND NFUNCTION = "_s + fn;
        const QString prices[] = {"9000", "8500", "7500", "6000", "5500", "6000", "6500", "7000"};
        for (int k = 1; k <= 8; ++k) {
            const QString hours = k == 1 ? u"10"_s : k == 4 ? u"100"_s : u"NULL"_s;
            expected << QStringLiteral(
                            "INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (2, %1, "
                            "%2, %3, %4)")
                            .arg(fn)
                            .arg(k)
                            .arg(hours, prices[k - 1]);
        }
        QCOMPARE(statements, expected);

        // Texts round-trip; hours left empty are stored as NULL; the other functions keep their rows.
        QCOMPARE(value(u"SELECT CSFUNC AS V FROM TFUNCTION WHERE "_s + where).toString(), kHostileTitle);
        QCOMPARE(value(u"SELECT CLFUNC AS V FROM TFUNCTION WHERE "_s + where).toString(), u"説明の'文'"_s);
        QVERIFY(!value(u"SELECT NHOUR AS V FROM THOUR WHERE NDKIND = 2 AND "_s + where).isValid());
        QCOMPARE(rowCount(conn(), u"TFP"_s, u"NPROJECT = 2 AND NFUNCTION = 1"_s), 5);

        // Opened again, the function shows what was saved.
        open(f, false);
        FunctionEditor again(*m_state);
        QCOMPARE(controlText(&again, u"txtSFunc"_s), kHostileTitle);
        QCOMPARE(controlText(&again, u"lvlPriAll"_s), u"759,000"_s);
        QCOMPARE(comboCode(&again, u"cmbCoCost_0"_s), 4);
        QCOMPARE(control<QTreeWidget>(&again, u"lvwFpList"_s)->topLevelItemCount(), 2);
    }

    // A failure at any statement leaves the database as it was and the window open with what
    // was typed; the first save without a failure then succeeds.
    void failureAtEveryStatement_data()
    {
        addColumns<int, int, bool>({"engine", "mode", "charge"});
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
                setText(&e, u"txtSFunc"_s, u"変更後"_s);
                setText(&e, u"txtDiscount"_s, u"1,000"_s);
                if (charge) {
                    m_state->chargeTable[1][2] = ChargeSlot{}; // one assignment fewer
                }
            }
            Messages::clearShown();
            StatementLog log(failAt);
            bool saved = false;
            if (mode == 2) {
                Messages::setNextAnswer(QMessageBox::Yes);
                clickButton(&e, u"cmdDel"_s);
                saved = e.result() == QDialog::Accepted;
            } else {
                saved = e.saveFunction(mode);
            }
            if (saved) {
                statements = failAt;
                QVERIFY(m_state->Updated);
                break;
            }
            QCOMPARE(e.result(), 0);
            QVERIFY(!m_state->Updated);
            QCOMPARE(m_state->CurFunction, function);
            QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
            QCOMPARE(Messages::last().text, u"injected failure\n"_s + log.failedStatement());
            QCOMPARE(FunctionRowsSnapshot(conn()), before);
            if (mode != 2) {
                QCOMPARE(controlText(&e, u"txtSFunc"_s), mode == 0 ? kHostileTitle : u"変更後"_s);
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
            QCOMPARE(rowCount(conn(), u"TFUNCTION"_s, u"NFUNCTION = 2"_s), 0);
            QCOMPARE(rowCount(conn(), u"TCHARGE"_s, u"NFUNCTION = 2"_s), 0);
            QCOMPARE(rowCount(conn(), u"TFUNCTION"_s, u"NPROJECT = 2"_s), 2);
            QCOMPARE(rowCount(conn(), u"TMEMBER"_s, u"NPROJECT = 2"_s), 5);
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
        {
            StatementLog log(5); // after the insert, the key and the first rows
            QVERIFY(!e.saveFunction(0));
        }
        QCOMPARE(m_state->CurFunction, 0);
        QVERIFY(e.saveFunction(0));
        QCOMPARE(
            rowCount(conn(), u"TFUNCTION"_s, u"CSFUNC = "_s + u"'O''Brien''); DELETE TFP WHERE 1=1;--'"_s),
            1);
        QCOMPARE(rowCount(conn(), u"TFPADJ"_s, u"NFUNCTION = "_s + QString::number(m_state->CurFunction)),
                 14);
    }

    void chargeModeUpdate_data() { addEngineRows(); }
    void chargeModeUpdate()
    {
        FETCH_ENGINE();
        start(dbEngine);
        const QString hoursBefore =
            scalar(conn(), u"SELECT SUM(NHOUR * NPRI) AS V FROM THOUR WHERE NFUNCTION = 1"_s).toString();
        open(1, true);
        FunctionEditor e(*m_state);
        m_state->chargeTable[4][2] = ChargeSlot{};                  // member 3 leaves process 4
        m_state->chargeTable[8][2] = {2, 6, QString(), 12.5, 4500}; // member 6 joins process 8
        QVERIFY(e.saveFunction(1));
        const QString where = u"NPROJECT = 2 AND NFUNCTION = 1"_s;
        QCOMPARE(scalar(conn(), u"SELECT SUM(NHOUR * NPRI) AS V FROM THOUR WHERE NFUNCTION = 1"_s).toString(),
                 hoursBefore);
        QCOMPARE(rowCount(conn(), u"TCHARGE"_s, where), 13);
        QCOMPARE(rowCount(conn(), u"TCHARGE"_s, where + u" AND NPROC = 4"_s), 1);
        QCOMPARE(
            value(u"SELECT NHOUR AS V FROM TCHARGE WHERE NPROC = 8 AND NADD = 2 AND "_s + where).toDouble(),
            12.5);
        // 1,996,000 - 16 x 7,500 + 12.5 x 4,500 = 1,932,250; x 1.10 = 2,125,475.
        QCOMPARE(value(u"SELECT NTOTAL AS V FROM TFUNCTION WHERE "_s + where).toDouble(), 1932250.0);
        QCOMPARE(value(u"SELECT NPRICE AS V FROM TFUNCTION WHERE "_s + where).toDouble(), 2125475.0);
        QCOMPARE(value(u"SELECT NHTOTAL AS V FROM TFUNCTION WHERE "_s + where).toDouble(),
                 300.0); // 304 - 16 + 12.5 = 300.5, half to even
    }

    void processModeLeavesAssignments_data() { addEngineRows(); }
    void processModeLeavesAssignments()
    {
        FETCH_ENGINE();
        start(dbEngine);
        const QString assignments = FunctionRowsSnapshot(conn()).section(u"SELECT * FROM TCHARGE"_s, 1);
        open(1, false);
        FunctionEditor e(*m_state);
        setText(&e, u"txtHour_7"_s, u"20"_s);
        QVERIFY(e.saveFunction(1));
        QCOMPARE(FunctionRowsSnapshot(conn()).section(u"SELECT * FROM TCHARGE"_s, 1), assignments);
        QCOMPARE(
            value(QStringLiteral(
                      "SELECT NHOUR AS V FROM THOUR WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NDKIND = 8"))
                .toDouble(),
            20.0);
        QCOMPARE(value(u"SELECT NHTOTAL AS V FROM TFUNCTION WHERE NFUNCTION = 1"_s).toDouble(), 316.0);
    }

    void onHoldRoundTrip_data() { addEngineRows(); }
    void onHoldRoundTrip()
    {
        FETCH_ENGINE();
        start(dbEngine);
        open(1, false);
        {
            FunctionEditor e(*m_state);
            control<QCheckBox>(&e, u"chkReserve"_s)->setChecked(true);
            control<QLineEdit>(&e, u"txtDiscount"_s)->clear();
            QVERIFY(e.saveFunction(1));
        }
        QVERIFY(!value(u"SELECT CVALID AS V FROM TFUNCTION WHERE NFUNCTION = 1"_s).isValid());
        QCOMPARE(value(u"SELECT NDISCOUNT AS V FROM TFUNCTION WHERE NFUNCTION = 1"_s).toDouble(), 0.0);
        open(1, false);
        FunctionEditor e(*m_state);
        QVERIFY(control<QCheckBox>(&e, u"chkReserve"_s)->isChecked());
        control<QCheckBox>(&e, u"chkReserve"_s)->setChecked(false);
        QVERIFY(e.saveFunction(1));
        QCOMPARE(value(u"SELECT CVALID AS V FROM TFUNCTION WHERE NFUNCTION = 1"_s).toString(), u"1"_s);
    }

    // With a retired process the rows close up; each row keeps its own process code.
    void processCodesWithAGap_data() { addEngineRows(); }
    void processCodesWithAGap()
    {
        FETCH_ENGINE();
        start(dbEngine);
        ExecSql(conn(), u"UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 3"_s);
        open(0, false);
        {
            FunctionEditor e(*m_state);
            QCOMPARE(controlText(&e, u"lvlHour_2"_s), u"製造"_s);
            QCOMPARE(controlText(&e, u"txtUPrice_2"_s), u"6000"_s);
            QVERIFY(!control<QLineEdit>(&e, u"txtHour_6"_s)->isHidden());
            QVERIFY(control<QLineEdit>(&e, u"txtHour_7"_s)->isHidden());
            setText(&e, u"txtSFunc"_s, u"工程の抜け"_s);
            setText(&e, u"txtHour_2"_s, u"10"_s);
            QVERIFY(e.saveFunction(0));
        }
        const QString where = u"NPROJECT = 2 AND NFUNCTION = "_s + QString::number(m_state->CurFunction);
        QCOMPARE(rowCount(conn(), u"THOUR"_s, where), 7);
        QCOMPARE(rowCount(conn(), u"THOUR"_s, where + u" AND NDKIND = 3"_s), 0);
        QCOMPARE(value(u"SELECT NHOUR AS V FROM THOUR WHERE NDKIND = 4 AND "_s + where).toDouble(), 10.0);
        QCOMPARE(value(u"SELECT NPRI AS V FROM THOUR WHERE NDKIND = 8 AND "_s + where).toDouble(), 7000.0);
        open(m_state->CurFunction, false);
        FunctionEditor again(*m_state);
        QCOMPARE(texts(&again, {"txtHour_2", "lvlPrice_2", "txtUPrice_6"}),
                 (QStringList{u"10"_s, u"60,000"_s, u"7,000"_s}));
    }

    // Refusals before anything is written.
    void refusals_data()
    {
        addColumns<QString, QString, QString, QString>({"box", "typed", "title", "message"});
        QTest::newRow("no title") << u"txtSFunc"_s << u""_s << u"入力確認"_s
                                  << u"機能項目表題は必須入力です。"_s;
        QTest::newRow("hours overflow") << u"txtHour_2"_s << u"40000"_s << u"オーバフロー"_s << u""_s;
        QTest::newRow("half-typed discount")
            << u"txtDiscount"_s << u"-"_s << u"入力確認"_s << u"値引きの値が正しくありません。"_s;
        QTest::newRow("half-typed unit price")
            << u"txtUPrice_1"_s << u"-"_s << u"入力確認"_s << u"基本設計の単価の値が正しくありません。"_s;
        QTest::newRow("pasted fraction of an hour")
            << u"txtHour_4"_s << u"2.5"_s << u"入力確認"_s << u"単体テストの工数の値が正しくありません。"_s;
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
        setText(&e, u"txtLFunc"_s, QString(2100, QChar(0x3042)));
        QVERIFY(!e.saveFunction(1));
        QCOMPARE(Messages::last().title, u"サイズオーバ"_s);
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
        clickButton(&e, u"cmdDel"_s);
        QCOMPARE(Messages::last().title, u"削除確認"_s);
        QCOMPARE(Messages::last().text, u"機能項目を削除します。よろしいですか？"_s);
        QCOMPARE(Messages::last().defaultButton, QMessageBox::No);
        QCOMPARE(Messages::last().icon, Messages::Question);
        QCOMPARE(FunctionRowsSnapshot(conn()), before);
        QCOMPARE(e.result(), 0);
    }
};

QTEST_MAIN(TestFunctionSave)
#include "test_function_save.moc"
