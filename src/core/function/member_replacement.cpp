#include "function/member_replacement.h"

#include "convert/conversions.h"
#include "db/concurrent_change.h"
#include "db/db_connection.h"

#include <QVector>
#include <memory>

namespace {

struct Assignment {
    QString function;
    QString process;
    double hours = 0;
};

} // namespace

QVector<ReplacementMember> ReplacementMembers(DbConnection& connection, int project)
{
    const QString sql = QStringLiteral("SELECT T.NMEMBER, M.CMEMBER FROM TMEMBER T, MMEMBER M") +
                        QStringLiteral(" WHERE T.NMEMBER = M.NMEMBER") +
                        QStringLiteral(" AND T.NPROJECT = ") + QString::number(project) +
                        QStringLiteral(" ORDER BY T.NADD, M.NMEMBER");
    QVector<ReplacementMember> members;
    for (Recordset rs = OpenRs(connection, sql); !rs.eof(); rs.moveNext()) {
        members.append(
            {ToLng(rs.field(QStringLiteral("NMEMBER"))), ToText(rs.field(QStringLiteral("CMEMBER")))});
    }
    return members;
}

ReplacementResult ReplaceMember(DbConnection& connection, int project, int releasedMember, int newMember)
{
    // Replacing a member by itself would add its hours to its own rows and then delete them.
    if (releasedMember == newMember) {
        return ReplacementResult::NothingToReplace;
    }
    const QString projectId = QString::number(project);
    const QString src = QString::number(releasedMember);
    const QString dst = QString::number(newMember);

    std::unique_ptr<DbConnection> own = connection.openSecond();
    Transaction transaction(*own);

    // The project and its members stay while the work moves (Share: no project save rewrites
    // the members meanwhile); the released member's rows are held, so that no function save
    // rewrites them meanwhile.
    if (LockRows(*own, QStringLiteral("TPROJECT"), QStringLiteral("NPROJECT = ") + projectId, RowLock::Share,
                 QStringLiteral("NPROJECT"))
            .eof()) {
        throw ConcurrentChangeError(ConcurrentChangeError::Project);
    }
    if (LockRows(*own, QStringLiteral("TMEMBER"),
                 QStringLiteral("NPROJECT = ") + projectId + QStringLiteral(" AND NMEMBER = ") + dst,
                 RowLock::Keep, QStringLiteral("NMEMBER"))
            .eof()) {
        throw ConcurrentChangeError(ConcurrentChangeError::MasterRow);
    }

    // All of the released member's rows are read before the first write.
    QVector<Assignment> released;
    {
        Recordset rs =
            LockRows(*own, QStringLiteral("TCHARGE"),
                     QStringLiteral("NPROJECT = ") + projectId + QStringLiteral(" AND NMEMBER = ") + src,
                     RowLock::Update);
        for (; !rs.eof(); rs.moveNext()) {
            released.append({ToText(rs.field(QStringLiteral("NFUNCTION"))),
                             ToText(rs.field(QStringLiteral("NPROC"))),
                             ToDbl(rs.field(QStringLiteral("NHOUR")))});
        }
    }

    for (const Assignment& row : released) {
        const QString place = QStringLiteral(" WHERE NPROJECT = ") + projectId +
                              QStringLiteral(" AND NFUNCTION = ") + row.function +
                              QStringLiteral(" AND NPROC = ") + row.process;
        Recordset existing = OpenRs(*own, QStringLiteral("SELECT * FROM TCHARGE") + place +
                                              QStringLiteral(" AND NMEMBER = ") + dst);
        QString sql;
        if (existing.eof()) {
            sql = QStringLiteral("UPDATE TCHARGE SET NMEMBER = ") + dst + place +
                  QStringLiteral(" AND NMEMBER = ") + src;
        } else {
            const double hours = row.hours + ToDbl(existing.field(QStringLiteral("NHOUR")));
            sql = QStringLiteral("UPDATE TCHARGE SET NHOUR = ") + PlainNumber(hours) + place +
                  QStringLiteral(" AND NMEMBER = ") + dst;
        }
        if (ExecSql(*own, sql) == 0) {
            throw ConcurrentChangeError(ConcurrentChangeError::Function);
        }
    }
    // Removes the rows merged above; the moved ones no longer carry the released member.
    ExecSql(*own, QStringLiteral("DELETE TCHARGE") + QStringLiteral(" WHERE NPROJECT = ") + projectId +
                      QStringLiteral(" AND NMEMBER = ") + src);
    transaction.commit();
    return released.isEmpty() ? ReplacementResult::NothingToReplace : ReplacementResult::Replaced;
}
