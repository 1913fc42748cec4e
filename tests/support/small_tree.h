#pragma once

#include "large_database.h"
#include "state/app_state.h"
#include "test_support.h"

// A small project tree over the reference data, three levels deep:
//
//   保守案件 (top, NSORT 1)
//   本社システム (top, NSORT 2)
//     在庫管理 (NSORT 1, price kind 2)
//     販売管理 (NSORT 2, price kind 1)  -- members, expenses of buyer codes 0/1/2, options,
//       請求 (price kind 2)                deliverables and four functions
//
// Price kind 2 "特急単価" is added beside the reference data's kind 1 with other prices, so a
// recalculation that prices an assignment under the wrong kind gives another figure.
struct SmallTree {
    int maintenance = 0; // 保守案件
    int head = 0;        // 本社システム
    int sales = 0;       // 販売管理
    int stock = 0;       // 在庫管理
    int billing = 0;     // 請求

    int priceKind2 = 0;

    // Functions of 販売管理:
    int order = 0;    // 受注入力: counted; THOUR 12.5 h + 40 h, TCHARGE 50 h; classes 1.1 x 1.1
    int shipping = 0; // 出荷指示: on hold (CVALID NULL); class 0.85
    int closing = 0;  // 請求締め: counted, no hour rows at all, discount 5,000
    int reports = 0;  // 帳票出力: counted, hour rows whose hours are NULL; totals NULL
    // Function of 在庫管理 and of 請求.
    int inquiry = 0; // 在庫照会
    int invoice = 0; // 請求書発行

    // With a first key, the price kind, the projects and the functions take keys from there on
    // (functions 30,000 further), as in a database used for years.
    static SmallTree build(DbConnection& connection, int firstKey = 0);
};

// Runs a statement whose %1, %2, ... take the values in turn.
template <typename... A> void execArgs(DbConnection& connection, const QString& sql, const A&... values)
{
    QString text = sql;
    ((text = text.arg(values)), ...);
    ExecSql(connection, text);
}

// Rows as the editors would have saved them. sort and valid are SQL text (NULL allowed); classes are
// NNUP, NIMP, NDEF, NRSK, NTRM; totals are NHTOTAL, NTOTAL, NPRICE as stored in member-assignment mode.
inline int insertProject(DbConnection& c, int parent, const QString& name, int priceKind, int base, int price,
                         const QString& sort)
{
    execArgs(c,
             u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, NPRICE, "
             u"COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT, NSORT) VALUES "
             u"(%1, '%2', 1, 1, %3, %4, %5, '', '', '1', '1', '1', '1', '0', '1', 0, %6)"_s,
             parent, name, priceKind, base, price, sort);
    return GetIdentity(c, u"TPROJECT"_s);
}

inline int insertFunction(DbConnection& c, int project, const QString& valid, const QString& classes,
                          const QString& title, const QString& discount, const QString& totals, int sort)
{
    execArgs(c,
             u"INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, CLFUNC, "
             u"NDISCOUNT, NHTOTAL, NTOTAL, NPRICE, NSORT) VALUES (%1, %2, %3, 1, '%4', '', %5, %6, %7)"_s,
             project, valid, classes, title, discount, totals, sort);
    return GetIdentity(c, u"TFUNCTION"_s);
}

// Hours per process, priced per process ("Charge" off), and one member assignment ("Charge" on).
inline void hours(DbConnection& c, int project, int function, int process, const QString& hours, int price)
{
    execArgs(c, u"INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (%1, %2, %3, %4, %5)"_s,
             project, function, process, hours, price);
}

inline void assign(DbConnection& c, int project, int function, int process, int slot, int member,
                   const QString& hours)
{
    execArgs(c, u"INSERT INTO TCHARGE VALUES (%1, %2, %3, %4, %5, %6)"_s, project, function, process, slot,
             member, hours);
}

inline SmallTree SmallTree::build(DbConnection& c, int firstKey)
{
    SmallTree t;
    if (firstKey != 0) {
        StartKeysAt(c, u"MPRIBASE"_s, u"NPRIKIND"_s, firstKey);
        StartKeysAt(c, u"TPROJECT"_s, u"NPROJECT"_s, firstKey);
        StartKeysAt(c, u"TFUNCTION"_s, u"NFUNCTION"_s, firstKey + 30000);
    }
    ExecSql(c, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('テスト顧客', '', 1)"_s);
    ExecSql(c, u"INSERT INTO MITEM (CITEM, NAPIECE, NSORT) VALUES ('検証機材', 10000, 1)"_s);
    ExecSql(c, u"INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 200000, 2)"_s);
    t.priceKind2 = GetIdentity(c, u"MPRIBASE"_s);
    const int kindPrices[5] = {12000, 10000, 9000, 7000, 6000};
    for (int kind = 1; kind <= 5; ++kind) {
        execArgs(c, u"INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (%1, '0', %2, %3)"_s,
                 t.priceKind2, kind, kindPrices[kind - 1]);
    }
    // Members 1 PM (6,000 yen an hour), 2 SE (4,000), 3 PG (3,000).
    const QString member = u"INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES "_s;
    ExecSql(c, member + u"('山田 PM', 1, 6000, 1)"_s);
    ExecSql(c, member + u"('川口 SE', 3, 4000, 2)"_s);
    ExecSql(c, member + u"('森 PG', 4, 3000, 3)"_s);

    t.maintenance = insertProject(c, 0, u"保守案件"_s, 1, 0, 800000, u"1"_s);
    t.head = insertProject(c, 0, u"本社システム"_s, 1, 0, 0, u"2"_s);
    t.sales = insertProject(c, t.head, u"販売管理"_s, 1, 100000, 5000000, u"2"_s);
    t.stock = insertProject(c, t.head, u"在庫管理"_s, t.priceKind2, 50000, 0, u"1"_s);
    t.billing = insertProject(c, t.sales, u"請求"_s, t.priceKind2, 0, 300000, u"NULL"_s);

    const QString s = QString::number(t.sales);
    // 販売管理: 450 hours occupied, 30 of them indirect; W = 1,850,000, I = 160,000.
    ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, 1, 1, 1, 6000, 100, 20)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, 2, 2, 3, 4000, 200, 10)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, 3, 3, 4, 3000, 150, 0)"_s.arg(s));
    // Expenses: buyer 0 80,000; buyer 1 120,000; buyer 2 999,000 (counts nowhere).
    ExecSql(c, u"INSERT INTO TEXPENSE VALUES (%1, 1, 1, 0, 10000, 5, 0, 50000)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TEXPENSE VALUES (%1, 2, 1, 1, 10000, 12, 0, 120000)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TEXPENSE VALUES (%1, 3, 1, 0, 10000, 3, 0, 30000)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TEXPENSE VALUES (%1, 4, 1, 2, 999000, 1, 0, 999000)"_s.arg(s));
    // Contract options 250,000; deliverables 130,000.
    ExecSql(c, u"INSERT INTO TCONTRACT VALUES (%1, 2, 2, NULL, '', 200000)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TCONTRACT VALUES (%1, 100, 0, '移行支援', '', 50000)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TDELIV VALUES (%1, 1, 1, '1', '0', NULL, 100000)"_s.arg(s));
    ExecSql(c, u"INSERT INTO TDELIV VALUES (%1, 2, NULL, NULL, NULL, '移行手順書', 30000)"_s.arg(s));

    // 受注入力: 新規 1.00, 重要 1.10, 普通 1.00, 標準 1.00, 短期 1.10.
    t.order = insertFunction(c, t.sales, u"'1'"_s, u"1, 3, 2, 2, 3"_s, u"受注入力"_s, u"10000"_s,
                             u"50, 340000, 401400"_s, 2);
    // 出荷指示 (on hold): 改造 0.85.
    t.shipping = insertFunction(c, t.sales, u"NULL"_s, u"2, 2, 2, 2, 2"_s, u"出荷指示"_s, u"0"_s,
                                u"20, 110000, 93500"_s, 1);
    // 請求締め: 難しい 1.15; no hours.
    t.closing = insertFunction(c, t.sales, u"'1'"_s, u"1, 2, 3, 2, 2"_s, u"請求締め"_s, u"5000"_s,
                               u"0, 0, -5000"_s, 3);
    t.reports = insertFunction(c, t.sales, u"'1'"_s, u"1, 2, 2, 2, 2"_s, u"帳票出力"_s, u"0"_s,
                               u"NULL, 0, NULL"_s, 4);

    hours(c, t.sales, t.order, 1, u"12.5"_s, 9000);
    hours(c, t.sales, t.order, 4, u"40"_s, 6000);
    assign(c, t.sales, t.order, 1, 1, 1, u"10"_s);
    assign(c, t.sales, t.order, 4, 1, 3, u"30"_s);
    assign(c, t.sales, t.order, 4, 2, 2, u"10"_s);

    hours(c, t.sales, t.shipping, 4, u"20"_s, 6000);
    assign(c, t.sales, t.shipping, 4, 1, 3, u"20"_s);

    hours(c, t.sales, t.reports, 2, u"NULL"_s, 8500);
    assign(c, t.sales, t.reports, 2, 1, 2, u"NULL"_s);

    // 在庫管理 (price kind 2): one SE with 80 hours; 8 hours assigned, SE at 9,000 under kind 2.
    ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, 1, 2, 3, 4000, 80, 0)"_s.arg(t.stock));
    t.inquiry = insertFunction(c, t.stock, u"'1'"_s, u"1, 2, 2, 2, 2"_s, u"在庫照会"_s, u"0"_s,
                               u"8, 72000, 72000"_s, 1);
    hours(c, t.stock, t.inquiry, 3, u"8"_s, 7500);
    assign(c, t.stock, t.inquiry, 3, 1, 2, u"8"_s);

    // 請求 (price kind 2): one PG with 5.5 hours, 10 assigned: 4.5 hours short.
    ExecSql(c, u"INSERT INTO TMEMBER VALUES (%1, 1, 3, 4, 3000, 5.5, 0)"_s.arg(t.billing));
    t.invoice = insertFunction(c, t.billing, u"'1'"_s, u"1, 2, 2, 2, 2"_s, u"請求書発行"_s, u"1000"_s,
                               u"10, 70000, 69000"_s, 1);
    hours(c, t.billing, t.invoice, 4, u"10"_s, 6500);
    assign(c, t.billing, t.invoice, 4, 1, 3, u"10"_s);
    return t;
}

// A fresh database of the engine holding the small tree (or the reference data alone), and a
// state connected to it.
struct TreeWorld {
    explicit TreeWorld(Engine engine = Engine::SQLite, bool withTree = true, int firstKey = 0)
        : db(TestDatabase::create(engine)), state(db->makeState()),
          t(withTree ? SmallTree::build(*state->Conn, firstKey) : SmallTree())
    {
    }
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    SmallTree t;
};

// "hours total price" of a function as stored, NULL shown as such.
inline QString totals(DbConnection& c, int function)
{
    Recordset rs = OpenRs(c, u"SELECT NHTOTAL, NTOTAL, NPRICE FROM TFUNCTION WHERE NFUNCTION = "_s +
                                 QString::number(function));
    QStringList values;
    for (const QString& column : {u"NHTOTAL"_s, u"NTOTAL"_s, u"NPRICE"_s}) {
        const QVariant v = rs.field(column);
        values << (v.isValid() ? QString::number(v.toDouble(), 'g', 12) : u"NULL"_s);
    }
    return values.join(u' ');
}

// A value no recalculation writes, so that an untouched function shows.
inline void markStale(DbConnection& c)
{
    ExecSql(c, u"UPDATE TFUNCTION SET NHTOTAL = 7, NTOTAL = 7, NPRICE = 7"_s);
}
