#include "masters/master_entry.h"

#include "convert/conversions.h"
#include "db/concurrent_change.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"

namespace {

const QString kC = QStringLiteral("C");
const QString kN = QStringLiteral("N");

struct EntryTable {
    QString table;      // MMEMBER
    QString keyColumn;  // NMEMBER
    QString nameColumn; // CMEMBER
};

// The key of the picked entry, or of the typed name, which is registered when new with the
// columns given and sorted last; then the master row takes the values of update.
MasterEntry enter(DbConnection& connection, const EntryTable& m, int pickedId, const QString& name,
                  const QString& insertColumns, const QStringList& insertValues, const QString& update)
{
    Transaction transaction(connection);
    MasterEntry entry{pickedId, false};
    if (pickedId == 0) {
        // Two users typing the same new name at once register it once.
        LockTableForWriting(connection, m.table);
        Recordset rs =
            OpenRs(connection, QStringLiteral("SELECT * FROM ") + m.table + QStringLiteral(" WHERE ") +
                                   m.nameColumn + QStringLiteral(" = ") + SqlLiteral(name, kC));
        if (rs.eof()) {
            ExecSql(connection, QStringLiteral("INSERT INTO ") + m.table + QStringLiteral(" (") +
                                    insertColumns + QStringLiteral(") VALUES (") +
                                    insertValues.join(QStringLiteral(", ")) + QStringLiteral(")"));
            entry.id = GetIdentity(connection, m.table);
            entry.inserted = true;
            const QString id = QString::number(entry.id);
            ExecSql(connection, QStringLiteral("UPDATE ") + m.table + QStringLiteral(" SET NSORT = ") + id +
                                    QStringLiteral(" WHERE ") + m.keyColumn + QStringLiteral(" = ") + id);
        } else {
            const WholeNumber key = ToLng(rs.field(m.keyColumn));
            entry.id = key.value;
            entry.keyOverflowed = key.overflowed;
        }
    }
    if (ExecSql(connection, update + QStringLiteral(" WHERE ") + m.keyColumn + QStringLiteral(" = ") +
                                QString::number(entry.id)) == 0 &&
        !entry.keyOverflowed) {
        throw ConcurrentChangeError(ConcurrentChangeError::MasterRow);
    }
    transaction.commit();
    return entry;
}

} // namespace

MasterEntry EnterMember(DbConnection& connection, int pickedId, const QString& name, int kind,
                        const QString& pricePerHour)
{
    return enter(connection,
                 {QStringLiteral("MMEMBER"), QStringLiteral("NMEMBER"), QStringLiteral("CMEMBER")}, pickedId,
                 name, QStringLiteral("CMEMBER,NMKIND,NMEMBPRI"),
                 {SqlLiteral(name, kC), SqlLiteral(kind, kN), SqlLiteral(pricePerHour, kN)},
                 QStringLiteral("UPDATE MMEMBER SET") + QStringLiteral(" NMKIND = ") + SqlLiteral(kind, kN) +
                     QStringLiteral(", ") + QStringLiteral(" NMEMBPRI = ") + SqlLiteral(pricePerHour, kN));
}

MasterEntry EnterItem(DbConnection& connection, int pickedId, const QString& name, const QString& unitPrice)
{
    return enter(connection, {QStringLiteral("MITEM"), QStringLiteral("NITEM"), QStringLiteral("CITEM")},
                 pickedId, name, QStringLiteral("CITEM,NAPIECE"),
                 {SqlLiteral(name, kC), SqlLiteral(unitPrice, kN)},
                 QStringLiteral("UPDATE MITEM SET NAPIECE = ") + SqlLiteral(unitPrice, kN));
}
