#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/help.h"
#include "foundation/messages.h"
#include "gui_helpers.h"
#include "pricing/price_kinds.h"
#include "test_support.h"

#include <QLabel>
#include <QPushButton>

namespace {

std::unique_ptr<PriceKindEditor> openEditor(AppState& state)
{
    auto editor = std::make_unique<PriceKindEditor>(state);
    editor->show();
    editor->activateWindow();
    if (!QTest::qWaitForWindowActive(editor.get())) {
        qFatal("editor not shown");
    }
    return editor;
}

QString slotBox(int i)
{
    return u"txtPri_%1"_s.arg(i);
}

// "kind:cckind:code=price" for every price of a kind, in key order.
QStringList pricesOf(DbConnection& connection, int kind)
{
    QStringList prices;
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT * FROM MPRIPROG WHERE NPRIKIND = %1 "
                                                     "ORDER BY CCKIND, NDKIND")
                                          .arg(kind));
    for (; !rs.eof(); rs.moveNext()) {
        prices << u"%1:%2=%3"_s.arg(rs.field(u"CCKIND"_s).toString())
                      .arg(rs.field(u"NDKIND"_s).toInt())
                      .arg(rs.field(u"NDPRI"_s).toDouble());
    }
    return prices;
}

void typeKind(const QWidget* editor, const QString& name, const QString& base, const QStringList& prices)
{
    typeInto(editor, u"txtPriName"_s, name);
    typeInto(editor, u"txtBase"_s, base);
    for (int i = 0; i < prices.size(); ++i) {
        typeInto(editor, slotBox(i), prices.at(i));
    }
}

int kindNamed(DbConnection& connection, const QString& name)
{
    return scalar(connection, u"SELECT NPRIKIND AS V FROM MPRIBASE WHERE CPRINAME = '%1'"_s.arg(
                                  QString(name).replace(QLatin1Char('\''), u"''"_s)))
        .toInt();
}

const QStringList kMemberPrices{"12000", "9000", "8000", "6000", "5000"};

} // namespace

class TestPriceKinds : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_db = TestDatabase::create(Engine::SQLite);
        m_state = m_db->makeState();
    }
    void cleanup()
    {
        m_state.reset();
        m_db.reset();
        m_env.reset();
    }

    void slotsFollowTheMode_data()
    {
        addColumns<bool, QStringList, QStringList, QString>({"charge", "headings", "firstRow", "help"});
        QTest::newRow("per member kind")
            << true << QStringList{"価格種別名称", "基本料金", "PM", "PL", "SE", "PG", "テスター"}
            << QStringList{"標準単価", "100,000", "10,000", "8,500", "7,500", "5,500", "4,500"}
            << QStringLiteral("作業担当者の職種別時間単価を設定します。\n"
                              "これを元に顧客に請求する作業費を計算します。単位は「円/時間」です。");
        QTest::newRow("per process") << false
                                     << QStringList{"価格種別名称", "基本料金", "要件定義",   "基本設計",
                                                    "詳細設計",     "製造",     "単体テスト", "結合テスト",
                                                    "総合テスト",   "導入"}
                                     << QStringList{"標準単価", "100,000", "9,000", "8,500", "7,500",
                                                    "6,000",    "5,500",   "6,000", "6,500", "7,000"}
                                     << QStringLiteral(
                                            "工程別の時間単価の初期値を設定します。\n"
                                            "単にプロジェクト新規作成時の初期値を決定するものです。"
                                            "単位は「円/時間」です。");
    }
    void slotsFollowTheMode()
    {
        QFETCH(bool, charge);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, firstRow);
        QFETCH(QString, help);
        m_state->policy.Charge = charge;
        m_state->Updated = true;
        auto editor = openEditor(*m_state);
        QCOMPARE(editor->objectName(), u"frmPri"_s);
        QCOMPARE(editor->windowTitle(), u"作業費単価編集"_s);
        QCOMPARE(Help::topic(editor.get()), 18);
        QVERIFY(!m_state->Updated);
        QCOMPARE(control<QLabel>(editor.get(), u"lblHelp"_s)->text(), help);

        QTreeWidget* list = control<QTreeWidget>(editor.get(), u"lvwPrList"_s);
        QStringList shown;
        for (int i = 0; i < list->columnCount(); ++i) {
            shown << list->headerItem()->text(i);
        }
        QCOMPARE(shown, headings);
        QCOMPARE(list->topLevelItemCount(), 1);
        QStringList row;
        for (int i = 0; i < list->columnCount(); ++i) {
            row << list->topLevelItem(0)->text(i);
        }
        QCOMPARE(row, firstRow);
        QCOMPARE(list->topLevelItem(0)->data(0, Qt::UserRole).toString(), u"R1"_s);

        // One slot per division row; the slots beyond them mean nothing and are hidden.
        const int used = static_cast<int>(headings.size()) - 2;
        QCOMPARE(editor->slotsInUse(), used);
        for (int i = 0; i < PriceKindEditor::kSlots; ++i) {
            auto* label = control<QLabel>(editor.get(), u"lblProc_%1"_s.arg(i));
            QCOMPARE(label->isVisible(), i < used);
            QCOMPARE(control<QLineEdit>(editor.get(), slotBox(i))->isVisible(), i < used);
            if (i < used) {
                QCOMPARE(label->text(), headings.at(i + 2));
            }
        }
        // A click shows the row in the boxes.
        clickRow(list, 0);
        QCOMPARE(control<QLineEdit>(editor.get(), u"txtPriName"_s)->text(), u"標準単価"_s);
        QCOMPARE(control<QLineEdit>(editor.get(), u"txtBase"_s)->text(), u"100,000"_s);
        QCOMPARE(control<QLineEdit>(editor.get(), slotBox(used - 1))->text(), firstRow.last());
        // With a single row the arrows stay disabled.
        QVERIFY(control<QPushButton>(editor.get(), u"cmdUp"_s)->isEnabled());
        QVERIFY(!control<QPushButton>(editor.get(), u"cmdPrUp"_s)->isEnabled());
        QVERIFY(!control<QPushButton>(editor.get(), u"cmdPrDown"_s)->isEnabled());
    }

    void addToEmptyTable()
    {
        ExecSql(conn(), u"DELETE MPRIPROG WHERE 1 = 1"_s);
        ExecSql(conn(), u"DELETE MPRIBASE WHERE 1 = 1"_s);
        auto editor = openEditor(*m_state);
        typeKind(editor.get(), u"O'Hara's 特急"_s, u"1,500"_s, {"12,000", "9000", "8000", "6000", "5000"});
        // A hidden slot is neither required nor stored.
        control<QLineEdit>(editor.get(), slotBox(7))->clear();
        clickButton(editor.get(), u"cmdOK"_s);
        QVERIFY(Messages::shown().isEmpty());
        const int kind = kindNamed(conn(), u"O'Hara's 特急"_s);
        QVERIFY(kind > 0);
        QCOMPARE(editor->SelPriKind(), kind);
        QCOMPARE(scalar(conn(), u"SELECT NSORT AS V FROM MPRIBASE"_s).toInt(), 1);
        QCOMPARE(scalar(conn(), u"SELECT NBASE AS V FROM MPRIBASE"_s).toDouble(), 1500.0);
        QCOMPARE(pricesOf(conn(), kind),
                 (QStringList{"0:1=12000", "0:2=9000", "0:3=8000", "0:4=6000", "0:5=5000"}));
        QTreeWidget* list = editor->list();
        QCOMPARE(list->topLevelItem(0)->text(0), u"O'Hara's 特急"_s);
        QCOMPARE(list->topLevelItem(0)->text(1), u"1,500"_s);
        QCOMPARE(list->topLevelItem(0)->text(2), u"12,000"_s);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(editor.get(), u"cmdUp"_s)->isEnabled());
        // The boxes keep their text, so a second add is a duplicate.
        clickButton(editor.get(), u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"重複"_s, u"同名の価格種別が既に登録されています。"_s, Messages::Information);
        QCOMPARE(rowCount(conn(), u"MPRIBASE"_s), 1);
        QCOMPARE(rowCount(conn(), u"MPRIPROG"_s), 5);
        QVERIFY(!m_state->Updated);
    }

    void rename_data()
    {
        QTest::addColumn<bool>("toOwnName");
        QTest::newRow("own name") << true;
        QTest::newRow("another kind's name") << false;
    }
    void rename()
    {
        QFETCH(bool, toOwnName);
        auto editor = openEditor(*m_state);
        typeKind(editor.get(), u"特急単価"_s, u"0"_s, kMemberPrices);
        clickButton(editor.get(), u"cmdOK"_s);
        const int kind = kindNamed(conn(), u"特急単価"_s);
        const QStringList before = pricesOf(conn(), kind);
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, u"特急単価"_s));
        typeInto(editor.get(), u"txtPriName"_s, toOwnName ? u"特急単価"_s : u"標準単価"_s);
        typeInto(editor.get(), slotBox(0), u"13000"_s);
        clickButton(editor.get(), u"cmdUp"_s);
        // Refused or not, the main window is to reprice every project.
        QVERIFY(m_state->Updated);
        if (toOwnName) {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(pricesOf(conn(), kind).first(), u"0:1=13000"_s);
            return;
        }
        QCOMPARE(Messages::last().title, u"重複"_s);
        QCOMPARE(rowCount(conn(), u"MPRIBASE"_s, u"CPRINAME = '標準単価'"_s), 1);
        QCOMPARE(pricesOf(conn(), kind), before);
    }

    void updateKeepsTheOtherModesPrices()
    {
        m_state->policy.Charge = false;
        const QStringList before = pricesOf(conn(), 1);
        auto editor = openEditor(*m_state);
        clickRow(editor->list(), 0);
        typeInto(editor.get(), u"txtBase"_s, u"120,000"_s);
        typeInto(editor.get(), slotBox(3), u"6,500"_s);
        QStringList statements;
        {
            StatementLog log;
            clickButton(editor.get(), u"cmdUp"_s);
            statements = log.statements();
        }
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(m_state->Updated);
        QCOMPARE(statements.at(0), u"SELECT * FROM MPRIBASE WHERE CPRINAME = '標準単価' AND NPRIKIND != 1"_s);
        QCOMPARE(statements.at(1),
                 u"UPDATE MPRIBASE SET CPRINAME = '標準単価',  NBASE = 120000 WHERE NPRIKIND = 1"_s);
        QCOMPARE(statements.at(2), u"DELETE MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '1'"_s);
        QCOMPARE(statements.at(6),
                 u"INSERT INTO MPRIPROG (NPRIKIND,CCKIND,NDKIND,NDPRI) VALUES (1, '1', 4, 6500)"_s);
        QStringList after = pricesOf(conn(), 1);
        QCOMPARE(after.mid(0, 5), before.mid(0, 5)); // the member-kind prices
        QCOMPARE(after.at(5 + 3), u"1:4=6500"_s);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(editor->list()->topLevelItem(0)->text(1), u"120,000"_s);
        QCOMPARE(editor->list()->topLevelItem(0)->text(5), u"6,500"_s);
    }

    void deleteRemovesBothModes()
    {
        auto editor = openEditor(*m_state);
        typeKind(editor.get(), u"旧単価"_s, u"0"_s, kMemberPrices);
        clickButton(editor.get(), u"cmdOK"_s);
        const int kind = kindNamed(conn(), u"旧単価"_s);
        ExecSql(conn(), u"INSERT INTO MPRIPROG VALUES (%1, '1', 1, 7000)"_s.arg(kind));
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, u"旧単価"_s));
        QVERIFY(control<QPushButton>(editor.get(), u"cmdPrUp"_s)->isEnabled());
        clickButton(editor.get(), u"cmdDel"_s);
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(rowCount(conn(), u"MPRIPROG"_s, u"NPRIKIND = %1"_s.arg(kind)), 0);
        QCOMPARE(rowCount(conn(), u"MPRIBASE"_s), 1);
        QCOMPARE(list->topLevelItemCount(), 1);
        QVERIFY(!m_state->Updated);
    }

    void deleteInUseIsRefused_data() { addEngineRows(); }
    void deleteInUseIsRefused()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        const QStringList before = pricesOf(*state->Conn, 1);
        auto editor = openEditor(*state);
        clickRow(editor->list(), 0);
        clickButton(editor.get(), u"cmdDel"_s);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"削除不可"_s, u"本項目は既に使用されているため削除できません。"_s,
                             Messages::Exclamation);
        // The prices deleted first came back with the rollback.
        QCOMPARE(pricesOf(*state->Conn, 1), before);
        QCOMPARE(rowCount(*state->Conn, u"MPRIBASE"_s), 1);
        QCOMPARE(editor->list()->topLevelItemCount(), 1);
        QVERIFY(editor->list()->topLevelItem(0)->isSelected());
        QVERIFY(control<QPushButton>(editor.get(), u"cmdDel"_s)->isEnabled());
        QCOMPARE(control<QLineEdit>(editor.get(), u"txtPriName"_s)->text(), u"標準単価"_s);
        // The connection is usable afterwards.
        typeInto(editor.get(), u"txtPriName"_s, u"標準単価2025"_s);
        clickButton(editor.get(), u"cmdUp"_s);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(kindNamed(*state->Conn, u"標準単価2025"_s), 1);
    }

    // A name longer than its column, or any failure half-way, leaves no kind and no price.
    void failedAddWritesNothing_data()
    {
        addColumns<int, QString, QString, QString>({"engine", "name", "title", "text"});
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = engine == Engine::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s/name too long", name) << int(engine) << QString(51, QChar(0x5358))
                                                    << u"サイズオーバ"_s << u"名称の文字列が長すぎます。"_s;
            QTest::addRow("%s/third price fails", name)
                << int(engine) << u"途中失敗"_s << u"ＤＢエラー"_s
                << u"injected failure\nINSERT INTO MPRIPROG (NPRIKIND,CCKIND,NDKIND,NDPRI) VALUES (2, '0', 3, 8000)"_s;
        }
    }
    void failedAddWritesNothing()
    {
        FETCH_ENGINE();
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, text);
        auto db = TestDatabase::create(dbEngine);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), name, u"0"_s, kMemberPrices);
        {
            StatementLog log;
            log.failOn(u"'0', 3, 8000)"_s, true);
            clickButton(editor.get(), u"cmdOK"_s);
        }
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, title);
        QCOMPARE(Messages::last().text, text);
        QCOMPARE(rowCount(*state->Conn, u"MPRIBASE"_s), 1);
        QCOMPARE(rowCount(*state->Conn, u"MPRIPROG"_s), 13);
        QCOMPARE(editor->list()->topLevelItemCount(), 1);
    }

    void inputChecks_data()
    {
        addColumns<QString, QString, QString>({"box", "text", "message"});
        QTest::newRow("name") << u"txtPriName"_s << u""_s << u"価格種別名称は必須入力です。"_s;
        QTest::newRow("base") << u"txtBase"_s << u""_s << u"基本料金は必須入力です。"_s;
        QTest::newRow("third slot") << u"txtPri_2"_s << u""_s << u"SEは必須入力です。"_s;
        QTest::newRow("base not a number") << u"txtBase"_s << u"-"_s << u"基本料金の値が正しくありません。"_s;
        QTest::newRow("slot not a number")
            << u"txtPri_4"_s << u"-"_s << u"テスターの値が正しくありません。"_s;
    }
    void inputChecks()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto editor = openEditor(*m_state);
        typeKind(editor.get(), u"新単価"_s, u"0"_s, kMemberPrices);
        setText(editor.get(), box, text);
        clickButton(editor.get(), u"cmdOK"_s);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"入力確認"_s, message, Messages::Information);
        QCOMPARE(rowCount(conn(), u"MPRIBASE"_s), 1);
    }

    void arrowsMoveKindsAndEscCloses()
    {
        auto editor = openEditor(*m_state);
        typeKind(editor.get(), u"第二"_s, u"0"_s, kMemberPrices);
        clickButton(editor.get(), u"cmdOK"_s);
        QTreeWidget* list = editor->list();
        clickRow(list, 1);
        QVERIFY(control<QPushButton>(editor.get(), u"cmdPrUp"_s)->isEnabled());
        clickButton(editor.get(), u"cmdPrDown"_s);
        QCOMPARE(columnTexts(list), (QStringList{"標準単価", "第二"}));
        clickButton(editor.get(), u"cmdPrUp"_s);
        QCOMPARE(columnTexts(list), (QStringList{"第二", "標準単価"}));
        const QString sortOf = u"SELECT NSORT AS V FROM MPRIBASE WHERE CPRINAME = '%1'"_s;
        QCOMPARE(scalar(conn(), sortOf.arg(u"第二"_s)).toInt(), 1);
        QCOMPARE(scalar(conn(), sortOf.arg(u"標準単価"_s)).toInt(), 2);
        clickButton(editor.get(), u"cmdPrUp"_s);
        QCOMPARE(columnTexts(list), (QStringList{"第二", "標準単価"}));
        QCOMPARE(scalar(conn(), sortOf.arg(u"第二"_s)).toInt(), 1);
        QVERIFY(Messages::shown().isEmpty());

        // Esc closes the editor without a question.
        QTest::keyClick(editor.get(), Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<AppState> m_state;
    DbConnection& conn() { return *m_state->Conn; }
};

QTEST_MAIN(TestPriceKinds)
#include "test_price_kinds.moc"
