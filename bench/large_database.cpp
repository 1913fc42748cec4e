#include "large_database.h"

#include "db/db_connection.h"
#include "db/db_error.h"

#include <QHash>
#include <QStringList>

namespace {

// A small deterministic generator, so that every run builds the same database.
class Random {
public:
    int next(int bound)
    {
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<int>((m_state >> 8) % static_cast<unsigned>(bound));
    }

private:
    unsigned m_state = 20260401u;
};

// Multi-row INSERTs in batches keep a server database from paying a round trip per row.
class BatchInsert {
public:
    BatchInsert(DbConnection& connection, const QString& head) : m_connection(connection), m_head(head) {}
    ~BatchInsert() { flush(); }
    void add(const QString& values)
    {
        m_rows << QLatin1Char('(') + values + QLatin1Char(')');
        if (m_rows.size() >= 500) {
            flush();
        }
    }
    void flush()
    {
        if (!m_rows.isEmpty()) {
            ExecSql(m_connection, m_head + QStringLiteral(" VALUES ") + m_rows.join(QStringLiteral(", ")));
            m_rows.clear();
        }
    }

private:
    DbConnection& m_connection;
    QString m_head;
    QStringList m_rows;
};

QString n(int value)
{
    return QString::number(value);
}

} // namespace

int LargeDatabaseShape::topLevel() const
{
    return qMax(1, projects / 100);
}

int LargeDatabaseShape::secondLevel() const
{
    return qBound(0, projects / 10 - topLevel(), projects - topLevel());
}

int LargeDatabaseShape::bigProjectKey() const
{
    return firstProjectKey + (secondLevel() > 0 ? topLevel() : 0);
}

void StartKeysAt(DbConnection& c, const QString& table, const QString& column, qint64 next)
{
    switch (c.engine()) {
    case Engine::SQLite:
        ExecSql(c, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = '%1'").arg(table));
        ExecSql(c, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('%1', %2)")
                       .arg(table)
                       .arg(next - 1));
        return;
    case Engine::PostgreSQL:
        ExecSql(
            c, QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 RESTART WITH %3").arg(table, column).arg(next));
        return;
    case Engine::SQLServer:
        break;
    }
    throw DbError(DbError::Other, QStringLiteral("StartKeysAt: SQLite and PostgreSQL only"));
}

void FillLargeDatabase(DbConnection& c, const LargeDatabaseShape& shape,
                       const std::function<void(const QString&)>& report)
{
    Random random;
    Transaction transaction(c);

    for (int i = 1; i <= 20; ++i) {
        ExecSql(c, QStringLiteral("INSERT INTO MCUSTOMER (CCUSTNAME, CMEMO, NSORT) VALUES ('顧客%1', '', %1)")
                       .arg(i));
    }
    for (int i = 1; i <= 10; ++i) {
        ExecSql(c, QStringLiteral("INSERT INTO MITEM (CITEM, NAPIECE, NSORT) VALUES ('経費項目%1', %2, %1)")
                       .arg(i)
                       .arg(5000 * i));
    }
    ExecSql(c,
            QStringLiteral("INSERT INTO MPRIBASE (CPRINAME, NBASE, NSORT) VALUES ('特急単価', 200000, 2)"));
    for (int kind = 1; kind <= 5; ++kind) {
        ExecSql(c, QStringLiteral(
                       "INSERT INTO MPRIPROG (NPRIKIND, CCKIND, NDKIND, NDPRI) VALUES (2, '0', %1, %2)")
                       .arg(kind)
                       .arg(13000 - 1500 * kind));
    }
    const int memberCount = 30;
    QList<int> memberKind;
    QList<int> memberPrice;
    for (int i = 1; i <= memberCount; ++i) {
        const int kind = 1 + (i - 1) % 5;
        const int price = 7000 - 800 * kind;
        memberKind << kind;
        memberPrice << price;
        ExecSql(c,
                QStringLiteral(
                    "INSERT INTO MMEMBER (CMEMBER, NMKIND, NMEMBPRI, NSORT) VALUES ('メンバ%1', %2, %3, %1)")
                    .arg(i)
                    .arg(kind)
                    .arg(price));
    }
    report(QStringLiteral("masters"));

    // Projects level by level, each level's projects in blocks under the level above; the
    // order (NSORT) counts within each parent.
    const int projects = qMax(1, shape.projects);
    const int top = shape.topLevel();
    const int second = shape.secondLevel();
    const int third = projects - top - second;
    QList<int> parents; // by index from 0; -1 for the top
    QList<int> sorts;
    QHash<int, int> childCount;
    const auto place = [&](int parent) {
        parents << parent;
        sorts << ++childCount[parent];
    };
    for (int i = 0; i < top; ++i) {
        place(-1);
    }
    for (int i = 0; i < second; ++i) {
        place(static_cast<int>(static_cast<qint64>(i) * top / second));
    }
    for (int i = 0; i < third; ++i) {
        place(second > 0 ? top + static_cast<int>(static_cast<qint64>(i) * second / third)
                         : static_cast<int>(static_cast<qint64>(i) * top / third));
    }
    const auto projectKey = [&](int index) { return shape.firstProjectKey + index; };
    {
        BatchInsert rows(c, QStringLiteral("INSERT INTO TPROJECT (NPROJECT, NPARPROJ, CPROJNAME, NENDCUST, "
                                           "NCONTCUST, NPRIKIND, NBASE, NPRICE, COUTLINE, CSPECIAL, CBASE, "
                                           "CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT, NSORT)"));
        for (int p = 0; p < projects; ++p) {
            rows.add(QStringLiteral("%1, %2, 'プロジェクト%3', %4, %4, %5, 100000, %6, '', '', '1', '1', "
                                    "'1', '1', '0', '1', 0, %7")
                         .arg(projectKey(p))
                         .arg(parents[p] < 0 ? 0 : projectKey(parents[p]))
                         .arg(p + 1, 5, 10, QLatin1Char('0'))
                         .arg(1 + random.next(20))
                         .arg(p % 4 == 3 ? 2 : 1)
                         .arg(1000000 * (1 + random.next(30)))
                         .arg(sorts[p]));
        }
    }
    StartKeysAt(c, QStringLiteral("TPROJECT"), QStringLiteral("NPROJECT"), projectKey(projects));
    report(QStringLiteral("%1 projects").arg(projects));

    // Five members per project; the assignments below use them.
    QList<QList<int>> projectMembers(projects);
    {
        BatchInsert members(c, QStringLiteral("INSERT INTO TMEMBER"));
        BatchInsert expenses(c, QStringLiteral("INSERT INTO TEXPENSE"));
        BatchInsert options(c, QStringLiteral("INSERT INTO TCONTRACT"));
        BatchInsert deliverables(c, QStringLiteral("INSERT INTO TDELIV"));
        for (int p = 0; p < projects; ++p) {
            const int key = projectKey(p);
            const int first = random.next(memberCount);
            for (int m = 0; m < 5; ++m) {
                const int member = 1 + (first + m * 6) % memberCount;
                projectMembers[p] << member;
                members.add(QStringLiteral("%1, %2, %3, %4, %5, %6, %7")
                                .arg(key)
                                .arg(m + 1)
                                .arg(member)
                                .arg(memberKind[member - 1])
                                .arg(memberPrice[member - 1])
                                .arg(80 + random.next(400))
                                .arg(random.next(40)));
            }
            for (int e = 0; e < 3; ++e) {
                const int item = 1 + random.next(10);
                const int count = 1 + random.next(5);
                expenses.add(QStringLiteral("%1, %2, %3, %4, %5, %6, 0, %7")
                                 .arg(key)
                                 .arg(e + 1)
                                 .arg(item)
                                 .arg(e)
                                 .arg(5000 * item)
                                 .arg(count)
                                 .arg(5000 * item * count));
            }
            options.add(QStringLiteral("%1, 2, 2, NULL, '', %2").arg(key).arg(10000 * random.next(30)));
            options.add(QStringLiteral("%1, 6, 2, NULL, '', %2").arg(key).arg(20000 * random.next(10)));
            deliverables.add(
                QStringLiteral("%1, 1, 1, '1', '0', NULL, %2").arg(key).arg(10000 * random.next(20)));
            deliverables.add(
                QStringLiteral("%1, 2, 2, '1', '1', NULL, %2").arg(key).arg(10000 * random.next(40)));
        }
    }
    report(QStringLiteral("members, expenses, options, deliverables"));

    // Functions: bigFunctions of them in the biggest project, the rest spread over the others.
    const int bigIndex = shape.bigProjectKey() - shape.firstProjectKey;
    QList<int> owner; // project index
    owner.reserve(shape.functions);
    for (int i = 0; i < qMin(shape.bigFunctions, shape.functions); ++i) {
        owner << bigIndex;
    }
    for (int i = 0; owner.size() < shape.functions; ++i) {
        const int p = i % projects;
        if (p != bigIndex || projects == 1) {
            owner << p;
        }
    }
    const auto functionKey = [&](int index) { return shape.firstFunctionKey + index; };
    {
        QList<int> sortInProject(projects, 0);
        BatchInsert functions(
            c, QStringLiteral("INSERT INTO TFUNCTION (NFUNCTION, NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, "
                              "NTRM, NLNG, CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE, NSORT)"));
        for (int f = 0; f < shape.functions; ++f) {
            const int p = owner[f];
            functions.add(
                QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8, %9, '機能項目%10', '', %11, 0, 0, 0, %12")
                    .arg(functionKey(f))
                    .arg(projectKey(p))
                    .arg(f % 10 == 9 ? QStringLiteral("NULL") : QStringLiteral("'1'"))
                    .arg(1 + random.next(3))
                    .arg(1 + random.next(4))
                    .arg(1 + random.next(4))
                    .arg(1 + random.next(3))
                    .arg(1 + random.next(4))
                    .arg(1 + random.next(8))
                    .arg(f + 1, 6, 10, QLatin1Char('0'))
                    .arg(1000 * random.next(20))
                    .arg(++sortInProject[p]));
        }
    }
    StartKeysAt(c, QStringLiteral("TFUNCTION"), QStringLiteral("NFUNCTION"), functionKey(shape.functions));
    report(QStringLiteral("%1 functions").arg(shape.functions));

    // Every 50th function has no hour rows; a quarter of the hours carry a half hour, so that
    // prices come out with fractions to round.
    {
        BatchInsert fp(c, QStringLiteral("INSERT INTO TFP"));
        BatchInsert hours(c, QStringLiteral("INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI)"));
        BatchInsert charges(c, QStringLiteral("INSERT INTO TCHARGE"));
        const int processPrice[8] = {9000, 8500, 7500, 6000, 5500, 6000, 6500, 7000};
        for (int f = 0; f < shape.functions; ++f) {
            const int p = owner[f];
            const QString key = n(projectKey(p)) + QStringLiteral(", ") + n(functionKey(f));
            for (int a = 1; a <= 4; ++a) {
                fp.add(key + QStringLiteral(", %1, 'FP%1', %2, %3")
                                 .arg(a)
                                 .arg(1 + random.next(5))
                                 .arg(1 + random.next(3)));
            }
            if (f % 50 == 49) {
                continue;
            }
            for (int process = 1; process <= 8; ++process) {
                const QString h =
                    n(2 + random.next(40)) + (random.next(4) == 0 ? QStringLiteral(".5") : QString());
                hours.add(key +
                          QStringLiteral(", %1, %2, %3").arg(process).arg(h).arg(processPrice[process - 1]));
                charges.add(key + QStringLiteral(", %1, 1, %2, %3")
                                      .arg(process)
                                      .arg(projectMembers[p][random.next(5)])
                                      .arg(h));
            }
        }
    }
    report(QStringLiteral("function points, hours and assignments"));
    transaction.commit();
}
