#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class DbConnection;

// Wall-clock figures of a few rounds of one piece of work, in milliseconds.
struct Figures {
    double best = 0;
    double median = 0;
    double worst = 0;
    double cpuMedian = 0; // this process only: a server's own work is not in it
};

// Runs prepare (untimed) and work (timed) rounds times.
Figures Measure(int rounds, const std::function<void()>& prepare, const std::function<void()>& work);

// The statements the work sends, as the data access sees them (every connection).
QStringList StatementsOf(const std::function<void()>& work);

// The limit of an operation: the set-based statements that return the same data (read whole)
// or make the same change (run in one transaction on the connection and committed; the
// benchmark's writes rewrite what is there, so running them again changes nothing).
struct Limit {
    QStringList reads;
    QStringList writes;
};
void RunLimit(DbConnection& connection, const Limit& limit);

// The peak resident memory of this process since the last ResetPeakMemory, in megabytes (Linux;
// -1 elsewhere).
void ResetPeakMemory();
int PeakMemoryMb();
int ResidentMemoryMb();
