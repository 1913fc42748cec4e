#pragma once

#include "calc/estimate_calc.h"
#include "db/concurrent_change.h"
#include "function/stored_function.h"

#include <QString>
#include <QVector>
#include <array>

struct AppState;

// One function-point row as the editor lists it.
struct FpRowData {
    QString title;
    int kind = 1;
    int complexity = 2;
};

// One row of the hours page: the process code it stands for and what its boxes hold.
struct HourRowData {
    int code = 0;
    QString hourText;
    QString unitPriceText;
};

// Everything the function editor writes, read from its controls at the moment of saving.
struct FunctionData {
    bool onHold = false;
    int nup = 1;
    int imp = 1;
    int def = 1;
    int rsk = 1;
    int trm = 1;
    int lang = 1;
    QString title;
    QString description;
    double discount = 0;
    double hoursTotal = 0;
    double total = 0;
    double price = 0;
    QVector<FpRowData> fpRows;
    std::array<int, kAdjustFactors> adjust{};
    std::array<int, kScaleDrivers> scaleRanks{};
    std::array<int, kCostDrivers> costRanks{};
    QVector<HourRowData> hours; // the rows in use, in page order
};

// What a function save does; a project's save has SaveMode (project/project_repository.h).
enum FunctionSaveMode { SaveNew = 0, SaveUpdate = 1, SaveDelete = 2 };

// Reads the stored image of state.CurFunction, for a later WriteFunctionData to compare with.
StoredFunction ReadStoredFunction(const AppState& state);

// Writes the function of state.CurProject / state.CurFunction with all its rows in one
// transaction on state.Conn, or deletes it (mode 2; data is not read). A new function's key
// goes into state.CurFunction; success sets state.Updated. On any failure the transaction is
// rolled back, state.CurFunction is 0 again after a failed insert, and the error propagates:
// DbError carrying its statement, or another error (ConversionError) for which lastStatement
// holds the statement that ran last.
// Inside the transaction the project and (but for a new one) the function are locked first:
// when either is gone, ConcurrentChangeError. When stored is given and another user has changed
// the function since, an update goes on only if overwriteChanged says so; otherwise nothing is
// written and the result is false.
bool WriteFunctionData(AppState& state, int mode, const FunctionData& data, QString* lastStatement,
                       const StoredFunction* stored = nullptr,
                       const OverwriteQuestion& overwriteChanged = OverwriteQuestion());
