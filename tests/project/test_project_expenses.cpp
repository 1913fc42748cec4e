#include "foundation/conversions.h"
#include "foundation/list_helpers.h"
#include "foundation/messages.h"
#include "project_fixture.h"

#include <QScrollBar>

namespace {

struct ExpenseInput {
    QString item;
    bool typed = false;
    QString buyer;
    QString unitPrice;
    QString quantity;
    QString discount;
};

void enterExpense(QWidget* e, const ExpenseInput& in, const char* button = "cmdExpAdd")
{
    auto* item = control<QComboBox>(e, "cmbItem");
    if (in.typed) {
        typeName(item, in.item);
    } else if (!in.item.isEmpty()) {
        pick(item, in.item);
    }
    if (!in.buyer.isEmpty()) {
        pick(control<QComboBox>(e, "cmbBuy"), in.buyer);
    }
    setText(e, "txtApiece", in.unitPrice);
    setText(e, "txtNum", in.quantity);
    setText(e, "txtDiscP", in.discount);
    clickButton(e, QString::fromLatin1(button));
}

} // namespace

class TestProjectExpenses : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup() { m_f.cleanup(); }

    void rowPrice()
    {
        QWidget* e = open(0);
        pick(control<QComboBox>(e, "cmbItem"), u"開発用PCリース"_s);
        QCOMPARE(controlText(e, "txtApiece"), u"15,000"_s);
        typeInto(e, "txtApiece", u"12000"_s);
        typeInto(e, "txtNum", u"3"_s);
        typeInto(e, "txtDiscP", u"1000"_s);
        QCOMPARE(controlText(e, "lblPriceP"), u"35,000"_s);
        // Found by its own name, not the order amount's label on the first tab.
        QCOMPARE(controlText(e, "lblPrice"), u"金額"_s);
        clickButton(e, "cmdExpAdd");
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(rowTexts(list, 0),
                 (QStringList{"開発用PCリース", "自社", "12,000", "3", "1,000", "35,000"}));
        QCOMPARE(ItemKey(list->topLevelItem(0)), u"E0001O"_s);
        QCOMPARE(controlText(e, "lblExpense_0"), u"35,000"_s);
        QCOMPARE(controlText(e, "lblExpense_1"), u"0"_s);
        // The master unit price follows the last price entered.
        QCOMPARE(scalar(m_f.state->conn(), u"SELECT NAPIECE AS V FROM MITEM WHERE NITEM = 1"_s).toDouble(),
                 12000.0);
    }

    void typedItems()
    {
        QWidget* e = open(0);
        DbConnection& c = m_f.state->conn();
        enterExpense(e, {u"検証用サーバ 'B'"_s, true, u"顧客"_s, u"200,000"_s, u"1"_s, QString()});
        QCOMPARE(scalar(c, u"SELECT NITEM AS V FROM MITEM WHERE CITEM = '検証用サーバ ''B'''"_s).toInt(), 5);
        QCOMPARE(scalar(c, u"SELECT NSORT AS V FROM MITEM WHERE NITEM = 5"_s).toInt(), 5);
        QCOMPARE(scalar(c, u"SELECT NAPIECE AS V FROM MITEM WHERE NITEM = 5"_s).toDouble(), 200000.0);
        // A typed name the master already has is not registered again.
        enterExpense(e, {u"SSLサーバ証明書 "_s, true, u"自社"_s, u"48,000"_s, u"2"_s, QString()});
        QCOMPARE(rowCount(c, u"MITEM"_s), 5);
        QCOMPARE(scalar(c, u"SELECT NAPIECE AS V FROM MITEM WHERE NITEM = 3"_s).toDouble(), 48000.0);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(ItemKey(list->topLevelItem(0)), u"E0005C"_s);
        QCOMPARE(ItemKey(list->topLevelItem(1)), u"E0003O"_s);
        QCOMPARE(list->topLevelItem(1)->text(0), u"SSLサーバ証明書"_s);
        QCOMPARE(controlText(e, "lblExpense_0"), u"96,000"_s);
        QCOMPARE(controlText(e, "lblExpense_1"), u"200,000"_s);
    }

    // One item may be listed once bought by the customer and once by anyone else.
    void buyers()
    {
        QWidget* e = open(0);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        enterExpense(e, {u"開発用PCリース"_s, false, u"自社"_s, u"15,000"_s, u"2"_s, QString()});
        enterExpense(e, {u"開発用PCリース"_s, false, u"顧客"_s, u"15,000"_s, u"1"_s, QString()});
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(ItemKey(list->topLevelItem(1)), u"E0001C"_s);
        QCOMPARE(controlText(e, "lblExpense_0"), u"30,000"_s);
        QCOMPARE(controlText(e, "lblExpense_1"), u"15,000"_s);
        QVERIFY(Messages::shown().isEmpty());
        for (const QString& buyer : {u"自社"_s, u"その他"_s}) {
            enterExpense(e, {u"開発用PCリース"_s, false, buyer, u"15,000"_s, u"1"_s, QString()});
            COMPARE_LAST_MESSAGE(u"重複エラー"_s, u"その項目は既に登録されています。"_s,
                                 Messages::Exclamation);
        }
        QCOMPARE(list->topLevelItemCount(), 2);
        // Buyer code 2 is in no total.
        enterExpense(e, {u"クラウド検証環境"_s, false, u"その他"_s, u"30,000"_s, u"1"_s, QString()});
        QCOMPARE(controlText(e, "lblExpense_0"), u"30,000"_s);
        QCOMPARE(controlText(e, "lblExpense_1"), u"15,000"_s);
    }

    void quantity_data()
    {
        addColumns<QString, QString, int>({"typed", "shown", "scroll"});
        QTest::newRow("5") << u"5"_s << u"5"_s << 32763;
        QTest::newRow("cleared") << QString() << u"1"_s << 32767;
        QTest::newRow("0") << u"0"_s << u"1"_s << 32767;
        QTest::newRow("beyond 32767") << u"40000"_s << u"32767"_s << 1;
    }
    void quantity()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, scroll);
        QWidget* e = open(0);
        auto* number = control<QLineEdit>(e, "txtNum");
        auto* bar = control<QScrollBar>(e, "vsrNum");
        QCOMPARE(number->text(), u"1"_s);
        setText(e, "txtApiece", u"1"_s);
        number->setText(typed);
        QCOMPARE(number->text(), shown);
        QCOMPARE(bar->value(), scroll);
        QCOMPARE(controlText(e, "lblPriceP"), FormatAmount(shown));
        // The up arrow raises the quantity.
        number->setText(u"7"_s);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(number->text(), u"8"_s);
    }

    void refusals_data()
    {
        addColumns<QString, QString, QString, QString>({"item", "unitPrice", "discount", "text"});
        QTest::newRow("no item") << QString() << u"1"_s << QString() << u"項目は必須入力です。"_s;
        QTest::newRow("no unit price")
            << u"開発用PCリース"_s << QString() << QString() << u"単価は必須入力です。"_s;
        QTest::newRow("unit price not a number")
            << u"開発用PCリース"_s << u"-"_s << QString() << u"単価の値が正しくありません。"_s;
    }
    void refusals()
    {
        QFETCH(QString, item);
        QFETCH(QString, unitPrice);
        QFETCH(QString, discount);
        QFETCH(QString, text);
        QWidget* e = open(0);
        const QString before = snapshot(m_f.state->conn());
        control<QComboBox>(e, "cmbItem")->setCurrentIndex(-1);
        enterExpense(e, {item, false, QString(), unitPrice, u"1"_s, discount});
        COMPARE_LAST_MESSAGE(u"入力確認"_s, text, Messages::Information);
        QCOMPARE(control<QTreeWidget>(e, "lvwEList")->topLevelItemCount(), 0);
        QCOMPARE(snapshot(m_f.state->conn()), before);
    }

    void updateAndDelete()
    {
        QWidget* e = open(2);
        DbConnection& c = m_f.state->conn();
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(list->topLevelItemCount(), 4);
        clickRow(list, 1); // 検証用ハンディターミナル, 顧客, 85,000 x 4 - 20,000
        QCOMPARE(texts(e, {"cmbItem", "cmbBuy", "txtNum", "lblPriceP"}),
                 (QStringList{u"検証用ハンディターミナル"_s, u"顧客"_s, u"4"_s, u"320,000"_s}));
        enterExpense(e, {QString(), false, u"自社"_s, u"85,000"_s, u"2"_s, u"0"_s}, "cmdExpUp");
        QCOMPARE(ItemKey(list->topLevelItem(1)), u"E0002O"_s);
        QCOMPARE(rowTexts(list, 1),
                 (QStringList{"検証用ハンディターミナル", "自社", "85,000", "2", "0", "170,000"}));
        QCOMPARE(controlText(e, "lblExpense_0"), u"470,000"_s);
        QCOMPARE(controlText(e, "lblExpense_1"), u"45,000"_s);
        // The update remembered the new key: a second update acts on the same row.
        enterExpense(e, {QString(), false, QString(), u"85,000"_s, u"3"_s, u"0"_s}, "cmdExpUp");
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(rowTexts(list, 1).last(), u"255,000"_s);

        const QString items =
            snapshot(c).split(QLatin1Char('\n')).filter(u"MITEM|"_s).join(QLatin1Char('\n'));
        clickButton(e, "cmdExpDel");
        QCOMPARE(list->topLevelItemCount(), 3);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(e, "cmdExpUp")->isEnabled());
        QVERIFY(!control<QPushButton>(e, "cmdExpDel")->isEnabled());
        QCOMPARE(snapshot(c).split(QLatin1Char('\n')).filter(u"MITEM|"_s).join(QLatin1Char('\n')), items);
        QCOMPARE(controlText(e, "lblExpense_0"), u"300,000"_s);

        clickRow(list, 2);
        clickButton(e, "cmdEUp");
        QCOMPARE(columnTexts(list), (QStringList{"開発用PCリース", "クラウド検証環境", "SSLサーバ証明書"}));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NITEM AS V FROM TEXPENSE WHERE NPROJECT = 2 AND NADD = 2"_s).toInt(), 4);
        QCOMPARE(rowCount(c, u"TEXPENSE"_s, u"NPROJECT = 2"_s), 3);
    }

    // A stored row whose buyer lost its label is shown, counted nowhere and saved back.
    void rowWithUnknownBuyerIsKept()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, u"INSERT INTO TEXPENSE VALUES (4, 1, 3, 5, 45000, 1, 0, 45000)"_s);
        QWidget* e = open(4);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(rowTexts(list, 0), (QStringList{"SSLサーバ証明書", "", "45,000", "1", "0", "45,000"}));
        QCOMPARE(controlText(e, "lblExpense_0"), u"0"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NBUY AS V FROM TEXPENSE WHERE NPROJECT = 4"_s).toInt(), 5);
    }

private:
    QWidget* open(int project) { return m_f.open(project, 5); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectExpenses)
#include "test_project_expenses.moc"
