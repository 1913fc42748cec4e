#pragma once

#include "calc/estimate_accuracy.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class DbConnection;

// The counted functions with actual hours of every finished project, their estimates and how
// far each was off, and the COCOMO constant fitted to them.

struct CalibrationFilter {
    int customer = 0; // end or contracting customer; 0: every project
    QDate from;       // finished on or after; invalid: no limit
    QDate to;         // finished on or before; invalid: no limit
};

struct CalibrationRow {
    int project = 0;
    int function = 0;
    QString path; // the project's path in the project tree
    QString title;
    QDate done;
    double planned = 0; // NHTOTAL
    double cocomo = 0;  // at the constant in use
    double actual = 0;
    CalibrationPoint point;
    double plannedError() const { return RelativeError(actual, planned); }
    double cocomoError() const { return RelativeError(actual, cocomo); }
};

struct CalibrationList {
    QVector<CalibrationRow> rows;
    double constantInUse = 0;
    AccuracyFigures planned;
    AccuracyFigures cocomo;
    int calibrating = 0;              // rows that take part in the calibration
    std::optional<double> calibrated; // A fitted to them
    AccuracyFigures cocomoCalibrated; // COCOMO hours at the fitted A
};

// Raises DbError.
CalibrationList LoadCalibrationList(DbConnection& connection, const CalibrationFilter& filter,
                                    int hoursPerMonth);

// The list as CSV rows, heading first.
QList<QStringList> CalibrationCsvRows(const CalibrationList& list);
