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
        control<QLineEdit>(e, QStringLiteral("txtDate_%1").arg(i))->clear();
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
        QCOMPARE(control<QComboBox>(e, "cmbFlaw")->currentText(), QStringLiteral("1年"));
        QCOMPARE(control<QLineEdit>(e, "txtFlaw")->text(), QStringLiteral("検収後1年"));
        QCOMPARE(control<QLineEdit>(e, "txtFlawPri")->text(), QStringLiteral("264,000"));
        QCOMPARE(control<QComboBox>(e, "cmbMeet")->currentText(), QStringLiteral("月1回"));
        QCOMPARE(control<QLineEdit>(e, "txtContOpt_0")->text(), QStringLiteral("データ移行支援"));
        QVERIFY(control<QLineEdit>(e, "txtOptPri_0")->isEnabled());
        QVERIFY(!control<QLineEdit>(e, "txtOptPri_1")->isEnabled());
        QVERIFY(!control<QLineEdit>(e, "txtOpt_1")->isEnabled());
        QCOMPARE(control<QLineEdit>(e, "txtOptPri_1")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), QStringLiteral("967,000"));
    }

    void newProjectDefaults()
    {
        QWidget* e = open(0, 3);
        for (const char* name : {"cmbWrite", "cmbFlaw", "cmbInst", "cmbMainte", "cmbEducat"}) {
            QCOMPARE(control<QComboBox>(e, QString::fromLatin1(name))->currentIndex(), 0);
        }
        QCOMPARE(control<QComboBox>(e, "cmbMeet")->currentText(), QStringLiteral("月1回"));
        for (const char* name :
             {"txtWritePri", "txtFlawPri", "txtInstPri", "txtMaintePri", "txtEducatPri", "txtMeetPri"}) {
            auto* box = control<QLineEdit>(e, QString::fromLatin1(name));
            QCOMPARE(box->text(), QStringLiteral("0"));
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
        name->setText(QStringLiteral("データ移行"));
        QVERIFY(price->isEnabled());
        QVERIFY(control<QLineEdit>(e, "txtOpt_1")->isEnabled());
        price->setText(QStringLiteral("12,000"));
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), QStringLiteral("12,000"));
        name->clear();
        QVERIFY(!price->isEnabled());
        QCOMPARE(price->text(), QStringLiteral("12,000"));
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), QStringLiteral("0"));
        clickButton(e, "cmdOK");
        QCOMPARE(rowCount(m_f.state->conn(), QStringLiteral("TCONTRACT"), QStringLiteral("NPROJECT = 4")), 6);
    }

    void contractProposal_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("flaw");
        QTest::addColumn<QStringList>("dates");
        QTest::addColumn<QString>("writePrice");
        QTest::addColumn<QString>("flawPrice");
        QTest::addColumn<QString>("meetPrice");
        const QStringList span{"2003/04/15", "2003/06/30", "2003/09/01"};
        QTest::newRow("1.10 and 1.05 on 1,234,567, five months")
            << QStringLiteral("顧客譲渡") << QStringLiteral("1年") << span << QStringLiteral("123,000")
            << QStringLiteral("61,000") << QStringLiteral("100,000");
        QTest::newRow("default levels, one date")
            << QStringLiteral("当社保有") << QStringLiteral("6ヶ月") << QStringList{"2003/04/15"}
            << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("0");
        QTest::newRow("no valid date")
            << QStringLiteral("共有") << QStringLiteral("2年") << QStringList{"2003/02/30", ""}
            << QStringLiteral("61,000") << QStringLiteral("123,000") << QStringLiteral("0");
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
            control<QLineEdit>(e, QStringLiteral("txtDate_%1").arg(i * 3))->setText(dates.at(i));
        }
        showTab(e, 3);
        pick(control<QComboBox>(e, "cmbWrite"), write);
        pick(control<QComboBox>(e, "cmbFlaw"), flaw);
        control<QLineEdit>(e, "txtContOpt_0")->setText(QStringLiteral("自由"));
        control<QLineEdit>(e, "txtOptPri_0")->setText(QStringLiteral("7"));
        clickButton(e, "cmdContract");
        QVERIFY(Messages::shown().isEmpty()); // every price was 0: nothing to overwrite
        QCOMPARE(control<QLineEdit>(e, "txtWritePri")->text(), writePrice);
        QCOMPARE(control<QLineEdit>(e, "txtFlawPri")->text(), flawPrice);
        QCOMPARE(control<QLineEdit>(e, "txtInstPri")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLineEdit>(e, "txtMeetPri")->text(), meetPrice);
        QCOMPARE(control<QLineEdit>(e, "txtOptPri_0")->text(), QStringLiteral("7"));
        const double total = NumberOrZero(writePrice) + NumberOrZero(flawPrice) + NumberOrZero(meetPrice) + 7;
        QCOMPARE(control<QLabel>(e, "lblContract")->text(), FormatAmount(total));
    }

    void proposalAsksBeforeOverwriting_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::newRow("contract") << QStringLiteral("cmdContract") << QStringLiteral("txtWritePri");
        QTest::newRow("deliverables") << QStringLiteral("cmdDeliv") << QStringLiteral("txtDelPri_0");
    }
    void proposalAsksBeforeOverwriting()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        setWorkTotal(m_f.state->conn(), 1000000);
        QWidget* e = open(4, button == QLatin1String("cmdContract") ? 3 : 4);
        pick(control<QComboBox>(e, "cmbWrite"), QStringLiteral("顧客譲渡"));
        control<QCheckBox>(e, "chkDeliv_0")->setChecked(true);
        control<QLineEdit>(e, box)->setText(QStringLiteral("5,000"));
        Messages::setNextAnswer(QMessageBox::Cancel);
        clickButton(e, button);
        COMPARE_LAST_MESSAGE(QStringLiteral("確認"),
                             QStringLiteral("設定済みの価格を上書きします。よろしいですか？"),
                             Messages::Question);
        QCOMPARE(control<QLineEdit>(e, box)->text(), QStringLiteral("5,000"));
        Messages::setNextAnswer(QMessageBox::Ok);
        clickButton(e, button);
        QCOMPARE(control<QLineEdit>(e, box)->text(),
                 box == QLatin1String("txtWritePri") ? QStringLiteral("100,000") : QStringLiteral("30,000"));
    }

    // The surcharge is (coefficient - 1) in exact hundredths.
    void proposalIsExact()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, QStringLiteral("UPDATE MDIV SET NCOEF = 1.15 WHERE NDID = 12 AND NVAL = 2"));
        setWorkTotal(c, 1000000);
        QWidget* e = open(4, 3);
        pick(control<QComboBox>(e, "cmbMainte"), QStringLiteral("平日日中"));
        clickButton(e, "cmdContract");
        QCOMPARE(control<QLineEdit>(e, "txtMaintePri")->text(), QStringLiteral("150,000"));
    }

    void newProjectProposesFromNoWork()
    {
        setWorkTotal(m_f.state->conn(), 1000000);
        QWidget* e = open(0, 3);
        pick(control<QComboBox>(e, "cmbWrite"), QStringLiteral("顧客譲渡"));
        clickButton(e, "cmdContract");
        QCOMPARE(control<QLineEdit>(e, "txtWritePri")->text(), QStringLiteral("0"));
    }

    void deliverablesLoad()
    {
        QWidget* e = open(2, 4);
        QCOMPARE(control<QLabel>(e, "lblDeliv_0")->text(), QStringLiteral("要件定義書"));
        QVERIFY(control<QCheckBox>(e, "chkDeliv_0")->isChecked());
        QVERIFY(!control<QCheckBox>(e, "chkFmt_0")->isChecked());
        QVERIFY(control<QCheckBox>(e, "chkFmt_1")->isChecked());
        QVERIFY(!control<QCheckBox>(e, "chkFmt_2")->isEnabled());
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_1")->text(), QStringLiteral("422,000"));
        QVERIFY(!control<QLineEdit>(e, "txtDeliv_0")->isVisible());
        QVERIFY(!control<QLabel>(e, "lblDeliv_8")->isVisible());
        QVERIFY(!control<QCheckBox>(e, "chkDeliv_8")->isVisible());
        QCOMPARE(control<QLineEdit>(e, "txtDeliv_8")->text(), QStringLiteral("データ移行手順書"));
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_8")->text(), QStringLiteral("150,000"));
        QVERIFY(!control<QLineEdit>(e, "txtDelPri_9")->isEnabled());
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("1,256,000"));
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
        price->setText(QStringLiteral("9,000"));
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("0"));
        name->setText(QStringLiteral("移行手順書"));
        QVERIFY(price->isEnabled());
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("9,000"));
        control<QLineEdit>(e, "txtDelPri_3")->setText(QStringLiteral("1,000"));
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("10,000"));
        clickButton(e, "cmdOK");
        DbConnection& c = m_f.state->conn();
        QCOMPARE(rowCount(c, QStringLiteral("TDELIV"), QStringLiteral("NPROJECT = 4")), 9);
        QCOMPARE(scalar(c, QStringLiteral("SELECT CFMT AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"))
                     .toString(),
                 QStringLiteral("1"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT CHAVE AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3"))
                     .toString(),
                 QStringLiteral("0"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT CDELIV AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 11"))
                     .toString(),
                 QStringLiteral("移行手順書"));
    }

    void deliverableProposal_data()
    {
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<bool>("format");
        QTest::addColumn<QString>("price");
        // 要件定義書: NCOEF 1.03, NCOEF2 1.00, NCOEF3 1.05 on 1,234,567, place 3.
        QTest::newRow("delivered") << true << false << QStringLiteral("37,000");
        QTest::newRow("delivered in the customer's format") << true << true << QStringLiteral("61,000");
        QTest::newRow("not delivered, format mark left") << false << true << QStringLiteral("0");
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
        control<QLineEdit>(e, "txtDeliv_12")->setText(QStringLiteral("自由"));
        control<QLineEdit>(e, "txtDelPri_12")->setText(QStringLiteral("5"));
        clickButton(e, "cmdDeliv");
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_0")->text(), price);
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_12")->text(), QStringLiteral("5"));
    }

    // With a gap in the kind codes each row still takes its own kind's coefficients.
    void deliverableProposalFollowsTheKindCode()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, QStringLiteral("DELETE MDIV WHERE NDID = 8 AND NVAL = 3"));
        ExecSql(c, QStringLiteral("DELETE TDELIV WHERE NVAL = 3"));
        setWorkTotal(c, 1234567);
        QWidget* e = open(4, 4);
        QCOMPARE(control<QLabel>(e, "lblDeliv_2")->text(), QStringLiteral("ソースコード"));
        control<QCheckBox>(e, "chkDeliv_2")->setChecked(true);
        clickButton(e, "cmdDeliv");
        // ソースコード delivered: 1.02.
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_2")->text(), QStringLiteral("24,000"));
        clickButton(e, "cmdOK");
        QCOMPARE(
            scalar(c, QStringLiteral("SELECT NVAL AS V FROM TDELIV WHERE NPROJECT = 4 AND NADD = 3")).toInt(),
            4);
    }

    // A stored deliverable whose kind left the division keeps a row and is saved back; having
    // no coefficients, it keeps its price through a proposal.
    void deliverableOfARemovedKindIsKept()
    {
        DbConnection& c = m_f.state->conn();
        ExecSql(c, QStringLiteral("DELETE MDIV WHERE NDID = 8 AND NVAL = 8"));
        ExecSql(c,
                QStringLiteral("UPDATE TDELIV SET CHAVE = '1', NPRI = 4000 WHERE NPROJECT = 4 AND NVAL = 8"));
        setWorkTotal(c, 1234567);
        QWidget* e = open(4, 4);
        QVERIFY(control<QCheckBox>(e, "chkDeliv_7")->isChecked());
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_7")->text(), QStringLiteral("4,000"));
        QCOMPARE(control<QLabel>(e, "lblDelPri")->text(), QStringLiteral("4,000"));
        clickButton(e, "cmdDeliv");
        QVERIFY(Messages::shown().isEmpty()); // no price the proposal would overwrite
        QCOMPARE(control<QLineEdit>(e, "txtDelPri_7")->text(), QStringLiteral("4,000"));
        clickButton(e, "cmdOK");
        QCOMPARE(scalar(c, QStringLiteral("SELECT NPRI AS V FROM TDELIV WHERE NPROJECT = 4 AND NVAL = 8"))
                     .toDouble(),
                 4000.0);
    }

    void typingADate()
    {
        QWidget* e = open(0, 2);
        auto* box = control<QLineEdit>(e, "txtDate_1");
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("2003"));
        QCOMPARE(box->text(), QStringLiteral("2003/"));
        QTest::keyClicks(box, QStringLiteral("12x24"));
        QCOMPARE(box->text(), QStringLiteral("2003/12/24"));
    }

    void invalidDateIsQuestioned_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::newRow("no date, back to the box")
            << QStringLiteral("2003/02/30") << int(QMessageBox::Yes) << true;
        QTest::newRow("no date, left as it is")
            << QStringLiteral("2003/02/30") << int(QMessageBox::No) << true;
        QTest::newRow("valid") << QStringLiteral("2003/02/28") << 0 << false;
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
            COMPARE_LAST_MESSAGE(QStringLiteral("確認"),
                                 QStringLiteral("日付として不正です。確認してください。"),
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
        ExecSql(c, QStringLiteral("DELETE MDIV WHERE NDID = 7 AND NVAL = 3"));
        QWidget* e = open(2, 2);
        QCOMPARE(control<QLabel>(e, "lblDate_2")->text(), QStringLiteral("製造"));
        QCOMPARE(control<QLineEdit>(e, "txtDate_2")->text(), QStringLiteral("2025/07/14"));
        QVERIFY(!control<QLineEdit>(e, "txtDate_7")->isVisibleTo(e));
        control<QLineEdit>(e, "txtDate_2")->setText(QStringLiteral("2025/07/15"));
        control<QLineEdit>(e, "txtDate_1")->clear();
        clickButton(e, "cmdOK");
        QCOMPARE(
            scalar(c, QStringLiteral(
                          "SELECT DDATE AS V FROM TDATE WHERE NPROJECT = 2 AND NFUNCTION = 0 AND NDKIND = 4"))
                .toDate(),
            QDate(2025, 7, 15));
        QCOMPARE(rowCount(c, QStringLiteral("TDATE"), QStringLiteral("NPROJECT = 2 AND NDKIND = 2")), 0);
        QCOMPARE(rowCount(c, QStringLiteral("TDATE"), QStringLiteral("NPROJECT = 2")), 6);
    }

private:
    QWidget* open(int project, int tab) { return m_f.open(project, tab); }

    EditorFixture m_f;
};

QTEST_MAIN(TestProjectOptions)
#include "test_project_options.moc"
