#pragma once

#include <QDate>
#include <QList>
#include <QString>

// Figures and row keys of the project editor's pages, kept apart from the widgets.

// "M0012": a member row of the project's member list.
QString MemberRowKey(int member);

// "E0012O" / "E0012C": an expense row; the letter tells the customer (buyer code 1) from any
// other buyer, so an item may be listed once for each.
QString ExpenseRowKey(int item, int buyer);

// The id in a row key: every digit after the key's letter, up to the buyer letter of an
// expense key. 0 for a key without digits or with a number beyond 32 bits.
int KeyToId(const QString& key);

// Personnel cost of one member row: price x occupied hours, without the indirect hours unless
// the policy "Indirect" counts them.
double MemberCost(double pricePerHour, double occupiedHours, double indirectHours, bool countIndirect);

// Amount of one expense row: unit price x quantity, less a discount in yen.
double ExpenseAmount(double unitPrice, int quantity, double discount);

// The surcharge (coefficient - 1) x work total of a contract option or deliverable, with the
// coefficient taken in hundredths as it is shown, so that 1.15 on 1,000,000 gives 150,000.
double ProposedSurcharge(double coefficient, double workTotal);

// Calendar months from the first to the second date; the day of month does not count.
int MonthSpan(const QDate& from, const QDate& to);

// The months the schedule spans: from the earliest to the latest date, 0 with fewer than two
// different dates.
int ScheduleMonths(const QList<QDate>& dates);

// The coefficient column of a deliverable kind: NCOEF3 delivered in a specified format,
// NCOEF delivered, NCOEF2 not delivered.
QString DeliverableCoefColumn(bool delivered, bool formatSpecified);
