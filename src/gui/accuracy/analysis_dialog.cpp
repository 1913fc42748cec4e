#include "accuracy/analysis_dialog.h"

#include "accuracy/accuracy_charts.h"
#include "common/form_widgets.h"
#include "convert/conversions.h"
#include "documents/quotation_document.h"
#include "documents/save_file.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QChartView>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString hours(double value)
{
    return FormatNumber(value, 0);
}

QString fileName(const QString& path, const QString& kind, const QString& extension)
{
    return DocumentFileName(path, kind, QDate::currentDate(), extension);
}

} // namespace

AnalysisDialog::AnalysisDialog(AppState& state, QWidget* parent) : PlacedDialog(parent)
{
    setObjectName(QStringLiteral("frmAnalysis"));
    setWindowTitle(QStringLiteral("プロジェクトの分析"));
    Help::setTopic(this, 84);
    LoadProjectAnalysis(*state.Conn, state.CurProject, state.policy, &m_analysis);

    auto* layout = new QVBoxLayout(this);
    auto* title = NamedLabel(this, QStringLiteral("lblAnaProject"), m_analysis.path);
    MakeBold(title);
    layout->addWidget(title);

    auto* grid = new QGridLayout;
    m_hours = ReportList(this, QStringLiteral("lvwAnalysis"));
    m_amounts = ReportList(this, QStringLiteral("lvwAmount"));
    m_hoursChart = NewChartView(this, QStringLiteral("chtHours"));
    m_amountChart = NewChartView(this, QStringLiteral("chtAmount"));
    grid->addWidget(m_hours, 0, 0);
    grid->addWidget(m_hoursChart, 0, 1);
    grid->addWidget(m_amounts, 1, 0);
    grid->addWidget(m_amountChart, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    layout->addLayout(grid, 1);
    layout->addWidget(NamedLabel(
        this, QStringLiteral("lblAnaConstant"),
        QStringLiteral("COCOMO工数は定数 A=%1 による標準値と、その0.80倍（楽観）・1.25倍（悲観）です。")
            .arg(CocomoAText(m_analysis.constantInUse))));

    auto* buttons = new QHBoxLayout;
    auto* csv = NamedButton(this, QStringLiteral("cmdCsv"), QStringLiteral("CSVに書き出し..."));
    auto* pngHours = NamedButton(this, QStringLiteral("cmdPngHours"), QStringLiteral("工数グラフを保存..."));
    auto* pngAmount =
        NamedButton(this, QStringLiteral("cmdPngAmount"), QStringLiteral("金額グラフを保存..."));
    auto* close = NamedButton(this, QStringLiteral("cmdClose"), QStringLiteral("閉じる"));
    buttons->addWidget(csv);
    buttons->addWidget(pngHours);
    buttons->addWidget(pngAmount);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(csv, &QPushButton::clicked, this, [this] {
        SaveCsv(this, fileName(m_analysis.path, QStringLiteral("分析"), QStringLiteral("csv")),
                AnalysisCsvRows(m_analysis));
    });
    connect(pngHours, &QPushButton::clicked, this, [this] {
        SaveChartPng(this, m_hoursChart,
                     fileName(m_analysis.path, QStringLiteral("工数"), QStringLiteral("png")));
    });
    connect(pngAmount, &QPushButton::clicked, this, [this] {
        SaveChartPng(this, m_amountChart,
                     fileName(m_analysis.path, QStringLiteral("金額"), QStringLiteral("png")));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    showLists();
    resize(980, 700);
}

void AnalysisDialog::showLists()
{
    SetListColumns(m_hours, {{QStringLiteral("機能項目"), 1500},
                             {QStringLiteral("見積工数"), 900, Qt::AlignRight},
                             {QStringLiteral("COCOMO楽観"), 1000, Qt::AlignRight},
                             {QStringLiteral("COCOMO標準"), 1000, Qt::AlignRight},
                             {QStringLiteral("COCOMO悲観"), 1000, Qt::AlignRight},
                             {QStringLiteral("実績工数"), 900, Qt::AlignRight}});
    for (const AnalysisRow& row : m_analysis.rows) {
        auto* item = new QTreeWidgetItem(m_hours);
        item->setData(0, Qt::UserRole, QStringLiteral("F%1").arg(row.function));
        SetRowTexts(item,
                    {row.title, hours(row.planned), hours(row.cocomo.optimistic), hours(row.cocomo.likely),
                     hours(row.cocomo.pessimistic), row.actual ? hours(*row.actual) : QString()});
    }
    auto* total = new QTreeWidgetItem(m_hours);
    total->setData(0, Qt::UserRole, QStringLiteral("TOTAL"));
    SetRowTexts(total, {QStringLiteral("合計"), hours(m_analysis.plannedTotal),
                        hours(m_analysis.cocomoTotal.optimistic), hours(m_analysis.cocomoTotal.likely),
                        hours(m_analysis.cocomoTotal.pessimistic),
                        m_analysis.actualCount > 0 ? hours(m_analysis.actualTotal) : QString()});
    QFont bold = total->font(0);
    bold.setBold(true);
    for (int c = 0; c < m_hours->columnCount(); ++c) {
        total->setFont(c, bold);
    }
    FitListColumns(m_hours);

    SetListColumns(m_amounts,
                   {{QStringLiteral("内訳"), 2200}, {QStringLiteral("金額(円)"), 1400, Qt::AlignRight}});
    auto* order = new QTreeWidgetItem(m_amounts);
    order->setData(0, Qt::UserRole, QStringLiteral("ORDER"));
    SetRowTexts(order, {QStringLiteral("受注金額"), hours(m_analysis.orderAmount)});
    order->setFont(0, bold);
    order->setFont(1, bold);
    for (const AmountPart& part : m_analysis.parts) {
        SetRowTexts(new QTreeWidgetItem(m_amounts),
                    {QStringLiteral("　") + part.caption, hours(part.amount)});
    }
    FitListColumns(m_amounts);

    ShowHoursChart(m_hoursChart, m_analysis);
    ShowAmountChart(m_amountChart, m_analysis);
}
