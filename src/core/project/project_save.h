#pragma once

#include "project/project_data.h"

#include <QStringList>
#include <functional>

class DbConnection;

// The statements of a project save, in the order they run. They raise ConversionError for an
// amount text that is not a number.
QString ProjectInsertStatement(const ProjectRecord& record);
QString ProjectUpdateStatement(const ProjectRecord& record, int project);
QStringList ContractStatements(int project, const QList<ContractRow>& rows);
QStringList ScheduleStatements(int project, const QList<ScheduleDate>& dates);
QStringList DeliverableStatements(int project, const QList<DeliverableRow>& rows);
QStringList ExpenseStatements(int project, const QList<ExpenseRow>& rows);
QStringList MemberStatements(int project, const QList<MemberRow>& rows);

enum class SaveMode { Insert = 0, Update = 1, Delete = 2 };

// Work that belongs to the save's transaction: it runs on the save's connection after the
// project's rows are written, before the commit, with the project's id.
using WithinSave = std::function<void(DbConnection& connection, int project)>;

// Writes the project row and rewrites every component (or deletes the project with all it
// owns) in one transaction, with beforeCommit; nothing is written when a statement fails
// (DbError or ConversionError propagate). Returns the project's id: the new identity after an
// insert.
int WriteProject(DbConnection& connection, SaveMode mode, int project, const ProjectRecord& record,
                 const ProjectComponents& components, const WithinSave& beforeCommit = WithinSave());
