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
    control<QLineEdit>(e, "txtApiece")->setText(in.unitPrice);
    control<QLineEdit>(e, "txtNum")->setText(in.quantity);
    control<QLineEdit>(e, "txtDiscP")->setText(in.discount);
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
        pick(control<QComboBox>(e, "cmbItem"), QStringLiteral("開発用PCリース"));
        QCOMPARE(control<QLineEdit>(e, "txtApiece")->text(), QStringLiteral("15,000"));
        typeInto(e, "txtApiece", QStringLiteral("12000"));
        typeInto(e, "txtNum", QStringLiteral("3"));
        typeInto(e, "txtDiscP", QStringLiteral("1000"));
        QCOMPARE(control<QLabel>(e, "lblPriceP")->text(), QStringLiteral("35,000"));
        // Found by its own name, not the order amount's label on the first tab.
        QCOMPARE(control<QLabel>(e, "lblPrice")->text(), QStringLiteral("金額"));
        clickButton(e, "cmdExpAdd");
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(rowTexts(list, 0),
                 (QStringList{"開発用PCリース", "自社", "12,000", "3", "1,000", "35,000"}));
        QCOMPARE(ItemKey(list->topLevelItem(0)), QStringLiteral("E0001O"));
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("35,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("0"));
        // The master unit price follows the last price entered.
        QCOMPARE(scalar(m_f.state->conn(), QStringLiteral("SELECT NAPIECE AS V FROM MITEM WHERE NITEM = 1"))
                     .toDouble(),
                 12000.0);
    }

    void typedItems()
    {
        QWidget* e = open(0);
        DbConnection& c = m_f.state->conn();
        enterExpense(e, {QStringLiteral("検証用サーバ 'B'"), true, QStringLiteral("顧客"),
                         QStringLiteral("200,000"), QStringLiteral("1"), QString()});
        QCOMPARE(scalar(c, QStringLiteral("SELECT NITEM AS V FROM MITEM WHERE CITEM = '検証用サーバ ''B'''"))
                     .toInt(),
                 5);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NSORT AS V FROM MITEM WHERE NITEM = 5")).toInt(), 5);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NAPIECE AS V FROM MITEM WHERE NITEM = 5")).toDouble(),
                 200000.0);
        // A typed name the master already has is not registered again.
        enterExpense(e, {QStringLiteral("SSLサーバ証明書 "), true, QStringLiteral("自社"),
                         QStringLiteral("48,000"), QStringLiteral("2"), QString()});
        QCOMPARE(rowCount(c, QStringLiteral("MITEM")), 5);
        QCOMPARE(scalar(c, QStringLiteral("SELECT NAPIECE AS V FROM MITEM WHERE NITEM = 3")).toDouble(),
                 48000.0);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(ItemKey(list->topLevelItem(0)), QStringLiteral("E0005C"));
        QCOMPARE(ItemKey(list->topLevelItem(1)), QStringLiteral("E0003O"));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("SSLサーバ証明書"));
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("96,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("200,000"));
    }

    // One item may be listed once bought by the customer and once by anyone else.
    void buyers()
    {
        QWidget* e = open(0);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        enterExpense(e, {QStringLiteral("開発用PCリース"), false, QStringLiteral("自社"),
                         QStringLiteral("15,000"), QStringLiteral("2"), QString()});
        enterExpense(e, {QStringLiteral("開発用PCリース"), false, QStringLiteral("顧客"),
                         QStringLiteral("15,000"), QStringLiteral("1"), QString()});
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(ItemKey(list->topLevelItem(1)), QStringLiteral("E0001C"));
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("30,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("15,000"));
        QVERIFY(Messages::shown().isEmpty());
        for (const QString& buyer : {QStringLiteral("自社"), QStringLiteral("その他")}) {
            enterExpense(e, {QStringLiteral("開発用PCリース"), false, buyer, QStringLiteral("15,000"),
                             QStringLiteral("1"), QString()});
            COMPARE_LAST_MESSAGE(QStringLiteral("重複エラー"),
                                 QStringLiteral("その項目は既に登録されています。"), Messages::Exclamation);
        }
        QCOMPARE(list->topLevelItemCount(), 2);
        // Buyer code 2 is in no total.
        enterExpense(e, {QStringLiteral("クラウド検証環境"), false, QStringLiteral("その他"),
                         QStringLiteral("30,000"), QStringLiteral("1"), QString()});
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("30,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("15,000"));
    }

    void quantity_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("scroll");
        QTest::newRow("5") << QStringLiteral("5") << QStringLiteral("5") << 32763;
        QTest::newRow("cleared") << QString() << QStringLiteral("1") << 32767;
        QTest::newRow("0") << QStringLiteral("0") << QStringLiteral("1") << 32767;
        QTest::newRow("beyond 32767") << QStringLiteral("40000") << QStringLiteral("32767") << 1;
    }
    void quantity()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, scroll);
        QWidget* e = open(0);
        auto* number = control<QLineEdit>(e, "txtNum");
        auto* bar = control<QScrollBar>(e, "vsrNum");
        QCOMPARE(number->text(), QStringLiteral("1"));
        control<QLineEdit>(e, "txtApiece")->setText(QStringLiteral("1"));
        number->setText(typed);
        QCOMPARE(number->text(), shown);
        QCOMPARE(bar->value(), scroll);
        QCOMPARE(control<QLabel>(e, "lblPriceP")->text(), FormatAmount(shown));
        // The up arrow raises the quantity.
        number->setText(QStringLiteral("7"));
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(number->text(), QStringLiteral("8"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("unitPrice");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("text");
        QTest::newRow("no item") << QString() << QStringLiteral("1") << QString()
                                 << QStringLiteral("項目は必須入力です。");
        QTest::newRow("no unit price") << QStringLiteral("開発用PCリース") << QString() << QString()
                                       << QStringLiteral("単価は必須入力です。");
        QTest::newRow("unit price not a number")
            << QStringLiteral("開発用PCリース") << QStringLiteral("-") << QString()
            << QStringLiteral("単価の値が正しくありません。");
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
        enterExpense(e, {item, false, QString(), unitPrice, QStringLiteral("1"), discount});
        COMPARE_LAST_MESSAGE(QStringLiteral("入力確認"), text, Messages::Information);
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
        QCOMPARE(control<QComboBox>(e, "cmbItem")->currentText(), QStringLiteral("検証用ハンディターミナル"));
        QCOMPARE(control<QComboBox>(e, "cmbBuy")->currentText(), QStringLiteral("顧客"));
        QCOMPARE(control<QLineEdit>(e, "txtNum")->text(), QStringLiteral("4"));
        QCOMPARE(control<QLabel>(e, "lblPriceP")->text(), QStringLiteral("320,000"));
        enterExpense(e,
                     {QString(), false, QStringLiteral("自社"), QStringLiteral("85,000"), QStringLiteral("2"),
                      QStringLiteral("0")},
                     "cmdExpUp");
        QCOMPARE(ItemKey(list->topLevelItem(1)), QStringLiteral("E0002O"));
        QCOMPARE(rowTexts(list, 1),
                 (QStringList{"検証用ハンディターミナル", "自社", "85,000", "2", "0", "170,000"}));
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("470,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("45,000"));
        // The update remembered the new key: a second update acts on the same row.
        enterExpense(
            e,
            {QString(), false, QString(), QStringLiteral("85,000"), QStringLiteral("3"), QStringLiteral("0")},
            "cmdExpUp");
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(rowTexts(list, 1).last(), QStringLiteral("255,000"));

        const QString items =
            snapshot(c).split(QLatin1Char('\n')).filter(QStringLiteral("MITEM|")).join(QLatin1Char('\n'));
        clickButton(e, "cmdExpDel");
        QCOMPARE(list->topLevelItemCount(), 3);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(e, "cmdExpUp")->isEnabled());
        QVERIFY(!control<QPushButton>(e, "cmdExpDel")->isEnabled());
        QCOMPARE(
            snapshot(c).split(QLatin1Char('\n')).filter(QStringLiteral("MITEM|")).join(QLatin1Char('\n')),
            items);
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("300,000"));

        clickRow(list, 2);
        clickButton(e, "cmdEUp");
        QCOMPARE(columnTexts(list), (QStringList{"開発用PCリース", "クラウド検証環境", "SSLサーバ証明書"}));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, QStringLiteral("SELECT NITEM AS V FROM TEXPENSE WHERE NPROJECT = 2 AND NADD = 2"))
                     .toInt(),
                 4);
        QCOMPARE(rowCount(c, QStringLiteral("TEXPENSE"), QStringLiteral("NPROJECT = 2")), 3);
    }

    // A stored row whose buyer lost its label is shown, counted nowhere and saved back.
    void rowWithUnknownBuyerIsKept()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, QStringLiteral("INSERT INTO TEXPENSE VALUES (4, 1, 3, 5, 45000, 1, 0, 45000)"));
        QWidget* e = open(4);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        QCOMPARE(rowTexts(list, 0), (QStringList{"SSLサーバ証明書", "", "45,000", "1", "0", "45,000"}));
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("0"));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, QStringLiteral("SELECT NBUY AS V FROM TEXPENSE WHERE NPROJECT = 4")).toInt(), 5);
    }

private:
    QWidget* open(int project) { return m_f.open(project, 5); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectExpenses)
#include "test_project_expenses.moc"
