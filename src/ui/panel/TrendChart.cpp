#include "TrendChart.h"

#include "Palette.h"
#include "PanelStyle.h"
#include "PolylinePainter.h"
#include "market/Format.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using PolylinePainter::dashedPen;
using PolylinePainter::solidPen;
using TrendGeometry::Plot;
using TrendGeometry::Range;

namespace {

// The frame, grid and guide lines: one mid grey at different strengths, so
// that they read the same on any card colour.
QColor grey(double opacity)
{
    return QColor::fromRgbF(0.5f, 0.5f, 0.5f, float(opacity));
}

QColor averageColour()
{
    return QColor::fromRgbF(1.0f, 0.584f, 0.0f, 0.6f); // orange
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

constexpr double labelTop = 7; // below the axis
constexpr double tickLength = 4;
constexpr double tooltipLine = 12; // height of one tooltip line
constexpr double tooltipPadding = 5;
constexpr double tooltipRadius = 6;

} // namespace

class TrendChart::Surface : public QWidget {
public:
    explicit Surface(TrendChart& chart) : QWidget(&chart), m_chart(chart)
    {
        setFixedHeight(surfaceHeight);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_chart.paintSurface(painter, size());
    }

    void mouseMoveEvent(QMouseEvent* event) override { m_chart.hoverMoved(event->position().x()); }

    void leaveEvent(QEvent*) override { m_chart.hoverLeft(); }

private:
    TrendChart& m_chart;
};

TrendChart::TrendChart(TrendChartMode mode, QWidget* parent)
    : QWidget(parent), m_mode(mode), m_labels(TrendGeometry::labels(mode)),
      m_labelFont(PanelStyle::font(9)), m_tooltipFont(PanelStyle::font(10))
{
    // Laid out once: the labels never change, and shaping them on every
    // paint would cost more than the price line.
    for (const TrendGeometry::TimeLabel& label : m_labels) {
        QStaticText text(label.text);
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), m_labelFont);
        m_labelTexts.append(text);
    }

    m_surface = new Surface(*this);

    m_caption = new QLabel(this);
    m_caption->setFont(m_labelFont);
    m_caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_caption->setContentsMargins(0, 2, 0, 0);

    m_empty = new QLabel(u"暂无分时数据"_s, this);
    m_empty->setFont(PanelStyle::font(11));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setFixedHeight(surfaceHeight);
    setTextColour(m_caption, Palette::mutedText());
    setTextColour(m_empty, Palette::secondaryText());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_empty);
    layout->addWidget(m_surface);
    layout->addWidget(m_caption);
    // As tall as its content, whatever room a card would give it.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    m_elapsed.start();
    m_clock = [this] { return std::chrono::nanoseconds(m_elapsed.nsecsElapsed()); };
    updateState();
}

TrendChart::~TrendChart() = default;

void TrendChart::hideEvent(QHideEvent* event)
{
    // A hidden panel keeps no pictures: the tray app spends most of its
    // life with the panel closed.
    m_plot = QPixmap();
    QWidget::hideEvent(event);
}

void TrendChart::setTrend(const TrendData& data)
{
    m_data = data;
    m_plot = QPixmap();
    m_minutes.resize(m_data.points.size());
    for (qsizetype i = 0; i < m_data.points.size(); ++i)
        m_minutes[i] = TrendGeometry::axisMinutes(m_data.points[i].time, m_mode);
    updateState();
}

QWidget* TrendChart::surface() const
{
    return m_surface;
}

void TrendChart::setClock(Clock clock)
{
    m_clock = std::move(clock);
    m_lastHoverUpdate.reset();
}

void TrendChart::updateState()
{
    const bool empty = m_data.points.isEmpty();
    m_empty->setVisible(empty);
    m_surface->setVisible(!empty);
    m_caption->setVisible(!empty);
    m_caption->setText(empty ? QString() : TrendGeometry::caption(m_data.points.last().time));
    m_surface->update();
}

void TrendChart::paintSurface(QPainter& painter, QSizeF size)
{
    const qsizetype n = m_data.points.size();
    const Plot plot = TrendGeometry::plot(size);
    if (n == 0 || plot.width <= 0 || plot.height <= 0)
        return;
    const Range range = TrendGeometry::valueRange(m_data);

    const qreal ratio = painter.device()->devicePixelRatioF();
    const QSize pixels = (size * ratio).toSize();
    if (m_plot.isNull() || m_plot.size() != pixels || m_plot.devicePixelRatio() != ratio) {
        m_plot = QPixmap(pixels);
        m_plot.setDevicePixelRatio(ratio);
        m_plot.fill(Qt::transparent);
        QPainter plotPainter(&m_plot);
        paintPlot(plotPainter, plot, range);
    }
    painter.drawPixmap(QPointF(0, 0), m_plot);
    // Text is drawn straight onto the surface, where it may use subpixel
    // antialiasing, which a transparent picture cannot keep.
    if (n > 1)
        paintLabels(painter, plot);

    if (m_hoverX) {
        painter.setRenderHint(QPainter::Antialiasing);
        drawHover(painter, plot, range, *m_hoverX);
    }
}

void TrendChart::paintPlot(QPainter& painter, const Plot& plot, const Range& range)
{
    const QList<TrendPoint>& points = m_data.points;
    const qsizetype n = points.size();
    // One point makes no line (the caption below tells its time), but
    // pointing at it still reads it out.
    if (n == 1) {
        m_xs = {TrendGeometry::xOf(plot, m_minutes[0], m_mode)};
        return;
    }
    const double preClose = m_data.preClose;

    // The area polygon is the price line with one point on the axis at
    // either end, so both share one buffer: [axis, p0 … pn-1, axis].
    m_xs.resize(n);
    m_pricePoints.resize(n + 2);
    m_averagePoints.clear();
    for (qsizetype i = 0; i < n; ++i) {
        const TrendPoint& point = points[i];
        const double x = TrendGeometry::xOf(plot, m_minutes[i], m_mode);
        m_xs[i] = x;
        m_pricePoints[i + 1] = QPointF(x, TrendGeometry::yOf(plot, range, point.price));
        if (point.avgPrice > 0)
            m_averagePoints.append(QPointF(x, TrendGeometry::yOf(plot, range, point.avgPrice)));
    }
    const double firstX = m_xs.front();
    const double lastX = m_xs.back();
    m_pricePoints[0] = QPointF(firstX, plot.bottom());
    m_pricePoints[n + 1] = QPointF(lastX, plot.bottom());

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(solidPen(grey(0.12), 0.5));
    painter.drawRect(plot.rect());

    // The part of the day still to come.
    if (plot.right() - 1 > lastX)
        painter.fillRect(QRectF(lastX, plot.top, plot.right() - lastX, plot.height), grey(0.06));

    const double breakX = plot.left + plot.width * TrendGeometry::breakFraction(m_mode);
    painter.setPen(dashedPen(grey(0.15), 0.5, 4, 4));
    painter.drawLine(QLineF(breakX, plot.top, breakX, plot.bottom()));

    const double preCloseY = TrendGeometry::yOf(plot, range, preClose);
    painter.setPen(dashedPen(grey(0.4), 0.5, 3, 3));
    painter.drawLine(QLineF(plot.left, preCloseY, plot.right(), preCloseY));

    const QColor colour = Palette::trend(points.last().price - preClose);

    // At 8 % the area's edge shows no stair steps, and its top edge lies
    // under the antialiased price line; filling it aliased saves a third of
    // the paint on a long day.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::withOpacity(colour, 0.08));
    painter.drawPolygon(m_pricePoints.constData(), int(n + 2));
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setBrush(Qt::NoBrush);
    PolylinePainter::draw(painter, {m_pricePoints.constData() + 1, int(n), colour, 1});

    if (!m_averagePoints.isEmpty()) {
        PolylinePainter::draw(painter, {m_averagePoints.constData(), int(m_averagePoints.size()),
                                        averageColour(), 0.8, 2, 2});
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(m_pricePoints[n], 2.5, 2.5);
    painter.setBrush(Qt::NoBrush);

    const QPen gridPen = dashedPen(grey(0.1), 0.5, 2, 3);
    const QPen tickPen = solidPen(grey(0.5), 0.5);
    for (const TrendGeometry::TimeLabel& label : m_labels) {
        const double x = plot.left + plot.width * label.fraction;
        if (label.fraction > 0 && label.fraction < 1) {
            painter.setPen(gridPen);
            painter.drawLine(QLineF(x, plot.top, x, plot.bottom()));
        }
        painter.setPen(tickPen);
        painter.drawLine(QLineF(x, plot.bottom(), x, plot.bottom() + tickLength));
    }

    painter.setPen(solidPen(grey(0.3), 0.5));
    painter.drawLine(QLineF(plot.left, plot.bottom(), plot.right(), plot.bottom()));
}

void TrendChart::paintLabels(QPainter& painter, const Plot& plot)
{
    painter.setFont(m_labelFont);
    painter.setPen(Palette::secondaryText());
    for (qsizetype i = 0; i < m_labels.size(); ++i) {
        const double fraction = m_labels[i].fraction;
        const double x = plot.left + plot.width * fraction;
        // The first label starts at its tick, the last ends at it, the others
        // centre on it.
        const QStaticText& text = m_labelTexts[i];
        const double width = text.size().width();
        const double left = fraction <= 0 ? x : fraction >= 1 ? x - width : x - width / 2;
        painter.drawStaticText(QPointF(left, plot.bottom() + labelTop), text);
    }
}

void TrendChart::drawHover(QPainter& painter, const Plot& plot, const Range& range, double mouseX)
{
    const int index = TrendGeometry::nearestPoint(m_xs, mouseX);
    if (index < 0)
        return;
    const TrendPoint& point = m_data.points[index];
    const QPointF pos(m_xs[index], TrendGeometry::yOf(plot, range, point.price));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(dashedPen(grey(0.5), 0.5, 2, 2));
    painter.drawLine(QLineF(pos.x(), plot.top, pos.x(), plot.bottom()));
    painter.drawLine(QLineF(plot.left, pos.y(), plot.right(), pos.y()));

    painter.setPen(solidPen(Palette::trend(point.price - m_data.preClose), 1.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(pos, 3, 3);

    const QStringList lines = TrendGeometry::hoverLines(point, m_data.preClose, m_mode);
    const int count = int(lines.size());

    const QFontMetricsF metrics(m_tooltipFont);
    double widest = 0;
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, metrics.horizontalAdvance(lines[i]));
    const QSizeF box(widest + 2 * tooltipPadding, count * tooltipLine + 2 * tooltipPadding);
    const QPointF origin = TrendGeometry::tooltipOrigin(pos, box, plot);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.75f));
    painter.drawRoundedRect(QRectF(origin, box), tooltipRadius, tooltipRadius);

    painter.setFont(m_tooltipFont);
    painter.setPen(Qt::white);
    for (int i = 0; i < count; ++i) {
        const QRectF line(origin.x(), origin.y() + tooltipPadding + tooltipLine * i, box.width(),
                          tooltipLine);
        painter.drawText(line, Qt::AlignCenter, lines[i]);
    }
}

void TrendChart::hoverMoved(double x)
{
    const std::chrono::nanoseconds now = m_clock();
    const double since = m_lastHoverUpdate
                             ? std::chrono::duration<double>(now - *m_lastHoverUpdate).count()
                             : std::numeric_limits<double>::infinity();
    // Pointer moves arrive far faster than a repaint is worth; the throttle
    // restarts with every move that passes it, moved far enough or not.
    if (since < TrendGeometry::hoverInterval)
        return;
    m_lastHoverUpdate = now;
    if (!TrendGeometry::acceptHover(m_hoverX, x, since))
        return;
    m_hoverX = x;
    m_surface->update();
}

void TrendChart::hoverLeft()
{
    if (!m_hoverX)
        return;
    m_hoverX.reset();
    m_surface->update();
}
