#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/project_summary.h"

namespace {

enum Which { None, Maintenance, Sales, Stock, Billing, Missing };

} // namespace

class TestProjectSummary : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void pathNameEndsOnACircle()
    {
        TreeWorld w;
        QCOMPARE(ProjectPathName(*w.state->Conn, w.t.sales, u"x"_s), u"本社システム - 販売管理 - x"_s);
        // A parent chain edited into a circle outside the program.
        ExecSql(*w.state->Conn,
                u"UPDATE TPROJECT SET NPARPROJ = %1 WHERE NPROJECT = %2"_s.arg(w.t.billing).arg(w.t.head));
        QCOMPARE(ProjectPathName(*w.state->Conn, w.t.sales, u"x"_s), u"請求 - 本社システム - 販売管理 - x"_s);
    }

    // The three panels under the policy switches. 販売管理: P 5,000,000, B 100,000, W 1,850,000,
    // I 160,000, O 250,000, D 130,000, E0 80,000, E1 120,000 (E2 999,000 counts nowhere); work
    // total 396,400 (the function on hold and the NULL price count nowhere). 450 hours occupied,
    // 30 indirect; 50 hours assigned to counted functions (not the 20 of the function on hold),
    // 52.5 typed per process.
    void panels_data()
    {
        addColumns<int, int, QString, QString, QString, QString>(
            {"engine", "project", "switches", "hours", "money", "rate"});
        const auto add = [](const char* name, int project, const char* switches, const char* hours,
                            const char* money, const char* rate) {
            for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
                QTest::addRow("%s/%s", e == Engine::SQLite ? "sqlite" : "postgresql", name)
                    << int(e) << project << QString::fromUtf8(switches)
                    << u"残工数："_s + QString::fromUtf8(hours) << u"純利益："_s + QString::fromUtf8(money)
                    << u"利益率："_s + QString::fromUtf8(rate);
            }
        };
        add("defaults", Sales, "", "370/420時間", "2,470,000円", "49.40％");
        add("indirect hours", Sales, "Hour=1 Indirect=0", "400/450時間", "2,630,000円", "52.60％");
        add("per process", Sales, "Charge=0 Expe0=0", "367.5/420時間", "2,550,000円", "51.00％");
        add("all switches off", Sales, "Work=0 Base=0 Opt=0 Deliv=0 Expe0=0 Expe1=0", "370/420時間",
            "5,000,000円", "100.00％");
        add("rate on work total", Sales, "Rate=1", "370/420時間", "2,470,000円", "623.11％");
        add("rate on outlay", Sales, "Rate=2", "370/420時間", "2,470,000円", "97.63％");
        add("outlay without indirect", Sales, "Rate=2 IndirectR=0", "370/420時間", "2,470,000円", "104.22％");
        add("outlay without labour", Sales, "Rate=2 WorkR=0 IndirectR=0", "370/420時間", "2,470,000円",
            "363.24％");
        add("outlay of customer expenses", Sales, "Rate=2 WorkR=0 BaseR=0 OptR=0 DelivR=0 Expe0R=0",
            "370/420時間", "2,470,000円", "2,058.33％");
        add("outlay all off", Sales, "Rate=2 WorkR=0 BaseR=0 OptR=0 DelivR=0 Expe0R=0 Expe1R=0",
            "370/420時間", "2,470,000円", "[計算不能]");
        add("other rate kind", Sales, "Rate=7", "370/420時間", "2,470,000円", "97.63％");
        add("loss with no contract price", Stock, "", "72/80時間", "-370,000円", "[計算不能]");
        add("overbooked", Billing, "", "-4.5/5.5時間", "283,500円", "94.50％");
        // 5.5 - 3.7 in binary is 1.7999999999999998.
        add("fractional hours", Billing, "BillingHours=3.7", "1.8/5.5時間", "283,500円", "94.50％");
        add("no members, no counted functions", Maintenance, "Rate=1", "0/0時間", "800,000円", "[計算不能]");
        add("nothing selected", None, "", "[未選択]", "[未選択]", "[未選択]");
        add("deleted project", Missing, "", "0/0時間", "[未選択]", "[未選択]");
    }
    void panels()
    {
        FETCH_ENGINE();
        QFETCH(int, project);
        QFETCH(QString, switches);
        TreeWorld w(dbEngine);
        const int ids[] = {0, w.t.maintenance, w.t.sales, w.t.stock, w.t.billing, 999};
        w.state->CurProject = ids[project];
        Policy& p = w.state->policy;
        const QHash<QString, bool*> flags = {
            {u"Hour"_s, &p.Hour},         {u"Charge"_s, &p.Charge},       {u"Work"_s, &p.Work},
            {u"Indirect"_s, &p.Indirect}, {u"Base"_s, &p.Base},           {u"Opt"_s, &p.Opt},
            {u"Deliv"_s, &p.Deliv},       {u"Expe0"_s, &p.Expe0},         {u"Expe1"_s, &p.Expe1},
            {u"WorkR"_s, &p.WorkR},       {u"IndirectR"_s, &p.IndirectR}, {u"BaseR"_s, &p.BaseR},
            {u"OptR"_s, &p.OptR},         {u"DelivR"_s, &p.DelivR},       {u"Expe0R"_s, &p.Expe0R},
            {u"Expe1R"_s, &p.Expe1R}};
        for (const QString& s : switches.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = s.section(QLatin1Char('='), 0, 0);
            const QString value = s.section(QLatin1Char('='), 1);
            if (key == QLatin1String("Rate")) {
                p.Rate = value.toInt();
            } else if (key == QLatin1String("BillingHours")) {
                execArgs(*w.state->Conn, u"UPDATE TCHARGE SET NHOUR = %1 WHERE NPROJECT = %2"_s, value,
                         w.t.billing);
            } else {
                QVERIFY2(flags.contains(key), qPrintable(key));
                *flags.value(key) = value.toInt() != 0;
            }
        }
        const ProfitTexts texts = ProfitPanelTexts(*w.state);
        QTEST(RemainingHoursText(*w.state), "hours");
        QTEST(texts.money, "money");
        QTEST(texts.rate, "rate");
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestProjectSummary)
#include "test_project_summary.moc"
