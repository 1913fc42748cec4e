#pragma once

#include "db/concurrent_change.h"
#include "project/project_data.h"
#include "project/project_stored.h"

#include <QList>
#include <functional>
#include <optional>

class DbConnection;

enum class SaveMode { Insert = 0, Update = 1, Delete = 2 };

// Work that belongs to the save's transaction: it runs on the save's connection after the
// project's rows are written, before the commit, with the project's id.
using WithinSave = std::function<void(DbConnection& connection, int project)>;

// A project with its components: the row, the schedule dates, the contract options, the
// deliverables, the expenses and the members, read for the editor and written back in one
// transaction. Statements run on the connection one at a time; DbError (with the statement)
// and ConversionError propagate.
class ProjectRepository {
public:
    explicit ProjectRepository(DbConnection& connection) : m_connection(connection) {}

    // The stored row, with the image of what a save rewrites; none when the project is gone.
    std::optional<LoadedProject> load(int project) const;
    // Each process of division 7 in code order, with the project's (function 0) or a function's
    // date.
    QList<ScheduleRow> scheduleDates(int project, int function) const;
    QList<StoredDeliverable> deliverables(int project) const;
    // Rows whose item, member, buyer or job kind has lost its master row are read all the same,
    // so that a save keeps them.
    QList<StoredExpense> expenses(int project) const;
    QList<StoredMember> members(int project) const;
    QList<StoredContract> contracts(int project) const;

    // A project with sub-projects cannot be deleted.
    bool hasSubProjects(int project) const;
    // The member has work assigned in one of the project's functions.
    bool memberIsCharged(int project, int member) const;
    // The functions of the project that have a price (counted or not).
    WholeNumber pricedFunctionCount(int project) const;
    // The sum of the prices of the project's counted functions.
    double workTotal(int project) const;

    // Inserts the project (loaded.id is 0), updates it or deletes it with everything it owns,
    // in one transaction with beforeCommit; nothing is written when a statement fails. The
    // components are rewritten in the order contract options, dates, deliverables, expenses,
    // members. Returns the project's id: the new identity after an insert.
    // Inside the transaction the save first makes sure that the parent it writes under and the
    // project it updates or deletes are still there, and holds them; when not, it raises
    // ConcurrentChangeError. An update whose project row or components another user has changed
    // since the load goes on only when overwriteChanged says so, and otherwise writes nothing and
    // returns none. An update that would take a project under its own descendant (another user
    // moved the parent there) or take out a member with assigned work (assigned meanwhile by
    // another user) raises ConcurrentChangeError too.
    std::optional<int> save(SaveMode mode, const LoadedProject& loaded, const ProjectRecord& record,
                            const ProjectComponents& components,
                            const WithinSave& beforeCommit = WithinSave(),
                            const OverwriteQuestion& overwriteChanged = OverwriteQuestion());

private:
    QList<RowImage> componentImages(int project) const;
    bool assignedToDroppedMember(int project, const QList<MemberRow>& kept) const;

    DbConnection& m_connection;
};
