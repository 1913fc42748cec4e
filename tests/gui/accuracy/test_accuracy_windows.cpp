#include "../estimation/estimation_fixtures.h"
#include "accuracy/actual_dialog.h"
#include "accuracy/analysis_dialog.h"
#include "accuracy/calibration_dialog.h"
#include "function/cocomo_constant.h"
#include "convert/conversions.h"
#include "estimation/function_editor.h"
#include "finished_projects.h"
#include "workspace/main_window.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QLineSeries>
#include <QMenu>
#include <QScatterSeries>
#include <QStackedBarSeries>

namespace {

struct World {
    GuiTestEnvironment env;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;
    FinishedProjects w;

    explicit World(Engine engine) : db(TestDatabase::create(engine)), state(db->makeState())
    {
        w = FinishedProjects::build(*state->Conn);
        state->CurProject = w.big;
        state->CurPriKind = 1;
    }
    DbConnection& conn() { return *state->Conn; }
};

template <typename S> S* seriesNamed(const QWidget* window, const QString& chart, const QString& name)
{
    for (QAbstractSeries* s : control<QChartView>(window, chart)->chart()->series()) {
        if (s->name() == name) {
            return qobject_cast<S*>(s);
        }
    }
    return nullptr;
}

QString cocomoHoursShown(World& world, int function)
{
    AppState& s = *world.state;
    s.CurFunction = function;
    s.FuncEditMode = 1;
    FunctionEditor e(s);
    return controlText(&e, u"lblCoHRes"_s) + u" "_s + controlText(&e, u"lblCoA"_s) + u" "_s +
           controlText(&e, u"lblCoCalib"_s) + u" "_s + controlText(&e, u"lblCoHOpt"_s) + u"/"_s +
           controlText(&e, u"lblCoHPes"_s);
}

} // namespace

// The actual hours, estimate accuracy and analysis windows on their real widgets.
class TestAccuracyWindows : public QObject {
    Q_OBJECT
private slots:
    void init() { Messages::clearShown(); }

    // The menus hold the three commands.
    void menus()
    {
        World world(Engine::SQLite);
        MainWindow window(*world.state);
        const QStringList project = [&] {
            QStringList names;
            for (QAction* a : control<QMenu>(&window, u"mnuProj"_s)->actions()) {
                names << a->objectName();
            }
            return names;
        }();
        QVERIFY(project.contains(u"mnuActual"_s));
        QVERIFY(project.contains(u"mnuAnalysis"_s));
        QVERIFY(control<QMenu>(&window, u"mnuTool"_s)
                    ->actions()
                    .contains(control<QAction>(&window, u"mnuCalib"_s)));
        QCOMPARE(control<QAction>(&window, u"mnuActual"_s)->text(), u"実績工数の入力(&A)..."_s);
        QCOMPARE(control<QAction>(&window, u"mnuCalib"_s)->text(), u"見積精度と校正(&E)..."_s);
        QCOMPARE(control<QAction>(&window, u"mnuAnalysis"_s)->text(), u"プロジェクトの分析(&G)..."_s);
    }

    // One row per counted function, one box per process in use; the totals follow the typing; a
    // save writes the boxes and the finished state.
    void actualsSave_data() { addEngineRows(); }
    void actualsSave()
    {
        FETCH_ENGINE();
        World world(dbEngine);
        ActualDialog d(*world.state);
        QCOMPARE(d.objectName(), u"frmActual"_s);
        QCOMPARE(d.windowTitle(), u"実績工数入力"_s);
        QCOMPARE(controlText(&d, u"lblActProc_0"_s), u"要件定義"_s);
        QVERIFY(d.findChild<QLineEdit*>(u"txtActual_4_7"_s));
        QVERIFY(!d.findChild<QLineEdit*>(u"txtActual_5_0"_s)); // the function on hold
        QCOMPARE(controlText(&d, u"lvlPlanned_2"_s), u"300"_s);
        QVERIFY(control<QCheckBox>(&d, u"chkDone"_s)->isChecked());
        QCOMPARE(controlText(&d, u"txtDoneDate"_s), u"2024/03/31"_s);

        setText(&d, u"txtActual_0_0"_s, u"12"_s);
        setText(&d, u"txtActual_0_1"_s, QString());
        setText(&d, u"txtActual_0_3"_s, u"30"_s);
        QCOMPARE(controlText(&d, u"lvlActTotal_0"_s), u"42"_s);
        setText(&d, u"txtDoneDate"_s, u"2024/04/30"_s);
        clickButton(&d, u"cmdOK"_s);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(Messages::shown().isEmpty());
        const int f = world.w.bigFunctions[0];
        QCOMPARE(columnValues(world.conn(),
                              u"SELECT NDKIND || ':' || NHOUR AS V FROM TACTUAL WHERE NFUNCTION = %1 "
                              u"ORDER BY NDKIND"_s.arg(f)),
                 (QStringList{u"1:12"_s, u"4:30"_s}));
        QCOMPARE(LoadActualSheet(world.conn(), world.w.big).doneDate, QDate(2024, 4, 30));
    }

    // Hours beyond the range, a finished project without a date or with a wrong one: the box
    // message, nothing written, the dialog stays open.
    void actualsRefused_data()
    {
        addColumns<int, QString, QString, bool, QString, QString>(
            {"engine", "box", "text", "done", "date", "message"});
        for (const int engine : {int(Engine::SQLite), int(Engine::PostgreSQL)}) {
            const char* e = engine == int(Engine::SQLite) ? "SQLite" : "PostgreSQL";
            const QString range = u"実績工数は0～999,999の整数（時間）で入力してください。"_s;
            QTest::addRow("%s a million hours", e)
                << engine << u"txtActual_1_2"_s << u"1000000"_s << false << QString() << range;
            QTest::addRow("%s finished without date", e)
                << engine << u"txtActual_1_2"_s << u"5"_s << true << QString() << u"完了日は必須入力です。"_s;
            QTest::addRow("%s no such day", e) << engine << u"txtActual_1_2"_s << u"5"_s << true
                                               << u"2024/02/30"_s << u"完了日の値が正しくありません。"_s;
        }
    }
    void actualsRefused()
    {
        FETCH_ENGINE();
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(bool, done);
        QFETCH(QString, date);
        QFETCH(QString, message);
        World world(dbEngine);
        const QStringList before =
            columnValues(world.conn(), u"SELECT NFUNCTION || ':' || NDKIND || ':' || NHOUR "
                                       u"AS V FROM TACTUAL ORDER BY 1"_s);
        ActualDialog d(*world.state);
        setText(&d, box, text);
        control<QCheckBox>(&d, u"chkDone"_s)->setChecked(done);
        setText(&d, u"txtDoneDate"_s, date);
        clickButton(&d, u"cmdOK"_s);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::last().title, u"入力確認"_s);
        QCOMPARE(Messages::last().text, message);
        QCOMPARE(d.result(), 0);
        QCOMPARE(columnValues(world.conn(),
                              u"SELECT NFUNCTION || ':' || NDKIND || ':' || NHOUR AS V FROM TACTUAL "
                              u"ORDER BY 1"_s),
                 before);
        QCOMPARE(rowCount(world.conn(), u"TPROJDONE"_s), 1);
    }

    // A new database: the calibration refuses politely, its buttons disabled.
    void calibrationRefusesWithFewerThanFive()
    {
        GuiTestEnvironment env;
        auto db = TestDatabase::create(Engine::SQLite);
        auto state = db->makeState();
        CalibrationDialog d(*state);
        QCOMPARE(d.windowTitle(), u"見積精度と校正"_s);
        QCOMPARE(control<QTreeWidget>(&d, u"lvwCalib"_s)->topLevelItemCount(), 0);
        QCOMPARE(controlText(&d, u"lblCalibNote"_s),
                 u"校正には実績のある完了した機能項目が5件以上必要です。"_s);
        QVERIFY(!control<QPushButton>(&d, u"cmdUseA"_s)->isEnabled());
        QVERIFY(!control<QPushButton>(&d, u"cmdResetA"_s)->isEnabled());
        QCOMPARE(controlText(&d, u"lvlCalibA"_s), QString());
        QCOMPARE(seriesNamed<QScatterSeries>(&d, u"chtCalib"_s, u"COCOMO"_s)->count(), 0);
    }

    // The list, the figures and the chart of five finished functions; the filter by customer;
    // applying the calibrated constant changes the function editor's COCOMO hours and nothing
    // stored, and resetting brings the standard back.
    void calibrationApplied_data() { addEngineRows(); }
    void calibrationApplied()
    {
        FETCH_ENGINE();
        World world(dbEngine);
        const int f = world.w.bigFunctions[3];
        const QString standard = cocomoHoursShown(world, f);
        const QString stored = FunctionRowsSnapshot(world.conn());

        CalibrationDialog d(*world.state);
        auto* list = control<QTreeWidget>(&d, u"lvwCalib"_s);
        QCOMPARE(list->topLevelItemCount(), 5);
        const CalibrationRow& row = d.list().rows[3];
        QCOMPARE(rowTexts(list, 3).mid(0, 4),
                 (QStringList{u"基幹更改"_s, u"機能4"_s, u"2024/03/31"_s, u"400"_s}));
        QCOMPARE(rowTexts(list, 3)[4], FormatNumber(row.cocomo * 0.8, 0));
        QCOMPARE(rowTexts(list, 3)[6], FormatNumber(row.cocomo * 1.25, 0));
        QCOMPARE(texts(&d, {u"lvlCocoPred"_s, u"lvlCocoCount"_s, u"lvlPlanCount"_s}),
                 (QStringList{u"100％"_s, u"5"_s, u"5"_s}));
        QCOMPARE(controlText(&d, u"lvlCocoMmre"_s), u"0.17"_s);
        QVERIFY2(controlText(&d, u"lvlCalibA"_s).startsWith(u"3.5"_s),
                 qPrintable(controlText(&d, u"lvlCalibA"_s)));
        QCOMPARE(controlText(&d, u"lblStdA"_s), u"（標準値 2.94）"_s);
        QVERIFY(!control<QPushButton>(&d, u"cmdResetA"_s)->isEnabled());

        // Actual against estimate, one point per function in each colour.
        auto* cocomo = seriesNamed<QScatterSeries>(&d, u"chtCalib"_s, u"COCOMO"_s);
        auto* planned = seriesNamed<QScatterSeries>(&d, u"chtCalib"_s, u"見積"_s);
        QVERIFY(cocomo && planned && seriesNamed<QLineSeries>(&d, u"chtCalib"_s, u"実績＝見積"_s));
        QCOMPARE(cocomo->count(), 5);
        QCOMPARE(cocomo->at(3), QPointF(row.cocomo, row.actual));
        QCOMPARE(planned->at(3), QPointF(400, row.actual));
        QVERIFY(cocomo->color() != planned->color());

        pickCode(control<QComboBox>(&d, u"cmbCust"_s), world.w.customerB);
        clickButton(&d, u"cmdFilter"_s);
        QCOMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!control<QPushButton>(&d, u"cmdUseA"_s)->isEnabled());
        pickCode(control<QComboBox>(&d, u"cmbCust"_s), 0);
        clickButton(&d, u"cmdFilter"_s);
        QCOMPARE(list->topLevelItemCount(), 5);

        const double a = *d.list().calibrated;
        clickButton(&d, u"cmdUseA"_s);
        QCOMPARE(StoredCocomoA(world.conn()).value_or(0), a);
        QCOMPARE(controlText(&d, u"lvlCocoPred"_s), u"100％"_s);
        QVERIFY(controlText(&d, u"lvlUsedA"_s).contains(u"校正済み"_s));
        QVERIFY(control<QPushButton>(&d, u"cmdResetA"_s)->isEnabled());

        const QString calibrated = cocomoHoursShown(world, f);
        const double before = standard.section(u' ', 0, 0).toDouble();
        const double after = calibrated.section(u' ', 0, 0).toDouble();
        // Both figures are shown rounded to whole hours.
        QVERIFY2(std::abs(after - before * a / 2.94) < 2, qPrintable(standard + u" | "_s + calibrated));
        QVERIFY2(calibrated.contains(u"校正済み A=%1"_s.arg(FormatNumber(a, 3, false))),
                 qPrintable(calibrated));
        QCOMPARE(FunctionRowsSnapshot(world.conn()), stored);

        clickButton(&d, u"cmdResetA"_s);
        QVERIFY(!StoredCocomoA(world.conn()));
        QCOMPARE(cocomoHoursShown(world, f), standard);
        QVERIFY(standard.contains(u"× 2.94 ×"_s));
        QCOMPARE(FunctionRowsSnapshot(world.conn()), stored);
    }

    // The analysis lists and their charts hold the same figures.
    void analysis_data() { addEngineRows(); }
    void analysis()
    {
        FETCH_ENGINE();
        World world(dbEngine);
        AnalysisDialog d(*world.state);
        QCOMPARE(d.windowTitle(), u"プロジェクトの分析"_s);
        const ProjectAnalysis& a = d.analysis();
        auto* list = control<QTreeWidget>(&d, u"lvwAnalysis"_s);
        QCOMPARE(list->topLevelItemCount(), 6); // five functions and the total
        QCOMPARE(rowTexts(list, 5)[0], u"合計"_s);
        QCOMPARE(rowTexts(list, 5)[1], u"1,500"_s);
        QCOMPARE(rowTexts(list, 5)[3], FormatNumber(a.cocomoTotal.likely, 0));
        QCOMPARE(rowTexts(list, 5)[5], FormatNumber(a.actualTotal, 0));

        auto* bars =
            qobject_cast<QBarSeries*>(control<QChartView>(&d, u"chtHours"_s)->chart()->series().first());
        QVERIFY(bars);
        QStringList sets;
        for (QBarSet* set : bars->barSets()) {
            sets << set->label();
        }
        QCOMPARE(sets, (QStringList{u"見積工数"_s, u"COCOMO工数"_s, u"実績工数"_s}));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(bars->barSets()[0]->at(i), a.rows[i].planned);
            QCOMPARE(bars->barSets()[1]->at(i), a.rows[i].cocomo.likely);
            QCOMPARE(bars->barSets()[2]->at(i), *a.rows[i].actual);
        }
        auto* range = seriesNamed<QLineSeries>(&d, u"chtHours"_s, u"COCOMO範囲"_s);
        QCOMPARE(range->points(),
                 (QList<QPointF>{{0, a.rows[0].cocomo.optimistic}, {0, a.rows[0].cocomo.pessimistic}}));

        auto* stack = qobject_cast<QStackedBarSeries*>(
            control<QChartView>(&d, u"chtAmount"_s)->chart()->series().first());
        QVERIFY(stack);
        auto* amounts = control<QTreeWidget>(&d, u"lvwAmount"_s);
        QCOMPARE(rowTexts(amounts, 0), (QStringList{u"受注金額"_s, u"5,000,000"_s}));
        QCOMPARE(stack->count(), a.parts.size());
        double sum = 0;
        for (int i = 0; i < stack->count(); ++i) {
            QCOMPARE(stack->barSets()[i]->label(), a.parts[i].caption);
            sum += stack->barSets()[i]->at(0);
            QCOMPARE(rowTexts(amounts, i + 1)[1], FormatNumber(a.parts[i].amount, 0));
        }
        QCOMPARE(sum, 5000000.0);
        QCOMPARE(stack->barSets().last()->label(), u"純利益"_s);
    }
};

QTEST_MAIN(TestAccuracyWindows)
#include "test_accuracy_windows.moc"
