#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/help.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "gui_helpers.h"
#include "masters/master_editors.h"
#include "test_support.h"

#include <QPushButton>

namespace {

enum Kind { Customers, Languages, Members, Items };

struct KindInfo {
    QString table;
    QString key;
    QString nameColumn;
    QString nameBox;
    QString list;
    QString up;
    QString down;
    QString letter;
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

std::unique_ptr<MasterEditor> makeEditor(int kind, AppState& state)
{
    switch (kind) {
    case Customers:
        return std::make_unique<CustomerEditor>(state);
    case Languages:
        return std::make_unique<LanguageEditor>(state);
    case Members:
        return std::make_unique<MemberEditor>(state);
    default:
        return std::make_unique<ItemEditor>(state);
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
        editor = makeEditor(kind, *state);
        editor->show();
        if (!QTest::qWaitForWindowExposed(editor.get())) {
            qFatal("editor not shown");
        }
        return editor.get();
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    KindInfo k;
    int kind;
    std::unique_ptr<MasterEditor> editor;
};

void addKindRows()
{
    QTest::newRow("customers") << int(Customers);
    QTest::newRow("languages") << int(Languages);
    QTest::newRow("members") << int(Members);
    QTest::newRow("items") << int(Items);
}

void addEngineKindRows()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<int>("kind");
    const QList<QPair<const char*, Engine>> engines{{"sqlite", Engine::SQLite},
                                                    {"postgresql", Engine::PostgreSQL}};
    const QList<QPair<const char*, Kind>> kinds{
        {"customers", Customers}, {"languages", Languages}, {"members", Members}, {"items", Items}};
    for (const auto& engine : engines) {
        for (const auto& kind : kinds) {
            QTest::newRow(QByteArray(engine.first) + "/" + kind.first)
                << int(engine.second) << int(kind.second);
        }
    }
}

QString nameOf(DbConnection& connection, const KindInfo& k, int key)
{
    return scalar(connection, QStringLiteral("SELECT %1 AS V FROM %2 WHERE %3 = %4")
                                  .arg(k.nameColumn, k.table, k.key)
                                  .arg(key))
        .toString();
}

// The rows as the database orders them for the list.
QStringList namesInOrder(DbConnection& connection, const KindInfo& k)
{
    QStringList names;
    Recordset rs = OpenRs(
        connection, QStringLiteral("SELECT %1 FROM %2 ORDER BY NSORT, %3").arg(k.nameColumn, k.table, k.key));
    for (; !rs.eof(); rs.moveNext()) {
        names << rs.field(k.nameColumn).toString();
    }
    return names;
}

// Puts exactly the given rows into an empty master table.
void replaceRows(DbConnection& connection, const KindInfo& k, const QStringList& names)
{
    ExecSql(connection, QStringLiteral("DELETE ") + k.table + QStringLiteral(" WHERE 1 = 1"));
    int sort = 1;
    for (const QString& name : names) {
        const QString extra = k.table == QLatin1String("MLANG") ? QStringLiteral(", NCOEF") : QString();
        const QString value = k.table == QLatin1String("MLANG") ? QStringLiteral(", 50") : QString();
        ExecSql(connection, QStringLiteral("INSERT INTO %1 (NSORT, %2%3) VALUES (%4, '%5'%6)")
                                .arg(k.table, k.nameColumn, extra)
                                .arg(sort++)
                                .arg(name, value));
    }
}

// Fills the boxes of a new row (customers, languages) and adds it.
void typeNewRow(const MasterEditor& editor, int kind, const QString& name)
{
    typeInto(&editor, info(kind).nameBox, name);
    if (kind == Languages) {
        typeInto(&editor, QStringLiteral("txtLangCoef"), QStringLiteral("60"));
    }
}

} // namespace

class TestMasterEditors : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void windowsCarryTheirNames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("help");
        QTest::addColumn<bool>("canAdd");
        QTest::addColumn<QStringList>("headings");
        QTest::newRow("customers") << int(Customers) << "frmCust"
                                   << "顧客編集" << 14 << true << QStringList{"顧客名称", "コメント"};
        QTest::newRow("languages") << int(Languages) << "frmLang"
                                   << "開発言語編集" << 16 << true
                                   << QStringList{"言語名称", "FP-LOC変換係数"};
        QTest::newRow("members") << int(Members) << "frmMember"
                                 << "作業メンバ名編集" << 20 << false << QStringList{"メンバ名称"};
        QTest::newRow("items") << int(Items) << "frmItem"
                               << "経費項目名編集" << 22 << false << QStringList{"項目名称"};
    }
    void windowsCarryTheirNames()
    {
        QFETCH(int, kind);
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(int, help);
        QFETCH(bool, canAdd);
        QFETCH(QStringList, headings);
        World w(kind);
        const KindInfo& k = w.k;
        MasterEditor* editor = w.open();
        QCOMPARE(editor->objectName(), form);
        QCOMPARE(editor->windowTitle(), caption);
        QCOMPARE(Help::topic(editor), help);
        QCOMPARE(editor->findChild<QPushButton*>(QStringLiteral("cmdOK")) != nullptr, canAdd);
        for (const QString& name : {k.up, k.down, QStringLiteral("cmdUp"), QStringLiteral("cmdDel")}) {
            QVERIFY2(!control<QPushButton>(editor, name)->isEnabled(), qPrintable(name));
        }
        QCOMPARE(control<QPushButton>(editor, QStringLiteral("cmdCancel"))->text(), QStringLiteral("閉じる"));
        QTreeWidget* list = control<QTreeWidget>(editor, k.list);
        QStringList shown;
        for (int i = 0; i < list->columnCount(); ++i) {
            shown << list->headerItem()->text(i);
        }
        QCOMPARE(shown, headings);
        // Every row of the table, in display order, with its key.
        QCOMPARE(columnTexts(list), namesInOrder(w.conn(), k));
        QVERIFY(list->topLevelItem(0)->data(0, Qt::UserRole).toString().startsWith(k.letter));
        QVERIFY(Messages::shown().isEmpty());
    }

    void closeAndEscape()
    {
        World customers(Customers);
        MasterEditor* editor = customers.open();
        clickButton(editor, QStringLiteral("cmdCancel"));
        QVERIFY(!editor->isVisible());
        World items(Items);
        editor = items.open();
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

    void keyboardSelectsRow()
    {
        World w(Languages);
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        clickRow(list, 0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(control<QLineEdit>(editor, QStringLiteral("txtLangName"))->text(),
                 list->topLevelItem(1)->text(0));
        QCOMPARE(control<QLineEdit>(editor, QStringLiteral("txtLangCoef"))->text(),
                 list->topLevelItem(1)->text(1));
        QCOMPARE(editor->SelId(), 2);
        QVERIFY(control<QPushButton>(editor, QStringLiteral("cmdDel"))->isEnabled());
    }

    void deleteInUseIsRefused_data() { addEngineKindRows(); }
    void deleteInUseIsRefused()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const KindInfo& k = w.k;
        const int before = rowCount(w.conn(), k.table);
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        const QStringList shownBefore = columnTexts(list);
        // Row 1 of every master is used by the demo project.
        const int row = rowOfKey(list, k.letter + QStringLiteral("1"));
        QVERIFY(row >= 0);
        clickRow(list, row);
        const QString boxText = control<QLineEdit>(editor, k.nameBox)->text();
        QCOMPARE(boxText, nameOf(w.conn(), k, 1));

        clickButton(editor, QStringLiteral("cmdDel"));

        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("削除不可"),
                             QStringLiteral("本項目は既に使用されているため削除できません。"),
                             Messages::Exclamation);
        QCOMPARE(rowCount(w.conn(), k.table), before);
        QCOMPARE(nameOf(w.conn(), k, 1), boxText);
        QCOMPARE(columnTexts(list), shownBefore);
        QVERIFY(list->topLevelItem(row)->isSelected());
        QCOMPARE(control<QLineEdit>(editor, k.nameBox)->text(), boxText);
        QVERIFY(control<QPushButton>(editor, QStringLiteral("cmdUp"))->isEnabled());
        QVERIFY(control<QPushButton>(editor, QStringLiteral("cmdDel"))->isEnabled());
    }

    void deleteUnusedRow_data()
    {
        QTest::addColumn<int>("kind");
        addKindRows();
    }
    void deleteUnusedRow()
    {
        QFETCH(int, kind);
        World w(kind);
        const KindInfo& k = w.k;
        ExecSql(
            w.conn(),
            QStringLiteral("INSERT INTO %1 (NSORT, %2) VALUES (99, '未使用')").arg(k.table, k.nameColumn));
        const int before = rowCount(w.conn(), k.table);
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, QStringLiteral("未使用")));
        clickButton(editor, QStringLiteral("cmdDel"));
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(rowCount(w.conn(), k.table), before - 1);
        QCOMPARE(rowOfText(list, QStringLiteral("未使用")), -1);
        QCOMPARE(list->topLevelItemCount(), before - 1);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(editor, QStringLiteral("cmdUp"))->isEnabled());
        QVERIFY(!control<QPushButton>(editor, QStringLiteral("cmdDel"))->isEnabled());
        QCOMPARE(control<QLineEdit>(editor, k.nameBox)->text(), QStringLiteral("未使用"));
    }

    void tooLongNameIsRefused_data() { addEngineKindRows(); }
    void tooLongNameIsRefused()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const KindInfo& k = w.k;
        const int before = rowCount(w.conn(), k.table);
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        const QString longName = QString(51, QChar(0x540D)); // 名 × 51
        const QString original = nameOf(w.conn(), k, 2);
        clickRow(list, rowOfKey(list, k.letter + QStringLiteral("2")));
        typeInto(editor, k.nameBox, longName);
        if (kind == Customers || kind == Languages) {
            clickButton(editor, QStringLiteral("cmdOK"));
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(QStringLiteral("サイズオーバ"), QStringLiteral("名称の文字列が長すぎます。"),
                                 Messages::Exclamation);
            QCOMPARE(rowCount(w.conn(), k.table), before);
        }
        clickButton(editor, QStringLiteral("cmdUp"));
        COMPARE_LAST_MESSAGE(QStringLiteral("サイズオーバ"), QStringLiteral("名称の文字列が長すぎます。"),
                             Messages::Exclamation);
        QCOMPARE(nameOf(w.conn(), k, 2), original);
        QCOMPARE(rowCount(w.conn(), k.table), before);
        QCOMPARE(rowOfText(list, longName), -1);
        // A name of exactly the column's length fits.
        typeInto(editor, k.nameBox, longName.left(50));
        clickButton(editor, QStringLiteral("cmdUp"));
        QCOMPARE(nameOf(w.conn(), k, 2), longName.left(50));
    }

    void apostrophesAreStored_data() { addEngineKindRows(); }
    void apostrophesAreStored()
    {
        QFETCH(int, engine);
        QFETCH(int, kind);
        World w(kind, static_cast<Engine>(engine));
        const KindInfo& k = w.k;
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        const QString name = QStringLiteral("O'Brien's 'ﾃｽﾄ'');--");
        if (kind == Customers || kind == Languages) {
            typeNewRow(*editor, kind, name);
            if (kind == Customers) {
                typeInto(editor, QStringLiteral("txtMemo"), QStringLiteral("it's"));
            }
            clickButton(editor, QStringLiteral("cmdOK"));
        } else {
            clickRow(list, rowOfKey(list, k.letter + QStringLiteral("3")));
            typeInto(editor, k.nameBox, name);
            clickButton(editor, QStringLiteral("cmdUp"));
        }
        QVERIFY2(Messages::shown().isEmpty(),
                 qPrintable(Messages::shown().isEmpty() ? QString() : Messages::last().text));
        QCOMPARE(scalar(w.conn(),
                        QStringLiteral("SELECT COUNT(*) AS V FROM %1 WHERE %2 = 'O''Brien''s ''ﾃｽﾄ'''');--'")
                            .arg(k.table, k.nameColumn))
                     .toInt(),
                 1);
        const int row = rowOfText(list, name);
        QVERIFY(row >= 0);
        if (kind == Customers) {
            QCOMPARE(list->topLevelItem(row)->text(1), QStringLiteral("it's"));
        }
        // Clicking the row shows it again as stored.
        clickRow(list, row);
        QCOMPARE(control<QLineEdit>(editor, k.nameBox)->text(), name);
    }

    void duplicateNames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("mode"); // 0 add, 1 update
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("icon");
        QTest::addColumn<bool>("clickBeside"); // a click on the empty part of the list first
        const QString cust = QStringLiteral("同一顧客が既に登録されています。");
        const QString lang = QStringLiteral("同名の開発言語が既に登録されています。");
        const QString memb = QStringLiteral("同名のメンバが既に存在します。");
        const QString item = QStringLiteral("同名の項目が既に存在します。");
        const int info = Messages::Information;
        const int excl = Messages::Exclamation;
        QTest::newRow("customer renamed to another's name")
            << int(Customers) << 1 << false << QString() << 0 << false;
        QTest::newRow("customer added twice") << int(Customers) << 0 << false << cust << info << false;
        QTest::newRow("language renamed to another's name")
            << int(Languages) << 1 << false << lang << info << false;
        QTest::newRow("language renamed to its own name")
            << int(Languages) << 1 << true << QString() << 0 << false;
        QTest::newRow("language added twice") << int(Languages) << 0 << false << lang << info << false;
        QTest::newRow("member renamed to another's name")
            << int(Members) << 1 << false << memb << excl << false;
        QTest::newRow("member renamed to its own name")
            << int(Members) << 1 << true << QString() << 0 << false;
        QTest::newRow("item renamed to another's name") << int(Items) << 1 << false << item << excl << false;
        QTest::newRow("item renamed to its own name") << int(Items) << 1 << true << QString() << 0 << false;
        QTest::newRow("member keeps its name after a click beside the rows")
            << int(Members) << 1 << true << QString() << 0 << true;
    }
    void duplicateNames()
    {
        QFETCH(int, kind);
        QFETCH(int, mode);
        QFETCH(bool, ownName);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(bool, clickBeside);
        World w(kind);
        const KindInfo& k = w.k;
        const int before = rowCount(w.conn(), k.table);
        const QStringList namesBefore = namesInOrder(w.conn(), k);
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        const QString other = nameOf(w.conn(), k, 1);
        clickRow(list, rowOfKey(list, k.letter + QStringLiteral("2")));
        const QString own = nameOf(w.conn(), k, 2);
        const QString target = ownName ? own : other;
        if (clickBeside) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(10, list->viewport()->height() - 4));
            // The row in the boxes stays the chosen one.
            QCOMPARE(list->selectedItems().size(), 1);
            QCOMPARE(ItemKey(list->selectedItems().first()), k.letter + QStringLiteral("2"));
        }
        if (mode == 0) {
            typeNewRow(*editor, kind, target);
            clickButton(editor, QStringLiteral("cmdOK"));
        } else {
            typeInto(editor, k.nameBox, target);
            clickButton(editor, QStringLiteral("cmdUp"));
        }
        if (message.isEmpty()) {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(nameOf(w.conn(), k, 2), target);
            QCOMPARE(list->topLevelItemCount(), before);
            return;
        }
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("重複"), message, icon);
        QCOMPARE(rowCount(w.conn(), k.table), before);
        QCOMPARE(namesInOrder(w.conn(), k), namesBefore);
    }

    void requiredFields_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("message");
        QTest::newRow("customer name") << int(Customers) << "txtCustName"
                                       << "顧客名称は必須入力です。";
        QTest::newRow("language name") << int(Languages) << "txtLangName"
                                       << "言語名称は必須入力です。";
        QTest::newRow("language coefficient") << int(Languages) << "txtLangCoef"
                                              << "FP-LOC変換係数は必須入力です。";
        QTest::newRow("member name") << int(Members) << "txtName"
                                     << "メンバ名称は必須入力です。";
        QTest::newRow("item name blank") << int(Items) << "txtName"
                                         << "項目名称は必須入力です。";
    }
    void requiredFields()
    {
        QFETCH(int, kind);
        QFETCH(QString, box);
        QFETCH(QString, message);
        World w(kind);
        const KindInfo& k = w.k;
        const QStringList namesBefore = namesInOrder(w.conn(), k);
        MasterEditor* editor = w.open();
        clickRow(editor->list(), 0);
        typeInto(editor, box, kind == Items ? QStringLiteral("   ") : QString());
        clickButton(editor, QStringLiteral("cmdUp"));
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("入力確認"), message, Messages::Information);
        QCOMPARE(namesInOrder(w.conn(), k), namesBefore);
    }

    void languageCoefficient_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("stored");
        QTest::newRow("thousands separator") << "1,200" << true << 1200.0;
        QTest::newRow("plain") << "53" << true << 53.0;
        QTest::newRow("largest") << "32767" << true << 32767.0;
        QTest::newRow("smallest") << "1" << true << 1.0;
        QTest::newRow("zero") << "0" << false << 0.0;
        QTest::newRow("too large") << "40000" << false << 0.0;
        QTest::newRow("negative") << "-5" << false << 0.0;
        QTest::newRow("lone sign") << "-" << false << 0.0;
        QTest::newRow("fraction") << "12.5" << false << 0.0;
    }
    void languageCoefficient()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(double, stored);
        World w(Languages, Engine::SQLite, false);
        const int before = rowCount(w.conn(), QStringLiteral("MLANG"));
        MasterEditor* editor = w.open();
        typeInto(editor, QStringLiteral("txtLangName"), QStringLiteral("Rust"));
        QLineEdit* coefficient = control<QLineEdit>(editor, QStringLiteral("txtLangCoef"));
        coefficient->setText(typed);
        clickButton(editor, QStringLiteral("cmdOK"));
        if (!accepted) {
            QCOMPARE(Messages::shown().size(), 1);
            COMPARE_LAST_MESSAGE(QStringLiteral("入力確認"),
                                 QStringLiteral("FP-LOC変換係数は1～32767の範囲で入力してください。"),
                                 Messages::Information);
            QCOMPARE(rowCount(w.conn(), QStringLiteral("MLANG")), before);
            return;
        }
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(
            scalar(w.conn(), QStringLiteral("SELECT NCOEF AS V FROM MLANG WHERE CLANG = 'Rust'")).toDouble(),
            stored);
        QTreeWidget* list = editor->list();
        QCOMPARE(list->topLevelItem(rowOfText(list, QStringLiteral("Rust")))->text(1),
                 QString::number(stored, 'f', 0));
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
        const KindInfo& k = w.k;
        replaceRows(w.conn(), k, {});
        MasterEditor* editor = w.open();
        typeNewRow(*editor, kind, QStringLiteral("一番目"));
        clickButton(editor, QStringLiteral("cmdOK"));
        typeNewRow(*editor, kind, QStringLiteral("二番目"));
        clickButton(editor, QStringLiteral("cmdOK"));
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(
            scalar(w.conn(),
                   QStringLiteral("SELECT NSORT AS V FROM %1 WHERE %2 = '一番目'").arg(k.table, k.nameColumn))
                .toInt(),
            1);
        QCOMPARE(
            scalar(w.conn(),
                   QStringLiteral("SELECT NSORT AS V FROM %1 WHERE %2 = '二番目'").arg(k.table, k.nameColumn))
                .toInt(),
            2);
        QTreeWidget* list = editor->list();
        QCOMPARE(columnTexts(list), (QStringList{QStringLiteral("一番目"), QStringLiteral("二番目")}));
        // The list is read again: no selection, update and delete wait for a click, the boxes
        // keep the last text.
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(editor, QStringLiteral("cmdUp"))->isEnabled());
        QVERIFY(!control<QPushButton>(editor, QStringLiteral("cmdDel"))->isEnabled());
        QCOMPARE(control<QLineEdit>(editor, k.nameBox)->text(), QStringLiteral("二番目"));
    }

    void arrows_data()
    {
        QTest::addColumn<int>("kind");
        addKindRows();
    }
    void arrows()
    {
        QFETCH(int, kind);
        World w(kind, Engine::SQLite, false);
        const KindInfo& k = w.k;
        replaceRows(w.conn(), k, {QStringLiteral("甲")});
        {
            MasterEditor* editor = w.open();
            clickRow(editor->list(), 0);
            QVERIFY(control<QPushButton>(editor, QStringLiteral("cmdUp"))->isEnabled());
            QVERIFY(!control<QPushButton>(editor, k.up)->isEnabled());
            QVERIFY(!control<QPushButton>(editor, k.down)->isEnabled());
        }
        replaceRows(w.conn(), k, {QStringLiteral("甲"), QStringLiteral("乙")});
        MasterEditor* editor = w.open();
        QTreeWidget* list = editor->list();
        clickRow(list, 0);
        QVERIFY(control<QPushButton>(editor, k.up)->isEnabled());
        QVERIFY(control<QPushButton>(editor, k.down)->isEnabled());

        QStringList statements;
        DbConnection::setStatementHook(
            [&statements](const DbConnection&, const QString& sql) { statements << sql; });
        clickButton(editor, k.up);
        QVERIFY(statements.isEmpty());
        QCOMPARE(columnTexts(list), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));

        clickButton(editor, k.down);
        QCOMPARE(columnTexts(list), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
        QVERIFY(list->topLevelItem(1)->isSelected());
        QCOMPARE(namesInOrder(w.conn(), k), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
        QVERIFY(Messages::shown().isEmpty());
        // The moved row is still the one updated.
        typeInto(editor, k.nameBox, QStringLiteral("丙"));
        if (kind == Languages) {
            typeInto(editor, QStringLiteral("txtLangCoef"), QStringLiteral("40"));
        }
        clickButton(editor, QStringLiteral("cmdUp"));
        QCOMPARE(namesInOrder(w.conn(), k), (QStringList{QStringLiteral("乙"), QStringLiteral("丙")}));
    }

    void statements_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("customer add")
            << int(Customers) << 0
            << QStringList{"SELECT * FROM MCUSTOMER WHERE CCUSTNAME = 'A''s'",
                           "SELECT MAX(NSORT) AS MSORT FROM MCUSTOMER",
                           "INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (3, "
                           "'A''s', '')"};
        QTest::newRow("customer update")
            << int(Customers) << 1
            << QStringList{"UPDATE MCUSTOMER SET CCUSTNAME = 'A''s', CMEMO = '' WHERE NCUSTOMER = 2"};
        QTest::newRow("customer delete")
            << int(Customers) << 2 << QStringList{"DELETE MCUSTOMER WHERE NCUSTOMER = 2"};
        QTest::newRow("language add")
            << int(Languages) << 0
            << QStringList{"SELECT * FROM MLANG WHERE CLANG = 'A''s'",
                           "SELECT MAX(NSORT) AS MSORT FROM MLANG",
                           "INSERT INTO MLANG (NSORT,CLANG,NCOEF) VALUES (9, 'A''s', 60)"};
        QTest::newRow("language update")
            << int(Languages) << 1
            << QStringList{"SELECT * FROM MLANG WHERE CLANG = 'A''s' AND NLANG != 2",
                           "UPDATE MLANG SET CLANG = 'A''s',  NCOEF = 60 WHERE NLANG = 2"};
        QTest::newRow("language delete")
            << int(Languages) << 2 << QStringList{"DELETE MLANG WHERE NLANG = 2"};
        QTest::newRow("member update")
            << int(Members) << 1 << QStringList{"UPDATE MMEMBER SET CMEMBER = 'A''s' WHERE NMEMBER = 2"};
        QTest::newRow("member delete")
            << int(Members) << 2 << QStringList{"DELETE MMEMBER WHERE NMEMBER = 2"};
        QTest::newRow("item update") << int(Items) << 1
                                     << QStringList{"UPDATE MITEM SET CITEM = 'A''s' WHERE NITEM = 2"};
        QTest::newRow("item delete") << int(Items) << 2 << QStringList{"DELETE MITEM WHERE NITEM = 2"};
    }
    void statements()
    {
        QFETCH(int, kind);
        QFETCH(int, mode);
        QFETCH(QStringList, expected);
        World w(kind);
        const KindInfo& k = w.k;
        MasterEditor* editor = w.open();
        clickRow(editor->list(), rowOfKey(editor->list(), k.letter + QStringLiteral("2")));
        typeNewRow(*editor, kind, QStringLiteral("A's"));
        if (kind == Customers) {
            typeInto(editor, QStringLiteral("txtMemo"), QString());
        }
        QStringList statements;
        DbConnection::setStatementHook(
            [&statements](const DbConnection&, const QString& sql) { statements << sql; });
        const QStringList buttons{QStringLiteral("cmdOK"), QStringLiteral("cmdUp"), QStringLiteral("cmdDel")};
        clickButton(editor, buttons.at(mode));
        DbConnection::setStatementHook(nullptr);
        QCOMPARE(statements.mid(0, expected.size()), expected);
        // Nothing else is written: at most the list is read again.
        for (const QString& sql : statements.mid(expected.size())) {
            QVERIFY2(sql.startsWith(QLatin1String("SELECT * FROM ") + k.table + QLatin1String(" ORDER BY")),
                     qPrintable(sql));
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestMasterEditors)
#include "test_master_editors.moc"
