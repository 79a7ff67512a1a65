#pragma once

#include "market/QuoteRecords.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <optional>

// Which trading day the time axis spans.
enum class TrendChartMode {
    aStock,   // 09:30–11:30 and 13:00–15:00, the lunch break folded away
    shfeGold, // night session 21:00–02:30, then 09:00–15:00
};

// Where things go on the intraday chart, kept free of widgets so that every
// rule can be checked without painting.
namespace TrendGeometry {

// A time below the axis. `fraction` is its place along the axis, 0 to 1.
struct TimeLabel {
    QString text;
    double fraction = 0;
};

// The values the plot spans from bottom to top.
struct Range {
    double lo = 0;
    double hi = 0;
};

// The plot area inside the drawing surface; the margins leave room for the
// time labels below it.
struct Plot {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
    QRectF rect() const { return {left, top, width, height}; }
};

// Seconds that must pass between two hover updates, and how far the pointer
// must move for one to count.
inline constexpr double hoverInterval = 0.033;
inline constexpr double hoverMinMove = 0.5;

// Minutes the axis spans: the trading minutes of one day.
double axisLength(TrendChartMode mode);
// Where the break divider sits along the axis, 0 to 1.
double breakFraction(TrendChartMode mode);

// The clock part of a point's time: the text after the first space, or all
// of it ("2024-06-03 09:31" → "09:31").
QStringView clockPart(QStringView time);
// 60·h + m of a clock part reading exactly "h:m"; nothing for anything else.
std::optional<int> clockMinutes(QStringView time);
// The point's place on the axis in minutes since the session opened; 0 for a
// time that does not read.
double axisMinutes(QStringView time, TrendChartMode mode);

QList<TimeLabel> labels(TrendChartMode mode);

// Every price, every positive average and the previous close, with a tenth
// of the span above and below. A day that never moved gets a thousandth of
// its price instead, so that the flat line sits mid-plot.
Range valueRange(const TrendData& data);

Plot plot(QSizeF surface);
double xOf(const Plot& plot, double minutes, TrendChartMode mode);
double yOf(const Plot& plot, const Range& range, double value);

// The index of the x closest to mouseX, the earlier one on a tie; -1 when
// there is none.
int nearestPoint(const QList<double>& xs, double mouseX);

// The tooltip's top-left: right of the point unless that would leave the
// plot, and never closer than 12 px to the top.
QPointF tooltipOrigin(QPointF pointPos, QSizeF box, const Plot& plot);

// "最后更新 01/02 09:31" for a last point at "2024-01-02 09:31".
QString caption(QStringView lastTime);

// The hover tooltip's lines: time and price, the average when there is one,
// the previous close. Gold's price is money ("¥"); a board's index is not.
QStringList hoverLines(const TrendPoint& point, double preClose, TrendChartMode mode);

// Whether a pointer move to x replaces the hover position `current`.
bool acceptHover(std::optional<double> current, double x, double secondsSinceLast);

} // namespace TrendGeometry
