#include "accuracy/calibration_dialog.h"

#include "accuracy/accuracy_charts.h"
#include "function/cocomo_constant.h"
#include "calc/estimate_calc.h"
#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "documents/quotation_document.h"
#include "documents/save_file.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString hours(double value)
{
    return FormatNumber(value, 0);
}

QString ratio(double value)
{
    return FormatNumber(value, 2, false);
}

QString share(double value)
{
    return FormatNumber(value * 100, 0, false) + QStringLiteral("％");
}

} // namespace

QString CalibrationDialog::tooFew()
{
    return QStringLiteral("校正には実績のある完了した機能項目が5件以上必要です。");
}

CalibrationDialog::CalibrationDialog(AppState& state, QWidget* parent) : PlacedDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmCalib"));
    setWindowTitle(QStringLiteral("見積精度と校正"));
    Help::setTopic(this, 82);

    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    m_customer = NamedCombo(this, QStringLiteral("cmbCust"));
    m_customer->addItem(QStringLiteral("(すべて)"), 0);
    for (Recordset rs =
             OpenRs(*state.Conn, QStringLiteral("SELECT * FROM MCUSTOMER ORDER BY NSORT,NCUSTOMER"));
         !rs.eof(); rs.moveNext()) {
        m_customer->addItem(ToText(rs.field(QStringLiteral("CCUSTNAME"))),
                            rs.field(QStringLiteral("NCUSTOMER")).toInt());
    }
    m_from = NamedBox(this, QStringLiteral("txtDateFrom"), 100);
    m_to = NamedBox(this, QStringLiteral("txtDateTo"), 100);
    AttachDateFilter(m_from);
    AttachDateFilter(m_to);
    auto* filter = NamedButton(this, QStringLiteral("cmdFilter"), QStringLiteral("再表示"));
    filters->addWidget(new QLabel(QStringLiteral("顧客"), this));
    filters->addWidget(m_customer, 1);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(QStringLiteral("完了日"), this));
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(QStringLiteral("～"), this));
    filters->addWidget(m_to);
    filters->addWidget(filter);
    filters->addStretch(1);
    layout->addLayout(filters);

    auto* split = new QSplitter(Qt::Vertical, this);
    m_rows = ReportList(split, QStringLiteral("lvwCalib"));
    auto* lower = new QWidget(split);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(buildFigures());
    m_chart = NewChartView(lower, QStringLiteral("chtCalib"));
    lowerLayout->addWidget(m_chart, 1);
    split->addWidget(m_rows);
    split->addWidget(lower);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    auto* csv = NamedButton(this, QStringLiteral("cmdCsv"), QStringLiteral("CSVに書き出し..."));
    auto* png = NamedButton(this, QStringLiteral("cmdPng"), QStringLiteral("グラフを保存..."));
    auto* close = NamedButton(this, QStringLiteral("cmdClose"), QStringLiteral("閉じる"));
    buttons->addWidget(csv);
    buttons->addWidget(png);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(filter, &QPushButton::clicked, this, &CalibrationDialog::reload);
    connect(m_use, &QPushButton::clicked, this, &CalibrationDialog::useCalibrated);
    connect(m_reset, &QPushButton::clicked, this, &CalibrationDialog::resetConstant);
    connect(csv, &QPushButton::clicked, this, [this] {
        SaveCsv(this,
                DocumentFileName(QStringLiteral("見積精度"), QString(), QDate::currentDate(),
                                 QStringLiteral("csv")),
                CalibrationCsvRows(m_list));
    });
    connect(png, &QPushButton::clicked, this, [this] {
        SaveChartPng(this, m_chart,
                     DocumentFileName(QStringLiteral("見積精度"), QString(), QDate::currentDate(),
                                      QStringLiteral("png")));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_list = LoadCalibrationList(*state.Conn, m_filter, state.policy.MtoH);
    m_stored = StoredCocomoA(*state.Conn).has_value();
    showList();
    resize(980, 700);
}

QWidget* CalibrationDialog::buildFigures()
{
    auto* box = new QGroupBox(QStringLiteral("見積精度"), this);
    box->setObjectName(QStringLiteral("fraAccuracy"));
    auto* g = new QGridLayout(box);
    const QStringList columns = {QStringLiteral("MMRE"), QStringLiteral("PRED(25)"), QStringLiteral("件数")};
    for (int c = 0; c < 3; ++c) {
        g->addWidget(HeadingLabel(box, columns.at(c)), 0, c + 1, Qt::AlignRight);
    }
    const QStringList rows = {QStringLiteral("見積工数"), QStringLiteral("COCOMO工数"),
                              QStringLiteral("校正後COCOMO")};
    const QStringList names = {QStringLiteral("Plan"), QStringLiteral("Coco"), QStringLiteral("Calib")};
    const QStringList kinds = {QStringLiteral("Mmre"), QStringLiteral("Pred"), QStringLiteral("Count")};
    for (int r = 0; r < 3; ++r) {
        g->addWidget(new QLabel(rows.at(r), box), r + 1, 0);
        for (int c = 0; c < 3; ++c) {
            m_figures[r][c] = ValueLabel(box, QStringLiteral("lvl%1%2").arg(names.at(r), kinds.at(c)), 56);
            g->addWidget(m_figures[r][c], r + 1, c + 1);
        }
    }
    g->addWidget(SeparatorLine(box), 4, 0, 1, 4);
    g->addWidget(new QLabel(QStringLiteral("使用中の定数 A"), box), 5, 0, 1, 2);
    m_inUse = ValueLabel(box, QStringLiteral("lvlUsedA"), 56);
    g->addWidget(m_inUse, 5, 2, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("校正した定数 A"), box), 6, 0, 1, 2);
    m_calibrated = ValueLabel(box, QStringLiteral("lvlCalibA"), 56);
    MakeBold(m_calibrated);
    g->addWidget(m_calibrated, 6, 2, 1, 2);
    g->addWidget(NamedLabel(box, QStringLiteral("lblStdA"),
                            QStringLiteral("（標準値 %1）").arg(TwoDecimals(kCocomoA))),
                 7, 2, 1, 2, Qt::AlignRight);
    m_note = NamedLabel(box, QStringLiteral("lblCalibNote"), QString());
    m_note->setWordWrap(true);
    g->addWidget(m_note, 8, 0, 1, 4);
    m_use = NamedButton(box, QStringLiteral("cmdUseA"), QStringLiteral("この定数を使用する"));
    m_reset = NamedButton(box, QStringLiteral("cmdResetA"), QStringLiteral("標準値に戻す"));
    g->addWidget(m_use, 9, 0, 1, 2);
    g->addWidget(m_reset, 9, 2, 1, 2);
    g->setRowStretch(10, 1);
    box->setMaximumWidth(340);
    return box;
}

bool CalibrationDialog::readFilter(CalibrationFilter* filter)
{
    filter->customer = m_customer->currentData().toInt();
    for (QLineEdit* box : {m_from, m_to}) {
        const QString text = box->text().trimmed();
        const QDate date = DateFromText(text);
        if (!text.isEmpty() && !date.isValid()) {
            Messages::exclamation(this, QStringLiteral("入力確認"),
                                  QStringLiteral("完了日の値が正しくありません。"));
            box->setFocus();
            box->selectAll();
            return false;
        }
        (box == m_from ? filter->from : filter->to) = date;
    }
    return true;
}

void CalibrationDialog::reload()
{
    CalibrationFilter filter;
    if (!readFilter(&filter)) {
        return;
    }
    RunHandler(this, [&] {
        const WaitCursor wait;
        m_list = LoadCalibrationList(*m_state.Conn, filter, m_state.policy.MtoH);
        m_stored = StoredCocomoA(*m_state.Conn).has_value();
        m_filter = filter;
        showList();
    });
}

void CalibrationDialog::useCalibrated()
{
    if (!m_list.calibrated) {
        return;
    }
    const double a = *m_list.calibrated;
    RunHandler(this, [&] { StoreCocomoA(*m_state.Conn, a); });
    reload();
}

void CalibrationDialog::resetConstant()
{
    RunHandler(this, [&] { ResetCocomoA(*m_state.Conn); });
    reload();
}

void CalibrationDialog::showList()
{
    SetListColumns(m_rows, {{QStringLiteral("プロジェクト"), 2000},
                            {QStringLiteral("機能項目"), 2000},
                            {QStringLiteral("完了日"), 1100},
                            {QStringLiteral("見積工数"), 900, Qt::AlignRight},
                            {QStringLiteral("COCOMO楽観"), 1000, Qt::AlignRight},
                            {QStringLiteral("COCOMO標準"), 1000, Qt::AlignRight},
                            {QStringLiteral("COCOMO悲観"), 1000, Qt::AlignRight},
                            {QStringLiteral("実績工数"), 900, Qt::AlignRight},
                            {QStringLiteral("MRE(見積)"), 900, Qt::AlignRight},
                            {QStringLiteral("MRE(COCOMO)"), 1000, Qt::AlignRight}});
    for (const CalibrationRow& row : m_list.rows) {
        const HourRange range = CocomoRange(row.cocomo);
        auto* item = new QTreeWidgetItem(m_rows);
        item->setData(0, Qt::UserRole, QStringLiteral("F%1").arg(row.function));
        SetRowTexts(item,
                    {row.path, row.title, row.done.toString(QStringLiteral("yyyy/MM/dd")), hours(row.planned),
                     hours(range.optimistic), hours(range.likely), hours(range.pessimistic),
                     hours(row.actual), ratio(row.plannedError()), ratio(row.cocomoError())});
    }
    FitListColumns(m_rows);

    const AccuracyFigures* figures[3] = {&m_list.planned, &m_list.cocomo, &m_list.cocomoCalibrated};
    for (int r = 0; r < 3; ++r) {
        const bool shown = figures[r]->count > 0 && (r < 2 || m_list.calibrated);
        m_figures[r][0]->setText(shown ? ratio(figures[r]->mmre) : QString());
        m_figures[r][1]->setText(shown ? share(figures[r]->pred25) : QString());
        m_figures[r][2]->setText(shown ? QString::number(figures[r]->count) : QString());
    }
    m_inUse->setText(CocomoAText(m_list.constantInUse) +
                     (m_stored ? QStringLiteral(" (校正済み)") : QStringLiteral(" (標準)")));
    m_calibrated->setText(m_list.calibrated ? CocomoAText(*m_list.calibrated) : QString());
    if (m_list.calibrated) {
        m_note->setText(QStringLiteral("%1件の機能項目から校正しました。").arg(m_list.calibrating));
    } else if (m_list.calibrating >= kCalibrationMinimum) {
        m_note->setText(QStringLiteral("１人月あたりの工数がポリシーに設定されていないため校正できません。"));
    } else {
        m_note->setText(tooFew());
    }
    m_use->setEnabled(m_list.calibrated.has_value());
    // A stored constant can always be taken back, also when the list no longer calibrates.
    m_reset->setEnabled(m_stored);
    ShowCalibrationChart(m_chart, m_list);
}
