#include "db/schema_upgrade.h"

#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/schema_setup.h"
#include "db/sql_literal.h"

namespace {

const QString kVersionTable = QStringLiteral("MSCHEMA");

void runSteps(DbConnection& connection, int from)
{
    Transaction transaction(connection);
    for (int version = from + 1; version <= kSchemaVersion; ++version) {
        for (const QString& statement : SplitSqlScript(UpgradeStepText(connection.engine(), version))) {
            ExecSql(connection, statement);
        }
    }
    ExecSql(connection, QStringLiteral("DELETE ") + kVersionTable);
    ExecSql(connection, QStringLiteral("INSERT INTO ") + kVersionTable + QStringLiteral(" (NVERSION) VALUES (") +
                            SqlLiteral(kSchemaVersion, QStringLiteral("NVERSION")) + QStringLiteral(")"));
    transaction.commit();
}

} // namespace

int StoredSchemaVersion(DbConnection& connection)
{
    const QStringList tables = ExistingTables(connection);
    if (tables.isEmpty()) {
        return 0;
    }
    if (!tables.contains(kVersionTable)) {
        return 1;
    }
    const QString sql = QStringLiteral("SELECT MAX(NVERSION) AS NVERSION FROM ") + kVersionTable;
    Recordset rs = OpenRs(connection, sql);
    bool ok = false;
    const int version = rs.eof() ? 0 : rs.field(QStringLiteral("NVERSION")).toInt(&ok);
    if (!ok || version < 1) {
        throw DbError(DbError::Other, QStringLiteral("データベースにスキーマの版が記録されていません。"), sql);
    }
    return version;
}

int UpgradeSchema(DbConnection& connection)
{
    const int found = StoredSchemaVersion(connection);
    if (found > kSchemaVersion) {
        throw DbError(DbError::Other,
                      QStringLiteral("このデータベースは新しい版のVORNAで更新されています（スキーマ第%1版）。"
                                     "このVORNAが扱えるのは第%2版までです。新しい版のVORNAを使用してください。")
                          .arg(found)
                          .arg(kSchemaVersion));
    }
    if (found == 0 || found == kSchemaVersion) {
        return found;
    }
    try {
        runSteps(connection, found);
    } catch (const DbError&) {
        // Another program on the same server may have upgraded it meanwhile.
        bool upgradedElsewhere = false;
        try {
            upgradedElsewhere = StoredSchemaVersion(connection) == kSchemaVersion;
        } catch (const DbError&) {
        }
        if (!upgradedElsewhere) {
            throw;
        }
    }
    return found;
}
