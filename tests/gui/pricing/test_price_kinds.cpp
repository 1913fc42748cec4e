#include "../project/project_fixture.h"
#include "common/messages.h"
#include "pricing/price_kinds.h"

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

// "cckind:code=price" for every price of a kind, in key order.
QStringList pricesOf(DbConnection& connection, int kind)
{
    QStringList prices;
    for (Recordset rs = OpenRs(
             connection, u"SELECT * FROM MPRIPROG WHERE NPRIKIND = %1 ORDER BY CCKIND, NDKIND"_s.arg(kind));
         !rs.eof(); rs.moveNext()) {
        prices << u"%1:%2=%3"_s.arg(rs.field(u"CCKIND"_s).toString())
                      .arg(rs.field(u"NDKIND"_s).toInt())
                      .arg(rs.field(u"NDPRI"_s).toDouble());
    }
    return prices;
}

void typeKind(const QWidget* editor, const QString& name, const QStringList& prices)
{
    typeInto(editor, u"txtPriName"_s, name);
    typeInto(editor, u"txtBase"_s, u"0"_s);
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

} // namespace

class TestPriceKinds : public QObject {
    Q_OBJECT
private slots:
    // The demo data, whose only price kind is the standard one.
    void init() { m_f.init(); }
    void cleanup() { m_f.cleanup(); }

    // One slot per division row of the pricing mode (five member kinds, eight processes); the
    // slots beyond them are hidden. Opening the editor takes back the request to reprice.
    void slotsFollowTheMode_data()
    {
        // The standard kind's row: name, base and one price per slot.
        addColumns<bool, QString>({"charge", "firstRow"});
        QTest::newRow("per member kind") << true << u"標準単価|100,000|10,000|8,500|7,500|5,500|4,500"_s;
        QTest::newRow("per process") << false
                                     << u"標準単価|100,000|9,000|8,500|7,500|6,000|5,500|6,000|6,500|7,000"_s;
    }
    void slotsFollowTheMode()
    {
        QFETCH(bool, charge);
        QFETCH(QString, firstRow);
        m_f.state->policy.Charge = charge;
        m_f.state->Updated = true;
        auto editor = openEditor(*m_f.state);
        QVERIFY(!m_f.state->Updated);
        QTreeWidget* list = control<QTreeWidget>(editor.get(), u"lvwPrList"_s);
        QCOMPARE(rowTexts(list, 0).join(QLatin1Char('|')), firstRow);
        const auto used = firstRow.count(QLatin1Char('|')) - 1;
        QStringList boxes{u"txtPriName"_s, u"txtBase"_s};
        for (int i = 0; i < PriceKindEditor::kSlots; ++i) {
            QCOMPARE(control<QLineEdit>(editor.get(), slotBox(i))->isVisible(), i < used);
            if (i < used) {
                boxes << slotBox(i);
            }
        }
        // A click shows the row in the boxes; with a single row the arrows stay disabled.
        clickRow(list, 0);
        QCOMPARE(texts(editor.get(), boxes).join(QLatin1Char('|')), firstRow);
        QVERIFY(control<QPushButton>(editor.get(), u"cmdUp"_s)->isEnabled());
        QVERIFY(!control<QPushButton>(editor.get(), u"cmdPrUp"_s)->isEnabled());
        QVERIFY(!control<QPushButton>(editor.get(), u"cmdPrDown"_s)->isEnabled());
    }

    // A slot shows and stores the price of its own division code, also where the codes do not
    // run 1, 2, 3... in display order: a process taken out of use in the middle, member kinds
    // sorted out of code order. The function editor and the recalculation read the prices by
    // code, so a price put under a neighbour's code would price the wrong work.
    void slotsFollowTheirCodes_data()
    {
        addColumns<bool, QString, QString, QString, int, QStringList>(
            {"charge", "divisionChange", "listedRow", "typedRow", "slotCount", "stored"});
        QTest::newRow("per process, 製造 out of use")
            << false << u"UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 4"_s
            << u"標準単価|100,000|9,000|8,500|7,500|5,500|6,000|6,500|7,000"_s
            << u"標準単価|100,000|9,100|8,600|7,600|5,600|6,100|6,600|7,100"_s << 7
            << QStringList{"1:1=9100", "1:2=8600", "1:3=7600", "1:5=5600",
                           "1:6=6100", "1:7=6600", "1:8=7100"};
        QTest::newRow("per member kind, PM sorted last")
            << true << u"UPDATE MDIV SET NSORT = 10 WHERE NDID = 17 AND NVAL = 1"_s
            << u"標準単価|100,000|8,500|7,500|5,500|4,500|10,000"_s
            << u"標準単価|100,000|8,600|7,600|5,600|4,600|11,000"_s << 5
            << QStringList{"0:1=11000", "0:2=8600", "0:3=7600", "0:4=5600", "0:5=4600"};
    }
    void slotsFollowTheirCodes()
    {
        QFETCH(bool, charge);
        QFETCH(QString, divisionChange);
        QFETCH(QString, listedRow);
        QFETCH(QString, typedRow);
        QFETCH(int, slotCount);
        QFETCH(QStringList, stored);
        ExecSql(conn(), divisionChange);
        m_f.state->policy.Charge = charge;
        const QStringList before = pricesOf(conn(), 1);
        auto editor = openEditor(*m_f.state);
        QTreeWidget* list = editor->list();
        QCOMPARE(editor->slotsInUse(), slotCount);
        QCOMPARE(rowTexts(list, 0).join(QLatin1Char('|')), listedRow);
        clickRow(list, 0);
        QStringList boxes{u"txtPriName"_s, u"txtBase"_s};
        for (int i = 0; i < slotCount; ++i) {
            boxes << slotBox(i);
        }
        QCOMPARE(texts(editor.get(), boxes).join(QLatin1Char('|')), listedRow);
        const QStringList typed = typedRow.split(QLatin1Char('|'));
        for (int i = 0; i < slotCount; ++i) {
            typeInto(editor.get(), slotBox(i), typed.at(i + 2));
        }
        clickButton(editor.get(), u"cmdUp"_s);
        QVERIFY(Messages::shown().isEmpty());
        // The other mode's prices stay; those of this mode are the typed ones under their codes.
        const QString mode = charge ? u"0:"_s : u"1:"_s;
        QStringList expected;
        for (const QString& price : before) {
            if (!price.startsWith(mode)) {
                expected << price;
            }
        }
        expected = charge ? stored + expected : expected + stored;
        QCOMPARE(pricesOf(conn(), 1), expected);
        QCOMPARE(rowTexts(list, 0).join(QLatin1Char('|')), typedRow);

        // A new kind is stored under the same codes.
        typeInto(editor.get(), u"txtPriName"_s, u"新単価"_s);
        clickButton(editor.get(), u"cmdOK"_s);
        QStringList added = pricesOf(conn(), editor->SelPriKind());
        QCOMPARE(added, stored);
    }

    // An update replaces the prices of the current mode only and, refused or not, asks the main
    // window to reprice every project. A kind is added with the prices of the current mode, moved
    // and deleted with the prices of both modes, none of which asks for a repricing.
    void addUpdateMoveAndDelete()
    {
        const QStringList before = pricesOf(conn(), 1);
        auto editor = openEditor(*m_f.state);
        QTreeWidget* list = editor->list();
        clickRow(list, 0);
        typeInto(editor.get(), u"txtBase"_s, u"120,000"_s);
        typeInto(editor.get(), slotBox(3), u"6,500"_s);
        clickButton(editor.get(), u"cmdUp"_s);
        QVERIFY(m_f.state->Updated);
        QStringList expected = before; // the member-kind prices come first, the process ones stay
        expected[3] = u"0:4=6500"_s;
        QCOMPARE(pricesOf(conn(), 1), expected);
        QCOMPARE(kindValue("NBASE", 1).toDouble(), 120000.0);

        m_f.state->Updated = false;
        const QString name = u"O'Hara's 特急"_s;
        typeKind(editor.get(), name, {"12,000", "9000", "8000", "6000", "5000"});
        typeInto(editor.get(), u"txtBase"_s, u"1,500"_s);
        // A hidden slot is neither required nor stored.
        control<QLineEdit>(editor.get(), slotBox(7))->clear();
        clickButton(editor.get(), u"cmdOK"_s);
        const int kind = kindNamed(conn(), name);
        QVERIFY(kind > 1);
        QCOMPARE(kindValue("NBASE", kind).toDouble(), 1500.0);
        const QStringList added{"0:1=12000", "0:2=9000", "0:3=8000", "0:4=6000", "0:5=5000"};
        QCOMPARE(pricesOf(conn(), kind), added);
        QCOMPARE(rowTexts(list, 1).mid(0, 3), (QStringList{name, "1,500", "12,000"}));
        // The boxes keep their text, so a second add is a duplicate; so is a rename to a used name.
        clickButton(editor.get(), u"cmdOK"_s);
        COMPARE_LAST_MESSAGE(u"重複"_s, u"同名の価格種別が既に登録されています。"_s, Messages::Information);
        QVERIFY(!m_f.state->Updated);
        clickRow(list, 1);
        typeInto(editor.get(), u"txtPriName"_s, u"標準単価"_s);
        typeInto(editor.get(), slotBox(0), u"13000"_s);
        clickButton(editor.get(), u"cmdUp"_s);
        QVERIFY(m_f.state->Updated);
        QCOMPARE(Messages::shown().size(), 2);
        COMPARE_LAST_MESSAGE(u"重複"_s, u"同名の価格種別が既に登録されています。"_s, Messages::Information);
        QCOMPARE(rowCount(conn(), u"MPRIBASE"_s), 2);
        QCOMPARE(kindNamed(conn(), name), kind);
        QCOMPARE(pricesOf(conn(), kind), added);

        Messages::clearShown();
        m_f.state->Updated = false;
        clickRow(list, 1);
        clickButton(editor.get(), u"cmdPrUp"_s);
        clickButton(editor.get(), u"cmdPrUp"_s); // at the top already
        QCOMPARE(columnTexts(list), (QStringList{name, "標準単価"}));
        QCOMPARE((QList<int>{kindValue("NSORT", kind).toInt(), kindValue("NSORT", 1).toInt()}),
                 (QList<int>{1, 2}));
        ExecSql(conn(), u"INSERT INTO MPRIPROG VALUES (%1, '1', 1, 7000)"_s.arg(kind));
        clickRow(list, 0);
        clickButton(editor.get(), u"cmdDel"_s);
        QCOMPARE(rowCount(conn(), u"MPRIPROG"_s, u"NPRIKIND = %1"_s.arg(kind)), 0);
        QCOMPARE(columnTexts(list), QStringList{"標準単価"});
        QVERIFY(!m_f.state->Updated);
        QTest::keyClick(editor.get(), Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QVERIFY(Messages::shown().isEmpty());
    }

    // A refused box, a name with a broken character, a failure half-way or the delete of the kind
    // the demo project uses leaves every kind and price as it was (the prices deleted first come
    // back with the rollback), and the connection usable.
    void refusalsWriteNothing_data()
    {
        addColumns<int, QString, QString, QString, QString>({"engine", "box", "typed", "title", "text"});
        const int sqlite = int(Engine::SQLite);
        const QString check = u"入力確認"_s;
        QTest::newRow("name") << sqlite << u"txtPriName"_s << u""_s << check
                              << u"価格種別名称は必須入力です。"_s;
        QTest::newRow("base") << sqlite << u"txtBase"_s << u""_s << check << u"基本料金は必須入力です。"_s;
        QTest::newRow("third slot") << sqlite << u"txtPri_2"_s << u""_s << check << u"SEは必須入力です。"_s;
        QTest::newRow("base not a number")
            << sqlite << u"txtBase"_s << u"-"_s << check << u"基本料金の値が正しくありません。"_s;
        QTest::newRow("slot not a number")
            << sqlite << u"txtPri_4"_s << u"-"_s << check << u"テスターの値が正しくありません。"_s;
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = engine == Engine::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s/broken character", name)
                << int(engine) << u"txtPriName"_s << u"単価"_s + QChar(0xDE00) << check
                << u"価格種別名称の値が正しくありません。"_s;
            QTest::addRow("%s/third price fails", name) << int(engine) << u"txtPriName"_s << u"途中失敗"_s
                                                        << u"ＤＢエラー"_s << u"injected failure"_s;
            // No box: the standard kind is deleted.
            QTest::addRow("%s/delete in use", name) << int(engine) << QString() << QString() << u"削除不可"_s
                                                    << u"本項目は既に使用されているため削除できません。"_s;
        }
    }
    void refusalsWriteNothing()
    {
        FETCH_ENGINE();
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, title);
        QFETCH(QString, text);
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        DbConnection& c = *state->Conn;
        const QStringList before = pricesOf(c, 1); // the only prices of the demo data
        auto editor = openEditor(*state);
        QTreeWidget* list = editor->list();
        if (box.isEmpty()) {
            clickRow(list, 0);
        } else {
            typeKind(editor.get(), u"新単価"_s, {"12000", "9000", "8000", "6000", "5000"});
            setText(editor.get(), box, typed);
        }
        {
            StatementLog log;
            log.failOn(u"'0', 3, 8000)"_s, true);
            clickButton(editor.get(), box.isEmpty() ? u"cmdDel"_s : u"cmdOK"_s);
        }
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, title);
        QVERIFY2(Messages::last().text.startsWith(text), qPrintable(Messages::last().text));
        QCOMPARE(rowCount(c, u"MPRIBASE"_s), 1);
        QCOMPARE(pricesOf(c, 1), before);
        QCOMPARE(rowCount(c, u"MPRIPROG"_s), before.size());
        QCOMPARE(columnTexts(list), QStringList{"標準単価"});

        clickRow(list, 0);
        typeInto(editor.get(), u"txtPriName"_s, u"標準単価2025"_s);
        clickButton(editor.get(), u"cmdUp"_s);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(kindNamed(c, u"標準単価2025"_s), 1);
    }

    // An update that was committed is not reported as failed when only the list cannot be read
    // again.
    void savedButNotReloaded_data() { addEngineRows(); }
    void savedButNotReloaded()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto state = db->makeState();
        auto editor = openEditor(*state);
        clickRow(editor->list(), 0);
        typeInto(editor.get(), u"txtPriName"_s, u"標準単価2025"_s);
        StatementLog log;
        log.failOn(u"SELECT * FROM MPRIBASE ORDER BY"_s);
        clickButton(editor.get(), u"cmdUp"_s);
        QVERIFY(log.failed());
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"ＤＢエラー"_s,
                             u"変更は保存されましたが、一覧を更新できませんでした。\ninjected failure\n"_s +
                                 log.failedStatement(),
                             Messages::Critical);
        QCOMPARE(kindNamed(*state->Conn, u"標準単価2025"_s), 1);
        QVERIFY(editor->isVisible());
    }

private:
    EditorFixture m_f;
    DbConnection& conn() { return m_f.state->conn(); }
    QVariant kindValue(const char* column, int kind)
    {
        return scalar(
            conn(),
            u"SELECT %1 AS V FROM MPRIBASE WHERE NPRIKIND = %2"_s.arg(QLatin1String(column)).arg(kind));
    }
};

QTEST_MAIN(TestPriceKinds)
#include "test_price_kinds.moc"
