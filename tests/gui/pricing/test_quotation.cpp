#include "../project/project_fixture.h"
#include "common/messages.h"
#include "pricing/quotation.h"

namespace {

const QStringList kChecks{"chkBase", "chkWork", "chkOpt", "chkDeliv", "chkExpe0", "chkExpe1"};

// Sets the six boxes from their check values: 0 unticked, 1 ticked, 2 grey.
void setChecks(QuotationDialog* dialog, const char* values)
{
    for (int i = 0; i < 6; ++i) {
        control<QCheckBox>(dialog, kChecks.at(i))
            ->setCheckState(values[i] == '1'   ? Qt::Checked
                            : values[i] == '2' ? Qt::PartiallyChecked
                                               : Qt::Unchecked);
    }
    dialog->RecalcQuote();
}

// Opens the quotation from the project editor and works it; the dialog is cancelled afterwards
// unless the steps posted it.
void quote(QWidget* editor, const std::function<void(QuotationDialog*)>& steps)
{
    const ModalSteps quotation([&steps](QWidget* modal) {
        auto* dialog = qobject_cast<QuotationDialog*>(modal);
        QVERIFY(dialog);
        steps(dialog);
    });
    clickButton(editor, u"cmdCalc"_s);
    QVERIFY(quotation.ran());
}

} // namespace

class TestQuotation : public QObject {
    Q_OBJECT
private slots:
    void init() { m_f.init(); }
    void cleanup() { m_f.cleanup(); }

    // The figures are those on the editor's screen, saved or not; only the work total comes
    // from the database. Only ticked amounts count (a grey box nowhere), and the discount,
    // even a negative one, comes off.
    void figuresFromTheScreen()
    {
        QWidget* e = m_f.open(2, 5);
        setText(e, "txtBase", u"200,000"_s);
        setText(e, "txtWritePri", u"10,000"_s);
        pick(control<QComboBox>(e, "cmbItem"), u"クラウド検証環境"_s);
        pick(control<QComboBox>(e, "cmbBuy"), u"顧客"_s);
        clickButton(e, "cmdExpAdd");
        QStringList seen, totals;
        quote(e, [&](QuotationDialog* d) {
            seen << texts(d,
                          {"lblBase", "lblWork", "lblOpt", "lblDeliv", "lblExpe0", "lblExpe1", "lblTotal"});
            for (const QString& name : kChecks) {
                seen << QString::number(control<QCheckBox>(d, name)->checkState());
            }
            seen << controlText(d, u"txtDiscount"_s);
            const char* const cases[][2] = {
                {"000000", ""}, {"000000", "1,000"}, {"100000", "-500"}, {"210000", "0"}, {"000010", ""}};
            for (const auto& checksAndDiscount : cases) {
                setChecks(d, checksAndDiscount[0]);
                setText(d, u"txtDiscount"_s, QString::fromLatin1(checksAndDiscount[1]));
                totals << controlText(d, u"lblTotal"_s);
            }
            clickButton(d, u"cmdCancel"_s);
        });
        QCOMPARE(seen, (QStringList{"200,000", "5,282,800", "977,000", "1,256,000", "300,000", "395,000",
                                    // 200,000 + 5,282,800 + 977,000 + 1,256,000 + 395,000 - 800
                                    "8,110,000", "2", "2", "2", "2", "0", "2", "800"}));
        QCOMPARE(totals, (QStringList{"0", "-1,000", "200,500", "5,282,800", "300,000"}));
        // Cancel changes neither the order amount nor the quotation settings.
        QCOMPARE(controlText(e, "txtPrice"), u"7,970,000"_s);
        QVERIFY(!m_f.state->ProjQuote.Expe0);
        QCOMPARE(m_f.state->ProjQuote.Discount, 800.0);
    }

    // Each tick comes from its own column of the project: options and deliverables apart.
    void ticksFromTheProject_data()
    {
        addColumns<QString, QString>({"stored", "shown"}); // CBASE..CEXPE1; check states
        QTest::newRow("options, no deliverables") << u"'0','0','1','0','0','0'"_s << u"0,0,2,0,0,0"_s;
        QTest::newRow("deliverables, no options") << u"'1','1','0','1','1','0'"_s << u"2,2,0,2,2,0"_s;
    }
    void ticksFromTheProject()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        const QStringList values = stored.split(u',');
        ExecSql(m_f.state->conn(), u"UPDATE TPROJECT SET CBASE = %1, CWORK = %2, COPT = %3, CDELIV = %4, "
                                   u"CEXPE0 = %5, CEXPE1 = %6 WHERE NPROJECT = 3"_s.arg(
                                       values[0], values[1], values[2], values[3], values[4], values[5]));
        QWidget* e = m_f.open(3, 0);
        quote(e, [&](QuotationDialog* d) {
            QStringList states;
            for (const QString& name : kChecks) {
                states << QString::number(control<QCheckBox>(d, name)->checkState());
            }
            QCOMPARE(states.join(u','), shown);
        });
    }

    void newProjectHasNoWork()
    {
        m_f.editor = openNewProject(*m_f.state, 2);
        quote(m_f.editor.get(), [](QuotationDialog* d) { QCOMPARE(controlText(d, u"lblWork"_s), u"0"_s); });
    }

    // Only the buyer codes 0 and 1 have a row; a standard deliverable counts with its price
    // whether ticked or not.
    void whatCounts()
    {
        QWidget* e = m_f.open(4, 5);
        setText(e, "txtDelPri_0", u"10,000"_s);
        setText(e, "txtDeliv_15", u"追加資料"_s);
        setText(e, "txtDelPri_15", u"2,000"_s);
        setText(e, "txtDelPri_16", u"99,000"_s); // no name: not counted
        pick(control<QComboBox>(e, "cmbItem"), u"クラウド検証環境"_s);
        pick(control<QComboBox>(e, "cmbBuy"), u"その他"_s);
        clickButton(e, "cmdExpAdd");
        quote(e, [](QuotationDialog* d) {
            setChecks(d, "000111");
            QCOMPARE(texts(d, {"lblDeliv", "lblExpe0", "lblExpe1", "lblTotal"}),
                     (QStringList{"12,000", "0", "0", "12,000"}));
        });
    }

    // Enter posts the total into the order amount and keeps the ticks and the discount with the
    // project, which the save then stores.
    void postAndSave()
    {
        QWidget* e = m_f.open(3, 0);
        QString total;
        quote(e, [&total](QuotationDialog* d) {
            setChecks(d, "210110");
            typeInto(d, u"txtDiscount"_s, u"-1234"_s); // key by key, through the filter
            total = controlText(d, u"lblTotal"_s);
            QTest::keyClick(control<QLineEdit>(d, "txtDiscount"), Qt::Key_Return); // Enter posts
        });
        // Work 2,647,490 + deliverables 368,000 + own-company expenses 0 + 1,234.
        QCOMPARE(total, u"3,016,724"_s);
        QCOMPARE(controlText(e, "txtPrice"), total);
        clickButton(e, "cmdOK");
        QStringList stored; // the ticks the demo project had otherwise
        for (const char* column :
             {"NPRICE", "NDISCOUNT", "CBASE", "CWORK", "COPT", "CDELIV", "CEXPE0", "CEXPE1"}) {
            stored << scalar(m_f.state->conn(), u"SELECT %1 AS V FROM TPROJECT WHERE NPROJECT = 3"_s.arg(
                                                    QString::fromLatin1(column)))
                          .toString();
        }
        QCOMPARE(stored, (QStringList{"3016724", "-1234", "1", "1", "0", "1", "1", "0"}));
    }

private:
    EditorFixture m_f;
};

QTEST_MAIN(TestQuotation)
#include "test_quotation.moc"
