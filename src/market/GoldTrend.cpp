#include "GoldTrend.h"

#include <QDate>
#include <QMap>

#include <algorithm>

namespace GoldTrend {

namespace {

struct StampParts {
    QStringView date;
    QStringView time; // may be empty
};

std::optional<StampParts> split(QStringView dt)
{
    const QList<QStringView> pieces = dt.split(u' ', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;
    return StampParts{pieces[0], pieces.size() > 1 ? pieces[1] : QStringView()};
}

// Optional sign and decimal digits, nothing else.
std::optional<int> strictInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size() || text.size() - i > 9)
        return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

std::optional<int> hourOf(QStringView dt)
{
    const auto parts = split(dt);
    if (!parts)
        return std::nullopt;
    const QList<QStringView> pieces = parts->time.split(u':', Qt::SkipEmptyParts);
    return strictInteger(pieces.isEmpty() ? QStringView(u"0") : pieces[0]);
}

std::optional<QString> tradingDayKey(QStringView dt)
{
    const auto parts = split(dt);
    if (!parts)
        return std::nullopt;
    const auto hour = hourOf(dt);
    if (hour && *hour >= 21) {
        // Shanghai keeps no daylight saving time, so a plain calendar step
        // is the same as stepping a day in that zone.
        const QDate date = QDate::fromString(parts->date.toString(), QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            return date.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    }
    return parts->date.toString();
}

QList<RawPoint> chooseTradingDay(const QList<RawPoint>& points)
{
    QMap<QString, QList<RawPoint>> byDay;
    for (const RawPoint& point : points) {
        if (const auto key = tradingDayKey(point.dt))
            byDay[*key].append(point);
    }
    if (byDay.isEmpty())
        return {};

    auto hasDaySession = [](const QList<RawPoint>& day) {
        return std::any_of(day.begin(), day.end(), [](const RawPoint& p) {
            const auto hour = hourOf(p.dt);
            return hour && *hour >= 9 && *hour <= 14;
        });
    };
    // QMap keeps keys ascending; walk them latest first.
    QList<RawPoint> chosen = std::prev(byDay.end()).value();
    for (auto it = byDay.end(); it != byDay.begin();) {
        --it;
        if (hasDaySession(it.value())) {
            chosen = it.value();
            break;
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const RawPoint& a, const RawPoint& b) { return a.dt < b.dt; });
    return chosen;
}

} // namespace GoldTrend
