#include "foundation/code_divisions.h"
#include "foundation/conversions.h"
#include "foundation/messages.h"
#include "project_fixture.h"

#include <QApplication>
#include <QDate>

namespace {

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

} // namespace

// The contract, deliverable and schedule tabs of the project editor.
class TestProjectOptions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup()
    {
        m_f.cleanup();
        ClearDivisionCache();
    }

    // A new project starts at the first level of every option and has no work to propose from.
    void newProjectOptions()
    {
        setWorkTotal(conn(), 1000000);
        QWidget* e = open(0, 3);
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

    // A free option counts and is saved only while it has a name.
    void freeOptions()
    {
        QWidget* e = open(4, 3);
        auto* price = control<QLineEdit>(e, "txtOptPri_1");
        QVERIFY(!price->isEnabled());
        setText(e, "txtContOpt_1", u"データ移行"_s);
        QVERIFY(price->isEnabled());
        QVERIFY(control<QLineEdit>(e, "txtOpt_1")->isEnabled());
        price->setText(u"12,000"_s);
        QCOMPARE(controlText(e, "lblContract"), u"12,000"_s);
        setText(e, "txtContOpt_1", QString());
        QVERIFY(!price->isEnabled());
        QCOMPARE(price->text(), u"12,000"_s);
        QCOMPARE(controlText(e, "lblContract"), u"0"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(rowCount(conn(), u"TCONTRACT"_s, u"NPROJECT = 4"_s), 6);
    }

    // The proposal prices copyright and warranty by their levels' coefficients on the work, and
    // meetings by the months of the schedule; a free option keeps its price.
    void contractProposal_data()
    {
        addColumns<QString, QString, QStringList, QStringList>({"write", "flaw", "dates", "prices"});
        const QStringList span{"2003/04/15", "2003/06/30", "2003/09/01"};
        QTest::newRow("1.10 and 1.05 on 1,234,567, five months")
            << u"顧客譲渡"_s << u"1年"_s << span << QStringList{"123,000", "61,000", "100,000"};
        QTest::newRow("default levels, one date")
            << u"当社保有"_s << u"6ヶ月"_s << QStringList{"2003/04/15"} << QStringList{"0", "0", "0"};
        QTest::newRow("no valid date") << u"共有"_s << u"2年"_s << QStringList{"2003/02/30", ""}
                                       << QStringList{"61,000", "123,000", "0"};
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
        QCOMPARE(texts(e, {"txtWritePri", "txtFlawPri", "txtMeetPri", "txtInstPri", "txtOptPri_0"}),
                 (prices + QStringList{"0", "7"}));
        double total = 7;
        for (const QString& price : prices) {
            total += NumberOrZero(price);
        }
        QCOMPARE(controlText(e, "lblContract"), FormatAmount(total));
    }

    void proposalAsksBeforeOverwriting_data()
    {
        addColumns<QString, QString, QString>({"button", "box", "proposed"});
        QTest::newRow("contract") << u"cmdContract"_s << u"txtWritePri"_s << u"100,000"_s;
        QTest::newRow("deliverables") << u"cmdDeliv"_s << u"txtDelPri_0"_s << u"30,000"_s;
    }
    void proposalAsksBeforeOverwriting()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(QString, proposed);
        setWorkTotal(conn(), 1000000);
        QWidget* e = open(4, button == u"cmdContract"_s ? 3 : 4);
        pick(control<QComboBox>(e, "cmbWrite"), u"顧客譲渡"_s);
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(true);
        setText(e, box, u"5,000"_s);
        Messages::setNextAnswer(QMessageBox::Cancel);
        clickButton(e, button);
        COMPARE_LAST_MESSAGE(u"確認"_s, u"設定済みの価格を上書きします。よろしいですか？"_s,
                             Messages::Question);
        QCOMPARE(controlText(e, box), u"5,000"_s);
        Messages::setNextAnswer(QMessageBox::Ok);
        clickButton(e, button);
        QCOMPARE(controlText(e, box), proposed);
    }

    // The format mark counts only for a delivered row; a free row counts only with a name.
    void deliverableRows()
    {
        QWidget* e = open(4, 4);
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
        QVERIFY(control<QLineEdit>(e, "txtDelPri_10")->isEnabled());
        setText(e, "txtDelPri_3", u"1,000"_s);
        QCOMPARE(controlText(e, "lblDelPri"), u"10,000"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(rowCount(conn(), u"TDELIV"_s, u"NPROJECT = 4"_s), 9);
        QCOMPARE(rowCount(conn(), u"TDELIV"_s, u"NPROJECT = 4 AND NADD = 3 AND CFMT = '1' AND CHAVE = '0'"_s),
                 1);
        QCOMPARE(
            scalar(conn(), u"SELECT CDELIV AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 11"_s).toString(),
            u"移行手順書"_s);
    }

    void deliverableProposal_data()
    {
        addColumns<bool, bool, QString>({"delivered", "format", "price"});
        // 要件定義書: NCOEF 1.03, NCOEF2 1.00, NCOEF3 1.05 on 1,234,567, place 3.
        QTest::newRow("delivered") << true << false << u"37,000"_s;
        QTest::newRow("delivered in the customer's format") << true << true << u"61,000"_s;
        QTest::newRow("not delivered, format mark left") << false << true << u"0"_s;
    }
    void deliverableProposal()
    {
        QFETCH(bool, delivered);
        QFETCH(bool, format);
        QFETCH(QString, price);
        setWorkTotal(conn(), 1234567);
        QWidget* e = open(4, 4);
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(true);
        control<QCheckBox>(e, "chkFmt_0")->setChecked(format);
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(delivered);
        setText(e, "txtDeliv_12", u"自由"_s);
        setText(e, "txtDelPri_12", u"5"_s);
        clickButton(e, "cmdDeliv");
        QCOMPARE(texts(e, {"txtDelPri_0", "txtDelPri_12"}), (QStringList{price, "5"}));
    }

    // With a gap in the kind codes each row still takes its own kind's coefficients. A stored
    // deliverable whose kind left the division keeps a row and is saved back; having no
    // coefficients, it keeps its price through a proposal.
    void deliverableProposalFollowsTheKindCode()
    {
        DbConnection& c = conn();
        ExecSql(c, u"DELETE MDIV WHERE NDID = 8 AND (NVAL = 3 OR NVAL = 8)"_s);
        ExecSql(c, u"DELETE TDELIV WHERE NVAL = 3"_s);
        ExecSql(c, u"UPDATE TDELIV SET CHAVE = '1', NPRI = 4000 WHERE NPROJECT = 4 AND NVAL = 8"_s);
        setWorkTotal(c, 1234567);
        QWidget* e = open(4, 4);
        QCOMPARE(controlText(e, "lblDeliv_2"), u"ソースコード"_s);
        QVERIFY(control<QCheckBox>(e, "chkDeliv_6")->isChecked());
        QCOMPARE(texts(e, {"txtDelPri_6", "lblDelPri"}), (QStringList{"4,000", "4,000"}));
        control<QCheckBox>(e, "chkDeliv_2")->setChecked(true);
        clickButton(e, "cmdDeliv");
        QVERIFY(Messages::shown().isEmpty()); // no price the proposal would overwrite
        // ソースコード delivered: 1.02.
        QCOMPARE(texts(e, {"txtDelPri_2", "txtDelPri_6"}), (QStringList{"24,000", "4,000"}));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NVAL AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"_s).toInt(), 4);
        QCOMPARE(scalar(c, u"SELECT NPRI AS V FROM TDELIV WHERE NPROJECT = 4 AND NVAL = 8"_s).toDouble(),
                 4000.0);
    }

    void invalidDateIsQuestioned_data()
    {
        addColumns<QString, int, bool>({"text", "answer", "asked"});
        QTest::newRow("no date, back to the box") << u"2003/02/30"_s << int(QMessageBox::Yes) << true;
        QTest::newRow("no date, left as it is") << u"2003/02/30"_s << int(QMessageBox::No) << true;
        QTest::newRow("valid") << u"2003/02/28"_s << 0 << false;
        QTest::newRow("empty") << QString() << 0 << false;
    }
    void invalidDateIsQuestioned()
    {
        QFETCH(QString, text);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QWidget* e = open(0, 2);
        QApplication::setActiveWindow(e);
        auto* box = control<QLineEdit>(e, "txtDate_2");
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->setText(text);
        if (asked) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        control<QLineEdit>(e, "txtDate_3")->setFocus();
        QTest::qWait(20);
        if (asked) {
            COMPARE_LAST_MESSAGE(u"確認"_s, u"日付として不正です。確認してください。"_s,
                                 Messages::Exclamation);
            QTRY_COMPARE(box->hasFocus(), answer == QMessageBox::Yes);
        } else {
            QVERIFY(Messages::shown().isEmpty());
        }
        QCOMPARE(box->text(), text);
    }

    // Dates load by process code and are saved under the code they belong to, even when the
    // codes have a gap.
    void datesKeepTheirProcessCodes()
    {
        DbConnection& c = conn();
        ExecSql(c, u"DELETE MDIV WHERE NDID = 7 AND NVAL = 3"_s);
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
    }

private:
    QWidget* open(int project, int tab) { return m_f.open(project, tab); }
    DbConnection& conn() { return m_f.state->conn(); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectOptions)
#include "test_project_options.moc"
