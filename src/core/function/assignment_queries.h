#pragma once

#include <QString>
#include <QVector>

class DbConnection;

// What the work assignment dialog reads: the members of the project and, for one of them, the
// hours still free and the unit price of the member's job kind.

struct AssignableMember {
    int member = 0;
    QString name;
};

// The project's members in their order in the project.
QVector<AssignableMember> AssignableMembers(DbConnection& connection, int project);

struct MemberAvailability {
    // The member's hours on the project, less the indirect hours (unless they are planned as
    // well), less the hours in the project's other counted functions.
    double hours = 0;
    // The unit price of the member's job kind under the price kind; 0 when it has none.
    double unitPrice = 0;
    // The job kind is beyond the 16-bit range: kind 0 was priced.
    bool kindOverflow = false;
};

// function: the function being edited, whose stored assignments the editor holds itself.
MemberAvailability MemberForAssignment(DbConnection& connection, int project, int function, int priceKind,
                                       int member, bool indirectPlanned);
