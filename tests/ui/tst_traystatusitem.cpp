#include "platform/FigureIcon.h"
#include "platform/TrayBalloonChannel.h"
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
    void toolTip_data();
    void toolTip();
    void iconFollowsTitle();
    void balloonSendsAreAnswered_data();
    void balloonSendsAreAnswered();
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
    QSignalSpy open(&item, &StatusItem::panelRequested);
    const QList<QAction*> actions = item.trayIcon()->contextMenu()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), u"打开面板"_s);
    QCOMPARE(actions[1]->text(), u"退出"_s);
    QCOMPARE(actions[1]->shortcut(), QKeySequence(Qt::Key_Q));
    actions[0]->trigger();
    QCOMPARE(open.count(), 1);
    QCOMPARE(quit.count(), 0);
    actions[1]->trigger();
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

void TestTrayStatusItem::toolTip_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("shown");
    QTest::newRow("title alone") << u"▲ 612.35"_s << QString() << u"▲ 612.35"_s;
    QTest::newRow("title over the summary")
        << u"▼ 598.02"_s << u"沪金主连 598.02 -0.31%"_s << u"▼ 598.02\n沪金主连 598.02 -0.31%"_s;
}

void TestTrayStatusItem::toolTip()
{
    QFETCH(QString, title);
    QFETCH(QString, summary);
    TrayStatusItem item;
    item.setToolTip(summary);
    item.setTitle(title);
    QTEST(item.trayIcon()->toolTip(), "shown");
}

void TestTrayStatusItem::iconFollowsTitle()
{
    TrayStatusItem item;
    const QImage empty = item.trayIcon()->icon().pixmap(22).toImage();
    item.setTitle(u"▲ 612.35"_s);
    const QImage shown = item.trayIcon()->icon().pixmap(22).toImage();
    // The square figure, not a strip of text squeezed into the slot.
    QCOMPARE(shown.size(), QSize(22, 22));
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
             FigureIcon::render(u"▲ 612.35"_s, 22).convertToFormat(QImage::Format_ARGB32));
    QVERIFY(shown != empty);
}

// A bubble that cannot be shown says so for that notification, so the alert
// is reported instead of vanishing. The offscreen platform has no system tray.
void TestTrayStatusItem::balloonSendsAreAnswered_data()
{
    QTest::addColumn<QString>("icon"); // "none", "gone" (the tray item was replaced), "no tray"
    QTest::newRow("no icon") << u"none"_s;
    QTest::newRow("icon gone") << u"gone"_s;
    QTest::newRow("no system tray") << u"no tray"_s;
}

void TestTrayStatusItem::balloonSendsAreAnswered()
{
    QFETCH(QString, icon);
    auto item = std::make_unique<TrayStatusItem>();
    TrayBalloonChannel channel(icon == u"none"_s ? nullptr : item->trayIcon());
    if (icon == u"gone"_s)
        item.reset();
    QSignalSpy delivered(&channel, &NotificationChannel::delivered);
    QSignalSpy failed(&channel, &NotificationChannel::failed);
    channel.send(u"rule-1"_s, u"金 到价提醒"_s, u"b"_s);
    QVERIFY(failed.isEmpty()); // answered from the event loop, as the service answers
    QVERIFY(failed.wait());
    QCOMPARE(failed.first().first().toString(), u"rule-1"_s);
    QVERIFY(delivered.isEmpty());
}

QTEST_MAIN(TestTrayStatusItem)
#include "tst_traystatusitem.moc"
