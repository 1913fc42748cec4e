#include "db/db_connection.h"
#include "small_tree.h"
#include "test_support.h"
#include "workspace/workspace_queries.h"

namespace {

// "name<parent name" per node, in the order read.
QStringList nodeTexts(const QList<ProjectNode>& nodes)
{
    QHash<int, QString> names{{0, u"-"_s}};
    QStringList texts;
    for (const ProjectNode& node : nodes) {
        names.insert(node.id, node.name);
        texts << node.name + u'<' + names.value(node.parent, u"?"_s);
    }
    return texts;
}

// "title hold labels hours price", NULL figures as "null".
QString rowText(const FunctionRow& row)
{
    const auto figure = [](const QVariant& v) {
        return v.isValid() ? QString::number(v.toDouble()) : u"null"_s;
    };
    return QStringList{row.title, row.onHold ? u"hold"_s : u"counted"_s, row.classLabels.join(u','),
                       figure(row.hours), figure(row.price)}
        .join(u' ');
}

} // namespace

// What the main window reads of the small tree: the projects, the functions, the list's title
// and the master counts, with the statements the window has always run.
class TestWorkspaceQueries : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Depth first, siblings by NSORT and then by id, from one statement whatever the number of
    // projects. A project whose parent does not exist is not listed.
    void projectsDepthFirst_data() { addEngineRows(); }
    void projectsDepthFirst()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& c = *w.state->Conn;
        const int second = insertProject(c, 0, u"第二保守"_s, 1, 0, 0, u"1"_s);
        insertProject(c, 999, u"親なし"_s, 1, 0, 0, u"1"_s);
        StatementLog log;
        const QList<ProjectNode> nodes = WorkspaceQueries(c).projects();
        QCOMPARE(nodeTexts(nodes),
                 (QStringList{u"保守案件<-"_s, u"第二保守<-"_s, u"本社システム<-"_s,
                              u"在庫管理<本社システム"_s, u"販売管理<本社システム"_s, u"請求<販売管理"_s}));
        Q_UNUSED(second);
        QCOMPARE(
            log.statements(),
            QStringList{u"SELECT NPROJECT, NPARPROJ, CPROJNAME FROM TPROJECT ORDER BY NSORT, NPROJECT"_s});
    }

    // The filter of the tree: names containing the text whatever the case and the width of its
    // letters, digits and katakana, with their ancestors; everything for no text.
    void projectFilter_data()
    {
        addColumns<QString, QStringList>({"text", "shown"});
        QTest::newRow("none") << QString()
                              << QStringList{u"保守案件"_s, u"本社システム"_s, u"在庫管理"_s, u"販売管理"_s,
                                             u"請求"_s};
        QTest::newRow("leaf brings its ancestors")
            << u"請求"_s << QStringList{u"本社システム"_s, u"販売管理"_s, u"請求"_s};
        QTest::newRow("half-width katakana finds full-width") << u"ｼｽﾃﾑ"_s << QStringList{u"本社システム"_s};
        QTest::newRow("full-width letters, other case")
            << u"ＥＲＰ"_s << QStringList{u"本社システム"_s, u"在庫管理"_s, u"erp 刷新"_s};
        QTest::newRow("nothing") << u"該当なし"_s << QStringList();
    }
    void projectFilter()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        TreeWorld w;
        DbConnection& c = *w.state->Conn;
        if (QByteArray(QTest::currentDataTag()).startsWith("full-width")) {
            insertProject(c, w.t.stock, u"erp 刷新"_s, 1, 0, 0, u"1"_s);
        }
        const QList<ProjectNode> projects = WorkspaceQueries(c).projects();
        const QSet<int> ids = ProjectsMatching(projects, text);
        QStringList names;
        for (const ProjectNode& node : projects) {
            if (ids.contains(node.id)) {
                names << node.name;
            }
        }
        names.sort();
        shown.sort();
        QCOMPARE(names, shown);
    }

    // The rows with what their cells show: the function on hold, the labels of the five
    // classes, totals that are NULL; one row of the project by its id, none of another project.
    void functionRows_data() { addEngineRows(); }
    void functionRows()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& c = *w.state->Conn;
        const WorkspaceQueries queries(c);
        StatementLog log;
        QList<FunctionRow> rows = queries.functions(w.t.sales, FunctionOrder());
        QCOMPARE(
            log.statements().first(),
            u"SELECT NFUNCTION, CVALID, CSFUNC, NNUP, NIMP, NDEF, NRSK, NTRM, NHTOTAL, NPRICE FROM TFUNCTION "
            u"WHERE NPROJECT = %1 ORDER BY NSORT,NFUNCTION ASC"_s.arg(w.t.sales));
        QStringList texts;
        for (const FunctionRow& row : rows) {
            texts << rowText(row);
        }
        QCOMPARE(texts, (QStringList{u"出荷指示 hold 改造,普通,普通,標準,標準 20 93500"_s,
                                     u"受注入力 counted 新規,重要,普通,標準,短期 50 401400"_s,
                                     u"請求締め counted 新規,普通,難しい,標準,標準 0 -5000"_s,
                                     u"帳票出力 counted 新規,普通,普通,標準,標準 null null"_s}));
        QCOMPARE(rows.first().id, w.t.shipping);

        rows = queries.functions(w.t.sales, FunctionOrder{u"NSORT"_s, false});
        QList<int> ids;
        for (const FunctionRow& row : rows) {
            ids << row.id;
        }
        QCOMPARE(ids, (QList<int>{w.t.reports, w.t.closing, w.t.order, w.t.shipping}));

        log.reset();
        const std::optional<FunctionRow> one = queries.function(w.t.sales, w.t.order);
        QCOMPARE(
            log.statements().first(),
            u"SELECT NFUNCTION, CVALID, CSFUNC, NNUP, NIMP, NDEF, NRSK, NTRM, NHTOTAL, NPRICE FROM TFUNCTION "
            u"WHERE NPROJECT = %1 AND NFUNCTION = %2"_s.arg(w.t.sales)
                .arg(w.t.order));
        QVERIFY(one);
        QCOMPARE(rowText(*one), u"受注入力 counted 新規,重要,普通,標準,短期 50 401400"_s);
        QVERIFY(!queries.function(w.t.stock, w.t.order));
        QVERIFY(!queries.function(w.t.sales, 9999));
        QVERIFY(queries.functions(w.t.head, FunctionOrder()).isEmpty());
    }

    // The path of the project above the list and its price kind; nothing chosen for none or a
    // project that is gone.
    void listTitle_data() { addEngineRows(); }
    void listTitle()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        const WorkspaceQueries queries(*w.state->Conn);
        const auto title = [&](int project) {
            const ListTitle t = queries.listTitle(project);
            return t.text + u'|' + QString::number(t.priceKind);
        };
        QCOMPARE(title(w.t.billing),
                 u"本社システム - 販売管理 - 請求 機能項目一覧： |%1"_s.arg(w.t.priceKind2));
        QCOMPARE(title(w.t.maintenance), u"保守案件 機能項目一覧： |1"_s);
        QCOMPARE(title(0), u"[未選択] 機能項目一覧： |0"_s);
        QCOMPARE(title(9999), u"[未選択] 機能項目一覧： |0"_s);
    }

    void mastersCounted_data() { addEngineRows(); }
    void mastersCounted()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine, false);
        DbConnection& c = *w.state->Conn;
        const WorkspaceQueries queries(c);
        QVERIFY(!queries.hasRows(u"MCUSTOMER"_s));
        QVERIFY(queries.hasRows(u"MLANG"_s));
        ExecSql(c, u"INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('c', '', 1)"_s);
        StatementLog log;
        QVERIFY(queries.hasRows(u"MCUSTOMER"_s));
        QCOMPARE(log.statements(), QStringList{u"SELECT COUNT(*) AS CNT FROM MCUSTOMER"_s});
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestWorkspaceQueries)
#include "test_workspace_queries.moc"
