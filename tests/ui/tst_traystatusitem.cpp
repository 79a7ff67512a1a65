#include "platform/TrayStatusItem.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <chrono>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestTrayStatusItem : public QObject {
    Q_OBJECT
private slots:
    void clicks_data();
    void clicks();
    void quitMenu();
    void waitsForTray_data();
    void waitsForTray();
    void rendersTitle_data();
    void rendersTitle();
};

void TestTrayStatusItem::clicks_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::newRow("left click") << QSystemTrayIcon::Trigger << 1 << 0;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << 1 << 0;
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 0 << 0;
    QTest::newRow("right click") << QSystemTrayIcon::Context << 0 << 1;
    QTest::newRow("unknown") << QSystemTrayIcon::Unknown << 0 << 0;
}

void TestTrayStatusItem::clicks()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(int, left);
    QFETCH(int, right);
    TrayStatusItem item;
    QSignalSpy leftClicked(&item, &StatusItem::leftClicked);
    QSignalSpy rightClicked(&item, &StatusItem::rightClicked);
    emit item.trayIcon()->activated(reason);
    QCOMPARE(leftClicked.count(), left);
    QCOMPARE(rightClicked.count(), right);
}

void TestTrayStatusItem::quitMenu()
{
    TrayStatusItem item;
    QSignalSpy quit(&item, &StatusItem::quitRequested);
    const QList<QAction*> actions = item.trayIcon()->contextMenu()->actions();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions[0]->text(), u"退出"_s);
    QCOMPARE(actions[0]->shortcut(), QKeySequence(Qt::Key_Q));
    actions[0]->trigger();
    QCOMPARE(quit.count(), 1);
}

void TestTrayStatusItem::waitsForTray_data()
{
    QTest::addColumn<int>("trayAtProbe"); // 0: never
    QTest::addColumn<int>("probes");
    QTest::addColumn<QList<bool>>("signalled");
    // Three retries after the first look.
    QTest::newRow("tray from the start") << 1 << 1 << QList<bool>{};
    QTest::newRow("tray on the third look") << 3 << 3 << QList<bool>{true};
    QTest::newRow("tray on the last look") << 4 << 4 << QList<bool>{true};
    QTest::newRow("no tray ever") << 0 << 4 << QList<bool>{false};
}

void TestTrayStatusItem::waitsForTray()
{
    QFETCH(int, trayAtProbe);
    QFETCH(int, probes);
    QFETCH(QList<bool>, signalled);
    int probed = 0;
    const auto probe = [&] { return ++probed == trayAtProbe; };
    TrayStatusItem item({.trayProbe = probe, .retryInterval = 10ms, .retryAttempts = 3});
    QSignalSpy changed(&item, &TrayStatusItem::trayAvailabilityChanged);

    QTRY_VERIFY(item.trayAvailable() || item.trayGivenUp());
    QTest::qWait(50); // a timer left running would look again
    QCOMPARE(probed, probes);
    QCOMPARE(item.trayAvailable(), trayAtProbe != 0);
    QCOMPARE(item.trayGivenUp(), trayAtProbe == 0);
    QCOMPARE(item.trayIcon()->isVisible(), trayAtProbe != 0);
    QList<bool> values;
    for (const QList<QVariant>& arguments : changed)
        values.append(arguments[0].toBool());
    QCOMPARE(values, signalled);
}

void TestTrayStatusItem::rendersTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("price") << u"▲ 612.35"_s << 1.0;
    QTest::newRow("price on a HiDPI screen") << u"▼ 612.35"_s << 2.0;
    QTest::newRow("no data yet") << u"--"_s << 1.5;
    QTest::newRow("empty") << QString() << 1.0;
}

void TestTrayStatusItem::rendersTitle()
{
    QFETCH(QString, title);
    QFETCH(qreal, ratio);
    const QPixmap icon = TrayStatusItem::renderTitle(title, 22, ratio);
    QCOMPARE(icon.devicePixelRatio(), ratio);
    QCOMPARE(icon.height(), qRound(22 * ratio));
    QVERIFY(icon.width() >= icon.height());

    const QImage image = icon.toImage();
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    int brightest = 0; // of the opaque pixels
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.alpha() == 255)
                brightest = std::max(brightest, c.lightness());
    QCOMPARE(brightest > 200, !title.isEmpty());
}

QTEST_MAIN(TestTrayStatusItem)
#include "tst_traystatusitem.moc"
