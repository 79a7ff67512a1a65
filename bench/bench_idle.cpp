// The tray app left alone: starts the real quotara executable against a
// simulated provider served from this process, with the app's clock moved
// to a chosen Shanghai moment by libfaketime, lets it settle, then watches
// it for a while: resident memory, wake-ups (context switches of all its
// threads) per minute, CPU share, the requests it sends and the files it
// rewrites under its configuration folder.
#include "BenchStats.h"
#include "BenchSupport.h"
#include "SimProvider.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Moment {
    QString name;
    QDateTime instant; // Shanghai
};

struct Settings {
    QString app;
    QString faketimeLibrary;
    QString platform; // "xcb" (a tray on the X display) or "offscreen" (no tray)
    QString label;    // which build of the app, for the report
    int settleSeconds = 20;
    int windowSeconds = 30;
    int runs = 3;
};

struct Run {
    qint64 rssKiB = -1;
    qint64 pssKiB = -1;
    qint64 rssAnonKiB = -1;
    qint64 rssFileKiB = -1;
    double wakeupsPerSecond = 0;
    double cpuPercent = 0;
    int startupRequests = 0; // during the settle period
    int windowRequests = 0;  // while watched
    int fileWrites = 0;      // files rewritten under the config folder while watched
    bool inTray = false;
    QString error;
};

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Each file under `folder` by its modification time; lock files, which a
// write takes and drops around itself, are not what it writes.
QMap<QString, QDateTime> fileTimes(const QString& folder)
{
    QMap<QString, QDateTime> times;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (!info.fileName().endsWith(u".lock"_s))
            times.insert(info.filePath(), info.lastModified());
    }
    return times;
}

// Waits `ms` while looking at the folder twice a second: how many times a
// file in it was written (a new file or a new modification time).
int countWrites(const QString& folder, int ms)
{
    QMap<QString, QDateTime> seen = fileTimes(folder);
    int writes = 0;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        const QMap<QString, QDateTime> now = fileTimes(folder);
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            writes += seen.value(it.key()) != it.value();
        seen = now;
    });
    look.start(500);
    // The window's length divides what was counted in it: a coarse timer
    // may end it early and make the same count a higher rate.
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    return writes;
}

QProcessEnvironment appEnvironment(const Settings& settings, const Moment& moment,
                                   const QString& origin, const QString& configHome)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN",
                                 "QUOTARA_UPDATE_ORIGIN", "QUOTARA_GITHUB_API_ORIGIN"})
        env.insert(QString::fromLatin1(variable), origin);
    env.insert(u"XDG_CONFIG_HOME"_s, configHome);
    env.insert(u"QT_QPA_PLATFORM"_s, settings.platform);
    // The app's wall clock starts at the moment and runs on; timers keep
    // the real monotonic clock. FAKETIME is read in the process's zone.
    env.insert(u"TZ"_s, u"Asia/Shanghai"_s);
    env.insert(u"LD_PRELOAD"_s, settings.faketimeLibrary);
    env.insert(u"FAKETIME"_s, u"@"_s + moment.instant.toString(u"yyyy-MM-dd HH:mm:ss"_s));
    env.insert(u"FAKETIME_DONT_FAKE_MONOTONIC"_s, u"1"_s);
    return env;
}

// What the app itself makes of the moment: `quotara --once` under the same
// clock, reporting the market states it saw.
QJsonObject marketStates(const Settings& settings, const Moment& moment)
{
    QTemporaryDir config;
    SimProvider sim(1);
    if (!config.isValid() || sim.listen() == 0)
        return {};
    QElapsedTimer since;
    since.start();
    sim.setClock([&] { return moment.instant.addMSecs(since.elapsed()); });
    QProcess once;
    once.setProcessEnvironment(appEnvironment(settings, moment, sim.origin(), config.path()));
    once.start(settings.app, {u"--once"_s});
    QEventLoop loop;
    QObject::connect(&once, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (once.state() != QProcess::NotRunning)
        loop.exec();
    const QJsonObject report = QJsonDocument::fromJson(once.readAllStandardOutput()).object();
    return QJsonObject{{u"gold"_s, report.value(u"goldMarketStatus"_s)},
                       {u"stock"_s, report.value(u"stockMarketStatus"_s)}};
}

Run measure(const Settings& settings, const Moment& moment)
{
    Run run;
    QTemporaryDir config;
    SimProvider sim(1);
    if (!config.isValid() || sim.listen() == 0) {
        run.error = u"no simulator"_s;
        return run;
    }
    QElapsedTimer since;
    bool watching = false;
    sim.setClock([&] { return moment.instant.addMSecs(since.isValid() ? since.elapsed() : 0); });
    QObject::connect(&sim, &SimProvider::requestReceived,
                     [&] { ++(watching ? run.windowRequests : run.startupRequests); });

    QProcess app;
    app.setProcessEnvironment(appEnvironment(settings, moment, sim.origin(), config.path()));
    since.start();
    app.start(settings.app, {});
    if (!app.waitForStarted(5000)) {
        run.error = u"quotara did not start"_s;
        return run;
    }
    const qint64 pid = app.processId();
    wait(settings.settleSeconds * 1000);

    watching = true;
    QElapsedTimer window;
    window.start();
    const qint64 switchesBefore = BenchStats::contextSwitches(pid);
    const auto cpuBefore = BenchStats::cpuTime(pid);
    run.fileWrites = countWrites(config.path(), settings.windowSeconds * 1000);
    const qint64 switchesAfter = BenchStats::contextSwitches(pid);
    const auto cpuAfter = BenchStats::cpuTime(pid);
    const double seconds = double(window.nsecsElapsed()) / 1e9;
    const BenchStats::ProcStatus status = BenchStats::status(pid);
    watching = false;

    if (app.state() != QProcess::Running || switchesBefore < 0 || switchesAfter < 0) {
        run.error = u"quotara ended early: "_s + QString::fromLocal8Bit(app.readAllStandardError());
        return run;
    }
    run.rssKiB = status.vmRssKiB;
    run.pssKiB = status.pssKiB;
    run.rssAnonKiB = status.rssAnonKiB;
    run.rssFileKiB = status.rssFileKiB;
    run.wakeupsPerSecond = double(switchesAfter - switchesBefore) / seconds;
    run.cpuPercent = 100.0 * double((cpuAfter - cpuBefore).count()) / 1e9 / seconds;

    app.terminate();
    if (!app.waitForFinished(5000)) {
        app.kill();
        app.waitForFinished(5000);
    }
    // The app says so when it found no tray and shows its panel as a window.
    run.inTray = !app.readAllStandardError().contains("no system tray");
    return run;
}

QJsonObject toJson(const Run& run)
{
    return QJsonObject{{u"rssKiB"_s, run.rssKiB},
                       {u"pssKiB"_s, run.pssKiB},
                       {u"rssAnonKiB"_s, run.rssAnonKiB},
                       {u"rssFileKiB"_s, run.rssFileKiB},
                       {u"wakeupsPerSecond"_s, run.wakeupsPerSecond},
                       {u"cpuPercent"_s, run.cpuPercent},
                       {u"startupRequests"_s, run.startupRequests},
                       {u"windowRequests"_s, run.windowRequests},
                       {u"fileWrites"_s, run.fileWrites},
                       {u"inTray"_s, run.inTray}};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Resident memory and wake-ups of the idle tray app."_s);
    parser.addHelpOption();
    const QCommandLineOption appOption(u"app"_s, u"The quotara executable."_s, u"PATH"_s);
    const QCommandLineOption faketimeOption(u"faketime-lib"_s, u"libfaketime.so.1"_s, u"PATH"_s);
    const QCommandLineOption platformOption(u"platform"_s, u"xcb or offscreen"_s, u"NAME"_s,
                                            u"xcb"_s);
    const QCommandLineOption settleOption(u"settle"_s, u"Seconds before watching."_s, u"S"_s,
                                          u"20"_s);
    const QCommandLineOption windowOption(u"window"_s, u"Seconds watched."_s, u"S"_s, u"30"_s);
    const QCommandLineOption runsOption(u"runs"_s, u"Runs per moment."_s, u"N"_s, u"3"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Write the figures here."_s, u"FILE"_s);
    const QCommandLineOption labelOption(u"label"_s, u"Which build, for the report."_s, u"TEXT"_s,
                                         u"this commit"_s);
    parser.addOptions({appOption, faketimeOption, platformOption, settleOption, windowOption,
                       runsOption, jsonOption, labelOption});
    parser.process(app);

    Settings settings;
    settings.app = parser.value(appOption);
    settings.faketimeLibrary = parser.value(faketimeOption);
    settings.platform = parser.value(platformOption);
    settings.label = parser.value(labelOption);
    settings.settleSeconds = parser.value(settleOption).toInt();
    settings.windowSeconds = parser.value(windowOption).toInt();
    settings.runs = parser.value(runsOption).toInt();
    if (settings.app.isEmpty() || !QFile::exists(settings.faketimeLibrary) ||
        settings.settleSeconds < 0 || settings.windowSeconds <= 0 || settings.runs <= 0) {
        std::fputs("bench_idle: needs --app, an existing --faketime-lib and positive durations\n",
                   stderr);
        return 2;
    }

    // A Tuesday: both markets open in the morning; in the early evening the
    // day session is over and the night session has not begun.
    const Moment moments[] = {
        {u"trading"_s, BenchSupport::shanghai(2024, 6, 4, 10, 0)},
        {u"closed"_s, BenchSupport::shanghai(2024, 6, 4, 17, 0)},
    };
    QJsonArray results;
    for (const Moment& moment : moments) {
        const QJsonObject states = marketStates(settings, moment);
        std::printf("%s (%s): the app sees gold %s, stocks %s\n", qPrintable(moment.name),
                    qPrintable(moment.instant.toString(u"yyyy-MM-dd HH:mm"_s)),
                    qPrintable(states.value(u"gold"_s).toString(u"?"_s)),
                    qPrintable(states.value(u"stock"_s).toString(u"?"_s)));
        QJsonArray runs;
        QList<double> rss, pss, anon, wakeups, cpu;
        int maxWindowRequests = 0;
        int maxFileWrites = 0;
        bool allInTray = true;
        for (int i = 0; i < settings.runs; ++i) {
            const Run run = measure(settings, moment);
            if (!run.error.isEmpty()) {
                std::fprintf(stderr, "bench_idle: %s\n", qPrintable(run.error));
                return 1;
            }
            std::printf(
                "  run %d: RSS %lld KiB (anon %lld, file %lld; PSS %lld), %.1f wake-ups/min, "
                "CPU %.3f %%, requests %d at start-up, %d watched, %d file writes "
                "watched, %s\n",
                i + 1, run.rssKiB, run.rssAnonKiB, run.rssFileKiB, run.pssKiB,
                run.wakeupsPerSecond * 60, run.cpuPercent, run.startupRequests, run.windowRequests,
                run.fileWrites, run.inTray ? "in the tray" : "as a window");
            std::fflush(stdout);
            runs.append(toJson(run));
            rss.append(double(run.rssKiB));
            pss.append(double(run.pssKiB));
            anon.append(double(run.rssAnonKiB));
            wakeups.append(run.wakeupsPerSecond);
            cpu.append(run.cpuPercent);
            maxWindowRequests = std::max(maxWindowRequests, run.windowRequests);
            maxFileWrites = std::max(maxFileWrites, run.fileWrites);
            allInTray = allInTray && run.inTray;
        }
        results.append(QJsonObject{
            {u"moment"_s, moment.name},
            {u"instant"_s, moment.instant.toString(Qt::ISODate)},
            {u"seenAs"_s, states},
            {u"runs"_s, runs},
            {u"medianRssKiB"_s, BenchStats::median(rss)},
            {u"medianPssKiB"_s, BenchStats::median(pss)},
            {u"medianRssAnonKiB"_s, BenchStats::median(anon)},
            {u"medianWakeupsPerSecond"_s, BenchStats::median(wakeups)},
            {u"medianCpuPercent"_s, BenchStats::median(cpu)},
            {u"maxWindowRequests"_s, maxWindowRequests},
            {u"maxFileWrites"_s, maxFileWrites},
            {u"inTray"_s, allInTray},
        });
    }
    const QJsonObject document{{u"platform"_s, settings.platform},
                               {u"label"_s, settings.label},
                               {u"settleSeconds"_s, settings.settleSeconds},
                               {u"windowSeconds"_s, settings.windowSeconds},
                               {u"runs"_s, settings.runs},
                               {u"moments"_s, results}};
    if (parser.isSet(jsonOption)) {
        QFile out(parser.value(jsonOption));
        if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(document).toJson()) < 0) {
            std::fputs("bench_idle: cannot write the figures\n", stderr);
            return 1;
        }
    }
    return 0;
}
