#include "calc/function_price.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "large_database.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/price_recalc.h"
#include "workspace/project_summary.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <optional>

namespace {

// The recalculation one function at a time, as it was written before it became set-based: the
// totals reset, then per summed function an UPDATE with the sums as plain numbers, then per
// function its price by FunctionPrice. The set-based statements must give the same figures.
void recalcPerRow(DbConnection& c, bool charge, int project)
{
    const QString where = project != 0 ? u" WHERE NPROJECT = %1"_s.arg(project) : QString();
    Transaction transaction(c);
    ExecSql(c, u"UPDATE TFUNCTION SET NHTOTAL = 0, NTOTAL = 0, NPRICE = 0"_s + where);
    const QString sums =
        charge ? u"SELECT V.NPROJECT, V.NFUNCTION, SUM(NHOUR) AS HOUR, SUM(NHOUR * NDPRI) AS PRI"
                 u" FROM VCHARGE V, TPROJECT P WHERE V.NPROJECT = P.NPROJECT AND V.NPRIKIND = P.NPRIKIND"_s +
                     (project != 0 ? u" AND V.NPROJECT = %1"_s.arg(project) : QString()) +
                     u" GROUP BY V.NPROJECT, V.NFUNCTION"_s
               : u"SELECT NPROJECT, NFUNCTION, SUM(NHOUR) AS HOUR, SUM(NHOUR * NPRI) AS PRI FROM THOUR"_s +
                     where + u" GROUP BY NPROJECT, NFUNCTION"_s;
    const auto number = [](const QVariant& v) { return v.isValid() ? v.toDouble() : 0.0; };
    QHash<int, double> totals;
    for (Recordset rs = OpenRs(c, sums); !rs.eof(); rs.moveNext()) {
        const double hours = number(rs[u"HOUR"_s]);
        const double total = number(rs[u"PRI"_s]);
        ExecSql(
            c, u"UPDATE TFUNCTION SET NHTOTAL = %1, NTOTAL = %2 WHERE NPROJECT = %3 AND NFUNCTION = %4"_s.arg(
                   PlainNumber(hours), PlainNumber(total), rs[u"NPROJECT"_s].toString(),
                   rs[u"NFUNCTION"_s].toString()));
        totals.insert(rs.key(u"NFUNCTION"_s), total);
    }
    static const char* const classes[5] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    for (Recordset rs = OpenRs(c, u"SELECT * FROM TFUNCTION"_s + where); !rs.eof(); rs.moveNext()) {
        double coefficients[5];
        for (int i = 0; i < 5; ++i) {
            coefficients[i] =
                DivNumber(c, Division::FirstClass + i, rs[QLatin1String(classes[i])].toInt(), u"NCOEF"_s);
        }
        const int function = rs.key(u"NFUNCTION"_s);
        const double price = FunctionPrice(totals.value(function), CorrectionProduct(coefficients),
                                           number(rs[u"NDISCOUNT"_s]));
        ExecSql(
            c,
            u"UPDATE TFUNCTION SET NPRICE = %1 WHERE NFUNCTION = %2"_s.arg(PlainNumber(price)).arg(function));
    }
    transaction.commit();
}

// Every function's totals and price as exact texts, by key.
QMap<int, QString> storedFigures(DbConnection& c)
{
    QMap<int, QString> figures;
    for (Recordset rs = OpenRs(c, u"SELECT NFUNCTION, NHTOTAL, NTOTAL, NPRICE FROM TFUNCTION"_s); !rs.eof();
         rs.moveNext()) {
        QStringList values;
        for (const QString& column : {u"NHTOTAL"_s, u"NTOTAL"_s, u"NPRICE"_s}) {
            const QVariant v = rs[column];
            values << (v.isValid() ? PlainNumber(v.toDouble()) : u"NULL"_s);
        }
        figures.insert(rs.key(u"NFUNCTION"_s), values.join(u' '));
    }
    return figures;
}

} // namespace

// The recalculation of the function prices and the figures of the project summary, over the
// small tree (the window's use of them: test_workspace).
class TestWorkspaceFigures : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The figures of the small tree in both modes, for one project and for all of them.
    // Keys beyond 32767 (price kind 40001, projects from 40001, functions from 70001) as well.
    void recalculates_data()
    {
        addColumns<int, int>({"engine", "firstKey"});
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            for (const int firstKey : {0, 40001}) {
                QTest::addRow("%s keys from %d", qPrintable(EngineName(engine)), firstKey)
                    << static_cast<int>(engine) << firstKey;
            }
        }
    }
    void recalculates()
    {
        FETCH_ENGINE();
        QFETCH(int, firstKey);
        TreeWorld w(dbEngine, true, firstKey);
        QVERIFY(firstKey == 0 || (w.t.maintenance == 40001 && w.t.order == 70001 && w.t.priceKind2 == 40001));
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

    // The set-based recalculation gives, function by function, the very figures of the per-row
    // form, in both modes, for every project and for one, on a generated database whose keys lie
    // beyond 32767 (prices with fractions to round, negative prices, functions without hours),
    // and on the small tree (NULL hours, codes without a coefficient).
    void sameFiguresAsPerRow_data() { addEngineRowsOnData("generated", "generated", "small tree"); }
    void sameFiguresAsPerRow()
    {
        QFETCH(int, engine);
        QFETCH(bool, generated);
        TreeWorld w(static_cast<Engine>(engine), !generated);
        DbConnection& c = *w.state->Conn;
        int one = w.t.sales;
        if (generated) {
            LargeDatabaseShape shape;
            shape.projects = 40;
            shape.functions = 800;
            shape.bigFunctions = 60;
            shape.firstProjectKey = 40001;
            shape.firstFunctionKey = 70001;
            FillLargeDatabase(c, shape, [](const QString&) {});
            one = shape.bigProjectKey();
            QCOMPARE(one, 40002); // the first project on the second level
        }
        for (const bool charge : {true, false}) {
            for (const int project : {0, one}) {
                markStale(c);
                recalcPerRow(c, charge, project);
                const QMap<int, QString> perRow = storedFigures(c);
                markStale(c);
                RecalculatePrices(c, charge, project);
                const QMap<int, QString> setBased = storedFigures(c);
                QCOMPARE(setBased.size(), perRow.size());
                int changed = 0;
                for (auto it = perRow.constBegin(); it != perRow.constEnd(); ++it) {
                    QCOMPARE(u"F%1 %2"_s.arg(it.key()).arg(setBased.value(it.key())),
                             u"F%1 %2"_s.arg(it.key()).arg(it.value()));
                    changed += it.value() != u"7 7 7"_s ? 1 : 0;
                }
                QVERIFY(changed >= (generated ? (project == 0 ? 800 : 60) : 4));
            }
        }
    }

    // The progress is told once with the number of steps, one per statement (the totals, then the
    // prices), and then after each step.
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
        StatementLog log;
        RecalculatePrices(c, false, 0, progress);
        QStringList writes = log.statements().filter(QRegularExpression(u"^UPDATE"_s));
        QCOMPARE(writes.size(), 2);
        QCOMPARE(starts, QList<int>({2}));
        QCOMPARE(steps, 2);
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
        for (const QString& failing :
             {u"UPDATE TFUNCTION SET NHTOTAL"_s, u"UPDATE TFUNCTION SET NPRICE"_s, QString()}) {
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
