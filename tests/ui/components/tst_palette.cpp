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
    void sameOnEveryDesktop_data();
    void sameOnEveryDesktop();
    void widgetPaletteIsComplete();
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
    QVERIFY(Palette::up().red() > Palette::up().green() + 100);
    QVERIFY(Palette::down().green() > 2 * Palette::down().red());
}

void TestPalette::sameOnEveryDesktop_data()
{
    // The panel used to take its surfaces and text from a light desktop's
    // palette; every colour is now the panel's own.
    QTest::addColumn<ColorFn>("color");
    QTest::newRow("panelBackground") << ColorFn(&Palette::panelBackground);
    QTest::newRow("cardBackground") << ColorFn(&Palette::cardBackground);
    QTest::newRow("primaryText") << ColorFn(&Palette::primaryText);
    QTest::newRow("secondaryText") << ColorFn(&Palette::secondaryText);
    QTest::newRow("mutedText") << ColorFn(&Palette::mutedText);
    QTest::newRow("flat") << ColorFn(&Palette::flat);
    QTest::newRow("brandGold") << ColorFn(&Palette::brandGold);
    QTest::newRow("zebraLight") << ColorFn(&Palette::zebraLight);
    QTest::newRow("cardBorder") << ColorFn(&Palette::cardBorder);
    QTest::newRow("up") << ColorFn(&Palette::up);
    QTest::newRow("down") << ColorFn(&Palette::down);
}

void TestPalette::sameOnEveryDesktop()
{
    QFETCH(ColorFn, color);
    QApplication::setPalette(PaintProbe::desktopPalette(true));
    const QColor onDark = color();
    const QPalette widgetsOnDark = Palette::widgetPalette();
    QApplication::setPalette(PaintProbe::desktopPalette(false));
    QCOMPARE(color(), onDark);
    QCOMPARE(Palette::widgetPalette(), widgetsOnDark);
}

void TestPalette::widgetPaletteIsComplete()
{
    // A role left unset would come from the desktop: the light wells and
    // frames a style draws from Base, Light or Midlight.
    QApplication::setPalette(PaintProbe::desktopPalette(false));
    const QPalette palette = Palette::widgetPalette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            const auto r = QPalette::ColorRole(role);
            QVERIFY2(palette.isBrushSet(group, r), qPrintable(QString::number(role)));
            // Surfaces and frames are dark; only text, links and accents are light.
            const bool light = r == QPalette::WindowText || r == QPalette::Text ||
                               r == QPalette::ButtonText || r == QPalette::ToolTipText ||
                               r == QPalette::PlaceholderText || r == QPalette::BrightText ||
                               r == QPalette::HighlightedText || r == QPalette::Link ||
                               r == QPalette::LinkVisited;
            if (!light)
                QVERIFY2(
                    palette.color(group, r).lightness() < 100,
                    qPrintable(u"role %1: %2"_s.arg(role).arg(palette.color(group, r).name())));
        }
    }
    QCOMPARE(palette.color(QPalette::Window), Palette::panelBackground());
    QCOMPARE(palette.color(QPalette::Text), Palette::primaryText());
}

void TestPalette::textIsReadable_data()
{
    QTest::addColumn<ColorFn>("text");
    QTest::addColumn<ColorFn>("surface");
    const std::pair<const char*, ColorFn> surfaces[] = {
        {"panel", &Palette::panelBackground},
        {"card", &Palette::cardBackground},
        {"zebra row", &Palette::zebraLight},
        {"dark zebra row", &Palette::zebraDark},
    };
    const std::pair<const char*, ColorFn> texts[] = {
        {"primary", &Palette::primaryText}, {"secondary", &Palette::secondaryText},
        {"muted", &Palette::mutedText},     {"rise", &Palette::up},
        {"fall", &Palette::down},           {"gold", &Palette::brandGold},
    };
    for (const auto& [textName, text] : texts) {
        for (const auto& [surfaceName, surface] : surfaces) {
            // Captions stay off the zebra rows (see Palette.h).
            if (text == &Palette::mutedText && surface == &Palette::zebraLight)
                continue;
            QTest::addRow("%s on %s", textName, surfaceName) << text << surface;
        }
    }
}

void TestPalette::textIsReadable()
{
    QFETCH(ColorFn, text);
    QFETCH(ColorFn, surface);
    // WCAG AA for body text.
    const double ratio = PaintProbe::contrastRatio(PaintProbe::over(text(), surface()), surface());
    QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio, 'f', 2)));
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
