#include "db/concurrent_change.h"
#include "db/db_connection.h"
#include "function/function_draft.h"
#include "function/function_repository.h"
#include "function/function_save.h"
#include "large_database.h"
#include "project/project_forest.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"
#include "project/project_rows.h"
#include "small_tree.h"
#include "test_support.h"

namespace {

// The rows a project owns, without its id, so that a copy of the project compares equal. A
// function's dates are not the project's own.
QStringList ownedRows(DbConnection& c, int project)
{
    const QList<QPair<QString, QStringList>> tables = {
        {u"TPROJECT"_s,
         {"NPARPROJ", "CPROJNAME", "NENDCUST", "NCONTCUST", "NPRIKIND", "NBASE", "NPRICE", "COUTLINE",
          "CSPECIAL", "CBASE", "CWORK", "COPT", "CDELIV", "CEXPE0", "CEXPE1", "NDISCOUNT"}},
        {u"TCONTRACT"_s, {"NCID", "NVAL", "CNAME", "CMEMO", "NPRI"}},
        {u"TDATE"_s, {"NFUNCTION", "NDKIND", "DDATE"}},
        {u"TDELIV"_s, {"NADD", "NVAL", "CHAVE", "CFMT", "CDELIV", "NPRI"}},
        {u"TEXPENSE"_s, {"NADD", "NITEM", "NBUY", "NAPIECE", "NNUM", "NDISCP", "NPRICEP"}},
        {u"TMEMBER"_s, {"NADD", "NMEMBER", "NMKIND", "NMEMBPRI", "NMEMBOCCU", "NINDIRECT"}},
    };
    QStringList rows;
    for (const auto& [table, columns] : tables) {
        QString sql = u"SELECT * FROM %1 WHERE NPROJECT = %2"_s.arg(table).arg(project);
        if (table == u"TDATE"_s) {
            sql += u" AND NFUNCTION = 0"_s;
        }
        for (Recordset rs = OpenRs(c, sql); !rs.eof(); rs.moveNext()) {
            QStringList cells{table};
            for (const QString& column : columns) {
                const QVariant v = rs.field(column);
                cells << (v.isValid() ? v.toString() : u"NULL"_s);
            }
            rows << cells.join(u'|');
        }
    }
    rows.sort();
    return rows;
}

// What the editor writes back when the user changes nothing: the loaded values in the form its
// boxes show them.
// The text of the ConcurrentChangeError that the save raises ("" when it raises none).
template <typename Save> QString refusalOf(const Save& save)
{
    try {
        save();
    } catch (const ConcurrentChangeError& e) {
        return e.text();
    }
    return QString();
}

// Whether the save of another user, run while this one's save holds its locks, wrote: it may
// give up waiting (an error) instead.
template <typename Save> bool writes(const Save& save)
{
    try {
        return bool(save());
    } catch (const std::exception&) {
        return false;
    }
}

ProjectRecord recordOf(const LoadedProject& p)
{
    ProjectRecord r;
    r.parent = ToInt(p.parent).value;
    r.name = ToText(p.name);
    r.endCustomer = ToInt(p.endCustomer).value;
    r.contractCustomer = ToInt(p.contractCustomer).value;
    r.priceKind = ToInt(p.priceKind).value;
    r.base = FormatAmount(p.base);
    r.price = FormatAmount(p.price);
    r.outline = ToText(p.outline);
    r.special = ToText(p.special);
    bool* const flags[6] = {&r.quote.Base,  &r.quote.Work,  &r.quote.Opt,
                            &r.quote.Deliv, &r.quote.Expe0, &r.quote.Expe1};
    for (int i = 0; i < 6; ++i) {
        *flags[i] = ToInt(p.quote[i]).value != 0;
    }
    r.quote.Discount = ToDbl(p.discount);
    return r;
}

ProjectComponents componentsOf(const ProjectRepository& repository, int project)
{
    ProjectComponents c;
    for (const StoredContract& row : repository.contracts(project)) {
        c.contracts.append(
            {row.option.value, ToInt(row.level).value, row.name, row.memo, FormatAmount(row.price)});
    }
    for (const ScheduleRow& row : repository.scheduleDates(project, 0)) {
        c.dates.append({row.process.value, QDate::fromString(row.date, u"yyyy/MM/dd"_s)});
    }
    int position = 0;
    for (const StoredDeliverable& row : repository.deliverables(project)) {
        c.deliverables.append({++position, row.kind ? row.kind->value : 0, row.delivered, row.formatSpecified,
                               row.name, FormatAmount(row.price)});
    }
    for (const StoredExpense& row : repository.expenses(project)) {
        c.expenses.append({row.item.value, row.buyer.value, FormatAmount(row.unitPrice), row.quantity,
                           FormatAmount(row.discount), FormatAmount(row.amount)});
    }
    for (const StoredMember& row : repository.members(project)) {
        c.members.append({row.member.value, row.kind.value, FormatAmount(row.pricePerHour), row.occupiedHours,
                          row.indirectHours});
    }
    return c;
}

// The tree, the descendants, the path names and the parent list as they were read before one
// query served them all: a query per parent and per ancestor. The forest must give the same.
struct PerRowForm {
    DbConnection& c;

    QList<QPair<int, QString>> children(int parent) const
    {
        QList<QPair<int, QString>> rows;
        for (Recordset rs = OpenRs(c, u"SELECT NPROJECT, CPROJNAME FROM TPROJECT WHERE NPARPROJ = %1"
                                      u" ORDER BY NSORT, NPROJECT"_s.arg(parent));
             !rs.eof(); rs.moveNext()) {
            rows.append({rs.key(u"NPROJECT"_s), rs[u"CPROJNAME"_s].toString()});
        }
        return rows;
    }
    void tree(int parent, int depth, QStringList& lines) const
    {
        for (const auto& [id, name] : children(parent)) {
            lines << QString(depth, u' ') + u"P%1 %2"_s.arg(id).arg(name);
            tree(id, depth + 1, lines);
        }
    }
    void childIds(int project, QSet<int>& seen, QString& ids) const
    {
        for (const auto& [child, name] : children(project)) {
            if (!seen.contains(child)) {
                seen.insert(child);
                ids += u", %1"_s.arg(child);
                childIds(child, seen, ids);
            }
        }
    }
    QString childIds(int project) const
    {
        QSet<int> seen{project};
        QString ids;
        childIds(project, seen, ids);
        return ids;
    }
    QString pathName(int parent, const QString& text) const
    {
        QString result = text;
        QSet<int> seen;
        while (parent != 0 && !seen.contains(parent)) {
            seen.insert(parent);
            Recordset rs =
                OpenRs(c, u"SELECT NPARPROJ, CPROJNAME FROM TPROJECT WHERE NPROJECT = %1"_s.arg(parent));
            if (rs.eof()) {
                break;
            }
            result = rs[u"CPROJNAME"_s].toString() + u" - "_s + result;
            parent = rs.key(u"NPARPROJ"_s);
        }
        return result;
    }
    QStringList parentChoices(int editing) const
    {
        QString sql = u"SELECT NPARPROJ, NPROJECT, CPROJNAME FROM TPROJECT"_s;
        if (editing != 0) {
            sql += u" WHERE NPROJECT NOT IN (%1%2)"_s.arg(editing).arg(childIds(editing));
        }
        QStringList entries;
        for (Recordset rs = OpenRs(c, sql + u" ORDER BY NSORT, NPARPROJ, NPROJECT"_s); !rs.eof();
             rs.moveNext()) {
            const int parent = rs.key(u"NPARPROJ"_s);
            const QString name = rs[u"CPROJNAME"_s].toString();
            entries << u"%1:%2"_s.arg(rs.key(u"NPROJECT"_s)).arg(parent != 0 ? pathName(parent, name) : name);
        }
        return entries;
    }
};

void treeLines(const ProjectForest& forest, int parent, int depth, QStringList& lines)
{
    for (const ProjectForest::Node* node : forest.childrenOf(parent)) {
        lines << QString(depth, u' ') + u"P%1 %2"_s.arg(node->id).arg(node->name);
        treeLines(forest, node->id, depth + 1, lines);
    }
}

QStringList choiceTexts(const QList<ParentChoice>& choices)
{
    QStringList texts;
    for (const ParentChoice& choice : choices) {
        texts << u"%1:%2"_s.arg(choice.project.value).arg(choice.text);
    }
    return texts;
}

} // namespace

// The project as the editor reads and writes it, over the small tree (the editor's use of it:
// tests/gui/project).
class TestProjectRepository : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // What is read is what the save writes back: a project saved unchanged keeps every row, a
    // copy saved as new gets the same rows under its own id, and deleting the copy takes them
    // all and nothing else. NULL stays NULL, a job kind or buyer that lost its label keeps its
    // code, and a function's date is not one of the project's.
    void savesWhatItLoads_data() { addEngineRows(); }
    void savesWhatItLoads()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& c = *w.state->Conn;
        const int sales = w.t.sales;
        execArgs(c,
                 u"UPDATE TPROJECT SET NPRICE = NULL, CEXPE0 = '1', NDISCOUNT = 1500 WHERE NPROJECT = %1"_s,
                 sales);
        ExecSql(c, u"INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ('臨時', 9, 1000, 4)"_s);
        const int temporary = GetIdentity(c, u"MMEMBER"_s);
        execArgs(c, u"INSERT INTO TMEMBER VALUES (%1, 4, %2, 9, 1000, 10, NULL)"_s, sales, temporary);
        execArgs(c, u"INSERT INTO TEXPENSE VALUES (%1, 5, 1, 5, 100, 1, 0, 100)"_s, sales);
        for (const auto& [function, process, date] :
             {std::tuple{0, 4, "2003/09/01"}, {0, 1, "2003/04/15"}, {w.t.order, 2, "2030/01/31"}}) {
            execArgs(c, u"INSERT INTO TDATE VALUES (%1, %2, %3, Convert(DateTime,'%4',111))"_s, sales,
                     function, process, QLatin1String(date));
        }
        ProjectRepository repository(c);

        const std::optional<LoadedProject> loaded = repository.load(sales);
        QVERIFY(loaded);
        QCOMPARE(loaded->id, sales);
        QCOMPARE(ToText(loaded->name), u"販売管理"_s);
        QVERIFY(!loaded->price.isValid());
        QCOMPARE(ToInt(loaded->quote[4]).value, 1);
        QVERIFY(!repository.load(999));

        // Every process in code order, with the project's dates only.
        QStringList dates;
        for (const ScheduleRow& row : repository.scheduleDates(sales, 0)) {
            dates << u"%1 %2 %3"_s.arg(row.process.value).arg(row.name, row.date);
        }
        QCOMPARE(dates.size(), 8);
        QCOMPARE(dates.mid(0, 4), (QStringList{u"1 要件定義 2003/04/15"_s, u"2 基本設計 "_s, u"3 詳細設計 "_s,
                                               u"4 製造 2003/09/01"_s}));
        QCOMPARE(repository.scheduleDates(sales, w.t.order).at(1).date, u"2030/01/31"_s);

        const QList<StoredMember> members = repository.members(sales);
        QCOMPARE(members.size(), 4);
        QCOMPARE((QStringList{members.at(1).name, members.at(1).kindName}),
                 (QStringList{u"川口 SE"_s, u"SE"_s}));
        QCOMPARE((QList<int>{members.at(3).member.value, members.at(3).kind.value}),
                 (QList<int>{temporary, 9}));
        QCOMPARE((QStringList{members.at(3).kindName, members.at(3).indirectHours}), (QStringList{"", ""}));
        const QList<StoredExpense> expenses = repository.expenses(sales);
        QCOMPARE(expenses.size(), 5);
        QCOMPARE(expenses.at(1).buyerName, u"顧客"_s);
        QCOMPARE(expenses.at(4).buyer.value, 5);
        QCOMPARE(expenses.at(4).buyerName, QString());
        const QList<StoredDeliverable> deliverables = repository.deliverables(sales);
        QCOMPARE(deliverables.size(), 2);
        QVERIFY(deliverables.at(0).kind && deliverables.at(0).delivered &&
                !deliverables.at(0).formatSpecified);
        QVERIFY(!deliverables.at(1).kind);
        QCOMPARE(deliverables.at(1).name, u"移行手順書"_s);
        const QList<StoredContract> contracts = repository.contracts(sales);
        QCOMPARE(contracts.size(), 2);
        QCOMPARE((QList<int>{contracts.at(0).option.value, contracts.at(1).option.value}),
                 (QList<int>{2, 100}));
        QCOMPARE(contracts.at(1).name, u"移行支援"_s);

        const QStringList before = ownedRows(c, sales);
        const QStringList others = ownedRows(c, w.t.stock);
        const ProjectRecord record = recordOf(*loaded);
        const ProjectComponents components = componentsOf(repository, sales);
        bool inside = false;
        const std::optional<int> saved =
            repository.save(SaveMode::Update, *loaded, record, components,
                            [&inside, sales](DbConnection& connection, int project) {
                                inside = connection.inTransaction() && project == sales;
                            });
        QCOMPARE(saved, std::optional<int>(sales));
        QVERIFY(inside);
        QCOMPARE(ownedRows(c, sales), before);

        const int copy = repository.save(SaveMode::Insert, LoadedProject(), record, components).value_or(0);
        QVERIFY(copy > w.t.billing);
        QCOMPARE(ownedRows(c, copy), before);

        repository.save(SaveMode::Delete, *repository.load(copy), ProjectRecord(), ProjectComponents());
        QVERIFY(ownedRows(c, copy).isEmpty());
        QCOMPARE(ownedRows(c, sales), before);
        QCOMPARE(ownedRows(c, w.t.stock), others);
    }

    // Two users on one database, each on a connection of its own: what B does between A's load
    // of 在庫管理 and A's save, which renames it.
    void twoUsers_data()
    {
        addOtherUserRows({
            {"nothing", "", false, "saved"},
            {"deleted", "delete", false, "gone"},
            {"renamed, kept", "rename", false, "declined"},
            {"renamed, overwritten", "rename", true, "saved"},
            {"a member added, kept", "member", false, "declined"},
            {"a member added, overwritten", "member", true, "saved"},
            {"changed by a script", "script", false, "declined"},
        });
    }
    void twoUsers()
    {
        QFETCH(int, engine);
        QFETCH(QString, meanwhile);
        QFETCH(bool, overwrite);
        QFETCH(QString, outcome);
        TreeWorld w(static_cast<Engine>(engine));
        DbConnection& a = *w.state->Conn;
        const std::unique_ptr<DbConnection> b = w.db->connect();
        const int stock = w.t.stock;
        ProjectRepository userA(a);
        ProjectRepository userB(*b);
        const std::optional<LoadedProject> loadedA = userA.load(stock);
        QVERIFY(loadedA);
        const ProjectComponents componentsA = componentsOf(userA, stock);

        const std::optional<LoadedProject> loadedB = userB.load(stock);
        ProjectRecord recordB = recordOf(*loadedB);
        ProjectComponents componentsB = componentsOf(userB, stock);
        if (meanwhile == u"delete"_s) {
            userB.save(SaveMode::Delete, *loadedB, ProjectRecord(), ProjectComponents());
        } else if (meanwhile == u"rename"_s) {
            recordB.name = u"在庫管理B"_s;
            QVERIFY(userB.save(SaveMode::Update, *loadedB, recordB, componentsB));
        } else if (meanwhile == u"member"_s) {
            componentsB.members.append({1, 1, u"6000"_s, u"80"_s, QString()});
            QVERIFY(userB.save(SaveMode::Update, *loadedB, recordB, componentsB));
        } else if (meanwhile == u"script"_s) {
            ExecSql(*b, u"UPDATE TPROJECT SET NPRICE = 123 WHERE NPROJECT = %1"_s.arg(stock));
        }
        const QStringList afterB = ownedRows(a, stock);

        ProjectRecord recordA = recordOf(*loadedA);
        recordA.name = u"在庫管理A"_s;
        int asked = 0;
        std::optional<int> saved;
        try {
            saved = userA.save(SaveMode::Update, *loadedA, recordA, componentsA, WithinSave(),
                               [&asked, overwrite] {
                                   ++asked;
                                   return overwrite;
                               });
        } catch (const ConcurrentChangeError& e) {
            QCOMPARE(outcome, u"gone"_s);
            QCOMPARE(e.text(), u"このプロジェクトは他の利用者によって削除されています。"_s);
            // Nothing written back: no orphan rows of the deleted project.
            QVERIFY(ownedRows(a, stock).isEmpty());
            QCOMPARE(rowCount(a, u"TDATE"_s, u"NPROJECT = %1"_s.arg(stock)), 0);
            return;
        }
        QVERIFY(outcome != u"gone"_s);
        QCOMPARE(asked, meanwhile.isEmpty() ? 0 : 1);
        QCOMPARE(saved.has_value(), outcome == u"saved"_s);
        const QString name =
            scalar(a, u"SELECT CPROJNAME AS V FROM TPROJECT WHERE NPROJECT = %1"_s.arg(stock)).toString();
        if (outcome == u"declined"_s) {
            QCOMPARE(ownedRows(a, stock), afterB);
        } else {
            QCOMPARE(name, u"在庫管理A"_s);
            // A's components as A loaded them: B's added member went with the overwrite.
            QCOMPARE(rowCount(a, u"TMEMBER"_s, u"NPROJECT = %1"_s.arg(stock)), 1);
        }
        // B, still holding what it loaded, is asked in turn after A's change.
        if (saved) {
            int askedB = 0;
            QVERIFY(!userB.save(SaveMode::Update, *loadedB, recordB, componentsB, WithinSave(), [&askedB] {
                ++askedB;
                return false;
            }));
            QCOMPARE(askedB, 1);
        }
    }

    // A sub-project is not added under a project another user has deleted, and a project is not
    // deleted while another user has added a sub-project under it: either would leave a project
    // hanging under nothing.
    void parentGone_data() { addEngineRows(); }
    void parentGone()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& a = *w.state->Conn;
        const std::unique_ptr<DbConnection> b = w.db->connect();
        ProjectRepository userA(a);
        ProjectRepository userB(*b);
        const int projects = rowCount(a, u"TPROJECT"_s);

        const std::optional<LoadedProject> stockB = userB.load(w.t.stock);
        ProjectRecord sub = recordOf(*userA.load(w.t.stock));
        sub.parent = w.t.stock;
        sub.name = u"棚卸"_s;
        userB.save(SaveMode::Delete, *stockB, ProjectRecord(), ProjectComponents());
        try {
            userA.save(SaveMode::Insert, LoadedProject(), sub, ProjectComponents());
            QFAIL("saved under a deleted project");
        } catch (const ConcurrentChangeError& e) {
            QCOMPARE(e.text(), u"親プロジェクトは他の利用者によって削除されています。"_s);
        }
        QCOMPARE(rowCount(a, u"TPROJECT"_s), projects - 1);

        const std::optional<LoadedProject> maintenanceB = userB.load(w.t.maintenance);
        sub.parent = w.t.maintenance;
        const int added = userA.save(SaveMode::Insert, LoadedProject(), sub, ProjectComponents()).value_or(0);
        QVERIFY(added > 0);
        QVERIFY_THROWS_EXCEPTION(ConcurrentChangeError, userB.save(SaveMode::Delete, *maintenanceB,
                                                                   ProjectRecord(), ProjectComponents()));
        QCOMPARE(scalar(a, u"SELECT NPARPROJ AS V FROM TPROJECT WHERE NPROJECT = %1"_s.arg(added)).toInt(),
                 w.t.maintenance);
        QCOMPARE(rowCount(a, u"TPROJECT"_s, u"NPROJECT = %1"_s.arg(w.t.maintenance)), 1);
    }

    // A moves 保守案件 under 販売管理 while B has moved 本社システム, above 販売管理, under 保守案件:
    // A's save would close a circle in which both would vanish from the tree, so it is refused
    // and writes nothing. When both save at once, the second waits for the first (here in vain,
    // since the first waits for it in the test's hook, so it gives up) and cannot close the
    // circle either; afterwards it is refused.
    void parentMovedBelow_data() { addEngineRows(); }
    void parentMovedBelow()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        DbConnection& a = *w.state->Conn;
        const std::unique_ptr<DbConnection> b = w.db->connect();
        ProjectRepository userA(a);
        ProjectRepository userB(*b);
        // A save that moves the project under parent, from what the user's editor loaded.
        const auto mover = [](ProjectRepository& user, int project, int parent) {
            const std::optional<LoadedProject> loaded = user.load(project);
            ProjectRecord record = recordOf(*loaded);
            record.parent = parent;
            const ProjectComponents components = componentsOf(user, project);
            return [&user, loaded, record, components] {
                return user.save(SaveMode::Update, *loaded, record, components);
            };
        };
        const auto parentOf = [&a](int project) {
            return scalar(a, u"SELECT NPARPROJ AS V FROM TPROJECT WHERE NPROJECT = %1"_s.arg(project))
                .toInt();
        };
        const QString refusal = u"親プロジェクトは他の利用者によってこのプロジェクトの下に移されています。\n"
                                u"別の親プロジェクトを選んでください。"_s;

        const auto underSales = mover(userA, w.t.maintenance, w.t.sales);
        QVERIFY(mover(userB, w.t.head, w.t.maintenance)());
        const QStringList before = ownedRows(a, w.t.maintenance);
        QCOMPARE(refusalOf(underSales), refusal);
        QCOMPARE(ownedRows(a, w.t.maintenance), before);
        QCOMPARE(parentOf(w.t.maintenance), 0);

        QVERIFY(mover(userB, w.t.head, 0)());
        const auto headUnderMaintenance = mover(userB, w.t.head, w.t.maintenance);
        bool bWrote = false;
        std::optional<int> saved;
        QVERIFY(RunWhenSent(
            &a, u"UPDATE TPROJECT"_s, [&] { bWrote = writes(headUnderMaintenance); },
            [&] { saved = mover(userA, w.t.maintenance, w.t.sales)(); }));
        QVERIFY(!bWrote);
        QCOMPARE(saved, std::optional<int>(w.t.maintenance));
        QCOMPARE((QList<int>{parentOf(w.t.maintenance), parentOf(w.t.sales), parentOf(w.t.head)}),
                 (QList<int>{w.t.sales, w.t.head, 0}));
        QCOMPARE(refusalOf(mover(userB, w.t.head, w.t.maintenance)), refusal);
        QCOMPARE(parentOf(w.t.head), 0);
    }

    // B takes the PG out of 在庫管理 while A assigns work to the PG in 在庫照会: A's save is
    // refused and writes nothing. When both save at once, the second waits for the first (here in
    // vain, since the first waits for it in the test's hook, so it gives up) and cannot take the
    // PG out from under the new assignment; afterwards it is refused. No assignment is left
    // naming someone who is not in its project.
    void memberTakenOut_data() { addEngineRows(); }
    void memberTakenOut()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        AppState& a = *w.state;
        a.CurProject = w.t.stock;
        a.CurPriKind = w.t.priceKind2;
        a.CurFunction = w.t.inquiry;
        a.FuncEditMode = 1;
        a.policy.Charge = true;
        const std::unique_ptr<DbConnection> b = w.db->connect();
        ProjectRepository userB(*b);
        // B's save of 在庫管理 with the SE (member 2, whose work is assigned) and the others given.
        const auto withMembers = [&](const QList<int>& members) {
            const std::optional<LoadedProject> loaded = userB.load(w.t.stock);
            ProjectComponents components = componentsOf(userB, w.t.stock);
            components.members.clear();
            for (const int member : members) {
                components.members.append({member, member + 1, u"4000"_s, u"80"_s, QString()});
            }
            return [&userB, loaded, components, record = recordOf(*loaded)] {
                return userB.save(SaveMode::Update, *loaded, record, components);
            };
        };
        // A's save of 在庫照会 with four more hours in process 3, assigned to the PG (member 3).
        const auto assignPg = [&] {
            auto userA = std::make_shared<FunctionRepository>(a);
            auto draft = std::make_shared<FunctionDraft>(a.chargeTable, true, a.policy.MtoH);
            userA->loadDraft(*draft);
            a.chargeTable[3][2] = ChargeSlot{2, 3, u"森 PG"_s, 4, 3000};
            return [userA, draft] {
                QString last;
                return userA->save(SaveUpdate, draft->dataToSave(draft->estimate()), &last);
            };
        };
        const auto pgIn = [&] {
            return rowCount(a.conn(), u"TMEMBER"_s, u"NPROJECT = %1 AND NMEMBER = 3"_s.arg(w.t.stock)) +
                   rowCount(a.conn(), u"TCHARGE"_s, u"NPROJECT = %1 AND NMEMBER = 3"_s.arg(w.t.stock)) * 10;
        };

        QVERIFY(withMembers({2, 3})());
        const auto saveA = assignPg();
        QVERIFY(withMembers({2})());
        QCOMPARE(refusalOf(saveA), u"割り当てたメンバは他の利用者によってプロジェクトから外されています。\n"
                                   u"そのメンバの割り当てを担当入力で削除してから保存してください。"_s);
        QCOMPARE(pgIn(), 0);

        QVERIFY(withMembers({2, 3})());
        const auto withoutPg = withMembers({2});
        bool bWrote = false;
        bool saved = false;
        QVERIFY(RunWhenSent(
            &a.conn(), u"INSERT INTO TCHARGE"_s, [&] { bWrote = writes(withoutPg); },
            [&] { saved = assignPg()(); }));
        QVERIFY(!bWrote);
        QVERIFY(saved);
        QCOMPARE(pgIn(), 11);
        QCOMPARE(refusalOf(withoutPg),
                 u"外したメンバには他の利用者が作業を割り当てたため、保存できません。"_s);
        QCOMPARE(pgIn(), 11);
        QCOMPARE(rowCount(a.conn(), u"TCHARGE"_s,
                          u"NOT EXISTS (SELECT * FROM TMEMBER M WHERE M.NPROJECT = TCHARGE.NPROJECT "
                          u"AND M.NMEMBER = TCHARGE.NMEMBER)"_s),
                 0);
    }

    // Two users saving the same project in turn, each from what it last loaded: every change the
    // other made is either kept or was asked about, and no save leaves rows of its own behind.
    void alternatingSaves_data() { addEngineRows(); }
    void alternatingSaves()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        const std::unique_ptr<DbConnection> other = w.db->connect();
        DbConnection* const connections[2] = {w.state->Conn.get(), other.get()};
        const int stock = w.t.stock;
        std::optional<LoadedProject> loaded[2] = {ProjectRepository(*connections[0]).load(stock),
                                                  ProjectRepository(*connections[1]).load(stock)};
        QString lastWritten = ToText(loaded[0]->name);
        for (int round = 0; round < 24; ++round) {
            const int user = round % 2;
            ProjectRepository repository(*connections[user]);
            ProjectRecord record = recordOf(*loaded[user]);
            record.name = u"在庫管理 %1"_s.arg(round);
            ProjectComponents components = componentsOf(repository, stock);
            // The SE keeps the work assigned in 在庫照会; the hours differ in every round.
            components.members = {{2, 3, u"4000"_s, QString::number(round), QString()}};
            bool asked = false;
            // Every third conflict is written over; the others reload and try again.
            const bool overwrite = round % 3 == 0;
            const std::optional<int> saved =
                repository.save(SaveMode::Update, *loaded[user], record, components, WithinSave(), [&] {
                    asked = true;
                    return overwrite;
                });
            const QString stored =
                scalar(*connections[0],
                       u"SELECT CPROJNAME AS V FROM TPROJECT WHERE NPROJECT = %1"_s.arg(stock))
                    .toString();
            // The other user wrote since this one loaded, unless this one wrote last too.
            QCOMPARE(asked, round > 0 && ToText(loaded[user]->name) != lastWritten);
            if (saved) {
                lastWritten = record.name;
            }
            QCOMPARE(stored, lastWritten);
            loaded[user] = repository.load(stock);
        }
        for (const char* table : {"TCONTRACT", "TDATE", "TDELIV", "TEXPENSE", "TMEMBER"}) {
            QCOMPARE(rowCount(*connections[0], QString::fromLatin1(table),
                              u"NPROJECT NOT IN (SELECT NPROJECT FROM TPROJECT)"_s),
                     0);
        }
        QCOMPARE(rowCount(*connections[0], u"TMEMBER"_s, u"NPROJECT = %1"_s.arg(stock)), 1);
    }

    // The figures the editor asks before a save and for its proposals.
    void projectFigures_data() { addEngineRows(); }
    void projectFigures()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        const ProjectRepository repository(*w.state->Conn);
        // 受注入力 401,400 and 請求締め -5,000 count; 出荷指示 is on hold, 帳票出力 has no price.
        QCOMPARE(repository.workTotal(w.t.sales), 396400.0);
        QCOMPARE(repository.workTotal(w.t.head), 0.0);
        QCOMPARE(repository.pricedFunctionCount(w.t.sales).value, 3);
        QCOMPARE(repository.pricedFunctionCount(w.t.head).value, 0);
        QVERIFY(repository.memberIsCharged(w.t.sales, 3));
        QVERIFY(repository.memberIsCharged(w.t.stock, 2));
        QVERIFY(!repository.memberIsCharged(w.t.stock, 1));
        QVERIFY(repository.hasSubProjects(w.t.sales));
        QVERIFY(!repository.hasSubProjects(w.t.billing));
    }

    // The lists the editor picks from, in display order, with NULL orders first on every engine.
    void lookups_data() { addEngineRows(); }
    void lookups()
    {
        FETCH_ENGINE();
        TreeWorld w(dbEngine);
        const ProjectLookups lookups(*w.state->Conn);
        const auto parents = [&](int editing) {
            QStringList texts;
            for (const ParentChoice& choice : lookups.parentChoices(editing)) {
                texts << u"%1:%2"_s.arg(choice.project.value).arg(choice.text);
            }
            return texts;
        };
        const QString head = u"本社システム"_s;
        QCOMPARE(parents(0), (QStringList{u"%1:%2 - 販売管理 - 請求"_s.arg(w.t.billing).arg(head),
                                          u"%1:保守案件"_s.arg(w.t.maintenance),
                                          u"%1:%2 - 在庫管理"_s.arg(w.t.stock).arg(head),
                                          u"%1:%2"_s.arg(w.t.head).arg(head),
                                          u"%1:%2 - 販売管理"_s.arg(w.t.sales).arg(head)}));
        QCOMPARE(parents(w.t.head), QStringList{u"%1:保守案件"_s.arg(w.t.maintenance)});

        const auto names = [](const QList<NamedKey>& entries) {
            QStringList texts;
            for (const NamedKey& entry : entries) {
                texts << u"%1:%2"_s.arg(entry.key.value).arg(entry.name);
            }
            return texts;
        };
        QCOMPARE(names(lookups.customers()), QStringList{u"1:テスト顧客"_s});
        QCOMPARE(names(lookups.memberChoices()), (QStringList{u"1:山田 PM"_s, u"2:川口 SE"_s, u"3:森 PG"_s}));
        QCOMPARE(names(lookups.itemChoices()), QStringList{u"1:検証機材"_s});
        QCOMPARE(names(lookups.deliverableKinds()).size(), 8);
        const QList<PriceKindChoice> kinds = lookups.priceKinds();
        QCOMPARE(kinds.size(), 2);
        QCOMPARE(kinds.at(1).name, u"特急単価"_s);
        QCOMPARE(kinds.at(1).base.toDouble(), 200000.0);
        QCOMPARE(lookups.priceKindBase(w.t.priceKind2)->toDouble(), 200000.0);
        QVERIFY(!lookups.priceKindBase(99));
        QCOMPARE(ToInt(lookups.memberDefaults(2)->kind).value, 3);
        QCOMPARE(lookups.memberDefaults(2)->pricePerHour.toDouble(), 4000.0);
        QVERIFY(!lookups.memberDefaults(99));
        QCOMPARE(lookups.itemUnitPrice(1)->toDouble(), 10000.0);
        QVERIFY(!lookups.itemUnitPrice(99));
    }

    // The descendants of a project, and the rows a function owns deleted; the function's dates
    // and the other functions are not touched. The project editor's tests prove a whole
    // project's deletion.
    void projectRows_data() { addEngineRows(); }
    void projectRows()
    {
        FETCH_ENGINE();
        auto db = TestDatabase::create(dbEngine);
        auto connection = db->connect();
        DbConnection& conn = *connection;
        ExecSql(conn, u"INSERT INTO MCUSTOMER (NSORT,CCUSTNAME,CMEMO) VALUES (1, 'c', '')"_s);
        // 1 ─ 2 ─ 4, 1 ─ 3; 5 alone.
        for (const int parent : {0, 1, 1, 2, 0}) {
            ExecSql(conn, u"INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND) "_s
                          u"VALUES (%1, 'p', 1, 1, 1)"_s.arg(parent));
        }
        QCOMPARE(ChildProjectIds(conn, 1), u", 2, 4, 3"_s);
        QCOMPARE(ChildProjectIds(conn, 5), QString());
        // A loop made outside the program ends instead of recursing for ever.
        ExecSql(conn, u"UPDATE TPROJECT SET NPARPROJ = 4 WHERE NPROJECT = 1"_s);
        QCOMPARE(ChildProjectIds(conn, 1), u", 2, 4, 3"_s);

        // A row in every table a function owns for functions 11 and 12 of project 1 and 12 of
        // project 2; function keys are unique, so only project 1 has TFUNCTION rows.
        for (const auto& [project, function] : {std::pair{1, 11}, {1, 12}, {2, 12}}) {
            for (const char* values :
                 {"TCOCOMO VALUES (%1, 1, 1, 2)", "TFPADJ VALUES (%1, 1, 2)",
                  "TFP VALUES (%1, 1, 'fp', 1, 2)", "TCHARGE VALUES (%1, 1, 1, NULL, 8)",
                  "THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI) VALUES (%1, 1, 8, 5000)",
                  "TDATE VALUES (%1, 1, Convert(DateTime,'2003/04/15',111))"}) {
                ExecSql(conn, u"INSERT INTO "_s +
                                  QString::fromLatin1(values).arg(u"%1, %2"_s.arg(project).arg(function)));
            }
        }
        for (const int function : {11, 12}) {
            ExecSql(conn, u"INSERT INTO TFUNCTION (NPROJECT, NFUNCTION, CSFUNC) VALUES (1, %1, 'f')"_s.arg(
                              function));
        }
        const auto rows = [&](const QString& where) {
            int total = 0;
            for (const char* table : {"TCOCOMO", "TFPADJ", "TFP", "TCHARGE", "THOUR", "TFUNCTION", "TDATE"}) {
                total += rowCount(conn, QLatin1String(table), where);
            }
            return total;
        };
        Transaction transaction(conn);
        DeleteProjectRows(conn, 1, 12);
        transaction.commit();
        QCOMPARE(rows(u"NPROJECT = 1 AND NFUNCTION = 12"_s), 1);
        QCOMPARE(rows(u"NPROJECT = 1 AND NFUNCTION = 11"_s), 7);
        QCOMPARE(rows(u"NPROJECT = 2"_s), 6);
    }

    // One query gives what a query per parent and per ancestor gave: the tree in display order,
    // the descendants, the path names and the parent list, on the small tree (with a project
    // whose parent is NULL and one whose parent is gone, both outside the tree) and on a
    // generated database with keys beyond 32767.
    void forestMatchesPerRowForm_data() { addEngineRowsOnData("generated", "generated", "small tree"); }
    void forestMatchesPerRowForm()
    {
        QFETCH(int, engine);
        QFETCH(bool, generated);
        TreeWorld w(static_cast<Engine>(engine), !generated);
        DbConnection& c = *w.state->Conn;
        QList<int> probes;
        if (generated) {
            LargeDatabaseShape shape;
            shape.projects = 300;
            shape.functions = 10;
            shape.bigFunctions = 5;
            shape.firstProjectKey = 40001;
            FillLargeDatabase(c, shape, [](const QString&) {});
            // Orders repeat under every parent; a few equal orders under one parent too.
            ExecSql(c, u"UPDATE TPROJECT SET NSORT = 1 WHERE NPROJECT IN (40010, 40011, 40012)"_s);
            ExecSql(c, u"UPDATE TPROJECT SET NSORT = NULL WHERE NPROJECT = 40150"_s);
            probes = {40001, 40002, shape.bigProjectKey(), 40050, 40299};
        } else {
            insertProject(c, 0, u"親なし"_s, 1, 0, 0, u"NULL"_s);
            ExecSql(c, u"UPDATE TPROJECT SET NPARPROJ = NULL WHERE CPROJNAME = '親なし'"_s);
            insertProject(c, 999, u"親が消えた"_s, 1, 0, 0, u"3"_s);
            probes = {w.t.head, w.t.sales, w.t.billing, w.t.maintenance};
        }
        const PerRowForm old{c};
        QStringList expected;
        old.tree(0, 0, expected);
        QVERIFY(expected.size() >= (generated ? 300 : 5));

        StatementLog log;
        const ProjectForest forest = ProjectForest::read(c);
        QStringList lines;
        treeLines(forest, 0, 0, lines);
        QCOMPARE(lines, expected);
        QCOMPARE(log.statements().size(), 1);

        const ProjectLookups lookups(c);
        for (const int project : QList<int>{0} + probes) {
            const QStringList choices = old.parentChoices(project);
            log.reset();
            QCOMPARE(choiceTexts(lookups.parentChoices(project)), choices);
            QCOMPARE(log.statements().size(), 1);
            if (project == 0) {
                continue;
            }
            const QString ids = old.childIds(project);
            const QString path = old.pathName(project, u"x"_s);
            log.reset();
            QCOMPARE(ChildProjectIds(c, project), ids);
            QCOMPARE(log.statements().size(), 1);
            log.reset();
            QCOMPARE(ProjectPathName(c, project, u"x"_s), path);
            QCOMPARE(log.statements().size(), 1);
        }
    }

    // A key beyond 32 bits (possible only in an embedded database) is reported, never wrapped
    // into the key of another project.
    void keyBeyond32BitsIsReported()
    {
        TreeWorld w;
        DbConnection& c = *w.state->Conn;
        ExecSql(c, u"UPDATE TPROJECT SET NPROJECT = 4294967296 + %1 WHERE NPROJECT = %1"_s.arg(w.t.billing));
        try {
            ProjectForest::read(c);
            QFAIL("no error");
        } catch (const DbError& e) {
            QVERIFY2(e.description().contains(QString::number(4294967296LL + w.t.billing)) &&
                         e.description().contains(u"NPROJECT"_s),
                     qPrintable(e.description()));
        }
    }

    void pathNameEndsOnACircle()
    {
        TreeWorld w;
        // A parent chain edited into a circle outside the program.
        ExecSql(*w.state->Conn,
                u"UPDATE TPROJECT SET NPARPROJ = %1 WHERE NPROJECT = %2"_s.arg(w.t.billing).arg(w.t.head));
        QCOMPARE(ProjectPathName(*w.state->Conn, w.t.sales, u"x"_s), u"請求 - 本社システム - 販売管理 - x"_s);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestProjectRepository)
#include "test_project_repository.moc"
