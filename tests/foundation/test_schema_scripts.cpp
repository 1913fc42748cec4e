#include "foundation/db_connection.h"
#include "foundation/schema_setup.h"
#include "test_support.h"

#include <QRegularExpression>
#include <QSqlRecord>

namespace {

// Table → column names in order, read from a schema script.
QMap<QString, QStringList> scriptTables(const QString& script)
{
    QMap<QString, QStringList> tables;
    static const QRegularExpression createTable(u"^CREATE\\s+TABLE\\s+(\\w+)\\s*\\((.*)\\)\\s*$"_s,
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
    for (const QString& statement : SplitSqlScript(script)) {
        const QRegularExpressionMatch m = createTable.match(statement);
        if (!m.hasMatch()) {
            continue;
        }
        QStringList columns;
        int depth = 0;
        QString current;
        const QString body = m.captured(2) + QLatin1Char(',');
        for (const QChar c : body) {
            if (c == QLatin1Char('('))
                ++depth;
            if (c == QLatin1Char(')'))
                --depth;
            if (c == QLatin1Char(',') && depth == 0) {
                const QString first =
                    current.trimmed().section(QRegularExpression(u"\\s+"_s), 0, 0).toUpper();
                static const QStringList notColumns = {u"CONSTRAINT"_s, u"PRIMARY"_s, u"FOREIGN"_s,
                                                       u"UNIQUE"_s, u"CHECK"_s};
                if (!first.isEmpty() && !notColumns.contains(first)) {
                    columns << first;
                }
                current.clear();
                continue;
            }
            current += c;
        }
        tables.insert(m.captured(1).toUpper(), columns);
    }
    return tables;
}

QStringList scriptViews(const QString& script)
{
    QStringList views;
    static const QRegularExpression createView(u"^CREATE\\s+VIEW\\s+(\\w+)"_s,
                                               QRegularExpression::CaseInsensitiveOption);
    for (const QString& statement : SplitSqlScript(script)) {
        const QRegularExpressionMatch m = createView.match(statement);
        if (m.hasMatch()) {
            views << m.captured(1).toUpper();
        }
    }
    views.sort();
    return views;
}

QStringList fieldsOf(DbConnection& conn, const QString& table)
{
    const QSqlRecord record =
        conn.database().record(conn.engine() == Engine::PostgreSQL ? table.toLower() : table);
    QStringList names;
    for (int i = 0; i < record.count(); ++i) {
        names << record.fieldName(i).toUpper();
    }
    return names;
}

} // namespace

class TestSchemaScripts : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void scriptsAreInStep()
    {
        const auto lite = scriptTables(SetupScriptText(Engine::SQLite, SetupScript::Schema));
        const auto pg = scriptTables(SetupScriptText(Engine::PostgreSQL, SetupScript::Schema));
        const auto ms = scriptTables(SetupScriptText(Engine::SQLServer, SetupScript::Schema));
        QCOMPARE(lite.size(), 21);
        QCOMPARE(pg, lite);
        QCOMPARE(ms, lite);
        QCOMPARE(scriptViews(SetupScriptText(Engine::SQLite, SetupScript::Schema)),
                 (QStringList{"VCHARGE", "VFP"}));
        QCOMPARE(scriptViews(SetupScriptText(Engine::PostgreSQL, SetupScript::Schema)),
                 (QStringList{"VCHARGE", "VFP"}));
        QCOMPARE(scriptViews(SetupScriptText(Engine::SQLServer, SetupScript::Schema)),
                 (QStringList{"VCHARGE", "VFP"}));
    }

    // Column orders the statements rely on, the reference data and the charge view.
    void tablesAndReferenceData_data() { addEngineRows(); }
    void tablesAndReferenceData()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto conn = db->connect();
        const QMap<QString, QStringList> orders = {
            {"TFP", {"NPROJECT", "NFUNCTION", "NADD", "CTITLE", "NKIND", "NCOMPLEX"}},
            {"TFPADJ", {"NPROJECT", "NFUNCTION", "NKIND", "NFPADJ"}},
            {"TCOCOMO", {"NPROJECT", "NFUNCTION", "NDKIND", "NDRIVER", "NDRANK"}},
            {"TCHARGE", {"NPROJECT", "NFUNCTION", "NPROC", "NADD", "NMEMBER", "NHOUR"}},
            {"TCONTRACT", {"NPROJECT", "NCID", "NVAL", "CNAME", "CMEMO", "NPRI"}},
            {"TDELIV", {"NPROJECT", "NADD", "NVAL", "CHAVE", "CFMT", "CDELIV", "NPRI"}},
            {"TEXPENSE", {"NPROJECT", "NADD", "NITEM", "NBUY", "NAPIECE", "NNUM", "NDISCP", "NPRICEP"}},
            {"TMEMBER", {"NPROJECT", "NADD", "NMEMBER", "NMKIND", "NMEMBPRI", "NMEMBOCCU", "NINDIRECT"}},
            {"TDATE", {"NPROJECT", "NFUNCTION", "NDKIND", "DDATE"}},
        };
        for (auto it = orders.cbegin(); it != orders.cend(); ++it) {
            QCOMPARE(fieldsOf(*conn, it.key()), it.value());
        }
        QCOMPARE(fieldsOf(*conn, u"VFP"_s),
                 (QStringList{"NPROJECT", "NFUNCTION", "NADD", "NKIND", "NCOMPLEX", "CTITLE", "NFP"}));
        const QStringList vcharge = fieldsOf(*conn, u"VCHARGE"_s);
        for (const char* column :
             {"NPROJECT", "NFUNCTION", "NPROC", "NADD", "NMEMBER", "NHOUR", "CMEMBER", "NPRIKIND", "NDPRI"}) {
            QVERIFY2(vcharge.contains(QLatin1String(column)), column);
        }

        QCOMPARE(scalar(*conn, QStringLiteral(
                                   "SELECT SUM(NVALUE) AS V FROM MCOCOMO WHERE NDKIND = 1 AND NDRANK = 2"))
                     .toDouble(),
                 18.97);
        QCOMPARE(rowCount(*conn, u"MCOCOMO"_s, u"NDKIND = 1"_s), 30);
        QCOMPARE(rowCount(*conn, u"MCOCOMO"_s, u"NDKIND = 2 AND NDRANK = 2 AND NVALUE = 1"_s), 17);
        QCOMPARE(rowCount(*conn, u"MFPMATRIX"_s), 15);
        QCOMPARE(scalar(*conn, u"SELECT NFP AS V FROM MFPMATRIX WHERE NKIND = 1 AND NCOMPLEX = 3"_s).toInt(),
                 15);
        for (int division = 1; division <= 5; ++division) {
            const QString where = u"NDID = %1 AND CDEF = '1'"_s.arg(division);
            QCOMPARE(rowCount(*conn, u"MDIV"_s, where), 1);
            QCOMPARE(scalar(*conn, u"SELECT NCOEF AS V FROM MDIV WHERE "_s + where).toDouble(), 1.0);
        }
        const int processes = rowCount(*conn, u"MDIV"_s, u"NDID = 7 AND CDEF = '1'"_s);
        QVERIFY(processes >= 1 && processes <= 9);
        QCOMPARE(rowCount(*conn, u"MDIV"_s, u"NDID = 16 AND NVAL IN (0, 1, 2)"_s), 3);
        QCOMPARE(rowCount(*conn, u"MDIV"_s, u"NDID = 15"_s), 6);
        QVERIFY(rowCount(*conn, u"MDIV"_s, u"NDID = 17"_s) > 0);
        QCOMPARE(rowCount(*conn, u"MPRIBASE"_s), 1);
        QCOMPARE(rowCount(*conn, u"MPRIPROG"_s, u"CCKIND = '1'"_s), processes);
        QVERIFY(rowCount(*conn, u"MLANG"_s) >= 8);
        QCOMPARE(rowCount(*conn, u"MCUSTOMER"_s), 0);
        QCOMPARE(rowCount(*conn, u"TPROJECT"_s), 0);

        ExecSql(*conn, u"INSERT INTO MPRIBASE (NSORT,CPRINAME,NBASE) VALUES (2, 'second', 0)"_s);
        const int secondKind = GetIdentity(*conn, u"MPRIBASE"_s);
        ExecSql(*conn, u"INSERT INTO MMEMBER (CMEMBER,NMKIND,NMEMBPRI) VALUES ('a', 1, 5000)"_s);
        const int member = GetIdentity(*conn, u"MMEMBER"_s);
        ExecSql(*conn, u"INSERT INTO TMEMBER VALUES (7, 1, %1, 1, 5000, 100, 0)"_s.arg(member));
        ExecSql(*conn, u"INSERT INTO TCHARGE VALUES (7, 3, 1, 1, %1, 8)"_s.arg(member));
        ExecSql(*conn, u"INSERT INTO TCHARGE VALUES (7, 3, 2, 1, %1, 4)"_s.arg(member));
        QCOMPARE(rowCount(*conn, u"VCHARGE"_s), 4);
        QCOMPARE(rowCount(*conn, u"VCHARGE"_s, u"NPRIKIND = %1 AND NDPRI = 0"_s.arg(secondKind)), 2);
        const double price =
            scalar(*conn,
                   QStringLiteral(
                       "SELECT NDPRI AS V FROM MPRIPROG WHERE NPRIKIND = 1 AND CCKIND = '0' AND NDKIND = 1"))
                .toDouble();
        QVERIFY(price > 0);
        QCOMPARE(
            scalar(*conn, u"SELECT SUM(NHOUR * NDPRI) AS V FROM VCHARGE WHERE NPRIKIND = 1"_s).toDouble(),
            12 * price);
        QCOMPARE(
            scalar(*conn, u"SELECT CMEMBER AS V FROM VCHARGE WHERE NPRIKIND = 1 AND NPROC = 2"_s).toString(),
            u"a"_s);
    }

    void demoDataIsConsistent_data() { addEngineRows(); }
    void demoDataIsConsistent()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine, true);
        auto conn = db->connect();
        QVERIFY(rowCount(*conn, u"TPROJECT"_s) >= 3);
        QVERIFY(rowCount(*conn, u"TFUNCTION"_s) >= 2);
        // Stored hours and prices are what the member assignments give.
        Recordset rs =
            OpenRs(*conn, QStringLiteral(
                              "SELECT F.NPROJECT, F.NFUNCTION, F.NHTOTAL, F.NTOTAL, "
                              "(SELECT SUM(V.NHOUR) FROM VCHARGE V WHERE V.NPROJECT = F.NPROJECT AND "
                              "V.NFUNCTION = F.NFUNCTION AND V.NPRIKIND = P.NPRIKIND) AS HOUR, "
                              "(SELECT SUM(V.NHOUR * V.NDPRI) FROM VCHARGE V WHERE V.NPROJECT = F.NPROJECT "
                              "AND V.NFUNCTION = F.NFUNCTION AND V.NPRIKIND = P.NPRIKIND) AS PRI "
                              "FROM TFUNCTION F, TPROJECT P WHERE F.NPROJECT = P.NPROJECT"));
        int functions = 0;
        for (; !rs.eof(); rs.moveNext(), ++functions) {
            QCOMPARE(rs.field(u"NHTOTAL"_s).toDouble(), rs.field(u"HOUR"_s).toDouble());
            QCOMPARE(rs.field(u"NTOTAL"_s).toDouble(), rs.field(u"PRI"_s).toDouble());
        }
        QVERIFY(functions >= 2);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSchemaScripts)
#include "test_schema_scripts.moc"
