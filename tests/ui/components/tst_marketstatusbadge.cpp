#include "PaintProbe.h"
#include "ui/panel/MarketStatusBadge.h"
#include "ui/panel/Palette.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestMarketStatusBadge : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void perStatus_data();
    void perStatus();
};

void TestMarketStatusBadge::perStatus_data()
{
    QTest::addColumn<MarketStatus>("status");
    QTest::addColumn<Closure>("closure");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("ink");
    QTest::addColumn<QColor>("fill");
    const auto tint = [](const QColor& c) {
        return PaintProbe::over(Palette::withOpacity(c, 0.15),
                                QApplication::palette().window().color());
    };
    const QColor panel = Palette::panelBackground();
    const QColor grey =
        PaintProbe::over(Palette::withOpacity(Palette::secondaryText(), 0.55), panel);
    const Closure none = Closure::none;
    QTest::newRow("trading") << MarketStatus::trading << none << u"交易中"_s << Palette::brandGold()
                             << tint(Palette::brandGold());
    QTest::newRow("delayed") << MarketStatus::delayed << none << u"数据延迟"_s << Palette::amber()
                             << tint(Palette::amber());
    QTest::newRow("break") << MarketStatus::break_ << none << u"午休"_s << grey << panel;
    QTest::newRow("closed") << MarketStatus::closed << Closure::hours << u"已收盘"_s << grey
                            << panel;
    QTest::newRow("weekend") << MarketStatus::closed << Closure::weekend << u"已收盘"_s << grey
                             << panel;
    QTest::newRow("holiday") << MarketStatus::closed << Closure::holiday << u"休市"_s << grey
                             << panel;
    QTest::newRow("make-up day") << MarketStatus::closed << Closure::makeUpDay << u"休市"_s << grey
                                 << panel;
    QTest::newRow("found closed") << MarketStatus::closed << Closure::detected << u"休市"_s << grey
                                  << panel;
}

void TestMarketStatusBadge::perStatus()
{
    QFETCH(MarketStatus, status);
    QFETCH(Closure, closure);
    QFETCH(QString, text);
    QFETCH(QColor, ink);
    QFETCH(QColor, fill);

    // From another status, so that setStatus has something to change.
    MarketStatusBadge badge(status == MarketStatus::trading ? MarketStatus::closed
                                                            : MarketStatus::trading);
    const QSize before = badge.sizeHint();
    badge.setStatus(status, closure);
    QCOMPARE(badge.text(), text);
    QCOMPARE(badge.accessibleName(), text);
    // The words differ in length, and so must the pill.
    QCOMPARE(badge.sizeHint().width() == before.width(), text.size() == 3);
    badge.resize(badge.sizeHint());

    // Inside the left padding, clear of the corners and the text.
    PROBE_COMPARE_COLOR(PaintProbe::pixelAt(&badge, QPoint(3, badge.height() / 2)), fill);
    // Strokes of a 10 px font are never solid; look for the ink loosely.
    QVERIFY(PaintProbe::countPixels(&badge, ink, 24) > 0);
}

QTEST_MAIN(TestMarketStatusBadge)
#include "tst_marketstatusbadge.moc"
