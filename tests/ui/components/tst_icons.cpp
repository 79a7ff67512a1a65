#include "PaintProbe.h"
#include "ui/panel/Icons.h"
#include "ui/panel/Palette.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    void renders_data();
    void renders();
    void iconAtEveryRatio_data();
    void iconAtEveryRatio();
    void unknownName();
};

void TestIcons::renders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QColor>("color");
    const QColor gold(0xe9, 0xb8, 0x32);
    for (const QString& name : {u"xmark"_s,
                                u"gearshape"_s,
                                u"arrow.up.circle.fill"_s,
                                u"exclamationmark.triangle.fill"_s,
                                u"wifi.exclamationmark"_s,
                                u"magnifyingglass"_s,
                                u"plus"_s,
                                u"trash"_s,
                                u"pencil"_s,
                                u"bell"_s,
                                u"chevron.right"_s,
                                u"chevron.down"_s,
                                u"minus"_s,
                                u"checkmark.circle.fill"_s,
                                u"cup.and.saucer.fill"_s,
                                u"bell.slash"_s,
                                u"bell.fill"_s,
                                u"scalemass.fill"_s,
                                u"square.grid.2x2.fill"_s,
                                u"chart.pie.fill"_s,
                                u"info.circle"_s})
        QTest::addRow("%s", qPrintable(name)) << name << 1.0 << gold;
    QTest::newRow("@2x") << u"xmark"_s << 2.0 << gold;
    QTest::newRow("@1.5x") << u"gearshape"_s << 1.5 << gold;
    QTest::newRow("translucent") << u"arrow.up.circle.fill"_s << 1.0 << QColor(255, 255, 255, 100);
}

void TestIcons::renders()
{
    QFETCH(QString, name);
    QFETCH(qreal, dpr);
    QFETCH(QColor, color);

    QVERIFY(Icons::names().contains(name));
    const QPixmap picture = Icons::pixmap(name, color, 14, dpr);
    QCOMPARE(picture.deviceIndependentSize(), QSizeF(14, 14));
    QCOMPARE(picture.width(), qCeil(14 * dpr));

    // Drawn in the colour asked for and nothing else, never more opaque than
    // it. Strokes this thin are mostly antialiased edge, whose colour is only
    // exact where the coverage is substantial.
    const QImage image = picture.toImage();
    int ink = 0, maxAlpha = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            maxAlpha = std::max(maxAlpha, pixel.alpha());
            if (pixel.alpha() >= color.alpha() / 2) {
                PROBE_COMPARE_COLOR(pixel, color);
                ++ink;
            }
        }
    }
    QVERIFY(ink >= 10 * dpr);
    QVERIFY(maxAlpha <= color.alpha() + 1);

    const QIcon icon = Icons::icon(name, color, 16);
    QCOMPARE(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
}

void TestIcons::iconAtEveryRatio_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<int>("asked"); // the room offered, in device-independent pixels
    QTest::addColumn<bool>("disabled");
    QTest::newRow("ratio 1") << 1.0 << 11 << false;
    QTest::newRow("ratio 1.25") << 1.25 << 11 << false;
    QTest::newRow("ratio 1.5") << 1.5 << 11 << false;
    QTest::newRow("ratio 2") << 2.0 << 11 << false;
    QTest::newRow("ratio 3") << 3.0 << 11 << false;
    // A style offers its default icon size; the icon keeps its own.
    QTest::newRow("more room than its size") << 1.5 << 16 << false;
    QTest::newRow("disabled") << 1.5 << 11 << true;
}

void TestIcons::iconAtEveryRatio()
{
    QFETCH(qreal, dpr);
    QFETCH(int, asked);
    QFETCH(bool, disabled);
    const QColor gold(0xe9, 0xb8, 0x32);
    const QIcon icon = Icons::icon(u"plus"_s, gold, 11);
    const QPixmap picture =
        icon.pixmap(QSize(asked, asked), dpr, disabled ? QIcon::Disabled : QIcon::Normal);
    // Drawn for the ratio asked, not a neighbour's rendering scaled: the
    // same pixels as the panel's own rendering at that ratio.
    // Given more room, it keeps its own size in the middle of it rather
    // than being enlarged.
    const QColor ink = disabled ? Palette::withOpacity(gold, 0.4) : gold;
    const QImage exact = Icons::pixmap(u"plus"_s, ink, 11, dpr).toImage();
    QCOMPARE(picture.devicePixelRatio(), dpr);
    const QImage image = picture.toImage();
    QCOMPARE(image.width(), std::max(exact.width(), qRound(asked * dpr)));
    const int offset = (image.width() - exact.width()) / 2;
    QImage middle = image.copy(offset, offset, exact.width(), exact.height());
    middle.setDevicePixelRatio(dpr);
    QCOMPARE(middle, exact);
}

void TestIcons::unknownName()
{
    QTest::ignoreMessage(QtWarningMsg, "Icons: no icon named sparkles");
    QVERIFY(Icons::pixmap(u"sparkles"_s, Qt::white, 14).isNull());
    QVERIFY(!Icons::exists(u"sparkles"_s));
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
