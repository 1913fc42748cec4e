#include "../project/project_fixture.h"
#include "convert/conversions.h"
#include "db/sql_literal.h"
#include "documents/csv_exports.h"
#include "documents/issuer.h"
#include "documents/quotation_document.h"
#include "workspace/main_window.h"

#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QTreeWidgetItemIterator>

namespace {

const QStringList kAmounts{"lblBase", "lblWork", "lblOpt", "lblDeliv", "lblExpe0", "lblExpe1"};

// A file dialog reads its folder and a preview lays out its pages before they show: on a busy
// machine that takes a while, and a window never found would be left open.
constexpr int kPatience = 6000;

// The parts of a text a PDF search finds: Qt's PDF writer maps no character beyond the Basic
// Multilingual Plane (𠮷) back to text; line breaks start new lines.
QStringList searchable(const QString& text)
{
    QString plain;
    for (const QChar c : text) {
        plain += c.isSurrogate() || c == u'\r' ? QChar(u'\n') : c;
    }
    return plain.split(u'\n', Qt::SkipEmptyParts);
}

void verifyIn(const QString& text, const QString& expected)
{
    for (const QString& part : searchable(expected)) {
        QVERIFY2(text.contains(part.trimmed()), qPrintable(u"「"_s + part + u"」 not in:\n"_s + text));
    }
}

// Works the file dialog the next step opens: checks the proposed name, then saves to path.
class SaveAs : public ModalSteps {
public:
    SaveAs(const QString& path, QString* proposed)
        : ModalSteps(
              [path, proposed](QWidget* modal) {
                  auto* dialog = qobject_cast<QFileDialog*>(modal);
                  QVERIFY(dialog);
                  QCOMPARE(dialog->objectName(), u"dlgSaveFile"_s);
                  *proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
                  dialog->selectFile(path);
                  static_cast<QDialog*>(dialog)->accept(); // the dialog's own check of the name runs
              },
              kPatience)
    {
    }
};

void selectProject(QWidget* window, int project)
{
    auto* tree = control<QTreeWidget>(window, u"tvwPList"_s);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (ItemKey(*it) == u"P%1"_s.arg(project)) {
            tree->setCurrentItem(*it);
            return;
        }
    }
    QFAIL("no such project in the tree");
}

} // namespace

// The issuer's window, the 見積書 from the quotation dialog and the project menu, and the
// CSV exports of the main window, on the real windows.
class TestDocumentWindows : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_f.init();
        // The file dialog opens in a home of the test's own, not in the user's.
        m_home = qgetenv("HOME");
        const QString home = m_f.env->path(u"home"_s);
        QDir().mkpath(home + u"/Documents"_s);
        qputenv("HOME", QFile::encodeName(home));
    }
    void cleanup()
    {
        qputenv("HOME", m_home);
        m_f.cleanup();
    }

    // The document shows the figures of the quotation dialog: each ticked component, the
    // discount, the order amount through a line "調整額" where it differs, the tax by the
    // issuer's rounding, the schedule's last date, names as stored.
    void documentShowsTheQuotation_data()
    {
        addColumns<QString, double, double, int, bool, bool, qint64>(
            {"ticks", "price", "discount", "rounding", "dates", "hostile", "tax"});
        QTest::newRow("as stored") << u"111101"_s << 7970000.0 << 800.0 << 0 << true << false
                                   << qint64(797000);
        QTest::newRow("nothing ticked") << u"000000"_s << 0.0 << 0.0 << 0 << true << false << qint64(0);
        QTest::newRow("work and expenses, price above")
            << u"010011"_s << 9000000.0 << 0.0 << 0 << true << false << qint64(900000);
        QTest::newRow("everything, price below")
            << u"111111"_s << 1000000.0 << 1234.0 << 0 << true << false << qint64(100000);
        QTest::newRow("options and deliverables, no dates")
            << u"001100"_s << 0.0 << 5000.0 << 0 << false << false << qint64(-1);
        QTest::newRow("1,234,567 down")
            << u"111101"_s << 1234567.0 << 800.0 << 0 << true << false << qint64(123456);
        QTest::newRow("1,234,567 half up")
            << u"111101"_s << 1234567.0 << 800.0 << 1 << true << false << qint64(123457);
        QTest::newRow("1,234,567 up")
            << u"111101"_s << 1234567.0 << 800.0 << 2 << true << false << qint64(123457);
        QTest::newRow("hostile names") << u"111111"_s << 0.0 << 0.0 << 0 << true << true << qint64(-1);
    }
    void documentShowsTheQuotation()
    {
        QFETCH(QString, ticks);
        QFETCH(double, price);
        QFETCH(double, discount);
        QFETCH(int, rounding);
        QFETCH(bool, dates);
        QFETCH(bool, hostile);
        QFETCH(qint64, tax);
        DbConnection& conn = m_f.state->conn();
        QStringList flags;
        for (const QChar c : ticks) {
            flags << u"'"_s + c + u"'"_s;
        }
        ExecSql(
            conn,
            u"UPDATE TPROJECT SET CBASE = %1, CWORK = %2, COPT = %3, CDELIV = %4, CEXPE0 = %5, CEXPE1 = %6, "
            u"NPRICE = %7, NDISCOUNT = %8 WHERE NPROJECT = 2"_s
                .arg(flags[0], flags[1], flags[2], flags[3], flags[4], flags[5])
                .arg(price, 0, 'f', 0)
                .arg(discount, 0, 'f', 0));
        if (!dates) {
            ExecSql(conn, u"DELETE TDATE WHERE NPROJECT = 2"_s);
        }
        const QString strange = u"\"見積\", 'テスト'\n𠮷野家"_s;
        if (hostile) {
            const QString name = SqlLiteral(strange, u"C"_s);
            ExecSql(conn, u"UPDATE TPROJECT SET CPROJNAME = %1 WHERE NPROJECT = 2"_s.arg(name));
            ExecSql(conn, u"UPDATE MCUSTOMER SET CCUSTNAME = %1 WHERE NCUSTOMER = 2"_s.arg(
                              SqlLiteral(u"𠮷田, \"商事\""_s, u"C"_s)));
            ExecSql(conn, u"UPDATE TFUNCTION SET CSFUNC = %1 WHERE NPROJECT = 2"_s.arg(name));
            ExecSql(conn, u"UPDATE TCONTRACT SET CNAME = %1 WHERE NPROJECT = 2 AND NCID = 100"_s.arg(name));
        }
        IssuerDetails issuer;
        issuer.company = u"株式会社テスト見積"_s;
        issuer.registrationNumber = u"T1234567890123"_s;
        issuer.rounding = static_cast<TaxRounding>(rounding);
        SaveIssuer(conn, issuer);

        const QString path = m_f.env->path(u"doc.pdf"_s);
        QString proposed;
        QStringList shown;
        QWidget* e = m_f.open(2, 0);
        const ModalSteps quotation([&](QWidget* calc) {
            shown = texts(calc, kAmounts + QStringList{u"lblTotal"_s});
            const ModalSteps preview(
                [&](QWidget* dialog) {
                    QVERIFY(qobject_cast<QPrintPreviewDialog*>(dialog));
                    QCOMPARE(dialog->objectName(), u"frmQuoteDoc"_s);
                    const SaveAs save(path, &proposed);
                    control<QAction>(dialog, u"cmdSavePdf"_s)->trigger();
                    QVERIFY(save.ran());
                },
                kPatience);
            clickButton(calc, u"cmdDoc"_s);
            QVERIFY(preview.ran());
        });
        clickButton(e, u"cmdCalc"_s);
        QVERIFY(quotation.ran());
        // The dialog showed what is stored: no notice.
        QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
        QCOMPARE(proposed, DocumentFileName(hostile ? strange : u"受注・出荷管理サブシステム"_s, u"見積書"_s,
                                            QDate::currentDate(), u"pdf"_s));

        // The document's groups add up to the dialog's figures of the ticked components.
        const QuotationDocument doc = BuildQuotation(conn, 2, QDate::currentDate());
        const QuoteLine::Kind kinds[6] = {QuoteLine::Base,        QuoteLine::Work,    QuoteLine::Option,
                                          QuoteLine::Deliverable, QuoteLine::Expense, QuoteLine::Expense};
        double expected[6] = {};
        for (int i = 0; i < 6; ++i) {
            expected[i] = ticks[i] == u'1' ? ToDbl(shown[i]) : 0.0;
        }
        expected[4] += expected[5]; // the expenses of both buyers are one group
        for (int i = 0; i < 5; ++i) {
            double sum = 0;
            for (const QuoteLine& line : doc.lines) {
                sum += line.kind == kinds[i] ? line.amount : 0;
            }
            QCOMPARE(sum, expected[i]);
        }
        const double dialogTotal = ToDbl(shown[6]);
        const double subtotal = price != 0 ? price : dialogTotal;
        QCOMPARE(double(doc.subtotal), subtotal);
        if (tax < 0) {
            tax = static_cast<qint64>(subtotal) / 10;
        }
        QCOMPARE(doc.tax, tax);

        // The PDF shows all of it, as text a search finds.
        const QString text = PdfText(path);
        verifyIn(text, u"御見積書"_s);
        verifyIn(text, u"No. Q00002-"_s + QDate::currentDate().toString(u"yyyyMMdd"_s));
        verifyIn(text, u"発行日 "_s + JapaneseDate(QDate::currentDate()));
        verifyIn(text, u"下記のとおり御見積申し上げます。"_s);
        verifyIn(text, (hostile ? u"𠮷田, \"商事\""_s : u"東和システム株式会社"_s) + u" 御中"_s);
        verifyIn(text, hostile ? strange : u"受注・出荷管理サブシステム"_s);
        verifyIn(text, issuer.company);
        verifyIn(text, u"登録番号 T1234567890123"_s);
        verifyIn(text, u"小計"_s);
        verifyIn(text, FormatAmount(subtotal) + u"円"_s);
        verifyIn(text, u"消費税（10%）"_s);
        verifyIn(text, YenText(tax));
        verifyIn(text, u"御見積金額（税込）"_s);
        verifyIn(text, YenText(static_cast<qint64>(subtotal) + tax));
        for (const QuoteLine& line : doc.lines) {
            verifyIn(text, line.name);
            verifyIn(text, YenText(line.amount));
        }
        const bool adjusted = price != 0 && price != dialogTotal;
        QCOMPARE(text.contains(u"調整額"_s), adjusted);
        if (adjusted) {
            verifyIn(text, FormatAmount(price - dialogTotal) + u"円"_s);
        }
        QCOMPARE(text.contains(u"値引き"_s), discount != 0);
        QCOMPARE(text.contains(u"納期"_s), dates);
        if (dates) {
            verifyIn(text, JapaneseDate(doc.delivery));
        }
        QCOMPARE(text.contains(u"【作業費】"_s), ticks[1] == u'1');
        if (hostile) {
            // 𠮷 is drawn with a font that has it, embedded in the file.
            QProcess fonts;
            fonts.start(u"pdffonts"_s, {path});
            QVERIFY(fonts.waitForFinished());
            QVERIFY2(fonts.readAllStandardOutput().contains("NotoSansCJK"), "no font for 𠮷 embedded");
        }
    }

    // From the quotation dialog the document shows what is stored: figures changed on screen
    // are told first, and a new project has nothing stored yet.
    void documentOfUnsavedFigures()
    {
        QWidget* e = m_f.open(2, 0);
        setText(e, "txtWritePri", u"10,000"_s);
        const ModalSteps quotation([](QWidget* calc) {
            const ModalSteps preview(
                [](QWidget* dialog) { QCOMPARE(dialog->objectName(), u"frmQuoteDoc"_s); }, kPatience);
            clickButton(calc, u"cmdDoc"_s);
            QVERIFY(preview.ran());
        });
        clickButton(e, u"cmdCalc"_s);
        QVERIFY(quotation.ran());
        QVERIFY(!Messages::shown().isEmpty());
        QCOMPARE(Messages::shown().first().title, u"確認"_s);
        QCOMPARE(Messages::shown().first().text,
                 u"見積書は保存済みの内容で作成します。\n"_s
                 u"画面で変更した内容は、プロジェクトを保存すると見積書に反映されます。"_s);

        m_f.editor.reset();
        m_f.editor = openNewProject(*m_f.state, 2);
        Messages::clearShown();
        const ModalSteps newQuotation([](QWidget* calc) { clickButton(calc, u"cmdDoc"_s); });
        clickButton(m_f.editor.get(), u"cmdCalc"_s);
        QVERIFY(newQuotation.ran());
        COMPARE_LAST_MESSAGE(u"確認"_s, u"見積書はプロジェクトを保存してから作成してください。"_s,
                             Messages::Information);
    }

    // マスタ → 発行者情報: every entry is checked before anything is written; the details are
    // stored for everyone and shown again.
    void issuerWindow()
    {
        MainWindow window(*m_f.state);
        window.show();
        const auto fill = [](QWidget* d, const QString& regNo, const QString& days, const QString& rate) {
            setText(d, u"txtCompany"_s, u"株式会社 見積, \"本社\""_s);
            setText(d, u"txtPostal"_s, u"100-0001"_s);
            setText(d, u"txtAddress_0"_s, u"東京都千代田区"_s);
            setText(d, u"txtAddress_1"_s, u"𠮷ビル 5F"_s);
            setText(d, u"txtTel"_s, u"03-0000-0000"_s);
            setText(d, u"txtRegNo"_s, regNo);
            setText(d, u"txtPerson"_s, u"営業部 見積"_s);
            setText(d, u"txtPayTerms"_s, u"月末締め\n翌月末払い"_s);
            setText(d, u"txtValidDays"_s, days);
            setText(d, u"txtTaxRate"_s, rate);
            pick(control<QComboBox>(d, u"cmbTaxRound"_s), u"四捨五入"_s);
            setText(d, u"txtRemarks"_s, u"消費税は別途"_s);
        };
        struct Refusal {
            QString regNo, days, rate, text;
        };
        const QList<Refusal> refusals = {
            {u"T123"_s, u"30"_s, u"10"_s, u"登録番号は T と13桁の数字で入力してください。"_s},
            {u"X1234567890123"_s, u"30"_s, u"10"_s, u"登録番号は T と13桁の数字で入力してください。"_s},
            {u"T1234567890123"_s, u"0"_s, u"10"_s, u"有効期限は1から365までの日数で入力してください。"_s},
            {u"T1234567890123"_s, u"366"_s, u"10"_s, u"有効期限は1から365までの日数で入力してください。"_s},
            {u""_s, u"30"_s, u"101"_s, u"消費税率は0から100までの数で入力してください。"_s},
            {u""_s, u"30"_s, u""_s, u"消費税率は0から100までの数で入力してください。"_s},
        };
        triggerWithModal(&window, u"mnuIssuer"_s, [&](QWidget* d) {
            QCOMPARE(d->objectName(), u"frmIssuer"_s);
            QCOMPARE(d->windowTitle(), u"発行者情報"_s);
            QCOMPARE(texts(d, {u"txtValidDays"_s, u"txtTaxRate"_s, u"cmbTaxRound"_s}),
                     (QStringList{u"30"_s, u"10"_s, u"切り捨て"_s}));
            clickButton(d, u"cmdOK"_s);
            COMPARE_LAST_MESSAGE(u"入力確認"_s, u"会社名は必須入力です。"_s, Messages::Information);
            for (const Refusal& r : refusals) {
                fill(d, r.regNo, r.days, r.rate);
                clickButton(d, u"cmdOK"_s);
                COMPARE_LAST_MESSAGE(u"入力確認"_s, r.text, Messages::Information);
                QVERIFY(d->isVisible());
                QVERIFY(!LoadIssuer(m_f.state->conn()));
            }
            fill(d, u"T1234567890123"_s, u"60"_s, u"8"_s);
            clickButton(d, u"cmdOK"_s);
            QVERIFY(!d->isVisible());
        });
        const std::optional<IssuerDetails> stored = LoadIssuer(m_f.state->conn());
        QVERIFY(stored);
        QCOMPARE(stored->company, u"株式会社 見積, \"本社\""_s);
        QCOMPARE(stored->address2, u"𠮷ビル 5F"_s);
        QCOMPARE(stored->paymentTerms, u"月末締め\n翌月末払い"_s);
        QCOMPARE(stored->validityDays, 60);
        QCOMPARE(stored->taxRate, 8);
        QCOMPARE(int(stored->rounding), int(TaxRounding::HalfUp));
        triggerWithModal(&window, u"mnuIssuer"_s, [](QWidget* d) {
            QCOMPARE(
                texts(d, {u"txtCompany"_s, u"txtRegNo"_s, u"txtValidDays"_s, u"cmbTaxRound"_s}),
                (QStringList{u"株式会社 見積, \"本社\""_s, u"T1234567890123"_s, u"60"_s, u"四捨五入"_s}));
            clickButton(d, u"cmdCancel"_s);
        });
    }

    // ﾌﾟﾛｼﾞｪｸﾄ → 見積書 needs a selected project and tells when no issuer is stored; ﾌｧｲﾙ → CSV
    // writes what the main window shows, read back by a CSV reading.
    void mainWindowCommands()
    {
        MainWindow window(*m_f.state);
        window.show();
        control<QTreeWidget>(&window, u"tvwPList"_s)
            ->setCurrentItem(control<QTreeWidget>(&window, u"tvwPList"_s)->topLevelItem(0));
        control<QAction>(&window, u"mnuQuoteDoc"_s)->trigger();
        COMPARE_LAST_MESSAGE(u"未選択"_s, u"プロジェクトが選択されていません。"_s, Messages::Information);

        selectProject(&window, 2);
        {
            // The preview fits the screen, which here is smaller than a page at a readable size.
            const ModalSteps preview(
                [](QWidget* d) {
                    QCOMPARE(d->objectName(), u"frmQuoteDoc"_s);
                    QVERIFY(d->frameGeometry().height() <= d->screen()->availableGeometry().height());
                    QVERIFY(d->frameGeometry().width() <= d->screen()->availableGeometry().width());
                },
                kPatience);
            control<QAction>(&window, u"mnuQuoteDoc"_s)->trigger();
            QVERIFY(preview.ran());
        }
        COMPARE_LAST_MESSAGE(u"発行者情報"_s,
                             u"発行者情報が登録されていないため、見積書に発行者が印刷されません。\n"_s
                             u"マスタ メニューの「発行者情報」で登録してください。"_s,
                             Messages::Information);

        const QString csv = m_f.env->path(u"f.csv"_s);
        QString proposed;
        {
            const SaveAs save(csv, &proposed);
            control<QAction>(&window, u"mnuCsvFunctions"_s)->trigger();
            QVERIFY(save.ran());
        }
        QCOMPARE(proposed, u"受注・出荷管理サブシステム_機能項目_"_s +
                               QDate::currentDate().toString(u"yyyyMMdd"_s) + u".csv"_s);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QStringList> rows = ReadCsv(file.readAll());
        file.close();
        auto* list = control<QTreeWidget>(&window, u"lvwFList"_s);
        QCOMPARE(rows.size(), list->topLevelItemCount() + 1);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            // The list's columns, its figures without the grouping.
            QStringList shown = rowTexts(list, i, 1);
            shown[7] = shown[7].remove(u',');
            shown[8] = shown[8].remove(u',');
            QCOMPARE(rows.at(i + 1).mid(1, 9), shown);
            QCOMPARE(u"F"_s + rows.at(i + 1).at(0), ItemKey(list->topLevelItem(i)));
        }

        {
            const SaveAs save(csv, &proposed);
            Messages::setNextAnswer(QMessageBox::Yes); // replace the file
            control<QAction>(&window, u"mnuCsvProjects"_s)->trigger();
            QVERIFY(save.ran());
        }
        COMPARE_LAST_MESSAGE(u"確認"_s, u"f.csv は既にあります。\n置き換えますか？"_s, Messages::Question);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QStringList> projects = ReadCsv(file.readAll());
        file.close();
        const QString money = controlText(&window, u"remMoney"_s);
        const QString rate = controlText(&window, u"remRate"_s);
        const QStringList& row = projects.at(2);
        QCOMPARE(row.at(0), u"2"_s);
        QCOMPARE(u"純利益："_s + FormatNumber(row.at(7).toDouble(), 0, true) + u"円"_s, money);
        QCOMPARE(u"利益率："_s + FormatNumber(row.at(8).toDouble(), 2, true) + u"％"_s, rate);

        // A file that cannot be written is told, and nothing else happens.
        {
            const SaveAs save(u"/proc/vorna-test.csv"_s, &proposed);
            control<QAction>(&window, u"mnuCsvQuoteLines"_s)->trigger();
            QVERIFY(save.ran());
        }
        QCOMPARE(Messages::last().title, u"書き出しエラー"_s);
        QVERIFY(Messages::last().text.startsWith(u"ファイルに書き出せませんでした。\n"_s));
        QCOMPARE(proposed, u"受注・出荷管理サブシステム_見積明細_"_s +
                               QDate::currentDate().toString(u"yyyyMMdd"_s) + u".csv"_s);
    }

private:
    EditorFixture m_f;
    QByteArray m_home;
};

QTEST_MAIN(TestDocumentWindows)
#include "test_document_windows.moc"
