#include "TrendGeometry.h"

#include "market/Format.h"

#include <QStringTokenizer>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace TrendGeometry {

namespace {

constexpr double aStockLength = 240;   // 09:30–11:30, 13:00–15:00
constexpr double shfeGoldLength = 690; // 21:00–02:30, 09:00–15:00
constexpr double shfeGoldDayStart = 330;

// Margins of the plot inside the surface: 8 left, 4 right, 10 above and 24
// below for the ticks and time labels.
constexpr double plotLeft = 8;
constexpr double plotTop = 10;
constexpr double plotRightMargin = 4;
constexpr double plotBottomMargin = 24;

constexpr double tooltipGap = 6;
constexpr double tooltipLift = 4;
constexpr double tooltipMinTop = 12;

// An optional sign and ASCII digits only: "+9" and "-1" read, " 9" and "9a"
// do not. The times come from a JSON feed, so anything looser would only
// hide a broken record.
std::optional<qint64> readInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

double axisLength(TrendChartMode mode)
{
    return mode == TrendChartMode::aStock ? aStockLength : shfeGoldLength;
}

double breakFraction(TrendChartMode mode)
{
    return mode == TrendChartMode::aStock ? 0.5 : shfeGoldDayStart / shfeGoldLength;
}

QStringView clockPart(QStringView time)
{
    const qsizetype space = time.indexOf(u' ');
    return space < 0 ? time : time.sliced(space + 1);
}

std::optional<int> clockMinutes(QStringView time)
{
    std::optional<qint64> pieces[2];
    int count = 0;
    // Tokenising keeps this free of allocations: it runs for every point of
    // every refresh.
    for (const QStringView piece : clockPart(time).tokenize(u':', Qt::SkipEmptyParts)) {
        if (count == 2)
            return std::nullopt;
        pieces[count++] = readInteger(piece);
    }
    if (count != 2 || !pieces[0] || !pieces[1])
        return std::nullopt;
    const qint64 total = *pieces[0] * 60 + *pieces[1];
    if (*pieces[0] > std::numeric_limits<int>::max() / 60 ||
        *pieces[0] < std::numeric_limits<int>::min() / 60 ||
        total > std::numeric_limits<int>::max() || total < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(total);
}

double axisMinutes(QStringView time, TrendChartMode mode)
{
    const std::optional<int> clock = clockMinutes(time);
    if (!clock)
        return 0;
    const int t = *clock;
    if (mode == TrendChartMode::aStock) {
        // The lunch break takes no room: 13:00 lands where 11:30 does.
        const int x = t - 570;
        return x > 120 ? x - 90 : x;
    }
    // The night session opens the trading day; the hours between 02:30 and
    // 09:00 collapse into the break.
    if (t >= 1260)
        return t - 1260;
    if (t <= 150)
        return t + 180;
    if (t >= 540)
        return t - 540 + shfeGoldDayStart;
    return shfeGoldDayStart;
}

QList<TimeLabel> labels(TrendChartMode mode)
{
    if (mode == TrendChartMode::aStock)
        return {{u"09:30"_s, 0},
                {u"10:30"_s, 0.25},
                {u"11:30/13:00"_s, 0.5},
                {u"14:00"_s, 0.75},
                {u"15:00"_s, 1}};
    return {
        {u"21:00"_s, 0}, {u"02:30/09:00"_s, shfeGoldDayStart / shfeGoldLength}, {u"15:00"_s, 1}};
}

Range valueRange(const TrendData& data)
{
    double lo = data.preClose;
    double hi = data.preClose;
    for (const TrendPoint& point : data.points) {
        lo = std::min(lo, point.price);
        hi = std::max(hi, point.price);
        // A zero average means the feed has none for that minute.
        if (point.avgPrice > 0) {
            lo = std::min(lo, point.avgPrice);
            hi = std::max(hi, point.avgPrice);
        }
    }
    const double span = hi - lo;
    const double pad = span > 0 ? span * 0.1 : hi * 0.001;
    return {lo - pad, hi + pad};
}

Plot plot(QSizeF surface)
{
    return {plotLeft, plotTop, surface.width() - plotLeft - plotRightMargin,
            surface.height() - plotTop - plotBottomMargin};
}

double xOf(const Plot& plot, double minutes, TrendChartMode mode)
{
    return plot.left + plot.width * minutes / axisLength(mode);
}

double yOf(const Plot& plot, const Range& range, double value)
{
    const double span = range.hi - range.lo;
    // Only a day of zero prices has no span; keep it drawable.
    if (span == 0 || !std::isfinite(span))
        return plot.bottom() - plot.height / 2;
    return plot.bottom() - plot.height * (value - range.lo) / span;
}

int nearestPoint(const QList<double>& xs, double mouseX)
{
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i < xs.size(); ++i) {
        const double distance = std::abs(xs[i] - mouseX);
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
        }
    }
    return best;
}

QPointF tooltipOrigin(QPointF pointPos, QSizeF box, const Plot& plot)
{
    double x = pointPos.x() + tooltipGap;
    if (plot.right() < x + box.width())
        x = pointPos.x() - box.width() - tooltipGap;
    const double y = std::max(pointPos.y() - box.height() - tooltipLift, tooltipMinTop);
    return {x, y};
}

QStringList hoverLines(const TrendPoint& point, double preClose, TrendChartMode mode)
{
    const QString currency = mode == TrendChartMode::shfeGold ? u"¥"_s : QString();
    QStringList lines{clockPart(point.time).toString() + u"  "_s + currency +
                      Format::price(point.price)};
    if (point.avgPrice > 0)
        lines.append(u"均价 "_s + Format::price(point.avgPrice));
    lines.append(u"昨收 "_s + Format::price(preClose));
    return lines;
}

QString caption(QStringView lastTime)
{
    QString text = u"最后更新 "_s;
    const qsizetype space = lastTime.indexOf(u' ');
    if (space < 0)
        return text += lastTime;
    const QStringView clock = lastTime.sliced(space + 1);
    const QList<QStringView> date = lastTime.first(space).split(u'-', Qt::SkipEmptyParts);
    if (date.size() >= 3) {
        text += date[1];
        text += u'/';
        text += date[2];
        text += u' ';
    }
    return text += clock;
}

bool acceptHover(std::optional<double> current, double x, double secondsSinceLast)
{
    if (secondsSinceLast < hoverInterval)
        return false;
    return !current || std::abs(*current - x) >= hoverMinMove;
}

} // namespace TrendGeometry
