#pragma once

#include "convert/conversions.h"

#include <QString>
#include <QVariant>
#include <array>
#include <optional>

// What the project repository reads for the editor, as the database holds it: NULL stays an
// invalid QVariant where the editor tells it apart, and a key or code beyond the 16-bit range
// comes as an overflowed WholeNumber for the window to warn about.

// The project row as the editor loaded it: the state a save starts from. A new project has id 0
// and an empty row.
struct LoadedProject {
    int id = 0;
    QVariant parent;           // NPARPROJ
    QVariant name;             // CPROJNAME
    QVariant endCustomer;      // NENDCUST
    QVariant contractCustomer; // NCONTCUST
    QVariant priceKind;        // NPRIKIND
    QVariant base;             // NBASE
    QVariant price;            // NPRICE
    QVariant outline;          // COUTLINE
    QVariant special;          // CSPECIAL
    // CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1: the quotation switches as stored.
    std::array<QVariant, 6> quote;
    QVariant discount; // NDISCOUNT
};

// A process of division 7 with the project's date for it ("" when none).
struct ScheduleRow {
    WholeNumber process; // NVAL
    QString name;
    QString date;
};

// A TDELIV row: of a deliverable kind, or (no kind) a free row with its name.
struct StoredDeliverable {
    std::optional<WholeNumber> kind;
    bool delivered = false;
    bool formatSpecified = false;
    QString name;
    QVariant price;
};

// A TEXPENSE row with the names of its item and buyer ("" when the master lost them).
struct StoredExpense {
    WholeNumber item;
    QString itemName;
    WholeNumber buyer;
    QString buyerName;
    QVariant unitPrice;
    QString quantity;
    QVariant discount;
    QVariant amount;
};

// A TMEMBER row with the names of its member and job kind ("" when the master lost them).
struct StoredMember {
    WholeNumber member;
    QString name;
    WholeNumber kind;
    QString kindName;
    QVariant pricePerHour;
    QString occupiedHours;
    QString indirectHours;
};

// A TCONTRACT row: NCID 1-6 a fixed option at its level, others a free option with its name.
struct StoredContract {
    WholeNumber option;
    QVariant level;
    QString name;
    QString memo;
    QVariant price;
};
