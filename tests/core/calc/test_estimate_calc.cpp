#include "calc/estimate_calc.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
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
    // The size: points, the adjustment factor as shown, the adjusted points (display only, from
    // the shown factor, without binary noise) and KStep, which the adjustment does not enter.
    void sizeFromPoints_data()
    {
        addColumns<QList<double>, QList<int>, QStringList>({"weights", "degrees", "shown"});
        // degrees: all fourteen, or one for every factor; shown: points, degrees, factor, FP, KStep.
        QTest::newRow("three rows") << QList<double>{7, 5, 4}
                                    << QList<int>{5, 5, 5, 5, 5, 5, 3, 3, 2, 2, 1, 1, 0, 0}
                                    << QStringList{"16", "42", "1.07", "17.12", "0.80"};
        QTest::newRow("all 0") << QList<double>{} << QList<int>{0}
                               << QStringList{"0", "0", "0.65", "0", "0.00"};
        QTest::newRow("all 5") << QList<double>{} << QList<int>{5}
                               << QStringList{"0", "70", "1.35", "0", "0.00"};
        QTest::newRow("shown factor")
            << QList<double>{3} << QList<int>{5, 5, 5, 5, 5, 5, 5, 5, 5, 0, 0, 0, 0, 0}
            << QStringList{"3", "45", "1.10", "3.3", "0.15"};
    }
    void sizeFromPoints()
    {
        QFETCH(QList<double>, weights);
        QFETCH(QList<int>, degrees);
        QFETCH(QStringList, shown);
        EstimateInput in = nominalInput();
        in.fpWeights = weights;
        for (int i = 0; i < kAdjustFactors; ++i) {
            in.adjustDegrees[i] = degrees.value(i, degrees.first());
        }
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE((QStringList{r.ufpText, r.adjustTotalText, r.vafText, r.fpText, r.kStepText}), shown);
        QCOMPARE(AdjustmentFactor(in.adjustDegrees), shown[2].toDouble());
    }

    // The exponent sums the scale values as their labels show them but is not itself rounded;
    // the multiplier takes the cost values as shown.
    void cocomoFromShownValues()
    {
        EstimateInput in = nominalInput();
        in.fpWeights = {200};
        in.scaleValues = {3.724, 3.044, 4.24, 3.29, 4.68}; // shown 3.72 + 3.04 + ... = 18.97
        EstimateResult r = CalculateEstimate(in);
        QVERIFY(qAbs(r.scaleExp - 1.0997) < 1e-12);
        QCOMPARE(r.scaleExpText, u"1.10"_s);
        QCOMPARE(r.kStepText, u"10.00"_s);
        // 10 ^ 1.0997 = 12.5806... x 2.94 x 160, not 10 ^ 1.10 = 12.589... (which would give 5922).
        QVERIFY(qAbs(r.cocomoHours - 5917.8957872) < 1e-6);
        QCOMPARE(r.cocomoHoursText, u"5918"_s);

        in.fpWeights = {100};
        in.costValues[0] = 1.104; // RELY shown 1.10
        in.costValues[2] = 1.17;  // CPLX high
        r = CalculateEstimate(in);
        QCOMPARE(r.effortMult, 1.10 * 1.17);
        QCOMPARE(r.effortMultText, u"1.29"_s);
        // 5 ^ 1.0997 x 2.94 x 1.287 x 160.
        QVERIFY(qAbs(r.cocomoHours - 3553.8833909) < 1e-6);
        QCOMPARE(r.cocomoHoursText, u"3554"_s);

        // No points, no COCOMO hours: the remaining hours are the planned ones, below zero.
        in.fpWeights.clear();
        in.hourTexts[0] = u"1000"_s;
        r = CalculateEstimate(in);
        QCOMPARE((QStringList{r.kStepText, r.cocomoHoursText, r.remainingHoursText}),
                 (QStringList{"0.00", "0", "-1000"}));
    }

    // The plan in process mode: the total, corrected by the class coefficient, less the discount.
    // The saved figures are the shown ones: whole yen, the price from the unrounded total.
    void planTotals_data()
    {
        addColumns<QStringList, QStringList, double, QString, QStringList>(
            {"hours", "units", "coefficient", "discount", "shown"});
        // shown: total, corrected total, price, planned hours.
        QTest::newRow("worked example") << QStringList{"100"} << QStringList{"10,000"} << 1.10 << u"50,000"_s
                                        << QStringList{"1,000,000", "1,100,000", "1,050,000", "100"};
        QTest::newRow("fractional unit") << QStringList{"3", "1"} << QStringList{"1000.5", "0.4"} << 1.0
                                         << QString() << QStringList{"3,002", "3,002", "3,002", "4"};
        QTest::newRow("correction rounds") << QStringList{"7"} << QStringList{"333"} << 0.85 << u"0"_s
                                           << QStringList{"2,331", "1,981", "1,981", "7"}; // 1981.35
        QTest::newRow("discount above price") << QStringList{"1"} << QStringList{"1000"} << 1.0 << u"1,500"_s
                                              << QStringList{"1,000", "1,000", "-500", "1"};
        QTest::newRow("half-typed discount counts 0")
            << QStringList{"2"} << QStringList{"500"} << 1.0 << u"-"_s
            << QStringList{"1,000", "1,000", "1,000", "2"};
    }
    void planTotals()
    {
        QFETCH(QStringList, hours);
        QFETCH(QStringList, units);
        QFETCH(double, coefficient);
        QFETCH(QString, discount);
        QFETCH(QStringList, shown);
        EstimateInput in = nominalInput();
        for (int i = 0; i < hours.size(); ++i) {
            in.hourTexts[i] = hours[i];
            in.unitPriceTexts[i] = units[i];
        }
        in.classCoefficients[0] = coefficient;
        in.discountText = discount;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE((QStringList{r.totalText, r.correctedTotalText, r.priceText, r.plannedHoursText}), shown);
        const auto figure = [](QString text) { return text.remove(u',').toDouble(); };
        QCOMPARE(r.savedTotal(), figure(shown[0]));
        QCOMPARE(r.savedPrice(), figure(shown[2]));
        QCOMPARE(r.savedHours(), figure(shown[3]));
    }

    // A planned total beyond 32 bits shows 0 and counts as an overflow, as does a row beyond 16 bits.
    void plannedTotalBeyond32Bits()
    {
        EstimateInput in = nominalInput();
        in.hourTexts[0] = u"2147483647"_s;
        in.hourTexts[1] = u"1"_s;
        const EstimateResult r = CalculateEstimate(in);
        QVERIFY(r.totalOverflow);
        QCOMPARE(r.overflowRows, QVector<int>{0});
        QCOMPARE(r.plannedHoursText, u"0"_s);
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
        const EstimateResult r = CalculateEstimate(in);
        // Process 1: 12.5 hours, 88,750 yen; planned 12.5 as a whole number, half to even.
        QCOMPARE((QStringList{r.processHoursText[0], r.processPriceText[0], r.processHoursText[1],
                              r.processPriceText[1], r.totalText, r.plannedHoursText}),
                 (QStringList{"12.5", "88,750", "0", "0", "88,750", "12"}));
    }

    // Language coefficients and process hours are 16-bit whole numbers, rounded half to even.
    void sixteenBitValues_data()
    {
        addColumns<bool, QVariant, bool, int>({"language", "input", "ok", "value"});
        QTest::newRow("language 52.5 to even") << true << QVariant(52.5) << true << 52;
        QTest::newRow("language 53.5 to even") << true << QVariant(53.5) << true << 54;
        QTest::newRow("language 32767") << true << QVariant(32767) << true << 32767;
        QTest::newRow("language 40000") << true << QVariant(40000.0) << false << 0;
        QTest::newRow("language 0") << true << QVariant(0) << false << 0;
        QTest::newRow("language NULL") << true << QVariant() << false << 0;
        QTest::newRow("hours empty") << false << QVariant(QString()) << true << 0;
        QTest::newRow("hours 32767") << false << QVariant(u"32767"_s) << true << 32767;
        QTest::newRow("hours 32768") << false << QVariant(u"32768"_s) << false << 0;
        QTest::newRow("hours grouped") << false << QVariant(u"1,200"_s) << true << 1200;
        QTest::newRow("hours half to even") << false << QVariant(u"2.5"_s) << true << 2;
        QTest::newRow("hours lone minus") << false << QVariant(u"-"_s) << true << 0;
    }
    void sixteenBitValues()
    {
        QFETCH(bool, language);
        QFETCH(QVariant, input);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int result = -1;
        QCOMPARE(language ? LanguageCoefficient(input, &result) : ProcessHours(input.toString(), &result),
                 ok);
        QCOMPARE(result, value);
    }

    // The published COCOMO II check with the reference data: 10 KStep, every driver nominal.
    void publishedCocomoCheck_data() { addEngineRows(); }
    void publishedCocomoCheck()
    {
        FETCH_ENGINE();
        TestEnvironment env;
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        EstimateInput in = nominalInput();
        in.scaleValues.fill(0); // every value from the database
        in.costValues.fill(0);
        int drivers = 0;
        for (Recordset rs = OpenRs(*conn, u"SELECT NDKIND, NDRIVER, NVALUE FROM MCOCOMO WHERE NDRANK = 2"_s);
             !rs.eof(); rs.moveNext(), ++drivers) {
            const int index = rs.field(u"NDRIVER"_s).toInt() - 1;
            const bool scale = rs.field(u"NDKIND"_s).toInt() == 1;
            (scale ? in.scaleValues[index] : in.costValues[index]) = rs.field(u"NVALUE"_s).toDouble();
        }
        QCOMPARE(drivers, kScaleDrivers + kCostDrivers);
        in.fpWeights = {200};
        in.mtoH = 152;
        const EstimateResult r = CalculateEstimate(in);
        QCOMPARE((QStringList{r.kStepText, r.scaleExpText, r.effortMultText}),
                 (QStringList{"10.00", "1.10", "1.00"}));
        QCOMPARE(FormatNumber(r.cocomoHours / 152, 2), u"36.99"_s); // person-months
        QCOMPARE((QStringList{r.mtoHText, r.cocomoHoursText}), (QStringList{"152", "5622"}));
    }
};

QTEST_GUILESS_MAIN(TestEstimateCalc)
#include "test_estimate_calc.moc"
