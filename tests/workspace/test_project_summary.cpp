#include "foundation/app_state.h"
#include "foundation/db_connection.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/project_summary.h"

namespace {

enum Which { None, Maintenance, Head, Sales, Stock, Billing, Missing };

int projectId(const SmallTree& t, int which)
{
    const int ids[] = {0, t.maintenance, t.head, t.sales, t.stock, t.billing, 999};
    return ids[which];
}

void addRowsForBothEngines(const char* name, const std::function<void(QTestData&)>& values)
{
    for (const Engine e : {Engine::SQLite, Engine::PostgreSQL}) {
        QTestData& row = QTest::addRow("%s/%s", e == Engine::SQLite ? "sqlite" : "postgresql", name);
        row << static_cast<int>(e);
        values(row);
    }
}

} // namespace

class TestProjectSummary : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void listTitle_data()
    {
        addColumns<int, int, QString, bool>({"engine", "project", "title", "kind2"});
        const QString tail = u" 機能項目一覧： "_s;
        addRowsForBothEngines("third level", [&](QTestData& r) {
            r << int(Billing) << u"本社システム - 販売管理 - 請求"_s + tail << true;
        });
        addRowsForBothEngines("second level", [&](QTestData& r) {
            r << int(Sales) << u"本社システム - 販売管理"_s + tail << false;
        });
        addRowsForBothEngines("top level",
                              [&](QTestData& r) { r << int(Maintenance) << u"保守案件"_s + tail << false; });
        addRowsForBothEngines("root", [&](QTestData& r) { r << int(None) << u"[未選択]"_s + tail << false; });
        addRowsForBothEngines("deleted",
                              [&](QTestData& r) { r << int(Missing) << u"[未選択]"_s + tail << false; });
    }
    void listTitle()
    {
        FETCH_ENGINE();
        QFETCH(int, project);
        QFETCH(QString, title);
        QFETCH(bool, kind2);
        TreeWorld w(dbEngine);
        w.state->CurPriKind = 55;
        w.state->CurProject = projectId(w.t, project);
        QCOMPARE(UpdateListTitle(*w.state), title);
        const int expectedKind = project == None || project == Missing ? 0 : (kind2 ? w.t.priceKind2 : 1);
        QCOMPARE(w.state->CurPriKind, expectedKind);
    }

    void pathNameEndsOnACircle()
    {
        TreeWorld w;
        QCOMPARE(ProjectPathName(*w.state->Conn, w.t.sales, u"x"_s), u"本社システム - 販売管理 - x"_s);
        // A parent chain edited into a circle outside the program.
        ExecSql(*w.state->Conn,
                u"UPDATE TPROJECT SET NPARPROJ = %1 WHERE NPROJECT = %2"_s.arg(w.t.billing).arg(w.t.head));
        QCOMPARE(ProjectPathName(*w.state->Conn, w.t.sales, u"x"_s), u"請求 - 本社システム - 販売管理 - x"_s);
    }

    void remainingHours_data()
    {
        addColumns<int, int, bool, bool, QString, QString>(
            {"engine", "project", "hour", "charge", "text", "billingHours"});
        const auto add = [](const char* name, int project, bool hour, bool charge, const char* text,
                            const char* billingHours = "") {
            addRowsForBothEngines(name, [=](QTestData& r) {
                r << project << hour << charge << QString::fromUtf8(text)
                  << QString::fromLatin1(billingHours);
            });
        };
        // 450 hours occupied, 30 indirect; 50 hours assigned to counted functions (the 20 of
        // the function on hold do not count), 52.5 typed per process.
        add("assignments", Sales, false, true, "残工数：370/420時間");
        add("with indirect hours", Sales, true, true, "残工数：400/450時間");
        add("per process", Sales, false, false, "残工数：367.5/420時間");
        add("overbooked", Billing, false, true, "残工数：-4.5/5.5時間");
        // 5.5 - 3.7 in binary is 1.7999999999999998.
        add("fractional hours", Billing, false, true, "残工数：1.8/5.5時間", "3.7");
        add("no members, no hours", Head, false, true, "残工数：0/0時間");
        add("nothing selected", None, false, true, "残工数：[未選択]");
    }
    void remainingHours()
    {
        FETCH_ENGINE();
        QFETCH(int, project);
        QFETCH(bool, hour);
        QFETCH(bool, charge);
        QFETCH(QString, text);
        QFETCH(QString, billingHours);
        TreeWorld w(dbEngine);
        if (!billingHours.isEmpty()) {
            ExecSql(
                *w.state->Conn,
                u"UPDATE TCHARGE SET NHOUR = %1 WHERE NPROJECT = %2"_s.arg(billingHours).arg(w.t.billing));
        }
        w.state->CurProject = projectId(w.t, project);
        w.state->policy.Hour = hour;
        w.state->policy.Charge = charge;
        QCOMPARE(RemainingHoursText(*w.state), text);
    }

    // 販売管理: P 5,000,000, B 100,000, W 1,850,000, I 160,000, O 250,000, D 130,000,
    // E0 80,000, E1 120,000 (E2 999,000 counts nowhere); work total 396,400.
    void profit_data()
    {
        addColumns<int, int, QString, QString, QString>({"engine", "project", "switches", "money", "rate"});
        const auto add = [](const char* name, int project, const char* switches, const char* money,
                            const char* rate) {
            addRowsForBothEngines(name, [=](QTestData& r) {
                r << project << QString::fromUtf8(switches) << u"純利益："_s + QString::fromUtf8(money)
                  << u"利益率："_s + QString::fromUtf8(rate);
            });
        };
        add("defaults", Sales, "", "2,470,000円", "49.40％");
        add("direct labour only", Sales, "Indirect=0", "2,630,000円", "52.60％");
        add("own expenses not subtracted", Sales, "Expe0=0", "2,550,000円", "51.00％");
        add("all switches off", Sales, "Work=0 Base=0 Opt=0 Deliv=0 Expe0=0 Expe1=0", "5,000,000円",
            "100.00％");
        add("rate on work total", Sales, "Rate=1", "2,470,000円", "623.11％");
        add("rate on outlay", Sales, "Rate=2", "2,470,000円", "97.63％");
        add("outlay without indirect", Sales, "Rate=2 IndirectR=0", "2,470,000円", "104.22％");
        add("outlay without labour", Sales, "Rate=2 WorkR=0 IndirectR=0", "2,470,000円", "363.24％");
        add("outlay of customer expenses", Sales, "Rate=2 WorkR=0 BaseR=0 OptR=0 DelivR=0 Expe0R=0",
            "2,470,000円", "2,058.33％");
        add("outlay all off", Sales, "Rate=2 WorkR=0 BaseR=0 OptR=0 DelivR=0 Expe0R=0 Expe1R=0",
            "2,470,000円", "[計算不能]");
        add("other rate kind", Sales, "Rate=7", "2,470,000円", "97.63％");
        add("loss with no contract price", Stock, "", "-370,000円", "[計算不能]");
        add("no counted functions", Maintenance, "Rate=1", "800,000円", "[計算不能]");
        add("nothing selected", None, "", "[未選択]", "[未選択]");
        add("deleted project", Missing, "", "[未選択]", "[未選択]");
    }
    void profit()
    {
        FETCH_ENGINE();
        QFETCH(int, project);
        QFETCH(QString, switches);
        QFETCH(QString, money);
        QFETCH(QString, rate);
        TreeWorld w(dbEngine);
        w.state->CurProject = projectId(w.t, project);
        Policy& p = w.state->policy;
        const QHash<QString, bool*> flags = {
            {u"Work"_s, &p.Work},     {u"Indirect"_s, &p.Indirect}, {u"Base"_s, &p.Base},
            {u"Opt"_s, &p.Opt},       {u"Deliv"_s, &p.Deliv},       {u"Expe0"_s, &p.Expe0},
            {u"Expe1"_s, &p.Expe1},   {u"WorkR"_s, &p.WorkR},       {u"IndirectR"_s, &p.IndirectR},
            {u"BaseR"_s, &p.BaseR},   {u"OptR"_s, &p.OptR},         {u"DelivR"_s, &p.DelivR},
            {u"Expe0R"_s, &p.Expe0R}, {u"Expe1R"_s, &p.Expe1R}};
        for (const QString& s : switches.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = s.section(QLatin1Char('='), 0, 0);
            const int value = s.section(QLatin1Char('='), 1).toInt();
            if (key == QLatin1String("Rate")) {
                p.Rate = value;
            } else {
                QVERIFY2(flags.contains(key), qPrintable(key));
                *flags.value(key) = value != 0;
            }
        }
        const ProfitTexts texts = ProfitPanelTexts(*w.state);
        QCOMPARE(texts.money, money);
        QCOMPARE(texts.rate, rate);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestProjectSummary)
#include "test_project_summary.moc"
