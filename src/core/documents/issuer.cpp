#include "documents/issuer.h"

#include "db/db_connection.h"
#include "db/sql_literal.h"

#include <QRegularExpression>

namespace {

// The one row every installation shares.
constexpr int kIssuerKey = 1;

struct Column {
    const char* name;
    QString IssuerDetails::*text; // nullptr: a number
};

const Column kTextColumns[] = {
    {"CCOMPANY", &IssuerDetails::company},   {"CPOSTAL", &IssuerDetails::postalCode},
    {"CADDRESS1", &IssuerDetails::address1}, {"CADDRESS2", &IssuerDetails::address2},
    {"CTEL", &IssuerDetails::telephone},     {"CREGNO", &IssuerDetails::registrationNumber},
    {"CPERSON", &IssuerDetails::person},     {"CPAYTERMS", &IssuerDetails::paymentTerms},
    {"CREMARKS", &IssuerDetails::remarks},
};

int numberOr(const QVariant& value, int fallback)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    return value.isValid() && ok ? number : fallback;
}

} // namespace

bool IsRegistrationNumber(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^T[0-9]{13}$"));
    return pattern.match(text).hasMatch();
}

std::optional<IssuerDetails> LoadIssuer(DbConnection& connection)
{
    Recordset rs = OpenRs(connection, QStringLiteral("SELECT * FROM MISSUER WHERE NISSUER = ") +
                                          QString::number(kIssuerKey));
    if (rs.eof()) {
        return std::nullopt;
    }
    IssuerDetails details;
    for (const Column& column : kTextColumns) {
        details.*column.text = rs.field(QLatin1String(column.name)).toString();
    }
    details.validityDays = numberOr(rs.field(QStringLiteral("NVALIDDAYS")), details.validityDays);
    details.taxRate = numberOr(rs.field(QStringLiteral("NTAXRATE")), details.taxRate);
    const int rounding = numberOr(rs.field(QStringLiteral("NTAXROUND")), 0);
    details.rounding = rounding == 1   ? TaxRounding::HalfUp
                       : rounding == 2 ? TaxRounding::Up
                                       : TaxRounding::Down;
    return details;
}

void SaveIssuer(DbConnection& connection, const IssuerDetails& details)
{
    QStringList names{QStringLiteral("NISSUER")};
    QStringList values{QString::number(kIssuerKey)};
    for (const Column& column : kTextColumns) {
        names << QLatin1String(column.name);
        values << SqlLiteral(details.*column.text, QLatin1String(column.name));
    }
    names << QStringLiteral("NVALIDDAYS") << QStringLiteral("NTAXRATE") << QStringLiteral("NTAXROUND");
    values << QString::number(details.validityDays) << QString::number(details.taxRate)
           << QString::number(static_cast<int>(details.rounding));
    Transaction transaction(connection);
    ExecSql(connection, QStringLiteral("DELETE MISSUER WHERE NISSUER = ") + QString::number(kIssuerKey));
    ExecSql(connection, QStringLiteral("INSERT INTO MISSUER (") + names.join(QStringLiteral(", ")) +
                            QStringLiteral(") VALUES(") + values.join(QStringLiteral(", ")) +
                            QStringLiteral(")"));
    transaction.commit();
}
