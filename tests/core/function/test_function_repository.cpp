#include "calc/estimate_calc.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "demo_function.h"
#include "function/assignment_queries.h"
#include "function/function_draft.h"
#include "function/function_repository.h"
#include "function/member_replacement.h"
#include "state/app_state.h"
#include "test_support.h"

namespace {

// The demo data on one engine, the state choosing a function of project 2 under price kind 1.
struct DemoWorld {
    TestEnvironment env;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<AppState> state;

    explicit DemoWorld(Engine engine) : db(TestDatabase::create(engine, true)), state(db->makeState()) {}

    DbConnection& conn() { return *state->Conn; }

    AppState& open(int function, bool charge) { return ChooseDemoFunction(*state, function, charge); }
};

// What the editor shows of a loaded draft, one fact a line.
QStringList describe(const FunctionDraft& d, const AppState& s)
{
    const EstimateResult r = d.estimate();
    QStringList classes;
    for (int i = 0; i < kCorrectionClasses; ++i) {
        classes << QString::number(d.correctionClass(i).key()) + u'@' + d.classCoefficientText(i);
    }
    QStringList processes;
    for (int i = 0; i < kProcessRows; ++i) {
        const ProcessRowDraft& p = d.process(i);
        if (p.shown && (i == 0 || i == 3 || !p.inUse)) {
            processes << u"%1 %2=%3x%4"_s.arg(p.code).arg(p.name, p.hourText, p.unitPriceText);
        }
    }
    QStringList points;
    for (const FpRow& row : d.fpRows().rows()) {
        points << u"%1 %2/%3 %4"_s.arg(row.title).arg(row.kind).arg(row.complexity).arg(row.points);
    }
    QStringList first;
    for (int slot = 1; slot <= kChargeSlots; ++slot) {
        const ChargeSlot& c = s.chargeTable[1][slot];
        if (c.NADD != 0) {
            first << u"%1:m%2=%3@%4"_s.arg(c.NADD).arg(c.NMEMBER).arg(c.NHOUR).arg(c.NDPRI);
        }
    }
    return {u"title "_s + d.title(),
            u"classes "_s + classes.join(u' '),
            u"language %1 steps %2"_s.arg(d.language().key()).arg(r.langText),
            u"discount "_s + d.discountText(),
            u"processes "_s + processes.join(u", "),
            u"points "_s + points.join(u", "),
            u"degrees %1, PREC %2, RELY %3"_s.arg(r.adjustTotalText, TwoDecimals(d.scaleDriver(0).value()),
                                                  TwoDecimals(d.costDriver(0).value())),
            u"process 1 "_s + first.join(u' '),
            u"planned %1, total %2, price %3"_s.arg(r.plannedHoursText, r.totalText, r.priceText)};
}

} // namespace

// The function repository on the embedded and the server database: a function loaded as the
// editor shows it, in the editor's order, the rows it has no place for refused, and what the
// work assignment and the member replacement read.
class TestFunctionRepository : public QObject {
    Q_OBJECT
private slots:
    // A new function starts from the defaults and the unit prices of its processes; an existing
    // one from its rows. Process 1's assignments, left with a gap by a member replacement, come
    // back numbered 1, 2, so that both are priced. The statements run in the editor's order.
    void loadsTheDraft_data()
    {
        addColumns<int, int, bool, QStringList, QStringList>(
            {"engine", "function", "charge", "facts", "statements"});
        const QStringList divisions = {
            u"SELECT * FROM MDIV WHERE NDID = 1 ORDER BY NSORT,NVAL"_s,
            u"SELECT * FROM MDIV WHERE NDID = 2 ORDER BY NSORT,NVAL"_s,
            u"SELECT * FROM MDIV WHERE NDID = 3 ORDER BY NSORT,NVAL"_s,
            u"SELECT * FROM MDIV WHERE NDID = 4 ORDER BY NSORT,NVAL"_s,
            u"SELECT * FROM MDIV WHERE NDID = 5 ORDER BY NSORT,NVAL"_s,
            u"SELECT * FROM MLANG ORDER BY NSORT,NLANG"_s,
            u"SELECT NDKIND, NDRIVER, NDRANK, NVALUE, CNAME FROM MCOCOMO C, MDIV D WHERE D.NDID = 15 AND "
            u"D.NVAL = C.NDRANK ORDER BY NDKIND, NDRIVER, NDRANK"_s,
            u"SELECT NCOCOMOA FROM MCALIB WHERE NCALIB = 1"_s,
            u"SELECT * FROM MDIV WHERE NDID = 7 AND CDEF = '1' ORDER BY NSORT"_s};
        const QStringList newFacts = {u"title "_s,
                                      u"classes 1@1.00 2@1.00 2@1.00 2@1.00 2@1.00"_s,
                                      u"language 1 steps 53"_s,
                                      u"discount "_s,
                                      u"processes 1 要件定義=x9000, 4 製造=x6000"_s,
                                      u"points "_s,
                                      u"degrees 28, PREC 3.72, RELY 1.00"_s,
                                      u"process 1 "_s,
                                      u"planned 0, total 0, price 0"_s};
        const QStringList existingFacts = {
            u"title 受注入力"_s, u"classes 1@1.00 3@1.10 2@1.00 2@1.00 2@1.00"_s, u"language 1 steps 53"_s,
            u"discount 0"_s, u"processes 1 要件定義=24x9,000, 4 製造=96x6,000"_s,
            u"points 受注登録画面 3/2 4, 受注データ 1/2 10, 得意先マスタ参照 2/1 5, 商品検索 5/2 4, "
            u"受注確認書出力 4/2 5"_s,
            u"degrees 35, PREC 3.72, RELY 1.10"_s, u"process 1 1:m1=8@10000 2:m3=10@7500"_s,
            // 304 - 16 h at 8,500 + 10 h at 7,500; x 1.10.
            u"planned 298, total 1,935,000, price 2,128,500"_s};
        const QString where = u" WHERE NPROJECT = 2 AND NFUNCTION = 1"_s;
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const QString name = EngineName(engine);
            QTest::addRow("%s new", qPrintable(name))
                << int(engine) << 0 << false << newFacts
                << divisions +
                       QStringList{
                           u"SELECT * FROM MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '1' ORDER BY NDKIND"_s,
                           u"SELECT * FROM VFP WHERE NPROJECT = 2 AND NFUNCTION = 0 ORDER BY NADD"_s,
                           u"SELECT NCOEF FROM MLANG WHERE NLANG = 1"_s};
            // An existing function is first read as a save will compare it: the row and the
            // rows a save in charge mode rewrites.
            QTest::addRow("%s existing, assignments", qPrintable(name))
                << int(engine) << 1 << true << existingFacts
                << QStringList{u"SELECT * FROM TFUNCTION"_s + where,
                               u"SELECT * FROM TFP"_s + where,
                               u"SELECT * FROM TFPADJ"_s + where,
                               u"SELECT * FROM TCOCOMO"_s + where,
                               u"SELECT * FROM TCHARGE"_s + where,
                               u"SELECT * FROM VCHARGE"_s + where +
                                   u" AND NPRIKIND = 1 ORDER BY NPROC, NADD"_s,
                               u"SELECT COUNT(*) AS CNT FROM TCHARGE"_s + where} +
                       divisions +
                       QStringList{u"SELECT * FROM TFUNCTION"_s + where,
                                   u"SELECT * FROM THOUR"_s + where + u" ORDER BY NDKIND"_s,
                                   u"SELECT * FROM TFPADJ"_s + where + u" ORDER BY NKIND"_s,
                                   u"SELECT * FROM TCOCOMO"_s + where + u" ORDER BY NDKIND,NDRIVER"_s,
                                   u"SELECT * FROM VFP"_s + where + u" ORDER BY NADD"_s,
                                   u"SELECT NCOEF FROM MLANG WHERE NLANG = 1"_s};
        }
    }
    void loadsTheDraft()
    {
        FETCH_ENGINE();
        QFETCH(int, function);
        QFETCH(bool, charge);
        QFETCH(QStringList, facts);
        QFETCH(QStringList, statements);
        DemoWorld w(dbEngine);
        ExecSql(w.conn(),
                u"DELETE TCHARGE WHERE NPROJECT = 2 AND NFUNCTION = 1 AND NPROC = 1 AND NADD = 1"_s);
        ExecSql(w.conn(), u"INSERT INTO TCHARGE VALUES (2, 1, 1, 5, 3, 10)"_s);
        AppState& s = w.open(function, charge);
        s.chargeTable[2][1] = {1, 9, u"前の機能"_s, 5, 1000}; // left from the last editor
        FunctionDraft draft(s.chargeTable, charge, s.policy.MtoH);
        FunctionRepository repository(s);
        StatementLog log;
        const FunctionRepository::Loaded loaded = repository.loadDraft(draft);
        QVERIFY(!loaded.languageOverflow);
        QCOMPARE(log.statements(), statements);
        QCOMPARE(describe(draft, s), facts);
        QCOMPARE(s.chargeTable[2][1].NMEMBER, charge ? 2 : 0);
    }

    // Rows the editor has no place for stop the load with the statement that read them, rather
    // than landing outside the editor's rows.
    void refusesRowsWithoutAPlace_data()
    {
        addColumns<int, QStringList, int, bool, QString, QString>(
            {"engine", "setup", "function", "charge", "text", "statement"});
        const QString where = u" WHERE NPROJECT = 2 AND NFUNCTION = 1"_s;
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const QString name = EngineName(engine);
            QTest::addRow("%s function gone", qPrintable(name))
                << int(engine) << QStringList() << 99 << false
                << u"機能項目が見つかりません。削除された可能性があります。"_s
                << u"SELECT * FROM TFUNCTION WHERE NPROJECT = 2 AND NFUNCTION = 99"_s;
            QTest::addRow("%s fifteenth adjustment", qPrintable(name))
                << int(engine) << QStringList{u"INSERT INTO TFPADJ VALUES (2, 1, 15, 2)"_s} << 1 << false
                << u"調整係数 15 は画面にありません。"_s
                << u"SELECT * FROM TFPADJ"_s + where + u" ORDER BY NKIND"_s;
            QTest::addRow("%s sixth scale factor", qPrintable(name))
                << int(engine) << QStringList{u"INSERT INTO TCOCOMO VALUES (2, 1, 1, 6, 2)"_s} << 1 << false
                << u"COCOMOの要因 1-6 は画面にありません。"_s
                << u"SELECT * FROM TCOCOMO"_s + where + u" ORDER BY NDKIND,NDRIVER"_s;
            QTest::addRow("%s tenth process", qPrintable(name))
                << int(engine)
                << QStringList{u"INSERT INTO MDIV (NDID, NVAL, CNAME, NSORT, CDEF) VALUES (7, 9, '保守', 9, '1')"_s,
                               u"INSERT INTO MDIV (NDID, NVAL, CNAME, NSORT, CDEF) VALUES (7, 10, '運用', 10, '1')"_s}
                << 0 << false << u"使用中の開発工程が9を超えています。"_s
                << u"SELECT * FROM MDIV WHERE NDID = 7 AND CDEF = '1' ORDER BY NSORT"_s;
            QTest::addRow("%s assignment of a tenth process", qPrintable(name))
                << int(engine) << QStringList{u"INSERT INTO TCHARGE VALUES (2, 1, 10, 1, 1, 5)"_s} << 1
                << true << u"担当の工程番号 10 は見積工数の行にありません。"_s
                << u"SELECT * FROM VCHARGE"_s + where + u" AND NPRIKIND = 1 ORDER BY NPROC, NADD"_s;
        }
    }
    void refusesRowsWithoutAPlace()
    {
        FETCH_ENGINE();
        QFETCH(QStringList, setup);
        QFETCH(int, function);
        QFETCH(bool, charge);
        QFETCH(QString, text);
        QFETCH(QString, statement);
        DemoWorld w(dbEngine);
        for (const QString& sql : setup) {
            ExecSql(w.conn(), sql);
        }
        AppState& s = w.open(function, charge);
        FunctionDraft draft(s.chargeTable, charge, s.policy.MtoH);
        FunctionRepository repository(s);
        try {
            repository.loadDraft(draft);
            QFAIL("loaded");
        } catch (const DbError& e) {
            QCOMPARE(e.description(), text);
            QCOMPARE(e.statement(), statement);
        }
    }

    // The lookups of the editor's events: the points of a kind and complexity (a pair the
    // matrix lacks is an error naming its statement), a language's steps, none without one.
    void lookups_data() { addEngineRows(); }
    void lookups()
    {
        FETCH_ENGINE();
        DemoWorld w(dbEngine);
        FunctionRepository repository(w.open(1, false));
        QCOMPARE(repository.fpPoints(3, 2), u"4"_s);
        try {
            repository.fpPoints(6, 1);
            QFAIL("found");
        } catch (const DbError& e) {
            QCOMPARE(e.description(), u"この種類と複雑度のポイントが登録されていません。"_s);
            QCOMPARE(e.statement(), u"SELECT NFP FROM MFPMATRIX WHERE NKIND = 6 AND NCOMPLEX = 1"_s);
        }

        ExecSql(w.conn(), u"UPDATE MLANG SET NCOEF = 40000 WHERE NLANG = 2"_s);
        CodeChoice language;
        language.add(1, u"Java"_s);
        language.add(2, u"C#"_s);
        StatementLog log;
        QCOMPARE(repository.languageCoefficient(language).value, 0);
        QVERIFY(log.statements().isEmpty());
        language.index = 0;
        QCOMPARE(repository.languageCoefficient(language).value, 53);
        language.index = 1;
        const FunctionRepository::StepsPerPoint beyond = repository.languageCoefficient(language);
        QVERIFY(beyond.overflow);
        QCOMPARE(beyond.value, 0);
    }

    // Both dialogs list the project's members in their order in the project, not by key.
    void membersInTheProjectsOrder_data() { addEngineRows(); }
    void membersInTheProjectsOrder()
    {
        FETCH_ENGINE();
        DemoWorld w(dbEngine);
        ExecSql(w.conn(), u"UPDATE TMEMBER SET NADD = 9 WHERE NPROJECT = 2 AND NMEMBER = 1"_s);
        QStringList assignable;
        for (const AssignableMember& m : AssignableMembers(w.conn(), 2)) {
            assignable << QString::number(m.member) + u' ' + m.name;
        }
        QStringList replaceable;
        for (const ReplacementMember& m : ReplacementMembers(w.conn(), 2)) {
            replaceable << QString::number(m.member.value) + u' ' + m.name;
        }
        const QStringList expected = {u"2 鈴木 美咲"_s, u"3 高橋 翔"_s, u"5 伊藤 大輔"_s, u"6 渡辺 さくら"_s,
                                      u"1 佐藤 健一"_s};
        QCOMPARE(assignable, expected);
        QCOMPARE(replaceable, expected);
    }

    // A member's free hours: the project hours, less the indirect ones unless they are planned,
    // less the hours in the other counted functions (function 3 is on hold); the unit price of
    // the member's kind in this project.
    void memberAvailability_data()
    {
        addColumns<int, int, int, bool, double, double>(
            {"engine", "member", "function", "indirectPlanned", "hours", "price"});
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const QString name = EngineName(engine);
            // 230 - 20 - 112 (function 2); its 80 in function 1 are the editor's.
            QTest::addRow("%s SE in function 1", qPrintable(name))
                << int(engine) << 3 << 1 << false << 98.0 << 7500.0;
            QTest::addRow("%s SE, indirect planned", qPrintable(name))
                << int(engine) << 3 << 1 << true << 118.0 << 7500.0;
            QTest::addRow("%s SE in a new function", qPrintable(name))
                << int(engine) << 3 << 0 << false << 18.0 << 7500.0;
            // 120 - 8 - 56 (function 2).
            QTest::addRow("%s tester", qPrintable(name)) << int(engine) << 6 << 1 << false << 56.0 << 4500.0;
            QTest::addRow("%s not in the project", qPrintable(name))
                << int(engine) << 4 << 1 << false << 0.0 << 0.0;
        }
    }
    void memberAvailability()
    {
        FETCH_ENGINE();
        QFETCH(int, member);
        QFETCH(int, function);
        QFETCH(bool, indirectPlanned);
        QFETCH(double, hours);
        QFETCH(double, price);
        DemoWorld w(dbEngine);
        const MemberAvailability a = MemberForAssignment(w.conn(), 2, function, 1, member, indirectPlanned);
        QCOMPARE(a.hours, hours);
        QCOMPARE(a.unitPrice, price);
        QVERIFY(!a.kindOverflow);
    }

    // A job kind beyond 16 bits is reported and prices as kind 0, which has no price.
    void memberKindOverflow_data() { addEngineRows(); }
    void memberKindOverflow()
    {
        FETCH_ENGINE();
        DemoWorld w(dbEngine);
        ExecSql(w.conn(), u"UPDATE TMEMBER SET NMKIND = 40000 WHERE NPROJECT = 2 AND NMEMBER = 3"_s);
        StatementLog log;
        const MemberAvailability a = MemberForAssignment(w.conn(), 2, 1, 1, 3, false);
        QVERIFY(a.kindOverflow);
        QCOMPARE(a.unitPrice, 0.0);
        QCOMPARE(log.statements().last(),
                 u"SELECT NDPRI FROM MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 0"_s);
    }
};

QTEST_GUILESS_MAIN(TestFunctionRepository)
#include "test_function_repository.moc"
