#pragma once

#include <QList>
#include <QString>

class DbConnection;
struct MasterTable;

// CCKIND of the prices the policy "Charge" uses, as a literal: '0' per member kind, '1' per
// process.
QString PriKindLiteral(bool charge);

// A price kind as typed: name, base fee and the unit price of each slot in use, under the
// division code (member kind or process) the slot shows.
struct PriceKindValues {
    struct Price {
        int code = 0;
        QString text;
    };
    QString name;
    QString base;
    QList<Price> prices;
};

const MasterTable& PriceKindTable();

// These run inside the caller's transaction; errors propagate (DbError, ConversionError).
// Only the prices of the current mode are written; the other mode's stay as they are.
// Adds the kind after the last and returns its key; orderOverflowed tells, as InsertMasterRow
// does, that the order counted 0 for an order beyond the 16-bit range.
int AddPriceKind(DbConnection& connection, bool charge, const PriceKindValues& values, bool* orderOverflowed);
void UpdatePriceKind(DbConnection& connection, bool charge, int kind, const PriceKindValues& values);
// Removes the prices of both modes and the kind itself.
void DeletePriceKind(DbConnection& connection, int kind);
