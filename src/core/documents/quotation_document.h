#pragma once

#include "calc/consumption_tax.h"
#include "documents/issuer.h"
#include "project/project_stored.h"
#include "state/app_state.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

class DbConnection;

// One line of a quotation, in whole yen.
struct QuoteLine {
    enum Kind { Base, Work, Option, Deliverable, Expense, Discount, Adjustment };
    Kind kind = Base;
    QString name;
    std::optional<double> quantity;
    QString unit; // "時間", "式", or empty
    std::optional<qint64> unitPrice;
    qint64 amount = 0;
};

// The group heading a kind of line stands under ("作業費"), or "" for a line of its own.
QString QuoteLineGroup(QuoteLine::Kind kind);

// A 見積書 as it is printed: every text and figure, nothing left to compute.
struct QuotationDocument {
    int project = 0;
    QString number; // "Q00012-20261207"
    QDate issueDate;
    QDate validUntil;
    QDate delivery; // the last date of the schedule; invalid when there is none
    QString customer;
    QString subject;                     // the project's name
    std::optional<IssuerDetails> issuer; // none entered: no letterhead
    QList<QuoteLine> lines;
    qint64 subtotal = 0; // the order amount before tax
    int taxRate = 0;
    qint64 tax = 0;
    qint64 total = 0;
    QString paymentTerms;
    QStringList remarks; // the issuer's default remarks, then the project's special notes
};

// A project that is not in the database.
class DocumentError : public std::runtime_error {
public:
    explicit DocumentError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The quotation of the stored project as of the issue date. The lines follow the project's
// stored quotation ticks and add up to its order amount (NPRICE) before tax: a difference
// between the components and the order amount is one line "調整額"; an order amount of 0 or
// none takes the components' sum. Raises DocumentError for an unknown project, DbError.
QuotationDocument BuildQuotation(DbConnection& connection, int project, const QDate& issueDate);

// The stored project row a document is made of. Raises DocumentError for an unknown project,
// DbError.
LoadedProject StoredProject(DbConnection& connection, int project);

// The quotation ticks and discount stored with the project.
QuoteSettings StoredQuoteSettings(const LoadedProject& project);

// The lines alone, and the order amount they add up to.
struct QuoteLines {
    QList<QuoteLine> lines;
    qint64 subtotal = 0;
};
QuoteLines ProjectQuoteLines(DbConnection& connection, const LoadedProject& project);

// "2026年12月7日".
QString JapaneseDate(const QDate& date);
// A figure with thousands separators and "円": "1,234,567円", "-5,000円".
QString YenText(qint64 amount);
// A proposed file name: the project's name (without characters no file name may hold) and the
// day, with the extension given ("pdf").
QString DocumentFileName(const QString& projectName, const QString& kind, const QDate& day,
                         const QString& extension);
