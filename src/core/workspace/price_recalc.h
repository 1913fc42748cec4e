#pragma once

#include <functional>

class DbConnection;

// How far a long recalculation has come: start once the number of steps (statements) is known,
// then step after each. Either may be empty.
struct RecalcProgress {
    std::function<void(int steps)> start;
    std::function<void()> step;
};

// Rebuilds the stored totals of the functions of one project (0: of every project) from their
// stored hours: NHTOTAL and NTOTAL from the member assignments priced under the project's
// price kind (charge on) or from the per-process hour rows (off), and NPRICE by the price rule
// of the function editor (FunctionPrice), in a few set-based statements whatever the number of
// functions. Runs in one transaction on a private second connection; call it only
// after the caller's own transaction has ended. A failure leaves every total as it was and
// raises DbError carrying the statement that failed.
void RecalculatePrices(DbConnection& shared, bool charge, int project,
                       const RecalcProgress& progress = RecalcProgress());

// The same for one project (0: every project) on the connection of the caller's open
// transaction, so that the caller's commit or rollback takes the prices with its own rows.
// Errors propagate (DbError) and are the caller's to report.
void RecalcPricesInTransaction(DbConnection& connection, bool charge, int project);
