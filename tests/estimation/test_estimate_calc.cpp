#include "estimation/estimate_calc.h"
#include "foundation/conversions.h"
#include "foundation/db_connection.h"
#include "foundation/messages.h"
#include "test_support.h"

namespace {

EstimateInput nominalInput()
{
    EstimateInput in;
    in.adjustDegrees.fill(2);
    // Nominal COCOMO II.2000 values.
    in.scaleValues = {3.72, 3.04, 4.24, 3.29, 4.68};
    in.costValues.fill(1.0);
    in.langCoef = 50;
    in.rowVisible.fill(true);
    return in;
}

} // namespace

// The estimate figures of one function, compared with the worked examples.
class TestEstimateCalc : public QObject {
    Q_OBJECT
private slots:
    void sizeFromThreeRows()
    {
        EstimateInput in = nominalInput();
        in.fpWeights = {7, 5, 4};
        in.adjustDegrees = {5, 5, 5, 5, 5, 5, 3, 3, 2, 2, 1, 1, 0, 0}; // 42: VAF 1.07
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.ufpText, u"16"_s);
        QCOMPARE(r.adjustTotalText, u"42"_s);
        QCOMPARE(r.vafText, u"1.07"_s);
        QCOMPARE(r.fpText, u"17.12"_s);
        QCOMPARE(r.kStep, 0.8); // the adjustment does not enter the size
        QCOMPARE(r.kStepText, u"0.80"_s);
        QCOMPARE(r.langText, u"50"_s);
    }

    void adjustmentFactor_data()
    {
        addColumns<int, QString, QString>({"degree", "total", "factor"});
        QTest::newRow("all 0") << 0 << u"0"_s << u"0.65"_s;
        QTest::newRow("all 2 (new function)") << 2 << u"28"_s << u"0.93"_s;
        QTest::newRow("all 5") << 5 << u"70"_s << u"1.35"_s;
    }
    void adjustmentFactor()
    {
        QFETCH(int, degree);
        QFETCH(QString, total);
        QFETCH(QString, factor);
        EstimateInput in = nominalInput();
        in.adjustDegrees.fill(degree);
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.adjustTotalText, total);
        QCOMPARE(r.vafText, factor);
        QCOMPARE(AdjustmentFactor(in.adjustDegrees), factor.toDouble());
    }

    // The adjusted points come from the shown factor; binary noise is not shown.
    void adjustedPointsShownPlainly()
    {
        EstimateInput in = nominalInput();
        in.fpWeights = {3};
        in.adjustDegrees = {5, 5, 5, 5, 5, 5, 5, 5, 5, 0, 0, 0, 0, 0}; // 45: 1.10
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.vafText, u"1.10"_s);
        QCOMPARE(r.fpText, u"3.3"_s);
    }

    // The exponent sums the values as their labels show them but is not itself rounded.
    void scaleExponent()
    {
        EstimateInput in = nominalInput();
        in.fpWeights = {200};
        in.scaleValues = {3.724, 3.036, 4.24, 3.29, 4.68}; // shown 3.72 + 3.04 + ... = 18.97
        const EstimateResult r = CalculateEstimate(in);
        QVERIFY(qAbs(r.scaleExp - 1.0997) < 1e-12);
        QCOMPARE(r.scaleExpText, u"1.10"_s);
        QCOMPARE(r.kStepText, u"10.00"_s);
        // 10 ^ 1.0997 = 12.581..., not 10 ^ 1.10 = 12.589...
        const double expected = std::pow(10.0, 1.0997) * 2.94 * 160;
        QVERIFY(qAbs(r.cocomoHours - expected) < 1e-6);
        QCOMPARE(r.cocomoHoursText, u"5918"_s);
        QVERIFY(r.cocomoHoursText != QString::number(std::round(std::pow(10.0, 1.10) * 2.94 * 160)));
    }

    void effortMultiplierFromShownValues()
    {
        EstimateInput in = nominalInput();
        in.fpWeights = {100};
        in.costValues[0] = 1.104; // RELY shown 1.10
        in.costValues[2] = 1.17;  // CPLX high
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.effortMult, 1.10 * 1.17);
        QCOMPARE(r.effortMultText, u"1.29"_s);
        const double expected = std::pow(5.0, 1.0997) * 2.94 * (1.10 * 1.17) * 160;
        QVERIFY(qAbs(r.cocomoHours - expected) < 1e-6);
    }

    void correctionAndDiscount()
    {
        EstimateInput in = nominalInput();
        in.hourTexts[0] = u"100"_s;
        in.unitPriceTexts[0] = u"10,000"_s;
        in.classCoefficients = {1.10, 1.00, 1.00, 1.00, 1.00};
        in.discountText = u"50,000"_s;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.processPriceText[0], u"1,000,000"_s);
        QCOMPARE(r.correctionText, u"1.10"_s);
        QCOMPARE(r.totalText, u"1,000,000"_s);
        QCOMPARE(r.correctedTotalText, u"1,100,000"_s);
        QCOMPARE(r.priceText, u"1,050,000"_s);
        QCOMPARE(r.savedTotal(), 1000000.0);
        QCOMPARE(r.savedPrice(), 1050000.0);
        QCOMPARE(r.plannedHoursText, u"100"_s);
        QCOMPARE(r.savedHours(), 100.0);
    }

    // The saved totals are the shown ones: whole yen, the price from the unrounded total.
    void savedTotalsAsShown_data()
    {
        addColumns<QStringList, QStringList, double, QString, QString, QString, double, double>(
            {"hours", "units", "coefficient", "discount", "totalText", "priceText", "total", "price"});
        QTest::newRow("fractional unit") << QStringList{"3", "1"} << QStringList{"1000.5", "0.4"} << 1.0
                                         << QString() << u"3,002"_s << u"3,002"_s << 3002.0 << 3002.0;
        QTest::newRow("correction rounds")
            << QStringList{"7"} << QStringList{"333"} << 0.85 << u"0"_s << u"2,331"_s << u"1,981"_s << 2331.0
            << 1981.0; // 2331 x 0.85 = 1981.35
        QTest::newRow("discount above price") << QStringList{"1"} << QStringList{"1000"} << 1.0 << u"1,500"_s
                                              << u"1,000"_s << u"-500"_s << 1000.0 << -500.0;
        QTest::newRow("half-typed discount counts 0")
            << QStringList{"2"} << QStringList{"500"} << 1.0 << u"-"_s << u"1,000"_s << u"1,000"_s << 1000.0
            << 1000.0;
    }
    void savedTotalsAsShown()
    {
        QFETCH(QStringList, hours);
        QFETCH(QStringList, units);
        QFETCH(double, coefficient);
        QFETCH(QString, discount);
        QFETCH(QString, totalText);
        QFETCH(QString, priceText);
        QFETCH(double, total);
        QFETCH(double, price);
        EstimateInput in = nominalInput();
        for (int i = 0; i < hours.size(); ++i) {
            in.hourTexts[i] = hours[i];
            in.unitPriceTexts[i] = units[i];
        }
        in.classCoefficients[0] = coefficient;
        in.discountText = discount;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.totalText, totalText);
        QCOMPARE(r.priceText, priceText);
        QCOMPARE(r.savedTotal(), total);
        QCOMPARE(r.savedPrice(), price);
    }

    void hoursOverflow()
    {
        EstimateInput in = nominalInput();
        in.hourTexts[0] = u"40000"_s;
        in.unitPriceTexts[0] = u"5,000"_s;
        in.hourTexts[1] = u"32767"_s;
        in.unitPriceTexts[1] = u"1"_s;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.overflowRows, QVector<int>{0});
        QVERIFY(r.overflow());
        QCOMPARE(r.processPrice[0], 0.0);
        QCOMPARE(r.processPriceText[0], u"0"_s);
        QCOMPARE(r.processPriceText[1], u"32,767"_s);
        QCOMPARE(r.plannedHoursText, u"72767"_s); // the total still counts 40000
        QVERIFY(Messages::shown().isEmpty());     // the window warns, not the calculation
    }

    void plannedTotalBeyond32Bits()
    {
        EstimateInput in = nominalInput();
        in.hourTexts[0] = u"2147483647"_s;
        in.hourTexts[1] = u"1"_s;
        const EstimateResult r = CalculateEstimate(in);
        QVERIFY(r.totalOverflow);
        QCOMPARE(r.plannedHoursText, u"0"_s);
    }

    void hiddenRowsAreNotPlanned()
    {
        EstimateInput in = nominalInput();
        in.rowVisible.fill(false);
        in.rowVisible[0] = true;
        in.hourTexts[0] = u"10"_s;
        in.hourTexts[5] = u"20"_s;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.plannedHoursText, u"10"_s);
    }

    void emptyFunctionPointList()
    {
        EstimateInput in = nominalInput();
        in.costValues.fill(1.46);
        in.hourTexts[0] = u"120"_s;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.ufpText, u"0"_s);
        QCOMPARE(r.kStep, 0.0);
        QCOMPARE(r.cocomoHoursText, u"0"_s);
        QCOMPARE(r.remainingHoursText, u"-120"_s);
    }

    void morePlannedThanCocomo()
    {
        EstimateInput in = nominalInput();
        in.fpWeights = {10}; // 0.5 KStep
        in.hourTexts[3] = u"1000"_s;
        const EstimateResult r = CalculateEstimate(in);
        const double cocomo = std::round(std::pow(0.5, 1.0997) * 2.94 * 160);
        QCOMPARE(r.cocomoHoursText, QString::number(cocomo));
        QCOMPARE(r.remainingHoursText, QString::number(cocomo - 1000));
        QVERIFY(r.remainingHoursText.startsWith(QLatin1Char('-')));
    }

    void chargeModeStopsAtEmptySlot()
    {
        ChargeTable table{};
        table[1][1] = {1, 3, u"a"_s, 10, 7500};
        table[1][2] = {2, 4, u"b"_s, 2.5, 5500};
        // Process 2 has an empty first slot: the assignment after it does not count.
        table[2][2] = {2, 3, u"a"_s, 8, 7500};
        EstimateInput in = nominalInput();
        in.chargeMode = true;
        in.charges = &table;
        in.hourTexts[0] = u"999"_s; // hidden boxes play no part in charge mode
        in.unitPriceTexts[0] = u"999"_s;
        EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.processHoursText[0], u"12.5"_s);
        QCOMPARE(r.processPriceText[0], u"88,750"_s);
        QCOMPARE(r.processHoursText[1], u"0"_s);
        QCOMPARE(r.processPrice[1], 0.0);
        QCOMPARE(r.totalText, u"88,750"_s);
        QCOMPARE(r.plannedHoursText, u"12"_s); // 12.5 as a whole number, half to even

        // The last assignment of process 1 removed.
        table[1][1].NADD = 0;
        r = CalculateEstimate(in);
        QCOMPARE(r.processHoursText[0], u"0"_s);
        QCOMPARE(r.totalText, u"0"_s);
    }

    void languageCoefficient_data()
    {
        addColumns<QVariant, bool, int>({"ncoef", "ok", "coefficient"});
        QTest::newRow("53") << QVariant(53.0) << true << 53;
        QTest::newRow("52.5 to even") << QVariant(52.5) << true << 52;
        QTest::newRow("53.5 to even") << QVariant(53.5) << true << 54;
        QTest::newRow("32767") << QVariant(32767) << true << 32767;
        QTest::newRow("40000") << QVariant(40000.0) << false << 0;
        QTest::newRow("0") << QVariant(0) << false << 0;
        QTest::newRow("negative") << QVariant(-5) << false << 0;
        QTest::newRow("NULL") << QVariant() << false << 0;
    }
    void languageCoefficient()
    {
        QFETCH(QVariant, ncoef);
        QFETCH(bool, ok);
        QFETCH(int, coefficient);
        int value = -1;
        QCOMPARE(LanguageCoefficient(ncoef, &value), ok);
        QCOMPARE(value, coefficient);
    }

    void processHours_data()
    {
        addColumns<QString, bool, int>({"text", "ok", "hours"});
        QTest::newRow("empty") << QString() << true << 0;
        QTest::newRow("32767") << u"32767"_s << true << 32767;
        QTest::newRow("32768") << u"32768"_s << false << 0;
        QTest::newRow("grouped") << u"1,200"_s << true << 1200;
        QTest::newRow("half to even") << u"2.5"_s << true << 2;
        QTest::newRow("lone minus") << u"-"_s << true << 0;
    }
    void processHours()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, hours);
        int value = -1;
        QCOMPARE(ProcessHours(text, &value), ok);
        QCOMPARE(value, hours);
    }

    // The published COCOMO II check with the reference data: 10 KStep, every driver nominal.
    void publishedCocomoCheck_data()
    {
        addColumns<int, int, QString>({"engine", "mtoH", "hours"});
        QTest::newRow("sqlite 152") << static_cast<int>(Engine::SQLite) << 152 << u"5622"_s;
        QTest::newRow("sqlite 160") << static_cast<int>(Engine::SQLite) << 160 << u"5918"_s;
        QTest::newRow("postgresql 152") << static_cast<int>(Engine::PostgreSQL) << 152 << u"5622"_s;
    }
    void publishedCocomoCheck()
    {
        FETCH_ENGINE();
        QFETCH(int, mtoH);
        QFETCH(QString, hours);
        TestEnvironment env;
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        EstimateInput in;
        in.rowVisible.fill(true);
        in.adjustDegrees.fill(2);
        Recordset rs = OpenRs(*conn, u"SELECT NDKIND, NDRIVER, NVALUE FROM MCOCOMO WHERE NDRANK = 2"_s);
        int drivers = 0;
        for (; !rs.eof(); rs.moveNext(), ++drivers) {
            const int index = rs.field(u"NDRIVER"_s).toInt() - 1;
            const double value = rs.field(u"NVALUE"_s).toDouble();
            if (rs.field(u"NDKIND"_s).toInt() == 1) {
                in.scaleValues[index] = value;
            } else {
                in.costValues[index] = value;
            }
        }
        QCOMPARE(drivers, kScaleDrivers + kCostDrivers);
        in.fpWeights = {200};
        in.langCoef = 50;
        in.mtoH = mtoH;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE(r.kStepText, u"10.00"_s);
        QCOMPARE(r.scaleExpText, u"1.10"_s);
        QCOMPARE(r.effortMultText, u"1.00"_s);
        QCOMPARE(FormatNumber(r.cocomoHours / mtoH, 2), u"36.99"_s); // person-months
        QCOMPARE(r.cocomoHoursText, hours);
        QCOMPARE(r.mtoHText, QString::number(mtoH));
    }
};

QTEST_MAIN(TestEstimateCalc)
#include "test_estimate_calc.moc"
