#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/help.h"
#include "gui_helpers.h"
#include "masters/master_editors.h"
#include "test_support.h"

namespace {

enum Kind { Customers, Languages, Members, Items };

struct KindInfo {
    QString table, key, nameColumn, nameBox, list, up, down, letter;
};

KindInfo info(int kind)
{
    switch (kind) {
    case Customers:
        return {"MCUSTOMER", "NCUSTOMER", "CCUSTNAME", "txtCustName", "lvwCList", "cmdCUp", "cmdCDown", "C"};
    case Languages:
        return {"MLANG", "NLANG", "CLANG", "txtLangName", "lvwLList", "cmdLUp", "cmdLDown", "L"};
    case Members:
        return {"MMEMBER", "NMEMBER", "CMEMBER", "txtName", "lvwMbList", "cmdCUp", "cmdCDown", "M"};
    default:
        return {"MITEM", "NITEM", "CITEM", "txtName", "lvwItList", "cmdCUp", "cmdCDown", "I"};
    }
}

// A database (the demo data unless told otherwise) and the editor of one master shown over it.
struct World {
    World(int kind, Engine engine = Engine::SQLite, bool demo = true)
        : db(TestDatabase::create(engine, demo)), state(db->makeState()), k(info(kind)), kind(kind)
    {
    }
    DbConnection& conn() const { return *state->Conn; }
    MasterEditor* open()
    {
        switch (kind) {
        case Customers:
            editor = std::make_unique<CustomerEditor>(*state);
            break;
        case Languages:
            editor = std::make_unique<LanguageEditor>(*state);
            break;
        case Members:
            editor = std::make_unique<MemberEditor>(*state);
            break;
        default:
            editor = std::make_unique<ItemEditor>(*state);
        }
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
    // Puts exactly the given rows into the master table.
    void replaceRows(const QStringList& rows) const
    {
        ExecSql(conn(), u"DELETE "_s + k.table + u" WHERE 1 = 1"_s);
        const bool lang = kind == Languages;
        for (int i = 0; i < rows.size(); ++i) {
            ExecSql(conn(), u"INSERT INTO %1 (NSORT, %2%3) VALUES (%4, '%5'%6)"_s
                                .arg(k.table, k.nameColumn, lang ? u", NCOEF"_s : QString())
                                .arg(i + 1)
                                .arg(rows[i], lang ? u", 50"_s : QString()));
        }
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

void addKindRows(bool bothEngines)
{
    addColumns<int, int>({"engine", "kind"});
    for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        if (engine == Engine::PostgreSQL && !bothEngines) {
            break;
        }
        const char* name = engine == Engine::SQLite ? "sqlite" : "postgresql";
        int kind = 0;
        for (const char* kindName : {"customers", "languages", "members", "items"}) {
            QTest::addRow("%s/%s", name, kindName) << int(engine) << kind++;
        }
    }
}

const QString kTooLong = u"名称の文字列が長すぎます。"_s;

} // namespace

class TestMasterEditors : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void windowsCarryTheirNames_data()
    {
        addColumns<int, QString, QString, int, QStringList>({"kind", "form", "caption", "help", "headings"});
        QTest::newRow("customers") << int(Customers) << u"frmCust"_s << u"顧客編集"_s << 14
                                   << QStringList{"顧客名称", "コメント"};
        QTest::newRow("languages") << int(Languages) << u"frmLang"_s << u"開発言語編集"_s << 16
                                   << QStringList{"言語名称", "FP-LOC変換係数"};
        QTest::newRow("members") << int(Members) << u"frmMember"_s << u"作業メンバ名編集"_s << 20
                                 << QStringList{"メンバ名称"};
        QTest::newRow("items") << int(Items) << u"frmItem"_s << u"経費項目名編集"_s << 22
                               << QStringList{"項目名称"};
    }
    void windowsCarryTheirNames()
    {
        QFETCH(int, kind);
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(int, help);
        QFETCH(QStringList, headings);
        World w(kind);
        MasterEditor* editor = w.open();
        QCOMPARE(editor->objectName(), form);
        QCOMPARE(editor->windowTitle(), caption);
        QCOMPARE(Help::topic(editor), help);
        // Members and items are named in the project editor; here they are only renamed.
        QCOMPARE(editor->findChild<QPushButton*>(u"cmdOK"_s) != nullptr,
                 kind == Customers || kind == Languages);
        for (const QString& name : {w.k.up, w.k.down, u"cmdUp"_s, u"cmdDel"_s}) {
            QVERIFY2(!w.enabled(name), qPrintable(name));
        }
        QCOMPARE(controlText(editor, u"cmdCancel"_s), u"閉じる"_s);
        QTreeWidget* list = control<QTreeWidget>(editor, w.k.list);
        QStringList shown;
        for (int i = 0; i < list->columnCount(); ++i) {
            shown << list->headerItem()->text(i);
        }
        QCOMPARE(shown, headings);
        // Every row of the table, in display order, with its key.
        QCOMPARE(columnTexts(list), w.names());
        QVERIFY(ItemKey(list->topLevelItem(0)).startsWith(w.k.letter));
        // The keyboard shows the row it reaches.
        clickRow(list, 0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(controlText(editor, w.k.nameBox), list->topLevelItem(1)->text(0));
        int id = 0;
        QVERIFY(KeyNumber(ItemKey(list->topLevelItem(1)), &id));
        QCOMPARE(editor->SelId(), id);
        QVERIFY(w.enabled(u"cmdDel"_s));
        QVERIFY(Messages::shown().isEmpty());
        // Close and Esc both close.
        if (kind % 2) {
            QTest::keyClick(editor, Qt::Key_Escape);
        } else {
            clickButton(editor, u"cmdCancel"_s);
        }
        QVERIFY(!editor->isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

    void deleteInUseIsRefused_data() { addKindRows(true); }
    void deleteInUseIsRefused()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        // Row 1 of every master is used by the demo project.
        const int row = rowOfKey(list, w.k.letter + u"1"_s);
        clickRow(list, row);
        QCOMPARE(controlText(editor, w.k.nameBox), w.nameOf(1));
        clickButton(editor, u"cmdDel"_s);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"削除不可"_s, u"本項目は既に使用されているため削除できません。"_s,
                             Messages::Exclamation);
        QCOMPARE(w.names(), before);
        QCOMPARE(columnTexts(list), before);
        QVERIFY(list->topLevelItem(row)->isSelected());
        QCOMPARE(controlText(editor, w.k.nameBox), w.nameOf(1));
        QVERIFY(w.enabled(u"cmdUp"_s) && w.enabled(u"cmdDel"_s));
    }

    void deleteUnusedRow_data() { addKindRows(false); }
    void deleteUnusedRow()
    {
        QFETCH(int, kind);
        World w(kind);
        ExecSql(w.conn(),
                u"INSERT INTO %1 (NSORT, %2) VALUES (99, '未使用')"_s.arg(w.k.table, w.k.nameColumn));
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, u"未使用"_s));
        clickButton(editor, u"cmdDel"_s);
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(w.names(), before.mid(0, before.size() - 1));
        QCOMPARE(columnTexts(list), w.names());
        // The list is read again: nothing chosen, update and delete wait for a click.
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!w.enabled(u"cmdUp"_s) && !w.enabled(u"cmdDel"_s));
        QCOMPARE(controlText(editor, w.k.nameBox), u"未使用"_s);
    }

    // A name longer than its column is refused; one of its length, or with apostrophes, is kept.
    void namesStoredOrRefused_data() { addKindRows(true); }
    void namesStoredOrRefused()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        const QString longName(51, QChar(0x540D)); // 名 x 51
        clickRow(list, rowOfKey(list, w.k.letter + u"2"_s));
        typeInto(editor, w.k.nameBox, longName);
        if (kind == Customers || kind == Languages) {
            clickButton(editor, u"cmdOK"_s);
            COMPARE_LAST_MESSAGE(u"サイズオーバ"_s, kTooLong, Messages::Exclamation);
        }
        clickButton(editor, u"cmdUp"_s);
        COMPARE_LAST_MESSAGE(u"サイズオーバ"_s, kTooLong, Messages::Exclamation);
        QCOMPARE(Messages::shown().size(), kind == Customers || kind == Languages ? 2 : 1);
        QCOMPARE(w.names(), before);
        QCOMPARE(columnTexts(list), before);
        // A name of exactly the column's length fits.
        typeInto(editor, w.k.nameBox, longName.left(50));
        clickButton(editor, u"cmdUp"_s);
        QCOMPARE(w.nameOf(2), longName.left(50));

        // Apostrophes and SQL text are stored as typed.
        Messages::clearShown();
        const QString name = u"O'Brien's 'ﾃｽﾄ'');--"_s;
        if (kind == Customers || kind == Languages) {
            w.typeRow(name);
            if (kind == Customers) {
                typeInto(editor, u"txtMemo"_s, u"it's"_s);
            }
            clickButton(editor, u"cmdOK"_s);
        } else {
            clickRow(list, rowOfKey(list, w.k.letter + u"3"_s));
            typeInto(editor, w.k.nameBox, name);
            clickButton(editor, u"cmdUp"_s);
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(rowCount(w.conn(), w.k.table, w.k.nameColumn + u" = 'O''Brien''s ''ﾃｽﾄ'''');--'"_s), 1);
        const int row = rowOfText(list, name);
        QVERIFY(row >= 0);
        if (kind == Customers) {
            QCOMPARE(list->topLevelItem(row)->text(1), u"it's"_s);
        }
        clickRow(list, row);
        QCOMPARE(controlText(editor, w.k.nameBox), name);
    }

    void duplicateNames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("add"); // otherwise row 2 is renamed
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("icon");
        QTest::addColumn<bool>("clickBeside"); // a click on the empty part of the list first
        const int info = Messages::Information;
        const int excl = Messages::Exclamation;
        const QString lang = u"同名の開発言語が既に登録されています。"_s;
        QTest::newRow("customer renamed to another's name")
            << int(Customers) << false << false << QString() << 0 << false;
        QTest::newRow("customer added twice")
            << int(Customers) << true << false << u"同一顧客が既に登録されています。"_s << info << false;
        QTest::newRow("language renamed to another's name")
            << int(Languages) << false << false << lang << info << false;
        QTest::newRow("language renamed to its own name")
            << int(Languages) << false << true << QString() << 0 << false;
        QTest::newRow("language added twice") << int(Languages) << true << false << lang << info << false;
        QTest::newRow("member renamed to another's name")
            << int(Members) << false << false << u"同名のメンバが既に存在します。"_s << excl << false;
        QTest::newRow("member keeps its name after a click beside the rows")
            << int(Members) << false << true << QString() << 0 << true;
        QTest::newRow("item renamed to another's name")
            << int(Items) << false << false << u"同名の項目が既に存在します。"_s << excl << false;
        QTest::newRow("item renamed to its own name")
            << int(Items) << false << true << QString() << 0 << false;
    }
    void duplicateNames()
    {
        QFETCH(int, kind);
        QFETCH(bool, add);
        QFETCH(bool, ownName);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(bool, clickBeside);
        World w(kind);
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfKey(list, w.k.letter + u"2"_s));
        const QString target = ownName ? w.nameOf(2) : w.nameOf(1);
        if (clickBeside) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              QPoint(10, list->viewport()->height() - 4));
            QCOMPARE(list->selectedItems().size(), 1);
            QCOMPARE(ItemKey(list->selectedItems().first()), w.k.letter + u"2"_s);
        }
        if (add) {
            w.typeRow(target);
            clickButton(editor, u"cmdOK"_s);
        } else {
            typeInto(editor, w.k.nameBox, target);
            clickButton(editor, u"cmdUp"_s);
        }
        if (message.isEmpty()) {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(w.nameOf(2), target);
            QCOMPARE(list->topLevelItemCount(), before.size());
        } else {
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"重複"_s, message, icon);
            QCOMPARE(w.names(), before);
        }
    }

    void requiredFields_data()
    {
        addColumns<int, QString, QString, QString>({"kind", "box", "typed", "message"});
        QTest::newRow("customer name")
            << int(Customers) << u"txtCustName"_s << u""_s << u"顧客名称は必須入力です。"_s;
        QTest::newRow("language name")
            << int(Languages) << u"txtLangName"_s << u""_s << u"言語名称は必須入力です。"_s;
        QTest::newRow("language coefficient")
            << int(Languages) << u"txtLangCoef"_s << u""_s << u"FP-LOC変換係数は必須入力です。"_s;
        QTest::newRow("member name") << int(Members) << u"txtName"_s << u""_s
                                     << u"メンバ名称は必須入力です。"_s;
        QTest::newRow("item name blank")
            << int(Items) << u"txtName"_s << u"   "_s << u"項目名称は必須入力です。"_s;
    }
    void requiredFields()
    {
        QFETCH(int, kind);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        World w(kind);
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        clickRow(editor->list(), 0);
        typeInto(editor, box, typed);
        clickButton(editor, u"cmdUp"_s);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"入力確認"_s, message, Messages::Information);
        QCOMPARE(w.names(), before);
    }

    void languageCoefficient_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("thousands separator") << u"1,200"_s << u"1200"_s;
        QTest::newRow("largest") << u"32767"_s << u"32767"_s;
        QTest::newRow("smallest") << u"1"_s << u"1"_s;
        QTest::newRow("zero") << u"0"_s << u""_s;
        QTest::newRow("too large") << u"40000"_s << u""_s;
        QTest::newRow("negative") << u"-5"_s << u""_s;
        QTest::newRow("lone sign") << u"-"_s << u""_s;
        QTest::newRow("fraction") << u"12.5"_s << u""_s;
    }
    void languageCoefficient()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        World w(Languages, Engine::SQLite, false);
        const QStringList before = w.names();
        MasterEditor* editor = w.open();
        typeInto(editor, u"txtLangName"_s, u"Rust"_s);
        setText(editor, u"txtLangCoef"_s, typed);
        clickButton(editor, u"cmdOK"_s);
        if (stored.isEmpty()) {
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(u"入力確認"_s, u"FP-LOC変換係数は1～32767の範囲で入力してください。"_s,
                                 Messages::Information);
            QCOMPARE(w.names(), before);
            return;
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(scalar(w.conn(), u"SELECT NCOEF AS V FROM MLANG WHERE CLANG = 'Rust'"_s).toDouble(),
                 stored.toDouble());
        QCOMPARE(editor->list()->topLevelItem(rowOfText(editor->list(), u"Rust"_s))->text(1), stored);
    }

    void addingAppendsInDisplayOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("customers") << int(Customers);
        QTest::newRow("languages") << int(Languages);
    }
    void addingAppendsInDisplayOrder()
    {
        QFETCH(int, kind);
        World w(kind, Engine::SQLite, false);
        w.replaceRows({});
        MasterEditor* editor = w.open();
        for (const QString& name : {u"一番目"_s, u"二番目"_s}) {
            w.typeRow(name);
            clickButton(editor, u"cmdOK"_s);
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(scalar(w.conn(),
                        u"SELECT NSORT AS V FROM %1 WHERE %2 = '一番目'"_s.arg(w.k.table, w.k.nameColumn))
                     .toInt(),
                 1);
        QCOMPARE(w.names(), (QStringList{u"一番目"_s, u"二番目"_s}));
        QCOMPARE(columnTexts(editor->list()), w.names());
        // The list is read again: no selection, the boxes keep the last text.
        QVERIFY(editor->list()->selectedItems().isEmpty());
        QVERIFY(!w.enabled(u"cmdUp"_s) && !w.enabled(u"cmdDel"_s));
        QCOMPARE(controlText(editor, w.k.nameBox), u"二番目"_s);
    }

    void arrows_data() { addKindRows(false); }
    void arrows()
    {
        QFETCH(int, kind);
        World w(kind, Engine::SQLite, false);
        w.replaceRows({u"甲"_s});
        w.open();
        clickRow(w.editor->list(), 0);
        QVERIFY(w.enabled(u"cmdUp"_s));
        QVERIFY(!w.enabled(w.k.up) && !w.enabled(w.k.down));

        w.replaceRows({u"甲"_s, u"乙"_s});
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        clickRow(list, 0);
        QVERIFY(w.enabled(w.k.up) && w.enabled(w.k.down));
        {
            StatementLog log;
            clickButton(editor, w.k.up);
            QVERIFY(log.statements().isEmpty());
        }
        QCOMPARE(columnTexts(list), (QStringList{u"甲"_s, u"乙"_s}));
        clickButton(editor, w.k.down);
        QCOMPARE(columnTexts(list), (QStringList{u"乙"_s, u"甲"_s}));
        QVERIFY(list->topLevelItem(1)->isSelected());
        QCOMPARE(w.names(), (QStringList{u"乙"_s, u"甲"_s}));
        // The moved row is still the one updated.
        w.typeRow(u"丙"_s);
        clickButton(editor, u"cmdUp"_s);
        QCOMPARE(w.names(), (QStringList{u"乙"_s, u"丙"_s}));
        QVERIFY(Messages::shown().isEmpty());
    }

    void statements_data()
    {
        addColumns<int, QString, QStringList>({"kind", "button", "expected"});
        QTest::newRow("customer add")
            << int(Customers) << u"cmdOK"_s
            << QStringList{"SELECT * FROM MCUSTOMER WHERE CCUSTNAME = 'A''s'",
                           "SELECT MAX(NSORT) AS MSORT FROM MCUSTOMER",
                           "INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (3, "
                           "'A''s', '')"};
        QTest::newRow("customer update")
            << int(Customers) << u"cmdUp"_s
            << QStringList{"UPDATE MCUSTOMER SET CCUSTNAME = 'A''s', CMEMO = '' WHERE NCUSTOMER = 2"};
        QTest::newRow("customer delete")
            << int(Customers) << u"cmdDel"_s << QStringList{"DELETE MCUSTOMER WHERE NCUSTOMER = 2"};
        QTest::newRow("language add")
            << int(Languages) << u"cmdOK"_s
            << QStringList{"SELECT * FROM MLANG WHERE CLANG = 'A''s'",
                           "SELECT MAX(NSORT) AS MSORT FROM MLANG",
                           "INSERT INTO MLANG (NSORT,CLANG,NCOEF) VALUES (9, 'A''s', 60)"};
        QTest::newRow("language update")
            << int(Languages) << u"cmdUp"_s
            << QStringList{"SELECT * FROM MLANG WHERE CLANG = 'A''s' AND NLANG != 2",
                           "UPDATE MLANG SET CLANG = 'A''s',  NCOEF = 60 WHERE NLANG = 2"};
        QTest::newRow("language delete")
            << int(Languages) << u"cmdDel"_s << QStringList{"DELETE MLANG WHERE NLANG = 2"};
        QTest::newRow("member update")
            << int(Members) << u"cmdUp"_s
            << QStringList{"UPDATE MMEMBER SET CMEMBER = 'A''s' WHERE NMEMBER = 2"};
        QTest::newRow("member delete")
            << int(Members) << u"cmdDel"_s << QStringList{"DELETE MMEMBER WHERE NMEMBER = 2"};
        QTest::newRow("item update") << int(Items) << u"cmdUp"_s
                                     << QStringList{"UPDATE MITEM SET CITEM = 'A''s' WHERE NITEM = 2"};
        QTest::newRow("item delete") << int(Items) << u"cmdDel"_s
                                     << QStringList{"DELETE MITEM WHERE NITEM = 2"};
    }
    void statements()
    {
        QFETCH(int, kind);
        QFETCH(QString, button);
        QFETCH(QStringList, expected);
        World w(kind);
        MasterEditor* editor = w.open();
        clickRow(editor->list(), rowOfKey(editor->list(), w.k.letter + u"2"_s));
        w.typeRow(u"A's"_s);
        if (kind == Customers) {
            typeInto(editor, u"txtMemo"_s, QString());
        }
        StatementLog log;
        clickButton(editor, button);
        QCOMPARE(log.statements().mid(0, expected.size()), expected);
        // Nothing else is written: at most the list is read again.
        for (const QString& sql : log.statements().mid(expected.size())) {
            QVERIFY2(sql.startsWith(u"SELECT * FROM "_s + w.k.table + u" ORDER BY"_s), qPrintable(sql));
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestMasterEditors)
#include "test_master_editors.moc"
