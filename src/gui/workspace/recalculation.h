#pragma once

class QWidget;
struct AppState;

// The recalculation of the function prices (RecalculatePrices) as the windows run it: under
// the hourglass, with a progress bar when every project is recalculated and the work runs long
// enough to be noticed, and a failure reported to the user. The caller goes on with its
// reloads either way.
void RecalcFunctionPrices(AppState& state, int project, QWidget* parent = nullptr);
