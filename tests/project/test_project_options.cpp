#include "foundation/code_divisions.h"
#include "foundation/conversions.h"
#include "foundation/messages.h"
#include "project_fixture.h"

#include <QApplication>
#include <QDate>
#include <QFocusEvent>

namespace {

// Project 4 of the demo data has no functions of its own: give it one counted function with
// the price given, and one on hold that must not count.
void setWorkTotal(DbConnection& c, double price)
{
    ExecSql(c, QStringLiteral(
                   "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, "
                   "NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES (4, '1', 1, 2, 2, 2, 2, 1, '計測', 0, 100, "
                   "%1, %1)")
                   .arg(price, 0, 'f', 0));
    ExecSql(c, QStringLiteral(
                   "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, "
                   "NDISCOUNT, NHTOTAL, NTOTAL, NPRICE) VALUES (4, NULL, 1, 2, 2, 2, 2, 1, '保留', 0, 10, "
                   "999999, 999999)"));
}

void clearDates(QWidget* e)
{
    for (int i = 0; i < 8; ++i) {
        control<QLineEdit>(e, u"txtDate_%1"_s.arg(i))->clear();
    }
}

} // namespace

class TestProjectOptions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup()
    {
        m_f.cleanup();
        ClearDivisionCache();
    }

    void contractOptionsLoad()
    {
        QWidget* e = open(2, 3);
        QCOMPARE(texts(e, {"cmbFlaw", "txtFlaw", "txtFlawPri", "cmbMeet", "txtContOpt_0"}),
                 (QStringList{u"1年"_s, u"検収後1年"_s, u"264,000"_s, u"月1回"_s, u"データ移行支援"_s}));
        QVERIFY(control<QLineEdit>(e, "txtOptPri_0")->isEnabled());
        QVERIFY(!control<QLineEdit>(e, "txtOptPri_1")->isEnabled());
        QVERIFY(!control<QLineEdit>(e, "txtOpt_1")->isEnabled());
        QCOMPARE(controlText(e, "txtOptPri_1"), u"0"_s);
        QCOMPARE(controlText(e, "lblContract"), u"967,000"_s);
    }

    void newProjectDefaults()
    {
        QWidget* e = open(0, 3);
        for (const char* name : {"cmbWrite", "cmbFlaw", "cmbInst", "cmbMainte", "cmbEducat"}) {
            QCOMPARE(control<QComboBox>(e, QString::fromLatin1(name))->currentIndex(), 0);
        }
        QCOMPARE(controlText(e, "cmbMeet"), u"月1回"_s);
        for (const char* name :
             {"txtWritePri", "txtFlawPri", "txtInstPri", "txtMaintePri", "txtEducatPri", "txtMeetPri"}) {
            auto* box = control<QLineEdit>(e, QString::fromLatin1(name));
            QCOMPARE(box->text(), u"0"_s);
            QVERIFY(box->alignment() & Qt::AlignRight);
        }
    }

    // A free option counts and is saved only while it has a name.
    void freeOptions()
    {
        QWidget* e = open(4, 3);
        auto* name = control<QLineEdit>(e, "txtContOpt_1");
        auto* price = control<QLineEdit>(e, "txtOptPri_1");
        QVERIFY(!price->isEnabled());
        name->setText(u"データ移行"_s);
        QVERIFY(price->isEnabled());
        QVERIFY(control<QLineEdit>(e, "txtOpt_1")->isEnabled());
        price->setText(u"12,000"_s);
        QCOMPARE(controlText(e, "lblContract"), u"12,000"_s);
        name->clear();
        QVERIFY(!price->isEnabled());
        QCOMPARE(price->text(), u"12,000"_s);
        QCOMPARE(controlText(e, "lblContract"), u"0"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(rowCount(m_f.state->conn(), u"TCONTRACT"_s, u"NPROJECT = 4"_s), 6);
    }

    void contractProposal_data()
    {
        addColumns<QString, QString, QStringList, QString, QString, QString>(
            {"write", "flaw", "dates", "writePrice", "flawPrice", "meetPrice"});
        const QStringList span{"2003/04/15", "2003/06/30", "2003/09/01"};
        QTest::newRow("1.10 and 1.05 on 1,234,567, five months")
            << u"顧客譲渡"_s << u"1年"_s << span << u"123,000"_s << u"61,000"_s << u"100,000"_s;
        QTest::newRow("default levels, one date")
            << u"当社保有"_s << u"6ヶ月"_s << QStringList{"2003/04/15"} << u"0"_s << u"0"_s << u"0"_s;
        QTest::newRow("no valid date") << u"共有"_s << u"2年"_s << QStringList{"2003/02/30", ""}
                                       << u"61,000"_s << u"123,000"_s << u"0"_s;
    }
    void contractProposal()
    {
        QFETCH(QString, write);
        QFETCH(QString, flaw);
        QFETCH(QStringList, dates);
        QFETCH(QString, writePrice);
        QFETCH(QString, flawPrice);
        QFETCH(QString, meetPrice);
        setWorkTotal(m_f.state->conn(), 1234567);
        QWidget* e = open(4, 2);
        clearDates(e);
        for (int i = 0; i < dates.size(); ++i) {
            control<QLineEdit>(e, u"txtDate_%1"_s.arg(i * 3))->setText(dates.at(i));
        }
        showTab(e, 3);
        pick(control<QComboBox>(e, "cmbWrite"), write);
        pick(control<QComboBox>(e, "cmbFlaw"), flaw);
        setText(e, "txtContOpt_0", u"自由"_s);
        setText(e, "txtOptPri_0", u"7"_s);
        clickButton(e, "cmdContract");
        QVERIFY(Messages::shown().isEmpty()); // every price was 0: nothing to overwrite
        QCOMPARE(texts(e, {"txtWritePri", "txtFlawPri", "txtInstPri", "txtMeetPri", "txtOptPri_0"}),
                 (QStringList{writePrice, flawPrice, u"0"_s, meetPrice, u"7"_s}));
        const double total = NumberOrZero(writePrice) + NumberOrZero(flawPrice) + NumberOrZero(meetPrice) + 7;
        QCOMPARE(controlText(e, "lblContract"), FormatAmount(total));
    }

    void proposalAsksBeforeOverwriting_data()
    {
        addColumns<QString, QString>({"button", "box"});
        QTest::newRow("contract") << u"cmdContract"_s << u"txtWritePri"_s;
        QTest::newRow("deliverables") << u"cmdDeliv"_s << u"txtDelPri_0"_s;
    }
    void proposalAsksBeforeOverwriting()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        setWorkTotal(m_f.state->conn(), 1000000);
        QWidget* e = open(4, button == QLatin1String("cmdContract") ? 3 : 4);
        pick(control<QComboBox>(e, "cmbWrite"), u"顧客譲渡"_s);
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(true);
        control<QLineEdit>(e, box)->setText(u"5,000"_s);
        Messages::setNextAnswer(QMessageBox::Cancel);
        clickButton(e, button);
        COMPARE_LAST_MESSAGE(u"確認"_s, u"設定済みの価格を上書きします。よろしいですか？"_s,
                             Messages::Question);
        QCOMPARE(control<QLineEdit>(e, box)->text(), u"5,000"_s);
        Messages::setNextAnswer(QMessageBox::Ok);
        clickButton(e, button);
        QCOMPARE(control<QLineEdit>(e, box)->text(),
                 box == QLatin1String("txtWritePri") ? u"100,000"_s : u"30,000"_s);
    }

    void newProjectProposesFromNoWork()
    {
        setWorkTotal(m_f.state->conn(), 1000000);
        QWidget* e = open(0, 3);
        pick(control<QComboBox>(e, "cmbWrite"), u"顧客譲渡"_s);
        clickButton(e, "cmdContract");
        QCOMPARE(controlText(e, "txtWritePri"), u"0"_s);
    }

    void deliverablesLoad()
    {
        QWidget* e = open(2, 4);
        QCOMPARE(controlText(e, "lblDeliv_0"), u"要件定義書"_s);
        QVERIFY(control<QCheckBox>(e, "chkDeliv_0")->isChecked());
        QVERIFY(!control<QCheckBox>(e, "chkFmt_0")->isChecked());
        QVERIFY(control<QCheckBox>(e, "chkFmt_1")->isChecked());
        QVERIFY(!control<QCheckBox>(e, "chkFmt_2")->isEnabled());
        QCOMPARE(controlText(e, "txtDelPri_1"), u"422,000"_s);
        QVERIFY(!control<QLineEdit>(e, "txtDeliv_0")->isVisible());
        QVERIFY(!control<QLabel>(e, "lblDeliv_8")->isVisible());
        QVERIFY(!control<QCheckBox>(e, "chkDeliv_8")->isVisible());
        QCOMPARE(controlText(e, "txtDeliv_8"), u"データ移行手順書"_s);
        QCOMPARE(controlText(e, "txtDelPri_8"), u"150,000"_s);
        QVERIFY(!control<QLineEdit>(e, "txtDelPri_9")->isEnabled());
        QCOMPARE(controlText(e, "lblDelPri"), u"1,256,000"_s);
    }

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
        auto* name = control<QLineEdit>(e, "txtDeliv_10");
        auto* price = control<QLineEdit>(e, "txtDelPri_10");
        price->setText(u"9,000"_s);
        QCOMPARE(controlText(e, "lblDelPri"), u"0"_s);
        name->setText(u"移行手順書"_s);
        QVERIFY(price->isEnabled());
        QCOMPARE(controlText(e, "lblDelPri"), u"9,000"_s);
        setText(e, "txtDelPri_3", u"1,000"_s);
        QCOMPARE(controlText(e, "lblDelPri"), u"10,000"_s);
        clickButton(e, "cmdOK");
        DbConnection& c = m_f.state->conn();
        QCOMPARE(rowCount(c, u"TDELIV"_s, u"NPROJECT = 4"_s), 9);
        QCOMPARE(scalar(c, u"SELECT CFMT AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"_s).toString(),
                 u"1"_s);
        QCOMPARE(scalar(c, u"SELECT CHAVE AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"_s).toString(),
                 u"0"_s);
        QCOMPARE(scalar(c, u"SELECT CDELIV AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 11"_s).toString(),
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
        setWorkTotal(m_f.state->conn(), 1234567);
        QWidget* e = open(4, 4);
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(true);
        control<QCheckBox>(e, "chkFmt_0")->setChecked(format);
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(delivered);
        setText(e, "txtDeliv_12", u"自由"_s);
        setText(e, "txtDelPri_12", u"5"_s);
        clickButton(e, "cmdDeliv");
        QCOMPARE(controlText(e, "txtDelPri_0"), price);
        QCOMPARE(controlText(e, "txtDelPri_12"), u"5"_s);
    }

    // With a gap in the kind codes each row still takes its own kind's coefficients.
    void deliverableProposalFollowsTheKindCode()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, u"DELETE MDIV WHERE NDID = 8 AND NVAL = 3"_s);
        ExecSql(c, u"DELETE TDELIV WHERE NVAL = 3"_s);
        setWorkTotal(c, 1234567);
        QWidget* e = open(4, 4);
        QCOMPARE(controlText(e, "lblDeliv_2"), u"ソースコード"_s);
        control<QCheckBox>(e, "chkDeliv_2")->setChecked(true);
        clickButton(e, "cmdDeliv");
        // ソースコード delivered: 1.02.
        QCOMPARE(controlText(e, "txtDelPri_2"), u"24,000"_s);
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, u"SELECT NVAL AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"_s).toInt(), 4);
    }

    // A stored deliverable whose kind left the division keeps a row and is saved back; having
    // no coefficients, it keeps its price through a proposal.
    void deliverableOfARemovedKindIsKept()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, u"DELETE MDIV WHERE NDID = 8 AND NVAL = 8"_s);
        ExecSql(c, u"UPDATE TDELIV SET CHAVE = '1', NPRI = 4000 WHERE NPROJECT = 4 AND NVAL = 8"_s);
        setWorkTotal(c, 1234567);
        QWidget* e = open(4, 4);
        QVERIFY(control<QCheckBox>(e, "chkDeliv_7")->isChecked());
        QCOMPARE(controlText(e, "txtDelPri_7"), u"4,000"_s);
        QCOMPARE(controlText(e, "lblDelPri"), u"4,000"_s);
        clickButton(e, "cmdDeliv");
        QVERIFY(Messages::shown().isEmpty()); // no price the proposal would overwrite
        QCOMPARE(controlText(e, "txtDelPri_7"), u"4,000"_s);
        clickButton(e, "cmdOK");
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
        auto* other = control<QLineEdit>(e, "txtDate_3");
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->setText(text);
        if (asked) {
            Messages::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        }
        other->setFocus();
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
        DbConnection& c = m_f.state->conn();
        ExecSql(c, u"DELETE MDIV WHERE NDID = 7 AND NVAL = 3"_s);
        QWidget* e = open(2, 2);
        QCOMPARE(controlText(e, "lblDate_2"), u"製造"_s);
        QCOMPARE(controlText(e, "txtDate_2"), u"2025/07/14"_s);
        QVERIFY(!control<QLineEdit>(e, "txtDate_7")->isVisibleTo(e));
        setText(e, "txtDate_2", u"2025/07/15"_s);
        control<QLineEdit>(e, "txtDate_1")->clear();
        clickButton(e, "cmdOK");
        QCOMPARE(
            scalar(c, QStringLiteral(
                          "SELECT DDATE AS V FROM TDATE WHERE NPROJECT = 2 AND NFUNCTION = 0 AND NDKIND = 4"))
                .toDate(),
            QDate(2025, 7, 15));
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2 AND NDKIND = 2"_s), 0);
        QCOMPARE(rowCount(c, u"TDATE"_s, u"NPROJECT = 2"_s), 6);
    }

private:
    QWidget* open(int project, int tab) { return m_f.open(project, tab); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectOptions)
#include "test_project_options.moc"
