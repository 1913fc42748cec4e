#pragma once

#include <QString>

class QChartView;
class QWidget;
struct CalibrationList;
struct ProjectAnalysis;

// The charts of the estimate accuracy and of the project analysis. Each shows figures that the
// window's lists show as well; the series carry the figures, so that they can be read back.

// A chart view named name, antialiased, with room for its legend.
QChartView* NewChartView(QWidget* parent, const QString& name);

// Actual against estimated hours per function on log-log axes: series "COCOMO" and "見積"
// (functions whose estimate or actual is 0 have no place on a log axis and are left out) and
// the line of equality "実績＝見積".
void ShowCalibrationChart(QChartView* view, const CalibrationList& list);

// Grouped bars per function: "見積工数", "COCOMO工数", "実績工数" (0 where nothing is recorded);
// over each COCOMO bar a line from 楽観 to 悲観 (series "COCOMO範囲").
void ShowHoursChart(QChartView* view, const ProjectAnalysis& analysis);

// The order amount as one stacked bar of its parts.
void ShowAmountChart(QChartView* view, const ProjectAnalysis& analysis);

// Saves what the chart shows as a PNG file where the user chooses; tells the user when it
// cannot be written.
void SaveChartPng(QWidget* parent, QChartView* view, const QString& proposedName);
