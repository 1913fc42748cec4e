#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "function/function_repository.h"
#include "function/function_save.h"
#include "small_tree.h"
#include "test_support.h"

namespace {

// A function with a row of every kind: two function points, the adjustments, the drivers, two
// processes and, in charge mode, one assignment.
FunctionData sampleFunction()
{
    FunctionData d;
    d.title = u"新機能"_s;
    d.description = u"説明"_s;
    d.imp = 3;
    d.discount = 1000;
    d.hoursTotal = 12;
    d.total = 60000;
    d.price = 65000;
    d.fpRows = {{u"画面"_s, 1, 2}, {u"帳票"_s, 2, 3}};
    d.adjust.fill(2);
    d.scaleRanks.fill(3);
    d.costRanks.fill(3);
    d.hours = {{1, u"4"_s, u"5,000"_s}, {2, u"8"_s, u"5000"_s}};
    return d;
}

QString rowCounts(DbConnection& c, int project, int function)
{
    QStringList counts;
    for (const char* table : {"TFUNCTION", "TFP", "TFPADJ", "TCOCOMO", "THOUR", "TCHARGE"}) {
        counts << QString::number(rowCount(c, QLatin1String(table),
                                           u"NPROJECT = %1 AND NFUNCTION = %2"_s.arg(project).arg(function)));
    }
    return counts.join(u' ');
}

} // namespace

// A function written with all its rows in one transaction, or not at all, on the embedded and
// the server database.
class TestFunctionWrite : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void writesWholeOrNothing_data() { addEngineRows(); }
    void writesWholeOrNothing()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        AppState& s = *w.state;
        DbConnection& c = *s.Conn;
        s.CurProject = w.t.stock;
        s.policy.Charge = true;
        s.chargeTable[1][1] = {1, 1, u"m"_s, 6, 5000};
        FunctionRepository repository(s);
        QString last;

        // A new function gets its key and every row.
        s.CurFunction = 0;
        s.FuncEditMode = 0;
        repository.save(SaveNew, sampleFunction(), &last);
        const int function = s.CurFunction;
        QVERIFY(function > 0 && s.Updated);
        QCOMPARE(rowCounts(c, w.t.stock, function), u"1 2 14 22 2 1"_s);
        QCOMPARE(scalar(c, u"SELECT NPRI AS V FROM THOUR WHERE NFUNCTION = %1 AND NDKIND = 1"_s.arg(function))
                     .toDouble(),
                 5000.0);

        // A failing insert leaves nothing and no key behind; the error names its statement.
        s.Updated = false;
        {
            StatementLog log;
            log.failOn(u"INSERT INTO TFPADJ"_s);
            QVERIFY_THROWS_EXCEPTION(DbError, repository.save(SaveNew, sampleFunction(), &last));
        }
        QCOMPARE(s.CurFunction, 0);
        QVERIFY(!s.Updated);
        QCOMPARE(rowCount(c, u"TFUNCTION"_s, u"NPROJECT = %1"_s.arg(w.t.stock)), 2);

        // An hour text that is no number fails before its statement runs: the statement that ran
        // last is the one to report, and the function keeps its rows as they were.
        s.CurFunction = function;
        s.FuncEditMode = 1;
        s.policy.Charge = false;
        FunctionData bad = sampleFunction();
        bad.hours[1].hourText = u"8時間"_s;
        QVERIFY_THROWS_EXCEPTION(ConversionError, repository.save(SaveUpdate, bad, &last));
        QVERIFY2(last.startsWith(u"INSERT INTO THOUR"_s), qPrintable(last));
        QCOMPARE(s.CurFunction, function);
        QCOMPARE(rowCounts(c, w.t.stock, function), u"1 2 14 22 2 1"_s);

        // Deleted with everything it owns.
        repository.save(SaveDelete, FunctionData(), &last);
        QCOMPARE(rowCounts(c, w.t.stock, function), u"0 0 0 0 0 0"_s);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestFunctionWrite)
#include "test_function_write.moc"
