#include "masters/price_kind_rows.h"

#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "masters/master_rows.h"

QString PriKindLiteral(bool charge)
{
    return charge ? QStringLiteral("'0'") : QStringLiteral("'1'");
}

const MasterTable& PriceKindTable()
{
    static const MasterTable table{QStringLiteral("MPRIBASE"),
                                   QStringLiteral("NPRIKIND"),
                                   QStringLiteral("CPRINAME"),
                                   {QStringLiteral("CPRINAME"), QStringLiteral("NBASE")},
                                   QStringLiteral(",  ")};
    return table;
}

namespace {

void insertPrices(DbConnection& connection, bool charge, int kind,
                  const QList<PriceKindValues::Price>& prices)
{
    for (const PriceKindValues::Price& price : prices) {
        ExecSql(connection, QStringLiteral("INSERT INTO MPRIPROG (NPRIKIND,CCKIND,NDKIND,NDPRI) VALUES (") +
                                SqlLiteral(kind, QStringLiteral("N")) + QStringLiteral(", ") +
                                PriKindLiteral(charge) + QStringLiteral(", ") +
                                SqlLiteral(price.code, QStringLiteral("N")) + QStringLiteral(", ") +
                                SqlLiteral(price.text, QStringLiteral("N")) + QStringLiteral(")"));
    }
}

} // namespace

int AddPriceKind(DbConnection& connection, bool charge, const PriceKindValues& values, bool* orderOverflowed)
{
    *orderOverflowed = InsertMasterRow(connection, PriceKindTable(), {values.name, values.base}).overflowed;
    const int kind = GetIdentity(connection, QStringLiteral("MPRIBASE"));
    insertPrices(connection, charge, kind, values.prices);
    return kind;
}

void UpdatePriceKind(DbConnection& connection, bool charge, int kind, const PriceKindValues& values)
{
    UpdateMasterRow(connection, PriceKindTable(), kind, {values.name, values.base});
    ExecSql(connection, QStringLiteral("DELETE MPRIPROG WHERE NPRIKIND = ") + QString::number(kind) +
                            QStringLiteral(" AND CCKIND = ") + PriKindLiteral(charge));
    insertPrices(connection, charge, kind, values.prices);
}

void DeletePriceKind(DbConnection& connection, int kind)
{
    ExecSql(connection, QStringLiteral("DELETE MPRIPROG WHERE NPRIKIND = ") + QString::number(kind));
    DeleteMasterRow(connection, PriceKindTable(), kind);
}
