#include "function/code_choice.h"
#include "function/fp_rows.h"
#include "function/function_draft.h"
#include "function/function_save.h"
#include "test_support.h"

#include <QSignalSpy>

namespace {

// Runs "add title kind complexity points", "update id title kind complexity points",
// "remove id", "move id offset" or "reset title…" on the list; what each returned, in order.
QStringList run(FpRowList& rows, const QStringList& steps)
{
    QStringList returned;
    for (const QString& step : steps) {
        const QStringList w = step.split(u' ');
        const QString op = w[0];
        if (op == u"add"_s) {
            returned << QString::number(rows.add(w[1], w[2].toInt(), w[3].toInt(), w[4]));
        } else if (op == u"update"_s) {
            returned << QString::number(rows.update(w[1].toInt(), w[2], w[3].toInt(), w[4].toInt(), w[5]));
        } else if (op == u"remove"_s) {
            returned << QString::number(rows.remove(w[1].toInt()));
        } else if (op == u"move"_s) {
            returned << QString::number(rows.move(w[1].toInt(), w[2].toInt()));
        } else {
            QVector<FpRow> loaded;
            for (const QString& title : w.mid(1)) {
                loaded.append({0, title, 1, 2, u"10"_s});
            }
            rows.reset(loaded);
            returned << u"-"_s;
        }
    }
    return returned;
}

// "id:title kind/complexity points" of every row, in list order.
QStringList listed(const FpRowList& rows)
{
    QStringList shown;
    for (const FpRow& row : rows.rows()) {
        shown << u"%1:%2 %3/%4 %5"_s.arg(row.id)
                     .arg(row.title)
                     .arg(row.kind)
                     .arg(row.complexity)
                     .arg(row.points);
    }
    return shown;
}

CodeChoice threeEntries(int index)
{
    CodeChoice choice;
    choice.add(3, u"低"_s);
    choice.add(5, u"中"_s);
    choice.add(8, u"高"_s);
    choice.index = index;
    return choice;
}

} // namespace

// The function editor's draft without a window: the function-point rows, the pick lists, and
// what the estimate and the save read from it.
class TestFunctionDraft : public QObject {
    Q_OBJECT
private slots:
    // A row keeps its id through updates and moves, so that an edit lands on the row it names
    // whatever happened to the list before; an id is never given twice. An edit that cannot be
    // done changes nothing and is not announced.
    void fpRowEdits_data()
    {
        addColumns<QStringList, QStringList, QStringList, int>({"steps", "returned", "rows", "changes"});
        QTest::newRow("updated twice, found by its id")
            << QStringList{"add 顧客 1 1 7", "add 参照 2 1 5", "update 1 顧客 1 3 15", "update 1 顧客 5 3 6"}
            << QStringList{"1", "2", "1", "1"} << QStringList{"1:顧客 5/3 6", "2:参照 2/1 5"} << 4;
        QTest::newRow("a removed row's id is not given again")
            << QStringList{"add A 1 1 7", "add B 1 1 7",      "remove 1",
                           "add C 3 2 4", "update 1 X 1 1 7", "remove 1"}
            << QStringList{"1", "2", "1", "3", "0", "0"} << QStringList{"2:B 1/1 7", "3:C 3/2 4"} << 4;
        QTest::newRow("moves stop at either end")
            << QStringList{"add A 1 1 7", "add B 1 1 7", "add C 1 1 7", "move 3 -1",
                           "move 3 -1",   "move 3 -1",   "move 2 1",    "move 9 1"}
            << QStringList{"1", "2", "3", "1", "1", "0", "0", "0"}
            << QStringList{"3:C 1/1 7", "1:A 1/1 7", "2:B 1/1 7"} << 5;
        QTest::newRow("loaded rows numbered after those before")
            << QStringList{"add A 1 1 7", "reset 画面 帳票"} << QStringList{"1", "-"}
            << QStringList{"2:画面 1/2 10", "3:帳票 1/2 10"} << 2;
    }
    void fpRowEdits()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, returned);
        QFETCH(QStringList, rows);
        QFETCH(int, changes);
        FpRowList list;
        QSignalSpy changed(&list, &FpRowList::changed);
        QCOMPARE(run(list, steps), returned);
        QCOMPARE(listed(list), rows);
        QCOMPARE(changed.count(), changes);
    }

    // A title is taken when any row has it exactly, but for the row being updated.
    void titleFree_data()
    {
        addColumns<QString, int, bool>({"title", "except", "free"});
        QTest::newRow("another row's") << u"受注"_s << 0 << false;
        QTest::newRow("the updated row's own") << u"受注"_s << 1 << true;
        QTest::newRow("another row's, on update") << u"受注"_s << 2 << false;
        QTest::newRow("new") << u"出荷"_s << 0 << true;
        QTest::newRow("differs by a blank") << u"受注 "_s << 0 << true;
    }
    void titleFree()
    {
        QFETCH(QString, title);
        QFETCH(int, except);
        QFETCH(bool, free);
        FpRowList list;
        run(list, {"add 受注 1 1 7", "add 帳票 4 2 5"});
        QCOMPARE(list.titleFree(title, except), free);
    }

    // A pick list chosen by code as its combo box is: an empty code clears the choice, an
    // unknown one leaves it; a save stores 1 for no choice.
    void codeChoice_data()
    {
        addColumns<int, QVariant, int, int>({"start", "code", "index", "key"});
        QTest::newRow("known code") << 0 << QVariant(8) << 2 << 8;
        QTest::newRow("code as text") << 0 << QVariant(u"5"_s) << 1 << 5;
        QTest::newRow("unknown code keeps the choice") << 1 << QVariant(4) << 1 << 5;
        QTest::newRow("no number keeps the choice") << 2 << QVariant(u"高"_s) << 2 << 8;
        QTest::newRow("null clears") << 1 << QVariant() << -1 << 1;
        QTest::newRow("empty clears") << 1 << QVariant(QString()) << -1 << 1;
        QTest::newRow("no choice, unknown code") << -1 << QVariant(1) << -1 << 1;
    }
    void codeChoice()
    {
        QFETCH(int, start);
        QFETCH(QVariant, code);
        QFETCH(int, index);
        QFETCH(int, key);
        CodeChoice choice = threeEntries(start);
        choice.chooseCode(code);
        QCOMPARE(choice.index, index);
        QCOMPARE(choice.key(), key);
    }

    // The estimate and the save read the draft's codes, not the positions of its entries; rows
    // without a process are neither counted nor saved; a driver without a chosen rank counts 0.
    void estimateAndSaveReadTheDraft()
    {
        ChargeTable charges{};
        FunctionDraft draft(charges, false, 160);
        QSignalSpy figures(&draft, &FunctionDraft::figuresChanged);
        draft.setTitle(u"受注入力"_s);
        draft.correctionClass(1) = threeEntries(1);
        draft.setClassCoefficient(1, u"1.10"_s, 1.1);
        for (const int i : {0, 2, 3, 4}) {
            draft.setClassCoefficient(i, u"1.00"_s, 1);
        }
        draft.language() = threeEntries(2);
        draft.setLanguageCoefficient(50);
        draft.fpRows().reset(
            {{0, u"画面"_s, 3, 2, u"7"_s}, {0, u"帳票"_s, 4, 1, u"5"_s}, {0, u"照会"_s, 5, 2, u"4"_s}});
        draft.chooseAdjustment(13, 5);
        CocomoDriver& prec = draft.scaleDriver(0);
        prec.ranks = threeEntries(-1);
        prec.values[5] = 3.72;
        draft.chooseScaleRank(0, 1);
        for (const int row : {0, 1}) {
            ProcessRowDraft& p = draft.process(row);
            p.inUse = p.shown = true;
            p.code = row == 0 ? 4 : 9;
        }
        draft.setHourText(0, u"10"_s);
        draft.setUnitPriceText(0, u"6,000"_s);
        draft.setHourText(1, u"5"_s);
        draft.setUnitPriceText(1, u"1000"_s);
        draft.setHourText(2, u"99"_s); // a row without a process holds nothing the user sees
        draft.setDiscountText(u"1,000"_s);
        QCOMPARE(figures.count(), 15);

        const EstimateResult r = draft.estimate();
        // 16 points, degrees 13 x 2 + 5 = 31 (0.96), 50 steps; PREC alone 3.72: 0.9472.
        QCOMPARE((QStringList{r.ufpText, r.adjustTotalText, r.vafText, r.kStepText, r.scaleExpText,
                              r.plannedHoursText, r.totalText, r.priceText}),
                 (QStringList{"16", "31", "0.96", "0.80", "0.95", "15", "65,000", "70,500"}));

        const FunctionData d = draft.dataToSave(r);
        QCOMPARE((QList<int>{d.nup, d.imp, d.lang, d.adjust[0], d.adjust[13], d.scaleRanks[0],
                             d.scaleRanks[1], d.costRanks[16]}),
                 (QList<int>{1, 5, 8, 2, 5, 5, 1, 1}));
        QCOMPARE(d.fpRows.size(), 3);
        QCOMPARE((QList<int>{d.fpRows[2].kind, d.fpRows[2].complexity}), (QList<int>{5, 2}));
        QCOMPARE(d.hours.size(), 2);
        QCOMPARE(
            (QStringList{QString::number(d.hours[1].code), d.hours[1].hourText, d.hours[1].unitPriceText}),
            (QStringList{"9", "5", "1000"}));
        QCOMPARE((QList<double>{d.discount, d.hoursTotal, d.total, d.price}),
                 (QList<double>{1000, 15, 65000, 70500}));
        QCOMPARE(d.title, u"受注入力"_s);
    }
};

QTEST_GUILESS_MAIN(TestFunctionDraft)
#include "test_function_draft.moc"
