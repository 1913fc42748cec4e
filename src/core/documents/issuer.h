#pragma once

#include "calc/consumption_tax.h"

#include <QString>
#include <optional>

class DbConnection;

// Who issues the quotations: the letterhead, the terms and the tax, kept in the database
// (MISSUER) so that everyone on a shared server issues the same.
struct IssuerDetails {
    QString company; // required
    QString postalCode;
    QString address1;
    QString address2;
    QString telephone;
    QString registrationNumber; // empty, or "T" and 13 digits
    QString person;
    QString paymentTerms;
    int validityDays = 30;
    int taxRate = 10; // percent
    TaxRounding rounding = TaxRounding::Down;
    QString remarks; // printed on every quotation
};

namespace Issuer {
constexpr int kMinValidityDays = 1;
constexpr int kMaxValidityDays = 365;
constexpr int kMinTaxRate = 0;
constexpr int kMaxTaxRate = 100;
} // namespace Issuer

// The qualified-invoice registration number: "T" followed by 13 digits.
bool IsRegistrationNumber(const QString& text);

// The stored details; nullopt when none were entered yet. Raises DbError.
std::optional<IssuerDetails> LoadIssuer(DbConnection& connection);

// Replaces the stored details in one transaction. Raises DbError (ConversionError never: all
// values are checked by the caller); a failure leaves the stored details as they were.
void SaveIssuer(DbConnection& connection, const IssuerDetails& details);
