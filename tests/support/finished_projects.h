#pragma once

#include "documents/function_size.h"
#include "small_tree.h"

// Two customers' projects with sized functions: 基幹更改 (customer 顧客A, finished 2024/03/31)
// holds five counted functions whose actual hours are 1.2 x their COCOMO hours at the standard
// constant, rounded to whole hours, and one on hold; 小口改修 (顧客B) has two counted functions and
// is not finished until a test says so.
struct FinishedProjects {
    int customerA = 0;
    int customerB = 0;
    int big = 0;               // 基幹更改
    int small = 0;             // 小口改修
    QVector<int> bigFunctions; // the five counted ones, in list order
    int onHold = 0;
    QVector<int> smallFunctions;

    // Function-point rows per counted function of 基幹更改: each an external input of average
    // complexity (4 points).
    static constexpr int kFpRows[5] = {10, 20, 35, 50, 80};

    static FinishedProjects build(DbConnection& c)
    {
        FinishedProjects w;
        ExecSql(c, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('顧客A', '', 1)"_s);
        w.customerA = GetIdentity(c, u"MCUSTOMER"_s);
        ExecSql(c, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('顧客B', '', 2)"_s);
        w.customerB = GetIdentity(c, u"MCUSTOMER"_s);
        w.big = project(c, u"基幹更改"_s, w.customerA, 5000000);
        w.small = project(c, u"小口改修"_s, w.customerB, 800000);
        for (int i = 0; i < 5; ++i) {
            const int f = insertFunction(c, w.big, u"'1'"_s, u"1, 1, 1, 1, 1"_s, u"機能%1"_s.arg(i + 1),
                                         u"0"_s, u"%1, 0, 0"_s.arg(100 * (i + 1)), i + 1);
            fpRows(c, w.big, f, kFpRows[i]);
            w.bigFunctions << f;
        }
        w.onHold =
            insertFunction(c, w.big, u"NULL"_s, u"1, 1, 1, 1, 1"_s, u"保留機能"_s, u"0"_s, u"40, 0, 0"_s, 6);
        fpRows(c, w.big, w.onHold, 10);
        for (int i = 0; i < 2; ++i) {
            const int f = insertFunction(c, w.small, u"'1'"_s, u"1, 1, 1, 1, 1"_s, u"改修%1"_s.arg(i + 1),
                                         u"0"_s, u"%1, 0, 0"_s.arg(50 * (i + 1)), i + 1);
            fpRows(c, w.small, f, 5 * (i + 1));
            w.smallFunctions << f;
        }
        // Actuals of 基幹更改: 1.2 x COCOMO, spread over two processes.
        const QHash<int, EstimateResult> sizes = ProjectFunctionSizes(c, w.big, 160);
        for (const int f : w.bigFunctions) {
            const int total = qRound(sizes.value(f).cocomoHours * 1.2);
            actual(c, w.big, f, 2, total / 3);
            actual(c, w.big, f, 4, total - total / 3);
        }
        actual(c, w.big, w.onHold, 2, 99);
        execArgs(c, u"INSERT INTO TPROJDONE VALUES (%1, Convert(DateTime,'2024/03/31',111))"_s, w.big);
        return w;
    }

    static int project(DbConnection& c, const QString& name, int customer, int price)
    {
        execArgs(c,
                 u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, NPRICE, "
                 u"COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT) VALUES "
                 u"(0, '%1', %2, %2, 1, 100000, %3, '', '', '1', '1', '1', '1', '0', '1', 0)"_s,
                 name, customer, price);
        return GetIdentity(c, u"TPROJECT"_s);
    }

    static void fpRows(DbConnection& c, int project, int function, int count)
    {
        for (int n = 1; n <= count; ++n) {
            execArgs(c, u"INSERT INTO TFP VALUES (%1, %2, %3, 'EI%3', 3, 2)"_s, project, function, n);
        }
    }

    static void actual(DbConnection& c, int project, int function, int process, int hours)
    {
        execArgs(c, u"INSERT INTO TACTUAL VALUES (%1, %2, %3, %4)"_s, project, function, process, hours);
    }
};
