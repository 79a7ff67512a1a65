#include "ui/components/PaintProbe.h"
#include "ui/panel/Palette.h"
#include "ui/panel/TrendChart.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QColor background(42, 47, 50);

// An A-share day of `minutes` points, one a minute from 09:30 with the lunch
// break skipped, moving by `step` a minute from a close of 100.
TrendData aStockDay(int minutes, double step)
{
    TrendData data{u"沪深300"_s, 100, {}, {}};
    for (int i = 0; i < minutes; ++i) {
        const int t = i <= 120 ? 570 + i : 660 + i;
        const QString time =
            u"2024-06-03 %1:%2"_s.arg(t / 60, 2, 10, QChar(u'0')).arg(t % 60, 2, 10, QChar(u'0'));
        data.points.append({time, 100 + step * (i + 1), 0, 0, 0});
    }
    return data;
}

// How strongly `pixel` shows `colour` over the background, 0 to 1; -1 when
// it is some other colour, e.g. green for red.
double strength(QColor pixel, QColor colour)
{
    const int p[3] = {pixel.red(), pixel.green(), pixel.blue()};
    const int c[3] = {colour.red(), colour.green(), colour.blue()};
    const int b[3] = {background.red(), background.green(), background.blue()};
    int key = 0;
    for (int i = 1; i < 3; ++i)
        if (std::abs(c[i] - b[i]) > std::abs(c[key] - b[key]))
            key = i;
    const double a = double(p[key] - b[key]) / (c[key] - b[key]);
    for (int i = 0; i < 3; ++i)
        if (std::abs(b[i] + a * (c[i] - b[i]) - p[i]) > 10)
            return -1;
    return a;
}

} // namespace

class TestTrendChart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void sparseDays_data();
    void sparseDays();
    void lineColour_data();
    void lineColour();
    void restOfDayShaded_data();
    void restOfDayShaded();
    void hoverThrottle_data();
    void hoverThrottle();
    void tooltip();
    void redrawnAfterChanges_data();
    void redrawnAfterChanges();

private:
    QImage render() const { return m_chart->surface()->grab().toImage(); }
    void moveTo(double x) const
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 50), QPointF(x, 50), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_chart->surface(), &move);
    }

    std::unique_ptr<TrendChart> m_chart;
    std::chrono::nanoseconds m_now{};
};

void TestTrendChart::initTestCase()
{
    // A dark card, as in the panel, behind every pixel.
    QPalette palette;
    palette.setColor(QPalette::Window, background);
    QApplication::setPalette(palette);
}

void TestTrendChart::init()
{
    m_chart = std::make_unique<TrendChart>(TrendChartMode::aStock);
    m_now = 1s;
    m_chart->setClock([this] { return m_now; });
    m_chart->resize(400, 200);
    m_chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
}

void TestTrendChart::sparseDays_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << u"暂无分时数据"_s;
    QTest::newRow("one") << 1 << u"最后更新 06/03 09:30"_s;
}

void TestTrendChart::sparseDays()
{
    QFETCH(int, points);
    QFETCH(QString, text);
    m_chart->setTrend(aStockDay(10, 0.1));
    m_chart->setTrend(aStockDay(points, 0.1));
    QStringList shown;
    for (const QLabel* label : m_chart->findChildren<QLabel*>())
        if (label->isVisibleTo(m_chart.get()))
            shown.append(label->text());
    QCOMPARE(shown, QStringList{text});
    QCOMPARE(m_chart->surface()->isVisibleTo(m_chart.get()), points > 0);
    if (points == 0)
        return;
    // One point draws no line; pointing at it still shows the cross-hair
    // and the tooltip.
    const QImage still = render();
    QCOMPARE(still.size(), QSize(400, TrendChart::surfaceHeight));
    for (int y = 0; y < still.height(); ++y)
        for (int x = 0; x < still.width(); ++x)
            QCOMPARE(still.pixelColor(x, y), background);
    moveTo(8);
    const QImage hovered = render();
    int marked = 0;
    for (int y = 0; y < hovered.height(); ++y)
        for (int x = 0; x < hovered.width(); ++x)
            marked += hovered.pixelColor(x, y) != background;
    QVERIFY(marked > 100);
}

void TestTrendChart::lineColour_data()
{
    QTest::addColumn<double>("step");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("rising: red") << 0.05 << Palette::up();
    QTest::newRow("falling: green") << -0.05 << Palette::down();
    QTest::newRow("flat") << 0.0 << Palette::flat();
}

void TestTrendChart::lineColour()
{
    QFETCH(double, step);
    QFETCH(QColor, colour);
    m_chart->setTrend(aStockDay(241, step));
    const QImage image = render();
    // Columns clear of the grid, the break and the last-point marker.
    for (const int x : {46, 163, 240, 357}) {
        double best = -1;
        for (int y = 10; y < 106; ++y)
            best = std::max(best, strength(image.pixelColor(x, y), colour));
        QVERIFY2(best >= 0.45, qPrintable(u"column %1: %2"_s.arg(x).arg(best)));
    }
}

void TestTrendChart::restOfDayShaded_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<bool>("shaded");
    QTest::newRow("until 11:30") << 121 << true;
    QTest::newRow("until 15:00") << 241 << false;
}

void TestTrendChart::restOfDayShaded()
{
    QFETCH(int, minutes);
    QFETCH(bool, shaded);
    m_chart->setTrend(aStockDay(minutes, 0.05));
    const QImage image = render();
    // Just inside the frame's top, above every price.
    QCOMPARE(image.pixelColor(46, 14), background);
    const QColor right = image.pixelColor(320, 14);
    QCOMPARE(right != background, shaded);
    if (shaded)
        QVERIFY(strength(right, QColor(128, 128, 128)) > 0);
}

void TestTrendChart::hoverThrottle_data()
{
    // Each move: milliseconds since the previous one, and the pointer's x.
    QTest::addColumn<QList<QPointF>>("moves");
    QTest::addColumn<double>("hover");
    QTest::newRow("small move restarts the wait")
        << QList<QPointF>{{0, 100}, {40, 100.4}, {20, 150}} << 100.0;
    QTest::newRow("early move does not") << QList<QPointF>{{0, 100}, {20, 150}, {20, 160}} << 160.0;
}

void TestTrendChart::hoverThrottle()
{
    QFETCH(QList<QPointF>, moves);
    QFETCH(double, hover);
    m_chart->setTrend(aStockDay(241, 0.05));
    for (const QPointF& move : moves) {
        m_now += std::chrono::milliseconds(int(move.x()));
        moveTo(move.y());
    }
    QCOMPARE(m_chart->hoverX(), hover);
}

void TestTrendChart::tooltip()
{
    const TrendData day = aStockDay(241, 0.05);
    m_chart->setTrend(day);
    // x 100 is nearest minute 57. Its box of two lines is 34 px high, right
    // of the point; its left padding holds no text.
    const auto plot = TrendGeometry::plot(QSizeF(400, TrendChart::surfaceHeight));
    const double px = TrendGeometry::xOf(plot, 57, TrendChartMode::aStock);
    const double py = TrendGeometry::yOf(plot, TrendGeometry::valueRange(day), 100 + 0.05 * 58);
    const QPoint inBox(int(px + 8), int(std::max(py - 38, 12.0) + 17));
    const auto dark = [&] { return render().pixelColor(inBox).lightness() < 20; };
    QVERIFY(!dark());

    moveTo(100);
    QCOMPARE(m_chart->hoverX(), 100.0);
    QVERIFY(dark());

    // A refresh leaves the pointer where it is.
    TrendData refreshed = day;
    refreshed.points.last().price += 0.01;
    m_chart->setTrend(refreshed);
    QCOMPARE(m_chart->hoverX(), 100.0);
    QVERIFY(dark());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_chart->surface(), &leave);
    QCOMPARE(m_chart->hoverX(), std::nullopt);
    QVERIFY(!dark());
}

void TestTrendChart::redrawnAfterChanges_data()
{
    // The plot is kept as a picture between paints; after each change the
    // chart must look exactly like a new chart given the same state.
    QTest::addColumn<QString>("change");
    QTest::newRow("new data") << u"data"_s;
    QTest::newRow("same data again") << u"same"_s;
    QTest::newRow("narrower") << u"resize"_s;
    QTest::newRow("light desktop palette") << u"palette"_s;
    QTest::newRow("hidden and shown again") << u"hide"_s;
    QTest::newRow("pointer came and left") << u"hover"_s;
}

void TestTrendChart::redrawnAfterChanges()
{
    QFETCH(QString, change);
    const QPalette dark = QApplication::palette();
    TrendData data = aStockDay(241, 0);
    m_chart->setTrend(data);
    const QImage before = render();

    if (change == u"data") {
        data = aStockDay(121, -0.05);
        m_chart->setTrend(data);
    } else if (change == u"same") {
        m_chart->setTrend(data);
    } else if (change == u"resize") {
        m_chart->resize(300, 200);
    } else if (change == u"palette") {
        // A light desktop. What shows through the chart is its parent's
        // colour, in the panel a card's, so the chart keeps that.
        QPalette onCard = m_chart->palette();
        onCard.setColor(QPalette::Window, background);
        m_chart->setPalette(onCard);
        QPalette light = PaintProbe::desktopPalette(false);
        light.setColor(QPalette::PlaceholderText, QColor(20, 60, 200));
        QApplication::setPalette(light);
        // Widgets hear of it through posted events.
        QCoreApplication::processEvents();
    } else if (change == u"hide") {
        m_chart->hide();
        m_chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
    } else if (change == u"hover") {
        moveTo(150);
        QVERIFY(m_chart->hoverX());
        QVERIFY(render() != before);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(m_chart->surface(), &leave);
    }
    const QImage after = render();

    TrendChart fresh(TrendChartMode::aStock);
    fresh.setPalette(m_chart->palette());
    fresh.resize(m_chart->size());
    fresh.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fresh));
    fresh.setTrend(data);
    const QImage expected = fresh.surface()->grab().toImage();
    QApplication::setPalette(dark);

    QCOMPARE(after.size(), expected.size());
    QVERIFY(after == expected);
    // Each change that shows differently did show; the desktop's palette is
    // not one of them, the chart has the panel's colours on any desktop.
    QCOMPARE(after == before,
             change == u"same" || change == u"hide" || change == u"hover" || change == u"palette");
}

QTEST_MAIN(TestTrendChart)
#include "tst_trendchart.moc"
