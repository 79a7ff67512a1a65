#include "ui/panel/PolylinePainter.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

using PolylinePainter::Polyline;

namespace {

// Many short segments, as a day of minutes makes: a gentle rise from (4, 20)
// to (96, 26) in logical pixels, or, crossing, a loop over itself.
QList<QPointF> path(bool crossing)
{
    QList<QPointF> points;
    for (int i = 0; i <= 46; ++i)
        points.append(QPointF(4 + 2 * i, 20 + 6.0 * i / 46));
    if (crossing) {
        // Back to the left, down through the rise and up again.
        points.append({{40, 36}, {50, 8}});
    }
    return points;
}

QImage draw(const Polyline& line, double ratio)
{
    QImage image(QSize(100, 40) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PolylinePainter::draw(painter, line);
    return image;
}

// The line's cover of device column `x`: alpha summed down the column.
double columnCover(const QImage& image, int x)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        sum += qAlpha(image.pixel(x, y)) / 255.0;
    return sum;
}

double strongestAlpha(const QImage& image)
{
    int strongest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            strongest = std::max(strongest, qAlpha(image.pixel(x, y)));
    return strongest / 255.0;
}

} // namespace

class TestPolylinePainter : public QObject {
    Q_OBJECT
private slots:
    void weightAndOpacity_data();
    void weightAndOpacity();
    void dashes_data();
    void dashes();
};

void TestPolylinePainter::weightAndOpacity_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<double>("alpha");
    QTest::addColumn<bool>("crossing");
    // The chart's price line (opaque, 1 px) and average (60 %, 0.8 px) on
    // the screens people have; each drawn in one of three ways.
    QTest::newRow("price, plain screen") << 1.0 << 1.0 << 1.0 << false;
    QTest::newRow("price, 150 %") << 1.0 << 1.5 << 1.0 << false;
    QTest::newRow("price, HiDPI") << 1.0 << 2.0 << 1.0 << false;
    QTest::newRow("price, 175 %") << 1.0 << 1.75 << 1.0 << false;
    QTest::newRow("price, 300 %") << 1.0 << 3.0 << 1.0 << false;
    QTest::newRow("average, plain screen") << 0.8 << 1.0 << 0.6 << false;
    QTest::newRow("average, 150 %") << 0.8 << 1.5 << 0.6 << false;
    QTest::newRow("average, HiDPI") << 0.8 << 2.0 << 0.6 << false;
    QTest::newRow("average, 300 %") << 0.8 << 3.0 << 0.6 << false;
    QTest::newRow("translucent, crossing itself, HiDPI") << 1.0 << 2.0 << 0.5 << true;
    QTest::newRow("translucent, crossing itself, 300 %") << 1.0 << 3.0 << 0.5 << true;
}

void TestPolylinePainter::weightAndOpacity()
{
    QFETCH(double, width);
    QFETCH(double, ratio);
    QFETCH(double, alpha);
    QFETCH(bool, crossing);
    const QList<QPointF> points = path(crossing);
    QColor colour(230, 180, 40);
    colour.setAlphaF(float(alpha));
    const QImage image = draw({points.constData(), int(points.size()), colour, width}, ratio);

    // A line of width w covers w device pixels of a column; lines below one
    // device pixel are drawn a pixel wide but fainter. The loop's way back
    // runs over x 40 to 96.
    const double expected = width * ratio;
    const QList<double> columns =
        crossing ? QList<double>{12.5, 30.5} : QList<double>{12.5, 30.5, 70.5, 88.5};
    for (const double x : columns) {
        const double cover = columnCover(image, int(x * ratio)) / alpha;
        QVERIFY2(cover > 0.75 * expected && cover < 1.3 * expected,
                 qPrintable(QStringLiteral("column %1: %2 device pixels, not %3")
                                .arg(x)
                                .arg(cover)
                                .arg(expected)));
    }
    // Nowhere stronger than its colour, not even where it crosses itself.
    QVERIFY2(strongestAlpha(image) <= alpha + 0.02,
             qPrintable(QString::number(strongestAlpha(image))));
    QVERIFY(strongestAlpha(image) > 0.9 * alpha * std::min(1.0, expected));
}

void TestPolylinePainter::dashes_data()
{
    QTest::addColumn<double>("ratio");
    QTest::newRow("plain screen") << 1.0;
    QTest::newRow("HiDPI") << 2.0;
}

void TestPolylinePainter::dashes()
{
    QFETCH(double, ratio);
    // Two pixels on, two off, along a level line: about half the columns it
    // spans are drawn, in runs of about two logical pixels.
    QList<QPointF> points;
    for (int i = 0; i <= 40; ++i)
        points.append(QPointF(10 + 2 * i, 20.5));
    QColor colour(255, 149, 0);
    colour.setAlphaF(0.6f);
    const QImage image = draw({points.constData(), int(points.size()), colour, 0.8, 2, 2}, ratio);
    int drawn = 0;
    int runs = 0;
    bool inRun = false;
    const int first = int(12 * ratio);
    const int last = int(88 * ratio);
    for (int x = first; x < last; ++x) {
        const bool on = columnCover(image, x) > 0.15;
        drawn += on;
        runs += on && !inRun;
        inRun = on;
    }
    const double share = double(drawn) / (last - first);
    QVERIFY2(share > 0.35 && share < 0.65, qPrintable(QString::number(share)));
    // 76 px of a 4 px period: 19 dashes, give or take the ends.
    QVERIFY2(runs >= 17 && runs <= 21, qPrintable(QString::number(runs)));
}

QTEST_MAIN(TestPolylinePainter)
#include "tst_polylinepainter.moc"
