#include "accuracy/actual_hours.h"
#include "accuracy/calibration_list.h"
#include "accuracy/project_analysis.h"
#include "calc/estimate_accuracy.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "documents/csv_exports.h"
#include "documents/csv_writer.h"
#include "finished_projects.h"
#include "function/cocomo_constant.h"
#include "project/project_rows.h"
#include "settings/policy.h"
#include "test_support.h"
#include "workspace/project_summary.h"

#include <cmath>

Q_DECLARE_METATYPE(QVector<CalibrationPoint>)

namespace {

CalibrationPoint pointAt(double ratio, double kStep, double scaleExp, double effortMult)
{
    const double cocomo = CocomoHours(kStep, scaleExp, effortMult, kCocomoA, 160);
    return {cocomo * ratio, kStep, scaleExp, effortMult};
}

QString sheetText(const ActualSheet& sheet)
{
    QStringList parts;
    for (const ActualSheet::Row& row : sheet.rows) {
        QStringList cells;
        for (auto it = row.hours.cbegin(); it != row.hours.cend(); ++it) {
            cells << u"%1=%2"_s.arg(it.key()).arg(it.value());
        }
        parts << row.title + u":"_s + cells.join(u',');
    }
    return parts.join(u' ') +
           (sheet.done ? u" done "_s + sheet.doneDate.toString(Qt::ISODate) : u" running"_s);
}

} // namespace

// Actual hours, the accuracy of the estimates, the calibrated COCOMO constant and the ranges.
class TestAccuracy : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // MMRE and PRED(25) on hand-computed pairs; an error of exactly 25 % counts as within.
    void accuracy_data()
    {
        addColumns<QVector<double>, QVector<double>, int, double, double>(
            {"actuals", "estimates", "count", "mmre", "pred"});
        QTest::newRow("quarter off both ways")
            << QVector<double>{100, 200, 50, 80} << QVector<double>{125, 150, 50, 40} << 4 << 0.25 << 0.75;
        QTest::newRow("all exact") << QVector<double>{10, 20} << QVector<double>{10, 20} << 2 << 0.0 << 1.0;
        QTest::newRow("estimate nothing") << QVector<double>{10} << QVector<double>{0} << 1 << 1.0 << 0.0;
        QTest::newRow("just outside")
            << QVector<double>{1000, 1000} << QVector<double>{1251, 749} << 2 << 0.251 << 0.0;
        QTest::newRow("none") << QVector<double>{} << QVector<double>{} << 0 << 0.0 << 0.0;
    }
    void accuracy()
    {
        QFETCH(QVector<double>, actuals);
        QFETCH(QVector<double>, estimates);
        QFETCH(int, count);
        QFETCH(double, mmre);
        QFETCH(double, pred);
        const AccuracyFigures f = Accuracy(actuals, estimates);
        QCOMPARE(f.count, count);
        QVERIFY2(std::abs(f.mmre - mmre) < 1e-12, qPrintable(QString::number(f.mmre, 'g', 17)));
        QCOMPARE(f.pred25, pred);
    }

    // ln A = mean of ln PM_actual - ln(KStep^E x EM): a geometric mean of the ratios to the
    // standard estimate, times 2.94.
    void calibratedConstant_data()
    {
        addColumns<QVector<CalibrationPoint>, int, double>({"points", "hoursPerMonth", "expected"});
        QVector<CalibrationPoint> fivefold;
        QVector<CalibrationPoint> mixed;
        const double ratios[5] = {1, 1, 1, 2, 0.5};
        for (int i = 0; i < 5; ++i) {
            fivefold << pointAt(1.2, 0.5 + i * 1.7, 1.0997 + 0.01 * i, 0.8 + 0.15 * i);
            mixed << pointAt(ratios[i], 2.0 + i, 1.05, 1.1);
        }
        QTest::newRow("actuals 1.2 x COCOMO") << fivefold << 160 << 3.528;
        QTest::newRow("geometric, not arithmetic mean") << mixed << 160 << 2.94;
        QVector<CalibrationPoint> withUnsized = fivefold;
        withUnsized << CalibrationPoint{500, 0, 1.1, 1.0} << CalibrationPoint{0, 3, 1.1, 1.0};
        QTest::newRow("functions without size or actuals left out") << withUnsized << 160 << 3.528;
        QTest::newRow("four") << fivefold.mid(0, 4) << 160 << 0.0;
        QVector<CalibrationPoint> fourSized = fivefold.mid(0, 4);
        fourSized << CalibrationPoint{500, 0, 1.1, 1.0};
        QTest::newRow("five, one without a size") << fourSized << 160 << 0.0;
        QTest::newRow("no hours per month") << fivefold << 0 << 0.0;
    }
    void calibratedConstant()
    {
        QFETCH(QVector<CalibrationPoint>, points);
        QFETCH(int, hoursPerMonth);
        QFETCH(double, expected);
        const std::optional<double> a = CalibratedConstant(points, hoursPerMonth);
        QCOMPARE(a.has_value(), expected > 0);
        if (a) {
            QVERIFY2(std::abs(*a - expected) < 1e-9, qPrintable(QString::number(*a, 'g', 17)));
        }
    }

    void ranges()
    {
        const HourRange r = CocomoRange(1000);
        QCOMPARE(r.optimistic, 800.0);
        QCOMPARE(r.likely, 1000.0);
        QCOMPARE(r.pessimistic, 1250.0);
        QCOMPARE(CocomoRange(0).pessimistic, 0.0);
    }

    // The sheet lists the counted functions and the processes in use; a save rewrites what it
    // shows and keeps the hours of processes no longer in use and of functions on hold.
    void sheetSaves_data() { addEngineRows(); }
    void sheetSaves()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto c = db->connect();
        const FinishedProjects w = FinishedProjects::build(*c);
        FinishedProjects::actual(*c, w.big, w.bigFunctions[0], 8, 12);
        ExecSql(*c, u"UPDATE MDIV SET CDEF = '0' WHERE NDID = 7 AND NVAL = 8"_s);

        ActualSheet sheet = LoadActualSheet(*c, w.big);
        QCOMPARE(sheet.processes.size(), 7);
        QCOMPARE(sheet.processes.first().name, u"要件定義"_s);
        QCOMPARE(sheet.rows.size(), 5);
        QCOMPARE(sheet.rows[2].planned, 300.0);
        QVERIFY(sheet.done);
        QCOMPARE(sheet.doneDate, QDate(2024, 3, 31));
        QVERIFY(!sheet.rows[0].hours.contains(8));

        sheet.rows[0].hours.remove(2);
        sheet.rows[1].hours.insert(1, 0);
        sheet.rows[4].hours.insert(6, 999999);
        sheet.done = false;
        SaveActualSheet(*c, w.big, sheet);
        QCOMPARE(sheetText(LoadActualSheet(*c, w.big)), sheetText(sheet));
        QCOMPARE(rowCount(*c, u"TACTUAL"_s, u"NDKIND = 8 AND NHOUR = 12"_s), 1);
        QCOMPARE(rowCount(*c, u"TACTUAL"_s, u"NFUNCTION = %1 AND NHOUR = 99"_s.arg(w.onHold)), 1);
        QCOMPARE(rowCount(*c, u"TPROJDONE"_s), 0);

        sheet.done = true;
        sheet.doneDate = QDate(2025, 1, 6);
        SaveActualSheet(*c, w.big, sheet);
        QCOMPARE(LoadActualSheet(*c, w.big).doneDate, QDate(2025, 1, 6));
    }

    // A save that fails half-way leaves the hours and the finished state as they were.
    void failedSaveChangesNothing_data() { addEngineRows(); }
    void failedSaveChangesNothing()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto c = db->connect();
        const FinishedProjects w = FinishedProjects::build(*c);
        ActualSheet sheet = LoadActualSheet(*c, w.big);
        const QString before = sheetText(sheet);
        sheet.rows[3].hours.insert(5, 77);
        sheet.doneDate = QDate(2030, 1, 1);
        StatementLog log;
        log.failOn(u"INSERT INTO TPROJDONE"_s, true);
        QVERIFY_THROWS_EXCEPTION(DbError, SaveActualSheet(*c, w.big, sheet));
        QVERIFY(log.failed());
        QCOMPARE(sheetText(LoadActualSheet(*c, w.big)), before);
    }

    // Actual hours go with their function, and with their project together with its finished
    // state; another project's stay.
    void deletedWithFunctionAndProject_data() { addEngineRows(); }
    void deletedWithFunctionAndProject()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto c = db->connect();
        const FinishedProjects w = FinishedProjects::build(*c);
        FinishedProjects::actual(*c, w.small, w.smallFunctions[0], 3, 40);
        execArgs(*c, u"INSERT INTO TPROJDONE VALUES (%1, NULL)"_s, w.small);
        QCOMPARE(rowCount(*c, u"TACTUAL"_s, u"NPROJECT = %1"_s.arg(w.big)), 11);
        {
            Transaction t(*c);
            DeleteProjectRows(*c, w.big, w.bigFunctions[1]);
            t.commit();
        }
        QCOMPARE(rowCount(*c, u"TACTUAL"_s, u"NFUNCTION = %1"_s.arg(w.bigFunctions[1])), 0);
        QCOMPARE(rowCount(*c, u"TACTUAL"_s, u"NPROJECT = %1"_s.arg(w.big)), 9);
        QCOMPARE(rowCount(*c, u"TPROJDONE"_s), 2);
        {
            Transaction t(*c);
            DeleteProjectRows(*c, w.big, 0);
            t.commit();
        }
        QCOMPARE(rowCount(*c, u"TACTUAL"_s, u"NPROJECT = %1"_s.arg(w.big)), 0);
        QCOMPARE(rowCount(*c, u"TPROJDONE"_s, u"NPROJECT = %1"_s.arg(w.big)), 0);
        QCOMPARE(rowCount(*c, u"TACTUAL"_s), 1);
        QCOMPARE(rowCount(*c, u"TPROJDONE"_s), 1);
    }

    // Over the finished projects' counted functions with actual hours; the filters by customer
    // and by date finished; the constant fitted to actuals 1.2 x COCOMO.
    void calibrationList_data()
    {
        addColumns<int, int, QDate, QDate, int>({"engine", "customer", "from", "to", "rows"});
        for (const int engine : {int(Engine::SQLite), int(Engine::PostgreSQL)}) {
            const char* e = engine == int(Engine::SQLite) ? "SQLite" : "PostgreSQL";
            QTest::addRow("%s all", e) << engine << 0 << QDate() << QDate() << 5;
            QTest::addRow("%s customer A", e) << engine << 1 << QDate() << QDate() << 5;
            QTest::addRow("%s customer B", e) << engine << 2 << QDate() << QDate() << 0;
            QTest::addRow("%s from the day", e) << engine << 0 << QDate(2024, 3, 31) << QDate() << 5;
            QTest::addRow("%s to the day", e) << engine << 0 << QDate() << QDate(2024, 3, 31) << 5;
            QTest::addRow("%s to the day before", e) << engine << 0 << QDate() << QDate(2024, 3, 30) << 0;
            QTest::addRow("%s from the day after", e) << engine << 0 << QDate(2024, 4, 1) << QDate() << 0;
        }
    }
    void calibrationList()
    {
        FETCH_ENGINE();
        QFETCH(int, customer);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, rows);
        auto db = TestDatabase::create(dbEngine);
        auto c = db->connect();
        const FinishedProjects w = FinishedProjects::build(*c);
        // Finished, but nothing recorded: not listed.
        execArgs(*c, u"INSERT INTO TPROJDONE VALUES (%1, Convert(DateTime,'2024/03/31',111))"_s, w.small);
        CalibrationFilter filter;
        filter.customer = customer == 1 ? w.customerA : customer == 2 ? w.customerB : 0;
        filter.from = from;
        filter.to = to;
        const CalibrationList list = LoadCalibrationList(*c, filter, 160);
        QCOMPARE(list.rows.size(), rows);
        QCOMPARE(list.planned.count, rows);
        QCOMPARE(list.calibrated.has_value(), rows >= 5);
        if (rows == 0) {
            return;
        }
        QCOMPARE(list.rows[0].path, u"基幹更改"_s);
        QCOMPARE(list.rows[0].title, u"機能1"_s);
        QCOMPARE(list.rows[0].done, QDate(2024, 3, 31));
        for (const CalibrationRow& row : list.rows) {
            QVERIFY2(std::abs(row.actual / row.cocomo - 1.2) < 0.01, qPrintable(row.title));
            QVERIFY(row.cocomo > 0);
        }
        // Each COCOMO estimate is 1/6 below its actual: all within 25 %.
        QVERIFY2(std::abs(list.cocomo.mmre - 1.0 / 6) < 0.002, qPrintable(QString::number(list.cocomo.mmre)));
        QCOMPARE(list.cocomo.pred25, 1.0);
        QVERIFY2(std::abs(*list.calibrated - 3.528) < 0.005, qPrintable(QString::number(*list.calibrated)));
        QVERIFY(list.cocomoCalibrated.mmre < 0.005);
        QCOMPARE(list.cocomoCalibrated.count, 5);

        const QList<QStringList> csv = CalibrationCsvRows(list);
        QCOMPARE(csv.size(), 6);
        QCOMPARE(csv[0][0], u"プロジェクト"_s);
        QCOMPARE(csv[1].mid(0, 4), (QStringList{u"基幹更改"_s, u"機能1"_s, u"2024/03/31"_s, u"100"_s}));
        QCOMPARE(csv[1][5].toDouble(), std::round(list.rows[0].cocomo));
        QCOMPARE(csv[1][4].toDouble(), std::round(list.rows[0].cocomo * 0.8));
        QCOMPARE(csv[1][7].toDouble(), list.rows[0].actual);
    }

    // The stored constant is what the estimates use; a reset, or a stored value that is no
    // constant, gives the standard one.
    void storedConstant_data() { addEngineRows(); }
    void storedConstant()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto c = db->connect();
        const FinishedProjects w = FinishedProjects::build(*c);
        QVERIFY(!StoredCocomoA(*c));
        const double before = LoadCalibrationList(*c, {}, 160).rows[2].cocomo;
        // The COCOMO hours of the functions' CSV, which follow the constant like the editor's.
        const auto csvHours = [&] {
            QList<double> hours;
            const QList<QStringList> rows = FunctionCsvRows(*c, w.big, Policy());
            for (int i = 1; i < rows.size(); ++i) {
                hours << rows.at(i).constLast().toDouble();
            }
            return hours;
        };
        const QList<double> csvBefore = csvHours();
        QVERIFY(std::any_of(csvBefore.cbegin(), csvBefore.cend(), [](double h) { return h > 100; }));
        StoreCocomoA(*c, 3.528);
        StoreCocomoA(*c, 3.6);
        QCOMPARE(rowCount(*c, u"MCALIB"_s), 1);
        QCOMPARE(CocomoAInUse(*c), 3.6);
        const CalibrationList after = LoadCalibrationList(*c, {}, 160);
        QCOMPARE(after.constantInUse, 3.6);
        QVERIFY(std::abs(after.rows[2].cocomo - before * 3.6 / 2.94) < 1e-6);
        ProjectAnalysis analysis;
        QVERIFY(LoadProjectAnalysis(*c, w.big, Policy(), &analysis));
        QVERIFY(std::abs(analysis.rows[2].cocomo.likely - after.rows[2].cocomo) < 1e-6);
        const QList<double> csvAfter = csvHours();
        QCOMPARE(csvAfter.size(), csvBefore.size());
        for (int i = 0; i < csvAfter.size(); ++i) {
            QVERIFY2(std::abs(csvAfter.at(i) - csvBefore.at(i) * 3.6 / 2.94) <= 1,
                     qPrintable(u"%1 -> %2"_s.arg(csvBefore.at(i)).arg(csvAfter.at(i))));
        }
        ResetCocomoA(*c);
        QCOMPARE(CocomoAInUse(*c), 2.94);
        ExecSql(*c, u"INSERT INTO MCALIB (NCALIB, NCOCOMOA) VALUES (1, 0)"_s);
        QCOMPARE(CocomoAInUse(*c), 2.94);
    }

    // The functions with their range and actuals, and the order amount broken into what the
    // net profit of the main window subtracts, under the policy, summing to the order amount.
    void projectAnalysis_data()
    {
        addColumns<int, bool>({"engine", "everything"});
        for (const int engine : {int(Engine::SQLite), int(Engine::PostgreSQL)}) {
            const char* e = engine == int(Engine::SQLite) ? "SQLite" : "PostgreSQL";
            QTest::addRow("%s every switch", e) << engine << true;
            QTest::addRow("%s labour without indirect, no options", e) << engine << false;
        }
    }
    void projectAnalysis()
    {
        FETCH_ENGINE();
        QFETCH(bool, everything);
        auto db = TestDatabase::create(dbEngine);
        auto c = db->connect();
        const SmallTree t = SmallTree::build(*c);
        Policy policy;
        if (!everything) {
            policy.Indirect = false;
            policy.Opt = false;
            policy.Expe1 = false;
        }
        FinishedProjects::actual(*c, t.sales, t.order, 3, 70);
        ProjectAnalysis a;
        QVERIFY(LoadProjectAnalysis(*c, t.sales, policy, &a));
        QCOMPARE(a.path, u"本社システム - 販売管理"_s);
        QStringList titles;
        for (const AnalysisRow& row : a.rows) {
            titles << row.title;
        }
        QCOMPARE(titles, (QStringList{u"受注入力"_s, u"請求締め"_s, u"帳票出力"_s})); // not the one on hold
        QCOMPARE(a.rows[0].actual.value_or(-1), 70.0);
        QVERIFY(!a.rows[1].actual);
        QCOMPARE(a.actualTotal, 70.0);
        QCOMPARE(a.plannedTotal, a.rows[0].planned + a.rows[1].planned + a.rows[2].planned);
        QCOMPARE(a.cocomoTotal.pessimistic, a.cocomoTotal.likely * 1.25);

        ProfitInputs in;
        QVERIFY(ReadProfitInputs(*c, t.sales, &in));
        QCOMPARE(a.orderAmount, in.price);
        double sum = 0;
        QStringList captions;
        for (const AmountPart& part : a.parts) {
            sum += part.amount;
            captions << part.caption;
        }
        QCOMPARE(sum, in.price);
        QCOMPARE(a.parts.last().amount, NetProfit(in, policy));
        QCOMPARE(a.parts.first().amount, everything ? in.labour : in.labour - in.indirectLabour);
        QCOMPARE(captions.contains(u"契約オプション費"_s), everything);
        QCOMPARE(captions.contains(u"経費(顧客)"_s), everything);

        const QList<QStringList> csv = AnalysisCsvRows(a);
        QCOMPARE(csv.size(), 1 + 3 + 1 + 1 + 1 + a.parts.size());
        QCOMPARE(csv[4][0], u"合計"_s);
        QCOMPARE(csv[4][5], u"70"_s);
        QCOMPARE(csv.last(), (QStringList{u"純利益"_s, CsvNumber(NetProfit(in, policy))}));
        QVERIFY(!LoadProjectAnalysis(*c, 999, policy, &a));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestAccuracy)
#include "test_accuracy.moc"
