#include "foundation/db_error.h"
#include "foundation/messages.h"
#include "project/project_save.h"
#include "project_fixture.h"

#include <QTabWidget>

namespace {

const QString kName = u"O'Brien's 'DELETE TFP WHERE 1=1' 案件"_s;
const QString kOutline = u"一行目\nit's ''quoted''"_s;
const QString kSpecial = u"Convert(DateTime,'x',111) @@IDENTITY');--"_s;

// Types a whole project into the editor, on every tab.
void fillEditor(QWidget* e)
{
    control<QLineEdit>(e, "txtPName")->setText(kName);
    pick(control<QComboBox>(e, "cmbContCust"), u"東和システム株式会社"_s);
    pick(control<QComboBox>(e, "cmbEndCust"), u"株式会社ミナト物流"_s);
    control<QLineEdit>(e, "txtBase")->setText(u"120,000"_s);
    control<QLineEdit>(e, "txtPrice")->setText(u"1,234,567"_s);
    control<QPlainTextEdit>(e, "txtOutLine")->setPlainText(kOutline);
    control<QPlainTextEdit>(e, "txtSpecial")->setPlainText(kSpecial);

    pick(control<QComboBox>(e, "cmbMember"), u"高橋 翔"_s);
    control<QLineEdit>(e, "txtMembOccu")->setText(u"100"_s);
    control<QLineEdit>(e, "txtIndirect")->setText(u"20"_s);
    control<QPushButton>(e, "cmdMembAdd")->click();
    pick(control<QComboBox>(e, "cmbMember"), u"伊藤 大輔"_s);
    control<QLineEdit>(e, "txtMembOccu")->setText(u"1,050"_s);
    control<QLineEdit>(e, "txtIndirect")->clear();
    control<QPushButton>(e, "cmdMembAdd")->click();

    control<QLineEdit>(e, "txtDate_0")->setText(u"2003/04/15"_s);
    control<QLineEdit>(e, "txtDate_3")->setText(u"2003/13/01"_s);
    control<QLineEdit>(e, "txtDate_7")->setText(u"2003/09/01"_s);

    pick(control<QComboBox>(e, "cmbFlaw"), u"1年"_s);
    control<QLineEdit>(e, "txtFlaw")->setText(u"it's memo"_s);
    control<QLineEdit>(e, "txtFlawPri")->setText(u"50,000"_s);
    control<QLineEdit>(e, "txtContOpt_0")->setText(u"O'Neil 支援"_s);
    control<QLineEdit>(e, "txtOpt_0")->setText(u"memo'"_s);
    control<QLineEdit>(e, "txtOptPri_0")->setText(u"30,000"_s);

    control<QCheckBox>(e, "chkDeliv_1")->setChecked(true);
    control<QCheckBox>(e, "chkFmt_1")->setChecked(true);
    control<QLineEdit>(e, "txtDelPri_1")->setText(u"42,000"_s);
    control<QLineEdit>(e, "txtDeliv_8")->setText(u"手順書'A'"_s);
    control<QLineEdit>(e, "txtDelPri_8")->setText(u"15,000"_s);

    pick(control<QComboBox>(e, "cmbItem"), u"SSLサーバ証明書"_s);
    pick(control<QComboBox>(e, "cmbBuy"), u"顧客"_s);
    control<QLineEdit>(e, "txtNum")->setText(u"2"_s);
    control<QLineEdit>(e, "txtDiscP")->setText(u"1,000"_s);
    control<QPushButton>(e, "cmdExpAdd")->click();
}

// What the editor holds, to show that a failed save lost nothing.
QString editorContents(QWidget* e)
{
    QStringList parts;
    for (const char* name : {"txtPName", "txtBase", "txtPrice", "txtDate_0", "txtDate_3", "txtFlawPri",
                             "txtContOpt_0", "txtDelPri_1", "txtDeliv_8"}) {
        parts << control<QLineEdit>(e, QString::fromLatin1(name))->text();
    }
    parts << control<QPlainTextEdit>(e, "txtOutLine")->toPlainText();
    for (const char* name : {"lvwMList", "lvwEList"}) {
        const auto* list = control<QTreeWidget>(e, QString::fromLatin1(name));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            parts << rowTexts(list, i).join(QLatin1Char('/'));
        }
    }
    return parts.join(QLatin1Char('|'));
}

} // namespace

class TestProjectSave : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void statementTexts()
    {
        ProjectRecord record;
        record.parent = 3;
        record.name = u"A'B"_s;
        record.endCustomer = 1;
        record.contractCustomer = 2;
        record.priceKind = 1;
        record.base = u"100,000"_s;
        record.price = QString();
        record.outline = QString();
        record.special = u"x"_s;
        record.quote = QuoteSettings{true, true, false, true, false, true, 800};
        const QString values =
            u"3, 'A''B', 1, 2, 1, 100000, NULL, '', 'x', '1', '1', '0', '1', '0', '1', 800"_s;
        QCOMPARE(
            ProjectInsertStatement(record),
            QStringLiteral(
                "INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, NPRICE, "
                "COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT) VALUES(") +
                values + u")"_s);
        QCOMPARE(
            ProjectUpdateStatement(record, 7),
            QStringLiteral(
                "UPDATE TPROJECT SET NPARPROJ = 3, CPROJNAME = 'A''B', NENDCUST = 1, NCONTCUST = 2, "
                "NPRIKIND = 1, NBASE = 100000, NPRICE = NULL, COUTLINE = '', CSPECIAL = 'x', CBASE = '1', "
                "CWORK = '1', COPT = '0', CDELIV = '1', CEXPE0 = '0', CEXPE1 = '1', NDISCOUNT = 800 "
                "WHERE NPROJECT = 7"));

        QCOMPARE(ContractStatements(7, {{2, 3, QString(), u"it's"_s, u"1,000"_s},
                                        {100, 0, u"名前"_s, QString(), QString()}}),
                 (QStringList{u"DELETE TCONTRACT WHERE NPROJECT = 7"_s,
                              u"INSERT INTO TCONTRACT VALUES (7, 2, 3, NULL, 'it''s', 1000)"_s,
                              u"INSERT INTO TCONTRACT VALUES (7, 100, 0, '名前', '', NULL)"_s}));
        QCOMPARE(ScheduleStatements(7, {{2, QDate(2003, 4, 5)}, {5, QDate()}}),
                 (QStringList{u"DELETE TDATE WHERE NPROJECT = 7"_s,
                              u"INSERT INTO TDATE VALUES (7, 0, 2, Convert(DateTime,'2003/04/05',111))"_s}));
        QCOMPARE(DeliverableStatements(7, {{1, 4, true, false, QString(), u"105,000"_s},
                                           {2, 5, false, true, QString(), u"0"_s},
                                           {9, 0, false, false, u"手順'書"_s, u""_s},
                                           {10, 0, false, false, QString(), u"5"_s}}),
                 (QStringList{u"DELETE TDELIV WHERE NPROJECT = 7"_s,
                              u"INSERT INTO TDELIV VALUES (7, 1, 4, '1', '0', NULL, 105000)"_s,
                              u"INSERT INTO TDELIV VALUES (7, 2, 5, '0', '1', NULL, 0)"_s,
                              u"INSERT INTO TDELIV VALUES (7, 9, NULL, NULL, NULL, '手順''書', NULL)"_s}));
        QCOMPARE(ExpenseStatements(7, {{3, 1, u"12,000"_s, u"3"_s, u"1,000"_s, u"35,000"_s},
                                       {4, 0, u"500"_s, QString(), QString(), u"500"_s}}),
                 (QStringList{u"DELETE TEXPENSE WHERE NPROJECT = 7"_s,
                              u"INSERT INTO TEXPENSE VALUES (7, 1, 3, 1, 12000, 3, 1000, 35000)"_s,
                              u"INSERT INTO TEXPENSE VALUES (7, 2, 4, 0, 500, NULL, NULL, 500)"_s}));
        QCOMPARE(MemberStatements(
                     7, {{12, 3, u"5,000"_s, u"100"_s, u"20"_s}, {4, 1, u"6,500"_s, u"1,200"_s, QString()}}),
                 (QStringList{u"DELETE TMEMBER WHERE NPROJECT = 7"_s,
                              u"INSERT INTO TMEMBER VALUES (7, 1, 12, 3, 5000, 100, 20)"_s,
                              u"INSERT INTO TMEMBER VALUES (7, 2, 4, 1, 6500, 1200, NULL)"_s}));
    }

    void newProjectWritesEverything_data() { addEngineRows(); }
    void newProjectWritesEverything()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        auto editor = openNewProject(*state, 1);
        fillEditor(editor.get());
        StatementLog log;
        control<QPushButton>(editor.get(), "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        const int id = state->CurProject;
        QVERIFY(id > 4);
        QVERIFY(state->Updated);

        const QStringList& s = log.statements();
        QCOMPARE(s.size(), 28);
        QCOMPARE(
            s.at(0),
            QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, "
                           "NPRICE, COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, "
                           "NDISCOUNT) VALUES(1, 'O''Brien''s ''DELETE TFP WHERE 1=1'' 案件', 1, 2, 1, "
                           "120000, 1234567, '一行目\nit''s ''''quoted''''', "
                           "'Convert(DateTime,''x'',111) @@IDENTITY'');--', '1', '1', '1', '1', '0', "
                           "'1', 0)"));
        QCOMPARE(s.at(1), u"SELECT @@IDENTITY AS ID FROM TPROJECT"_s);
        const QString p = QString::number(id);
        QCOMPARE(s.at(2), u"DELETE TCONTRACT WHERE NPROJECT = "_s + p);
        QCOMPARE(s.at(3), u"INSERT INTO TCONTRACT VALUES ("_s + p + u", 1, 1, NULL, '', 0)"_s);
        QCOMPARE(s.at(4), u"INSERT INTO TCONTRACT VALUES ("_s + p + u", 2, 2, NULL, 'it''s memo', 50000)"_s);
        QCOMPARE(s.at(9),
                 u"INSERT INTO TCONTRACT VALUES ("_s + p + u", 100, 0, 'O''Neil 支援', 'memo''', 30000)"_s);
        QCOMPARE(s.at(10), u"DELETE TDATE WHERE NPROJECT = "_s + p);
        QCOMPARE(s.at(11),
                 u"INSERT INTO TDATE VALUES ("_s + p + u", 0, 1, Convert(DateTime,'2003/04/15',111))"_s);
        QCOMPARE(s.at(12),
                 u"INSERT INTO TDATE VALUES ("_s + p + u", 0, 8, Convert(DateTime,'2003/09/01',111))"_s);
        QCOMPARE(s.at(13), u"DELETE TDELIV WHERE NPROJECT = "_s + p);
        QCOMPARE(s.at(15), u"INSERT INTO TDELIV VALUES ("_s + p + u", 2, 2, '1', '1', NULL, 42000)"_s);
        QCOMPARE(s.at(22),
                 u"INSERT INTO TDELIV VALUES ("_s + p + u", 9, NULL, NULL, NULL, '手順書''A''', 15000)"_s);
        QCOMPARE(s.at(23), u"DELETE TEXPENSE WHERE NPROJECT = "_s + p);
        QCOMPARE(s.at(24), u"INSERT INTO TEXPENSE VALUES ("_s + p + u", 1, 3, 1, 45000, 2, 1000, 89000)"_s);
        QCOMPARE(s.at(25), u"DELETE TMEMBER WHERE NPROJECT = "_s + p);
        QCOMPARE(s.at(26), u"INSERT INTO TMEMBER VALUES ("_s + p + u", 1, 3, 3, 4800, 100, 20)"_s);
        QCOMPARE(s.at(27), u"INSERT INTO TMEMBER VALUES ("_s + p + u", 2, 5, 4, 3500, 1050, NULL)"_s);

        // Reopened, the project shows everything as entered.
        auto reopened = openProject(*state, id);
        QWidget* e = reopened.get();
        QCOMPARE(texts(e, {"txtPName",    "cmbParProj", "cmbEndCust",  "cmbContCust",  "txtBase",
                           "txtPrice",    "txtOutLine", "txtSpecial",  "txtDate_0",    "txtDate_3",
                           "txtDate_7",   "cmbFlaw",    "txtFlaw",     "txtContOpt_0", "txtOpt_0",
                           "txtOptPri_0", "txtDeliv_8", "txtDelPri_8", "lblContract",  "lblDelPri",
                           "lblExpense_1"}),
                 (QStringList{kName,
                              u"ミナト物流 配送管理システム再構築"_s,
                              u"株式会社ミナト物流"_s,
                              u"東和システム株式会社"_s,
                              u"120,000"_s,
                              u"1,234,567"_s,
                              kOutline,
                              kSpecial,
                              u"2003/04/15"_s,
                              QString(),
                              u"2003/09/01"_s,
                              u"1年"_s,
                              u"it's memo"_s,
                              u"O'Neil 支援"_s,
                              u"memo'"_s,
                              u"30,000"_s,
                              u"手順書'A'"_s,
                              u"15,000"_s,
                              u"80,000"_s,
                              u"57,000"_s,
                              u"89,000"_s}));
        QVERIFY(control<QCheckBox>(e, "chkDeliv_1")->isChecked());
        QVERIFY(control<QCheckBox>(e, "chkFmt_1")->isChecked());
        const auto* members = control<QTreeWidget>(e, "lvwMList");
        QCOMPARE(members->topLevelItemCount(), 2);
        QCOMPARE(rowTexts(members, 0), (QStringList{"高橋 翔", "SE", "4,800", "100", "20"}));
        QCOMPARE(rowTexts(members, 1), (QStringList{"伊藤 大輔", "PG", "3,500", "1050", ""}));
        QCOMPARE(rowTexts(control<QTreeWidget>(e, "lvwEList"), 0),
                 (QStringList{"SSLサーバ証明書", "顧客", "45,000", "2", "1,000", "89,000"}));
    }

    void updateRewritesTheProject_data() { addEngineRows(); }
    void updateRewritesTheProject()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        auto editor = openProject(*state, 2);
        QWidget* e = editor.get();
        control<QPlainTextEdit>(e, "txtOutLine")->setPlainText(u"変更した概要"_s);
        showTab(e, 1);
        auto* members = control<QTreeWidget>(e, "lvwMList");
        clickRow(members, 4);
        control<QPushButton>(e, "cmdMUp")->click(); // 渡辺 above 伊藤
        StatementLog log;
        control<QPushButton>(e, "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(state->CurProject, 2);
        QVERIFY(!state->Updated); // neither the name nor the parent changed
        QVERIFY(!state->PricesChanged);
        const QStringList& s = log.statements();
        QVERIFY(s.at(0).startsWith(
            QStringLiteral("UPDATE TPROJECT SET NPARPROJ = 1, CPROJNAME = '受注・出荷管理サブシステム', "
                           "NENDCUST = 1, NCONTCUST = 2, NPRIKIND = 1, NBASE = 100000, "
                           "NPRICE = 7970000, COUTLINE = '変更した概要', ")));
        QVERIFY(s.at(0).endsWith(
            QStringLiteral(", CBASE = '1', CWORK = '1', COPT = '1', CDELIV = '1', CEXPE0 = '0', "
                           "CEXPE1 = '1', NDISCOUNT = 800 WHERE NPROJECT = 2")));
        QCOMPARE(s.at(1), u"DELETE TCONTRACT WHERE NPROJECT = 2"_s);
        QCOMPARE(s.filter(u"INSERT INTO TMEMBER"_s).at(3),
                 u"INSERT INTO TMEMBER VALUES (2, 4, 6, 5, 3000, 120, 8)"_s);
        QCOMPARE(s.filter(u"INSERT INTO TMEMBER"_s).at(4),
                 u"INSERT INTO TMEMBER VALUES (2, 5, 5, 4, 3500, 300, 16)"_s);
        QCOMPARE(scalar(c, u"SELECT NMEMBER AS V FROM TMEMBER WHERE NPROJECT = 2 AND NADD = 4"_s).toInt(), 6);
        QCOMPARE(rowCount(c, u"TCONTRACT"_s, u"NPROJECT = 2"_s), 7);
        QCOMPARE(rowCount(c, u"TDELIV"_s, u"NPROJECT = 2"_s), 9);
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2"_s), 8);
        QCOMPARE(rowCount(c, u"TEXPENSE"_s, u"NPROJECT = 2"_s), 4);
        QCOMPARE(rowCount(c, u"TFUNCTION"_s, u"NPROJECT = 2"_s), 3);
        QCOMPARE(scalar(c, u"SELECT SUM(NPRI) AS V FROM TDELIV WHERE NPROJECT = 2"_s).toDouble(), 1256000.0);
        QCOMPARE(scalar(c, u"SELECT SUM(NPRICEP) AS V FROM TEXPENSE WHERE NPROJECT = 2"_s).toDouble(),
                 665000.0);
        // The other projects' rows are untouched.
        QCOMPARE(rowCount(c, u"TMEMBER"_s, u"NPROJECT = 3"_s), 4);
    }

    void treeRefreshRule_data()
    {
        addColumns<QString, bool>({"change", "updated"});
        QTest::newRow("outline only") << u"outline"_s << false;
        QTest::newRow("name") << u"name"_s << true;
        QTest::newRow("parent") << u"parent"_s << true;
    }
    void treeRefreshRule()
    {
        QFETCH(QString, change);
        QFETCH(bool, updated);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openProject(*state, 4);
        QWidget* e = editor.get();
        if (change == QLatin1String("outline")) {
            control<QPlainTextEdit>(e, "txtOutLine")->setPlainText(u"x"_s);
        } else if (change == QLatin1String("name")) {
            control<QLineEdit>(e, "txtPName")->setText(u"新しい名前"_s);
        } else {
            pick(control<QComboBox>(e, "cmbParProj"), u"ROOT"_s);
        }
        control<QPushButton>(e, "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(state->Updated, updated);
    }

    void deleteRemovesTheProject_data() { addEngineRows(); }
    void deleteRemovesTheProject()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();

        // A project with a sub-project cannot be deleted here.
        auto parent = openProject(*state, 3);
        QVERIFY(!control<QPushButton>(parent.get(), "cmdDel")->isEnabled());
        parent.reset();

        auto editor = openProject(*state, 2);
        auto* del = control<QPushButton>(editor.get(), "cmdDel");
        QVERIFY(del->isEnabled());
        const QString before = snapshot(c);
        Messages::setNextAnswer(QMessageBox::No);
        del->click();
        QCOMPARE(Messages::last().title, u"削除確認"_s);
        QCOMPARE(Messages::last().text, u"プロジェクトを削除します。よろしいですか？"_s);
        QCOMPARE(Messages::last().defaultButton, QMessageBox::No);
        QVERIFY(editor->isVisible());
        QCOMPARE(snapshot(c), before);

        Messages::setNextAnswer(QMessageBox::Yes);
        del->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QVERIFY(state->Updated);
        QCOMPARE(state->CurProject, 0);
        for (const char* table : {"TPROJECT", "TFUNCTION", "TCHARGE", "THOUR", "TFP", "TMEMBER", "TEXPENSE",
                                  "TDELIV", "TCONTRACT", "TDATE"}) {
            QCOMPARE(rowCount(c, QString::fromLatin1(table), u"NPROJECT = 2"_s), 0);
        }
        QCOMPARE(rowCount(c, u"TMEMBER"_s, u"NPROJECT = 3"_s), 4);
        QCOMPARE(rowCount(c, u"TPROJECT"_s), 3);
    }

    // A failure at any statement of the save leaves the database as it was and the editor
    // open with everything typed; the user can save again.
    void failureAtEveryStatement_data()
    {
        addColumns<int, bool>({"engine", "newProject"});
        for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const int e = static_cast<int>(engine);
            const QString name = engine == Engine::SQLite ? u"sqlite"_s : u"postgresql"_s;
            QTest::newRow(qPrintable(name + u" new"_s)) << e << true;
            QTest::newRow(qPrintable(name + u" update"_s)) << e << false;
        }
    }
    void failureAtEveryStatement()
    {
        QFETCH(int, engine);
        QFETCH(bool, newProject);
        auto db = TestDatabase::create(static_cast<Engine>(engine), true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        int failures = 0;
        for (int failAt = 0;; ++failAt) {
            auto editor = newProject ? openNewProject(*state, 3) : openProject(*state, 2);
            QWidget* e = editor.get();
            if (newProject) {
                fillEditor(e);
            } else {
                setText(e, "txtPName", kName);
                setText(e, "txtDate_5", QString());
                setText(e, "txtContOpt_1", u"追加'オプション"_s);
                setText(e, "txtOptPri_1", u"12,345"_s);
            }
            const QString contents = editorContents(e);
            const QString before = snapshot(c);
            const int projectBefore = state->CurProject;
            Messages::clearShown();
            StatementLog log(failAt);
            control<QPushButton>(e, "cmdOK")->click();
            if (!log.failed()) {
                // Every statement of the save has failed once; this run went through.
                QCOMPARE(editor->result(), int(QDialog::Accepted));
                QCOMPARE(failures, failAt);
                break;
            }
            ++failures;
            QVERIFY2(editor->isVisible(), qPrintable(log.failedStatement()));
            QCOMPARE(editor->result(), int(QDialog::Rejected));
            QCOMPARE(snapshot(c), before);
            QCOMPARE(editorContents(e), contents);
            QCOMPARE(state->CurProject, projectBefore);
            QVERIFY(!state->Updated);
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"injected failure\n"_s + log.failedStatement(),
                                 Messages::Critical);
            // Corrected (here: the failure gone), the same editor saves.
            log.reset();
            control<QPushButton>(e, "cmdOK")->click();
            QCOMPARE(editor->result(), int(QDialog::Accepted));
        }
        QCOMPARE(failures, newProject ? 28 : 1 + 9 + 8 + 10 + 5 + 6);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestProjectSave)
#include "test_project_save.moc"
