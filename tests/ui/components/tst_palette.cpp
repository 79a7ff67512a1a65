#include "PaintProbe.h"
#include "ui/panel/Palette.h"

#include <QTest>

#include <limits>

using ColorFn = QColor (*)();
Q_DECLARE_METATYPE(ColorFn)

class TestPalette : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void trend_data();
    void trend();
    void appearance_data();
    void appearance();
    void textIsReadable_data();
    void textIsReadable();
};

void TestPalette::trend_data()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    QTest::addColumn<double>("value");
    QTest::addColumn<ColorFn>("expected");
    QTest::newRow("zero") << 0.0 << ColorFn(&Palette::flat);
    QTest::newRow("negative zero") << -0.0 << ColorFn(&Palette::flat);
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << ColorFn(&Palette::flat);
    QTest::newRow("small fall") << -0.01 << ColorFn(&Palette::down);
    QTest::newRow("small rise") << 0.01 << ColorFn(&Palette::up);
    QTest::newRow("+inf") << inf << ColorFn(&Palette::up);
    QTest::newRow("-inf") << -inf << ColorFn(&Palette::down);
}

void TestPalette::trend()
{
    QFETCH(double, value);
    QFETCH(ColorFn, expected);
    QCOMPARE(Palette::trend(value), expected());
    // A rise is red and a fall green, the reverse of Western charts.
    QVERIFY(Palette::up().red() > 2 * Palette::up().green());
    QVERIFY(Palette::down().green() > 2 * Palette::down().red());
}

void TestPalette::appearance_data()
{
    // The role a light desktop's palette supplies, or -1 for a fixed colour.
    QTest::addColumn<ColorFn>("color");
    QTest::addColumn<int>("lightRole");
    QTest::newRow("panelBackground") << ColorFn(&Palette::panelBackground) << int(QPalette::Window);
    QTest::newRow("cardBackground") << ColorFn(&Palette::cardBackground) << int(QPalette::Base);
    QTest::newRow("brandGold") << ColorFn(&Palette::brandGold) << -1;
    QTest::newRow("brandGoldBright") << ColorFn(&Palette::brandGoldBright) << -1;
    QTest::newRow("brandGoldDim") << ColorFn(&Palette::brandGoldDim) << -1;
    QTest::newRow("brandSelectedBG") << ColorFn(&Palette::brandSelectedBG) << -1;
    QTest::newRow("zebraLight") << ColorFn(&Palette::zebraLight) << -1;
    QTest::newRow("zebraDark") << ColorFn(&Palette::zebraDark) << -1;
    QTest::newRow("cardBorder") << ColorFn(&Palette::cardBorder) << -1;
    QTest::newRow("up") << ColorFn(&Palette::up) << -1;
    QTest::newRow("down") << ColorFn(&Palette::down) << -1;
    QTest::newRow("amber") << ColorFn(&Palette::amber) << -1;
}

void TestPalette::appearance()
{
    QFETCH(ColorFn, color);
    QFETCH(int, lightRole);

    const QPalette darkDesktop = PaintProbe::desktopPalette(true);
    QApplication::setPalette(darkDesktop);
    QVERIFY(Palette::isDarkAppearance());
    const QColor dark = color();
    QApplication::setPalette(PaintProbe::desktopPalette(false));
    QVERIFY(!Palette::isDarkAppearance());

    if (lightRole < 0) {
        QCOMPARE(color(), dark);
    } else {
        const auto role = QPalette::ColorRole(lightRole);
        QCOMPARE(color(), QApplication::palette().color(role));
        // Dark, it is the panel's own charcoal rather than the desktop's grey.
        QVERIFY(dark != darkDesktop.color(role));
    }
}

void TestPalette::textIsReadable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("dark") << true;
    QTest::newRow("light") << false;
}

void TestPalette::textIsReadable()
{
    QFETCH(bool, dark);
    QApplication::setPalette(PaintProbe::desktopPalette(dark));
    QCOMPARE(Palette::flat(), Palette::secondaryText());
    for (const QColor& surface : {Palette::panelBackground(), Palette::cardBackground()}) {
        const auto contrast = [&](const QColor& text) {
            return std::abs(PaintProbe::over(text, surface).lightness() - surface.lightness());
        };
        QVERIFY(contrast(Palette::secondaryText()) > 60);
        QVERIFY(contrast(Palette::primaryText()) > contrast(Palette::secondaryText()));
    }
}

QTEST_MAIN(TestPalette)
#include "tst_palette.moc"
