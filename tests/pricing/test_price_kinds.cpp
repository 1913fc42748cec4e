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
    return QStringLiteral("txtPri_%1").arg(i);
}

// "kind:cckind:code=price" for every price of a kind, in key order.
QStringList pricesOf(DbConnection& connection, int kind)
{
    QStringList prices;
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT * FROM MPRIPROG WHERE NPRIKIND = %1 "
                                                     "ORDER BY CCKIND, NDKIND")
                                          .arg(kind));
    for (; !rs.eof(); rs.moveNext()) {
        prices << QStringLiteral("%1:%2=%3")
                      .arg(rs.field(QStringLiteral("CCKIND")).toString())
                      .arg(rs.field(QStringLiteral("NDKIND")).toInt())
                      .arg(rs.field(QStringLiteral("NDPRI")).toDouble());
    }
    return prices;
}

void typeKind(const QWidget* editor, const QString& name, const QString& base, const QStringList& prices)
{
    typeInto(editor, QStringLiteral("txtPriName"), name);
    typeInto(editor, QStringLiteral("txtBase"), base);
    for (int i = 0; i < prices.size(); ++i) {
        typeInto(editor, slotBox(i), prices.at(i));
    }
}

int kindNamed(DbConnection& connection, const QString& name)
{
    return scalar(connection, QStringLiteral("SELECT NPRIKIND AS V FROM MPRIBASE WHERE CPRINAME = '%1'")
                                  .arg(QString(name).replace(QLatin1Char('\''), QStringLiteral("''"))))
        .toInt();
}

const QStringList kMemberPrices{"12000", "9000", "8000", "6000", "5000"};

} // namespace

class TestPriceKinds : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void slotsFollowTheMode_data()
    {
        QTest::addColumn<bool>("charge");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QStringList>("firstRow");
        QTest::addColumn<QString>("help");
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
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        state->policy.Charge = charge;
        state->Updated = true;
        auto editor = openEditor(*state);
        QCOMPARE(editor->objectName(), QStringLiteral("frmPri"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("作業費単価編集"));
        QCOMPARE(Help::topic(editor.get()), 18);
        QVERIFY(!state->Updated);
        QCOMPARE(control<QLabel>(editor.get(), QStringLiteral("lblHelp"))->text(), help);

        QTreeWidget* list = control<QTreeWidget>(editor.get(), QStringLiteral("lvwPrList"));
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
        QCOMPARE(list->topLevelItem(0)->data(0, Qt::UserRole).toString(), QStringLiteral("R1"));

        // One slot per division row; the slots beyond them mean nothing and are hidden.
        const int used = static_cast<int>(headings.size()) - 2;
        QCOMPARE(editor->slotsInUse(), used);
        for (int i = 0; i < PriceKindEditor::kSlots; ++i) {
            auto* label = control<QLabel>(editor.get(), QStringLiteral("lblProc_%1").arg(i));
            QCOMPARE(label->isVisible(), i < used);
            QCOMPARE(control<QLineEdit>(editor.get(), slotBox(i))->isVisible(), i < used);
            if (i < used) {
                QCOMPARE(label->text(), headings.at(i + 2));
            }
        }
        // A click shows the row in the boxes.
        clickRow(list, 0);
        QCOMPARE(control<QLineEdit>(editor.get(), QStringLiteral("txtPriName"))->text(),
                 QStringLiteral("標準単価"));
        QCOMPARE(control<QLineEdit>(editor.get(), QStringLiteral("txtBase"))->text(),
                 QStringLiteral("100,000"));
        QCOMPARE(control<QLineEdit>(editor.get(), slotBox(used - 1))->text(), firstRow.last());
        // With a single row the arrows stay disabled.
        QVERIFY(control<QPushButton>(editor.get(), QStringLiteral("cmdUp"))->isEnabled());
        QVERIFY(!control<QPushButton>(editor.get(), QStringLiteral("cmdPrUp"))->isEnabled());
        QVERIFY(!control<QPushButton>(editor.get(), QStringLiteral("cmdPrDown"))->isEnabled());
    }

    void addToEmptyTable()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        ExecSql(*state->Conn, QStringLiteral("DELETE MPRIPROG WHERE 1 = 1"));
        ExecSql(*state->Conn, QStringLiteral("DELETE MPRIBASE WHERE 1 = 1"));
        auto editor = openEditor(*state);
        typeKind(editor.get(), QStringLiteral("O'Hara's 特急"), QStringLiteral("1,500"),
                 {"12,000", "9000", "8000", "6000", "5000"});
        // A hidden slot is neither required nor stored.
        control<QLineEdit>(editor.get(), slotBox(7))->clear();
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        QVERIFY(Messages::shown().isEmpty());
        const int kind = kindNamed(*state->Conn, QStringLiteral("O'Hara's 特急"));
        QVERIFY(kind > 0);
        QCOMPARE(editor->SelPriKind(), kind);
        QCOMPARE(scalar(*state->Conn, QStringLiteral("SELECT NSORT AS V FROM MPRIBASE")).toInt(), 1);
        QCOMPARE(scalar(*state->Conn, QStringLiteral("SELECT NBASE AS V FROM MPRIBASE")).toDouble(), 1500.0);
        QCOMPARE(pricesOf(*state->Conn, kind),
                 (QStringList{"0:1=12000", "0:2=9000", "0:3=8000", "0:4=6000", "0:5=5000"}));
        QTreeWidget* list = editor->list();
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("O'Hara's 特急"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("1,500"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("12,000"));
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(editor.get(), QStringLiteral("cmdUp"))->isEnabled());
        // The boxes keep their text, so a second add is a duplicate.
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        COMPARE_LAST_MESSAGE(QStringLiteral("重複"), QStringLiteral("同名の価格種別が既に登録されています。"),
                             Messages::Information);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE")), 1);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIPROG")), 5);
        QVERIFY(!state->Updated);
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
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), QStringLiteral("特急単価"), QStringLiteral("0"), kMemberPrices);
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        const int kind = kindNamed(*state->Conn, QStringLiteral("特急単価"));
        const QStringList before = pricesOf(*state->Conn, kind);
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, QStringLiteral("特急単価")));
        typeInto(editor.get(), QStringLiteral("txtPriName"),
                 toOwnName ? QStringLiteral("特急単価") : QStringLiteral("標準単価"));
        typeInto(editor.get(), slotBox(0), QStringLiteral("13000"));
        clickButton(editor.get(), QStringLiteral("cmdUp"));
        // Refused or not, the main window is to reprice every project.
        QVERIFY(state->Updated);
        if (toOwnName) {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(pricesOf(*state->Conn, kind).first(), QStringLiteral("0:1=13000"));
            return;
        }
        QCOMPARE(Messages::last().title, QStringLiteral("重複"));
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE"), QStringLiteral("CPRINAME = '標準単価'")),
                 1);
        QCOMPARE(pricesOf(*state->Conn, kind), before);
    }

    void updateKeepsTheOtherModesPrices()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        state->policy.Charge = false;
        const QStringList before = pricesOf(*state->Conn, 1);
        auto editor = openEditor(*state);
        clickRow(editor->list(), 0);
        typeInto(editor.get(), QStringLiteral("txtBase"), QStringLiteral("120,000"));
        typeInto(editor.get(), slotBox(3), QStringLiteral("6,500"));
        QStringList statements;
        DbConnection::setStatementHook(
            [&statements](const DbConnection&, const QString& sql) { statements << sql; });
        clickButton(editor.get(), QStringLiteral("cmdUp"));
        DbConnection::setStatementHook(nullptr);
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(state->Updated);
        QCOMPARE(statements.at(0),
                 QStringLiteral("SELECT * FROM MPRIBASE WHERE CPRINAME = '標準単価' AND NPRIKIND != 1"));
        QCOMPARE(
            statements.at(1),
            QStringLiteral("UPDATE MPRIBASE SET CPRINAME = '標準単価',  NBASE = 120000 WHERE NPRIKIND = 1"));
        QCOMPARE(statements.at(2), QStringLiteral("DELETE MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '1'"));
        QCOMPARE(
            statements.at(6),
            QStringLiteral("INSERT INTO MPRIPROG (NPRIKIND,CCKIND,NDKIND,NDPRI) VALUES (1, '1', 4, 6500)"));
        QStringList after = pricesOf(*state->Conn, 1);
        QCOMPARE(after.mid(0, 5), before.mid(0, 5)); // the member-kind prices
        QCOMPARE(after.at(5 + 3), QStringLiteral("1:4=6500"));
        QCOMPARE(after.size(), before.size());
        QCOMPARE(editor->list()->topLevelItem(0)->text(1), QStringLiteral("120,000"));
        QCOMPARE(editor->list()->topLevelItem(0)->text(5), QStringLiteral("6,500"));
    }

    void deleteRemovesBothModes()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), QStringLiteral("旧単価"), QStringLiteral("0"), kMemberPrices);
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        const int kind = kindNamed(*state->Conn, QStringLiteral("旧単価"));
        ExecSql(*state->Conn, QStringLiteral("INSERT INTO MPRIPROG VALUES (%1, '1', 1, 7000)").arg(kind));
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, QStringLiteral("旧単価")));
        QVERIFY(control<QPushButton>(editor.get(), QStringLiteral("cmdPrUp"))->isEnabled());
        clickButton(editor.get(), QStringLiteral("cmdDel"));
        QVERIFY(Messages::shown().isEmpty());
        QCOMPARE(
            rowCount(*state->Conn, QStringLiteral("MPRIPROG"), QStringLiteral("NPRIKIND = %1").arg(kind)), 0);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE")), 1);
        QCOMPARE(list->topLevelItemCount(), 1);
        QVERIFY(!state->Updated);
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
        clickButton(editor.get(), QStringLiteral("cmdDel"));
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("削除不可"),
                             QStringLiteral("本項目は既に使用されているため削除できません。"),
                             Messages::Exclamation);
        // The prices deleted first came back with the rollback.
        QCOMPARE(pricesOf(*state->Conn, 1), before);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE")), 1);
        QCOMPARE(editor->list()->topLevelItemCount(), 1);
        QVERIFY(editor->list()->topLevelItem(0)->isSelected());
        QVERIFY(control<QPushButton>(editor.get(), QStringLiteral("cmdDel"))->isEnabled());
        QCOMPARE(control<QLineEdit>(editor.get(), QStringLiteral("txtPriName"))->text(),
                 QStringLiteral("標準単価"));
        // The connection is usable afterwards.
        typeInto(editor.get(), QStringLiteral("txtPriName"), QStringLiteral("標準単価2025"));
        clickButton(editor.get(), QStringLiteral("cmdUp"));
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(kindNamed(*state->Conn, QStringLiteral("標準単価2025")), 1);
    }

    void tooLongNameIsRefused_data() { addEngineRows(); }
    void tooLongNameIsRefused()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), QString(51, QChar(0x5358)), QStringLiteral("0"), kMemberPrices);
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("サイズオーバ"), QStringLiteral("名称の文字列が長すぎます。"),
                             Messages::Exclamation);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE")), 1);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIPROG")), 13);
    }

    void failedAddWritesNothing_data() { addEngineRows(); }
    void failedAddWritesNothing()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), QStringLiteral("途中失敗"), QStringLiteral("0"), kMemberPrices);
        DbConnection::setStatementHook([](const DbConnection&, const QString& sql) {
            if (sql.contains(QLatin1String("VALUES (")) && sql.endsWith(QLatin1String(", 3, 8000)"))) {
                throw DbError(DbError::Other, QStringLiteral("injected"), sql);
            }
        });
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        DbConnection::setStatementHook(nullptr);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, QStringLiteral("ＤＢエラー"));
        QCOMPARE(Messages::last().icon, Messages::Critical);
        QVERIFY(Messages::last().text.startsWith(QStringLiteral("injected\nINSERT INTO MPRIPROG")));
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE")), 1);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIPROG")), 13);
        QCOMPARE(editor->list()->topLevelItemCount(), 1);
    }

    void inputChecks_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("name") << "txtPriName"
                              << ""
                              << "価格種別名称は必須入力です。";
        QTest::newRow("base") << "txtBase"
                              << ""
                              << "基本料金は必須入力です。";
        QTest::newRow("third slot") << "txtPri_2"
                                    << ""
                                    << "SEは必須入力です。";
        QTest::newRow("base not a number") << "txtBase"
                                           << "-"
                                           << "基本料金の値が正しくありません。";
        QTest::newRow("slot not a number") << "txtPri_4"
                                           << "-"
                                           << "テスターの値が正しくありません。";
    }
    void inputChecks()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), QStringLiteral("新単価"), QStringLiteral("0"), kMemberPrices);
        control<QLineEdit>(editor.get(), box)->setText(text);
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(QStringLiteral("入力確認"), message, Messages::Information);
        QCOMPARE(rowCount(*state->Conn, QStringLiteral("MPRIBASE")), 1);
    }

    void typedPriceIsFormatted()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        QLineEdit* price = control<QLineEdit>(editor.get(), slotBox(0));
        typeInto(editor.get(), slotBox(0), QStringLiteral("1500"));
        control<QLineEdit>(editor.get(), QStringLiteral("txtPriName"))->setFocus();
        QCOMPARE(price->text(), QStringLiteral("1,500"));
        typeInto(editor.get(), QStringLiteral("txtPriName"), QStringLiteral("千五百"));
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        const int kind = kindNamed(*state->Conn, QStringLiteral("千五百"));
        QCOMPARE(pricesOf(*state->Conn, kind).first(), QStringLiteral("0:1=1500"));
        QTreeWidget* list = editor->list();
        clickRow(list, rowOfText(list, QStringLiteral("千五百")));
        QCOMPARE(price->text(), QStringLiteral("1,500"));
    }

    void arrowsMoveKinds()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        typeKind(editor.get(), QStringLiteral("第二"), QStringLiteral("0"), kMemberPrices);
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        QTreeWidget* list = editor->list();
        clickRow(list, 1);
        QVERIFY(control<QPushButton>(editor.get(), QStringLiteral("cmdPrUp"))->isEnabled());
        clickButton(editor.get(), QStringLiteral("cmdPrDown"));
        QCOMPARE(columnTexts(list), (QStringList{"標準単価", "第二"}));
        clickButton(editor.get(), QStringLiteral("cmdPrUp"));
        QCOMPARE(columnTexts(list), (QStringList{"第二", "標準単価"}));
        const QString sortOf = QStringLiteral("SELECT NSORT AS V FROM MPRIBASE WHERE CPRINAME = '%1'");
        QCOMPARE(scalar(*state->Conn, sortOf.arg(QStringLiteral("第二"))).toInt(), 1);
        QCOMPARE(scalar(*state->Conn, sortOf.arg(QStringLiteral("標準単価"))).toInt(), 2);
        clickButton(editor.get(), QStringLiteral("cmdPrUp"));
        QCOMPARE(columnTexts(list), (QStringList{"第二", "標準単価"}));
        QCOMPARE(scalar(*state->Conn, sortOf.arg(QStringLiteral("第二"))).toInt(), 1);
        QVERIFY(Messages::shown().isEmpty());
    }

    void escapeCloses()
    {
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        QTest::keyClick(editor.get(), Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestPriceKinds)
#include "test_price_kinds.moc"
