#include "convert/conversions.h"
#include "project_fixture.h"

#include <QDate>
#include <QFocusEvent>
#include <QScrollBar>

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

// Project 4 of the demo data has no functions of its own: give it one counted function with
// the price given, and one on hold that must not count.
void setWorkTotal(DbConnection& c, double price)
{
    const QString sql =
        u"INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, "
        u"NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES (4, %1, 1, 2, 2, 2, 2, 1, %2, 0, 100, %3, %3)"_s;
    ExecSql(c, sql.arg(u"'1'"_s, u"'計測'"_s, QString::number(price, 'f', 0)));
    ExecSql(c, sql.arg(u"NULL"_s, u"'保留'"_s, u"999999"_s));
}

// A proposal over prices already set asks first: the box set keeps its price when the user
// declines, and gets the proposed one when he agrees.
void proposalAsksBeforeOverwriting(QWidget* e, const QString& button, const QString& box,
                                   const QString& proposed)
{
    setText(e, box, u"5,000"_s);
    Messages::setNextAnswer(QMessageBox::Cancel);
    clickButton(e, button);
    COMPARE_LAST_MESSAGE(u"確認"_s, u"設定済みの価格を上書きします。よろしいですか？"_s, Messages::Question);
    QCOMPARE(controlText(e, box), u"5,000"_s);
    Messages::setNextAnswer(QMessageBox::Ok);
    clickButton(e, button);
    QCOMPARE(controlText(e, box), proposed);
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

    // Project 2 as loaded, and Ctrl+Tab going round the tabs.
    void projectWindow()
    {
        QWidget* e = m_f.open(2, 2);
        QCOMPARE(e->windowTitle(), u"プロジェクト編集"_s);
        // The summary strip: members 6,500x80 + 5,500x160 + 4,800x230 + 3,500x300 + 3,000x120.
        QCOMPARE(texts(e, {"cmdOK", "cmbParProj", "txtPName", "cmbEndCust", "cmbContCust", "cmbPriKind",
                           "txtBase", "txtPrice", "txtOutLine", "lblPerExp", "lblExpense_0", "lblExpense_1",
                           "lblContract", "lblDelPri", "txtDate_0", "txtDate_7", "lblDate_3"}),
                 (QStringList{"更新保存", kTop, "受注・出荷管理サブシステム", "株式会社ミナト物流",
                              "東和システム株式会社", "標準単価", "100,000", "7,970,000",
                              "受注入力、出荷指示、返品受付。", "3,914,000", "300,000", "365,000", "967,000",
                              "1,256,000", "2025/04/07", "2025/11/04", "製造"}));
        // Eight processes: eight date boxes.
        QVERIFY(control<QLineEdit>(e, "txtDate_7")->isVisible());
        QVERIFY(!control<QLineEdit>(e, "txtDate_8")->isVisible());
        // Ctrl+Tab from the last tab wraps to the first.
        auto* tabs = control<QTabWidget>(e, "tbsOptions");
        showTab(e, 5);
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

        // With no work there is nothing to propose.
        showTab(e, 3);
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
        // Half of a surrogate pair would break the statement: such a text is never sent.
        QTest::newRow("broken character in the name")
            << u"broken name"_s << u"プロジェクト名称の値が正しくありません。"_s << 0;
        QTest::newRow("broken character in a memo")
            << u"broken memo"_s << u"保守契約のメモの値が正しくありません。"_s << 3;
    }
    void refusedSave()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(int, page);
        QWidget* e = m_f.open(0, 2);
        setText(e, "txtPName",
                fault == u"name"_s          ? QString()
                : fault == u"broken name"_s ? u"新規"_s + QChar(0xD83D)
                                            : u"新規"_s);
        if (fault == u"broken memo"_s) {
            setText(e, "txtMainte", QChar(0xDE00) + u"年1回"_s);
        }
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

    // A member picked from the list brings its job kind and cost; a typed name is registered,
    // or, when the master already has it, updates the master's row. After an update that gave
    // a row another member, update and delete act on that row. The personnel cost counts the
    // indirect hours only when the policy says so.
    void memberNames_data()
    {
        QTest::addColumn<bool>("indirect");
        QTest::newRow("direct hours") << false;
        QTest::newRow("indirect hours too") << true;
    }
    void memberNames()
    {
        QFETCH(bool, indirect);
        m_f.state->policy.Indirect = indirect;
        QWidget* e = open(0, 1);
        auto* member = control<QComboBox>(e, "cmbMember");
        auto* list = control<QTreeWidget>(e, "lvwMList");
        pick(member, u"佐藤 健一"_s);
        QCOMPARE(texts(e, {"cmbMKind", "txtMembPri"}), (QStringList{"PM", "6,500"}));

        enterRow(e, kMemberBoxes, {">新人 O'Hara", "PG", "3,200", "100", ""}, u"cmdMembAdd"_s);
        QVERIFY(masterRows(u"MMEMBER"_s).contains(u"MMEMBER|7|新人 O'Hara|4|3200|7"_s));
        QCOMPARE(ItemKey(list->topLevelItem(0)), u"M0007"_s);
        QCOMPARE(rowTexts(list, 0), (QStringList{"新人 O'Hara", "PG", "3,200", "100", ""}));
        // The new member is now an entry of the list, last, and selected.
        QCOMPARE(member->itemText(member->count() - 1), u"新人 O'Hara"_s);
        QCOMPARE(member->currentIndex(), member->count() - 1);

        enterRow(e, kMemberBoxes, {"> 高橋 翔 ", "PL", "5,200", "80", "8"}, u"cmdMembAdd"_s);
        QCOMPARE(masterRows(u"MMEMBER"_s).size(), 7);
        QVERIFY(masterRows(u"MMEMBER"_s).contains(u"MMEMBER|3|高橋 翔|2|5200|3"_s));

        clickRow(list, 0);
        enterRow(e, kMemberBoxes, {"田中 優子", "", "4,500", "30", ""}, u"cmdMembUp"_s);
        enterRow(e, kMemberBoxes, {"田中 優子", "", "4,500", "35", ""}, u"cmdMembUp"_s);
        QCOMPARE(rowTexts(list, 0), (QStringList{"田中 優子", "SE", "4,500", "35", ""}));
        clickButton(e, "cmdMembDel");
        QCOMPARE(rowKeys(list), QStringList{u"M0003"_s});
        // 5,200 for the 80 hours, of which 8 are indirect.
        QCOMPARE(controlText(e, "lblPerExp"), indirect ? u"416,000"_s : u"374,400"_s);
    }

    // A refused row leaves the list and the database as they were.
    void refusals_data()
    {
        addColumns<int, QStringList, QString>({"tab", "row", "message"});
        QTest::newRow("no member") << 1 << QStringList{"", "", "1", "1", ""}
                                   << u"入力確認:メンバは必須入力です。"_s;
        QTest::newRow("no cost") << 1 << QStringList{"高橋 翔", "", "", "1", ""}
                                 << u"入力確認:費用は必須入力です。"_s;
        QTest::newRow("no hours") << 1 << QStringList{"高橋 翔", "", "1", "", ""}
                                  << u"入力確認:占有時間は必須入力です。"_s;
        QTest::newRow("hours not a number") << 1 << QStringList{"高橋 翔", "", "1", "-", ""}
                                            << u"入力確認:占有時間の値が正しくありません。"_s;
        QTest::newRow("twice the same person") << 1 << QStringList{"佐藤 健一", "", "6,500", "10", ""}
                                               << u"重複エラー:その人は既に登録されています。"_s;
        QTest::newRow("no item") << 5 << QStringList{"", "", "1", "1", ""}
                                 << u"入力確認:項目は必須入力です。"_s;
        QTest::newRow("no unit price")
            << 5 << QStringList{"開発用PCリース", "顧客", "", "1", ""} << u"入力確認:単価は必須入力です。"_s;
        QTest::newRow("unit price not a number") << 5 << QStringList{"開発用PCリース", "顧客", "-", "1", ""}
                                                 << u"入力確認:単価の値が正しくありません。"_s;
        // A count is whole: a pasted fraction would be priced as a whole number and stored as typed.
        QTest::newRow("quantity with a fraction")
            << 5 << QStringList{"開発用PCリース", "顧客", "15,000", "2.5", ""}
            << u"入力確認:数量の値が正しくありません。"_s;
        // A typed name with half of a surrogate pair never reaches the master.
        QTest::newRow("broken member name")
            << 1 << QStringList{">高橋" + QString(QChar(0xD83D)), "", "1", "1", ""}
            << u"入力確認:メンバの値が正しくありません。"_s;
        QTest::newRow("broken item name")
            << 5 << QStringList{">PC" + QString(QChar(0xDC00)), "顧客", "1", "1", ""}
            << u"入力確認:項目の値が正しくありません。"_s;
        // The customer's purchase is listed apart; any other buyer shares the own company's row.
        for (const char* buyer : {"自社", "その他"}) {
            QTest::newRow(buyer) << 5 << QStringList{"開発用PCリース", buyer, "15,000", "1", ""}
                                 << u"重複エラー:その項目は既に登録されています。"_s;
        }
    }
    void refusals()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, row);
        QFETCH(QString, message);
        QWidget* e = open(0, tab);
        const bool members = tab == 1;
        const QStringList& boxes = members ? kMemberBoxes : kExpenseBoxes;
        const QString add = members ? u"cmdMembAdd"_s : u"cmdExpAdd"_s;
        enterRow(e, boxes,
                 members ? QStringList{"佐藤 健一", "", "6,500", "10", ""}
                         : QStringList{"開発用PCリース", "自社", "15,000", "2", ""},
                 add);
        const QString before = snapshot(conn());
        Messages::clearShown();
        control<QComboBox>(e, boxes.first())->setCurrentIndex(-1);
        enterRow(e, boxes, row, add);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title + u':' + Messages::last().text, message);
        QCOMPARE(control<QTreeWidget>(e, members ? "lvwMList" : "lvwEList")->topLevelItemCount(), 1);
        QCOMPARE(snapshot(conn()), before);
    }

    // A member with assigned work in this project can be neither removed nor replaced; one with
    // work in another project only can go.
    void assignedMemberIsProtected()
    {
        QWidget* e = open(2, 1);
        auto* list = control<QTreeWidget>(e, "lvwMList");
        clickRow(list, 0); // 佐藤 健一, assigned
        QCOMPARE(texts(e, {"cmbMember", "txtMembOccu"}), (QStringList{"佐藤 健一", "80"}));
        clickButton(e, "cmdMembDel");
        COMPARE_LAST_MESSAGE(u"使用済み"_s, u"指定のメンバは既に作業分担されています。削除できません。"_s,
                             Messages::Exclamation);
        enterRow(e, kMemberBoxes, {"田中 優子", "", "4,500", "200", "60"}, u"cmdMembUp"_s);
        COMPARE_LAST_MESSAGE(u"使用済み"_s, u"更新前のメンバが既に作業分担されています。更新できません。"_s,
                             Messages::Exclamation);
        QCOMPARE(rowTexts(list, 0).first(), u"佐藤 健一"_s);

        // The hours and the cost of the same member may change.
        enterRow(e, kMemberBoxes, {"佐藤 健一", "", "7,000", "220", "60"}, u"cmdMembUp"_s);
        QCOMPARE(rowTexts(list, 0), (QStringList{"佐藤 健一", "PM", "7,000", "220", "60"}));

        // 田中 優子 has work in project 3 only.
        enterRow(e, kMemberBoxes, {"田中 優子", "", "4,500", "40", ""}, u"cmdMembAdd"_s);
        clickRow(list, 5);
        clickButton(e, "cmdMembDel");
        // No neighbour looks chosen while update and delete wait for a click.
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(e, "cmdMembUp")->isEnabled());
        QVERIFY(!control<QPushButton>(e, "cmdMembDel")->isEnabled());

        // The arrows move the chosen row, and the order is saved.
        clickRow(list, 0);
        clickButton(e, "cmdMDown");
        clickButton(e, "cmdMDown");
        QCOMPARE(columnTexts(list),
                 (QStringList{"鈴木 美咲", "高橋 翔", "佐藤 健一", "伊藤 大輔", "渡辺 さくら"}));
        clickButton(e, "cmdOK");
        QCOMPARE(
            rowCount(conn(), u"TMEMBER"_s,
                     u"NPROJECT = 2 AND NADD = 3 AND NMEMBER = 1 AND NMEMBPRI = 7000 AND NMEMBOCCU = 220"_s),
            1);
    }

    // The row's amount follows the figures typed; a typed item is registered once; one item
    // may be listed once bought by the customer and once by anyone else, and only own-company
    // and customer purchases are totalled.
    void expenseItemsAndBuyers()
    {
        QWidget* e = open(0, 5);
        auto* list = control<QTreeWidget>(e, "lvwEList");
        pick(control<QComboBox>(e, "cmbItem"), u"開発用PCリース"_s);
        QCOMPARE(controlText(e, "txtApiece"), u"15,000"_s);
        typeInto(e, "txtApiece", u"12000"_s);
        typeInto(e, "txtNum", u"3"_s);
        typeInto(e, "txtDiscP", u"1000"_s);
        QCOMPARE(controlText(e, "lblPriceP"), u"35,000"_s);
        // Found by its own name, not the order amount's label on the first tab.
        QCOMPARE(controlText(e, "lblPrice"), u"金額"_s);
        clickButton(e, "cmdExpAdd");
        QCOMPARE(rowTexts(list, 0),
                 (QStringList{"開発用PCリース", "自社", "12,000", "3", "1,000", "35,000"}));
        // The master unit price follows the last price entered.
        QVERIFY(masterRows(u"MITEM"_s).contains(u"MITEM|1|開発用PCリース|12000|1"_s));

        enterRow(e, kExpenseBoxes, {">検証用サーバ 'B'", "顧客", "98,000", "1", ""}, u"cmdExpAdd"_s);
        QVERIFY(masterRows(u"MITEM"_s).contains(u"MITEM|5|検証用サーバ 'B'|98000|5"_s));
        enterRow(e, kExpenseBoxes, {">SSLサーバ証明書 ", "自社", "48,000", "2", ""}, u"cmdExpAdd"_s);
        QCOMPARE(masterRows(u"MITEM"_s).size(), 5);
        QVERIFY(masterRows(u"MITEM"_s).contains(u"MITEM|3|SSLサーバ証明書|48000|3"_s));
        enterRow(e, kExpenseBoxes, {"SSLサーバ証明書", "顧客", "48,000", "1", ""}, u"cmdExpAdd"_s);
        enterRow(e, kExpenseBoxes, {"クラウド検証環境", "その他", "30,000", "1", ""}, u"cmdExpAdd"_s);
        QCOMPARE(rowKeys(list), (QStringList{"E0001O", "E0005C", "E0003O", "E0003C", "E0004O"}));
        QCOMPARE(texts(e, {"lblExpense_0", "lblExpense_1"}), (QStringList{"131,000", "146,000"}));
    }

    // The quantity scroll runs downwards from 32767 and keeps the quantity within 1 to 32767.
    void quantity_data()
    {
        addColumns<QString, QString, int, QString>({"typed", "shown", "scroll", "price"});
        QTest::newRow("5") << u"5"_s << u"5"_s << 32763 << u"5"_s;
        QTest::newRow("cleared") << QString() << u"1"_s << 32767 << u"1"_s;
        QTest::newRow("0") << u"0"_s << u"1"_s << 32767 << u"1"_s;
        QTest::newRow("beyond 32767") << u"40000"_s << u"32767"_s << 1 << u"32,767"_s;
    }
    void quantity()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, scroll);
        QFETCH(QString, price);
        QWidget* e = open(0, 5);
        auto* number = control<QLineEdit>(e, "txtNum");
        auto* bar = control<QScrollBar>(e, "vsrNum");
        QCOMPARE(number->text(), u"1"_s);
        setText(e, "txtApiece", u"1"_s);
        number->setText(typed);
        QCOMPARE(number->text(), shown);
        QCOMPARE(bar->value(), scroll);
        QCOMPARE(controlText(e, "lblPriceP"), price); // at a unit price of 1
        // The up arrow raises the quantity.
        number->setText(u"7"_s);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(number->text(), u"8"_s);
    }

    // Leaving a box groups an amount's digits; a count (quantity, hours) stays as typed.
    void leavingABox_data()
    {
        addColumns<int, QString, QString>({"tab", "box", "shown"});
        QTest::newRow("unit price") << 5 << u"txtApiece"_s << u"1,234"_s;
        QTest::newRow("quantity") << 5 << u"txtNum"_s << u"1234"_s;
        QTest::newRow("member cost") << 1 << u"txtMembPri"_s << u"1,234"_s;
        QTest::newRow("occupied hours") << 1 << u"txtMembOccu"_s << u"1234"_s;
        QTest::newRow("indirect hours") << 1 << u"txtIndirect"_s << u"1234"_s;
    }
    void leavingABox()
    {
        QFETCH(int, tab);
        QFETCH(QString, box);
        QFETCH(QString, shown);
        QWidget* e = open(0, tab);
        QApplication::setActiveWindow(e);
        QTRY_VERIFY(e->isActiveWindow());
        typeInto(e, box, u"1234"_s);
        QVERIFY(control<QLineEdit>(e, box)->hasFocus());
        control<QWidget>(e, tab == 5 ? "cmbBuy" : "cmbMKind")->setFocus();
        QCOMPARE(controlText(e, box), shown);
    }

    void expenseUpdateAndDelete()
    {
        QWidget* e = open(2, 5);
        DbConnection& c = conn();
        auto* list = control<QTreeWidget>(e, "lvwEList");
        clickRow(list, 1); // 検証用ハンディターミナル, 顧客, 85,000 x 4 - 20,000
        QCOMPARE(texts(e, {"cmbItem", "cmbBuy", "txtNum", "lblPriceP"}),
                 (QStringList{"検証用ハンディターミナル", "顧客", "4", "320,000"}));
        enterRow(e, kExpenseBoxes, {"", "自社", "85,000", "2", "0"}, u"cmdExpUp"_s);
        QCOMPARE(rowTexts(list, 1),
                 (QStringList{"検証用ハンディターミナル", "自社", "85,000", "2", "0", "170,000"}));
        QCOMPARE(texts(e, {"lblExpense_0", "lblExpense_1"}), (QStringList{"470,000", "45,000"}));
        // The update remembered the new key: a second update acts on the same row.
        enterRow(e, kExpenseBoxes, {"", "", "85,000", "3", "0"}, u"cmdExpUp"_s);
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(rowTexts(list, 1).last(), u"255,000"_s);

        const QStringList items = masterRows(u"MITEM"_s);
        clickButton(e, "cmdExpDel");
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!control<QPushButton>(e, "cmdExpUp")->isEnabled());
        QCOMPARE(masterRows(u"MITEM"_s), items);
        QCOMPARE(controlText(e, "lblExpense_0"), u"300,000"_s);

        clickRow(list, 2);
        clickButton(e, "cmdEUp");
        QCOMPARE(columnTexts(list), (QStringList{"開発用PCリース", "クラウド検証環境", "SSLサーバ証明書"}));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NITEM AS V FROM TEXPENSE WHERE NPROJECT = 2 AND NADD = 2"_s).toInt(), 4);
        QCOMPARE(rowCount(c, u"TEXPENSE"_s, u"NPROJECT = 2"_s), 3);
    }

    // The proposal prices copyright and warranty by their levels' coefficients on the work, and
    // meetings by the months of the schedule; a free option keeps its price and counts in the
    // total. Once prices are set, a second proposal asks first.
    void contractProposal_data()
    {
        addColumns<QString, QString, QStringList, QStringList>({"write", "flaw", "dates", "prices"});
        const QStringList span{"2003/04/15", "2003/06/30", "2003/09/01"};
        QTest::newRow("1.10 and 1.05 on 1,234,567, five months")
            << u"顧客譲渡"_s << u"1年"_s << span << QStringList{"123,000", "61,000", "100,000", "284,007"};
        QTest::newRow("no valid date") << u"共有"_s << u"2年"_s << QStringList{"2003/02/30", ""}
                                       << QStringList{"61,000", "123,000", "0", "184,007"};
    }
    void contractProposal()
    {
        QFETCH(QString, write);
        QFETCH(QString, flaw);
        QFETCH(QStringList, dates);
        QFETCH(QStringList, prices);
        setWorkTotal(conn(), 1234567);
        QWidget* e = open(4, 2);
        for (int i = 0; i < 8; ++i) {
            setText(e, u"txtDate_%1"_s.arg(i),
                    i % 3 == 0 && i / 3 < dates.size() ? dates.at(i / 3) : QString());
        }
        showTab(e, 3);
        pick(control<QComboBox>(e, "cmbWrite"), write);
        pick(control<QComboBox>(e, "cmbFlaw"), flaw);
        setText(e, "txtContOpt_0", u"自由"_s);
        setText(e, "txtOptPri_0", u"7"_s);
        clickButton(e, "cmdContract");
        QVERIFY(Messages::shown().isEmpty()); // every price was 0: nothing to overwrite
        QCOMPARE(
            texts(e, {"txtWritePri", "txtFlawPri", "txtMeetPri", "lblContract", "txtInstPri", "txtOptPri_0"}),
            (prices + QStringList{"0", "7"}));
        proposalAsksBeforeOverwriting(e, u"cmdContract"_s, u"txtWritePri"_s, prices.first());
    }

    // A free option or deliverable counts and is saved only while it has a name; the format mark
    // counts only for a delivered row.
    void freeRowsAndFormatMarks()
    {
        QWidget* e = open(4, 3);
        auto* price = control<QLineEdit>(e, "txtOptPri_1");
        QVERIFY(!price->isEnabled());
        setText(e, "txtContOpt_1", u"データ移行"_s);
        QVERIFY(price->isEnabled() && control<QLineEdit>(e, "txtOpt_1")->isEnabled());
        price->setText(u"12,000"_s);
        QCOMPARE(controlText(e, "lblContract"), u"12,000"_s);
        setText(e, "txtContOpt_1", QString());
        QVERIFY(!price->isEnabled());
        QCOMPARE(texts(e, {"txtOptPri_1", "lblContract"}), (QStringList{"12,000", "0"}));

        showTab(e, 4);
        auto* delivered = control<QCheckBox>(e, "chkDeliv_2");
        auto* format = control<QCheckBox>(e, "chkFmt_2");
        QVERIFY(!format->isEnabled());
        delivered->click();
        QVERIFY(format->isEnabled());
        format->click();
        delivered->click();
        QVERIFY(!format->isEnabled());
        QVERIFY(format->isChecked()); // the mark stays
        setText(e, "txtDelPri_10", u"9,000"_s);
        QCOMPARE(controlText(e, "lblDelPri"), u"0"_s);
        setText(e, "txtDeliv_10", u"移行手順書"_s);
        setText(e, "txtDelPri_3", u"1,000"_s);
        QCOMPARE(controlText(e, "lblDelPri"), u"10,000"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(rowCount(conn(), u"TCONTRACT"_s, u"NPROJECT = 4"_s), 6);
        QCOMPARE(rowCount(conn(), u"TDELIV"_s, u"NPROJECT = 4"_s), 9);
        QCOMPARE(rowCount(conn(), u"TDELIV"_s, u"NPROJECT = 4 AND NADD = 3 AND CFMT = '1' AND CHAVE = '0'"_s),
                 1);
        QCOMPARE(rowCount(conn(), u"TDELIV"_s, u"NPROJECT = 4 AND NADD = 11 AND CDELIV = '移行手順書'"_s), 1);
    }

    // The proposal prices each delivered row by its own kind's coefficients on the work, also
    // with a gap in the kind codes; an undelivered row gets nothing, whatever its format mark.
    // Stored rows whose kind lost its label (a member's job kind, an expense's buyer, a
    // deliverable's kind) are shown, counted nowhere and saved back; such a deliverable, having
    // no coefficients, keeps its price through a proposal, as a free row does.
    void deliverableProposal()
    {
        DbConnection& c = conn();
        ExecSql(c, u"INSERT INTO TMEMBER VALUES (4, 1, 2, 9, 5500, 100, 10)"_s);
        ExecSql(c, u"INSERT INTO TEXPENSE VALUES (4, 1, 3, 5, 45000, 1, 0, 45000)"_s);
        ExecSql(c, u"DELETE MDIV WHERE NDID = 8 AND (NVAL = 3 OR NVAL = 8)"_s);
        ExecSql(c, u"DELETE TDELIV WHERE NVAL = 3"_s);
        ExecSql(c, u"UPDATE TDELIV SET CHAVE = '1', NPRI = 4000 WHERE NPROJECT = 4 AND NVAL = 8"_s);
        setWorkTotal(c, 1234567);
        QWidget* e = open(4, 4);
        QCOMPARE(texts(e, {"lblDeliv_0", "lblDeliv_2", "txtDelPri_6", "lblDelPri"}),
                 (QStringList{"要件定義書", "ソースコード", "4,000", "4,000"}));
        QVERIFY(control<QCheckBox>(e, "chkDeliv_6")->isChecked());
        QCOMPARE(rowTexts(control<QTreeWidget>(e, "lvwMList"), 0),
                 (QStringList{"鈴木 美咲", "", "5,500", "100", "10"}));
        QCOMPARE(rowTexts(control<QTreeWidget>(e, "lvwEList"), 0),
                 (QStringList{"SSLサーバ証明書", "", "45,000", "1", "0", "45,000"}));
        QCOMPARE(controlText(e, "lblExpense_0"), u"0"_s);
        for (const char* box : {"chkDeliv_0", "chkFmt_0", "chkDeliv_1", "chkFmt_1", "chkDeliv_2"}) {
            control<QCheckBox>(e, box)->setChecked(true);
        }
        control<QCheckBox>(e, "chkDeliv_1")->setChecked(false);
        setText(e, "txtDeliv_12", u"自由"_s);
        setText(e, "txtDelPri_12", u"5"_s);
        clickButton(e, "cmdDeliv");
        QVERIFY(Messages::shown().isEmpty()); // no price the proposal would overwrite
        // 要件定義書 in the customer's format: 1.05; ソースコード delivered: 1.02; place 3.
        QCOMPARE(texts(e, {"txtDelPri_0", "txtDelPri_1", "txtDelPri_2", "txtDelPri_6", "txtDelPri_12"}),
                 (QStringList{"61,000", "0", "24,000", "4,000", "5"}));
        proposalAsksBeforeOverwriting(e, u"cmdDeliv"_s, u"txtDelPri_0"_s, u"61,000"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NVAL AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"_s).toInt(), 4);
        QCOMPARE(scalar(c, u"SELECT NPRI AS V FROM TDELIV WHERE NPROJECT = 4 AND NVAL = 8"_s).toDouble(),
                 4000.0);
        QCOMPARE(scalar(c, u"SELECT NMKIND AS V FROM TMEMBER WHERE NPROJECT = 4"_s).toInt(), 9);
        QCOMPARE(scalar(c, u"SELECT NBUY AS V FROM TEXPENSE WHERE NPROJECT = 4"_s).toInt(), 5);
    }

    void invalidDateIsQuestioned_data()
    {
        addColumns<QString, int>({"text", "answer"}); // answer 0: nothing is asked
        QTest::newRow("no date, back to the box") << u"2003/02/30"_s << int(QMessageBox::Yes);
        QTest::newRow("no date, left as it is") << u"2003/02/30"_s << int(QMessageBox::No);
        QTest::newRow("valid") << u"2003/02/28"_s << 0;
        QTest::newRow("before SQL Server's first date") << u"1752/12/31"_s << int(QMessageBox::Yes);
        QTest::newRow("SQL Server's first date") << u"1753/01/01"_s << 0;
        QTest::newRow("the last date") << u"9999/12/31"_s << 0;
        QTest::newRow("empty") << QString() << 0;
    }
    void invalidDateIsQuestioned()
    {
        QFETCH(QString, text);
        QFETCH(int, answer);
        QWidget* e = open(0, 2);
        QApplication::setActiveWindow(e);
        auto* box = control<QLineEdit>(e, "txtDate_2");
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->setText(text);
        if (answer != 0) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        control<QLineEdit>(e, "txtDate_3")->setFocus();
        QTest::qWait(20);
        if (answer != 0) {
            COMPARE_LAST_MESSAGE(u"確認"_s, u"日付として不正です。確認してください。"_s,
                                 Messages::Exclamation);
            QTRY_COMPARE(box->hasFocus(), answer == QMessageBox::Yes);
        } else {
            QVERIFY(Messages::shown().isEmpty());
        }
        QCOMPARE(box->text(), text);
    }

    // Saving straight from a box with no valid date asks first: on Yes nothing is saved and the box
    // has the focus again, with the stored date untouched; on No the save goes on without it.
    void invalidDateAtSave_data()
    {
        addColumns<int>({"answer"});
        QTest::newRow("back to the box") << int(QMessageBox::Yes);
        QTest::newRow("saved without it") << int(QMessageBox::No);
    }
    void invalidDateAtSave()
    {
        QFETCH(int, answer);
        QWidget* e = open(2, 2);
        QApplication::setActiveWindow(e);
        auto* box = control<QLineEdit>(e, "txtDate_2");
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->setText(u"2025/02/30"_s);
        const QString before = snapshot(conn());
        Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        QTest::mouseClick(control<QPushButton>(e, "cmdOK"), Qt::LeftButton);
        QCOMPARE(Messages::shown().size(), 1);
        COMPARE_LAST_MESSAGE(u"確認"_s, u"日付として不正です。確認してください。"_s, Messages::Exclamation);
        const QString stored = u"NPROJECT = 2 AND NFUNCTION = 0 AND NDKIND = 3"_s;
        if (answer == QMessageBox::Yes) {
            QVERIFY(e->isVisible());
            QTRY_VERIFY(box->hasFocus());
            QCOMPARE(box->text(), u"2025/02/30"_s);
            QCOMPARE(snapshot(conn()), before);
            QCOMPARE(rowCount(conn(), u"TDATE"_s, stored), 1);
        } else {
            QVERIFY(!e->isVisible());
            QCOMPARE(rowCount(conn(), u"TDATE"_s, stored), 0);
        }
        // The check queued as the box lost the focus asks nothing more.
        QCoreApplication::processEvents();
        QCOMPARE(Messages::shown().size(), 1);
    }

    // Every text box holds what its column holds: a pasted outline is cut at its 2,000
    // characters, and a name that reaches its 100 with an emoji keeps the emoji whole, so the
    // save goes through with both.
    void textsFitTheirColumns()
    {
        QWidget* e = open(2, 0);
        setText(e, "txtOutLine", QString(2001, QChar(0x6982)));
        QCOMPARE(controlText(e, "txtOutLine").size(), 2000);
        auto* name = control<QLineEdit>(e, "txtPName");
        name->setText(QString(99, QChar(0x540D)));
        name->end(false);
        name->insert(u"😀😀"_s); // a paste
        QCOMPARE(name->text(), QString(99, QChar(0x540D)) + u"😀"_s);
        clickButton(e, "cmdOK");
        QVERIFY(Messages::shown().isEmpty());
        QVERIFY(!e->isVisible());
        QCOMPARE(scalar(conn(), u"SELECT COUTLINE AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toString(),
                 QString(2000, QChar(0x6982)));
        QCOMPARE(scalar(conn(), u"SELECT CPROJNAME AS V FROM TPROJECT WHERE NPROJECT = 2"_s).toString(),
                 QString(99, QChar(0x540D)) + u"😀"_s);
    }

    // Dates load by process code and are saved under the code they belong to, even when the
    // codes have a gap; a date of one of the project's functions is not one of the project's.
    void datesKeepTheirProcessCodes()
    {
        DbConnection& c = conn();
        ExecSql(c, u"DELETE MDIV WHERE NDID = 7 AND NVAL = 3"_s);
        ExecSql(c, u"INSERT INTO TDATE VALUES (2, 1, 4, Convert(DateTime,'2030/01/31',111))"_s);
        QWidget* e = open(2, 2);
        QCOMPARE(texts(e, {"lblDate_2", "txtDate_2"}), (QStringList{"製造", "2025/07/14"}));
        QVERIFY(!control<QLineEdit>(e, "txtDate_7")->isVisibleTo(e));
        setText(e, "txtDate_2", u"2025/07/15"_s);
        setText(e, "txtDate_1", QString());
        clickButton(e, "cmdOK");
        QCOMPARE(
            scalar(c, u"SELECT DDATE AS V FROM TDATE WHERE NPROJECT = 2 AND NFUNCTION = 0 AND NDKIND = 4"_s)
                .toDate(),
            QDate(2025, 7, 15));
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2 AND NDKIND = 2"_s), 0);
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2"_s), 6);

        // A date no engine may store: one before 1753 is questioned at the save like any other
        // invalid date, and dropped when the user saves without it.
        e = open(2, 2);
        setText(e, "txtDate_2", u"1752/12/31"_s);
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::No);
        clickButton(e, "cmdOK");
        COMPARE_LAST_MESSAGE(u"確認"_s, u"日付として不正です。確認してください。"_s, Messages::Exclamation);
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2 AND NDKIND = 4"_s), 0);
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2"_s), 5);
    }

private:
    AppState& state() { return *m_f.state; }

    QWidget* open(int project, int tab) { return m_f.open(project, tab); }
    DbConnection& conn() { return m_f.state->conn(); }
    // The rows of a master table, as the snapshot shows them.
    QStringList masterRows(const QString& table)
    {
        return snapshot(conn()).split(u'\n').filter(table + u'|');
    }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
