#include "BenchStats.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace BenchStats {

namespace {

QByteArray readProcFile(const QString& path)
{
    // /proc files report a size of 0; read until the end instead.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// "VmRSS:\t   12345 kB" → 12345; -1 when the line does not read.
qint64 fieldValue(QByteArrayView line, QByteArrayView name)
{
    if (!line.startsWith(name) || line.size() <= name.size() || line[name.size()] != ':')
        return -1;
    QByteArrayView rest = line.sliced(name.size() + 1).trimmed();
    if (rest.endsWith("kB"))
        rest = rest.chopped(2).trimmed();
    bool ok = false;
    const qint64 value = rest.toLongLong(&ok);
    return ok ? value : -1;
}

} // namespace

double percentile(QList<double> samples, double fraction)
{
    if (samples.isEmpty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(samples.begin(), samples.end());
    const double rank = std::clamp(fraction, 0.0, 1.0) * double(samples.size() - 1);
    const auto below = qsizetype(std::floor(rank));
    const auto above = std::min(below + 1, samples.size() - 1);
    const double weight = rank - double(below);
    return samples[below] + weight * (samples[above] - samples[below]);
}

ProcStatus parseStatus(QByteArrayView text, ProcStatus into)
{
    ProcStatus result = into;
    const struct {
        const char* name;
        qint64 ProcStatus::*field;
    } fields[] = {
        {"VmRSS", &ProcStatus::vmRssKiB},
        {"Pss", &ProcStatus::pssKiB},
        {"RssAnon", &ProcStatus::rssAnonKiB},
        {"RssFile", &ProcStatus::rssFileKiB},
        {"voluntary_ctxt_switches", &ProcStatus::voluntarySwitches},
        {"nonvoluntary_ctxt_switches", &ProcStatus::involuntarySwitches},
    };
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(start, end - start);
        for (const auto& f : fields) {
            const qint64 value = fieldValue(line, f.name);
            if (value >= 0)
                result.*(f.field) = value;
        }
        start = end + 1;
    }
    return result;
}

ProcStatus status(qint64 pid)
{
    const QByteArray text = readProcFile(QStringLiteral("/proc/%1/status").arg(pid));
    if (text.isEmpty())
        return {};
    return parseStatus(readProcFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid)),
                       parseStatus(text));
}

qint64 contextSwitches(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty())
        return -1;
    qint64 sum = 0;
    for (const QString& thread : threads) {
        // A thread may end between the listing and the read; it counts nothing.
        const ProcStatus s =
            parseStatus(readProcFile(tasks.filePath(thread + QStringLiteral("/status"))));
        sum +=
            std::max<qint64>(0, s.voluntarySwitches) + std::max<qint64>(0, s.involuntarySwitches);
    }
    return sum;
}

qint64 statTicks(QByteArrayView text)
{
    // The name may contain spaces and parentheses: the fields start after
    // the last ')'. Field 3 (state) comes first there; 14 and 15 are the
    // 12th and 13th after it.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> rest = text.sliced(close + 1).trimmed().toByteArray().split(' ');
    if (rest.size() < 13)
        return -1;
    bool userOk = false;
    bool systemOk = false;
    const qint64 user = rest[11].toLongLong(&userOk);
    const qint64 system = rest[12].toLongLong(&systemOk);
    return userOk && systemOk ? user + system : -1;
}

std::chrono::nanoseconds cpuTime(qint64 pid)
{
    using namespace std::chrono;
    if (pid == 0) {
        rusage usage{};
        if (getrusage(RUSAGE_SELF, &usage) != 0)
            return nanoseconds(-1);
        const auto tv = [](const timeval& t) {
            return seconds(t.tv_sec) + microseconds(t.tv_usec);
        };
        return duration_cast<nanoseconds>(tv(usage.ru_utime) + tv(usage.ru_stime));
    }
    const qint64 ticks = statTicks(readProcFile(QStringLiteral("/proc/%1/stat").arg(pid)));
    const long perSecond = sysconf(_SC_CLK_TCK);
    if (ticks < 0 || perSecond <= 0)
        return nanoseconds(-1);
    return nanoseconds(ticks * 1'000'000'000 / perSecond);
}

} // namespace BenchStats
