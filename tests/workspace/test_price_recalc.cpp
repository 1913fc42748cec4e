#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "foundation/db_error.h"
#include "foundation/messages.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/price_recalc.h"

#include <QApplication>
#include <QProgressDialog>
#include <QThread>

namespace {

struct Totals {
    double hours;
    double total;
    double price;
};

Totals readTotals(DbConnection& c, int function)
{
    Recordset rs = OpenRs(c, u"SELECT NHTOTAL, NTOTAL, NPRICE FROM TFUNCTION WHERE NFUNCTION = "_s +
                                 QString::number(function));
    return {rs.field(u"NHTOTAL"_s).toDouble(), rs.field(u"NTOTAL"_s).toDouble(),
            rs.field(u"NPRICE"_s).toDouble()};
}

// Clears the statement hook when a check leaves the test early, before the database (whose
// clean-up runs statements) goes and before the hook's captures do.
struct HookGuard {
    ~HookGuard() { DbConnection::setStatementHook(nullptr); }
};

// A value no recalculation writes, so that an untouched function shows.
void markStale(DbConnection& c)
{
    ExecSql(c, u"UPDATE TFUNCTION SET NHTOTAL = 7, NTOTAL = 7, NPRICE = 7"_s);
}

} // namespace

class TestPriceRecalc : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // The figures of the small tree in both modes, for one project and for all of them.
    void recalculates_data()
    {
        addColumns<int, bool, bool>({"engine", "charge", "allProjects"});
        for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = e == Engine::SQLite ? "sqlite" : "postgresql";
            for (const bool charge : {true, false}) {
                for (const bool all : {false, true}) {
                    QTest::addRow("%s/%s/%s", name, charge ? "members" : "processes", all ? "all" : "one")
                        << static_cast<int>(e) << charge << all;
                }
            }
        }
    }
    void recalculates()
    {
        FETCH_ENGINE();
        QFETCH(bool, charge);
        QFETCH(bool, allProjects);
        TreeWorld w(dbEngine);
        markStale(*w.state->Conn);
        w.state->policy.Charge = charge;

        StatementLog log;
        RecalcFunctionPrices(*w.state, allProjects ? 0 : w.t.sales);
        const QStringList statements = log.statements();
        QVERIFY(Messages::shown().isEmpty());
        // Every write goes through the private connection; once it has written the functions, a
        // read of them on the shared connection would wait for ever on a server that locks rows.
        bool written = false;
        for (int i = 0; i < statements.size(); ++i) {
            const bool shared = log.connections().at(i) == w.state->Conn.get();
            if (statements[i].startsWith(u"UPDATE"_s)) {
                QVERIFY(!shared);
                written = true;
            } else {
                QVERIFY(shared);
                QVERIFY2(!written || !statements[i].contains(u"TFUNCTION"_s), qPrintable(statements[i]));
            }
        }
        QVERIFY(written);

        const QString s = QString::number(w.t.sales);
        const QString where = allProjects ? QString() : u" WHERE NPROJECT = "_s + s;
        const QStringList updates = statements.filter(QRegularExpression(u"^UPDATE"_s));
        QCOMPARE(updates.first(), u"UPDATE TFUNCTION SET NHTOTAL = 0, NTOTAL = 0, NPRICE = 0"_s + where);
        if (charge) {
            QVERIFY(statements.contains(
                QStringLiteral(
                    "SELECT V.NPROJECT, V.NFUNCTION, SUM(NHOUR) AS HOUR, SUM(NHOUR * NDPRI) AS PRI FROM "
                    "VCHARGE V, TPROJECT P WHERE V.NPROJECT = P.NPROJECT AND V.NPRIKIND = P.NPRIKIND") +
                (allProjects ? QString() : u" AND V.NPROJECT = "_s + s) +
                u" GROUP BY V.NPROJECT, V.NFUNCTION ORDER BY V.NPROJECT, V.NFUNCTION"_s));
            QVERIFY(
                statements.contains(QStringLiteral("UPDATE TFUNCTION SET NHTOTAL = 50, NTOTAL = 340000 WHERE "
                                                   "NPROJECT = %1 AND NFUNCTION = %2")
                                        .arg(w.t.sales)
                                        .arg(w.t.order)));
        } else {
            QVERIFY(statements.contains(
                QStringLiteral("SELECT NPROJECT, NFUNCTION, SUM(NHOUR) AS HOUR, SUM(NHOUR * "
                               "NPRI) AS PRI FROM THOUR") +
                where + u" GROUP BY NPROJECT, NFUNCTION ORDER BY NPROJECT, NFUNCTION"_s));
            QVERIFY(statements.contains(
                QStringLiteral("UPDATE TFUNCTION SET NHTOTAL = 52.5, NTOTAL = 352500 WHERE "
                               "NPROJECT = %1 AND NFUNCTION = %2")
                    .arg(w.t.sales)
                    .arg(w.t.order)));
        }
        if (charge && !allProjects) {
            // Prices in one statement keyed by function; the function priced 0 is left to the reset.
            QCOMPARE(
                statements.last(),
                QStringLiteral(
                    "UPDATE TFUNCTION SET NPRICE = CASE NFUNCTION WHEN %1 THEN 401400 WHEN %2 THEN 93500 "
                    "WHEN %3 THEN -5000 END WHERE NPROJECT = %4 AND NFUNCTION IN (%1, %2, %3)")
                    .arg(w.t.order)
                    .arg(w.t.shipping)
                    .arg(w.t.closing)
                    .arg(w.t.sales));
        }
        // A group whose hours are all NULL writes 0, not an invalid statement.
        QVERIFY(statements.contains(
            QStringLiteral(
                "UPDATE TFUNCTION SET NHTOTAL = 0, NTOTAL = 0 WHERE NPROJECT = %1 AND NFUNCTION = %2")
                .arg(w.t.sales)
                .arg(w.t.reports)));

        DbConnection& c = *w.state->Conn;
        auto check = [&](int function, Totals expected) {
            const Totals got = readTotals(c, function);
            QCOMPARE(got.hours, expected.hours);
            QCOMPARE(got.total, expected.total);
            QCOMPARE(got.price, expected.price);
        };
        // Price = total x the five class coefficients - discount, in whole yen.
        if (charge) {
            check(w.t.order, {50, 340000, 401400});   // 340,000 x 1.1 x 1.1 - 10,000
            check(w.t.shipping, {20, 110000, 93500}); // on hold, recalculated all the same
        } else {
            check(w.t.order, {52.5, 352500, 416525});
            check(w.t.shipping, {20, 120000, 102000});
        }
        check(w.t.closing, {0, 0, -5000}); // no hour rows: minus the discount
        check(w.t.reports, {0, 0, 0});
        if (allProjects) {
            // Each assignment priced under its own project's price kind (SE 9,000, PG 7,000).
            check(w.t.inquiry, charge ? Totals{8, 72000, 72000} : Totals{8, 60000, 60000});
            check(w.t.invoice, charge ? Totals{10, 70000, 69000} : Totals{10, 65000, 64000});
        } else {
            check(w.t.inquiry, {7, 7, 7});
            check(w.t.invoice, {7, 7, 7});
        }
    }

    // Whatever statement fails, no total changes and the failure is reported with it.
    void failureChangesNothing_data()
    {
        addColumns<int, QString>({"engine", "failing"});
        for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
            const char* name = e == Engine::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s/reset", name) << static_cast<int>(e) << u"UPDATE TFUNCTION SET NHTOTAL = 0,"_s;
            QTest::addRow("%s/sums", name) << static_cast<int>(e) << u"SELECT V.NPROJECT"_s;
            QTest::addRow("%s/total", name) << static_cast<int>(e) << u"UPDATE TFUNCTION SET NHTOTAL = 10,"_s;
            QTest::addRow("%s/price", name) << static_cast<int>(e) << u"UPDATE TFUNCTION SET NPRICE = CASE"_s;
        }
    }
    void failureChangesNothing()
    {
        FETCH_ENGINE();
        QFETCH(QString, failing);
        TreeWorld w(dbEngine);
        markStale(*w.state->Conn);

        StatementLog log;
        log.failOn(failing);
        RecalcFunctionPrices(*w.state, 0);
        const QString failed = log.failedStatement();
        QVERIFY(!failed.isEmpty());
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
        QCOMPARE(Messages::last().text, u"injected failure\n"_s + failed);
        QCOMPARE(rowCount(*w.state->Conn, u"TFUNCTION"_s), 6);
        QCOMPARE(rowCount(*w.state->Conn, u"TFUNCTION"_s, u"NHTOTAL = 7 AND NTOTAL = 7 AND NPRICE = 7"_s), 6);
        // The private connection is gone: nothing holds a lock on the functions.
        ExecSql(*w.state->Conn, u"UPDATE TFUNCTION SET NPRICE = 8"_s);
        QCOMPARE(rowCount(*w.state->Conn, u"TFUNCTION"_s, u"NPRICE = 8"_s), 6);
    }

    // A recalculation of every project that takes noticeably long shows its progress; the
    // first function's update is held back to make it long.
    void longRecalculationShowsProgress()
    {
        TreeWorld w;
        int updates = 0;
        bool progressShown = false;
        HookGuard guard;
        DbConnection::setStatementHook([&](const DbConnection&, const QString& sql) {
            if (!sql.startsWith(u"UPDATE TFUNCTION SET NHTOTAL = "_s) || sql.contains(u"= 0,"_s)) {
                return;
            }
            if (++updates == 1) {
                QThread::msleep(700);
                return;
            }
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (qobject_cast<QProgressDialog*>(w) && w->isVisible()) {
                    progressShown = true;
                }
            }
        });
        RecalcFunctionPrices(*w.state, 0);
        DbConnection::setStatementHook(nullptr);
        QVERIFY(updates > 2);
        QVERIFY(progressShown);
        QVERIFY(Messages::shown().isEmpty());
        // Gone when done.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            QVERIFY(!(qobject_cast<QProgressDialog*>(w) && w->isVisible()));
        }
    }

    // Many functions: the prices go out in several statements, every one of them right.
    void manyFunctions()
    {
        TreeWorld w;
        DbConnection& c = *w.state->Conn;
        for (int i = 1; i <= 900; ++i) {
            // 重要 1.10 x 難しい 1.15 on every other function, a discount on every third.
            ExecSql(
                c, QStringLiteral(
                       "INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, NLNG, CSFUNC, "
                       "NDISCOUNT, NSORT) VALUES (%1, '1', 1, %2, %3, 2, 2, 1, 'f%4', %5, %4)")
                       .arg(w.t.maintenance)
                       .arg(i % 2 ? 3 : 2)
                       .arg(i % 2 ? 3 : 2)
                       .arg(i)
                       .arg(i % 3 ? 0 : 100));
            const int f = GetIdentity(c, u"TFUNCTION"_s);
            ExecSql(c, QStringLiteral(
                           "INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (%1, %2, 4, "
                           "%3, 5000)")
                           .arg(w.t.maintenance)
                           .arg(f)
                           .arg(i));
        }
        w.state->policy.Charge = false;
        {
            StatementLog log;
            RecalcFunctionPrices(*w.state, w.t.maintenance);
            QVERIFY(log.statements().filter(QRegularExpression(u"^UPDATE TFUNCTION SET NPRICE"_s)).size() >
                    1);
        }
        QVERIFY(Messages::shown().isEmpty());
        int checked = 0;
        for (Recordset rs =
                 OpenRs(c, u"SELECT NIMP, NTOTAL, NPRICE, NDISCOUNT FROM TFUNCTION WHERE NPROJECT = "_s +
                               QString::number(w.t.maintenance));
             !rs.eof(); rs.moveNext()) {
            const double total = rs.field(u"NTOTAL"_s).toDouble();
            const double factor = rs.field(u"NIMP"_s).toInt() == 3 ? 1.1 * 1.15 : 1.0;
            QCOMPARE(rs.field(u"NPRICE"_s).toDouble(),
                     std::round(total * factor - rs.field(u"NDISCOUNT"_s).toDouble()));
            ++checked;
        }
        QCOMPARE(checked, 900);
        QCOMPARE(readTotals(c, w.t.order).price, 401400.0); // another project: untouched
    }

    // Called inside a transaction of the shared connection, it refuses at once instead of
    // waiting on the caller's own uncommitted rows.
    void refusesInsideATransaction_data() { addEngineRows(); }
    void refusesInsideATransaction()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        markStale(*w.state->Conn);
        {
            Transaction transaction(*w.state->Conn);
            ExecSql(*w.state->Conn,
                    u"UPDATE TFUNCTION SET NDISCOUNT = 0 WHERE NFUNCTION = %1"_s.arg(w.t.order));
            RecalcFunctionPrices(*w.state, w.t.sales);
            QCOMPARE(Messages::shown().size(), 1);
            QCOMPARE(Messages::last().title, u"ＤＢエラー"_s);
            QVERIFY(Messages::last().text.startsWith(u"保存の処理中は価格を再計算できません。"_s));
        }
        QCOMPARE(rowCount(*w.state->Conn, u"TFUNCTION"_s, u"NPRICE = 7"_s), 6);
    }

    void workTotalCountsOnlyCountedFunctions_data() { addEngineRows(); }
    void workTotalCountsOnlyCountedFunctions()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        w.state->CurProject = w.t.sales;
        // 401,400 - 5,000; the function on hold and the NULL price count nowhere.
        QCOMPARE(ProjectWorkTotal(*w.state), 396400.0);
        w.state->CurProject = w.t.head;
        QCOMPARE(ProjectWorkTotal(*w.state), 0.0);
        w.state->CurProject = 0;
        QCOMPARE(ProjectWorkTotal(*w.state), 0.0);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestPriceRecalc)
#include "test_price_recalc.moc"
