#include "project/project_lookups.h"

#include "db/db_connection.h"
#include "divisions/division_ids.h"
#include "project/project_rows.h"

QList<ParentChoice> ProjectLookups::parentChoices(int editing) const
{
    QString sql = QStringLiteral("SELECT NPARPROJ, NPROJECT, CPROJNAME FROM TPROJECT");
    if (editing != 0) {
        sql += QStringLiteral(" WHERE NPROJECT NOT IN (") + QString::number(editing) +
               ChildProjectIds(m_connection, editing) + QStringLiteral(")");
    }
    sql += QStringLiteral(" ORDER BY NSORT, NPARPROJ, NPROJECT");
    // Read every row first: the path names query the same connection.
    QList<ParentChoice> rows;
    for (Recordset rs = OpenRs(m_connection, sql); !rs.eof(); rs.moveNext()) {
        rows.append({ToInt(rs.field(QStringLiteral("NPARPROJ"))), ToInt(rs.field(QStringLiteral("NPROJECT"))),
                     ToText(rs.field(QStringLiteral("CPROJNAME")))});
    }
    for (ParentChoice& row : rows) {
        if (row.parent.value != 0) {
            row.text = ProjectPathName(m_connection, row.parent.value, row.text);
        }
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
        rows.append({ToInt(rs.field(QStringLiteral("NPRIKIND"))),
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
        rows.append({ToInt(rs.field(keyColumn)), ToText(rs.field(nameColumn))});
    }
    return rows;
}
