#pragma once

#include <QString>
#include <array>

// One member assignment of the function being edited (work assignment mode).
struct ChargeSlot {
    int NADD = 0; // position within the process; 0 marks an empty slot and ends the list
    int NMEMBER = 0;
    QString CMEMBER;
    double NHOUR = 0;
    double NDPRI = 0;
};

// A process takes at most this many members; the slot after the last stays empty as the end
// marker, so a process has one slot more.
constexpr int kMaxAssignments = 10;
constexpr int kChargeSlots = kMaxAssignments + 1;
// The processes the table has room for, and those whose assignments are counted and saved.
constexpr int kChargeProcesses = 11;
constexpr int kCountedProcesses = 10;

// Indexed [process 1..kChargeProcesses][slot 1..kChargeSlots]; index 0 of both dimensions is
// unused so that the indices read as the process and slot numbers stored in TCHARGE.
using ChargeTable = std::array<std::array<ChargeSlot, kChargeSlots + 1>, kChargeProcesses + 1>;
