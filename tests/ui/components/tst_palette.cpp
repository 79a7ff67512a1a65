#include "PaintProbe.h"
#include "ui/panel/PaintedLabel.h"
#include "ui/panel/Palette.h"
#include "ui/panel/PanelStyle.h"
#include "ui/panel/PriceHeader.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>

#include <limits>

using namespace Qt::StringLiterals;

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
    void chineseInSimplifiedShapes_data() { panelFonts(); }
    void chineseInSimplifiedShapes();
    void digitsOfOneWidth_data() { panelFonts(); }
    void digitsOfOneWidth();

private:
    static void panelFonts();
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

void TestPalette::panelFonts()
{
    QTest::addColumn<QFont>("font");
    // Every size and weight the panel's labels, tables and cards use.
    for (int pixels : {9, 10, 11, 12, 13, 14, 15}) {
        for (const auto& [weight, name] :
             {std::pair{QFont::Normal, "regular"}, std::pair{QFont::Medium, "medium"},
              std::pair{QFont::DemiBold, "semibold"}, std::pair{QFont::Bold, "bold"}})
            QTest::addRow("%d px %s", pixels, name) << PanelStyle::font(pixels, weight);
    }
    QTest::newRow("fund value, 28 px bold") << PanelStyle::font(28, QFont::Bold);
    QTest::newRow("price") << PriceHeader().priceFont();
    QTest::newRow("painted label") << PaintedLabel::pixelFont(13, QFont::DemiBold);
}

void TestPalette::chineseInSimplifiedShapes()
{
    QFETCH(QFont, font);
    // Under this English locale fontconfig's own choice for Han text is the
    // Japanese face.
    QCOMPARE(QLocale::system().language(), QLocale::English);
    for (const QString& text : {u"设置"_s, u"黄金 板块 基金"_s, u"净值已更新，盘中估算"_s}) {
        QTextLayout layout(text, font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        QVERIFY(!runs.isEmpty());
        for (const QGlyphRun& run : runs) {
            const QString family = run.rawFont().familyName();
            QVERIFY2(family.contains(u"SC"_s), qPrintable(text + u": "_s + family));
        }
    }
}

void TestPalette::digitsOfOneWidth()
{
    QFETCH(QFont, font);
    // A countdown or a price changing digit by digit keeps its width.
    const QFontMetricsF metrics(font);
    const qreal zero = metrics.horizontalAdvance(u"0"_s);
    QVERIFY(zero > 0);
    for (char16_t digit = u'1'; digit <= u'9'; ++digit)
        QCOMPARE(metrics.horizontalAdvance(QString(QChar(digit))), zero);
}

int main(int argc, char** argv)
{
    // An English desktop, where Chinese text would otherwise fall to a
    // Japanese face: fontconfig reads the locale from here when it starts.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication app(argc, argv);
    TestPalette test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_palette.moc"
