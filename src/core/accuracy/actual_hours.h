#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QVector>

class DbConnection;

// The actual hours of a project's counted functions per process in use, and whether the
// project is finished (完了) and when.

// Whole hours per cell.
constexpr int kMaxActualHours = 999999;

struct ActualSheet {
    struct Process {
        int code = 0; // division 7
        QString name;
    };
    struct Row {
        int function = 0;
        QString title;
        double planned = 0;   // NHTOTAL
        QMap<int, int> hours; // process code -> hours; a process missing has none recorded
    };
    QString path;               // the project's path in the project tree
    QVector<Process> processes; // in display order
    QVector<Row> rows;          // the counted functions, in the order of the function list
    bool done = false;
    QDate doneDate;
};

// Raises DbError.
ActualSheet LoadActualSheet(DbConnection& connection, int project);

// Rewrites the hours of the sheet's functions and processes and the finished state in one
// transaction; hours of processes no longer in use and of functions not counted stay. Raises
// DbError, leaving the database as it was.
void SaveActualSheet(DbConnection& connection, int project, const ActualSheet& sheet);

// The hours of each function with any recorded, summed over its processes.
QMap<int, double> ActualHoursByFunction(DbConnection& connection, int project);
