#include "masters/price_kind_rows.h"

#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "divisions/division_ids.h"
#include "masters/master_tables.h"

QString PriKindLiteral(bool charge)
{
    return charge ? QStringLiteral("'0'") : QStringLiteral("'1'");
}

PriceKindRepository::PriceKindRepository(DbConnection& connection, bool charge)
    : m_connection(connection), m_charge(charge), m_kinds(connection, PriceKindTable())
{
}

QList<PriceSlot> PriceKindRepository::priceSlots() const
{
    const QString sql =
        m_charge ? QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") +
                       QString::number(Division::MemberKind) + QStringLiteral(" ORDER BY NSORT")
                 : QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") + QString::number(Division::Process) +
                       QStringLiteral(" AND CDEF = '1' ORDER BY NSORT");
    QList<PriceSlot> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        rows.append({ToInt(rs.field(QStringLiteral("NVAL"))), ToText(rs.field(QStringLiteral("CNAME")))});
    }
    return rows;
}

QList<PriceKindListRow> PriceKindRepository::list() const
{
    QList<PriceKindListRow> rows;
    for (Recordset rs = OpenRs(m_connection, PriceKindTable().listSql); !rs.eof(); rs.moveNext()) {
        PriceKindListRow row;
        row.key = ToText(rs.field(QStringLiteral("NPRIKIND")));
        row.name = ToText(rs.field(QStringLiteral("CPRINAME")));
        row.base = rs.field(QStringLiteral("NBASE"));
        for (Recordset prices =
                 OpenRs(m_connection, QStringLiteral("SELECT * FROM MPRIPROG") +
                                          QStringLiteral(" WHERE NPRIKIND = ") + row.key +
                                          QStringLiteral(" AND CCKIND = ") + PriKindLiteral(m_charge) +
                                          QStringLiteral(" ORDER BY NDKIND"));
             !prices.eof(); prices.moveNext()) {
            row.prices.append(
                {ToInt(prices.field(QStringLiteral("NDKIND"))), prices.field(QStringLiteral("NDPRI"))});
        }
        rows.append(row);
    }
    return rows;
}

void PriceKindRepository::insertPrices(int kind, const QList<PriceKindValues::Price>& prices)
{
    for (const PriceKindValues::Price& price : prices) {
        ExecSql(m_connection, QStringLiteral("INSERT INTO MPRIPROG (NPRIKIND,CCKIND,NDKIND,NDPRI) VALUES (") +
                                  SqlLiteral(kind, QStringLiteral("N")) + QStringLiteral(", ") +
                                  PriKindLiteral(m_charge) + QStringLiteral(", ") +
                                  SqlLiteral(price.code, QStringLiteral("N")) + QStringLiteral(", ") +
                                  SqlLiteral(price.text, QStringLiteral("N")) + QStringLiteral(")"));
    }
}

PriceKindSave PriceKindRepository::save(int mode, int kind, const PriceKindValues& values)
{
    PriceKindSave result;
    Transaction transaction(m_connection);
    if (mode == 2) {
        ExecSql(m_connection, QStringLiteral("DELETE MPRIPROG WHERE NPRIKIND = ") + QString::number(kind));
        m_kinds.remove(kind);
    } else if (m_kinds.nameTaken(values.name, mode == 1 ? kind : 0)) {
        result.duplicate = true;
        return result;
    } else if (mode == 0) {
        result.orderOverflowed = m_kinds.add({values.name, values.base}).overflowed;
        result.kind = GetIdentity(m_connection, QStringLiteral("MPRIBASE"));
        insertPrices(result.kind, values.prices);
    } else {
        m_kinds.update(kind, {values.name, values.base});
        ExecSql(m_connection, QStringLiteral("DELETE MPRIPROG WHERE NPRIKIND = ") + QString::number(kind) +
                                  QStringLiteral(" AND CCKIND = ") + PriKindLiteral(m_charge));
        insertPrices(kind, values.prices);
    }
    transaction.commit();
    return result;
}

OrderExchange PriceKindRepository::exchangeOrder(int a, int b)
{
    return m_kinds.exchangeOrder(a, b);
}
