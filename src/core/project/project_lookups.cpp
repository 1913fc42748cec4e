#include "project/project_lookups.h"

#include "db/db_connection.h"
#include "divisions/division_ids.h"
#include "project/project_forest.h"

QList<ParentChoice> ProjectLookups::parentChoices(int editing) const
{
    // One query; the descendants left out and the path names come from the same rows.
    const ProjectForest forest =
        ProjectForest::read(m_connection, QStringLiteral("NSORT, NPARPROJ, NPROJECT"));
    QSet<int> excluded;
    if (editing != 0) {
        excluded = forest.descendants(editing);
        excluded.insert(editing);
    }
    QList<ParentChoice> rows;
    rows.reserve(forest.nodes().size());
    for (const ProjectForest::Node& node : forest.nodes()) {
        if (excluded.contains(node.id)) {
            continue;
        }
        rows.append({WholeNumber{node.parent, false}, WholeNumber{node.id, false},
                     node.parent != 0 ? forest.pathName(node.parent, node.name) : node.name});
    }
    return rows;
}

QList<NamedKey> ProjectLookups::customers() const
{
    return choices(QStringLiteral("SELECT * FROM MCUSTOMER ORDER BY NSORT,NCUSTOMER"),
                   QStringLiteral("NCUSTOMER"), QStringLiteral("CCUSTNAME"));
}

QList<PriceKindChoice> ProjectLookups::priceKinds() const
{
    QList<PriceKindChoice> rows;
    for (Recordset rs =
             OpenRs(m_connection, QStringLiteral("SELECT * FROM MPRIBASE ORDER BY NSORT,NPRIKIND"));
         !rs.eof(); rs.moveNext()) {
        rows.append({ToLng(rs.field(QStringLiteral("NPRIKIND"))),
                     ToText(rs.field(QStringLiteral("CPRINAME"))), rs.field(QStringLiteral("NBASE"))});
    }
    return rows;
}

std::optional<QVariant> ProjectLookups::priceKindBase(int kind) const
{
    const Recordset rs = OpenRs(m_connection, QStringLiteral("SELECT NBASE FROM MPRIBASE WHERE NPRIKIND = ") +
                                                  QString::number(kind));
    if (rs.eof()) {
        return std::nullopt;
    }
    return rs.field(QStringLiteral("NBASE"));
}

QList<NamedKey> ProjectLookups::deliverableKinds() const
{
    return choices(QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") +
                       QString::number(Division::Deliverable) + QStringLiteral(" ORDER BY NVAL"),
                   QStringLiteral("NVAL"), QStringLiteral("CNAME"));
}

QList<NamedKey> ProjectLookups::memberChoices() const
{
    return choices(QStringLiteral("SELECT NMEMBER, CMEMBER FROM MMEMBER ORDER BY NSORT,NMEMBPRI,NMEMBER"),
                   QStringLiteral("NMEMBER"), QStringLiteral("CMEMBER"));
}

std::optional<MemberDefaults> ProjectLookups::memberDefaults(int member) const
{
    const Recordset rs =
        OpenRs(m_connection, QStringLiteral("SELECT NMKIND,NMEMBPRI FROM MMEMBER WHERE NMEMBER = ") +
                                 QString::number(member));
    if (rs.eof()) {
        return std::nullopt;
    }
    return MemberDefaults{rs.field(QStringLiteral("NMKIND")), rs.field(QStringLiteral("NMEMBPRI"))};
}

QList<NamedKey> ProjectLookups::itemChoices() const
{
    return choices(QStringLiteral("SELECT NITEM, CITEM FROM MITEM ORDER BY NSORT, NITEM"),
                   QStringLiteral("NITEM"), QStringLiteral("CITEM"));
}

std::optional<QVariant> ProjectLookups::itemUnitPrice(int item) const
{
    const Recordset rs = OpenRs(m_connection, QStringLiteral("SELECT NAPIECE FROM MITEM WHERE NITEM = ") +
                                                  QString::number(item));
    if (rs.eof()) {
        return std::nullopt;
    }
    return rs.field(QStringLiteral("NAPIECE"));
}

QList<NamedKey> ProjectLookups::choices(const QString& sql, const QString& keyColumn,
                                        const QString& nameColumn) const
{
    QList<NamedKey> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        rows.append({ToLng(rs.field(keyColumn)), ToText(rs.field(nameColumn))});
    }
    return rows;
}
