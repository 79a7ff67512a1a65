// Full refresh cycles of the controller against quotara-sim running in a
// process of its own (so that serving costs this process nothing), which
// waits L ms before every answer: wall time per cycle, the same over the
// cycle's dependent round trips, and this process's CPU time per cycle.
#include "BenchStats.h"
#include "BenchSupport.h"
#include "SimCatalog.h"
#include "app/MenuBarController.h"
#include "market/NetworkClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QProcess>

#include <benchmark/benchmark.h>

using namespace std::chrono_literals;

namespace {

// The answers one cycle waits for one after the other: the funds' values,
// their holdings (in parallel), the holdings' changes. The quotes, the
// trends and the board overview are asked for alongside the funds' values.
constexpr int kDependentRoundTrips = 3;
constexpr int kWarmUpCycles = 2;

QString simExecutable()
{
    const QString fromEnvironment = qEnvironmentVariable("QUOTARA_SIM");
    return fromEnvironment.isEmpty() ? QStringLiteral(QUOTARA_SIM_EXECUTABLE) : fromEnvironment;
}

// quotara-sim in its own process for one benchmark run.
class SimProcess {
public:
    // Empty when it did not start.
    QString start(int latencyMs)
    {
        m_process.start(simExecutable(),
                        {QStringLiteral("--latency"), QString::number(latencyMs),
                         QStringLiteral("--at"), QStringLiteral("2024-06-04T10:00")});
        if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(5000))
            return {};
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    qint64 pid() const { return m_process.processId(); }
    ~SimProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

void fullRefresh(benchmark::State& state)
{
    const int latency = int(state.range(0));
    // 0: the default watch list (three funds); otherwise every simulated fund.
    const bool allFunds = state.range(1) != 0;
    SimProcess sim;
    const QString origin = sim.start(latency);
    if (origin.isEmpty()) {
        state.SkipWithError("quotara-sim did not start");
        return;
    }
    for (const char* variable : {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN",
                                 "QUOTARA_UPDATE_ORIGIN", "QUOTARA_GITHUB_API_ORIGIN"})
        qputenv(variable, origin.toUtf8());

    // Both markets open, the simulator's clock and ours in step.
    const QDateTime start = BenchSupport::shanghai(2024, 6, 4, 10, 0);
    QElapsedTimer since;
    since.start();
    MenuBarController controller(MenuBarController::Options{
        .now = [start, since] { return start.addMSecs(since.elapsed()); },
        .timeout = 10s,
        .startTimers = false});
    WatchConfig watched = WatchConfig::defaultConfig();
    if (allFunds) {
        watched.funds.clear();
        for (const SimCatalog::Fund& fund : SimCatalog::instance().funds())
            watched.funds.append({fund.code, fund.name});
    }
    controller.configStore().setConfig(watched);

    int requests = 0;
    const auto counting = QObject::connect(&NetworkClient::sharedManager(),
                                           &QNetworkAccessManager::finished, [&] { ++requests; });
    // Connections opened, caches filled: what a running app has.
    for (int i = 0; i < kWarmUpCycles; ++i)
        BenchSupport::run(controller.cycle().refresh());
    if (controller.market().errorMessage() || controller.market().fundErrorMessage() ||
        controller.market().funds().isEmpty()) {
        QObject::disconnect(counting);
        state.SkipWithError("the refresh failed against the simulator");
        return;
    }
    requests = 0;

    QList<double> wallMs;
    const auto cpuBefore = BenchStats::cpuTime();
    const auto simCpuBefore = BenchStats::cpuTime(sim.pid());
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        BenchSupport::run(controller.cycle().refresh());
        const qint64 ns = timer.nsecsElapsed();
        state.SetIterationTime(double(ns) / 1e9);
        wallMs.append(double(ns) / 1e6);
        if (controller.market().errorMessage()) {
            state.SkipWithError("a measured refresh failed");
            break;
        }
    }
    const auto cpu = BenchStats::cpuTime() - cpuBefore;
    // Serving is the simulator's work, not the app's, but on the same cores
    // it also makes the cycle longer.
    const auto simCpu = BenchStats::cpuTime(sim.pid()) - simCpuBefore;
    QObject::disconnect(counting);
    if (wallMs.isEmpty())
        return;

    const double cycles = double(wallMs.size());
    const double median = BenchStats::median(wallMs);
    state.counters["latency_ms"] = latency;
    state.counters["funds"] = double(watched.funds.size());
    state.counters["wall_median_ms"] = median;
    state.counters["wall_p95_ms"] = BenchStats::percentile(wallMs, 0.95);
    state.counters["over_latency_ms"] = median - kDependentRoundTrips * latency;
    if (latency > 0)
        state.counters["ratio"] = median / (kDependentRoundTrips * latency);
    state.counters["cpu_ms"] = double(cpu.count()) / 1e6 / cycles;
    state.counters["sim_cpu_ms"] = double(simCpu.count()) / 1e6 / cycles;
    state.counters["requests"] = double(requests) / cycles;
}

} // namespace

// More funds than Qt opens connections to one host (six) ask for their
// holdings in two rounds.
BENCHMARK(fullRefresh)
    ->ArgNames({"L", "all_funds"})
    ->Args({0, 0})
    ->Args({20, 0})
    ->Args({50, 0})
    ->Args({100, 0})
    ->Args({50, 1})
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    BenchSupport::useScratchPreferences();
    QCoreApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
