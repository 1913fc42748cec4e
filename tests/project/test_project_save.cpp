#include "foundation/db_error.h"
#include "foundation/messages.h"
#include "project/project_save.h"
#include "project_fixture.h"

#include <QTabWidget>

namespace {

const QString kName = QStringLiteral("O'Brien's 'DELETE TFP WHERE 1=1' 案件");
const QString kOutline = QStringLiteral("一行目\nit's ''quoted''");
const QString kSpecial = QStringLiteral("Convert(DateTime,'x',111) @@IDENTITY');--");

// Types a whole project into the editor, on every tab.
void fillEditor(QWidget* e)
{
    control<QLineEdit>(e, "txtPName")->setText(kName);
    pick(control<QComboBox>(e, "cmbContCust"), QStringLiteral("東和システム株式会社"));
    pick(control<QComboBox>(e, "cmbEndCust"), QStringLiteral("株式会社ミナト物流"));
    control<QLineEdit>(e, "txtBase")->setText(QStringLiteral("120,000"));
    control<QLineEdit>(e, "txtPrice")->setText(QStringLiteral("1,234,567"));
    control<QPlainTextEdit>(e, "txtOutLine")->setPlainText(kOutline);
    control<QPlainTextEdit>(e, "txtSpecial")->setPlainText(kSpecial);

    pick(control<QComboBox>(e, "cmbMember"), QStringLiteral("高橋 翔"));
    control<QLineEdit>(e, "txtMembOccu")->setText(QStringLiteral("100"));
    control<QLineEdit>(e, "txtIndirect")->setText(QStringLiteral("20"));
    control<QPushButton>(e, "cmdMembAdd")->click();
    pick(control<QComboBox>(e, "cmbMember"), QStringLiteral("伊藤 大輔"));
    control<QLineEdit>(e, "txtMembOccu")->setText(QStringLiteral("1,050"));
    control<QLineEdit>(e, "txtIndirect")->clear();
    control<QPushButton>(e, "cmdMembAdd")->click();

    control<QLineEdit>(e, "txtDate_0")->setText(QStringLiteral("2003/04/15"));
    control<QLineEdit>(e, "txtDate_3")->setText(QStringLiteral("2003/13/01"));
    control<QLineEdit>(e, "txtDate_7")->setText(QStringLiteral("2003/09/01"));

    pick(control<QComboBox>(e, "cmbFlaw"), QStringLiteral("1年"));
    control<QLineEdit>(e, "txtFlaw")->setText(QStringLiteral("it's memo"));
    control<QLineEdit>(e, "txtFlawPri")->setText(QStringLiteral("50,000"));
    control<QLineEdit>(e, "txtContOpt_0")->setText(QStringLiteral("O'Neil 支援"));
    control<QLineEdit>(e, "txtOpt_0")->setText(QStringLiteral("memo'"));
    control<QLineEdit>(e, "txtOptPri_0")->setText(QStringLiteral("30,000"));

    control<QCheckBox>(e, "chkDeliv_1")->setChecked(true);
    control<QCheckBox>(e, "chkFmt_1")->setChecked(true);
    control<QLineEdit>(e, "txtDelPri_1")->setText(QStringLiteral("42,000"));
    control<QLineEdit>(e, "txtDeliv_8")->setText(QStringLiteral("手順書'A'"));
    control<QLineEdit>(e, "txtDelPri_8")->setText(QStringLiteral("15,000"));

    pick(control<QComboBox>(e, "cmbItem"), QStringLiteral("SSLサーバ証明書"));
    pick(control<QComboBox>(e, "cmbBuy"), QStringLiteral("顧客"));
    control<QLineEdit>(e, "txtNum")->setText(QStringLiteral("2"));
    control<QLineEdit>(e, "txtDiscP")->setText(QStringLiteral("1,000"));
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

class StatementRecorder {
public:
    StatementRecorder()
    {
        DbConnection::setStatementHook([this](const DbConnection&, const QString& sql) {
            ++m_count;
            m_statements << sql;
            if (m_count == m_failAt) {
                throw DbError(DbError::Other, QStringLiteral("injected failure"), sql);
            }
        });
    }
    ~StatementRecorder() { DbConnection::setStatementHook(nullptr); }
    void reset(int failAt = 0)
    {
        m_count = 0;
        m_failAt = failAt;
        m_statements.clear();
    }
    const QStringList& statements() const { return m_statements; }
    bool failed() const { return m_failAt > 0 && m_count >= m_failAt; }

private:
    int m_count = 0;
    int m_failAt = 0;
    QStringList m_statements;
};

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
        record.name = QStringLiteral("A'B");
        record.endCustomer = 1;
        record.contractCustomer = 2;
        record.priceKind = 1;
        record.base = QStringLiteral("100,000");
        record.price = QString();
        record.outline = QString();
        record.special = QStringLiteral("x");
        record.quote = QuoteSettings{true, true, false, true, false, true, 800};
        const QString values =
            QStringLiteral("3, 'A''B', 1, 2, 1, 100000, NULL, '', 'x', '1', '1', '0', '1', '0', '1', 800");
        QCOMPARE(
            ProjectInsertStatement(record),
            QStringLiteral(
                "INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, NPRICE, "
                "COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT) VALUES(") +
                values + QStringLiteral(")"));
        QCOMPARE(
            ProjectUpdateStatement(record, 7),
            QStringLiteral(
                "UPDATE TPROJECT SET NPARPROJ = 3, CPROJNAME = 'A''B', NENDCUST = 1, NCONTCUST = 2, "
                "NPRIKIND = 1, NBASE = 100000, NPRICE = NULL, COUTLINE = '', CSPECIAL = 'x', CBASE = '1', "
                "CWORK = '1', COPT = '0', CDELIV = '1', CEXPE0 = '0', CEXPE1 = '1', NDISCOUNT = 800 "
                "WHERE NPROJECT = 7"));

        QCOMPARE(ContractStatements(7, {{2, 3, QString(), QStringLiteral("it's"), QStringLiteral("1,000")},
                                        {100, 0, QStringLiteral("名前"), QString(), QString()}}),
                 (QStringList{QStringLiteral("DELETE TCONTRACT WHERE NPROJECT = 7"),
                              QStringLiteral("INSERT INTO TCONTRACT VALUES (7, 2, 3, NULL, 'it''s', 1000)"),
                              QStringLiteral("INSERT INTO TCONTRACT VALUES (7, 100, 0, '名前', '', NULL)")}));
        QCOMPARE(
            ScheduleStatements(7, {{2, QDate(2003, 4, 5)}, {5, QDate()}}),
            (QStringList{
                QStringLiteral("DELETE TDATE WHERE NPROJECT = 7"),
                QStringLiteral("INSERT INTO TDATE VALUES (7, 0, 2, Convert(DateTime,'2003/04/05',111))")}));
        QCOMPARE(
            DeliverableStatements(7, {{1, 4, true, false, QString(), QStringLiteral("105,000")},
                                      {2, 5, false, true, QString(), QStringLiteral("0")},
                                      {9, 0, false, false, QStringLiteral("手順'書"), QStringLiteral("")},
                                      {10, 0, false, false, QString(), QStringLiteral("5")}}),
            (QStringList{
                QStringLiteral("DELETE TDELIV WHERE NPROJECT = 7"),
                QStringLiteral("INSERT INTO TDELIV VALUES (7, 1, 4, '1', '0', NULL, 105000)"),
                QStringLiteral("INSERT INTO TDELIV VALUES (7, 2, 5, '0', '1', NULL, 0)"),
                QStringLiteral("INSERT INTO TDELIV VALUES (7, 9, NULL, NULL, NULL, '手順''書', NULL)")}));
        QCOMPARE(
            ExpenseStatements(7,
                              {{3, 1, QStringLiteral("12,000"), QStringLiteral("3"), QStringLiteral("1,000"),
                                QStringLiteral("35,000")},
                               {4, 0, QStringLiteral("500"), QString(), QString(), QStringLiteral("500")}}),
            (QStringList{QStringLiteral("DELETE TEXPENSE WHERE NPROJECT = 7"),
                         QStringLiteral("INSERT INTO TEXPENSE VALUES (7, 1, 3, 1, 12000, 3, 1000, 35000)"),
                         QStringLiteral("INSERT INTO TEXPENSE VALUES (7, 2, 4, 0, 500, NULL, NULL, 500)")}));
        QCOMPARE(MemberStatements(
                     7, {{12, 3, QStringLiteral("5,000"), QStringLiteral("100"), QStringLiteral("20")},
                         {4, 1, QStringLiteral("6,500"), QStringLiteral("1,200"), QString()}}),
                 (QStringList{QStringLiteral("DELETE TMEMBER WHERE NPROJECT = 7"),
                              QStringLiteral("INSERT INTO TMEMBER VALUES (7, 1, 12, 3, 5000, 100, 20)"),
                              QStringLiteral("INSERT INTO TMEMBER VALUES (7, 2, 4, 1, 6500, 1200, NULL)")}));
    }

    void newProjectWritesEverything_data() { addEngineRows(); }
    void newProjectWritesEverything()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        auto editor = openNewProject(*state, 1);
        fillEditor(editor.get());
        StatementRecorder recorder;
        control<QPushButton>(editor.get(), "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        const int id = state->CurProject;
        QVERIFY(id > 4);
        QVERIFY(state->Updated);

        const QStringList& s = recorder.statements();
        QCOMPARE(s.size(), 28);
        QCOMPARE(
            s.at(0),
            QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, "
                           "NPRICE, COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, "
                           "NDISCOUNT) VALUES(1, 'O''Brien''s ''DELETE TFP WHERE 1=1'' 案件', 1, 2, 1, "
                           "120000, 1234567, '一行目\nit''s ''''quoted''''', "
                           "'Convert(DateTime,''x'',111) @@IDENTITY'');--', '1', '1', '1', '1', '0', "
                           "'1', 0)"));
        QCOMPARE(s.at(1), QStringLiteral("SELECT @@IDENTITY AS ID FROM TPROJECT"));
        const QString p = QString::number(id);
        QCOMPARE(s.at(2), QStringLiteral("DELETE TCONTRACT WHERE NPROJECT = ") + p);
        QCOMPARE(s.at(3), QStringLiteral("INSERT INTO TCONTRACT VALUES (") + p +
                              QStringLiteral(", 1, 1, NULL, '', 0)"));
        QCOMPARE(s.at(4), QStringLiteral("INSERT INTO TCONTRACT VALUES (") + p +
                              QStringLiteral(", 2, 2, NULL, 'it''s memo', 50000)"));
        QCOMPARE(s.at(9), QStringLiteral("INSERT INTO TCONTRACT VALUES (") + p +
                              QStringLiteral(", 100, 0, 'O''Neil 支援', 'memo''', 30000)"));
        QCOMPARE(s.at(10), QStringLiteral("DELETE TDATE WHERE NPROJECT = ") + p);
        QCOMPARE(s.at(11), QStringLiteral("INSERT INTO TDATE VALUES (") + p +
                               QStringLiteral(", 0, 1, Convert(DateTime,'2003/04/15',111))"));
        QCOMPARE(s.at(12), QStringLiteral("INSERT INTO TDATE VALUES (") + p +
                               QStringLiteral(", 0, 8, Convert(DateTime,'2003/09/01',111))"));
        QCOMPARE(s.at(13), QStringLiteral("DELETE TDELIV WHERE NPROJECT = ") + p);
        QCOMPARE(s.at(15), QStringLiteral("INSERT INTO TDELIV VALUES (") + p +
                               QStringLiteral(", 2, 2, '1', '1', NULL, 42000)"));
        QCOMPARE(s.at(22), QStringLiteral("INSERT INTO TDELIV VALUES (") + p +
                               QStringLiteral(", 9, NULL, NULL, NULL, '手順書''A''', 15000)"));
        QCOMPARE(s.at(23), QStringLiteral("DELETE TEXPENSE WHERE NPROJECT = ") + p);
        QCOMPARE(s.at(24), QStringLiteral("INSERT INTO TEXPENSE VALUES (") + p +
                               QStringLiteral(", 1, 3, 1, 45000, 2, 1000, 89000)"));
        QCOMPARE(s.at(25), QStringLiteral("DELETE TMEMBER WHERE NPROJECT = ") + p);
        QCOMPARE(s.at(26), QStringLiteral("INSERT INTO TMEMBER VALUES (") + p +
                               QStringLiteral(", 1, 3, 3, 4800, 100, 20)"));
        QCOMPARE(s.at(27), QStringLiteral("INSERT INTO TMEMBER VALUES (") + p +
                               QStringLiteral(", 2, 5, 4, 3500, 1050, NULL)"));

        DbConnection& c = state->conn();
        const QString where = QStringLiteral("NPROJECT = ") + p;
        QCOMPARE(scalar(c, QStringLiteral("SELECT CPROJNAME AS V FROM TPROJECT WHERE ") + where).toString(),
                 kName);
        QCOMPARE(scalar(c, QStringLiteral("SELECT CSPECIAL AS V FROM TPROJECT WHERE ") + where).toString(),
                 kSpecial);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NPARPROJ AS V FROM TPROJECT WHERE ") + where).toInt(), 1);
        QCOMPARE(rowCount(c, QStringLiteral("TCONTRACT"), where), 7);
        QCOMPARE(rowCount(c, QStringLiteral("TDATE"), where), 2);
        QCOMPARE(rowCount(c, QStringLiteral("TDELIV"), where), 9);
        QCOMPARE(rowCount(c, QStringLiteral("TEXPENSE"), where), 1);
        QCOMPARE(rowCount(c, QStringLiteral("TMEMBER"), where), 2);
        QCOMPARE(scalar(c, QStringLiteral("SELECT SUM(NPRI) AS V FROM TCONTRACT WHERE ") + where).toDouble(),
                 80000.0);

        // Reopened, the project shows everything as entered.
        auto reopened = openProject(*state, id);
        QWidget* e = reopened.get();
        QCOMPARE(control<QLineEdit>(e, "txtPName")->text(), kName);
        QCOMPARE(control<QComboBox>(e, "cmbParProj")->currentText(),
                 QStringLiteral("ミナト物流 配送管理システム再構築"));
        QCOMPARE(control<QComboBox>(e, "cmbEndCust")->currentText(), QStringLiteral("株式会社ミナト物流"));
        QCOMPARE(control<QComboBox>(e, "cmbContCust")->currentText(), QStringLiteral("東和システム株式会社"));
        QCOMPARE(control<QLineEdit>(e, "txtBase")->text(), QStringLiteral("120,000"));
        QCOMPARE(control<QLineEdit>(e, "txtPrice")->text(), QStringLiteral("1,234,567"));
        QCOMPARE(control<QPlainTextEdit>(e, "txtOutLine")->toPlainText(), kOutline);
        QCOMPARE(control<QPlainTextEdit>(e, "txtSpecial")->toPlainText(), kSpecial);
        QCOMPARE(control<QLineEdit>(e, "txtDate_0")->text(), QStringLiteral("2003/04/15"));
        QCOMPARE(control<QLineEdit>(e, "txtDate_3")->text(), QString());
        QCOMPARE(control<QLineEdit>(e, "txtDate_7")->text(), QStringLiteral("2003/09/01"));
        QCOMPARE(control<QComboBox>(e, "cmbFlaw")->currentText(), QStringLiteral("1年"));
        QCOMPARE(control<QLineEdit>(e, "txtFlaw")->text(), QStringLiteral("it's memo"));
        QCOMPARE(control<QLineEdit>(e, "txtContOpt_0")->text(), QStringLiteral("O'Neil 支援"));
        QCOMPARE(control<QLineEdit>(e, "txtOpt_0")->text(), QStringLiteral("memo'"));
        QCOMPARE(control<QLineEdit>(e, "txtOptPri_0")->text(), QStringLiteral("30,000"));
        QVERIFY(control<QCheckBox>(e, "chkDeliv_1")->isChecked());
        QVERIFY(control<QCheckBox>(e, "chkFmt_1")->isChecked());
        QCOMPARE(control<QLineEdit>(e, "txtDeliv_8")->text(), QStringLiteral("手順書'A'"));
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_8")->text(), QStringLiteral("15,000"));
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), QStringLiteral("80,000"));
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("57,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("89,000"));
        const auto* members = control<QTreeWidget>(e, "lvwMList");
        QCOMPARE(members->topLevelItemCount(), 2);
        QCOMPARE(rowTexts(members, 0), (QStringList{"高橋 翔", "SE", "4,800", "100", "20"}));
        QCOMPARE(rowTexts(members, 1), (QStringList{"伊藤 大輔", "PG", "3,500", "1050", ""}));
        const auto* expenses = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(rowTexts(expenses, 0),
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
        control<QPlainTextEdit>(e, "txtOutLine")->setPlainText(QStringLiteral("変更した概要"));
        showTab(e, 1);
        auto* members = control<QTreeWidget>(e, "lvwMList");
        clickRow(members, 4);
        control<QPushButton>(e, "cmdMUp")->click(); // 渡辺 above 伊藤
        StatementRecorder recorder;
        control<QPushButton>(e, "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(state->CurProject, 2);
        QVERIFY(!state->Updated); // neither the name nor the parent changed
        QVERIFY(!state->PricesChanged);
        const QStringList& s = recorder.statements();
        QVERIFY(s.at(0).startsWith(
            QStringLiteral("UPDATE TPROJECT SET NPARPROJ = 1, CPROJNAME = '受注・出荷管理サブシステム', "
                           "NENDCUST = 1, NCONTCUST = 2, NPRIKIND = 1, NBASE = 100000, "
                           "NPRICE = 7970000, COUTLINE = '変更した概要', ")));
        QVERIFY(s.at(0).endsWith(
            QStringLiteral(", CBASE = '1', CWORK = '1', COPT = '1', CDELIV = '1', CEXPE0 = '0', "
                           "CEXPE1 = '1', NDISCOUNT = 800 WHERE NPROJECT = 2")));
        QCOMPARE(s.at(1), QStringLiteral("DELETE TCONTRACT WHERE NPROJECT = 2"));
        QCOMPARE(s.filter(QStringLiteral("INSERT INTO TMEMBER")).at(3),
                 QStringLiteral("INSERT INTO TMEMBER VALUES (2, 4, 6, 5, 3000, 120, 8)"));
        QCOMPARE(s.filter(QStringLiteral("INSERT INTO TMEMBER")).at(4),
                 QStringLiteral("INSERT INTO TMEMBER VALUES (2, 5, 5, 4, 3500, 300, 16)"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT NMEMBER AS V FROM TMEMBER WHERE NPROJECT = 2 AND NADD = 4"))
                     .toInt(),
                 6);
        QCOMPARE(rowCount(c, QStringLiteral("TCONTRACT"), QStringLiteral("NPROJECT = 2")), 7);
        QCOMPARE(rowCount(c, QStringLiteral("TDELIV"), QStringLiteral("NPROJECT = 2")), 9);
        QCOMPARE(rowCount(c, QStringLiteral("TDATE"), QStringLiteral("NPROJECT = 2")), 8);
        QCOMPARE(rowCount(c, QStringLiteral("TEXPENSE"), QStringLiteral("NPROJECT = 2")), 4);
        QCOMPARE(rowCount(c, QStringLiteral("TFUNCTION"), QStringLiteral("NPROJECT = 2")), 3);
        QCOMPARE(scalar(c, QStringLiteral("SELECT SUM(NPRI) AS V FROM TDELIV WHERE NPROJECT = 2")).toDouble(),
                 1256000.0);
        QCOMPARE(
            scalar(c, QStringLiteral("SELECT SUM(NPRICEP) AS V FROM TEXPENSE WHERE NPROJECT = 2")).toDouble(),
            665000.0);
        // The other projects' rows are untouched.
        QCOMPARE(rowCount(c, QStringLiteral("TMEMBER"), QStringLiteral("NPROJECT = 3")), 4);
    }

    void treeRefreshRule_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("updated");
        QTest::newRow("outline only") << QStringLiteral("outline") << false;
        QTest::newRow("name") << QStringLiteral("name") << true;
        QTest::newRow("parent") << QStringLiteral("parent") << true;
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
            control<QPlainTextEdit>(e, "txtOutLine")->setPlainText(QStringLiteral("x"));
        } else if (change == QLatin1String("name")) {
            control<QLineEdit>(e, "txtPName")->setText(QStringLiteral("新しい名前"));
        } else {
            pick(control<QComboBox>(e, "cmbParProj"), QStringLiteral("ROOT"));
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
        QCOMPARE(Messages::last().title, QStringLiteral("削除確認"));
        QCOMPARE(Messages::last().text, QStringLiteral("プロジェクトを削除します。よろしいですか？"));
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
            QCOMPARE(rowCount(c, QString::fromLatin1(table), QStringLiteral("NPROJECT = 2")), 0);
        }
        QCOMPARE(rowCount(c, QStringLiteral("TMEMBER"), QStringLiteral("NPROJECT = 3")), 4);
        QCOMPARE(rowCount(c, QStringLiteral("TPROJECT")), 3);
    }

    // A failure at any statement of the save leaves the database as it was and the editor
    // open with everything typed; the user can save again.
    void failureAtEveryStatement_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("newProject");
        for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const int e = static_cast<int>(engine);
            const QString name =
                engine == Engine::SQLite ? QStringLiteral("sqlite") : QStringLiteral("postgresql");
            QTest::newRow(qPrintable(name + QStringLiteral(" new"))) << e << true;
            QTest::newRow(qPrintable(name + QStringLiteral(" update"))) << e << false;
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
        for (int failAt = 1;; ++failAt) {
            auto editor = newProject ? openNewProject(*state, 3) : openProject(*state, 2);
            QWidget* e = editor.get();
            if (newProject) {
                fillEditor(e);
            } else {
                control<QLineEdit>(e, "txtPName")->setText(kName);
                control<QLineEdit>(e, "txtDate_5")->clear();
                control<QLineEdit>(e, "txtContOpt_1")->setText(QStringLiteral("追加'オプション"));
                control<QLineEdit>(e, "txtOptPri_1")->setText(QStringLiteral("12,345"));
            }
            const QString contents = editorContents(e);
            const QString before = snapshot(c);
            const int projectBefore = state->CurProject;
            Messages::clearShown();
            StatementRecorder recorder;
            recorder.reset(failAt);
            control<QPushButton>(e, "cmdOK")->click();
            if (!recorder.failed()) {
                // Every statement of the save has failed once; this run went through.
                QCOMPARE(editor->result(), int(QDialog::Accepted));
                QCOMPARE(failures, failAt - 1);
                break;
            }
            ++failures;
            QVERIFY2(editor->isVisible(), qPrintable(QStringLiteral("statement %1").arg(failAt)));
            QCOMPARE(editor->result(), int(QDialog::Rejected));
            QCOMPARE(snapshot(c), before);
            QCOMPARE(editorContents(e), contents);
            QCOMPARE(state->CurProject, projectBefore);
            QVERIFY(!state->Updated);
            QCOMPARE(Messages::shown().size(), 1);
            QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
            QVERIFY(Messages::last().text.startsWith(QStringLiteral("injected failure\n")));

            // Corrected (here: the failure gone), the same editor saves.
            recorder.reset();
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
