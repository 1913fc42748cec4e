#include "db/db_connection.h"
#include "db/db_error.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/price_recalc.h"
#include "workspace/project_summary.h"

#include <optional>

// The recalculation of the function prices and the figures of the project summary, over the
// small tree (the window's use of them: test_workspace).
class TestWorkspaceFigures : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The figures of the small tree in both modes, for one project and for all of them.
    void recalculates_data() { addEngineRows(); }
    void recalculates()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& c = *w.state->Conn;
        for (const bool charge : {true, false}) {
            for (const bool allProjects : {false, true}) {
                markStale(c);
                StatementLog log;
                // A failure would raise.
                RecalculatePrices(c, charge, allProjects ? 0 : w.t.sales);
                const QStringList statements = log.statements();
                // Every write goes through the private connection; once it has written the functions,
                // a read of them on the shared connection would wait for ever on a server that locks
                // rows.
                bool written = false;
                for (int i = 0; i < statements.size(); ++i) {
                    const bool shared = log.connections().at(i) == &c;
                    written = written || statements[i].startsWith(u"UPDATE"_s);
                    QVERIFY2(shared != statements[i].startsWith(u"UPDATE"_s), qPrintable(statements[i]));
                    QVERIFY2(!written || !shared || !statements[i].contains(u"TFUNCTION"_s),
                             qPrintable(statements[i]));
                }
                QVERIFY(written);

                // Price = total x the five class coefficients - discount, in whole yen.
                // 受注入力: 340,000 x 1.1 x 1.1 - 10,000; 出荷指示 is on hold, recalculated all the same.
                QCOMPARE(totals(c, w.t.order), charge ? u"50 340000 401400"_s : u"52.5 352500 416525"_s);
                QCOMPARE(totals(c, w.t.shipping), charge ? u"20 110000 93500"_s : u"20 120000 102000"_s);
                QCOMPARE(totals(c, w.t.closing), u"0 0 -5000"_s); // no hour rows: minus the discount
                // A group whose hours are all NULL writes 0: neither NULL nor an invalid statement.
                QCOMPARE(totals(c, w.t.reports), u"0 0 0"_s);
                // Each assignment priced under its own project's price kind (SE 9,000, PG 7,000); a
                // recalculation of one project leaves the others alone.
                const QString inquiry = charge ? u"8 72000 72000"_s : u"8 60000 60000"_s;
                const QString invoice = charge ? u"10 70000 69000"_s : u"10 65000 64000"_s;
                QCOMPARE(totals(c, w.t.inquiry), allProjects ? inquiry : u"7 7 7"_s);
                QCOMPARE(totals(c, w.t.invoice), allProjects ? invoice : u"7 7 7"_s);
            }
        }
    }

    // The progress is told once with the number of steps, one per total and one per price, and
    // then after each step.
    void progressIsCounted()
    {
        TreeWorld w;
        DbConnection& c = *w.state->Conn;
        QList<int> starts;
        int steps = 0;
        RecalcProgress progress;
        progress.start = [&](int count) { starts << count; };
        progress.step = [&] {
            QCOMPARE(starts.size(), 1);
            ++steps;
        };
        RecalculatePrices(c, false, 0, progress);
        const int sums =
            scalar(c, u"SELECT COUNT(*) AS V FROM (SELECT DISTINCT NPROJECT, NFUNCTION FROM THOUR) H"_s)
                .toInt();
        const int functions = rowCount(c, u"TFUNCTION"_s);
        QVERIFY(sums > 0 && functions > sums);
        QCOMPARE(starts, QList<int>({sums + functions}));
        QCOMPARE(steps, sums + functions);
        // Without a progress the work is the same.
        markStale(c);
        RecalculatePrices(c, false, 0);
        QCOMPARE(totals(c, w.t.closing), u"0 0 -5000"_s);
    }

    // A failing statement raises with that statement and leaves every total as it was; inside a
    // transaction of the shared connection the recalculation refuses before it starts.
    void failureRaisesAndChangesNothing_data() { addEngineRows(); }
    void failureRaisesAndChangesNothing()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& c = *w.state->Conn;
        for (const QString& failing : {u"UPDATE TFUNCTION SET NHTOTAL = 0,"_s, u"SELECT V.NPROJECT"_s,
                                       u"UPDATE TFUNCTION SET NPRICE = CASE"_s, QString()}) {
            markStale(c);
            std::optional<DbError> raised;
            {
                StatementLog log;
                std::optional<Transaction> transaction;
                if (failing.isEmpty()) {
                    transaction.emplace(c);
                } else {
                    log.failOn(failing);
                }
                try {
                    RecalculatePrices(c, true, 0);
                } catch (const DbError& e) {
                    raised = e;
                }
                QVERIFY2(raised, qPrintable(failing));
                QCOMPARE(raised->statement(), log.failedStatement());
                QVERIFY(failing.isEmpty() ? log.statements().isEmpty()
                                          : raised->statement().startsWith(failing));
            }
            QCOMPARE(raised->description(),
                     failing.isEmpty() ? u"保存の処理中は価格を再計算できません。"_s : u"injected failure"_s);
            QVERIFY2(rowCount(c, u"TFUNCTION"_s, u"NHTOTAL = 7 AND NTOTAL = 7 AND NPRICE = 7"_s) == 6,
                     qPrintable(failing));
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestWorkspaceFigures)
#include "test_workspace_figures.moc"
