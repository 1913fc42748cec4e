#include "estimation/function_editor.h"
#include "estimation_fixtures.h"
#include "project/project_rows.h"

namespace {

const QString kHostileTitle = u"O'Brien'); DELETE TFP WHERE 1=1;--"_s;
const std::pair<const char*, Engine> kEngines[] = {{"sqlite", Engine::SQLite},
                                                   {"postgresql", Engine::PostgreSQL}};

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
    for (const auto& [title, kind] :
         {std::pair{u"顧客ファイル"_s, 1}, {u"消す行"_s, 2}, {u"登録画面"_s, 3}}) {
        setText(&e, u"txtFpTitle"_s, title);
        pickCode(control<QComboBox>(&e, u"cmbFpKind"_s), kind);
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
private slots:
    // A new function, process 3 retired, written in full with its texts' apostrophes as typed: the hour
    // rows close up on screen and each is stored under its own process code. Opened again it shows
    // what was saved (hours left empty stay empty); the other functions keep their rows.
    void newFunctionWritesEveryRow_data() { addEngineRows(); }
    void newFunctionWritesEveryRow()
    {
        FETCH_ENGINE();
        DemoSession s(dbEngine);
        ExecSql(s.conn(), u"UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 3"_s);
        FunctionEditor e(s.open(0, false));
        QVERIFY(control<QLineEdit>(&e, u"txtHour_7"_s)->isHidden());
        typeNewFunction(e);
        clickButton(&e, u"cmdOK"_s);
        const QString where = u"NPROJECT = 2 AND NFUNCTION = "_s + QString::number(s.state->CurFunction);
        // 10 h x 9,000 (process 1) + 100 h x 5,500 (process 5) = 640,000; x 1.10 (重要) = 704,000.
        const Recordset saved = OpenRs(s.conn(), u"SELECT * FROM TFUNCTION WHERE "_s + where);
        QCOMPARE((QList<double>{saved.field(u"NHTOTAL"_s).toDouble(), saved.field(u"NTOTAL"_s).toDouble(),
                                saved.field(u"NPRICE"_s).toDouble()}),
                 (QList<double>{110, 640000, 704000}));
        QCOMPARE(rowCount(s.conn(), u"TFP"_s, u"NPROJECT = 2 AND NFUNCTION = 1"_s), 5);
        QCOMPARE(rowCount(s.conn(), u"THOUR"_s, where), 7);
        QCOMPARE(rowCount(s.conn(), u"THOUR"_s, where + u" AND NDKIND <> 3"_s), 7);
        QCOMPARE(scalar(s.conn(), u"SELECT NHOUR AS V FROM THOUR WHERE NDKIND = 5 AND "_s + where).toDouble(),
                 100.0);
        FunctionEditor again(s.open(s.state->CurFunction, false));
        QCOMPARE(texts(&again, {u"txtSFunc"_s, u"txtLFunc"_s, u"txtHour_0"_s, u"txtHour_1"_s, u"txtHour_3"_s,
                                u"txtUPrice_6"_s, u"lvlPriAll"_s, u"lblFpAdjTotal"_s}),
                 (QStringList{kHostileTitle, u"説明の'文'"_s, u"10"_s, QString(), u"100"_s, u"7,000"_s,
                              u"704,000"_s, u"31"_s}));
        QCOMPARE(comboCode(&again, u"cmbCoCost_0"_s), 4);
        QCOMPARE(columnTexts(control<QTreeWidget>(&again, u"lvwFpList"_s)),
                 (QStringList{u"顧客ファイル"_s, u"登録画面"_s}));
    }

    // A failure at any statement leaves the database as it was and the window open with what
    // was typed; the same window then saves at the first try without a failure.
    void failureAtEveryStatement_data()
    {
        addColumns<int, int, bool, int>({"engine", "mode", "charge", "statements"});
        for (const auto& [name, engine] : kEngines) {
            // The project locked, insert, key, 2 rows, 14, 22, then the hours (and the
            // assignments).
            QTest::addRow("%s new", name) << int(engine) << 0 << false << 1 + 40 + 9;
            QTest::addRow("%s new in charge mode", name) << int(engine) << 0 << true << 1 + 40 + 9 + 1;
            // The project and the function locked, the 4 tables rewritten read to compare with
            // the load (in charge mode: the assigned members looked up in the project); update,
            // 3 deletes, 5 rows, 14, 22, then the hours or the assignments.
            QTest::addRow("%s update", name) << int(engine) << 1 << false << 2 + 4 + 45 + 9;
            QTest::addRow("%s update in charge mode", name)
                << int(engine) << 1 << true << 2 + 4 + 1 + 45 + 1 + 13;
            // The project and the function locked, then the six tables of the function and its
            // actual hours.
            QTest::addRow("%s delete", name) << int(engine) << 2 << false << 2 + 7;
        }
    }
    void failureAtEveryStatement()
    {
        FETCH_ENGINE();
        QFETCH(int, mode);
        QFETCH(bool, charge);
        QFETCH(int, statements);
        DemoSession s(dbEngine);
        ExecSql(s.conn(), u"INSERT INTO TACTUAL VALUES (2, 2, 1, 10)"_s);
        const QString before = FunctionRowsSnapshot(s.conn());
        const int function = mode == 0 ? 0 : 2;
        FunctionEditor e(s.open(function, charge));
        const QString title = mode == 0 ? kHostileTitle : u"変更後"_s;
        if (mode == 0) {
            typeNewFunction(e);
        } else {
            setText(&e, u"txtSFunc"_s, title);
            setText(&e, u"txtDiscount"_s, u"1,000"_s);
            if (charge) {
                s.state->chargeTable[1][2] = ChargeSlot{}; // one assignment fewer
            }
        }
        if (mode == 2) { // a delete asks first; No deletes nothing
            Messages::setNextAnswer(QMessageBox::No);
            clickButton(&e, u"cmdDel"_s);
            COMPARE_LAST_MESSAGE(u"削除確認"_s, u"機能項目を削除します。よろしいですか？"_s,
                                 Messages::Question);
            QCOMPARE(Messages::last().defaultButton, QMessageBox::No);
        }
        int failAt = 0;
        for (;; ++failAt) {
            QVERIFY(failAt <= statements);
            Messages::clearShown();
            StatementLog log(failAt);
            if (mode == 2) {
                Messages::setNextAnswer(QMessageBox::Yes);
                clickButton(&e, u"cmdDel"_s);
            } else {
                e.saveFunction(mode);
            }
            if (!log.failed()) {
                break;
            }
            QCOMPARE(e.result(), 0);
            QVERIFY(!s.state->Updated);
            QCOMPARE(s.state->CurFunction, function);
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"injected failure\n"_s + log.failedStatement(),
                                 Messages::Critical);
            QCOMPARE(FunctionRowsSnapshot(s.conn()), before);
            QCOMPARE(controlText(&e, u"txtSFunc"_s), title);
        }
        QCOMPARE(failAt, statements);
        QCOMPARE(e.result(), int(QDialog::Accepted));
        QVERIFY(s.state->Updated);
        QVERIFY(FunctionRowsSnapshot(s.conn()) != before);
        // One function more, as many, one fewer: the retries left nothing behind.
        QCOMPARE(rowCount(s.conn(), u"TFUNCTION"_s, u"NPROJECT = 2"_s), 4 - mode);
        if (mode == 2) {
            QCOMPARE(rowCount(s.conn(), u"TFUNCTION"_s, u"NFUNCTION = 2"_s), 0);
            QCOMPARE(rowCount(s.conn(), u"TCHARGE"_s, u"NFUNCTION = 2"_s), 0);
            QCOMPARE(rowCount(s.conn(), u"TACTUAL"_s, u"NFUNCTION = 2"_s), 0);
            QCOMPARE(rowCount(s.conn(), u"TMEMBER"_s, u"NPROJECT = 2"_s), 5);
        } else {
            QCOMPARE(
                rowCount(s.conn(), u"TFPADJ"_s, u"NFUNCTION = "_s + QString::number(s.state->CurFunction)),
                14);
        }
    }

    // In process mode an update writes the hours and leaves the assignments; in charge mode it
    // writes the assignments and prices from them, leaving the hours. On hold is stored as NULL.
    void updateInEachMode_data() { addEngineRows(); }
    void updateInEachMode()
    {
        FETCH_ENGINE();
        DemoSession s(dbEngine);
        const QString function1 = u"NPROJECT = 2 AND NFUNCTION = 1"_s;
        const auto column = [&](const QString& table, const QString& name, const QString& condition = {}) {
            return scalar(s.conn(),
                          u"SELECT %1 AS V FROM %2 WHERE "_s.arg(name, table) + function1 + condition);
        };
        const auto assignments = [&] { return FunctionRowsSnapshot(s.conn()).section(u"TCHARGE\n"_s, 1); };
        const QString assigned = assignments();
        {
            FunctionEditor e(s.open(1, false));
            control<QCheckBox>(&e, u"chkReserve"_s)->setChecked(true);
            control<QLineEdit>(&e, u"txtDiscount"_s)->clear();
            setText(&e, u"txtHour_7"_s, u"20"_s);
            QVERIFY(e.saveFunction(1));
        }
        QCOMPARE(assignments(), assigned);
        QVERIFY(!column(u"TFUNCTION"_s, u"CVALID"_s).isValid());
        QCOMPARE(column(u"TFUNCTION"_s, u"NDISCOUNT"_s).toDouble(), 0.0);
        QCOMPARE(column(u"THOUR"_s, u"NHOUR"_s, u" AND NDKIND = 8"_s).toDouble(), 20.0);
        QCOMPARE(column(u"TFUNCTION"_s, u"NHTOTAL"_s).toDouble(), 316.0);

        const QVariant hours = column(u"THOUR"_s, u"SUM(NHOUR * NPRI)"_s);
        FunctionEditor e(s.open(1, true));
        QVERIFY(control<QCheckBox>(&e, u"chkReserve"_s)->isChecked());
        control<QCheckBox>(&e, u"chkReserve"_s)->setChecked(false);
        s.state->chargeTable[4][2] = ChargeSlot{};                  // member 3 leaves process 4
        s.state->chargeTable[8][2] = {2, 6, QString(), 12.5, 4500}; // member 6 joins process 8
        QVERIFY(e.saveFunction(1));
        QCOMPARE(column(u"THOUR"_s, u"SUM(NHOUR * NPRI)"_s), hours);
        QCOMPARE(column(u"TFUNCTION"_s, u"CVALID"_s).toString(), u"1"_s);
        QCOMPARE(rowCount(s.conn(), u"TCHARGE"_s, function1), 13);
        QCOMPARE(rowCount(s.conn(), u"TCHARGE"_s, function1 + u" AND NPROC = 4"_s), 1);
        QCOMPARE(column(u"TCHARGE"_s, u"NHOUR"_s, u" AND NPROC = 8 AND NADD = 2"_s).toDouble(), 12.5);
        // 1,996,000 - 16 x 7,500 + 12.5 x 4,500 = 1,932,250; x 1.10 = 2,125,475.
        QCOMPARE(column(u"TFUNCTION"_s, u"NTOTAL"_s).toDouble(), 1932250.0);
        QCOMPARE(column(u"TFUNCTION"_s, u"NPRICE"_s).toDouble(), 2125475.0);
        // 304 - 16 + 12.5 = 300.5, half to even.
        QCOMPARE(column(u"TFUNCTION"_s, u"NHTOTAL"_s).toDouble(), 300.0);
    }

    // Refusals before anything is written: a text with half of a surrogate pair is never sent
    // (it would break the statement on SQLite and be stored as "?" on PostgreSQL).
    void refusals_data()
    {
        addColumns<int, QString, QString, QString, QString>({"engine", "box", "typed", "title", "message"});
        const int sqlite = int(Engine::SQLite);
        QTest::newRow("no title") << sqlite << u"txtSFunc"_s << QString() << u"入力確認"_s
                                  << u"機能項目表題は必須入力です。"_s;
        QTest::newRow("hours overflow")
            << sqlite << u"txtHour_2"_s << u"40000"_s << u"オーバフロー"_s << QString();
        QTest::newRow("half-typed discount")
            << sqlite << u"txtDiscount"_s << u"-"_s << u"入力確認"_s << u"値引きの値が正しくありません。"_s;
        QTest::newRow("half-typed unit price") << sqlite << u"txtUPrice_1"_s << u"-"_s << u"入力確認"_s
                                               << u"基本設計の単価の値が正しくありません。"_s;
        QTest::newRow("pasted fraction of an hour") << sqlite << u"txtHour_4"_s << u"2.5"_s << u"入力確認"_s
                                                    << u"単体テストの工数の値が正しくありません。"_s;
        for (const auto& [name, engine] : kEngines) {
            QTest::addRow("%s broken character in the description", name)
                << int(engine) << u"txtLFunc"_s << u"説明"_s + QChar(0xD83D) << u"入力確認"_s
                << u"説明の値が正しくありません。"_s;
            QTest::addRow("%s broken character in the title", name)
                << int(engine) << u"txtSFunc"_s << QChar(0xDC00) + u"表題"_s << u"入力確認"_s
                << u"機能項目表題の値が正しくありません。"_s;
        }
    }
    void refusals()
    {
        FETCH_ENGINE();
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, title);
        QFETCH(QString, message);
        DemoSession s(dbEngine);
        const QString before = FunctionRowsSnapshot(s.conn());
        FunctionEditor e(s.open(1, false));
        setText(&e, box, typed);
        Messages::clearShown();
        QVERIFY(!e.saveFunction(1));
        QCOMPARE(Messages::last().title, title);
        if (!message.isEmpty()) {
            QCOMPARE(Messages::last().text, message);
        }
        QCOMPARE(e.result(), 0);
        QCOMPARE(FunctionRowsSnapshot(s.conn()), before);
        QVERIFY(!s.state->Updated);
    }
    // Two users: B, on a connection of its own, deletes or changes what A has open in the
    // editor. A is told, and the editor stays open with what A typed; a change is written over
    // only when A says Yes.
    void otherUser_data()
    {
        addColumns<int, int, QString, int>({"engine", "function", "meanwhile", "answer"});
        for (const auto& [name, engine] : kEngines) {
            QTest::addRow("%s function deleted", name) << int(engine) << 2 << u"function"_s << 0;
            QTest::addRow("%s project deleted", name) << int(engine) << 2 << u"project"_s << 0;
            QTest::addRow("%s new one, project deleted", name) << int(engine) << 0 << u"project"_s << 0;
            QTest::addRow("%s changed, No", name) << int(engine) << 2 << u"change"_s << int(QMessageBox::No);
            QTest::addRow("%s changed, Yes", name)
                << int(engine) << 2 << u"change"_s << int(QMessageBox::Yes);
        }
    }
    void otherUser()
    {
        FETCH_ENGINE();
        QFETCH(int, function);
        QFETCH(QString, meanwhile);
        QFETCH(int, answer);
        DemoSession s(dbEngine);
        FunctionEditor e(s.open(function, false));
        if (function == 0) {
            typeNewFunction(e);
        }
        setText(&e, u"txtSFunc"_s, u"Aの機能"_s);
        const std::unique_ptr<DbConnection> b = s.db->connect();
        if (meanwhile == u"function"_s) {
            ExecSql(*b, u"DELETE TFP WHERE NFUNCTION = 2"_s);
            ExecSql(*b, u"DELETE TFUNCTION WHERE NFUNCTION = 2"_s);
        } else if (meanwhile == u"project"_s) {
            DeleteProjectRows(*b, 2, 0);
        } else {
            ExecSql(*b, u"UPDATE TFUNCTION SET NDISCOUNT = 777 WHERE NFUNCTION = 2"_s);
        }
        const QString afterB = FunctionRowsSnapshot(s.conn());
        const int functions = rowCount(s.conn(), u"TFUNCTION"_s);
        Messages::clearShown();
        if (answer != 0) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        const bool saved = e.saveFunction(function == 0 ? 0 : 1);
        QCOMPARE(saved, answer == int(QMessageBox::Yes));
        if (meanwhile == u"change"_s) {
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"更新競合"_s,
                                 u"他の利用者がこの機能項目を先に更新しました。\n上書きしますか？"_s,
                                 Messages::Exclamation);
            QCOMPARE(Messages::last().buttons, QMessageBox::Yes | QMessageBox::No);
        } else {
            COMPARE_LAST_MESSAGE(u"更新エラー"_s,
                                 function == 0 ? u"親プロジェクトは他の利用者によって削除されています。"_s
                                               : u"この機能項目は他の利用者によって削除されています。"_s,
                                 Messages::Exclamation);
        }
        if (saved) {
            QCOMPARE(e.result(), int(QDialog::Accepted));
            QCOMPARE(scalar(s.conn(), u"SELECT CSFUNC AS V FROM TFUNCTION WHERE NFUNCTION = 2"_s).toString(),
                     u"Aの機能"_s);
            return;
        }
        QCOMPARE(e.result(), 0);
        QVERIFY(!s.state->Updated);
        QCOMPARE(controlText(&e, u"txtSFunc"_s), u"Aの機能"_s);
        QCOMPARE(FunctionRowsSnapshot(s.conn()), afterB);
        QCOMPARE(rowCount(s.conn(), u"TFUNCTION"_s), functions);
    }

    // A save that fails for a passing reason is told so, with the editor still open on what was
    // typed and nothing written; the next save goes through. "lost": the connection goes in the
    // middle of the save and is reopened. "busy": B's save of the same function is under way (its
    // transaction open) for longer than A waits, until B gives up.
    void passingFailure_data()
    {
        addColumns<int, QString, QString, QString>({"engine", "failure", "typed", "message"});
        for (const auto& [name, engine] : kEngines) {
            QTest::addRow("%s connection lost", name)
                << int(engine) << u"lost"_s << u"再接続"_s
                << u"データベースとの接続が切れました。再接続しました。もう一度保存してください。"_s;
            QTest::addRow("%s another save under way", name)
                << int(engine) << u"busy"_s << u"Aの機能"_s
                << u"他の利用者が同じデータを更新しているため、処理できませんでした。\n"
                   u"しばらくしてからもう一度お試しください。"_s;
        }
    }
    void passingFailure()
    {
        FETCH_ENGINE();
        QFETCH(QString, failure);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        DemoSession s(dbEngine);
        FunctionEditor e(s.open(2, false));
        setText(&e, u"txtSFunc"_s, typed);
        const QString before = FunctionRowsSnapshot(*s.db->connect());
        Messages::clearShown();
        bool saved = true;
        if (failure == u"lost"_s) {
            QVERIFY(RunWhenSent(
                nullptr, u"INSERT INTO TFPADJ"_s, [&] { DropConnection(s.conn()); },
                [&] { saved = e.saveFunction(1); }));
        } else {
            ShortenLockWait(s.conn(), 200);
            const std::unique_ptr<DbConnection> b = s.db->connect();
            Transaction saving(*b); // given up at the end of this block
            ExecSql(*b, u"UPDATE TFUNCTION SET NDISCOUNT = 777 WHERE NFUNCTION = 2"_s);
            saved = e.saveFunction(1);
        }
        QVERIFY(!saved);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, message, Messages::Exclamation);
        QCOMPARE(e.result(), 0);
        QCOMPARE(controlText(&e, u"txtSFunc"_s), typed);
        QCOMPARE(FunctionRowsSnapshot(s.conn()), before);
        QVERIFY(e.saveFunction(1));
        QCOMPARE(scalar(s.conn(), u"SELECT CSFUNC AS V FROM TFUNCTION WHERE NFUNCTION = 2"_s).toString(),
                 typed);
    }

    // An assignment of a member who is no longer in the project (taken out by another user, or
    // left so by an earlier version): the editor opens and shows it, priced at nothing; a save is
    // refused with what to do, and goes through once the assignment is deleted in its dialog.
    void assignmentOfMemberOutsideProject_data() { addEngineRows(); }
    void assignmentOfMemberOutsideProject()
    {
        FETCH_ENGINE();
        DemoSession s(dbEngine);
        // 田中 優子 (member 4) is not in project 2.
        ExecSql(s.conn(), u"INSERT INTO TCHARGE VALUES (2, 1, 3, 2, 4, 12)"_s);
        const QString before = FunctionRowsSnapshot(s.conn());
        FunctionEditor e(s.open(1, true));
        QVERIFY(e.isReady());
        // Process 3: member 3 (SE, 7,500) 40 hours, and member 4's 12 hours at no price.
        QCOMPARE(texts(&e, {u"lblUHour_2"_s, u"lvlPrice_2"_s}), (QStringList{u"52"_s, u"300,000"_s}));
        Messages::clearShown();
        QVERIFY(!e.saveFunction(1));
        COMPARE_LAST_MESSAGE(u"更新エラー"_s,
                             u"割り当てたメンバは他の利用者によってプロジェクトから外されています。\n"
                             u"そのメンバの割り当てを担当入力で削除してから保存してください。"_s,
                             Messages::Exclamation);
        QCOMPARE(e.result(), 0);
        QCOMPARE(FunctionRowsSnapshot(s.conn()), before);

        e.show();
        showTab(&e, 1);
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        const ModalSteps modal([&](QWidget* dialog) {
            auto* list = control<QTreeWidget>(dialog, u"lvwChList"_s);
            QCOMPARE(rowKeys(list), (QStringList{u"M0003"_s, u"M0004"_s}));
            QCOMPARE(rowTexts(list, 1), (QStringList{u"田中 優子"_s, u"12"_s, u"0"_s}));
            clickRow(list, 1);
            clickButton(dialog, u"cmdChgDel"_s);
            clickButton(dialog, u"cmdFix"_s);
        });
        clickButton(&e, u"cmdHour_2"_s);
        QVERIFY(modal.ran());
        QVERIFY(e.saveFunction(1));
        QCOMPARE(rowCount(s.conn(), u"TCHARGE"_s, u"NMEMBER = 4 AND NPROJECT = 2"_s), 0);
        QCOMPARE(scalar(s.conn(), u"SELECT NHOUR AS V FROM TCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 "
                                  u"AND NPROC = 3"_s)
                     .toInt(),
                 40);
    }
};

QTEST_MAIN(TestFunctionSave)
#include "test_function_save.moc"
