// Turns the benchmarks' JSON output into the Markdown tables of the README's
// performance section, each figure beside its goal.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QJsonObject readJson(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    // Google Benchmark writes nan for the spread of a counter whose mean is
    // zero, which JSON has no word for; such figures are absent here.
    QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression notANumber(u":\\s*-?(nan|inf|infinity)\\b"_s,
                                               QRegularExpression::CaseInsensitiveOption);
    text.replace(notANumber, u": null"_s);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        std::fprintf(stderr, "bench_report: %s: %s\n", qPrintable(path),
                     qPrintable(error.errorString()));
    return document.object();
}

// Google Benchmark's "median" aggregate of every benchmark, by run name; a
// single run stands for itself when there were no repetitions.
QMap<QString, QJsonObject> medians(const QJsonObject& document, QStringList* order)
{
    QMap<QString, QJsonObject> byName;
    for (const QJsonValue& value : document[u"benchmarks"_s].toArray()) {
        const QJsonObject run = value.toObject();
        const QString name = run[u"run_name"_s].toString();
        const bool median =
            run[u"run_type"_s] == u"aggregate"_s && run[u"aggregate_name"_s] == u"median"_s;
        const bool single = run[u"run_type"_s] == u"iteration"_s && !byName.contains(name);
        if (run.contains(u"error_occurred"_s) && run[u"error_occurred"_s].toBool())
            std::printf("> %s failed: %s\n\n", qPrintable(name),
                        qPrintable(run[u"error_message"_s].toString()));
        if (median || single) {
            if (!byName.contains(name))
                order->append(name);
            byName.insert(name, run);
        }
    }
    return byName;
}

QString number(double value, int decimals)
{
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : u"–"_s;
}

QString verdict(bool met)
{
    return met ? u"met"_s : u"**missed**"_s;
}

int repetitions(const QJsonObject& document)
{
    for (const QJsonValue& value : document[u"benchmarks"_s].toArray()) {
        const QJsonObject run = value.toObject();
        if (run[u"run_type"_s] == u"aggregate"_s)
            return run[u"repetitions"_s].toInt(1);
    }
    return 1;
}

// The round trips a full refresh must wait for one after the other: the
// funds' values, then their holdings, then the holdings' changes. Everything
// else is asked for at the same time as the funds' values.
constexpr double kRoundTrips = 3;

// `baseline`, when given, is the same benchmark built from an earlier
// commit and run right after this one, so that both columns share a machine
// and its load.
void refreshTable(const QJsonObject& document, const QJsonObject& baseline)
{
    QStringList order;
    const auto runs = medians(document, &order);
    if (runs.isEmpty())
        return;
    QStringList baselineOrder;
    const auto before = medians(baseline, &baselineOrder);
    std::printf("Full refresh against quotara-sim in its own process (median of %d runs, each "
                "the median of 15 refreshes):\n\n",
                repetitions(document));
    std::printf("| L (ms) | funds | wall (ms) | wall / (3 × L) | goal ≤ 1.1 | wall − 3 × L (ms) | "
                "app CPU per refresh (ms) | simulator CPU per refresh (ms) | requests |%s\n"
                "|---:|---:|---:|---:|:---|---:|---:|---:|---:|%s\n",
                before.isEmpty() ? "" : " before: wall (ms) | before: wall / (3 × L) |",
                before.isEmpty() ? "" : "---:|---:|");
    double lowL = -1, lowWall = 0, highL = -1, highWall = 0, defaultFunds = -1;
    for (const QString& name : order) {
        const QJsonObject r = runs[name];
        const double latency = r[u"latency_ms"_s].toDouble();
        const double wall = r[u"wall_median_ms"_s].toDouble();
        const double ratio = latency > 0 ? wall / (kRoundTrips * latency) : NAN;
        const double funds = r[u"funds"_s].toDouble();
        QString earlier;
        if (!before.isEmpty()) {
            const double old = before.value(name)[u"wall_median_ms"_s].toDouble(NAN);
            earlier = u" %1 | %2 |"_s.arg(
                number(old, 1), number(latency > 0 ? old / (kRoundTrips * latency) : NAN, 3));
        }
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s |%s\n",
                    qPrintable(number(latency, 0)), qPrintable(number(funds, 0)),
                    qPrintable(number(wall, 1)), qPrintable(number(ratio, 3)),
                    qPrintable(std::isfinite(ratio) ? verdict(ratio <= 1.1) : u"–"_s),
                    qPrintable(number(wall - kRoundTrips * latency, 1)),
                    qPrintable(number(r[u"cpu_ms"_s].toDouble(), 2)),
                    qPrintable(number(r[u"sim_cpu_ms"_s].toDouble(), 2)),
                    qPrintable(number(r[u"requests"_s].toDouble(), 0)), qPrintable(earlier));
        // The slope is taken over the default watch list only.
        if (defaultFunds < 0)
            defaultFunds = funds;
        if (funds != defaultFunds)
            continue;
        if (lowL < 0 || latency < lowL) {
            lowL = latency;
            lowWall = wall;
        }
        if (latency > highL) {
            highL = latency;
            highWall = wall;
        }
    }
    if (highL > lowL)
        std::printf(
            "\nEach millisecond of latency adds %.2f ms to a refresh (L = %.0f → %.0f): the "
            "number of round trips the cycle waits for one after the other (%.0f funds watched).\n",
            (highWall - lowWall) / (highL - lowL), lowL, highL, defaultFunds);
    std::printf("\n");
}

void chartTable(const QList<QJsonObject>& documents)
{
    bool header = false;
    for (const QJsonObject& document : documents) {
        QStringList order;
        const auto runs = medians(document, &order);
        if (runs.isEmpty())
            continue;
        if (!header) {
            std::printf("Gold chart in the panel on the offscreen platform, each change with the "
                        "repaint it causes (median of %d runs; the goal is judged on the median "
                        "repaint):\n\n",
                        repetitions(document));
            std::printf(
                "| repaint | points | pixel ratio | median (ms) | p95 (ms) | goal ≤ 2 ms |\n"
                "|:---|---:|---:|---:|---:|:---|\n");
            header = true;
        }
        const QMap<QString, QString> kinds{{u"new_data"_s, u"after new data"_s},
                                           {u"same_data"_s, u"unchanged data"_s},
                                           {u"hover_move"_s, u"pointer move"_s}};
        for (const QString& name : order) {
            const QJsonObject r = runs[name];
            const double median = r[u"median_ms"_s].toDouble();
            const QString kind = name.section(u'/', 0, 0);
            std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(kinds.value(kind, kind)),
                        qPrintable(number(r[u"points"_s].toDouble(), 0)),
                        qPrintable(number(r[u"dpr"_s].toDouble(), 0)),
                        qPrintable(number(median, 3)),
                        qPrintable(number(r[u"p95_ms"_s].toDouble(), 3)),
                        qPrintable(verdict(median <= 2.0)));
        }
    }
    if (header)
        std::printf("\n");
}

void readersTable(const QJsonObject& document)
{
    QStringList order;
    const auto runs = medians(document, &order);
    if (runs.isEmpty())
        return;
    std::printf("Readers: QJsonDocument::fromJson and the reader, as the app decodes an answer, "
                "per CPU second of the decoding thread (median of %d runs; MB = 10⁶ bytes):\n\n",
                repetitions(document));
    std::printf("| answer | bytes | items | CPU per answer (µs) | MB/s |\n"
                "|:---|---:|---:|---:|---:|\n");
    for (const QString& name : order) {
        const QJsonObject r = runs[name];
        std::printf("| %s | %s | %s | %s | %s |\n", qPrintable(name),
                    qPrintable(number(r[u"body_bytes"_s].toDouble(), 0)),
                    qPrintable(number(r[u"items"_s].toDouble(), 0)),
                    qPrintable(number(r[u"cpu_time"_s].toDouble(), 1)),
                    qPrintable(number(r[u"bytes_per_second"_s].toDouble() / 1e6, 1)));
    }
    std::printf("\n");
}

void idleTable(const QList<QJsonObject>& documents)
{
    bool header = false;
    for (const QJsonObject& document : documents) {
        if (document.isEmpty())
            continue;
        if (!header) {
            std::printf("Idle tray app (median of %d runs; watched for %d s after %d s):\n\n",
                        document[u"runs"_s].toInt(), document[u"windowSeconds"_s].toInt(),
                        document[u"settleSeconds"_s].toInt());
            std::printf(
                "| build | shown | moment | app sees (gold / stocks) | RSS (MB) | goal ≤ 40 MB "
                "| of it anonymous (MB) | PSS (MB) | wake-ups/min | CPU %% | requests while "
                "watched | requests at start | file writes while watched |\n"
                "|:---|:---|:---|:---|---:|:---|---:|---:|---:|---:|---:|---:|---:|\n");
            header = true;
        }
        const QString label = document[u"label"_s].toString(u"this commit"_s);
        const int window = document[u"windowSeconds"_s].toInt();
        for (const QJsonValue& value : document[u"moments"_s].toArray()) {
            const QJsonObject m = value.toObject();
            const auto megabytes = [&m](const QString& key) {
                return m[key].toDouble() * 1024 / 1e6;
            };
            const double rssMB = megabytes(u"medianRssKiB"_s);
            const QJsonObject seen = m[u"seenAs"_s].toObject();
            int startup = 0;
            for (const QJsonValue& run : m[u"runs"_s].toArray())
                startup = std::max(startup, run[u"startupRequests"_s].toInt());
            const bool closed = m[u"moment"_s] == u"closed"_s;
            const int watched = m[u"maxWindowRequests"_s].toInt();
            const double perMinute = m[u"medianWakeupsPerSecond"_s].toDouble() * 60;
            // At most one write in five minutes, the watched window rounded up.
            const int writes = m[u"maxFileWrites"_s].toInt();
            const int allowedWrites = (window + 299) / 300;
            const QString wakeVerdict =
                closed ? u" (goal ≤ 1: "_s + verdict(perMinute <= 1) + u")"_s : QString();
            std::printf(
                "| %s | %s | %s %s | %s / %s | %s | %s | %s | %s | %s%s | %s | %d%s | %d | "
                "%d (goal ≤ %d: %s) |\n",
                qPrintable(label), m[u"inTray"_s].toBool() ? "tray icon" : "window (no tray)",
                qPrintable(m[u"moment"_s].toString()),
                qPrintable(m[u"instant"_s].toString().left(16).replace(u'T', u' ')),
                qPrintable(seen[u"gold"_s].toString(u"?"_s)),
                qPrintable(seen[u"stock"_s].toString(u"?"_s)), qPrintable(number(rssMB, 1)),
                qPrintable(verdict(rssMB <= 40)),
                qPrintable(number(megabytes(u"medianRssAnonKiB"_s), 1)),
                qPrintable(number(megabytes(u"medianPssKiB"_s), 1)),
                qPrintable(number(perMinute, 1)), qPrintable(wakeVerdict),
                qPrintable(number(m[u"medianCpuPercent"_s].toDouble(), 2)), watched,
                closed ? (watched == 0 ? " (goal 0: met)" : " (goal 0: **missed**)") : "", startup,
                writes, allowedWrites, qPrintable(verdict(writes <= allowedWrites)));
        }
    }
    if (header)
        std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Markdown tables from the benchmarks' JSON."_s);
    parser.addHelpOption();
    const QCommandLineOption refresh(u"refresh"_s, u"bench_refresh JSON"_s, u"FILE"_s);
    const QCommandLineOption baseline(u"refresh-baseline"_s,
                                      u"bench_refresh JSON of an earlier commit, shown beside"_s,
                                      u"FILE"_s);
    const QCommandLineOption chart(u"chart"_s, u"bench_chart JSON (repeatable)"_s, u"FILE"_s);
    const QCommandLineOption readers(u"readers"_s, u"bench_readers JSON"_s, u"FILE"_s);
    const QCommandLineOption idle(u"idle"_s, u"bench_idle JSON (repeatable)"_s, u"FILE"_s);
    parser.addOptions({refresh, baseline, chart, readers, idle});
    parser.process(app);

    refreshTable(readJson(parser.value(refresh)), readJson(parser.value(baseline)));
    QList<QJsonObject> charts;
    for (const QString& path : parser.values(chart))
        charts.append(readJson(path));
    chartTable(charts);
    readersTable(readJson(parser.value(readers)));
    QList<QJsonObject> idles;
    for (const QString& path : parser.values(idle))
        idles.append(readJson(path));
    idleTable(idles);
    return 0;
}
