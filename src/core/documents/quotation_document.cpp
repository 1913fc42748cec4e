#include "documents/quotation_document.h"

#include "convert/conversions.h"
#include "db/db_connection.h"

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
        name += QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control ? QChar(u'_')
                                                                                                  : c;
    }
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) {
        name.prepend(QStringLiteral("project"));
    }
    const QString stem = kind.isEmpty() ? name : name + QLatin1Char('_') + kind;
    return QStringLiteral("%1_%2.%3").arg(stem, day.toString(QStringLiteral("yyyyMMdd")), extension);
}

QuotationDocument BuildQuotation(DbConnection& connection, int project, const QDate& issueDate)
{
    QuotationDocument doc;
    doc.project = project;
    const QString id = QString::number(project);
    Recordset p = OpenRs(connection, QStringLiteral("SELECT P.CPROJNAME, P.CSPECIAL, C.CCUSTNAME FROM TPROJECT P "
                                                    "LEFT JOIN MCUSTOMER C ON C.NCUSTOMER = P.NCONTCUST "
                                                    "WHERE P.NPROJECT = ") +
                                         id);
    if (p.eof()) {
        throw DocumentError(QStringLiteral("プロジェクト %1 がありません。").arg(project));
    }
    doc.subject = p.field(QStringLiteral("CPROJNAME")).toString();
    doc.customer = p.field(QStringLiteral("CCUSTNAME")).toString();
    const QString special = p.field(QStringLiteral("CSPECIAL")).toString();

    doc.issuer = LoadIssuer(connection);
    const IssuerDetails terms = doc.issuer.value_or(IssuerDetails());
    doc.issueDate = issueDate;
    doc.number = QStringLiteral("Q%1-%2")
                     .arg(project, 5, 10, QLatin1Char('0'))
                     .arg(issueDate.toString(QStringLiteral("yyyyMMdd")));
    doc.validUntil = issueDate.addDays(terms.validityDays);
    Recordset d = OpenRs(connection, QStringLiteral("SELECT MAX(DDATE) AS DDATE FROM TDATE WHERE NFUNCTION = 0 "
                                                    "AND NPROJECT = ") +
                                         id);
    if (!d.eof() && d.field(QStringLiteral("DDATE")).isValid()) {
        doc.delivery = d.field(QStringLiteral("DDATE")).toDate();
    }
    doc.paymentTerms = terms.paymentTerms;
    for (const QString& remark : {terms.remarks, special}) {
        if (!remark.trimmed().isEmpty()) {
            doc.remarks << remark;
        }
    }

    QuoteLines lines = ProjectQuoteLines(connection, project);
    doc.lines = lines.lines;
    doc.subtotal = lines.subtotal;
    doc.taxRate = terms.taxRate;
    doc.tax = ConsumptionTax(doc.subtotal, terms.taxRate, terms.rounding);
    doc.total = doc.subtotal + doc.tax;
    return doc;
}
