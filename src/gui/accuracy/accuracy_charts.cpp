#include "accuracy/accuracy_charts.h"

#include "accuracy/calibration_list.h"
#include "accuracy/project_analysis.h"
#include "common/messages.h"
#include "documents/save_file.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

QChart* freshChart(QChartView* view, const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    view->setChart(chart); // the view deletes the chart it showed before
    return chart;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QLogValueAxis* logAxis(const QString& title, double low, double high)
{
    auto* axis = new QLogValueAxis;
    axis->setTitleText(title);
    axis->setBase(10);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setRange(low, high);
    axis->setMinorTickCount(-1);
    return axis;
}

} // namespace

QChartView* NewChartView(QWidget* parent, const QString& name)
{
    auto* view = new QChartView(parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 220);
    return view;
}

void ShowCalibrationChart(QChartView* view, const CalibrationList& list)
{
    QChart* chart = freshChart(view, QStringLiteral("実績工数と見積工数（対数目盛）"));
    auto* cocomo = new QScatterSeries;
    cocomo->setName(QStringLiteral("COCOMO"));
    cocomo->setColor(QColor(0x1f, 0x77, 0xb4));
    cocomo->setMarkerSize(9);
    auto* planned = new QScatterSeries;
    planned->setName(QStringLiteral("見積"));
    planned->setColor(QColor(0xe6, 0x6c, 0x00));
    planned->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    planned->setMarkerSize(8);
    double low = 0;
    double high = 0;
    auto place = [&](QScatterSeries* series, double estimate, double actual) {
        if (!(estimate > 0) || !(actual > 0)) {
            return;
        }
        series->append(estimate, actual);
        low = low > 0 ? std::min({low, estimate, actual}) : std::min(estimate, actual);
        high = std::max({high, estimate, actual});
    };
    for (const CalibrationRow& row : list.rows) {
        place(cocomo, row.cocomo, row.actual);
        place(planned, row.planned, row.actual);
    }
    if (low <= 0) {
        low = 1;
        high = 1000;
    }
    const double from = low / 1.5;
    const double to = high * 1.5;
    auto* equality = new QLineSeries;
    equality->setName(QStringLiteral("実績＝見積"));
    equality->setPen(QPen(Qt::gray, 1, Qt::DashLine));
    equality->append(from, from);
    equality->append(to, to);

    QLogValueAxis* x = logAxis(QStringLiteral("見積工数（時間）"), from, to);
    QLogValueAxis* y = logAxis(QStringLiteral("実績工数（時間）"), from, to);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    attach(chart, equality, x, y);
    attach(chart, planned, x, y);
    attach(chart, cocomo, x, y);
}

void ShowHoursChart(QChartView* view, const ProjectAnalysis& analysis)
{
    QChart* chart = freshChart(view, QStringLiteral("機能項目別の工数"));
    auto* planned = new QBarSet(QStringLiteral("見積工数"));
    auto* cocomo = new QBarSet(QStringLiteral("COCOMO工数"));
    auto* actual = new QBarSet(QStringLiteral("実績工数"));
    planned->setColor(QColor(0xe6, 0x6c, 0x00));
    cocomo->setColor(QColor(0x1f, 0x77, 0xb4));
    actual->setColor(QColor(0x2c, 0xa0, 0x2c));
    QStringList categories;
    double high = 0;
    for (const AnalysisRow& row : analysis.rows) {
        categories << row.title;
        planned->append(row.planned);
        cocomo->append(row.cocomo.likely);
        actual->append(row.actual.value_or(0));
        high = std::max({high, row.planned, row.cocomo.pessimistic, row.actual.value_or(0)});
    }
    auto* bars = new QBarSeries;
    bars->append({planned, cocomo, actual}); // COCOMO in the middle, where its range line stands
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("時間"));
    y->setRange(0, high > 0 ? high * 1.05 : 1);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    attach(chart, bars, x, y);
    for (int i = 0; i < analysis.rows.size(); ++i) {
        auto* range = new QLineSeries;
        range->setName(QStringLiteral("COCOMO範囲"));
        range->setPen(QPen(Qt::black, 2));
        range->append(i, analysis.rows.at(i).cocomo.optimistic);
        range->append(i, analysis.rows.at(i).cocomo.pessimistic);
        attach(chart, range, x, y);
        const QList<QLegendMarker*> markers = chart->legend()->markers(range);
        for (QLegendMarker* marker : markers) {
            marker->setVisible(i == 0);
        }
    }
}

void ShowAmountChart(QChartView* view, const ProjectAnalysis& analysis)
{
    QChart* chart = freshChart(view, QStringLiteral("受注金額の内訳"));
    auto* stack = new QStackedBarSeries;
    for (const AmountPart& part : analysis.parts) {
        auto* set = new QBarSet(part.caption);
        set->append(part.amount);
        stack->append(set);
    }
    stack->setBarWidth(0.4);
    auto* x = new QBarCategoryAxis;
    x->append(QStringLiteral("受注金額"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("円"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    double low = 0;
    double high = 0;
    double up = 0;
    double down = 0;
    for (const AmountPart& part : analysis.parts) {
        (part.amount >= 0 ? up : down) += part.amount;
        high = std::max(high, up);
        low = std::min(low, down);
    }
    y->setRange(low * 1.05, high > 0 ? high * 1.05 : 1);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    attach(chart, stack, x, y);
    chart->legend()->setAlignment(Qt::AlignRight);
}

void SaveChartPng(QWidget* parent, QChartView* view, const QString& proposedName)
{
    const QString path =
        ChooseSaveFile(parent, QStringLiteral("グラフの保存"), proposedName, QStringLiteral("PNG (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    if (!view->grab().save(path, "PNG")) {
        Messages::critical(parent, QStringLiteral("書き出しエラー"),
                           QStringLiteral("ファイルに書き出せませんでした。\n%1").arg(path));
    }
}
