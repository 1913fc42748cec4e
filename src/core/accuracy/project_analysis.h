#pragma once

#include "calc/estimate_accuracy.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class DbConnection;
struct Policy;
struct ProfitInputs;

// The figures of one project side by side: each counted function's planned, COCOMO (with its
// range) and actual hours, and the order amount broken down into what the main window's net
// profit subtracts from it under the policy, and the net profit.

struct AnalysisRow {
    int function = 0;
    QString title;
    double planned = 0;
    HourRange cocomo;
    std::optional<double> actual; // none recorded
};

struct AmountPart {
    QString caption;
    double amount = 0;
};

struct ProjectAnalysis {
    QString path;
    double constantInUse = 0;
    QVector<AnalysisRow> rows;
    double plannedTotal = 0;
    HourRange cocomoTotal;
    double actualTotal = 0;
    int actualCount = 0; // functions with actual hours
    double orderAmount = 0;
    // The parts the policy subtracts, in the order of the policy dialog, then "純利益"; they sum
    // to the order amount.
    QVector<AmountPart> parts;
};

// false when the project is gone. Raises DbError.
bool LoadProjectAnalysis(DbConnection& connection, int project, const Policy& policy,
                         ProjectAnalysis* analysis);

// The parts of the order amount under the policy.
QVector<AmountPart> OrderAmountParts(const ProfitInputs& inputs, const Policy& policy);

// The analysis as CSV rows: the functions with their total, a blank line, the breakdown.
QList<QStringList> AnalysisCsvRows(const ProjectAnalysis& analysis);
