#include "project/master_entry.h"

#include "foundation/conversions.h"
#include "foundation/db_connection.h"
#include "foundation/sql_literal.h"

namespace {

const QString kC = QStringLiteral("C");
const QString kN = QStringLiteral("N");

} // namespace

MasterEntry EnterMember(DbConnection& connection, int pickedId, const QString& name, int kind,
                        const QString& pricePerHour)
{
    Transaction transaction(connection);
    MasterEntry entry{pickedId, false};
    if (pickedId == 0) {
        Recordset rs = OpenRs(connection, QStringLiteral("SELECT * FROM MMEMBER WHERE CMEMBER = ") +
                                              SqlLiteral(name, kC));
        if (rs.eof()) {
            ExecSql(connection, QStringLiteral("INSERT INTO MMEMBER (CMEMBER,NMKIND,NMEMBPRI) VALUES (") +
                                    SqlLiteral(name, kC) + QStringLiteral(", ") + SqlLiteral(kind, kN) +
                                    QStringLiteral(", ") + SqlLiteral(pricePerHour, kN) +
                                    QStringLiteral(")"));
            entry.id = GetIdentity(connection, QStringLiteral("MMEMBER"));
            entry.inserted = true;
            ExecSql(connection, QStringLiteral("UPDATE MMEMBER SET NSORT = ") + QString::number(entry.id) +
                                    QStringLiteral(" WHERE NMEMBER = ") + QString::number(entry.id));
        } else {
            entry.id = ToInt(rs.field(QStringLiteral("NMEMBER")));
        }
    }
    ExecSql(connection, QStringLiteral("UPDATE MMEMBER SET") + QStringLiteral(" NMKIND = ") +
                            SqlLiteral(kind, kN) + QStringLiteral(", ") + QStringLiteral(" NMEMBPRI = ") +
                            SqlLiteral(pricePerHour, kN) + QStringLiteral(" WHERE NMEMBER = ") +
                            QString::number(entry.id));
    transaction.commit();
    return entry;
}

MasterEntry EnterItem(DbConnection& connection, int pickedId, const QString& name, const QString& unitPrice)
{
    Transaction transaction(connection);
    MasterEntry entry{pickedId, false};
    if (pickedId == 0) {
        Recordset rs =
            OpenRs(connection, QStringLiteral("SELECT * FROM MITEM WHERE CITEM = ") + SqlLiteral(name, kC));
        if (rs.eof()) {
            ExecSql(connection, QStringLiteral("INSERT INTO MITEM (CITEM,NAPIECE) VALUES (") +
                                    SqlLiteral(name, kC) + QStringLiteral(", ") + SqlLiteral(unitPrice, kN) +
                                    QStringLiteral(")"));
            entry.id = GetIdentity(connection, QStringLiteral("MITEM"));
            entry.inserted = true;
            ExecSql(connection, QStringLiteral("UPDATE MITEM SET NSORT = ") + QString::number(entry.id) +
                                    QStringLiteral(" WHERE NITEM = ") + QString::number(entry.id));
        } else {
            entry.id = ToInt(rs.field(QStringLiteral("NITEM")));
        }
    }
    ExecSql(connection, QStringLiteral("UPDATE MITEM SET NAPIECE = ") + SqlLiteral(unitPrice, kN) +
                            QStringLiteral(" WHERE NITEM = ") + QString::number(entry.id));
    transaction.commit();
    return entry;
}
