#pragma once

#include "convert/conversions.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

class DbConnection;

// An entry to pick: a master row or a code with its name.
struct NamedKey {
    WholeNumber key;
    QString name;
};

// A project that can be the parent, shown with the names of its ancestors.
struct ParentChoice {
    WholeNumber parent;
    WholeNumber project;
    QString text; // "A - B - C" for C under B under top-level A
};

struct PriceKindChoice {
    WholeNumber key;
    QString name;
    QVariant base;
};

// What the member master holds for a member picked: the job kind and cost per hour.
struct MemberDefaults {
    QVariant kind;
    QVariant pricePerHour;
};

// The lists and master values the project editor picks from. Statements run on the connection
// one at a time; DbError propagates.
class ProjectLookups {
public:
    explicit ProjectLookups(DbConnection& connection) : m_connection(connection) {}

    // Every project in display order; editing (when not 0) and its descendants are left out, so
    // that a project never becomes its own ancestor.
    QList<ParentChoice> parentChoices(int editing) const;
    QList<NamedKey> customers() const;
    QList<PriceKindChoice> priceKinds() const;
    // The base fee of a price kind; none when the kind is gone.
    std::optional<QVariant> priceKindBase(int kind) const;
    // The kinds of deliverable (division 8) in code order.
    QList<NamedKey> deliverableKinds() const;

    QList<NamedKey> memberChoices() const;
    std::optional<MemberDefaults> memberDefaults(int member) const;
    QList<NamedKey> itemChoices() const;
    std::optional<QVariant> itemUnitPrice(int item) const;

private:
    // The column of the first row; none when there is no row.
    std::optional<QVariant> firstValue(const QString& sql, const QString& column) const;
    QList<NamedKey> choices(const QString& sql, const QString& keyColumn, const QString& nameColumn) const;

    DbConnection& m_connection;
};
