#include "convert/conversions.h"
#include "db/concurrent_change.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "function/function_draft.h"
#include "function/function_repository.h"
#include "function/function_save.h"
#include "project/project_rows.h"
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
        s.chargeTable[1][1] = {1, 2, u"m"_s, 6, 5000}; // the SE, a member of 在庫管理
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

    // Two users on one database: what B does to 在庫照会 between A's load and A's save.
    void twoUsers_data()
    {
        addOtherUserRows({
            {"nothing", "", false, "saved"},
            {"deleted", "delete", false, "この機能項目は他の利用者によって削除されています。"},
            {"project deleted", "project", false, "この機能項目は他の利用者によって削除されています。"},
            {"saved, kept", "save", false, "declined"},
            {"saved, overwritten", "save", true, "saved"},
            {"hours added by a script, kept", "script", false, "declined"},
            {"a new one, project deleted", "new", false,
             "親プロジェクトは他の利用者によって削除されています。"},
        });
    }
    void twoUsers()
    {
        QFETCH(int, engine);
        QFETCH(QString, meanwhile);
        QFETCH(bool, overwrite);
        QFETCH(QString, outcome);
        TreeWorld w(static_cast<Engine>(engine));
        const std::unique_ptr<AppState> other = w.db->makeState();
        const int stock = w.t.stock;
        const int inquiry = w.t.inquiry;
        for (AppState* s : {w.state.get(), other.get()}) {
            s->CurProject = stock;
            s->CurPriKind = w.t.priceKind2;
            s->CurFunction = meanwhile == u"new"_s ? 0 : inquiry;
            s->FuncEditMode = meanwhile == u"new"_s ? 0 : 1;
            s->policy.Charge = false;
        }
        AppState& a = *w.state;
        AppState& b = *other;
        FunctionRepository userA(a);
        FunctionDraft draftA(a.chargeTable, false, a.policy.MtoH);
        userA.loadDraft(draftA);

        QString last;
        if (meanwhile == u"delete"_s) {
            FunctionRepository(b).save(SaveDelete, FunctionData(), &last);
        } else if (meanwhile == u"project"_s || meanwhile == u"new"_s) {
            DeleteProjectRows(*b.Conn, stock, 0);
        } else if (meanwhile == u"save"_s) {
            FunctionRepository userB(b);
            FunctionDraft draftB(b.chargeTable, false, b.policy.MtoH);
            userB.loadDraft(draftB);
            FunctionData data = sampleFunction();
            data.title = u"Bの機能"_s;
            QVERIFY(userB.save(SaveUpdate, data, &last));
        } else if (meanwhile == u"script"_s) {
            ExecSql(*b.Conn,
                    u"INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (%1, %2, 9, 1, 1)"_s
                        .arg(stock)
                        .arg(inquiry));
        }
        const QString afterB =
            rowCounts(*a.Conn, stock, inquiry) + u' ' +
            scalar(*a.Conn, u"SELECT CSFUNC AS V FROM TFUNCTION WHERE NFUNCTION = %1"_s.arg(inquiry))
                .toString();
        const int functions = rowCount(*a.Conn, u"TFUNCTION"_s);

        int asked = 0;
        bool saved = false;
        try {
            saved = userA.save(a.FuncEditMode, sampleFunction(), &last, [&asked, overwrite] {
                ++asked;
                return overwrite;
            });
        } catch (const ConcurrentChangeError& e) {
            QCOMPARE(e.text(), outcome);
            // Nothing was written back under the project or the function that is gone.
            QCOMPARE(rowCount(*a.Conn, u"TFUNCTION"_s), functions);
            QCOMPARE(rowCounts(*a.Conn, stock, a.CurFunction), u"0 0 0 0 0 0"_s);
            QCOMPARE(a.CurFunction, meanwhile == u"new"_s ? 0 : inquiry);
            return;
        }
        QCOMPARE(asked, meanwhile.isEmpty() ? 0 : 1);
        QCOMPARE(saved, outcome == u"saved"_s);
        const QString now =
            rowCounts(*a.Conn, stock, inquiry) + u' ' +
            scalar(*a.Conn, u"SELECT CSFUNC AS V FROM TFUNCTION WHERE NFUNCTION = %1"_s.arg(inquiry))
                .toString();
        // Process mode leaves the assignment as it was.
        QCOMPARE(now, saved ? u"1 2 14 22 2 1 新機能"_s : afterB);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestFunctionWrite)
#include "test_function_write.moc"
