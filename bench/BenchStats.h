#pragma once

#include <QByteArrayView>
#include <QList>

#include <chrono>

// The arithmetic and the process readings behind the benchmarks' figures,
// kept apart from the benchmarks so that they can be checked on their own.
namespace BenchStats {

// The sample below which `fraction` (0 to 1) of the samples lie, linearly
// interpolated between the two nearest ranks (rank = fraction · (n − 1));
// NaN without samples.
double percentile(QList<double> samples, double fraction);
inline double median(QList<double> samples)
{
    return percentile(std::move(samples), 0.5);
}

// What /proc/<pid>/status and /proc/<pid>/smaps_rollup say about memory
// and scheduling. -1 where the text lacks the field (a kernel thread has no
// memory lines).
struct ProcStatus {
    qint64 vmRssKiB = -1;
    // The resident pages with each shared page divided among the processes
    // that map it: what the process costs beside other users of its libraries.
    qint64 pssKiB = -1;
    qint64 rssAnonKiB = -1;
    qint64 rssFileKiB = -1;
    qint64 voluntarySwitches = -1;
    qint64 involuntarySwitches = -1;
};
// Reads the "Name: value [kB]" lines of either file into `into`.
ProcStatus parseStatus(QByteArrayView text, ProcStatus into = {});

// Both files of a running process; all fields -1 when it is gone.
ProcStatus status(qint64 pid);

// Voluntary and involuntary context switches summed over every thread of the
// process (/proc/<pid>/task/*/status): each one is the process waking up or
// being preempted. -1 when the process is gone.
qint64 contextSwitches(qint64 pid);

// User plus system time of a process from /proc/<pid>/stat fields 14 and 15,
// or of the calling process (every thread) with pid 0. -1 ns when unreadable.
std::chrono::nanoseconds cpuTime(qint64 pid = 0);
// Fields 14 and 15 of a /proc/<pid>/stat text, in clock ticks; -1 when the
// text does not read. The command name in parentheses may hold spaces.
qint64 statTicks(QByteArrayView text);

} // namespace BenchStats
