#pragma once

#include "convert/conversions.h"

#include <QString>
#include <QVector>

class DbConnection;

// A member the replacement can release or give the work to; the key as read, which may
// have overflowed.
struct ReplacementMember {
    WholeNumber member;
    QString name;
};

// The members of the project, in their order in the project.
QVector<ReplacementMember> ReplacementMembers(DbConnection& connection, int project);

enum class ReplacementResult { Replaced, NothingToReplace };

// Moves every assignment (TCHARGE) of one member of a project to another member of the same
// project, across all functions and processes. Where the new member already works on the same
// function and process, the hours are added to that row and the released member's row goes.
// Runs in one transaction on a private second connection; on any error it rolls back and the
// DbError propagates, so that either everything moved or nothing did. A member replaced by
// itself is nothing to do.
ReplacementResult ReplaceMember(DbConnection& connection, int project, int releasedMember, int newMember);
