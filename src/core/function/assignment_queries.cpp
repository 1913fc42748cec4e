#include "function/assignment_queries.h"

#include "convert/conversions.h"
#include "db/db_connection.h"

namespace {

QString num(int value)
{
    return QString::number(value);
}

} // namespace

QVector<AssignableMember> AssignableMembers(DbConnection& connection, int project)
{
    const QString sql = QStringLiteral("SELECT M.CMEMBER, T.NMEMBER FROM TMEMBER T, MMEMBER M") +
                        QStringLiteral(" WHERE T.NMEMBER = M.NMEMBER") +
                        QStringLiteral(" AND T.NPROJECT = ") + num(project) +
                        QStringLiteral(" ORDER BY NADD");
    QVector<AssignableMember> members;
    for (Recordset rs = OpenRs(connection, sql); !rs.eof(); rs.moveNext()) {
        members.append({rs.key(QStringLiteral("NMEMBER")), rs.field(QStringLiteral("CMEMBER")).toString()});
    }
    return members;
}

MemberAvailability MemberForAssignment(DbConnection& connection, int project, int function, int priceKind,
                                       int member, bool indirectPlanned)
{
    MemberAvailability result;
    const QString memberId = num(member);
    const QString projectId = num(project);
    int kind = 0;
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT NMEMBOCCU, NINDIRECT, NMKIND FROM TMEMBER") +
                                          QStringLiteral(" WHERE NPROJECT = ") + projectId +
                                          QStringLiteral(" AND NMEMBER = ") + memberId);
    if (!rs.eof()) {
        result.hours = ToDbl(rs.field(QStringLiteral("NMEMBOCCU")));
        if (!indirectPlanned) {
            result.hours -= ToDbl(rs.field(QStringLiteral("NINDIRECT")));
        }
        const WholeNumber number = ToInt(rs.field(QStringLiteral("NMKIND")));
        kind = number.value;
        result.kindOverflow = number.overflowed;
    }
    rs = OpenRs(connection, QStringLiteral("SELECT SUM(NHOUR) AS HOUR FROM TCHARGE C, TFUNCTION F") +
                                QStringLiteral(" WHERE C.NPROJECT = ") + projectId +
                                QStringLiteral(" AND C.NPROJECT = F.NPROJECT") +
                                QStringLiteral(" AND C.NFUNCTION = F.NFUNCTION") +
                                QStringLiteral(" AND C.NFUNCTION != ") + num(function) +
                                QStringLiteral(" AND F.CVALID IS NOT NULL") +
                                QStringLiteral(" AND C.NMEMBER = ") + memberId);
    if (!rs.eof()) {
        result.hours -= ToDbl(rs.field(QStringLiteral("HOUR")));
    }
    rs = OpenRs(connection, QStringLiteral("SELECT NDPRI FROM MPRIPROG") +
                                QStringLiteral(" WHERE NPRIKIND = ") + num(priceKind) +
                                QStringLiteral(" AND CCKIND = '0'") + QStringLiteral(" AND NDKIND = ") +
                                num(kind));
    result.unitPrice = rs.eof() ? 0.0 : ToDbl(rs.field(QStringLiteral("NDPRI")));
    return result;
}
