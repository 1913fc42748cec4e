#pragma once

#include "project/project_data.h"

#include <QStringList>

// The statements of a project save, in the order they run. They raise ConversionError for an
// amount text that is not a number.
QString ProjectInsertStatement(const ProjectRecord& record);
QString ProjectUpdateStatement(const ProjectRecord& record, int project);
QStringList ContractStatements(int project, const QList<ContractRow>& rows);
QStringList ScheduleStatements(int project, const QList<ScheduleDate>& dates);
QStringList DeliverableStatements(int project, const QList<DeliverableRow>& rows);
QStringList ExpenseStatements(int project, const QList<ExpenseRow>& rows);
QStringList MemberStatements(int project, const QList<MemberRow>& rows);
