#pragma once

#include "state/app_state.h"

#include <QDate>
#include <QList>
#include <QString>

// What the project editor writes: the project row and the rows of its components, as the
// pages hold them. Amounts stay texts as typed; the save turns them into literals.

struct ProjectRecord {
    int parent = 0;
    QString name;
    int endCustomer = 1;
    int contractCustomer = 1;
    int priceKind = 1;
    QString base;
    QString price;
    QString outline;
    QString special;
    QuoteSettings quote;
};

// NCID 1-6: a fixed option with its level; 100 and up: a free option with its name.
struct ContractRow {
    int optionId = 0;
    int level = 0;
    QString name;
    QString memo;
    QString price;
};

struct ScheduleDate {
    int process = 0; // division 7 code
    QDate date;
};

// kind != 0: a row of a deliverable kind (division 8); kind 0: a free row with its name.
struct DeliverableRow {
    int position = 0; // 1-based row of the page
    int kind = 0;
    bool delivered = false;
    bool formatSpecified = false;
    QString name;
    QString price;
};

struct ExpenseRow {
    int item = 0;
    int buyer = 0;
    QString unitPrice;
    QString quantity;
    QString discount;
    QString amount;
};

struct MemberRow {
    int member = 0;
    int kind = 0;
    QString pricePerHour;
    QString occupiedHours;
    QString indirectHours;
};

struct ProjectComponents {
    QList<ContractRow> contracts;
    QList<ScheduleDate> dates;
    QList<DeliverableRow> deliverables;
    QList<ExpenseRow> expenses;
    QList<MemberRow> members;
};
