#include "large_database.h"

#include "db/db_connection.h"

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

    // Projects level by level: 1..topLevel, then their children, then the grandchildren.
    QList<int> parents;
    for (int i = 0; i < shape.topLevel; ++i) {
        parents << 0;
    }
    const int secondCount = shape.topLevel * shape.perTop;
    for (int i = 0; i < secondCount; ++i) {
        parents << 1 + i / shape.perTop;
    }
    for (int i = 0; i < secondCount * shape.perSecond; ++i) {
        parents << 1 + shape.topLevel + i / shape.perSecond;
    }
    const int projects = parents.size();
    for (int p = 1; p <= projects; ++p) {
        const int parent = parents[p - 1];
        const int sort = p <= shape.topLevel ? p
                         : p <= shape.topLevel + secondCount
                             ? 1 + (p - shape.topLevel - 1) % shape.perTop
                             : 1 + (p - shape.topLevel - secondCount - 1) % shape.perSecond;
        ExecSql(c, QStringLiteral(
                       "INSERT INTO TPROJECT (NPARPROJ, CPROJNAME, NENDCUST, NCONTCUST, NPRIKIND, NBASE, "
                       "NPRICE, COUTLINE, CSPECIAL, CBASE, CWORK, COPT, CDELIV, CEXPE0, CEXPE1, NDISCOUNT, "
                       "NSORT) VALUES (%1, 'プロジェクト%2', %3, %3, %4, 100000, %5, '', '', '1', '1', '1', "
                       "'1', '0', '1', 0, %6)")
                       .arg(parent)
                       .arg(p, 4, 10, QLatin1Char('0'))
                       .arg(1 + random.next(20))
                       .arg(p % 4 == 0 ? 2 : 1)
                       .arg(1000000 * (1 + random.next(30)))
                       .arg(sort));
    }
    report(QStringLiteral("%1 projects").arg(projects));

    // Five members per project; the assignments below use them.
    QList<QList<int>> projectMembers(projects + 1);
    {
        BatchInsert members(c, QStringLiteral("INSERT INTO TMEMBER"));
        BatchInsert expenses(c, QStringLiteral("INSERT INTO TEXPENSE"));
        BatchInsert options(c, QStringLiteral("INSERT INTO TCONTRACT"));
        BatchInsert deliverables(c, QStringLiteral("INSERT INTO TDELIV"));
        for (int p = 1; p <= projects; ++p) {
            const int first = random.next(memberCount);
            for (int m = 0; m < 5; ++m) {
                const int member = 1 + (first + m * 6) % memberCount;
                projectMembers[p] << member;
                members.add(QStringLiteral("%1, %2, %3, %4, %5, %6, %7")
                                .arg(p)
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
                                 .arg(p)
                                 .arg(e + 1)
                                 .arg(item)
                                 .arg(e)
                                 .arg(5000 * item)
                                 .arg(count)
                                 .arg(5000 * item * count));
            }
            options.add(QStringLiteral("%1, 2, 2, NULL, '', %2").arg(p).arg(10000 * random.next(30)));
            options.add(QStringLiteral("%1, 6, 2, NULL, '', %2").arg(p).arg(20000 * random.next(10)));
            deliverables.add(
                QStringLiteral("%1, 1, 1, '1', '0', NULL, %2").arg(p).arg(10000 * random.next(20)));
            deliverables.add(
                QStringLiteral("%1, 2, 2, '1', '1', NULL, %2").arg(p).arg(10000 * random.next(40)));
        }
    }
    report(QStringLiteral("members, expenses, options, deliverables"));

    // Functions: bigFunctions of them in bigProject, the rest spread over the other projects.
    QList<int> owner;
    owner.reserve(shape.functions);
    for (int i = 0; i < shape.bigFunctions; ++i) {
        owner << shape.bigProject;
    }
    for (int i = 0; owner.size() < shape.functions; ++i) {
        int p = 1 + i % projects;
        if (p == shape.bigProject) {
            continue;
        }
        owner << p;
    }
    {
        QList<int> sortInProject(projects + 1, 0);
        BatchInsert functions(
            c, QStringLiteral("INSERT INTO TFUNCTION (NPROJECT, CVALID, NNUP, NIMP, NDEF, NRSK, NTRM, "
                              "NLNG, CSFUNC, CLFUNC, NDISCOUNT, NHTOTAL, NTOTAL, NPRICE, NSORT)"));
        for (int f = 1; f <= shape.functions; ++f) {
            const int p = owner[f - 1];
            functions.add(
                QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8, '機能項目%9', '', %10, 0, 0, 0, %11")
                    .arg(p)
                    .arg(f % 10 == 0 ? QStringLiteral("NULL") : QStringLiteral("'1'"))
                    .arg(1 + random.next(3))
                    .arg(1 + random.next(4))
                    .arg(1 + random.next(4))
                    .arg(1 + random.next(3))
                    .arg(1 + random.next(4))
                    .arg(1 + random.next(8))
                    .arg(f, 5, 10, QLatin1Char('0'))
                    .arg(1000 * random.next(20))
                    .arg(++sortInProject[p]));
        }
    }
    report(QStringLiteral("%1 functions").arg(shape.functions));

    {
        BatchInsert fp(c, QStringLiteral("INSERT INTO TFP"));
        BatchInsert hours(c, QStringLiteral("INSERT INTO THOUR (NPROJECT, NFUNCTION, NDKIND, NHOUR, NPRI)"));
        BatchInsert charges(c, QStringLiteral("INSERT INTO TCHARGE"));
        const int processPrice[8] = {9000, 8500, 7500, 6000, 5500, 6000, 6500, 7000};
        for (int f = 1; f <= shape.functions; ++f) {
            const int p = owner[f - 1];
            const QString key = n(p) + QStringLiteral(", ") + n(f);
            for (int a = 1; a <= 4; ++a) {
                fp.add(key + QStringLiteral(", %1, 'FP%1', %2, %3")
                                 .arg(a)
                                 .arg(1 + random.next(5))
                                 .arg(1 + random.next(3)));
            }
            for (int process = 1; process <= 8; ++process) {
                const int h = 2 + random.next(40);
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
