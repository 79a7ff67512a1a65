#pragma once

#include "TrendGeometry.h"
#include "market/QuoteRecords.h"

#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QPointF>
#include <QStaticText>
#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

class QLabel;
class QPainter;

// The intraday trend of one instrument: price and average lines over the
// trading day against the previous close, with a crosshair tooltip that
// follows the pointer. Below the plot sits the time of the last point.
class TrendChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int surfaceHeight = 130;

    // A monotonic clock; the hover throttle measures with it.
    using Clock = std::function<std::chrono::nanoseconds()>;

    explicit TrendChart(TrendChartMode mode = TrendChartMode::aStock, QWidget* parent = nullptr);
    ~TrendChart() override;

    TrendChartMode mode() const { return m_mode; }

    // A new day or a refresh of the same one. The hover position stays: the
    // pointer has not moved just because new data arrived.
    void setTrend(const TrendData& data);

    // The pointer's x on the drawing surface while it hovers there.
    std::optional<double> hoverX() const { return m_hoverX; }

    // The plot itself; pointer events are handled there.
    QWidget* surface() const;
    // Replaces the clock the hover throttle reads.
    void setClock(Clock clock);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    class Surface;

    void paintSurface(QPainter& painter, QSizeF size);
    // Everything but the time labels and the hover marks, into m_plot.
    void paintPlot(QPainter& painter, const TrendGeometry::Plot& plot,
                   const TrendGeometry::Range& range);
    void paintLabels(QPainter& painter, const TrendGeometry::Plot& plot);
    void drawHover(QPainter& painter, const TrendGeometry::Plot& plot,
                   const TrendGeometry::Range& range, double mouseX);
    void hoverMoved(double x);
    void hoverLeft();
    void updateState();

    const TrendChartMode m_mode;
    const QList<TrendGeometry::TimeLabel> m_labels;
    QList<QStaticText> m_labelTexts;
    TrendData m_data;
    // Axis minutes of every point, read once per setTrend rather than on
    // every paint.
    QList<double> m_minutes;
    // Scratch buffers of the paint, kept between paints so that a repaint
    // does not allocate per point.
    QList<double> m_xs;
    QList<QPointF> m_pricePoints;
    QList<QPointF> m_averagePoints;
    // The plot as last drawn, at the device's pixel ratio. It changes only
    // with the data, the size and the palette, while a pointer move repaints
    // many times a second: a move lays its marks over this picture instead
    // of stroking every line again. Null when it must be drawn afresh.
    QPixmap m_plot;

    QFont m_labelFont;
    QFont m_tooltipFont;

    Surface* m_surface = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_empty = nullptr;

    std::optional<double> m_hoverX;
    std::optional<std::chrono::nanoseconds> m_lastHoverUpdate;
    QElapsedTimer m_elapsed;
    Clock m_clock;
};
