#pragma once

#include "foundation/app_state.h"
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

    static SmallTree build(DbConnection& connection);
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
int insertProject(DbConnection& c, int parent, const QString& name, int priceKind, int base, int price,
                  const QString& sort);
int insertFunction(DbConnection& c, int project, const QString& valid, const QString& classes,
                   const QString& title, const QString& discount, const QString& totals, int sort);
// Hours per process, priced per process ("Charge" off), and one member assignment ("Charge" on).
void hours(DbConnection& c, int project, int function, int process, const QString& hours, int price);
void assign(DbConnection& c, int project, int function, int process, int slot, int member,
            const QString& hours);

// A fresh database of the engine holding the small tree (or the reference data alone), and a
// state connected to it.
struct TreeWorld {
    explicit TreeWorld(Engine engine = Engine::SQLite, bool withTree = true)
        : db(TestDatabase::create(engine)), state(db->makeState()),
          t(withTree ? SmallTree::build(*state->Conn) : SmallTree())
    {
    }
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    SmallTree t;
};
