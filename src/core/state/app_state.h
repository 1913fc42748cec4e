#pragma once

#include "calc/charge_table.h"
#include "settings/policy.h"

#include <memory>

class DbConnection;

// The quotation switches and discount of the project open in the project editor.
struct QuoteSettings {
    bool Base = false;
    bool Work = false;
    bool Opt = false;
    bool Deliv = false;
    bool Expe0 = false;
    bool Expe1 = false;
    double Discount = 0;
};

// The state the windows share for one run of the program. Windows receive it by reference;
// nothing else is global.
struct AppState {
    AppState();
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    std::unique_ptr<DbConnection> Conn;

    int CurProject = 0;
    int CurPriKind = 0;
    int CurFunction = 0;
    // New project: the project selected in the tree, proposed as the new project's parent.
    // CurProject stays 0 inside the editor until the insert.
    int ProposedParent = 0;
    int EditMode = 0;
    int FuncEditMode = 0;
    bool Updated = false;
    bool PricesChanged = false;

    Policy policy;

    ChargeTable chargeTable{};
    int ChargeProc = 0;

    QuoteSettings ProjQuote;

    DbConnection& conn() const { return *Conn; }
};
