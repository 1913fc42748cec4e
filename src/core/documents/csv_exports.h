#pragma once

#include <QList>
#include <QStringList>

class DbConnection;
struct Policy;
struct QuotationDocument;

// The rows of the CSV exports, heading first. Texts as stored; figures plain (CsvNumber).

// The functions of a project: the main list's columns, then the prices before the discount
// and the discount, the function points, KStep and the COCOMO hours. Raises DbError.
QList<QStringList> FunctionCsvRows(DbConnection& connection, int project, const Policy& policy);

// Every project, in the order of the project tree: its path, customers, price kind, order
// amount, work total and the main window's panel figures under the policy. Raises DbError.
QList<QStringList> ProjectCsvRows(DbConnection& connection, const Policy& policy);

// The lines of a quotation, then its subtotal, tax and total.
QList<QStringList> QuoteLineCsvRows(const QuotationDocument& document);
