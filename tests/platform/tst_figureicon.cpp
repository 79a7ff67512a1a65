#include "platform/FigureIcon.h"
#include "ui/panel/Palette.h"

#include <QTest>

using namespace Qt::StringLiterals;
using FigureIcon::Direction;

Q_DECLARE_METATYPE(FigureIcon::Direction)

namespace {

const QColor digitColour(0xF2, 0xF2, 0xF7);

QImage rendered(const QString& title, int size)
{
    return FigureIcon::render(title, size).convertToFormat(QImage::Format_ARGB32);
}

// The runs of columns that hold a digit pixel, below the arrow band.
QList<std::pair<int, int>> digitColumns(const QImage& image)
{
    QList<std::pair<int, int>> runs;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        bool lit = false;
        for (int y = image.height() / 3; x < image.width() && y < image.height() && !lit; ++y)
            lit = image.pixelColor(x, y) == digitColour;
        if (lit && start < 0)
            start = x;
        if (!lit && start >= 0) {
            runs.append({start, x - 1});
            start = -1;
        }
    }
    return runs;
}

// Rows holding a pixel of `colour`, with the number of such pixels in each.
QList<int> rowWidths(const QImage& image, const QColor& colour)
{
    QList<int> widths;
    for (int y = 0; y < image.height(); ++y) {
        int width = 0;
        for (int x = 0; x < image.width(); ++x)
            width += image.pixelColor(x, y) == colour;
        if (width > 0)
            widths.append(width);
    }
    return widths;
}

} // namespace

class TestFigureIcon : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void digitsStayApart_data();
    void digitsStayApart();
    void direction_data();
    void direction();
    void onlyTheWholePartMatters();
    void iconHoldsEverySize();
};

void TestFigureIcon::read_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<QString>("whole");
    QTest::newRow("rising gold") << u"▲ 612.35"_s << Direction::up << u"612"_s;
    QTest::newRow("falling board") << u"▼ 1523.40"_s << Direction::down << u"1523"_s;
    QTest::newRow("closed") << u"612.35"_s << Direction::none << u"612"_s;
    QTest::newRow("no decimals") << u"▲ 8"_s << Direction::up << u"8"_s;
    QTest::newRow("no data yet") << u"--"_s << Direction::none << u"--"_s;
    QTest::newRow("empty") << QString() << Direction::none << u"--"_s;
    QTest::newRow("arrow without a number") << u"▲ --"_s << Direction::none << u"--"_s;
    QTest::newRow("trailing point") << u"612."_s << Direction::none << u"--"_s;
    QTest::newRow("not a number") << u"沪金"_s << Direction::none << u"--"_s;
    QTest::newRow("full-width digits") << u"６１２.３５"_s << Direction::none << u"--"_s;
    // The day's profit in whole yuan.
    QTest::newRow("a gain, grouped") << u"▲ +1,234"_s << Direction::up << u"1234"_s;
    QTest::newRow("a loss") << u"▼ -57"_s << Direction::down << u"57"_s;
    QTest::newRow("a loss, closed") << u"-12,345,678"_s << Direction::none << u"12345678"_s;
    QTest::newRow("amounts hidden") << u"▲ ****"_s << Direction::none << u"--"_s;
    QTest::newRow("a separator not between digits") << u"▲ +1,"_s << Direction::none << u"--"_s;
}

void TestFigureIcon::read()
{
    QFETCH(QString, title);
    QFETCH(Direction, direction);
    QFETCH(QString, whole);
    QCOMPARE(FigureIcon::read(title), (FigureIcon::Figure{direction, whole}));
}

// What makes the icon legible in a tray slot: one separate block per digit,
// none of them touching the edge of the picture.
void TestFigureIcon::digitsStayApart_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("digits");
    for (int size : FigureIcon::sizes()) {
        const QByteArray s = QByteArray::number(size);
        QTest::newRow("gold " + s) << u"▲ 612.35"_s << size << 3;
        QTest::newRow("board " + s) << u"▼ 1523.40"_s << size << 4;
        QTest::newRow("eights " + s) << u"888.88"_s << size << 3;
        QTest::newRow("no data " + s) << u"--"_s << size << 2;
        if (size >= 22)
            QTest::newRow("five digits " + s) << u"▲ 12045.10"_s << size << 5;
    }
}

void TestFigureIcon::digitsStayApart()
{
    QFETCH(QString, title);
    QFETCH(int, size);
    QFETCH(int, digits);
    const QImage image = rendered(title, size);
    QCOMPARE(image.size(), QSize(size, size));
    for (const QPoint corner : {QPoint(0, 0), QPoint(size - 1, size - 1)})
        QVERIFY(image.pixelColor(corner).alpha() < 32); // rounded off

    const auto runs = digitColumns(image);
    QCOMPARE(runs.size(), digits);
    QVERIFY2(runs.first().first >= 1 && runs.last().second <= size - 2,
             qPrintable(
                 u"digits from column %1 to %2"_s.arg(runs.first().first).arg(runs.last().second)));
}

void TestFigureIcon::direction_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("arrow"); // 1 ▲ red, -1 ▼ green, 0 none
    QTest::newRow("rise") << u"▲ 612.35"_s << 1;
    QTest::newRow("fall") << u"▼ 612.35"_s << -1;
    QTest::newRow("closed") << u"612.35"_s << 0;
    QTest::newRow("no data") << u"--"_s << 0;
}

void TestFigureIcon::direction()
{
    QFETCH(QString, title);
    QFETCH(int, arrow);
    for (int size : FigureIcon::sizes()) {
        const QImage image = rendered(title, size);
        const QList<int> red = rowWidths(image, Palette::up());
        const QList<int> green = rowWidths(image, Palette::down());
        const QList<int>& drawn = arrow > 0 ? red : green;
        QCOMPARE((arrow > 0 ? green : red).size(), 0);
        if (arrow == 0) {
            QCOMPARE(drawn.size(), 0);
            continue;
        }
        // A triangle a quarter of the icon high, pointing the right way.
        QVERIFY2(drawn.size() >= size / 4, qPrintable(QString::number(size)));
        QCOMPARE(drawn.first() < drawn.last(), arrow > 0);
    }
}

void TestFigureIcon::onlyTheWholePartMatters()
{
    const QImage base = rendered(u"▲ 612.35"_s, 22);
    QCOMPARE(rendered(u"▲ 612.99"_s, 22), base);
    QVERIFY(rendered(u"▲ 613.35"_s, 22) != base);
    QVERIFY(rendered(u"▼ 612.35"_s, 22) != base);
    QVERIFY(rendered(u"612.35"_s, 22) != base);
}

void TestFigureIcon::iconHoldsEverySize()
{
    const QIcon icon = FigureIcon::icon(u"▲ 612.35"_s);
    for (int size : FigureIcon::sizes()) {
        // Drawn for the size, not scaled from another one.
        QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                 rendered(u"▲ 612.35"_s, size));
    }
}

QTEST_MAIN(TestFigureIcon)
#include "tst_figureicon.moc"
