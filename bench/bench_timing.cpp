#include "bench_timing.h"

#include "db/db_connection.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <ctime>

namespace {

double cpuMilliseconds()
{
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

} // namespace

Figures Measure(int rounds, const std::function<void()>& prepare, const std::function<void()>& work)
{
    QList<double> times;
    QList<double> cpu;
    for (int i = 0; i < rounds; ++i) {
        if (prepare) {
            prepare();
        }
        QElapsedTimer clock;
        const double cpuStart = cpuMilliseconds();
        clock.start();
        work();
        times << static_cast<double>(clock.nsecsElapsed()) / 1e6;
        cpu << cpuMilliseconds() - cpuStart;
    }
    Figures f;
    std::sort(cpu.begin(), cpu.end());
    std::sort(times.begin(), times.end());
    f.cpuMedian = cpu[cpu.size() / 2];
    f.best = times.first();
    f.median = times[times.size() / 2];
    f.worst = times.last();
    return f;
}

QStringList StatementsOf(const std::function<void()>& work)
{
    QStringList statements;
    DbConnection::setStatementHook([&](const DbConnection&, const QString& sql) { statements << sql; });
    try {
        work();
    } catch (...) {
        DbConnection::setStatementHook(nullptr);
        throw;
    }
    DbConnection::setStatementHook(nullptr);
    return statements;
}

void RunLimit(DbConnection& connection, const Limit& limit)
{
    for (const QString& sql : limit.reads) {
        OpenRs(connection, sql);
    }
    if (!limit.writes.isEmpty()) {
        Transaction transaction(connection);
        for (const QString& sql : limit.writes) {
            ExecSql(connection, sql);
        }
        transaction.commit();
    }
}

void ResetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

namespace {

int statusMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QRegularExpression line(QLatin1String(field) + QStringLiteral(":\\s*(\\d+)\\s*kB"));
    const QRegularExpressionMatch m = line.match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? static_cast<int>(m.captured(1).toLongLong() / 1024) : -1;
}

} // namespace

int PeakMemoryMb()
{
    return statusMb("VmHWM");
}

int ResidentMemoryMb()
{
    return statusMb("VmRSS");
}
