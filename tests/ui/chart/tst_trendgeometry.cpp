#include "ui/panel/TrendGeometry.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using namespace TrendGeometry;

namespace {

const double inf = std::numeric_limits<double>::infinity();
const double none = std::numeric_limits<double>::quiet_NaN();

TrendPoint at(double price, double avgPrice = 0)
{
    return {u"2024-06-03 09:30"_s, price, avgPrice, 0, 0};
}

} // namespace

class TestTrendGeometry : public QObject {
    Q_OBJECT
private slots:
    void axisMinutes_data();
    void axisMinutes();
    void valueRange_data();
    void valueRange();
    void nearestPoint_data();
    void nearestPoint();
    void tooltipOrigin_data();
    void tooltipOrigin();
    void caption_data();
    void caption();
    void hoverLines_data();
    void hoverLines();
    void acceptHover_data();
    void acceptHover();
};

void TestTrendGeometry::axisMinutes_data()
{
    QTest::addColumn<bool>("gold");
    QTest::addColumn<QString>("time");
    QTest::addColumn<double>("minutes");

    QTest::newRow("a open") << false << u"2024-06-03 09:30"_s << 0.0;
    QTest::newRow("a morning close") << false << u"2024-06-03 11:30"_s << 120.0;
    QTest::newRow("a afternoon open") << false << u"2024-06-03 13:00"_s << 120.0;
    QTest::newRow("a close") << false << u"2024-06-03 15:00"_s << 240.0;
    QTest::newRow("a no date") << false << u"10:05"_s << 35.0;
    QTest::newRow("a empty pieces dropped") << false << u"d :10::05:"_s << 35.0;
    QTest::newRow("a seconds") << false << u"2024-06-03 10:05:00"_s << 0.0;
    QTest::newRow("a garbage") << false << u"soon"_s << 0.0;
    QTest::newRow("a inner space") << false << u"d 10: 05"_s << 0.0;
    QTest::newRow("a overflow") << false << u"99999999999999999999:00"_s << 0.0;
    QTest::newRow("g night open") << true << u"2024-06-03 21:00"_s << 0.0;
    QTest::newRow("g midnight") << true << u"2024-06-04 00:00"_s << 180.0;
    QTest::newRow("g night close") << true << u"2024-06-04 02:30"_s << 330.0;
    QTest::newRow("g after night") << true << u"2024-06-04 02:31"_s << 330.0;
    QTest::newRow("g before day") << true << u"2024-06-04 08:59"_s << 330.0;
    QTest::newRow("g day open") << true << u"2024-06-04 09:00"_s << 330.0;
    QTest::newRow("g close") << true << u"2024-06-04 15:00"_s << 690.0;
    QTest::newRow("g seconds") << true << u"2024-06-04 10:15:00"_s << 0.0;
}

void TestTrendGeometry::axisMinutes()
{
    QFETCH(bool, gold);
    QFETCH(QString, time);
    QFETCH(double, minutes);
    const auto mode = gold ? TrendChartMode::shfeGold : TrendChartMode::aStock;
    QCOMPARE(TrendGeometry::axisMinutes(time, mode), minutes);
}

void TestTrendGeometry::valueRange_data()
{
    QTest::addColumn<double>("preClose");
    QTest::addColumn<QList<TrendPoint>>("points");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");

    QTest::newRow("around the close") << 100.0 << QList{at(101), at(98)} << 97.7 << 101.3;
    QTest::newRow("averages count") << 100.0 << QList{at(100, 90), at(100, 120)} << 87.0 << 123.0;
    QTest::newRow("zero averages not") << 100.0 << QList{at(101), at(99)} << 98.8 << 101.2;
    // A thousandth of the price, so that the flat line sits mid-plot.
    QTest::newRow("flat day") << 500.0 << QList{at(500), at(500)} << 499.5 << 500.5;
}

void TestTrendGeometry::valueRange()
{
    QFETCH(double, preClose);
    QFETCH(QList<TrendPoint>, points);
    QFETCH(double, lo);
    QFETCH(double, hi);
    const Range range = TrendGeometry::valueRange({u"x"_s, preClose, points, {}});
    QCOMPARE(range.lo, lo);
    QCOMPARE(range.hi, hi);
}

void TestTrendGeometry::nearestPoint_data()
{
    QTest::addColumn<QList<double>>("xs");
    QTest::addColumn<double>("mouseX");
    QTest::addColumn<int>("index");

    QTest::newRow("none") << QList<double>{} << 5.0 << -1;
    QTest::newRow("closest") << QList<double>{10, 20, 30} << 16.0 << 1;
    QTest::newRow("tie: earlier") << QList<double>{10, 20, 30} << 25.0 << 1;
    QTest::newRow("same x: first") << QList<double>{10, 20, 20, 30} << 21.0 << 1;
}

void TestTrendGeometry::nearestPoint()
{
    QFETCH(QList<double>, xs);
    QFETCH(double, mouseX);
    QFETCH(int, index);
    QCOMPARE(TrendGeometry::nearestPoint(xs, mouseX), index);
}

void TestTrendGeometry::tooltipOrigin_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QPointF>("origin");

    // An 80 × 34 box on a 400 × 130 surface, whose plot ends at x 396.
    QTest::newRow("right of the point") << QPointF(100, 80) << QPointF(106, 42);
    QTest::newRow("just fits") << QPointF(310, 80) << QPointF(316, 42);
    QTest::newRow("flips left") << QPointF(311, 80) << QPointF(225, 42);
    QTest::newRow("kept off the top") << QPointF(100, 20) << QPointF(106, 12);
}

void TestTrendGeometry::tooltipOrigin()
{
    QFETCH(QPointF, point);
    QFETCH(QPointF, origin);
    QCOMPARE(TrendGeometry::tooltipOrigin(point, QSizeF(80, 34), plot(QSizeF(400, 130))), origin);
}

void TestTrendGeometry::caption_data()
{
    QTest::addColumn<QString>("lastTime");
    QTest::addColumn<QString>("text");

    QTest::newRow("full date") << u"2024-01-02 09:31"_s << u"最后更新 01/02 09:31"_s;
    QTest::newRow("short date") << u"01-02 09:31"_s << u"最后更新 09:31"_s;
    QTest::newRow("no date") << u"09:31"_s << u"最后更新 09:31"_s;
}

void TestTrendGeometry::caption()
{
    QFETCH(QString, lastTime);
    QFETCH(QString, text);
    QCOMPARE(TrendGeometry::caption(lastTime), text);
}

void TestTrendGeometry::hoverLines_data()
{
    QTest::addColumn<bool>("gold");
    QTest::addColumn<double>("avgPrice");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("gold is money")
        << true << 560.4 << QStringList{u"21:05  ¥561.25"_s, u"均价 560.40"_s, u"昨收 555.00"_s};
    QTest::newRow("a board's index is not")
        << false << 0.0 << QStringList{u"21:05  561.25"_s, u"昨收 555.00"_s};
}

void TestTrendGeometry::hoverLines()
{
    QFETCH(bool, gold);
    QFETCH(double, avgPrice);
    QFETCH(QStringList, lines);
    const TrendPoint point{.time = u"2024-06-03 21:05"_s, .price = 561.25, .avgPrice = avgPrice};
    const auto mode = gold ? TrendChartMode::shfeGold : TrendChartMode::aStock;
    QCOMPARE(TrendGeometry::hoverLines(point, 555, mode), lines);
}

void TestTrendGeometry::acceptHover_data()
{
    QTest::addColumn<double>("current"); // NaN: no hover yet
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("first move") << none << 100.0 << inf << true;
    QTest::newRow("too soon") << 50.0 << 100.0 << 0.032 << false;
    QTest::newRow("just in time") << 50.0 << 100.0 << 0.033 << true;
    QTest::newRow("0.4 px") << 100.0 << 100.4 << 1.0 << false;
    QTest::newRow("0.5 px") << 100.0 << 99.5 << 1.0 << true;
}

void TestTrendGeometry::acceptHover()
{
    QFETCH(double, current);
    QFETCH(double, x);
    QFETCH(double, seconds);
    QFETCH(bool, accepted);
    const auto hover = std::isnan(current) ? std::nullopt : std::optional(current);
    QCOMPARE(TrendGeometry::acceptHover(hover, x, seconds), accepted);
}

QTEST_APPLESS_MAIN(TestTrendGeometry)
#include "tst_trendgeometry.moc"
