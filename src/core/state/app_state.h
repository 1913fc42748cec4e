#pragma once

#include "settings/policy.h"

#include <QString>
#include <array>
#include <memory>

class DbConnection;

// One member assignment of the function being edited (work assignment mode).
struct ChargeSlot {
    int NADD = 0; // position within the process; 0 marks an empty slot and ends the list
    int NMEMBER = 0;
    QString CMEMBER;
    double NHOUR = 0;
    double NDPRI = 0;
};

// Indexed [process 1..11][slot 1..11]; index 0 of both dimensions is unused so that the
// indices read as the process and slot numbers stored in TCHARGE.
using ChargeTable = std::array<std::array<ChargeSlot, 12>, 12>;

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
