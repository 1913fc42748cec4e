#pragma once

#include "state/app_state.h"

// A function of the demo data's project 2 (0: a new one) under price kind 1, chosen for the
// function editor as the main window chooses it.
inline AppState& ChooseDemoFunction(AppState& state, int function, bool charge)
{
    state.CurProject = 2;
    state.CurPriKind = 1;
    state.CurFunction = function;
    state.FuncEditMode = function == 0 ? 0 : 1;
    state.policy.Charge = charge;
    state.Updated = false;
    return state;
}
