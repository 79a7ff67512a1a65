// Repaints of the gold tab's intraday chart, inside the real panel laid out
// on the offscreen platform, drawn into an image as the backing store would
// be: a repaint alone, and a pointer move with the repaint it causes.
#include "BenchStats.h"
#include "BenchSupport.h"
#include "SimAnswers.h"
#include "SimProvider.h"
#include "app/MenuBarController.h"
#include "market/TrendReader.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/TrendChart.h"

#include <QApplication>
#include <QImage>
#include <QJsonDocument>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace std::chrono_literals;

namespace {

struct Panel {
    std::unique_ptr<SimProvider> sim;
    std::unique_ptr<MenuBarController> controller;
    std::unique_ptr<MainPanelView> view;
    TrendChart* goldChart = nullptr;
    std::chrono::nanoseconds chartClock{1s};
};

Panel* g_panel = nullptr;

// The panel after one refresh at `instant`, gold tab in front.
bool buildPanel(Panel& panel, const QDateTime& instant)
{
    panel.sim = std::make_unique<SimProvider>(1);
    if (panel.sim->listen() == 0)
        return false;
    panel.sim->setClock([instant] { return instant; });
    for (const char* variable : {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN",
                                 "QUOTARA_UPDATE_ORIGIN", "QUOTARA_GITHUB_API_ORIGIN"})
        qputenv(variable, panel.sim->origin().toUtf8());
    panel.controller = std::make_unique<MenuBarController>(MenuBarController::Options{
        .now = [instant] { return instant; }, .timeout = 10s, .startTimers = false});
    BenchSupport::run(panel.controller->cycle().refresh());
    if (panel.controller->market().errorMessage() || !panel.controller->market().goldTrendData())
        return false;

    panel.view = std::make_unique<MainPanelView>(*panel.controller);
    panel.view->resize(MainPanelView::panelWidth, MainPanelView::panelHeight);
    panel.view->setAttribute(Qt::WA_DontShowOnScreen);
    panel.view->show();
    panel.view->setTab(Tab::gold);
    QCoreApplication::processEvents();
    for (TrendChart* chart : panel.view->findChildren<TrendChart*>()) {
        if (chart->mode() == TrendChartMode::shfeGold && chart->isVisibleTo(panel.view.get()))
            panel.goldChart = chart;
    }
    if (!panel.goldChart)
        return false;
    // Pointer moves pass the hover throttle only as time goes by; the
    // benchmark moves this clock on instead of waiting.
    panel.goldChart->setClock([&panel] { return panel.chartClock; });
    return true;
}

void leave(TrendChart& chart)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(chart.surface(), &event);
}

void moveTo(TrendChart& chart, double x)
{
    const QPointF at(x, TrendChart::surfaceHeight / 2.0);
    QMouseEvent event(QEvent::MouseMove, at, chart.surface()->mapToGlobal(at), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart.surface(), &event);
}

void report(benchmark::State& state, const QList<double>& samplesMs, qsizetype points, double dpr)
{
    state.counters["points"] = double(points);
    state.counters["dpr"] = dpr;
    state.counters["median_ms"] = BenchStats::median(samplesMs);
    state.counters["p95_ms"] = BenchStats::percentile(samplesMs, 0.95);
}

enum class Repaint {
    newData, // a refresh brought the day again with its last minute moved
    same,    // nothing changed: the panel was uncovered or scrolled
    hover,   // a pointer move that passes the throttle
};

// Each iteration is one change and the repaint it causes, drawn into an
// image at the surface's own pixel ratio as its backing store would be.
void repaint(benchmark::State& state, TrendData data, Repaint kind)
{
    TrendChart& chart = *g_panel->goldChart;
    chart.setTrend(data);
    leave(chart);
    QWidget* surface = chart.surface();
    const qreal dpr = surface->devicePixelRatioF();
    QImage image(surface->size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    surface->render(&image);

    TrendData moved = data;
    moved.points.last().price += 0.02;
    const TrendData* versions[] = {&data, &moved};
    const int width = surface->width();
    QList<double> samples;
    int step = 0;
    for (auto _ : state) {
        ++step;
        // Across the plot and back, in steps no pointer would skip.
        const double x = 4 + (step * 7) % (width - 8);
        g_panel->chartClock += 50ms;
        QElapsedTimer timer;
        timer.start();
        if (kind == Repaint::newData)
            chart.setTrend(*versions[step % 2]);
        else if (kind == Repaint::hover)
            moveTo(chart, x);
        surface->render(&image);
        const qint64 ns = timer.nsecsElapsed();
        state.SetIterationTime(double(ns) / 1e9);
        samples.append(double(ns) / 1e6);
    }
    if (kind == Repaint::hover && !chart.hoverX())
        state.SkipWithError("the pointer moves did not reach the chart");
    report(state, samples, data.points.size(), dpr);
}

// The last `count` minute lines of the simulated gold contract: several
// trading days over one day's axis, more than the tab ever draws.
TrendData goldMinutes(int count)
{
    const SimAnswers answers;
    const QByteArray body =
        answers.trend(QStringLiteral("113.aum"), 3, BenchSupport::shanghai(2024, 6, 5, 15, 30));
    TrendReader::Trend trend = TrendReader::read(QJsonDocument::fromJson(body).object(),
                                                 QStringLiteral("黄金分时线解析失败"));
    return TrendData{QStringLiteral("沪金主连"),
                     trend.preClose,
                     trend.points.last(std::min<qsizetype>(count, trend.points.size())),
                     {}};
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchSupport::useScratchPreferences();
    QApplication app(argc, argv);

    // After the day session: the tab shows the whole trading day.
    Panel panel;
    if (!buildPanel(panel, BenchSupport::shanghai(2024, 6, 4, 15, 30))) {
        std::fputs("bench_chart: the gold tab did not get its chart\n", stderr);
        return 1;
    }
    g_panel = &panel;

    const TrendData goldDay = *panel.controller->market().goldTrendData();
    const TrendData stress = goldMinutes(1400);
    const QSize size = panel.goldChart->surface()->size();
    std::printf("chart surface %dx%d at pixel ratio %.2f; gold day %lld points; stress set %lld "
                "points\n",
                size.width(), size.height(), panel.goldChart->surface()->devicePixelRatioF(),
                qlonglong(goldDay.points.size()), qlonglong(stress.points.size()));
    // A HiDPI screen is measured in a run of its own, with QT_SCALE_FACTOR=2.
    const bool hidpi = panel.goldChart->surface()->devicePixelRatioF() > 1;
    const struct {
        const char* name;
        Repaint kind;
    } kinds[] = {{"new_data", Repaint::newData},
                 {"same_data", Repaint::same},
                 {"hover_move", Repaint::hover}};
    const struct {
        const char* name;
        const TrendData& data;
    } sets[] = {{"1400_points", stress}, {"gold_day", goldDay}};
    for (const auto& set : sets) {
        for (const auto& kind : kinds) {
            const std::string name =
                std::string(kind.name) + '/' + set.name + (hidpi ? "/hidpi" : "");
            benchmark::RegisterBenchmark(name.c_str(), repaint, set.data, kind.kind)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_panel = nullptr;
    return 0;
}
