#include "small_tree.h"

#include "foundation/db_connection.h"

#include <QString>

namespace {

int insertProject(DbConnection& c, int parent, const QString& name, int priceKind, int base, int price,
                  const QString& sort)
{
    ExecSql(c, QStringLiteral(
                   "INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, "
                   "NPRICE, COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT, "
                   "NSORT) VALUES (%1, '%2', 1, 1, %3, %4, %5, '', '', '1', '1', '1', '1', '0', '1', 0, %6)")
                   .arg(parent)
                   .arg(name)
                   .arg(priceKind)
                   .arg(base)
                   .arg(price)
                   .arg(sort));
    return GetIdentity(c, QStringLiteral("TPROJECT"));
}

// Stored totals as the function editor would have saved them in member-assignment mode.
int insertFunction(DbConnection& c, int project, const QString& valid, const QString& classes,
                   const QString& title, const QString& discount, const QString& totals, int sort)
{
    ExecSql(c, QStringLiteral(
                   "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, "
                   "CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE, NSORT) VALUES (%1, %2, %3, 1, '%4', '', "
                   "%5, %6, %7)")
                   .arg(project)
                   .arg(valid, classes, title, discount, totals)
                   .arg(sort));
    return GetIdentity(c, QStringLiteral("TFUNCTION"));
}

// Hours per process, priced per process ("Charge" off).
void hours(DbConnection& c, int project, int function, int process, const QString& hours, int price)
{
    ExecSql(c, QStringLiteral(
                   "INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (%1, %2, %3, %4, %5)")
                   .arg(project)
                   .arg(function)
                   .arg(process)
                   .arg(hours)
                   .arg(price));
}

// One member assignment ("Charge" on).
void assign(DbConnection& c, int project, int function, int process, int slot, int member,
            const QString& hours)
{
    ExecSql(c, QStringLiteral("INSERT INTO TCHARGE VALUES (%1, %2, %3, %4, %5, %6)")
                   .arg(project)
                   .arg(function)
                   .arg(process)
                   .arg(slot)
                   .arg(member)
                   .arg(hours));
}

} // namespace

SmallTree SmallTree::build(DbConnection& c)
{
    SmallTree t;
    ExecSql(c,
            QStringLiteral("INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('テスト顧客', '', 1)"));
    ExecSql(c, QStringLiteral("INSERT INTO MITEM (CITEM, NAPIECE, NSORT) VALUES ('検証機材', 10000, 1)"));
    ExecSql(c,
            QStringLiteral("INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 200000, 2)"));
    t.priceKind2 = GetIdentity(c, QStringLiteral("MPRIBASE"));
    const int kindPrices[5] = {12000, 10000, 9000, 7000, 6000};
    for (int kind = 1; kind <= 5; ++kind) {
        ExecSql(c, QStringLiteral(
                       "INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (%1, '0', %2, %3)")
                       .arg(t.priceKind2)
                       .arg(kind)
                       .arg(kindPrices[kind - 1]));
    }
    // Members 1 PM (6,000 yen an hour), 2 SE (4,000), 3 PG (3,000).
    ExecSql(c, QStringLiteral(
                   "INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ('山田 PM', 1, 6000, 1)"));
    ExecSql(c, QStringLiteral(
                   "INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ('川口 SE', 3, 4000, 2)"));
    ExecSql(c, QStringLiteral(
                   "INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ('森 PG', 4, 3000, 3)"));

    t.maintenance = insertProject(c, 0, QStringLiteral("保守案件"), 1, 0, 800000, QStringLiteral("1"));
    t.head = insertProject(c, 0, QStringLiteral("本社システム"), 1, 0, 0, QStringLiteral("2"));
    t.sales = insertProject(c, t.head, QStringLiteral("販売管理"), 1, 100000, 5000000, QStringLiteral("2"));
    t.stock =
        insertProject(c, t.head, QStringLiteral("在庫管理"), t.priceKind2, 50000, 0, QStringLiteral("1"));
    t.billing =
        insertProject(c, t.sales, QStringLiteral("請求"), t.priceKind2, 0, 300000, QStringLiteral("NULL"));

    const QString s = QString::number(t.sales);
    // 販売管理: 450 hours occupied, 30 of them indirect; W = 1,850,000, I = 160,000.
    ExecSql(c, QStringLiteral("INSERT INTO TMEMBER VALUES (%1, 1, 1, 1, 6000, 100, 20)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TMEMBER VALUES (%1, 2, 2, 3, 4000, 200, 10)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TMEMBER VALUES (%1, 3, 3, 4, 3000, 150, 0)").arg(s));
    // Expenses: buyer 0 80,000; buyer 1 120,000; buyer 2 999,000 (counts nowhere).
    ExecSql(c, QStringLiteral("INSERT INTO TEXPENSE VALUES (%1, 1, 1, 0, 10000, 5, 0, 50000)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TEXPENSE VALUES (%1, 2, 1, 1, 10000, 12, 0, 120000)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TEXPENSE VALUES (%1, 3, 1, 0, 10000, 3, 0, 30000)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TEXPENSE VALUES (%1, 4, 1, 2, 999000, 1, 0, 999000)").arg(s));
    // Contract options 250,000; deliverables 130,000.
    ExecSql(c, QStringLiteral("INSERT INTO TCONTRACT VALUES (%1, 2, 2, NULL, '', 200000)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TCONTRACT VALUES (%1, 100, 0, '移行支援', '', 50000)").arg(s));
    ExecSql(c, QStringLiteral("INSERT INTO TDELIV VALUES (%1, 1, 1, '1', '0', NULL, 100000)").arg(s));
    ExecSql(
        c, QStringLiteral("INSERT INTO TDELIV VALUES (%1, 2, NULL, NULL, NULL, '移行手順書', 30000)").arg(s));

    // 受注入力: 新規 1.00, 重要 1.10, 普通 1.00, 標準 1.00, 短期 1.10.
    t.order = insertFunction(c, t.sales, QStringLiteral("'1'"), QStringLiteral("1, 3, 2, 2, 3"),
                             QStringLiteral("受注入力"), QStringLiteral("10000"),
                             QStringLiteral("50, 340000, 401400"), 2);
    // 出荷指示 (on hold): 改造 0.85.
    t.shipping = insertFunction(c, t.sales, QStringLiteral("NULL"), QStringLiteral("2, 2, 2, 2, 2"),
                                QStringLiteral("出荷指示"), QStringLiteral("0"),
                                QStringLiteral("20, 110000, 93500"), 1);
    // 請求締め: 難しい 1.15; no hours.
    t.closing =
        insertFunction(c, t.sales, QStringLiteral("'1'"), QStringLiteral("1, 2, 3, 2, 2"),
                       QStringLiteral("請求締め"), QStringLiteral("5000"), QStringLiteral("0, 0, -5000"), 3);
    t.reports =
        insertFunction(c, t.sales, QStringLiteral("'1'"), QStringLiteral("1, 2, 2, 2, 2"),
                       QStringLiteral("帳票出力"), QStringLiteral("0"), QStringLiteral("NULL, 0, NULL"), 4);

    hours(c, t.sales, t.order, 1, QStringLiteral("12.5"), 9000);
    hours(c, t.sales, t.order, 4, QStringLiteral("40"), 6000);
    assign(c, t.sales, t.order, 1, 1, 1, QStringLiteral("10"));
    assign(c, t.sales, t.order, 4, 1, 3, QStringLiteral("30"));
    assign(c, t.sales, t.order, 4, 2, 2, QStringLiteral("10"));

    hours(c, t.sales, t.shipping, 4, QStringLiteral("20"), 6000);
    assign(c, t.sales, t.shipping, 4, 1, 3, QStringLiteral("20"));

    hours(c, t.sales, t.reports, 2, QStringLiteral("NULL"), 8500);
    assign(c, t.sales, t.reports, 2, 1, 2, QStringLiteral("NULL"));

    // 在庫管理 (price kind 2): one SE with 80 hours; 8 hours assigned, SE at 9,000 under kind 2.
    const QString st = QString::number(t.stock);
    ExecSql(c, QStringLiteral("INSERT INTO TMEMBER VALUES (%1, 1, 2, 3, 4000, 80, 0)").arg(st));
    t.inquiry =
        insertFunction(c, t.stock, QStringLiteral("'1'"), QStringLiteral("1, 2, 2, 2, 2"),
                       QStringLiteral("在庫照会"), QStringLiteral("0"), QStringLiteral("8, 72000, 72000"), 1);
    hours(c, t.stock, t.inquiry, 3, QStringLiteral("8"), 7500);
    assign(c, t.stock, t.inquiry, 3, 1, 2, QStringLiteral("8"));

    // 請求 (price kind 2): one PG with 5.5 hours, 10 assigned: 4.5 hours short.
    const QString b = QString::number(t.billing);
    ExecSql(c, QStringLiteral("INSERT INTO TMEMBER VALUES (%1, 1, 3, 4, 3000, 5.5, 0)").arg(b));
    t.invoice = insertFunction(c, t.billing, QStringLiteral("'1'"), QStringLiteral("1, 2, 2, 2, 2"),
                               QStringLiteral("請求書発行"), QStringLiteral("1000"),
                               QStringLiteral("10, 70000, 69000"), 1);
    hours(c, t.billing, t.invoice, 4, QStringLiteral("10"), 6500);
    assign(c, t.billing, t.invoice, 4, 1, 3, QStringLiteral("10"));
    return t;
}
