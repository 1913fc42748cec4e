#include "project/project_save.h"

#include "db/sql_literal.h"

namespace {

const char* const kProjectColumns[] = {"NPARPROJ", "CPROJNAME", "NENDCUST", "NCONTCUST", "NPRIKIND", "NBASE",
                                       "NPRICE",   "COUTLINE",  "CSPECIAL", "CBASE",     "CWORK",    "COPT",
                                       "CDELIV",   "CEXPE0",    "CEXPE1",   "NDISCOUNT"};

QList<QVariant> projectValues(const ProjectRecord& r)
{
    return {r.parent,      r.name,        r.endCustomer, r.contractCustomer, r.priceKind,  r.base,
            r.price,       r.outline,     r.special,     r.quote.Base,       r.quote.Work, r.quote.Opt,
            r.quote.Deliv, r.quote.Expe0, r.quote.Expe1, r.quote.Discount};
}

QString num(int value)
{
    return QString::number(value);
}

QString deleteStatement(const QString& table, int project)
{
    return QStringLiteral("DELETE ") + table + QStringLiteral(" WHERE NPROJECT = ") + num(project);
}

} // namespace

QString ProjectInsertStatement(const ProjectRecord& record)
{
    const QList<QVariant> values = projectValues(record);
    QStringList names;
    QStringList literals;
    for (int i = 0; i < values.size(); ++i) {
        const QString column = QLatin1String(kProjectColumns[i]);
        names << column;
        literals << SqlLiteral(values.at(i), column);
    }
    return QStringLiteral("INSERT INTO TPROJECT (") + names.join(QStringLiteral(", ")) +
           QStringLiteral(") VALUES(") + literals.join(QStringLiteral(", ")) + QStringLiteral(")");
}

QString ProjectUpdateStatement(const ProjectRecord& record, int project)
{
    const QList<QVariant> values = projectValues(record);
    QStringList pairs;
    for (int i = 0; i < values.size(); ++i) {
        const QString column = QLatin1String(kProjectColumns[i]);
        pairs << column + QStringLiteral(" = ") + SqlLiteral(values.at(i), column);
    }
    return QStringLiteral("UPDATE TPROJECT SET ") + pairs.join(QStringLiteral(", ")) +
           QStringLiteral(" WHERE NPROJECT = ") + num(project);
}

QStringList ContractStatements(int project, const QList<ContractRow>& rows)
{
    QStringList statements{deleteStatement(QStringLiteral("TCONTRACT"), project)};
    const QString prefix =
        QStringLiteral("INSERT INTO TCONTRACT VALUES (") + num(project) + QStringLiteral(", ");
    for (const ContractRow& row : rows) {
        if (row.optionId < 100) {
            statements << prefix + num(row.optionId) + QStringLiteral(", ") + num(row.level) +
                              QStringLiteral(", NULL, ") + SqlLiteral(row.memo, QStringLiteral("C")) +
                              QStringLiteral(", ") + SqlLiteral(row.price, QStringLiteral("N")) +
                              QStringLiteral(")");
        } else {
            statements << prefix + num(row.optionId) + QStringLiteral(", 0, ") +
                              SqlLiteral(row.name, QStringLiteral("C")) + QStringLiteral(", ") +
                              SqlLiteral(row.memo, QStringLiteral("C")) + QStringLiteral(", ") +
                              SqlLiteral(row.price, QStringLiteral("N")) + QStringLiteral(")");
        }
    }
    return statements;
}

QStringList ScheduleStatements(int project, const QList<ScheduleDate>& dates)
{
    QStringList statements{deleteStatement(QStringLiteral("TDATE"), project)};
    for (const ScheduleDate& d : dates) {
        if (!d.date.isValid()) {
            continue;
        }
        statements << QStringLiteral("INSERT INTO TDATE VALUES (") + num(project) + QStringLiteral(", ") +
                          QStringLiteral("0, ") + num(d.process) + QStringLiteral(", ") +
                          QStringLiteral("Convert(DateTime,'") +
                          d.date.toString(QStringLiteral("yyyy/MM/dd")) + QStringLiteral("',111))");
    }
    return statements;
}

QStringList DeliverableStatements(int project, const QList<DeliverableRow>& rows)
{
    QStringList statements{deleteStatement(QStringLiteral("TDELIV"), project)};
    const QString n = QStringLiteral("N");
    for (const DeliverableRow& row : rows) {
        QString sql = QStringLiteral("INSERT INTO TDELIV VALUES (") + SqlLiteral(project, n) +
                      QStringLiteral(", ") + SqlLiteral(row.position, n) + QStringLiteral(", ");
        if (row.kind != 0) {
            sql += SqlLiteral(row.kind, n) + QStringLiteral(", ") + QStringLiteral("'") +
                   (row.delivered ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral("', ") +
                   QStringLiteral("'") + (row.formatSpecified ? QStringLiteral("1") : QStringLiteral("0")) +
                   QStringLiteral("', ") + QStringLiteral("NULL, ");
        } else if (!row.name.isEmpty()) {
            sql += QStringLiteral("NULL, NULL, NULL, ") + SqlLiteral(row.name, QStringLiteral("C")) +
                   QStringLiteral(", ");
        } else {
            continue;
        }
        statements << sql + SqlLiteral(row.price, n) + QStringLiteral(")");
    }
    return statements;
}

QStringList ExpenseStatements(int project, const QList<ExpenseRow>& rows)
{
    QStringList statements{deleteStatement(QStringLiteral("TEXPENSE"), project)};
    const QString n = QStringLiteral("N");
    int position = 0;
    for (const ExpenseRow& row : rows) {
        ++position;
        statements << QStringLiteral("INSERT INTO TEXPENSE VALUES (") + num(project) + QStringLiteral(", ") +
                          num(position) + QStringLiteral(", ") + num(row.item) + QStringLiteral(", ") +
                          num(row.buyer) + QStringLiteral(", ") + SqlLiteral(row.unitPrice, n) +
                          QStringLiteral(", ") + SqlLiteral(row.quantity, n) + QStringLiteral(", ") +
                          SqlLiteral(row.discount, n) + QStringLiteral(", ") + SqlLiteral(row.amount, n) +
                          QStringLiteral(")");
    }
    return statements;
}

QStringList MemberStatements(int project, const QList<MemberRow>& rows)
{
    QStringList statements{deleteStatement(QStringLiteral("TMEMBER"), project)};
    const QString n = QStringLiteral("N");
    int position = 0;
    for (const MemberRow& row : rows) {
        ++position;
        statements << QStringLiteral("INSERT INTO TMEMBER VALUES (") + num(project) + QStringLiteral(", ") +
                          num(position) + QStringLiteral(", ") + num(row.member) + QStringLiteral(", ") +
                          SqlLiteral(row.kind, n) + QStringLiteral(", ") + SqlLiteral(row.pricePerHour, n) +
                          QStringLiteral(", ") + SqlLiteral(row.occupiedHours, n) + QStringLiteral(", ") +
                          SqlLiteral(row.indirectHours, n) + QStringLiteral(")");
    }
    return statements;
}
