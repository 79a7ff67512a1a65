// Throughput of the readers on the provider's larger answers, through the
// same path as the app: QJsonDocument::fromJson, then the reader.
#include "BenchSupport.h"
#include "SimAnswers.h"
#include "market/EastMoneyParser.h"
#include "market/GoldTrend.h"
#include "market/TrendReader.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

template <typename Reader>
void decode(benchmark::State& state, const QByteArray& body, Reader reader)
{
    qsizetype items = 0;
    for (auto _ : state) {
        const QJsonObject json = QJsonDocument::fromJson(body).object();
        items = reader(json);
        benchmark::DoNotOptimize(items);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * body.size());
    state.counters["body_bytes"] = double(body.size());
    state.counters["items"] = double(items);
}

qsizetype readTrend(const QJsonObject& json)
{
    return TrendReader::read(json, QStringLiteral("分时线解析失败")).points.size();
}

// What SectorService::fetchGoldTrends does with its answer: the reader, then
// the one trading day the chart shows.
qsizetype readGoldTrend(const QJsonObject& json)
{
    const TrendReader::Trend trend = TrendReader::read(json, QStringLiteral("黄金分时线解析失败"));
    QList<GoldTrend::RawPoint> raw;
    raw.reserve(trend.points.size());
    for (const TrendPoint& p : trend.points)
        raw.append(
            {.dt = p.time, .close = p.price, .avg = p.avgPrice, .vol = p.volume, .amt = p.amount});
    return GoldTrend::chooseTradingDay(raw).size();
}

qsizetype readStocks(const QJsonObject& json)
{
    return EastMoneyParser::parseStocks(json).size();
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QCoreApplication app(argc, argv);

    // After the close, so that every answer holds its whole day.
    const QDateTime afterClose = BenchSupport::shanghai(2024, 6, 4, 15, 30);
    const SimAnswers answers;
    const struct {
        const char* name;
        QByteArray body;
        qsizetype (*reader)(const QJsonObject&);
    } cases[] = {
        {"trend/board_day", answers.trend(QStringLiteral("90.BK0475"), 1, afterClose), readTrend},
        {"trend/gold_two_days", answers.trend(QStringLiteral("113.aum"), 2, afterClose), readTrend},
        {"gold_trend/two_days_to_one", answers.trend(QStringLiteral("113.aum"), 2, afterClose),
         readGoldTrend},
        {"quote_list/40_stocks", answers.boardStocks(QStringLiteral("BK0438"), 40, afterClose),
         readStocks},
    };
    for (const auto& c : cases) {
        const qsizetype items = c.reader(QJsonDocument::fromJson(c.body).object());
        if (c.body.isEmpty() || items == 0) {
            std::fprintf(stderr, "bench_readers: no usable answer for %s\n", c.name);
            return 1;
        }
        benchmark::RegisterBenchmark(c.name, decode<decltype(c.reader)>, c.body, c.reader)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
