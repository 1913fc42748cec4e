#include "documents/quotation_document.h"

#include "convert/conversions.h"
#include "db/db_connection.h"
#include "project/project_lookups.h"
#include "project/project_repository.h"

DocumentError::DocumentError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

QString JapaneseDate(const QDate& date)
{
    return date.isValid() ? QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day())
                          : QString();
}

QString YenText(qint64 amount)
{
    return FormatNumber(static_cast<double>(amount), 0, true) + QStringLiteral("円");
}

QString DocumentFileName(const QString& projectName, const QString& kind, const QDate& day,
                         const QString& extension)
{
    QString name;
    for (const QChar c : projectName.simplified()) {
        // Neither a folder separator nor what other systems refuse in a name.
        name += QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control
                    ? QChar(u'_')
                    : c;
    }
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) {
        name.prepend(QStringLiteral("project"));
    }
    const QString stem = kind.isEmpty() ? name : name + QLatin1Char('_') + kind;
    return QStringLiteral("%1_%2.%3").arg(stem, day.toString(QStringLiteral("yyyyMMdd")), extension);
}

namespace {

// A stored date as the editor shows it ("2026/12/07"), or as an engine hands back its text.
QDate storedDate(const QString& text)
{
    const QDate shown = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
    return shown.isValid() ? shown : QDate::fromString(text.left(10), Qt::ISODate);
}

QString customerName(DbConnection& connection, const QVariant& customer)
{
    for (const NamedKey& row : ProjectLookups(connection).customers()) {
        if (customer.isValid() && row.key.value == ToInt(customer).value) {
            return row.name;
        }
    }
    return QString();
}

} // namespace

QuotationDocument BuildQuotation(DbConnection& connection, int project, const QDate& issueDate)
{
    const LoadedProject stored = StoredProject(connection, project);
    QuotationDocument doc;
    doc.project = project;
    doc.subject = ToText(stored.name);
    doc.customer = customerName(connection, stored.contractCustomer);
    const QString special = ToText(stored.special);

    doc.issuer = LoadIssuer(connection);
    const IssuerDetails terms = doc.issuer.value_or(IssuerDetails());
    doc.issueDate = issueDate;
    doc.number = QStringLiteral("Q%1-%2")
                     .arg(project, 5, 10, QLatin1Char('0'))
                     .arg(issueDate.toString(QStringLiteral("yyyyMMdd")));
    doc.validUntil = issueDate.addDays(terms.validityDays);
    for (const ScheduleRow& row : ProjectRepository(connection).scheduleDates(project, 0)) {
        const QDate date = storedDate(row.date);
        if (date.isValid() && (!doc.delivery.isValid() || date > doc.delivery)) {
            doc.delivery = date;
        }
    }
    doc.paymentTerms = terms.paymentTerms;
    for (const QString& remark : {terms.remarks, special}) {
        if (!remark.trimmed().isEmpty()) {
            doc.remarks << remark;
        }
    }

    QuoteLines lines = ProjectQuoteLines(connection, stored);
    doc.lines = lines.lines;
    doc.subtotal = lines.subtotal;
    doc.taxRate = terms.taxRate;
    doc.tax = ConsumptionTax(doc.subtotal, terms.taxRate, terms.rounding);
    doc.total = doc.subtotal + doc.tax;
    return doc;
}
