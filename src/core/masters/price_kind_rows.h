#pragma once

#include "convert/conversions.h"
#include "masters/master_rows.h"

#include <QList>
#include <QString>
#include <QVariant>

class DbConnection;

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

// A division row the prices of the current mode are kept under: a member kind or a process in
// use.
struct PriceSlot {
    WholeNumber code;
    QString name;
};

// A price kind as listed, with the prices of the current mode.
struct PriceKindListRow {
    struct Price {
        WholeNumber code;
        QVariant price;
    };
    QString key;
    QString name;
    QVariant base;
    QList<Price> prices;
};

struct PriceKindSave {
    bool duplicate = false; // another kind has the name: nothing was written
    int kind = 0;           // the kind added
    // As in MasterRepository::add: the order counted 0 for an order beyond the 16-bit range.
    bool orderOverflowed = false;
};

// The price kinds with their base fee and the unit prices of the current mode ("Charge" on: per
// member kind, off: per process). The other mode's prices are neither read nor written, but
// for a deletion, which takes both. DbError (with the statement) and ConversionError propagate.
class PriceKindRepository {
public:
    PriceKindRepository(DbConnection& connection, bool charge);

    QList<PriceSlot> priceSlots() const;
    QList<PriceKindListRow> list() const;
    // 0 adds, 1 updates, 2 deletes kind, in one transaction: a duplicate name or a failure
    // writes nothing.
    PriceKindSave save(int mode, int kind, const PriceKindValues& values);
    OrderExchange exchangeOrder(int a, int b);

private:
    void insertPrices(int kind, const QList<PriceKindValues::Price>& prices);

    DbConnection& m_connection;
    bool m_charge;
    MasterRepository m_kinds;
};
