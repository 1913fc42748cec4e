#include "../project/project_fixture.h"
#include "foundation/help.h"
#include "foundation/messages.h"
#include "pricing/quotation.h"

namespace {

void setChecks(QWidget* dialog, const QList<Qt::CheckState>& states)
{
    const char* names[] = {"chkBase", "chkWork", "chkOpt", "chkDeliv", "chkExpe0", "chkExpe1"};
    for (int i = 0; i < 6; ++i) {
        control<QCheckBox>(dialog, QString::fromLatin1(names[i]))->setCheckState(states.at(i));
    }
    static_cast<QuotationDialog*>(dialog)->RecalcQuote();
}

} // namespace

class TestQuotation : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup() { m_f.cleanup(); }

    // The figures are those on the editor's screen, saved or not; only the work total comes
    // from the database.
    void figuresFromTheScreen()
    {
        m_f.editor = openProject(*m_f.state, 2);
        QWidget* e = m_f.editor.get();
        setText(e, "txtBase", u"200,000"_s);
        setText(e, "txtWritePri", u"10,000"_s);
        showTab(e, 5);
        pick(control<QComboBox>(e, "cmbItem"), u"クラウド検証環境"_s);
        pick(control<QComboBox>(e, "cmbBuy"), u"顧客"_s);
        clickButton(e, "cmdExpAdd");
        QStringList seen;
        const ModalSteps quotation([&seen](QWidget* modal) {
            auto* d = qobject_cast<QuotationDialog*>(modal);
            QVERIFY(d);
            seen << d->windowTitle() << QString::number(Help::topic(d));
            for (const char* name :
                 {"lblBase", "lblWork", "lblOpt", "lblDeliv", "lblExpe0", "lblExpe1", "lblTotal"}) {
                seen << controlText(d, QString::fromLatin1(name));
            }
            for (const char* name : {"chkBase", "chkWork", "chkOpt", "chkDeliv", "chkExpe0", "chkExpe1"}) {
                seen << QString::number(control<QCheckBox>(d, QString::fromLatin1(name))->checkState());
            }
            seen << control<QLineEdit>(d, "txtDiscount")->text();
            clickButton(d, "cmdCancel");
        });
        clickButton(e, "cmdCalc");
        QVERIFY(quotation.ran());
        QCOMPARE(seen, (QStringList{"計算", "34", "200,000", "5,282,800", "977,000", "1,256,000", "300,000",
                                    "395,000",
                                    // 200,000 + 5,282,800 + 977,000 + 1,256,000 + 395,000 - 800
                                    "8,110,000", "2", "2", "2", "2", "0", "2", "800"}));
        // Cancel changes neither the order amount nor the quotation settings.
        QCOMPARE(controlText(e, "txtPrice"), u"7,970,000"_s);
        QVERIFY(!m_f.state->ProjQuote.Expe0);
        QCOMPARE(m_f.state->ProjQuote.Discount, 800.0);
    }

    void newProjectHasNoWork()
    {
        m_f.editor = openNewProject(*m_f.state, 2);
        QString work;
        const ModalSteps quotation([&work](QWidget* modal) {
            auto* d = qobject_cast<QuotationDialog*>(modal);
            QVERIFY(d);
            work = controlText(d, u"lblWork"_s);
            d->reject();
        });
        clickButton(m_f.editor.get(), "cmdCalc");
        QVERIFY(quotation.ran());
        QCOMPARE(work, u"0"_s);
    }

    void totals_data()
    {
        addColumns<QList<Qt::CheckState>, QString, QString>({"checks", "discount", "total"});
        const auto off = Qt::Unchecked;
        const auto on = Qt::Checked;
        QTest::newRow("nothing ticked, no discount")
            << QList<Qt::CheckState>{off, off, off, off, off, off} << QString() << u"0"_s;
        QTest::newRow("nothing ticked, discount 1,000")
            << QList<Qt::CheckState>{off, off, off, off, off, off} << u"1,000"_s << u"-1,000"_s;
        QTest::newRow("negative discount raises the total")
            << QList<Qt::CheckState>{on, off, off, off, off, off} << u"-500"_s << u"100,500"_s;
        QTest::newRow("grey counts nowhere")
            << QList<Qt::CheckState>{Qt::PartiallyChecked, on, off, off, off, off} << u"0"_s
            << u"5,282,800"_s;
        QTest::newRow("own-company expenses")
            << QList<Qt::CheckState>{off, off, off, off, on, off} << QString() << u"300,000"_s;
    }
    void totals()
    {
        QFETCH(QList<Qt::CheckState>, checks);
        QFETCH(QString, discount);
        QFETCH(QString, total);
        m_f.editor = openProject(*m_f.state, 2);
        QString shown;
        const ModalSteps quotation([&](QWidget* modal) {
            auto* d = qobject_cast<QuotationDialog*>(modal);
            QVERIFY(d);
            setChecks(d, checks);
            control<QLineEdit>(d, "txtDiscount")->setText(discount);
            shown = controlText(d, u"lblTotal"_s);
            d->reject();
        });
        clickButton(m_f.editor.get(), "cmdCalc");
        QVERIFY(quotation.ran());
        QCOMPARE(shown, total);
    }

    void discountUpdatesAtEveryKey()
    {
        m_f.editor = openProject(*m_f.state, 2);
        QStringList totals;
        QString formatted;
        const ModalSteps quotation([&](QWidget* modal) {
            auto* d = qobject_cast<QuotationDialog*>(modal);
            QVERIFY(d);
            setChecks(
                d, {Qt::Checked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked});
            auto* box = control<QLineEdit>(d, "txtDiscount");
            box->setFocus();
            box->selectAll();
            for (const QChar c : u"1500"_s) {
                QTest::keyClick(box, c.toLatin1());
                totals << controlText(d, u"lblTotal"_s);
            }
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(box, &out);
            formatted = box->text();
            d->reject();
        });
        clickButton(m_f.editor.get(), "cmdCalc");
        QVERIFY(quotation.ran());
        QCOMPARE(totals, (QStringList{"99,999", "99,985", "99,850", "98,500"}));
        QCOMPARE(formatted, u"1,500"_s);
    }

    // Only the buyer codes 0 and 1 have a row; a standard deliverable counts with its price
    // whether ticked or not.
    void whatCounts()
    {
        m_f.editor = openProject(*m_f.state, 4);
        QWidget* e = m_f.editor.get();
        setText(e, "txtDelPri_0", u"10,000"_s);
        setText(e, "txtDeliv_15", u"追加資料"_s);
        setText(e, "txtDelPri_15", u"2,000"_s);
        setText(e, "txtDelPri_16", u"99,000"_s); // no name: not counted
        showTab(e, 5);
        pick(control<QComboBox>(e, "cmbItem"), u"クラウド検証環境"_s);
        pick(control<QComboBox>(e, "cmbBuy"), u"その他"_s);
        clickButton(e, "cmdExpAdd");
        QStringList seen;
        const ModalSteps quotation([&](QWidget* modal) {
            auto* d = qobject_cast<QuotationDialog*>(modal);
            QVERIFY(d);
            setChecks(d,
                      {Qt::Unchecked, Qt::Unchecked, Qt::Unchecked, Qt::Checked, Qt::Checked, Qt::Checked});
            seen << controlText(d, u"lblDeliv"_s) << controlText(d, u"lblExpe0"_s)
                 << controlText(d, u"lblExpe1"_s) << controlText(d, u"lblTotal"_s);
            d->reject();
        });
        clickButton(e, "cmdCalc");
        QVERIFY(quotation.ran());
        QCOMPARE(seen, (QStringList{"12,000", "0", "0", "12,000"}));
    }

    // Post puts the total into the order amount and keeps the ticks and the discount with the
    // project, which the save then stores.
    void postAndSave()
    {
        m_f.editor = openProject(*m_f.state, 3);
        QWidget* e = m_f.editor.get();
        QString total;
        const ModalSteps quotation([&](QWidget* modal) {
            auto* d = qobject_cast<QuotationDialog*>(modal);
            QVERIFY(d);
            setChecks(d, {Qt::PartiallyChecked, Qt::Checked, Qt::Unchecked, Qt::Checked, Qt::Checked,
                          Qt::Unchecked});
            control<QLineEdit>(d, "txtDiscount")->setText(u"-1,234"_s);
            total = controlText(d, u"lblTotal"_s);
            QTest::keyClick(control<QLineEdit>(d, "txtDiscount"), Qt::Key_Return); // Enter posts
        });
        clickButton(e, "cmdCalc");
        QVERIFY(quotation.ran());
        // Work 2,647,490 + deliverables 368,000 + own-company expenses 0 + 1,234.
        QCOMPARE(total, u"3,016,724"_s);
        QCOMPARE(controlText(e, "txtPrice"), total);
        const QuoteSettings& q = m_f.state->ProjQuote;
        QVERIFY(q.Base && q.Work && !q.Opt && q.Deliv && q.Expe0 && !q.Expe1);
        QCOMPARE(q.Discount, -1234.0);
        clickButton(e, "cmdOK");
        DbConnection& c = m_f.state->conn();
        QCOMPARE(scalar(c, u"SELECT NPRICE AS V FROM TPROJECT WHERE NPROJECT = 3"_s).toDouble(), 3016724.0);
        QCOMPARE(scalar(c, u"SELECT NDISCOUNT AS V FROM TPROJECT WHERE NPROJECT = 3"_s).toDouble(), -1234.0);
        QCOMPARE(scalar(c, u"SELECT CBASE AS V FROM TPROJECT WHERE NPROJECT = 3"_s).toString(), u"1"_s);
        QCOMPARE(scalar(c, u"SELECT COPT AS V FROM TPROJECT WHERE NPROJECT = 3"_s).toString(), u"0"_s);
        QCOMPARE(scalar(c, u"SELECT CEXPE0 AS V FROM TPROJECT WHERE NPROJECT = 3"_s).toString(), u"1"_s);
    }

private:
    EditorFixture m_f;
};

QTEST_MAIN(TestQuotation)
#include "test_quotation.moc"
