#include "app/PanelPlacement.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The panel is 400 × 500; screens have a top bar unless a row is about a
// bottom taskbar.
class TestPanelPlacement : public QObject {
    Q_OBJECT
private slots:
    void topLeft_data();
    void topLeft();
    void closesPanel_data();
    void closesPanel();
    void preferredPlatform_data();
    void preferredPlatform();
};

void TestPanelPlacement::topLeft_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");

    const QRect wide(0, 25, 1920, 1055);

    QTest::newRow("item at the far right") << QRect(1880, 0, 40, 25) << wide << QPoint(1516, 29);
    QTest::newRow("item at the far left") << QRect(0, 0, 30, 25) << wide << QPoint(4, 29);
    QTest::newRow("item in the middle") << QRect(900, 0, 120, 25) << wide << QPoint(760, 29);
    // Centre 919.5 − 200 = 719.5: integer halving would give 719.
    QTest::newRow("odd item width rounds") << QRect(901, 0, 37, 25) << wide << QPoint(720, 29);

    const QRect aboveTaskbar(0, 0, 1920, 1040);
    // The icon sits 4 px into the taskbar; the panel keeps its gap to the
    // taskbar's edge as it does to a top bar's.
    QTest::newRow("bottom taskbar opens above")
        << QRect(1800, 1044, 32, 32) << aboveTaskbar << QPoint(1516, 536);
    QTest::newRow("exactly fits below")
        << QRect(490, 560, 20, 36) << QRect(0, 0, 1000, 1100) << QPoint(300, 600);
    QTest::newRow("one pixel too low goes above")
        << QRect(490, 561, 20, 36) << QRect(0, 0, 1000, 1100) << QPoint(300, 57);

    // A host that tells only where the user clicked: a point in the bar.
    QTest::newRow("click point in a top bar") << QRect(1850, 12, 1, 1) << wide << QPoint(1516, 29);
    QTest::newRow("click point in a bottom bar")
        << QRect(1850, 1062, 1, 1) << aboveTaskbar << QPoint(1516, 536);

    QTest::newRow("unknown item") << QRect() << wide << QPoint(1516, 29);
    QTest::newRow("unknown item on a second screen")
        << QRect() << QRect(1920, 0, 1280, 800) << QPoint(2796, 4);
    QTest::newRow("item on a second screen")
        << QRect(3160, 0, 28, 24) << QRect(1920, 24, 1280, 776) << QPoint(2796, 28);
    QTest::newRow("screen left of the primary")
        << QRect(-600, 0, 40, 24) << QRect(-1280, 24, 1280, 1000) << QPoint(-780, 28);
    QTest::newRow("panel wider than the screen")
        << QRect(140, 0, 20, 24) << QRect(0, 24, 300, 600) << QPoint(-104, 28);
}

void TestPanelPlacement::topLeft()
{
    QFETCH(QRect, anchor);
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);
    QCOMPARE(PanelPlacement::topLeft(anchor, QSize(400, 500), available), expected);
}

void TestPanelPlacement::closesPanel_data()
{
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QList<QRect>>("otherWindows");
    QTest::addColumn<bool>("closes");

    // Item pixels x 500–539, y 300–323; the panel sits apart so that only
    // the item's margin decides the edge rows.
    const QRect item(500, 300, 40, 24);
    const QList<QRect> none;
    const QList<QRect> menu{QRect(100, 100, 200, 150)};

    QTest::newRow("on the item") << QPoint(520, 312) << item << none << false;
    QTest::newRow("3 px left of the item") << QPoint(497, 312) << item << none << false;
    QTest::newRow("4 px left of the item") << QPoint(496, 312) << item << none << false;
    QTest::newRow("5 px left of the item") << QPoint(495, 312) << item << none << true;
    QTest::newRow("3 px right of the item") << QPoint(542, 312) << item << none << false;
    QTest::newRow("4 px right of the item") << QPoint(543, 312) << item << none << false;
    QTest::newRow("5 px right of the item") << QPoint(544, 312) << item << none << true;
    QTest::newRow("4 px above the item") << QPoint(520, 296) << item << none << false;
    QTest::newRow("5 px above the item") << QPoint(520, 295) << item << none << true;
    QTest::newRow("4 px below the item") << QPoint(520, 327) << item << none << false;
    QTest::newRow("5 px below the item") << QPoint(520, 328) << item << none << true;
    QTest::newRow("corner of the margin") << QPoint(496, 296) << item << none << false;
    QTest::newRow("diagonally past the margin") << QPoint(495, 295) << item << none << true;

    QTest::newRow("in the panel") << QPoint(1200, 700) << item << none << false;
    QTest::newRow("panel's last pixel") << QPoint(1399, 899) << item << none << false;
    QTest::newRow("just right of the panel") << QPoint(1400, 700) << item << none << true;

    QTest::newRow("in a menu opened from the panel") << QPoint(150, 120) << item << menu << false;
    QTest::newRow("beside that menu") << QPoint(301, 120) << item << menu << true;

    // Growing an unknown (null) rectangle would make an 8 × 8 square at the origin.
    QTest::newRow("unknown item, click near the origin") << QPoint(2, 2) << QRect() << none << true;
}

void TestPanelPlacement::closesPanel()
{
    QFETCH(QPoint, click);
    QFETCH(QRect, anchor);
    QFETCH(QList<QRect>, otherWindows);
    QFETCH(bool, closes);
    const QRect panel(1000, 400, 400, 500);
    QCOMPARE(PanelPlacement::closesPanel(click, anchor, panel, otherWindows), closes);
}

void TestPanelPlacement::preferredPlatform_data()
{
    QTest::addColumn<QStringList>("environment"); // NAME=value
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("platform"); // empty: leave Qt's choice

    const QStringList wayland{u"XDG_SESSION_TYPE=wayland"_s, u"WAYLAND_DISPLAY=wayland-0"_s};
    QTest::newRow("wayland with xwayland")
        << wayland + QStringList{u"DISPLAY=:0"_s} << QStringList{} << QByteArray("xcb");
    QTest::newRow("wayland display only")
        << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:1"_s} << QStringList{}
        << QByteArray("xcb");
    QTest::newRow("wayland without xwayland") << wayland << QStringList{} << QByteArray();
    QTest::newRow("the user chose wayland")
        << wayland + QStringList{u"DISPLAY=:0"_s, u"QT_QPA_PLATFORM=wayland"_s} << QStringList{}
        << QByteArray();
    QTest::newRow("a -platform argument")
        << wayland + QStringList{u"DISPLAY=:0"_s} << QStringList{u"-platform"_s, u"wayland"_s}
        << QByteArray();
    QTest::newRow("x11 session") << QStringList{u"XDG_SESSION_TYPE=x11"_s, u"DISPLAY=:0"_s}
                                 << QStringList{} << QByteArray();
}

void TestPanelPlacement::preferredPlatform()
{
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, platform);
    QProcessEnvironment env;
    for (const QString& entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    const auto chosen = PanelPlacement::preferredPlatform(env, arguments);
    QCOMPARE(chosen.value_or(QByteArray()), platform);
}

QTEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
