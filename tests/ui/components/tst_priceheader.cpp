#include "PaintProbe.h"
#include "ui/panel/MarketStatusBadge.h"
#include "ui/panel/Palette.h"
#include "ui/panel/PriceHeader.h"

#include <QTest>

using namespace Qt::StringLiterals;

using ColorFn = QColor (*)();
Q_DECLARE_METATYPE(ColorFn)
Q_DECLARE_METATYPE(std::optional<MarketStatus>)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestPriceHeader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void colourBySign_data();
    void colourBySign();
    void noChange();
    void optionalParts_data();
    void optionalParts();
};

void TestPriceHeader::colourBySign_data()
{
    QTest::addColumn<double>("pct");
    QTest::addColumn<QString>("change");
    QTest::addColumn<ColorFn>("color");
    QTest::newRow("rise") << 1.5 << u"+1.50%"_s << ColorFn(&Palette::up);
    QTest::newRow("fall") << -0.3 << u"-0.30%"_s << ColorFn(&Palette::down);
    QTest::newRow("unchanged") << 0.0 << u"+0.00%"_s << ColorFn(&Palette::flat);
}

void TestPriceHeader::colourBySign()
{
    QFETCH(double, pct);
    QFETCH(QString, change);
    QFETCH(ColorFn, color);

    PriceHeader header;
    header.setPrice(u"¥1004.20"_s);
    header.resize(372, header.sizeHint().height());
    QCOMPARE(header.changeText(), QString());
    const int inkBefore = PaintProbe::countPixels(&header, color(), 0);
    header.setChangePct(pct);

    QCOMPARE(header.priceText(), u"¥1004.20"_s);
    QCOMPARE(header.changeText(), change);
    QCOMPARE(header.priceColor(), color());
    QCOMPARE(header.changeColor(), color());
    // What is painted, too: 34 px bold glyphs are solid in places.
    if (pct != 0)
        QVERIFY(PaintProbe::countPixels(&header, color(), 0) > inkBefore + 50);
}

// A board whose provider has no change yet: "--", and the price neither red
// nor green, also after a change was shown.
void TestPriceHeader::noChange()
{
    PriceHeader header;
    header.setPrice(u"--"_s);
    header.setChangePct(1.5);
    header.setChangePct(std::nullopt);
    QCOMPARE(header.changeText(), u"--"_s);
    QCOMPARE(header.priceColor(), Palette::flat());
    QCOMPARE(header.changeColor(), Palette::flat());
}

void TestPriceHeader::optionalParts_data()
{
    using Status = std::optional<MarketStatus>;
    using Note = std::optional<QString>;
    QTest::addColumn<Status>("status");
    QTest::addColumn<Note>("secondary");
    QTest::newRow("neither") << Status() << Note();
    QTest::newRow("badge only") << Status(MarketStatus::trading) << Note();
    QTest::newRow("secondary only") << Status() << Note(u"估值 14:32"_s);
    QTest::newRow("both") << Status(MarketStatus::delayed) << Note(u"估值 14:32"_s);
}

void TestPriceHeader::optionalParts()
{
    QFETCH(std::optional<MarketStatus>, status);
    QFETCH(std::optional<QString>, secondary);

    PriceHeader header;
    // Both shown first, so that taking them away is tested too.
    header.setMarketStatus(MarketStatus::closed);
    header.setSecondary(u"旧"_s);
    header.setMarketStatus(status);
    header.setSecondary(secondary);

    QCOMPARE(header.hasBadge(), status.has_value());
    if (status)
        QCOMPARE(header.badge()->status(), *status);
    QCOMPARE(header.hasSecondary(), secondary.has_value());
    QCOMPARE(header.secondaryText(), secondary.value_or(QString()));
}

QTEST_MAIN(TestPriceHeader)
#include "tst_priceheader.moc"
