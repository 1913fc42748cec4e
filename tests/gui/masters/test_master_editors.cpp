#include "db/db_connection.h"
#include "gui_helpers.h"
#include "masters/master_editors.h"
#include "state/app_state.h"
#include "test_support.h"

namespace {

enum Kind { Customers, Languages, Members, Items };

struct KindInfo {
    QString table, key, nameColumn, nameBox, list, up, down, letter;
};

const KindInfo kKinds[] = {
    {"MCUSTOMER", "NCUSTOMER", "CCUSTNAME", "txtCustName", "lvwCList", "cmdCUp", "cmdCDown", "C"},
    {"MLANG", "NLANG", "CLANG", "txtLangName", "lvwLList", "cmdLUp", "cmdLDown", "L"},
    {"MMEMBER", "NMEMBER", "CMEMBER", "txtName", "lvwMbList", "cmdCUp", "cmdCDown", "M"},
    {"MITEM", "NITEM", "CITEM", "txtName", "lvwItList", "cmdCUp", "cmdCDown", "I"},
};

// A database (the demo data unless told otherwise) and the editor of one master shown over it.
struct World {
    World(int kind, Engine engine = Engine::SQLite, bool demo = true)
        : db(TestDatabase::create(engine, demo)), state(db->makeState()), k(kKinds[kind]), kind(kind)
    {
    }
    DbConnection& conn() const { return *state->Conn; }
    // Customers and languages are added here; members and items only in the project editor.
    bool hasAdd() const { return kind == Customers || kind == Languages; }
    MasterEditor* open()
    {
        AppState& s = *state;
        editor.reset(kind == Customers   ? static_cast<MasterEditor*>(new CustomerEditor(s))
                     : kind == Languages ? static_cast<MasterEditor*>(new LanguageEditor(s))
                     : kind == Members   ? static_cast<MasterEditor*>(new MemberEditor(s))
                                         : new ItemEditor(s));
        editor->show();
        if (!QTest::qWaitForWindowExposed(editor.get())) {
            qFatal("editor not shown");
        }
        return editor.get();
    }
    QString nameOf(int key) const
    {
        return scalar(conn(),
                      u"SELECT %1 AS V FROM %2 WHERE %3 = %4"_s.arg(k.nameColumn, k.table, k.key).arg(key))
            .toString();
    }
    // The rows as the database orders them for the list.
    QStringList names() const
    {
        QStringList names;
        for (Recordset rs =
                 OpenRs(conn(), u"SELECT %1 FROM %2 ORDER BY NSORT, %3"_s.arg(k.nameColumn, k.table, k.key));
             !rs.eof(); rs.moveNext()) {
            names << rs.field(k.nameColumn).toString();
        }
        return names;
    }
    void clickKey(int key) const
    {
        clickRow(editor->list(), rowOfKey(editor->list(), k.letter + QString::number(key)));
    }
    // Fills the boxes of a new row (a language needs its coefficient too).
    void typeRow(const QString& name) const
    {
        typeInto(editor.get(), k.nameBox, name);
        if (kind == Languages) {
            typeInto(editor.get(), u"txtLangCoef"_s, u"60"_s);
        }
    }
    bool enabled(const QString& button) const
    {
        return control<QPushButton>(editor.get(), button)->isEnabled();
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    KindInfo k;
    int kind;
    std::unique_ptr<MasterEditor> editor;
};

// The messages of a duplicate name per master: renamed, added (none: accepted).
const QString kDuplicates[][2] = {
    {QString(), u"同一顧客が既に登録されています。"_s},
    {u"同名の開発言語が既に登録されています。"_s, u"同名の開発言語が既に登録されています。"_s},
    {u"同名のメンバが既に存在します。"_s, QString()},
    {u"同名の項目が既に存在します。"_s, QString()},
};

// One row per master on each engine.
void addKindRows()
{
    addColumns<int, int>({"engine", "kind"});
    for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        int kind = 0;
        for (const char* name : {"customers", "languages", "members", "items"}) {
            QTest::addRow("%s/%s", engine == Engine::SQLite ? "sqlite" : "postgresql", name)
                << int(engine) << kind++;
        }
    }
}

} // namespace

class TestMasterEditors : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<GuiTestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // From an empty table: rows added (or, for members
    // and items, put in by the project editor) at the end, moved with the arrows, a blank name
    // refused and an unused row deleted.
    void lifeOfTheRows_data()
    {
        // The first column's heading names the row in the messages.
        addColumns<int, QString>({"kind", "heading"});
        QTest::newRow("customers") << 0 << u"顧客名称"_s;
        QTest::newRow("languages") << 1 << u"言語名称"_s;
        QTest::newRow("members") << 2 << u"メンバ名称"_s;
        QTest::newRow("items") << 3 << u"項目名称"_s;
    }
    void lifeOfTheRows()
    {
        QFETCH(int, kind);
        QFETCH(QString, heading);
        World w(kind, Engine::SQLite, false);
        ExecSql(w.conn(), u"DELETE "_s + w.k.table + u" WHERE 1 = 1"_s);
        if (!w.hasAdd()) {
            ExecSql(w.conn(), u"INSERT INTO %1 (NSORT, %2) VALUES (1, '甲'), (2, '乙')"_s.arg(
                                  w.k.table, w.k.nameColumn));
        }
        MasterEditor* editor = w.open();
        QTreeWidget* list = control<QTreeWidget>(editor, w.k.list);
        QCOMPARE(editor->findChild<QPushButton*>(u"cmdOK"_s) != nullptr, w.hasAdd());
        if (w.hasAdd()) {
            for (const QString& name : {u"甲"_s, u"乙"_s}) {
                w.typeRow(name);
                clickButton(editor, u"cmdOK"_s);
            }
        }
        // Added at the end, in display order; nothing chosen, so the buttons wait for a click.
        QCOMPARE(w.names(), (QStringList{u"甲"_s, u"乙"_s}));
        for (const QString& name : {w.k.up, w.k.down, u"cmdUp"_s, u"cmdDel"_s}) {
            QVERIFY2(!w.enabled(name), qPrintable(name));
        }

        clickRow(list, 0);
        clickButton(editor, w.k.down);
        QCOMPARE(columnTexts(list), (QStringList{u"乙"_s, u"甲"_s}));
        // The moved row is still the chosen one, which is updated.
        w.typeRow(u"丙"_s);
        clickButton(editor, u"cmdUp"_s);
        QCOMPARE(w.names(), (QStringList{u"乙"_s, u"丙"_s}));
        QVERIFY(Messages::shown().isEmpty());

        clickRow(list, 1);
        setText(editor, w.k.nameBox, u"   "_s);
        clickButton(editor, u"cmdUp"_s);
        COMPARE_LAST_MESSAGE(u"入力確認"_s, heading + u"は必須入力です。"_s, Messages::Information);
        QCOMPARE(w.names(), (QStringList{u"乙"_s, u"丙"_s}));

        Messages::clearShown();
        clickRow(list, 1);
        clickButton(editor, u"cmdDel"_s);
        QCOMPARE(w.names(), QStringList{u"乙"_s});
        QCOMPARE(columnTexts(list), w.names());
        // The list is read again: nothing chosen, the boxes keep their text.
        QVERIFY(!w.enabled(u"cmdUp"_s) && !w.enabled(u"cmdDel"_s));
        QCOMPARE(controlText(editor, w.k.nameBox), u"丙"_s);
        clickButton(editor, u"cmdCancel"_s);
        QVERIFY(!editor->isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

    // On the demo data: a row in use is not deleted; a duplicate name is refused where the
    // master refuses it; a name longer than its column is refused, one of its length or with
    // apostrophes is stored as typed.
    void refusalsAndStoredNames_data() { addKindRows(); }
    void refusalsAndStoredNames()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        // Row 1 of every master is used by the demo project.
        w.clickKey(1);
        clickButton(editor, u"cmdDel"_s);
        COMPARE_LAST_MESSAGE(u"削除不可"_s, u"本項目は既に使用されているため削除できません。"_s,
                             Messages::Exclamation);
        QCOMPARE(w.names(), before);
        QVERIFY(SelectedItem(list) && ItemKey(SelectedItem(list)) == w.k.letter + u"1"_s);
        QVERIFY(w.enabled(u"cmdUp"_s) && w.enabled(u"cmdDel"_s));

        // Row 2 keeps its own name (after a click on the empty part of the list, which keeps the
        // chosen row); row 1's name is added again, and given to row 2.
        Messages::clearShown();
        const int icon = w.hasAdd() ? Messages::Information : Messages::Exclamation;
        const QString own = w.nameOf(2), other = w.nameOf(1);
        w.clickKey(2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, list->viewport()->height() - 4));
        QCOMPARE(ItemKey(SelectedItem(list)), w.k.letter + u"2"_s);
        typeInto(editor, w.k.nameBox, own);
        clickButton(editor, u"cmdUp"_s); // counted with the messages below: none
        if (w.hasAdd()) {
            w.typeRow(other);
            clickButton(editor, u"cmdOK"_s);
            COMPARE_LAST_MESSAGE(u"重複"_s, kDuplicates[kind][1], icon);
        }
        w.clickKey(2);
        typeInto(editor, w.k.nameBox, other);
        clickButton(editor, u"cmdUp"_s);
        if (kDuplicates[kind][0].isEmpty()) {
            QCOMPARE(w.nameOf(2), other);
            QCOMPARE(Messages::shown().size(), 1);
        } else {
            COMPARE_LAST_MESSAGE(u"重複"_s, kDuplicates[kind][0], icon);
            QCOMPARE(Messages::shown().size(), w.hasAdd() ? 2 : 1);
            QCOMPARE(w.names(), before);
        }

        // A broken character (half of a surrogate pair) is refused with the box's caption before
        // anything is sent; a name longer than its column is cut at the column's 50 characters, an
        // emoji counted as one and never cut in half.
        Messages::clearShown();
        const QStringList named = w.names();
        const QString caption = list->headerItem()->text(0);
        w.clickKey(2);
        typeInto(editor, w.k.nameBox, u"名前"_s + QChar(0xD83D));
        for (const QString& button : w.hasAdd() ? QStringList{"cmdOK", "cmdUp"} : QStringList{"cmdUp"}) {
            clickButton(editor, button);
            COMPARE_LAST_MESSAGE(u"入力確認"_s, caption + u"の値が正しくありません。"_s,
                                 Messages::Information);
        }
        QCOMPARE(Messages::shown().size(), w.hasAdd() ? 2 : 1);
        QCOMPARE(w.names(), named);
        const QString longName = QString(49, QChar(0x540D)) + u"😀😀"_s; // 名 x 49 and two emoji
        typeInto(editor, w.k.nameBox, longName);
        QCOMPARE(controlText(editor, w.k.nameBox), longName.left(51));
        clickButton(editor, u"cmdUp"_s);
        QCOMPARE(w.nameOf(2), longName.left(51));
        QCOMPARE(Messages::shown().size(), w.hasAdd() ? 2 : 1);

        Messages::clearShown();
        const QString name = u"O'Brien's 'ﾃｽﾄ'');--"_s;
        if (w.hasAdd()) {
            w.typeRow(name);
            if (kind == Customers) {
                typeInto(editor, u"txtMemo"_s, u"it's"_s);
            }
            clickButton(editor, u"cmdOK"_s);
        } else {
            w.clickKey(3);
            typeInto(editor, w.k.nameBox, name);
            clickButton(editor, u"cmdUp"_s);
        }
        QCOMPARE(rowCount(w.conn(), w.k.table, w.k.nameColumn + u" = 'O''Brien''s ''ﾃｽﾄ'''');--'"_s), 1);
        const int row = rowOfText(list, name);
        QVERIFY(row >= 0);
        if (kind == Customers) {
            QCOMPARE(list->topLevelItem(row)->text(1), u"it's"_s);
        }
        clickRow(list, row);
        QCOMPARE(controlText(editor, w.k.nameBox), name);
    }

    // A change that was committed is not reported as failed when only the list cannot be read
    // again: the message says the change was saved, and the change is in the database.
    void savedButNotReloaded_data() { addKindRows(); }
    void savedButNotReloaded()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        MasterEditor* editor = w.open();
        const QString listRead = u"SELECT * FROM "_s + w.k.table + u" ORDER BY"_s;
        // Renamed, then (customers and languages) added.
        const QStringList buttons = w.hasAdd() ? QStringList{"cmdUp", "cmdOK"} : QStringList{"cmdUp"};
        for (const QString& button : buttons) {
            const QString name = u"新しい名前 "_s + button;
            if (button == u"cmdUp"_s) {
                w.clickKey(2);
                typeInto(editor, w.k.nameBox, name);
            } else {
                w.typeRow(name);
            }
            Messages::clearShown();
            StatementLog log;
            log.failOn(listRead);
            clickButton(editor, button);
            QVERIFY(log.failed());
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(
                u"ＤＢエラー"_s,
                u"変更は保存されましたが、一覧を更新できませんでした。\ninjected failure\n"_s +
                    log.failedStatement(),
                Messages::Critical);
            QCOMPARE(rowCount(w.conn(), w.k.table, w.k.nameColumn + u" = '"_s + name + u"'"_s), 1);
            QVERIFY(editor->isVisible());
        }
    }

    // Two users: B, on a connection of its own, deletes the row A is renaming, or saves the name A
    // is about to give a row. A is told, and nothing is written; where the editor refuses a
    // duplicate name it does so also for a name its list does not show yet.
    void otherUser_data() { addKindRows(); }
    void otherUser()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const std::unique_ptr<DbConnection> b = w.db->connect();
        const QString table = w.k.table;
        ExecSql(w.conn(), u"INSERT INTO %1 (NSORT, %2) VALUES (99, '消える行')"_s.arg(table, w.k.nameColumn));
        const int doomed =
            scalar(w.conn(),
                   u"SELECT %1 AS V FROM %2 WHERE %3 = '消える行'"_s.arg(w.k.key, table, w.k.nameColumn))
                .toInt();
        MasterEditor* editor = w.open();

        w.clickKey(doomed);
        w.typeRow(u"改名"_s);
        ExecSql(*b, u"DELETE %1 WHERE %2 = %3"_s.arg(table, w.k.key).arg(doomed));
        Messages::clearShown();
        clickButton(editor, u"cmdUp"_s);
        COMPARE_LAST_MESSAGE(u"更新エラー"_s, u"この項目は他の利用者によって削除されています。"_s,
                             Messages::Exclamation);
        QVERIFY(editor->isVisible());
        QCOMPARE(controlText(editor, w.k.nameBox), u"改名"_s);
        QCOMPARE(rowCount(w.conn(), table, w.k.nameColumn + u" = '改名'"_s), 0);
        // The list no longer shows the row that is gone.
        QCOMPARE(rowOfKey(editor->list(), w.k.letter + QString::number(doomed)), -1);

        w.clickKey(2);
        w.typeRow(u"Bの名前"_s);
        ExecSql(*b, u"INSERT INTO %1 (NSORT, %2) VALUES (98, 'Bの名前')"_s.arg(table, w.k.nameColumn));
        Messages::clearShown();
        clickButton(editor, u"cmdUp"_s);
        const QString refusal = kDuplicates[kind][0];
        if (refusal.isEmpty()) {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(w.nameOf(2), u"Bの名前"_s);
        } else {
            QCOMPARE(Messages::last().title, u"重複"_s);
            QCOMPARE(Messages::last().text, refusal);
            QVERIFY(w.nameOf(2) != u"Bの名前"_s);
        }
    }

    // The coefficient is a whole number of 1 to 32767 (it feeds 16-bit figures).
    void languageCoefficient_data()
    {
        addColumns<QString, QString>({"typed", "stored"}); // stored empty: refused
        QTest::newRow("empty") << u""_s << QString();
        QTest::newRow("thousands separator") << u"1,200"_s << u"1200"_s;
        QTest::newRow("largest") << u"32767"_s << u"32767"_s;
        QTest::newRow("smallest") << u"1"_s << u"1"_s;
        QTest::newRow("zero") << u"0"_s << QString();
        QTest::newRow("too large") << u"40000"_s << QString();
        QTest::newRow("lone sign") << u"-"_s << QString();
        QTest::newRow("fraction") << u"12.5"_s << QString();
    }
    void languageCoefficient()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        World w(Languages);
        const QString coefficient = u"SELECT NCOEF AS V FROM MLANG WHERE NLANG = 2"_s;
        const QString after = stored.isEmpty() ? scalar(w.conn(), coefficient).toString() : stored;
        MasterEditor* editor = w.open();
        w.clickKey(2);
        setText(editor, u"txtLangCoef"_s, typed);
        clickButton(editor, u"cmdUp"_s);
        QCOMPARE(Messages::shown().size(), stored.isEmpty() ? 1 : 0);
        if (stored.isEmpty()) {
            COMPARE_LAST_MESSAGE(u"入力確認"_s,
                                 typed.isEmpty() ? u"FP-LOC変換係数は必須入力です。"_s
                                                 : u"FP-LOC変換係数は1～32767の範囲で入力してください。"_s,
                                 Messages::Information);
        }
        QCOMPARE(scalar(w.conn(), coefficient).toString(), after);
        QCOMPARE(rowTexts(editor->list(), rowOfKey(editor->list(), u"L2"_s)).at(1), after);
    }

private:
    std::unique_ptr<GuiTestEnvironment> m_env;
};

QTEST_MAIN(TestMasterEditors)
#include "test_master_editors.moc"
