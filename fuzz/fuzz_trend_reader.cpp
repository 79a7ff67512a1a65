// The quote host's intraday trend answers: a board's day and the gold
// contract's two days regrouped by trading day, from the body's bytes on.
#include "FuzzCheck.h"
#include "market/FetchError.h"
#include "market/GoldTrend.h"
#include "market/JsonRead.h"
#include "market/TrendReader.h"

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QJsonObject> answer = answerObject(data, size);
    if (!answer)
        return 0;
    const QJsonObject& json = *answer;

    const QString tag = QStringLiteral("分时线解析失败");
    TrendReader::Trend trend;
    try {
        trend = TrendReader::read(json, tag);
    } catch (const FetchError& e) {
        require(e.kind() == FetchError::Kind::invalidData && e.tag() == tag,
                "an unreadable trend is invalid data with the caller's tag");
        return 0;
    }

    const QStringList lines = *JsonRead::strings(*JsonRead::object(json, "data"), "trends");
    require(trend.points.size() <= lines.size(), "at most one point per line");
    require(std::isfinite(trend.preClose), "previous close is finite");
    for (const TrendPoint& p : trend.points) {
        require(!p.time.isEmpty() && !p.time.contains(u','), "a point's stamp is one field");
        require(std::isfinite(p.price) && std::isfinite(p.avgPrice) && std::isfinite(p.volume) &&
                    std::isfinite(p.amount),
                "a point's figures are finite");
    }

    // The gold chart: the same points regrouped by trading day.
    QList<GoldTrend::RawPoint> raw;
    bool anyDay = false;
    for (const TrendPoint& p : trend.points) {
        raw.append(
            {.dt = p.time, .close = p.price, .avg = p.avgPrice, .vol = p.volume, .amt = p.amount});
        anyDay = GoldTrend::tradingDayKey(p.time).has_value() || anyDay;
        GoldTrend::hourOf(p.time);
    }
    const QList<GoldTrend::RawPoint> chosen = GoldTrend::chooseTradingDay(raw);
    require(chosen.isEmpty() != anyDay, "a trading day is chosen when any stamp names one");
    require(chosen.size() <= raw.size(), "the chosen day is part of the answer");
    require(std::is_sorted(chosen.begin(), chosen.end(),
                           [](const auto& a, const auto& b) { return a.dt < b.dt; }),
            "the chosen day is in stamp order");
    if (!chosen.isEmpty()) {
        const auto day = GoldTrend::tradingDayKey(chosen.first().dt);
        for (const GoldTrend::RawPoint& p : chosen)
            require(GoldTrend::tradingDayKey(p.dt) == day, "the chosen minutes share one day");
    }
    return 0;
}
