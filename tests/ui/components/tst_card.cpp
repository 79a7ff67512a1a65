#include "PaintProbe.h"
#include "ui/panel/Card.h"
#include "ui/panel/Palette.h"

#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

class TestCard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void replacingContent();
    void staysCharcoalOnALightDesktop();
};

void TestCard::replacingContent()
{
    QPointer<QWidget> first = new QWidget;
    Card card(Card::Kind::Market, first);
    auto* second = new QWidget;
    card.setContent(second);
    QVERIFY(first.isNull());
    QCOMPARE(card.contentLayout()->indexOf(second), 0);
    // Content its owner deleted is not deleted again.
    delete second;
    QCOMPARE(card.content(), nullptr);
    card.setContent(new QWidget);
}

void TestCard::staysCharcoalOnALightDesktop()
{
    // One card across the switches: it used to take a light desktop's base
    // colour, and is now the panel's charcoal on any desktop.
    Card card(Card::Kind::Market);
    card.resize(100, 60);
    const QColor charcoal = PaintProbe::pixelAt(&card, {50, 30});
    PROBE_COMPARE_COLOR(charcoal, Palette::cardBackground());
    QApplication::setPalette(PaintProbe::desktopPalette(false));
    PROBE_COMPARE_COLOR(PaintProbe::pixelAt(&card, {50, 30}), charcoal);
    QApplication::setPalette(PaintProbe::desktopPalette(true));
    PROBE_COMPARE_COLOR(PaintProbe::pixelAt(&card, {50, 30}), charcoal);
}

QTEST_MAIN(TestCard)
#include "tst_card.moc"
