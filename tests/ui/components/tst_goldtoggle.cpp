#include "PaintProbe.h"
#include "ui/panel/GoldToggle.h"
#include "ui/panel/Palette.h"

#include <QSignalSpy>
#include <QTest>

class TestGoldToggle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void click_data();
    void click();
};

void TestGoldToggle::click_data()
{
    QTest::addColumn<bool>("initially");
    QTest::addColumn<qreal>("from");
    QTest::addColumn<qreal>("to");
    // The track is sampled on the side the knob has left.
    QTest::addColumn<QPoint>("trackPoint");
    QTest::addColumn<QColor>("track");
    QTest::addColumn<QColor>("knob");
    const qreal offX = 2;
    const qreal onX = GoldToggle::trackSize.width() - 15;
    const QColor faint = PaintProbe::over(Palette::withOpacity(Palette::secondaryText(), 0.3),
                                          QApplication::palette().window().color());
    QTest::newRow("off to on") << false << offX << onX << QPoint(6, 9) << Palette::brandGold()
                               << QColor::fromRgbF(0.13f, 0.15f, 0.16f);
    QTest::newRow("on to off") << true << onX << offX << QPoint(25, 9) << faint
                               << QColor(Qt::white);
}

void TestGoldToggle::click()
{
    QFETCH(bool, initially);
    QFETCH(qreal, from);
    QFETCH(qreal, to);
    QFETCH(QPoint, trackPoint);
    QFETCH(QColor, track);
    QFETCH(QColor, knob);

    GoldToggle toggle;
    toggle.setChecked(initially);
    // Set while hidden, the knob is already in place.
    QCOMPARE(toggle.knobX(), from);
    toggle.show();
    QVERIFY(QTest::qWaitForWindowExposed(&toggle));
    QSignalSpy toggled(&toggle, &GoldToggle::toggled);

    QTest::mouseClick(&toggle, Qt::LeftButton);
    QCOMPARE(toggle.isChecked(), !initially);
    QCOMPARE(toggled.count(), 1);
    // It slides rather than jumps: nothing has moved yet.
    QCOMPARE(toggle.knobX(), from);
    QTRY_COMPARE(toggle.knobX(), to);

    const QImage image = toggle.grab().toImage();
    PROBE_COMPARE_COLOR(image.pixelColor(trackPoint), track);
    PROBE_COMPARE_COLOR(image.pixelColor(int(to) + GoldToggle::knobDiameter / 2, 9), knob);
}

QTEST_MAIN(TestGoldToggle)
#include "tst_goldtoggle.moc"
