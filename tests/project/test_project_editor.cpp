#include "foundation/code_divisions.h"
#include "foundation/help.h"
#include "pricing/quotation.h"
#include "project_fixture.h"

#include <QDate>
#include <QFocusEvent>
#include <QTabBar>

namespace {

const QString kTop = u"ミナト物流 配送管理システム再構築"_s;
const QString kOrders = u"受注・出荷管理サブシステム"_s;
const QString kStock = u"倉庫在庫管理サブシステム"_s;
const QString kHandy = u"ハンディターミナル連携"_s;

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
    ExecSql(c, u"INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 250000, 2)"_s);
    const int prices[] = {20000, 17000, 15000, 11000, 9000};
    for (int kind = 1; kind <= 5; ++kind) {
        ExecSql(
            c,
            u"INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (2, '0', %1, %2)"_s.arg(kind).arg(
                prices[kind - 1]));
    }
}

double functionPriceSum(DbConnection& c, int project)
{
    return scalar(c, u"SELECT SUM(NPRICE) AS V FROM TFUNCTION WHERE NPROJECT = %1"_s.arg(project)).toDouble();
}

} // namespace

class TestProjectEditor : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup()
    {
        m_f.cleanup();
        ClearDivisionCache();
    }

    void parentProposal_data()
    {
        addColumns<int, QString>({"proposed", "shown"});
        QTest::newRow("root selected in the tree") << 0 << u"ROOT"_s;
        QTest::newRow("top-level project") << 1 << kTop;
        QTest::newRow("sub-project shows its path") << 3 << kTop + u" - "_s + kStock;
        QTest::newRow("sub-sub-project") << 4 << kTop + u" - "_s + kStock + u" - "_s + kHandy;
    }
    void parentProposal()
    {
        QFETCH(int, proposed);
        QFETCH(QString, shown);
        m_f.editor = openNewProject(state(), proposed);
        auto* parent = control<QComboBox>(m_f.editor.get(), "cmbParProj");
        QCOMPARE(parent->currentText(), shown);
        QCOMPARE(ComboKey(parent), proposed);
        QCOMPARE(parent->count(), 5);
        QCOMPARE(state().CurProject, 0);
    }

    void parentListLeavesOutDescendants_data()
    {
        addColumns<int, QStringList>({"project", "entries"});
        QTest::newRow("top level with three descendants") << 1 << QStringList{"ROOT"};
        QTest::newRow("project with a sub-project")
            << 3 << QStringList{"ROOT", kTop, kTop + u" - "_s + kOrders};
        QTest::newRow("leaf") << 4
                              << QStringList{"ROOT", kTop, kTop + u" - "_s + kOrders,
                                             kTop + u" - "_s + kStock};
    }
    void parentListLeavesOutDescendants()
    {
        QFETCH(int, project);
        QFETCH(QStringList, entries);
        // A deeper tree: 5 under 4 under 3.
        ExecSql(state().conn(), u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND) "
                                u"VALUES (4, '通信検証', 1, 2, 1)"_s);
        m_f.editor = openProject(state(), project);
        QCOMPARE(comboTexts(control<QComboBox>(m_f.editor.get(), "cmbParProj")), entries);
    }

    void loadsTheProject()
    {
        QWidget* e = m_f.open(2, 0);
        QCOMPARE(e->windowTitle(), u"プロジェクト編集"_s);
        QCOMPARE(e->objectName(), u"frmProj"_s);
        QVERIFY(control<QPushButton>(e, "cmdDel")->isEnabled());
        // The summary strip: members 6,500x80 + 5,500x160 + 4,800x230 + 3,500x300 + 3,000x120.
        QCOMPARE(texts(e, {"cmdOK", "cmbParProj", "txtPName", "cmbEndCust", "cmbContCust", "cmbPriKind",
                           "txtBase", "txtPrice", "txtOutLine", "lblPerExp", "lblExpense_0", "lblExpense_1",
                           "lblContract", "lblDelPri", "txtDate_0", "txtDate_7", "lblDate_3"}),
                 (QStringList{u"更新保存"_s, kTop, kOrders, u"株式会社ミナト物流"_s,
                              u"東和システム株式会社"_s, u"標準単価"_s, u"100,000"_s, u"7,970,000"_s,
                              u"受注入力、出荷指示、返品受付。"_s, u"3,914,000"_s, u"300,000"_s, u"365,000"_s,
                              u"967,000"_s, u"1,256,000"_s, u"2025/04/07"_s, u"2025/11/04"_s, u"製造"_s}));
        QVERIFY(!control<QLineEdit>(e, "txtDate_8")->isVisibleTo(e));
        const QuoteSettings& q = state().ProjQuote;
        QVERIFY(q.Base && q.Work && q.Opt && q.Deliv && !q.Expe0 && q.Expe1);
        QCOMPARE(q.Discount, 800.0);
    }

    void newProjectStartsFromThePolicy()
    {
        state().policy.Expe0 = true;
        state().policy.Opt = false;
        state().ProjQuote.Discount = 123; // left from another project
        QWidget* e = m_f.open(0, 0);
        QVERIFY(!control<QPushButton>(e, "cmdDel")->isEnabled());
        QCOMPARE(control<QComboBox>(e, "cmbEndCust")->currentIndex(), -1);
        QCOMPARE(control<QComboBox>(e, "cmbContCust")->currentIndex(), -1);
        QCOMPARE(texts(e, {"cmdOK", "cmbPriKind", "txtBase", "txtDate_0", "txtDate_1", "txtDate_7",
                           "lblPerExp", "lblContract"}),
                 (QStringList{u"新規保存"_s, u"標準単価"_s, u"100,000"_s,
                              QDate::currentDate().toString(u"yyyy/MM/dd"_s), QString(), QString(), u"0"_s,
                              u"0"_s}));
        QCOMPARE(control<QTreeWidget>(e, "lvwMList")->topLevelItemCount(), 0);
        QCOMPARE(control<QTreeWidget>(e, "lvwMList")->columnCount(), 5);
        QCOMPARE(control<QTreeWidget>(e, "lvwEList")->columnCount(), 6);
        const QuoteSettings& q = state().ProjQuote;
        QVERIFY(q.Base && q.Work && !q.Opt && q.Deliv && q.Expe1);
        QVERIFY(!q.Expe0); // own-company expenses start unticked whatever the policy says
        QCOMPARE(q.Discount, 0.0);
    }

    void tabsAndHelpTopics()
    {
        QWidget* e = m_f.open(2, 0);
        auto* tabs = control<QTabWidget>(e, "tbsOptions");
        const QStringList captions{"基本情報", "メンバ", "日程", "契約", "納品物", "経費"};
        const QStringList keys{"PrjBase", "PrjMember", "PrjDate2", "PrjContract", "PrjDeliv", "PrjExpense"};
        const QStringList tips{"プロジェクトの基本情報", "作業メンバの選択", "プロジェクトの大工程",
                               "顧客との合意事項",       "納品する生産物",   "開発の前提となる購入品"};
        QCOMPARE(tabs->count(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(tabs->tabText(i), captions.at(i));
            QCOMPARE(tabs->tabBar()->tabData(i).toString(), keys.at(i));
            QCOMPARE(tabs->tabToolTip(i), tips.at(i));
            QCOMPARE(tabs->widget(i)->objectName(), u"picOptions_%1"_s.arg(i));
            tabs->setCurrentIndex(i);
            QCOMPARE(Help::topic(e), 34 + 2 * i);
        }
        // Ctrl+Tab from the last tab wraps to the first.
        QTest::keyClick(control<QLineEdit>(e, "txtApiece"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(control<QLineEdit>(e, "txtPName"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    void refusedSave_data()
    {
        addColumns<QString, QString>({"fault", "message"});
        QTest::addColumn<int>("page"); // the page with the refused box comes to the front
        QTest::newRow("no name") << u"name"_s << u"プロジェクト名称は必須入力です。"_s << 0;
        QTest::newRow("no end customer") << u"end"_s << u"最終顧客は必須入力です。"_s << 0;
        QTest::newRow("no contract customer") << u"contract"_s << u"契約顧客は必須入力です。"_s << 0;
        QTest::newRow("order amount not a number")
            << u"price"_s << u"受注金額の値が正しくありません。"_s << 0;
        QTest::newRow("option price not a number")
            << u"option"_s << u"保守契約の値が正しくありません。"_s << 3;
    }
    void refusedSave()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(int, page);
        m_f.editor = openNewProject(state(), 1);
        QWidget* e = m_f.editor.get();
        setText(e, "txtPName", fault == u"name"_s ? QString() : u"新規"_s);
        if (fault != u"end"_s) {
            pick(control<QComboBox>(e, "cmbEndCust"), u"株式会社ミナト物流"_s);
        }
        if (fault != u"contract"_s) {
            pick(control<QComboBox>(e, "cmbContCust"), u"東和システム株式会社"_s);
        }
        setText(e, fault == u"option"_s ? "txtMaintePri" : "txtPrice",
                fault == u"price"_s || fault == u"option"_s ? u"-"_s : u"0"_s);
        showTab(e, 2);
        const QString before = snapshot(state().conn());
        control<QPushButton>(e, "cmdOK")->click();
        QVERIFY(e->isVisible());
        QCOMPARE(Messages::last().title, u"入力確認"_s);
        QCOMPARE(Messages::last().text, message);
        QCOMPARE(snapshot(state().conn()), before);
        QCOMPARE(state().CurProject, 0);
        QCOMPARE(control<QTabWidget>(e, "tbsOptions")->currentIndex(), page);
    }

    void contractCustomerProposesEndCustomer_data()
    {
        addColumns<QString, QString, QString>({"contract", "endBefore", "endAfter"});
        const QString minato = u"株式会社ミナト物流"_s;
        const QString towa = u"東和システム株式会社"_s;
        QTest::newRow("first entry") << minato << QString() << minato;
        QTest::newRow("second entry too") << towa << QString() << towa;
        QTest::newRow("end customer already chosen") << towa << minato << minato;
        QTest::newRow("no contract customer") << QString() << QString() << QString();
    }
    void contractCustomerProposesEndCustomer()
    {
        QFETCH(QString, contract);
        QFETCH(QString, endBefore);
        QFETCH(QString, endAfter);
        QWidget* e = m_f.open(0, 0);
        if (!endBefore.isEmpty()) {
            pick(control<QComboBox>(e, "cmbEndCust"), endBefore);
        }
        auto* cont = control<QComboBox>(e, "cmbContCust");
        if (!contract.isEmpty()) {
            pick(cont, contract);
        }
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(cont, &out);
        QCOMPARE(controlText(e, "cmbEndCust"), endAfter);
    }

    void priceKindSetsTheBaseFee()
    {
        addExpressPriceKind(state().conn());
        QWidget* e = m_f.open(0, 0);
        QCOMPARE(controlText(e, "txtBase"), u"100,000"_s);
        pick(control<QComboBox>(e, "cmbPriKind"), u"特急単価"_s);
        QCOMPARE(controlText(e, "txtBase"), u"250,000"_s);
    }

    // The prices of the project's functions follow a new price kind only in member-assignment
    // mode and only when a function has a price.
    void priceKindChange_data()
    {
        addColumns<int, bool, bool, bool>({"project", "charge", "zeroPrices", "recalculated"});
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
        DbConnection& c = state().conn();
        addExpressPriceKind(c);
        if (zeroPrices) {
            ExecSql(c, u"UPDATE TFUNCTION SET NPRICE = 0"_s);
        }
        state().policy.Charge = charge;
        const double before = functionPriceSum(c, project);
        QWidget* e = m_f.open(project, 0);
        pick(control<QComboBox>(e, "cmbPriKind"), u"特急単価"_s);
        control<QPushButton>(e, "cmdOK")->click();
        QCOMPARE(m_f.editor->result(), int(QDialog::Accepted));
        QCOMPARE(state().CurPriKind, 2);
        QCOMPARE(state().PricesChanged, recalculated);
        QVERIFY(!state().Updated);
        if (recalculated) {
            COMPARE_LAST_MESSAGE(u"確認"_s, u"価格種別が変更されました。\n価格の再計算を行います。"_s,
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
        DbConnection& c = state().conn();
        state().policy.Charge = charge;
        const double before = functionPriceSum(c, 2);
        QWidget* e = m_f.open(2, 1);
        clickRow(control<QTreeWidget>(e, "lvwMList"), 2); // 高橋 翔, SE, with assigned work
        pick(control<QComboBox>(e, "cmbMKind"), u"PM"_s);
        clickButton(e, "cmdMembUp");
        control<QPushButton>(e, "cmdOK")->click();
        QCOMPARE(m_f.editor->result(), int(QDialog::Accepted));
        QCOMPARE(scalar(c, u"SELECT NMKIND AS V FROM TMEMBER WHERE NPROJECT = 2 AND NMEMBER = 3"_s).toInt(),
                 1);
        QCOMPARE(state().PricesChanged, charge);
        if (charge) {
            COMPARE_LAST_MESSAGE(u"確認"_s, u"作業メンバの職種が変更されました。\n価格の再計算を行います。"_s,
                                 Messages::Information);
            // 80 hours of SE work at 7,500 became PM work at 10,000 (function 1, x1.1).
            QVERIFY(functionPriceSum(c, 2) > before);
        } else {
            QCOMPARE(functionPriceSum(c, 2), before);
        }
    }

    void cancel_data()
    {
        addColumns<int, bool, int>({"project", "ask", "answer"});
        QTest::newRow("new, declined") << 0 << true << int(QMessageBox::Cancel);
        QTest::newRow("new, confirmed") << 0 << true << int(QMessageBox::Ok);
        QTest::newRow("update, confirmed") << 2 << true << int(QMessageBox::Ok);
        QTest::newRow("policy does not ask") << 2 << false << 0;
    }
    void cancel()
    {
        QFETCH(int, project);
        QFETCH(bool, ask);
        QFETCH(int, answer);
        state().policy.Cancel = ask;
        QWidget* e = m_f.open(project, 0);
        setText(e, "txtPName", u"変更"_s);
        const QString before = snapshot(state().conn());
        if (ask) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        control<QPushButton>(e, "cmdCancel")->click();
        if (ask) {
            COMPARE_LAST_MESSAGE(u"確認"_s,
                                 (project == 0 ? u"保存せずに終了します。"_s : u"変更せずに終了します。"_s) +
                                     u"\nよろしいですか。"_s,
                                 Messages::Question);
        } else {
            QVERIFY(Messages::shown().isEmpty());
        }
        QCOMPARE(e->isVisible(), answer == QMessageBox::Cancel);
        QCOMPARE(snapshot(state().conn()), before);
        QVERIFY(!state().Updated);
        // Esc goes the same way.
        if (e->isVisible()) {
            Messages::setNextAnswer(QMessageBox::Ok);
            QTest::keyClick(e, Qt::Key_Escape);
            QVERIFY(!e->isVisible());
        }
    }

    void missingProjectIsReported()
    {
        state().EditMode = 1;
        state().CurProject = 99;
        ProjectEditor editor(state());
        QVERIFY(editor.loadFailed());
        COMPARE_LAST_MESSAGE(u"確認"_s, u"選択されたプロジェクトは既に削除されています。"_s,
                             Messages::Exclamation);
        QCOMPARE(editor.exec(), int(QDialog::Rejected));
    }

    // Every caption is shown whole on every tab and in the quotation. With VORNA_SCREENSHOTS
    // set, each is also saved there as a picture.
    void everyCaptionFits()
    {
        QWidget* e = m_f.open(2, 0);
        for (int i = 0; i < 6; ++i) {
            showTab(e, i);
            checkCaptionsFit(e, u"frmProj_%1"_s.arg(i));
        }
        QuotationDialog quotation(state(), QuoteSources{u"100,000"_s, {300000, 365000, 0}, 967000, 1256000},
                                  e);
        quotation.show();
        checkCaptionsFit(&quotation, u"frmCalc"_s);
    }

private:
    AppState& state() { return *m_f.state; }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
