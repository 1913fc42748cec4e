#include "estimation/function_editor.h"
#include "estimation_fixtures.h"

// frmFunc on the real widgets, over the embedded database with the demo data.
class TestFunctionEditor : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<DemoSession> m_s;

    static void fpRow(FunctionEditor& e, const QString& title, int kind, int complexity, const char* button)
    {
        setText(&e, u"txtFpTitle"_s, title);
        pickCode(control<QComboBox>(&e, u"cmbFpKind"_s), kind);
        pickCode(control<QComboBox>(&e, u"cmbFpComplex"_s), complexity);
        Messages::clearShown();
        clickButton(&e, QString::fromLatin1(button));
    }

private slots:
    void init() { m_s = std::make_unique<DemoSession>(); }
    void cleanup() { m_s.reset(); }

    void newFunctionDefaultsAndOverflow()
    {
        FunctionEditor e(m_s->open(0, false));
        QCOMPARE(e.windowTitle(), u"機能項目編集"_s);
        QVERIFY(!control<QPushButton>(&e, u"cmdDel"_s)->isEnabled());
        // Degree 2 on every factor, rank 2 (nominal) on every driver; Java, the first language, 53;
        // eight processes in use with the prices of kind 1.
        QCOMPARE(texts(&e, {u"lblFpAdjTotal"_s, u"lblFpAdjRes"_s, u"lblCoSVal_0"_s, u"lblCoSRes"_s,
                            u"lblCoLang"_s, u"txtUPrice_0"_s, u"txtUPrice_7"_s}),
                 (QStringList{u"28"_s, u"0.93"_s, u"3.72"_s, u"1.10"_s, u"53"_s, u"9000"_s, u"7000"_s}));
        QVERIFY(!control<QLineEdit>(&e, u"txtHour_7"_s)->isHidden());
        QVERIFY(control<QLineEdit>(&e, u"txtHour_8"_s)->isHidden());
        // The formulas show the constants they are computed with.
        QStringList captions;
        for (const QLabel* label : e.findChildren<QLabel*>()) {
            captions << label->text();
        }
        for (const QString& constant : {u"Ｘ 0.01 ) ＋ 0.65 ＝"_s, u") / 1000) ↑"_s, u"× 2.94 ×"_s}) {
            QVERIFY2(captions.contains(constant), qPrintable(constant));
        }
        // Only the ranks a driver has are offered: DATA starts at "低い".
        QCOMPARE(control<QComboBox>(&e, u"cmbCoCost_1"_s)->itemText(0), u"低い"_s);
        // A rank change shows its value and moves the exponent: PMAT very low 7.80, 22.09 x 0.01 + 0.91.
        control<QComboBox>(&e, u"cmbCoScale_4"_s)->setCurrentIndex(0);
        QCOMPARE(texts(&e, {u"lblCoSVal_4"_s, u"lblCoSRes"_s}), (QStringList{u"7.80"_s, u"1.13"_s}));
        // Leaving a box groups a unit price's digits; the hours stay as typed.
        e.show();
        QApplication::setActiveWindow(&e);
        QTRY_VERIFY(e.isActiveWindow());
        showTab(&e, 1);
        typeInto(&e, u"txtUPrice_2"_s, u"12345"_s);
        typeInto(&e, u"txtHour_2"_s, u"1234"_s);
        typeInto(&e, u"txtDiscount"_s, u"0"_s);
        QCOMPARE(texts(&e, {u"txtUPrice_2"_s, u"txtHour_2"_s}), (QStringList{u"12,345"_s, u"1234"_s}));
        setText(&e, u"txtHour_2"_s, QString());
        e.hide();

        // Hours beyond 16 bits warn once and count 0 in the price.
        setText(&e, u"txtHour_0"_s, u"4000"_s);
        QVERIFY(Messages::shown().isEmpty());
        setText(&e, u"txtHour_0"_s, u"40000"_s);
        setText(&e, u"txtHour_1"_s, u"10"_s);
        showTab(&e, 1);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, u"オーバフロー"_s);
        QCOMPARE(texts(&e, {u"lvlPrice_0"_s, u"lvlHTotal"_s, u"lvlPrice_1"_s}),
                 (QStringList{u"0"_s, u"40010"_s, u"85,000"_s}));

        // Ctrl+Tab on the last page returns to the first.
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        showTab(&e, 4);
        QTest::keyClick(control<QComboBox>(&e, u"cmbCoCost_0"_s), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(control<QTabWidget>(&e, u"tbsOptions"_s)->currentIndex(), 0);
        // Escape asks first; OK leaves without saving.
        Messages::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(&e, Qt::Key_Escape);
        COMPARE_LAST_MESSAGE(u"確認"_s, u"保存せずに終了します。\nよろしいですか。"_s, Messages::Question);
        QVERIFY(!e.isVisible());
    }

    void functionPointRows()
    {
        FunctionEditor e(m_s->open(0, false));
        fpRow(e, u"顧客ファイル"_s, 1, 1, "cmdFpAdd"); // 7
        fpRow(e, u"参照ファイル"_s, 2, 1, "cmdFpAdd"); // 5
        fpRow(e, u"登録画面"_s, 3, 2, "cmdFpAdd");     // 4
        auto* list = control<QTreeWidget>(&e, u"lvwFpList"_s);
        // 16 x 0.93; 53 x 16 / 1000.
        QCOMPARE(texts(&e, {u"lblUFP"_s, u"lblCoUfp"_s, u"lblFP"_s, u"lblLoc"_s}),
                 (QStringList{u"16"_s, u"16"_s, u"14.88"_s, u"0.85"_s}));

        // A click on the row just added brings its values back over what was typed.
        e.show();
        showTab(&e, 2);
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        setText(&e, u"txtFpTitle"_s, u"書きかけ"_s);
        pickCode(control<QComboBox>(&e, u"cmbFpKind"_s), 5);
        clickRow(list, 2);
        QCOMPARE(controlText(&e, u"txtFpTitle"_s), u"登録画面"_s);
        QCOMPARE(comboCode(&e, u"cmbFpKind"_s), 3);

        // A title already listed is refused when adding, that of the selected row too, and when
        // updating another row to it.
        fpRow(e, u"登録画面"_s, 4, 3, "cmdFpAdd");
        COMPARE_LAST_MESSAGE(u"重複"_s, u"同名の表題が既に登録されています。"_s, Messages::Exclamation);
        fpRow(e, u"参照ファイル"_s, 4, 3, "cmdFpAdd");
        COMPARE_LAST_MESSAGE(u"重複"_s, u"同名の表題が既に登録されています。"_s, Messages::Exclamation);
        QCOMPARE(list->topLevelItemCount(), 3);
        list->setCurrentItem(list->topLevelItem(0));
        fpRow(e, u"登録画面"_s, 1, 1, "cmdFpUp");
        QCOMPARE(Messages::last().title, u"重複"_s);
        // A row may keep its own title; a second update finds the row by its new key.
        fpRow(e, u"顧客ファイル"_s, 1, 3, "cmdFpUp");
        fpRow(e, u"顧客ファイル"_s, 5, 3, "cmdFpUp");
        QCOMPARE(rowTexts(list, 0, 1), (QStringList{u"外部照会"_s, u"高"_s, u"6"_s}));
        QCOMPARE(controlText(&e, u"lblUFP"_s), u"15"_s);
        fpRow(e, QString(), 1, 1, "cmdFpAdd");
        COMPARE_LAST_MESSAGE(u"入力確認"_s, u"表題は必須入力です。"_s, Messages::Information);

        // Moving rows; the first row stays first.
        list->setCurrentItem(list->topLevelItem(2));
        for (int i = 0; i < 3; ++i) {
            clickButton(&e, u"cmdFpLUp"_s);
        }
        QCOMPARE(columnTexts(list), (QStringList{u"登録画面"_s, u"顧客ファイル"_s, u"参照ファイル"_s}));
        // Deleting: update and delete wait until a row is chosen again.
        list->setCurrentItem(list->topLevelItem(1));
        clickButton(&e, u"cmdFpDel"_s);
        QCOMPARE(columnTexts(list), (QStringList{u"登録画面"_s, u"参照ファイル"_s}));
        QVERIFY(!control<QPushButton>(&e, u"cmdFpDel"_s)->isEnabled());
        QCOMPARE(controlText(&e, u"lblUFP"_s), u"9"_s);
    }

    void existingFunctionInProcessMode()
    {
        FunctionEditor e(m_s->open(1, false));
        QCOMPARE(texts(&e, {u"txtSFunc"_s, u"lvlCoef_1"_s, u"txtHour_3"_s, u"lvlPrice_3"_s, u"lvlHTotal"_s,
                            u"lvlTotal"_s, u"lvlCTotal"_s, u"lvlPriAll"_s, u"lblUFP"_s, u"lblFpAdjTotal"_s,
                            u"lblCoCVal_0"_s}),
                 (QStringList{u"受注入力"_s, u"1.10"_s, u"96"_s, u"576,000"_s, u"304"_s, u"2,056,000"_s,
                              u"2,261,600"_s, u"2,261,600"_s, u"28"_s, u"35"_s, u"1.10"_s}));
        // COCOMO: 28 points x 53 = 1.484 KStep, nominal scale, RELY high:
        // 1.484 ^ 1.0997 x 2.94 x 1.10 x 160 = 798.7 hours, 494.7 more than the 304 planned.
        QCOMPARE(texts(&e, {u"lblCoHour"_s, u"lblRemHour"_s}), (QStringList{u"799"_s, u"495"_s}));

        // A change of class, of the discount or of the language reprices and resizes at once.
        control<QComboBox>(&e, u"cmbImp"_s)->setCurrentIndex(1); // 普通 1.00
        QCOMPARE(texts(&e, {u"lvlCoef_1"_s, u"lvlPriAll"_s}), (QStringList{u"1.00"_s, u"2,056,000"_s}));
        setText(&e, u"txtDiscount"_s, u"96,000"_s);
        QCOMPARE(controlText(&e, u"lvlPriAll"_s), u"1,960,000"_s);
        control<QComboBox>(&e, u"cmbLang"_s)->setCurrentIndex(3); // C, 97: 28 x 97 / 1000
        QCOMPARE(texts(&e, {u"lblCoLang"_s, u"lblLoc"_s}), (QStringList{u"97"_s, u"2.72"_s}));
        // Escape asks first, Cancel stays; with the question turned off, Escape leaves at once.
        e.show();
        Messages::setNextAnswer(QMessageBox::Cancel);
        QTest::keyClick(&e, Qt::Key_Escape);
        COMPARE_LAST_MESSAGE(u"確認"_s, u"変更せずに終了します。\nよろしいですか。"_s, Messages::Question);
        QVERIFY(e.isVisible());
        m_s->state->policy.Cancel = false;
        Messages::clearShown();
        QTest::keyClick(&e, Qt::Key_Escape);
        QVERIFY(!e.isVisible());
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(!m_s->state->Updated);

        // A language coefficient beyond 16 bits warns on opening and counts 0 steps.
        ExecSql(m_s->conn(), u"UPDATE MLANG SET NCOEF = 40000 WHERE NLANG = 1"_s);
        FunctionEditor beyond(m_s->open(1, false));
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, u"オーバフロー"_s);
        QCOMPARE(texts(&beyond, {u"lblCoLang"_s, u"lblCoHour"_s, u"lvlPriAll"_s}),
                 (QStringList{u"0"_s, u"0"_s, u"2,261,600"_s}));
    }

    // Charge mode on function 1 after a member replacement left a gap in the positions of process 1
    // (renumbered, so that every assignment is shown and priced) and with process 8 retired (its
    // assignments stay on screen and in the figures); assignments edited in their dialog.
    void chargeMode()
    {
        ExecSql(m_s->conn(),
                u"DELETE TCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NPROC = 1 AND NADD = 1"_s);
        ExecSql(m_s->conn(), u"INSERT INTO TCHARGE VALUES (2, 1, 1, 5, 3, 10)"_s);
        ExecSql(m_s->conn(), u"UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 8"_s);
        {
            FunctionEditor e(m_s->open(1, true));
            QVERIFY(control<QWidget>(&e, u"txtHour_0"_s)->isHidden());
            QVERIFY(!control<QPushButton>(&e, u"cmdHour_7"_s)->isHidden());
            // Process 1: member 1 (PM, 10,000) 8 hours and member 3 (SE, 7,500) 10 hours.
            QCOMPARE(
                texts(&e, {u"lblUHour_0"_s, u"lvlPrice_0"_s, u"lblUHour_7"_s, u"lvlHTotal"_s, u"lvlTotal"_s}),
                (QStringList{u"18"_s, u"155,000"_s, u"8"_s, u"298"_s, u"1,935,000"_s}));
            // The hours come from the assignments: they look like the other figures, not like a
            // box that takes typing, and say where they come from.
            e.show();
            showTab(&e, 1);
            QVERIFY(QTest::qWaitForWindowExposed(&e));
            const auto inside = [&](const char* name) {
                auto* w = control<QWidget>(&e, QString::fromLatin1(name));
                return w->grab().toImage().pixelColor(3, w->height() / 2);
            };
            auto* hours = control<QLabel>(&e, u"lblUHour_0"_s);
            QCOMPARE(inside("lblUHour_0"), inside("lvlTotal"));
            QVERIFY(inside("lblUHour_0") != inside("txtDiscount"));
            QVERIFY(hours->frameShadow() != QFrame::Sunken);
            QCOMPARE(hours->toolTip(),
                     u"担当入力で割り当てた作業時間の合計です。「担当入力...」で変更します。"_s);

            // The assignments of process 3 edited in their dialog: the last one removed leaves 0
            // hours and no price.
            const ModalSteps modal([&](QWidget* dialog) {
                auto* list = control<QTreeWidget>(dialog, u"lvwChList"_s);
                list->setCurrentItem(list->topLevelItem(0));
                clickButton(dialog, u"cmdChgDel"_s);
                clickButton(dialog, u"cmdFix"_s);
            });
            clickButton(&e, u"cmdHour_2"_s);
            QVERIFY(modal.ran());
            QCOMPARE(texts(&e, {u"lblUHour_2"_s, u"lvlPrice_2"_s, u"lvlHTotal"_s}),
                     (QStringList{u"0"_s, u"0"_s, u"258"_s}));
        }
        FunctionEditor e(m_s->open(1, false));
        QVERIFY(control<QLineEdit>(&e, u"txtHour_7"_s)->isHidden());
        QCOMPARE(controlText(&e, u"lvlHTotal"_s), u"296"_s); // 導入 no longer planned
    }

    // In member-assignment mode the assignments are priced under the project's price kind.
    // Without one the editor does not open (a configuration to set, not a database failure);
    // with one the assignments cannot be read under (a kind since deleted) it does not open
    // either, since a save would drop the assignments it could not show.
    void chargeModeNeedsThePriceKind_data()
    {
        addColumns<int, int, QString, QString>({"function", "priceKind", "title", "text"});
        const QString unset = u"このプロジェクトには作業費単価の種類が設定されていません。\n"
                              u"プロジェクトの編集で設定してください。"_s;
        QTest::newRow("existing function, no price kind") << 1 << 0 << u"作業費単価未設定"_s << unset;
        QTest::newRow("new function, no price kind") << 0 << 0 << u"作業費単価未設定"_s << unset;
        QTest::newRow("assignments under a deleted kind")
            << 1 << 99 << u"ＤＢエラー"_s
            << u"作業費単価の種類が決まっていないため、担当を読み込めません。\n"
               u"SELECT * FROM VCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NPRIKIND = 99 ORDER BY NPROC, NADD"_s;
    }
    void chargeModeNeedsThePriceKind()
    {
        QFETCH(int, function);
        QFETCH(int, priceKind);
        QFETCH(QString, title);
        QFETCH(QString, text);
        const QString before = FunctionRowsSnapshot(m_s->conn());
        AppState& state = m_s->open(function, true);
        state.CurPriKind = priceKind;
        FunctionEditor e(state);
        QVERIFY(!e.isReady());
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(title, text, priceKind == 0 ? Messages::Exclamation : Messages::Critical);
        QCOMPARE(FunctionRowsSnapshot(m_s->conn()), before);
    }

    // Whichever statement of the load fails, the error is reported with that statement and the
    // window does not open half-filled.
    void loadFailureIsReported_data()
    {
        addColumns<bool, QString>({"charge", "statement"});
        QTest::newRow("adjustment degrees")
            << false << u"SELECT * FROM TFPADJ WHERE NPROJECT = 2 AND NFUNCTION = 1 ORDER BY NKIND"_s;
        QTest::newRow("language coefficient") << false << u"SELECT NCOEF FROM MLANG WHERE NLANG = 1"_s;
        QTest::newRow("assignments")
            << true
            << u"SELECT * FROM VCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NPRIKIND = 1 ORDER BY NPROC, NADD"_s;
    }
    void loadFailureIsReported()
    {
        QFETCH(bool, charge);
        QFETCH(QString, statement);
        StatementLog log;
        log.failOn(statement);
        FunctionEditor e(m_s->open(1, charge));
        QVERIFY(!e.isReady());
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"injected failure\n"_s + statement, Messages::Critical);
    }
};

QTEST_MAIN(TestFunctionEditor)
#include "test_function_editor.moc"
