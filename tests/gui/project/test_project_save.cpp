#include "project/project_repository.h"
#include "project_fixture.h"
#include "small_tree.h"

namespace {

const QString kName = u"O'Brien's 'DELETE TFP WHERE 1=1' 案件"_s;

// The boxes of a whole project as typed on every tab, shown as typed when it is reopened.
const QList<QPair<QString, QString>> kTyped = {{"txtBase", "120,000"},
                                               {"txtPrice", "1,234,567"},
                                               {"txtOutLine", "一行目\nit's ''quoted''"},
                                               {"txtSpecial", "Convert(DateTime,'x',111) @@IDENTITY');--"},
                                               {"txtDate_0", "2003/04/15"},
                                               {"txtDate_7", "2003/09/01"},
                                               {"txtFlaw", "it's memo"},
                                               {"txtFlawPri", "50,000"},
                                               {"txtContOpt_0", "O'Neil 支援"},
                                               {"txtOpt_0", "memo'"},
                                               {"txtOptPri_0", "30,000"},
                                               {"txtDelPri_1", "42,000"},
                                               {"txtDeliv_8", "手順書'A'"},
                                               {"txtDelPri_8", "15,000"}};

void fillEditor(QWidget* e)
{
    setText(e, "txtPName", kName);
    pick(control<QComboBox>(e, "cmbContCust"), u"東和システム株式会社"_s);
    pick(control<QComboBox>(e, "cmbEndCust"), u"株式会社ミナト物流"_s);
    pick(control<QComboBox>(e, "cmbFlaw"), u"1年"_s);
    control<QCheckBox>(e, "chkDeliv_1")->setChecked(true);
    control<QCheckBox>(e, "chkFmt_1")->setChecked(true);
    for (const auto& [box, text] : kTyped) {
        setText(e, box, text);
    }
    setText(e, "txtDate_3", u"2003/13/01"_s); // no date: not saved
    enterRow(e, kMemberBoxes, {"高橋 翔", "", "4,800", "100", "20"}, u"cmdMembAdd"_s);
    enterRow(e, kMemberBoxes, {"伊藤 大輔", "", "3,500", "1,050", ""}, u"cmdMembAdd"_s);
    enterRow(e, kExpenseBoxes, {"SSLサーバ証明書", "顧客", "45,000", "2", "1,000"}, u"cmdExpAdd"_s);
}

// What the editor holds, to show that a failed save lost nothing.
QStringList editorContents(QWidget* e)
{
    QStringList parts = texts(e, {"txtPName", "cmbParProj", "cmbEndCust", "cmbContCust", "cmbFlaw",
                                  "txtDate_3", "txtDate_5", "txtContOpt_1", "txtOptPri_1"});
    for (const char* box : {"chkDeliv_1", "chkFmt_1"}) {
        parts << (control<QCheckBox>(e, box)->isChecked() ? u"ticked"_s : u"-"_s);
    }
    for (const auto& [box, text] : kTyped) {
        parts << controlText(e, box);
    }
    for (const char* name : {"lvwMList", "lvwEList"}) {
        const auto* list = control<QTreeWidget>(e, name);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            parts << rowTexts(list, i).join(u'/');
        }
    }
    return parts;
}

} // namespace

class TestProjectSave : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // A save runs in one transaction: a failure at any of its statements leaves the database as
    // it was and the editor open with everything typed, and the same editor saves once the
    // failure is gone. The run that goes through writes the whole project.
    void save_data()
    {
        addColumns<int, bool>({"engine", "newProject"});
        for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const int e = static_cast<int>(engine);
            const QString name = engine == Engine::SQLite ? u"sqlite"_s : u"postgresql"_s;
            QTest::newRow(qPrintable(name + u" new"_s)) << e << true;
            QTest::newRow(qPrintable(name + u" update"_s)) << e << false;
        }
    }
    void save()
    {
        QFETCH(int, engine);
        QFETCH(bool, newProject);
        auto db = TestDatabase::create(static_cast<Engine>(engine), true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        const QString original = snapshot(c);
        QStringList s, contents;
        for (int failAt = 0; s.isEmpty(); ++failAt) {
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
            contents = editorContents(e);
            const QString before = snapshot(c);
            const int projectBefore = state->CurProject;
            Messages::clearShown();
            if (newProject) {
                Messages::setNextAnswer(QMessageBox::No); // keep the invalid date: it is dropped
            }
            StatementLog log(failAt);
            clickButton(e, "cmdOK");
            if (!log.failed()) {
                QCOMPARE(editor->result(), int(QDialog::Accepted));
                s = log.statements();
                QCOMPARE(s.size(), failAt); // every statement of the save has failed once
                break;
            }
            QVERIFY2(editor->isVisible(), qPrintable(log.failedStatement()));
            QCOMPARE(snapshot(c), before);
            QCOMPARE(editorContents(e), contents);
            QCOMPARE(state->CurProject, projectBefore);
            QVERIFY(!state->Updated);
            QCOMPARE(Messages::shown().size(), newProject ? 2 : 1);
            QCOMPARE(Messages::shown().first().text, newProject
                                                         ? u"日付として不正です。確認してください。"_s
                                                         : u"injected failure\n"_s + log.failedStatement());
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"injected failure\n"_s + log.failedStatement(),
                                 Messages::Critical);
            log.reset();
            clickButton(e, "cmdOK");
            QCOMPARE(editor->result(), int(QDialog::Accepted));
        }
        // The parent locked first; an update then locks the project and reads the five component
        // tables to compare them with the load, and after its row looks for work assigned to a
        // member it takes out.
        QCOMPARE(s.size(), newProject ? 1 + 28 : 1 + 1 + 5 + 1 + 1 + 9 + 8 + 10 + 5 + 6);
        if (newProject) {
            checkNewProject(*state, contents);
        } else {
            checkUpdate(*state, original);
        }
    }

    // Only a project without sub-projects can be deleted, after a question; a failure at the
    // first, a middle or the last statement of the deletion leaves every row in place.
    void deleteRemovesTheProject_data() { addEngineRows(); }
    void deleteRemovesTheProject()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        QVERIFY(!control<QPushButton>(openProject(*state, 3).get(), "cmdDel")->isEnabled());

        auto editor = openProject(*state, 2);
        auto* del = control<QPushButton>(editor.get(), "cmdDel");
        const QString before = snapshot(c);
        Messages::setNextAnswer(QMessageBox::No);
        del->click();
        QCOMPARE(Messages::last().title, u"削除確認"_s);
        QCOMPARE(Messages::last().text, u"プロジェクトを削除します。よろしいですか？"_s);
        QCOMPARE(Messages::last().defaultButton, QMessageBox::No);
        QVERIFY(editor->isVisible());
        QCOMPARE(snapshot(c), before);

        for (const int failAt : {0, 5, 11}) {
            StatementLog log(failAt);
            Messages::setNextAnswer(QMessageBox::Yes);
            del->click();
            QVERIFY(log.failed());
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s, u"injected failure\n"_s + log.failedStatement(),
                                 Messages::Critical);
            QVERIFY(editor->isVisible());
            QCOMPARE(snapshot(c), before);
            QCOMPARE(state->CurProject, 2);
        }

        Messages::setNextAnswer(QMessageBox::Yes);
        del->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QVERIFY(state->Updated);
        QCOMPARE(state->CurProject, 0);
        // Every row of project 2 went, in every table, and nothing else.
        QStringList rest = before.split(u'\n');
        rest.removeIf(
            [](const QString& row) { return row.startsWith(u'T') && row.section(u'|', 1, 1) == u"2"_s; });
        QCOMPARE(snapshot(c), rest.join(u'\n'));
    }

    // A new price kind reprices the project's functions in the save's own transaction: a failure
    // at any statement, the recalculation's included, leaves the project with its old price kind
    // and the functions with their old prices, and says so; the run that goes through stores
    // both.
    void priceKindChangeIsAllOrNothing_data() { addEngineRows(); }
    void priceKindChangeIsAllOrNothing()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        ExecSql(c, u"INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 250000, 2)"_s);
        for (int kind = 1; kind <= 5; ++kind) {
            ExecSql(
                c, u"INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (2, '0', %1, 20000)"_s.arg(
                       kind));
        }
        const QString priceSum = u"SELECT SUM(NPRICE) AS V FROM TFUNCTION WHERE NPROJECT = 2"_s;
        const double oldPrices = scalar(c, priceSum).toDouble();
        const QString before = snapshot(c);
        const QString note = u"価格を再計算できなかったため、プロジェクトは保存されていません。\n"_s;
        bool inRecalculation = false;
        for (int failAt = 0;; ++failAt) {
            auto editor = openProject(*state, 2);
            pick(control<QComboBox>(editor.get(), "cmbPriKind"), u"特急単価"_s);
            Messages::clearShown();
            StatementLog log(failAt);
            clickButton(editor.get(), "cmdOK");
            if (!log.failed()) {
                QCOMPARE(editor->result(), int(QDialog::Accepted));
                break;
            }
            // The recalculation starts by reading the class coefficients (once a run), or by its
            // totals when they are known.
            inRecalculation = inRecalculation || log.failedStatement().startsWith(u"SELECT * FROM MDIV"_s) ||
                              log.failedStatement().startsWith(u"UPDATE TFUNCTION SET NHTOTAL"_s);
            QVERIFY2(editor->isVisible(), qPrintable(log.failedStatement()));
            QCOMPARE(snapshot(c), before);
            QCOMPARE(state->CurPriKind, 1);
            QVERIFY(!state->PricesChanged);
            COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s,
                                 (inRecalculation ? note : QString()) + u"injected failure\n"_s +
                                     log.failedStatement(),
                                 Messages::Critical);
        }
        QVERIFY(inRecalculation);
        QCOMPARE(scalar(c, u"SELECT NPRIKIND AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toInt(), 2);
        QVERIFY(scalar(c, priceSum).toDouble() > oldPrices * 1.9);
        QCOMPARE(state->CurPriKind, 2);
        QVERIFY(state->PricesChanged);
    }

    // Two users: B, on a connection of its own, deletes or changes project 2 while A has it open,
    // or deletes A's proposed parent while A types a new sub-project. A is told; the editor stays
    // open with what A typed; a change is written over only when A says Yes.
    void otherUser_data()
    {
        addColumns<int, QString, int>({"engine", "meanwhile", "answer"});
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const QByteArray e = EngineName(engine).toLatin1();
            for (const char* meanwhile : {"deleted", "parent deleted"}) {
                QTest::addRow("%s: %s", e.constData(), meanwhile)
                    << int(engine) << QString::fromLatin1(meanwhile) << 0;
            }
            QTest::addRow("%s: changed, No", e.constData())
                << int(engine) << u"changed"_s << int(QMessageBox::No);
            QTest::addRow("%s: changed, Yes", e.constData())
                << int(engine) << u"changed"_s << int(QMessageBox::Yes);
            QTest::addRow("%s: members changed, No", e.constData())
                << int(engine) << u"members"_s << int(QMessageBox::No);
        }
    }
    void otherUser()
    {
        QFETCH(int, engine);
        QFETCH(QString, meanwhile);
        QFETCH(int, answer);
        auto db = TestDatabase::create(static_cast<Engine>(engine), true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        const std::unique_ptr<DbConnection> b = db->connect();
        const bool newProject = meanwhile == u"parent deleted"_s;
        auto editor = newProject ? openNewProject(*state, 2) : openProject(*state, 2);
        QWidget* e = editor.get();
        setText(e, "txtPName", u"Aの案件"_s);
        if (newProject) {
            pick(control<QComboBox>(e, "cmbContCust"), u"東和システム株式会社"_s);
            pick(control<QComboBox>(e, "cmbEndCust"), u"株式会社ミナト物流"_s);
        }
        const QString special = controlText(e, u"txtSpecial"_s);
        if (meanwhile == u"changed"_s) {
            ExecSql(*b, u"UPDATE TPROJECT SET CSPECIAL = 'Bの特記' WHERE NPROJECT = 2"_s);
        } else if (meanwhile == u"members"_s) {
            ExecSql(*b, u"UPDATE TMEMBER SET NMEMBOCCU = 999 WHERE NPROJECT = 2 AND NADD = 1"_s);
        } else {
            ProjectRepository other(*b);
            QVERIFY(!other.hasSubProjects(2));
            other.save(SaveMode::Delete, *other.load(2), ProjectRecord(), ProjectComponents());
        }
        const QString afterB = snapshot(c);
        Messages::clearShown();
        if (answer != 0) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        clickButton(e, "cmdOK");
        if (answer == 0) {
            COMPARE_LAST_MESSAGE(u"更新エラー"_s,
                                 newProject ? u"親プロジェクトは他の利用者によって削除されています。"_s
                                            : u"このプロジェクトは他の利用者によって削除されています。"_s,
                                 Messages::Exclamation);
        } else {
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"更新競合"_s,
                                 u"他の利用者がこのプロジェクトを先に更新しました。\n上書きしますか？"_s,
                                 Messages::Exclamation);
            QCOMPARE(Messages::last().buttons, QMessageBox::Yes | QMessageBox::No);
        }
        if (answer == int(QMessageBox::Yes)) {
            QCOMPARE(editor->result(), int(QDialog::Accepted));
            QCOMPARE(scalar(c, u"SELECT CPROJNAME AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toString(),
                     u"Aの案件"_s);
            QCOMPARE(scalar(c, u"SELECT CSPECIAL AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toString(),
                     special);
            return;
        }
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->result(), 0);
        QCOMPARE(controlText(e, u"txtPName"_s), u"Aの案件"_s);
        QVERIFY(!state->Updated);
        // Nothing written: no orphan rows of the deleted project, B's change kept.
        QCOMPARE(snapshot(c), afterB);
    }

    // The connection goes in the middle of a save: the save is reported as lost with the editor
    // still open, and the next save goes through on the reopened connection. A connection gone
    // before the save, or before a window reads, heals unseen.
    void droppedConnection_data() { addEngineRows(); }
    void droppedConnection()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        auto editor = openProject(*state, 2);
        QWidget* e = editor.get();
        setText(e, "txtPName", u"再接続の案件"_s);
        const QString before = snapshot(*db->connect());
        Messages::clearShown();
        QVERIFY(RunWhenSent(
            nullptr, u"INSERT INTO TDELIV"_s, [&] { DropConnection(c); }, [&] { clickButton(e, "cmdOK"); }));
        COMPARE_LAST_MESSAGE(
            u"ＤＢエラー"_s,
            u"データベースとの接続が切れました。再接続しました。もう一度保存してください。"_s,
            Messages::Exclamation);
        QVERIFY(editor->isVisible());
        QCOMPARE(controlText(e, u"txtPName"_s), u"再接続の案件"_s);
        QCOMPARE(snapshot(c), before);

        DropConnection(c);
        clickButton(e, "cmdOK");
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(scalar(c, u"SELECT CPROJNAME AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toString(),
                 u"再接続の案件"_s);

        DropConnection(c);
        auto again = openProject(*state, 2);
        QCOMPARE(controlText(again.get(), u"txtPName"_s), u"再接続の案件"_s);
    }

    // A database used for years: the projects' keys lie beyond 32767 (40001 on) and the editor
    // lists, selects, moves and saves them as any other, keys of the price kind included.
    void keysBeyond16Bits_data() { addEngineRows(); }
    void keysBeyond16Bits()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine, true, 40001);
        DbConnection& c = *w.state->Conn;
        QCOMPARE(w.t.sales, 40003);
        auto editor = openProject(*w.state, w.t.sales);
        auto* parent = control<QComboBox>(editor.get(), "cmbParProj");
        QCOMPARE(parent->currentText(), u"本社システム"_s);
        QCOMPARE(parent->currentData().toInt(), w.t.head);
        QStringList choices;
        for (int i = 0; i < parent->count(); ++i) {
            choices << u"%1:%2"_s.arg(parent->itemData(i).toInt()).arg(parent->itemText(i));
        }
        // Neither the project nor its sub-project 請求 can become its parent.
        QCOMPARE(choices, (QStringList{u"0:ROOT"_s, u"40001:保守案件"_s, u"40004:本社システム - 在庫管理"_s,
                                       u"40002:本社システム"_s}));
        QCOMPARE(control<QComboBox>(editor.get(), "cmbPriKind")->currentData().toInt(), 1);
        pick(parent, u"本社システム - 在庫管理"_s);
        pick(control<QComboBox>(editor.get(), "cmbPriKind"), u"特急単価"_s);
        Messages::clearShown();
        clickButton(editor.get(), "cmdOK");
        // Only the question whether to reprice under the new kind (answered yes).
        QCOMPARE(Messages::shown().size(), 1);
        QVERIFY2(Messages::last().title != u"ＤＢエラー"_s, qPrintable(Messages::last().text));
        QCOMPARE(scalar(c, u"SELECT NPARPROJ AS V FROM TPROJECT WHERE NPROJECT = 40003"_s).toInt(),
                 w.t.stock);
        QCOMPARE(scalar(c, u"SELECT NPRIKIND AS V FROM TPROJECT WHERE NPROJECT = 40003"_s).toInt(), 40001);
        QVERIFY(w.state->Updated && w.state->PricesChanged);

        auto added = openNewProject(*w.state, w.t.billing);
        setText(added.get(), "txtPName", u"追加案件"_s);
        pick(control<QComboBox>(added.get(), "cmbEndCust"), u"テスト顧客"_s);
        pick(control<QComboBox>(added.get(), "cmbContCust"), u"テスト顧客"_s);
        Messages::clearShown();
        clickButton(added.get(), "cmdOK");
        QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::last().text));
        QCOMPARE(w.state->CurProject, 40006);
        QCOMPARE(scalar(c, u"SELECT NPARPROJ AS V FROM TPROJECT WHERE NPROJECT = 40006"_s).toInt(),
                 w.t.billing);
    }

private:
    // The new project reopened.
    static void checkNewProject(AppState& state, const QStringList& contents)
    {
        const int id = state.CurProject;
        QVERIFY(id > 4);
        QVERIFY(state.Updated);
        // Reopened, it shows everything as typed but the date that was no date, and the stored
        // hours without a separator.
        auto reopened = openProject(state, id);
        QStringList expected = contents;
        expected[5] = QString();
        expected.replaceInStrings(u"/1,050/"_s, u"/1050/"_s);
        QCOMPARE(editorContents(reopened.get()), expected);
        QCOMPARE(texts(reopened.get(), {"lblContract", "lblDelPri", "lblExpense_1"}),
                 (QStringList{"80,000", "57,000", "89,000"}));
    }

    // An update rewrites the project's own rows and no other's.
    static void checkUpdate(AppState& state, const QString& original)
    {
        DbConnection& c = state.conn();
        QCOMPARE(state.CurProject, 2);
        QVERIFY(!state.PricesChanged);
        QCOMPARE(scalar(c, u"SELECT CPROJNAME AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toString(), kName);
        QCOMPARE(rowCount(c, u"TCONTRACT"_s,
                          u"NPROJECT = 2 AND NCID = 101 AND CNAME = '追加''オプション' AND NPRI = 12345"_s),
                 1);
        // The rows rewritten are those stored, but for the project's own row, the date cleared
        // and the option added (however many times the save ran).
        const QStringList was = original.split(u'\n'), is = snapshot(c).split(u'\n');
        const QSet<QString> before(was.begin(), was.end()), after(is.begin(), is.end());
        QStringList changed;
        for (const QString& row : (before - after).values() + (after - before).values()) {
            changed << row.section(u'|', 0, 2);
        }
        changed.sort();
        QCOMPARE(changed, (QStringList{"TCONTRACT|2|101", "TDATE|2|0", "TPROJECT|2|1", "TPROJECT|2|1"}));

        // Renaming a project or moving it under another parent refreshes the tree.
        auto renamed = openProject(state, 4);
        setText(renamed.get(), "txtPName", u"新しい名前"_s);
        clickButton(renamed.get(), "cmdOK");
        QVERIFY(state.Updated);
        auto moved = openProject(state, 4);
        pick(control<QComboBox>(moved.get(), "cmbParProj"), u"ROOT"_s);
        clickButton(moved.get(), "cmdOK");
        QVERIFY(state.Updated);
    }

    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestProjectSave)
#include "test_project_save.moc"
