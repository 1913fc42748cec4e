#include "foundation/help.h"
#include "pricing/quotation.h"
#include "project_fixture.h"

#include <QDate>
#include <QFocusEvent>
#include <QTabBar>

namespace {

const QString kTop = u"ミナト物流 配送管理システム再構築"_s;
const QString kOrders = kTop + u" - 受注・出荷管理サブシステム"_s;
const QString kStock = kTop + u" - 倉庫在庫管理サブシステム"_s;

// A second price kind whose member-kind prices are twice those of the first.
void addExpressPriceKind(DbConnection& c)
{
    ExecSql(c, u"INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 250000, 2)"_s);
    const QString sql = u"INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (2, '0', %1, %2)"_s;
    const int prices[] = {20000, 17000, 15000, 11000, 9000};
    for (int kind = 1; kind <= 5; ++kind) {
        ExecSql(c, sql.arg(kind).arg(prices[kind - 1]));
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
    void cleanup() { m_f.cleanup(); }

    // A new project starts under the parent proposed, shown with its path; a project cannot be
    // put under itself or one of its descendants (project 5 is put under 4 here).
    void parentCombo_data()
    {
        addColumns<int, int, QString, QStringList>({"project", "proposed", "shown", "entries"});
        const QString handy = kStock + u" - ハンディターミナル連携"_s;
        const QStringList all{"ROOT", kTop, kOrders, kStock, handy, handy + u" - 通信検証"_s};
        QTest::newRow("new under the root") << 0 << 0 << u"ROOT"_s << all;
        QTest::newRow("new under a sub-sub-project") << 0 << 4 << handy << all;
        QTest::newRow("top level with four descendants") << 1 << 0 << u"ROOT"_s << QStringList{"ROOT"};
        QTest::newRow("with a sub-project") << 3 << 1 << kTop << QStringList{"ROOT", kTop, kOrders};
        QTest::newRow("with a child") << 4 << 3 << kStock << QStringList{"ROOT", kTop, kOrders, kStock};
    }
    void parentCombo()
    {
        QFETCH(int, project);
        QFETCH(int, proposed);
        QFETCH(QString, shown);
        QFETCH(QStringList, entries);
        ExecSql(state().conn(), u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND) "
                                u"VALUES (4, '通信検証', 1, 2, 1)"_s);
        m_f.editor = project == 0 ? openNewProject(state(), proposed) : openProject(state(), project);
        auto* parent = control<QComboBox>(m_f.editor.get(), "cmbParProj");
        QCOMPARE(parent->currentText(), shown);
        QCOMPARE(ComboKey(parent), proposed);
        QStringList listed;
        for (int i = 0; i < parent->count(); ++i) {
            listed << parent->itemText(i);
        }
        QCOMPARE(listed, entries);
    }

    // Project 2 as loaded, and the window: each tab's caption, help key, page name and help topic,
    // every caption shown whole on every tab and in the quotation (with VORNA_SCREENSHOTS set,
    // each is also saved there as a picture), and Ctrl+Tab going round the tabs.
    void projectWindow()
    {
        QWidget* e = m_f.open(2, 0);
        QCOMPARE(e->objectName() + u'|' + e->windowTitle(), u"frmProj|プロジェクト編集"_s);
        // The summary strip: members 6,500x80 + 5,500x160 + 4,800x230 + 3,500x300 + 3,000x120.
        QCOMPARE(texts(e, {"cmdOK", "cmbParProj", "txtPName", "cmbEndCust", "cmbContCust", "cmbPriKind",
                           "txtBase", "txtPrice", "txtOutLine", "lblPerExp", "lblExpense_0", "lblExpense_1",
                           "lblContract", "lblDelPri", "txtDate_0", "txtDate_7", "lblDate_3"}),
                 (QStringList{"更新保存", kTop, "受注・出荷管理サブシステム", "株式会社ミナト物流",
                              "東和システム株式会社", "標準単価", "100,000", "7,970,000",
                              "受注入力、出荷指示、返品受付。", "3,914,000", "300,000", "365,000", "967,000",
                              "1,256,000", "2025/04/07", "2025/11/04", "製造"}));
        QVERIFY(!control<QLineEdit>(e, "txtDate_8")->isVisibleTo(e));

        auto* tabs = control<QTabWidget>(e, "tbsOptions");
        const QStringList pages = {"基本情報|PrjBase", "メンバ|PrjMember", "日程|PrjDate2",
                                   "契約|PrjContract", "納品物|PrjDeliv",  "経費|PrjExpense"};
        QCOMPARE(tabs->count(), pages.size());
        for (int i = 0; i < pages.size(); ++i) {
            tabs->setCurrentIndex(i);
            QCOMPARE(tabs->tabText(i) + u'|' + tabs->tabBar()->tabData(i).toString() + u'|' +
                         tabs->widget(i)->objectName(),
                     pages.at(i) + u"|picOptions_%1"_s.arg(i));
            QCOMPARE(Help::topic(e), 34 + 2 * i);
            checkCaptionsFit(e, u"frmProj_%1"_s.arg(i));
        }
        QuotationDialog quotation(state(), QuoteSources{u"100,000"_s, {300000, 365000, 0}, 967000, 1256000},
                                  e);
        quotation.show();
        checkCaptionsFit(&quotation, u"frmCalc"_s);
        quotation.close();
        // Ctrl+Tab from the last tab wraps to the first.
        QTest::keyClick(control<QLineEdit>(e, "txtApiece"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(control<QLineEdit>(e, "txtPName"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    void newProjectStartsFromThePolicy()
    {
        state().policy.Expe0 = true;
        state().policy.Opt = false;
        state().ProjQuote.Discount = 123; // left from another project
        QWidget* e = m_f.open(0, 0);
        QVERIFY(!control<QPushButton>(e, "cmdDel")->isEnabled());
        QCOMPARE(texts(e, {"cmbEndCust", "cmbContCust", "cmdOK", "cmbPriKind", "txtBase", "txtDate_0",
                           "txtDate_1", "txtDate_7", "lblPerExp", "lblContract"}),
                 (QStringList{"", "", "新規保存", "標準単価", "100,000",
                              QDate::currentDate().toString(u"yyyy/MM/dd"_s), "", "", "0", "0"}));
        const QuoteSettings& q = state().ProjQuote;
        QVERIFY(q.Base && q.Work && !q.Opt && q.Deliv && q.Expe1);
        QVERIFY(!q.Expe0); // own-company expenses start unticked whatever the policy says
        QCOMPARE(q.Discount, 0.0);

        // Every option starts at its first level, and with no work there is nothing to propose.
        showTab(e, 3);
        for (const char* name : {"cmbWrite", "cmbFlaw", "cmbInst", "cmbMainte", "cmbEducat"}) {
            QCOMPARE(control<QComboBox>(e, name)->currentIndex(), 0);
        }
        QCOMPARE(controlText(e, "cmbMeet"), u"月1回"_s);
        pick(control<QComboBox>(e, "cmbWrite"), u"顧客譲渡"_s);
        clickButton(e, "cmdContract");
        QCOMPARE(texts(e, {"txtWritePri", "txtFlawPri", "txtInstPri", "txtMaintePri", "txtEducatPri",
                           "txtMeetPri"}),
                 QStringList(6, u"0"_s));
    }

    // A refused save changes nothing and brings the page with the refused box to the front.
    void refusedSave_data()
    {
        addColumns<QString, QString, int>({"fault", "message", "page"});
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
        QWidget* e = m_f.open(0, 2);
        setText(e, "txtPName", fault == u"name"_s ? QString() : u"新規"_s);
        if (fault != u"end"_s) {
            pick(control<QComboBox>(e, "cmbEndCust"), u"株式会社ミナト物流"_s);
        }
        if (fault != u"contract"_s) {
            pick(control<QComboBox>(e, "cmbContCust"), u"東和システム株式会社"_s);
        }
        setText(e, fault == u"option"_s ? "txtMaintePri" : "txtPrice",
                fault == u"price"_s || fault == u"option"_s ? u"-"_s : u"0"_s);
        const QString before = snapshot(state().conn());
        clickButton(e, "cmdOK");
        QVERIFY(e->isVisible());
        COMPARE_LAST_MESSAGE(u"入力確認"_s, message, Messages::Information);
        QCOMPARE(snapshot(state().conn()), before);
        QCOMPARE(state().CurProject, 0);
        QCOMPARE(control<QTabWidget>(e, "tbsOptions")->currentIndex(), page);
    }

    // Leaving the contract customer proposes it as the end customer while none is chosen.
    void contractCustomerProposesEndCustomer()
    {
        QWidget* e = m_f.open(0, 0);
        auto* contract = control<QComboBox>(e, "cmbContCust");
        const auto leave = [e, contract] {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(contract, &out);
            return controlText(e, "cmbEndCust");
        };
        QCOMPARE(leave(), QString()); // no contract customer: nothing to propose
        pick(contract, u"株式会社ミナト物流"_s);
        QCOMPARE(leave(), u"株式会社ミナト物流"_s);
        pick(contract, u"東和システム株式会社"_s);
        QCOMPARE(leave(), u"株式会社ミナト物流"_s); // an end customer is chosen already
        control<QComboBox>(e, "cmbEndCust")->setCurrentIndex(-1);
        QCOMPARE(leave(), u"東和システム株式会社"_s); // the second entry too
    }

    // A new price kind brings its base fee. The prices of the project's functions follow a new
    // price kind, or a new job kind of a member with assigned work, only in member-assignment
    // mode and only when a function has a price.
    void recalculation_data()
    {
        addColumns<int, bool, bool, bool, QString>({"project", "jobKind", "charge", "zeroPrices", "reason"});
        const QString kind = u"価格種別が変更されました。"_s;
        const QString job = u"作業メンバの職種が変更されました。"_s;
        QTest::newRow("price kind, priced functions") << 2 << false << true << false << kind;
        QTest::newRow("price kind, per-process mode") << 2 << false << false << false << QString();
        QTest::newRow("price kind, every price 0") << 2 << false << true << true << QString();
        QTest::newRow("price kind, no functions") << 4 << false << true << false << QString();
        QTest::newRow("job kind") << 2 << true << true << false << job;
        QTest::newRow("job kind, per-process mode") << 2 << true << false << false << QString();
    }
    void recalculation()
    {
        QFETCH(int, project);
        QFETCH(bool, jobKind);
        QFETCH(bool, charge);
        QFETCH(bool, zeroPrices);
        QFETCH(QString, reason);
        DbConnection& c = state().conn();
        addExpressPriceKind(c);
        if (zeroPrices) {
            ExecSql(c, u"UPDATE TFUNCTION SET NPRICE = 0"_s);
        }
        state().policy.Charge = charge;
        const double before = functionPriceSum(c, project);
        QWidget* e = m_f.open(project, jobKind ? 1 : 0);
        if (jobKind) {
            clickRow(control<QTreeWidget>(e, "lvwMList"), 2); // 高橋 翔, SE, with assigned work
            pick(control<QComboBox>(e, "cmbMKind"), u"PM"_s);
            clickButton(e, "cmdMembUp");
        } else {
            pick(control<QComboBox>(e, "cmbPriKind"), u"特急単価"_s);
            QCOMPARE(controlText(e, "txtBase"), u"250,000"_s);
        }
        clickButton(e, "cmdOK");
        QCOMPARE(m_f.editor->result(), int(QDialog::Accepted));
        QCOMPARE(state().CurPriKind, jobKind ? 1 : 2);
        QCOMPARE(state().PricesChanged, !reason.isEmpty());
        QVERIFY(!state().Updated);
        if (reason.isEmpty()) {
            QVERIFY(Messages::shown().isEmpty());
            QCOMPARE(functionPriceSum(c, project), before);
        } else {
            COMPARE_LAST_MESSAGE(u"確認"_s, reason + u"\n価格の再計算を行います。"_s, Messages::Information);
            // Twice the unit prices; or 80 hours of SE work at 7,500 became PM work at 10,000.
            QVERIFY(functionPriceSum(c, project) > before * (jobKind ? 1.0 : 1.9));
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
        Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        clickButton(e, "cmdCancel");
        const QString question = project == 0 ? u"保存せずに終了します。"_s : u"変更せずに終了します。"_s;
        if (ask) {
            COMPARE_LAST_MESSAGE(u"確認"_s, question + u"\nよろしいですか。"_s, Messages::Question);
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

private:
    AppState& state() { return *m_f.state; }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
