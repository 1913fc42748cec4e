#include "foundation/code_divisions.h"
#include "foundation/help.h"
#include "foundation/messages.h"
#include "pricing/quotation.h"
#include "project_fixture.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFocusEvent>
#include <QTabBar>

namespace {

const QString kTop = QStringLiteral("ミナト物流 配送管理システム再構築");
const QString kOrders = QStringLiteral("受注・出荷管理サブシステム");
const QString kStock = QStringLiteral("倉庫在庫管理サブシステム");
const QString kHandy = QStringLiteral("ハンディターミナル連携");

QStringList comboTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
    }
    return texts;
}

// A second price kind whose member-kind prices are twice those of the first.
void addExpressPriceKind(DbConnection& c)
{
    ExecSql(c,
            QStringLiteral("INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 250000, 2)"));
    const int prices[] = {20000, 17000, 15000, 11000, 9000};
    for (int kind = 1; kind <= 5; ++kind) {
        ExecSql(c, QStringLiteral(
                       "INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (2, '0', %1, %2)")
                       .arg(kind)
                       .arg(prices[kind - 1]));
    }
}

double functionPriceSum(DbConnection& c, int project)
{
    return scalar(c,
                  QStringLiteral("SELECT SUM(NPRICE) AS V FROM TFUNCTION WHERE NPROJECT = %1").arg(project))
        .toDouble();
}

void leaveFocus(QWidget* widget)
{
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestProjectEditor : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup()
    {
        ClearDivisionCache();
        m_env.reset();
    }

    void parentProposal_data()
    {
        QTest::addColumn<int>("proposed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("root selected in the tree") << 0 << QStringLiteral("ROOT");
        QTest::newRow("top-level project") << 1 << kTop;
        QTest::newRow("sub-project shows its path") << 3 << kTop + QStringLiteral(" - ") + kStock;
        QTest::newRow("sub-sub-project")
            << 4 << kTop + QStringLiteral(" - ") + kStock + QStringLiteral(" - ") + kHandy;
    }
    void parentProposal()
    {
        QFETCH(int, proposed);
        QFETCH(QString, shown);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openNewProject(*state, proposed);
        auto* parent = control<QComboBox>(editor.get(), "cmbParProj");
        QCOMPARE(parent->currentText(), shown);
        QCOMPARE(ComboKey(parent), proposed);
        QCOMPARE(comboTexts(parent).size(), 5);
        QCOMPARE(state->CurProject, 0);
    }

    void parentListLeavesOutDescendants_data()
    {
        QTest::addColumn<int>("project");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("top level with three descendants") << 1 << QStringList{"ROOT"};
        QTest::newRow("project with a sub-project")
            << 3 << QStringList{"ROOT", kTop, kTop + QStringLiteral(" - ") + kOrders};
        QTest::newRow("leaf") << 4
                              << QStringList{"ROOT", kTop, kTop + QStringLiteral(" - ") + kOrders,
                                             kTop + QStringLiteral(" - ") + kStock};
    }
    void parentListLeavesOutDescendants()
    {
        QFETCH(int, project);
        QFETCH(QStringList, entries);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        // A deeper tree: 5 under 4 under 3.
        ExecSql(state->conn(),
                QStringLiteral("INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, "
                               "NPRIKIND) VALUES (4, '通信検証', 1, 2, 1)"));
        auto editor = openProject(*state, project);
        QCOMPARE(comboTexts(control<QComboBox>(editor.get(), "cmbParProj")), entries);
    }

    void loadsTheProject()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openProject(*state, 2);
        QWidget* e = editor.get();
        QCOMPARE(e->windowTitle(), QStringLiteral("プロジェクト編集"));
        QCOMPARE(e->objectName(), QStringLiteral("frmProj"));
        QCOMPARE(control<QPushButton>(e, "cmdOK")->text(), QStringLiteral("更新保存"));
        QVERIFY(control<QPushButton>(e, "cmdDel")->isEnabled());
        QCOMPARE(control<QComboBox>(e, "cmbParProj")->currentText(), kTop);
        QCOMPARE(control<QLineEdit>(e, "txtPName")->text(), kOrders);
        QCOMPARE(control<QComboBox>(e, "cmbEndCust")->currentText(), QStringLiteral("株式会社ミナト物流"));
        QCOMPARE(control<QComboBox>(e, "cmbContCust")->currentText(), QStringLiteral("東和システム株式会社"));
        QCOMPARE(control<QComboBox>(e, "cmbPriKind")->currentText(), QStringLiteral("標準単価"));
        QCOMPARE(control<QLineEdit>(e, "txtBase")->text(), QStringLiteral("100,000"));
        QCOMPARE(control<QLineEdit>(e, "txtPrice")->text(), QStringLiteral("7,970,000"));
        QCOMPARE(control<QPlainTextEdit>(e, "txtOutLine")->toPlainText(),
                 QStringLiteral("受注入力、出荷指示、返品受付。"));
        const QuoteSettings& q = state->ProjQuote;
        QVERIFY(q.Base && q.Work && q.Opt && q.Deliv && !q.Expe0 && q.Expe1);
        QCOMPARE(q.Discount, 800.0);
        // The summary strip: members 6,500x80 + 5,500x160 + 4,800x230 + 3,500x300 + 3,000x120.
        QCOMPARE(control<QLabel>(e, "lblPerExp")->text(), QStringLiteral("3,914,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_0")->text(), QStringLiteral("300,000"));
        QCOMPARE(control<QLabel>(e, "lblExpense_1")->text(), QStringLiteral("365,000"));
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), QStringLiteral("967,000"));
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("1,256,000"));
        QCOMPARE(control<QLineEdit>(e, "txtDate_0")->text(), QStringLiteral("2025/04/07"));
        QCOMPARE(control<QLineEdit>(e, "txtDate_7")->text(), QStringLiteral("2025/11/04"));
        QVERIFY(!control<QLineEdit>(e, "txtDate_8")->isVisibleTo(e));
        QCOMPARE(control<QLabel>(e, "lblDate_3")->text(), QStringLiteral("製造"));
    }

    void newProjectStartsFromThePolicy()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        state->policy.Expe0 = true;
        state->policy.Opt = false;
        state->ProjQuote.Discount = 123; // left from another project
        auto editor = openNewProject(*state, 0);
        QWidget* e = editor.get();
        QCOMPARE(control<QPushButton>(e, "cmdOK")->text(), QStringLiteral("新規保存"));
        QVERIFY(!control<QPushButton>(e, "cmdDel")->isEnabled());
        QCOMPARE(control<QComboBox>(e, "cmbEndCust")->currentIndex(), -1);
        QCOMPARE(control<QComboBox>(e, "cmbContCust")->currentIndex(), -1);
        QCOMPARE(control<QComboBox>(e, "cmbPriKind")->currentText(), QStringLiteral("標準単価"));
        QCOMPARE(control<QLineEdit>(e, "txtBase")->text(), QStringLiteral("100,000"));
        QCOMPARE(control<QLineEdit>(e, "txtDate_0")->text(),
                 QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        for (int i = 1; i < 8; ++i) {
            QCOMPARE(control<QLineEdit>(e, QStringLiteral("txtDate_%1").arg(i))->text(), QString());
        }
        QCOMPARE(control<QTreeWidget>(e, "lvwMList")->topLevelItemCount(), 0);
        QCOMPARE(control<QTreeWidget>(e, "lvwMList")->columnCount(), 5);
        QCOMPARE(control<QTreeWidget>(e, "lvwEList")->columnCount(), 6);
        const QuoteSettings& q = state->ProjQuote;
        QVERIFY(q.Base && q.Work && !q.Opt && q.Deliv && q.Expe1);
        QVERIFY(!q.Expe0); // own-company expenses start unticked whatever the policy says
        QCOMPARE(q.Discount, 0.0);
        QCOMPARE(control<QLabel>(e, "lblPerExp")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), QStringLiteral("0"));
    }

    void tabsAndHelpTopics()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openProject(*state, 2);
        QWidget* e = editor.get();
        auto* tabs = control<QTabWidget>(e, "tbsOptions");
        const QStringList captions{"基本情報", "メンバ", "日程", "契約", "納品物", "経費"};
        const QStringList keys{"PrjBase", "PrjMember", "PrjDate2", "PrjContract", "PrjDeliv", "PrjExpense"};
        const QStringList tips{"プロジェクトの基本情報", "作業メンバの選択", "プロジェクトの大工程",
                               "顧客との合意事項",       "納品する生産物",   "開発の前提となる購入品"};
        QCOMPARE(tabs->count(), 6);
        QCOMPARE(Help::topic(e), 34);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(tabs->tabText(i), captions.at(i));
            QCOMPARE(tabs->tabBar()->tabData(i).toString(), keys.at(i));
            QCOMPARE(tabs->tabToolTip(i), tips.at(i));
            QCOMPARE(tabs->widget(i)->objectName(), QStringLiteral("picOptions_%1").arg(i));
            tabs->setCurrentIndex(i);
            QCOMPARE(Help::topic(e), 34 + 2 * i);
        }
        // Ctrl+Tab from the last tab wraps to the first; plain Tab does not switch.
        QTest::keyClick(control<QLineEdit>(e, "txtApiece"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(control<QLineEdit>(e, "txtPName"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    void refusedSave_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << QStringLiteral("name")
                                 << QStringLiteral("プロジェクト名称は必須入力です。");
        QTest::newRow("no end customer")
            << QStringLiteral("end") << QStringLiteral("最終顧客は必須入力です。");
        QTest::newRow("no contract customer")
            << QStringLiteral("contract") << QStringLiteral("契約顧客は必須入力です。");
        QTest::newRow("order amount not a number")
            << QStringLiteral("price") << QStringLiteral("受注金額の値が正しくありません。");
        QTest::newRow("option price not a number")
            << QStringLiteral("option") << QStringLiteral("保守契約の値が正しくありません。");
    }
    void refusedSave()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openNewProject(*state, 1);
        QWidget* e = editor.get();
        control<QLineEdit>(e, "txtPName")
            ->setText(fault == QLatin1String("name") ? QString() : QStringLiteral("新規"));
        if (fault != QLatin1String("end")) {
            pick(control<QComboBox>(e, "cmbEndCust"), QStringLiteral("株式会社ミナト物流"));
        }
        if (fault != QLatin1String("contract")) {
            pick(control<QComboBox>(e, "cmbContCust"), QStringLiteral("東和システム株式会社"));
        }
        if (fault == QLatin1String("price")) {
            control<QLineEdit>(e, "txtPrice")->setText(QStringLiteral("-"));
        }
        if (fault == QLatin1String("option")) {
            control<QLineEdit>(e, "txtMaintePri")->setText(QStringLiteral("-"));
        }
        showTab(e, 2);
        const QString before = snapshot(state->conn());
        control<QPushButton>(e, "cmdOK")->click();
        QVERIFY(e->isVisible());
        QCOMPARE(Messages::last().title, QStringLiteral("入力確認"));
        QCOMPARE(Messages::last().text, message);
        QCOMPARE(snapshot(state->conn()), before);
        QCOMPARE(state->CurProject, 0);
        // The page with the refused box is in front.
        QCOMPARE(control<QTabWidget>(e, "tbsOptions")->currentIndex(),
                 fault == QLatin1String("option") ? 3 : 0);
    }

    void contractCustomerProposesEndCustomer_data()
    {
        QTest::addColumn<QString>("contract");
        QTest::addColumn<QString>("endBefore");
        QTest::addColumn<QString>("endAfter");
        QTest::newRow("first entry") << QStringLiteral("株式会社ミナト物流") << QString()
                                     << QStringLiteral("株式会社ミナト物流");
        QTest::newRow("second entry too")
            << QStringLiteral("東和システム株式会社") << QString() << QStringLiteral("東和システム株式会社");
        QTest::newRow("end customer already chosen")
            << QStringLiteral("東和システム株式会社") << QStringLiteral("株式会社ミナト物流")
            << QStringLiteral("株式会社ミナト物流");
        QTest::newRow("no contract customer") << QString() << QString() << QString();
    }
    void contractCustomerProposesEndCustomer()
    {
        QFETCH(QString, contract);
        QFETCH(QString, endBefore);
        QFETCH(QString, endAfter);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openNewProject(*state, 0);
        auto* end = control<QComboBox>(editor.get(), "cmbEndCust");
        auto* cont = control<QComboBox>(editor.get(), "cmbContCust");
        if (!endBefore.isEmpty()) {
            pick(end, endBefore);
        }
        if (!contract.isEmpty()) {
            pick(cont, contract);
        }
        leaveFocus(cont);
        QCOMPARE(end->currentText(), endAfter);
    }

    void priceKindSetsTheBaseFee()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        addExpressPriceKind(state->conn());
        auto editor = openNewProject(*state, 0);
        auto* base = control<QLineEdit>(editor.get(), "txtBase");
        QCOMPARE(base->text(), QStringLiteral("100,000"));
        pick(control<QComboBox>(editor.get(), "cmbPriKind"), QStringLiteral("特急単価"));
        QCOMPARE(base->text(), QStringLiteral("250,000"));
    }

    // The prices of the project's functions follow a new price kind only in member-assignment
    // mode and only when a function has a price.
    void priceKindChange_data()
    {
        QTest::addColumn<int>("project");
        QTest::addColumn<bool>("charge");
        QTest::addColumn<bool>("zeroPrices");
        QTest::addColumn<bool>("recalculated");
        QTest::newRow("priced functions") << 2 << true << false << true;
        QTest::newRow("per-process mode") << 2 << false << false << false;
        QTest::newRow("every price 0") << 2 << true << true << false;
        QTest::newRow("no functions") << 4 << true << false << false;
    }
    void priceKindChange()
    {
        QFETCH(int, project);
        QFETCH(bool, charge);
        QFETCH(bool, zeroPrices);
        QFETCH(bool, recalculated);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        addExpressPriceKind(c);
        if (zeroPrices) {
            ExecSql(c, QStringLiteral("UPDATE TFUNCTION SET NPRICE = 0"));
        }
        state->policy.Charge = charge;
        const double before = functionPriceSum(c, project);
        auto editor = openProject(*state, project);
        pick(control<QComboBox>(editor.get(), "cmbPriKind"), QStringLiteral("特急単価"));
        control<QPushButton>(editor.get(), "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(state->CurPriKind, 2);
        QCOMPARE(state->PricesChanged, recalculated);
        QVERIFY(!state->Updated);
        if (recalculated) {
            COMPARE_LAST_MESSAGE(QStringLiteral("確認"),
                                 QStringLiteral("価格種別が変更されました。\n価格の再計算を行います。"),
                                 Messages::Information);
            QVERIFY(functionPriceSum(c, project) > before * 1.9);
        } else {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(functionPriceSum(c, project), before);
        }
    }

    void jobKindChangeOfAssignedMember_data()
    {
        QTest::addColumn<bool>("charge");
        QTest::newRow("member-assignment mode") << true;
        QTest::newRow("per-process mode") << false;
    }
    void jobKindChangeOfAssignedMember()
    {
        QFETCH(bool, charge);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        DbConnection& c = state->conn();
        state->policy.Charge = charge;
        const double before = functionPriceSum(c, 2);
        auto editor = openProject(*state, 2);
        QWidget* e = editor.get();
        showTab(e, 1);
        clickRow(control<QTreeWidget>(e, "lvwMList"), 2); // 高橋 翔, SE, with assigned work
        pick(control<QComboBox>(e, "cmbMKind"), QStringLiteral("PM"));
        clickButton(e, "cmdMembUp");
        control<QPushButton>(e, "cmdOK")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(
            scalar(c, QStringLiteral("SELECT NMKIND AS V FROM TMEMBER WHERE NPROJECT = 2 AND NMEMBER = 3"))
                .toInt(),
            1);
        QCOMPARE(state->PricesChanged, charge);
        if (charge) {
            COMPARE_LAST_MESSAGE(
                QStringLiteral("確認"),
                QStringLiteral("作業メンバの職種が変更されました。\n価格の再計算を行います。"),
                Messages::Information);
            // 80 hours of SE work at 7,500 became PM work at 10,000 (function 1, x1.1).
            QVERIFY(functionPriceSum(c, 2) > before);
        } else {
            QCOMPARE(functionPriceSum(c, 2), before);
        }
    }

    void cancel_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("ask");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("new, declined") << 0 << true << int(QMessageBox::Cancel) << false;
        QTest::newRow("new, confirmed") << 0 << true << int(QMessageBox::Ok) << true;
        QTest::newRow("update, confirmed") << 1 << true << int(QMessageBox::Ok) << true;
        QTest::newRow("policy does not ask") << 1 << false << 0 << true;
    }
    void cancel()
    {
        QFETCH(int, mode);
        QFETCH(bool, ask);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        state->policy.Cancel = ask;
        auto editor = mode == 0 ? openNewProject(*state, 1) : openProject(*state, 2);
        control<QLineEdit>(editor.get(), "txtPName")->setText(QStringLiteral("変更"));
        const QString before = snapshot(state->conn());
        if (ask) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        control<QPushButton>(editor.get(), "cmdCancel")->click();
        if (ask) {
            COMPARE_LAST_MESSAGE(QStringLiteral("確認"),
                                 (mode == 0 ? QStringLiteral("保存せずに終了します。")
                                            : QStringLiteral("変更せずに終了します。")) +
                                     QStringLiteral("\nよろしいですか。"),
                                 Messages::Question);
        } else {
            QVERIFY(Messages::shown().isEmpty());
        }
        QCOMPARE(editor->isVisible(), !closed);
        QCOMPARE(snapshot(state->conn()), before);
        QVERIFY(!state->Updated);
        // Esc goes the same way.
        if (!closed) {
            Messages::setNextAnswer(QMessageBox::Ok);
            QTest::keyClick(editor.get(), Qt::Key_Escape);
            QVERIFY(!editor->isVisible());
        }
    }

    void missingProjectIsReported()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        state->EditMode = 1;
        state->CurProject = 99;
        ProjectEditor editor(*state);
        QVERIFY(editor.loadFailed());
        COMPARE_LAST_MESSAGE(QStringLiteral("確認"),
                             QStringLiteral("選択されたプロジェクトは既に削除されています。"),
                             Messages::Exclamation);
        QCOMPARE(editor.exec(), int(QDialog::Rejected));
    }

    // Every caption is shown whole on every tab and in the quotation. With VORNA_SCREENSHOTS
    // set, each is also saved there as a picture.
    void everyCaptionFits()
    {
        auto db = TestDatabase::create(Engine::SQLite, true);
        auto state = db->makeState();
        auto editor = openProject(*state, 2);
        auto* tabs = control<QTabWidget>(editor.get(), "tbsOptions");
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            checkCaptions(editor.get(), QStringLiteral("frmProj_%1").arg(i));
        }
        QuotationDialog quotation(
            *state, QuoteSources{QStringLiteral("100,000"), {300000, 365000, 0}, 967000, 1256000},
            editor.get());
        quotation.show();
        checkCaptions(&quotation, QStringLiteral("frmCalc"));
    }

private:
    static void checkCaptions(QWidget* window, const QString& picture)
    {
        QApplication::processEvents();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisible()) {
                continue;
            }
            const QString where = picture + QLatin1Char(' ') + w->objectName();
            auto* label = qobject_cast<QLabel*>(w);
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()) + 8,
                         qPrintable(where));
            } else if ((label && !label->wordWrap()) || qobject_cast<QCheckBox*>(w)) {
                QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(where));
            }
        }
        const QString folder = qEnvironmentVariable("VORNA_SCREENSHOTS");
        if (!folder.isEmpty()) {
            window->grab().save(QDir(folder).filePath(picture + QStringLiteral(".png")));
        }
    }

    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
