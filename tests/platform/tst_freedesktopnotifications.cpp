#include "FakeNotificationServer.h"
#include "alerts/AlertNotifier.h"
#include "platform/FreedesktopNotifications.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

static const QString kService = FakeNotificationServer::service();
static const QString kPath = FakeNotificationServer::path();
static const QString kInterface = kService;

// The tray's bubble as the notifier sees it: shows whatever it is given.
class BubbleChannel : public NotificationChannel {
    Q_OBJECT
public:
    void send(const QString& identifier, const QString&, const QString&) override
    {
        sent << identifier;
        emit delivered(identifier);
    }
    void probe() override { emit availabilityKnown(true); }
    QStringList sent;
};

class TestFreedesktopNotifications : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void probe_data();
    void probe();
    void notify_data();
    void notify();
    void clicks_data();
    void clicks();
    void sendAnswers_data();
    void sendAnswers();
    void notifierRoutes_data();
    void notifierRoutes();

private:
    void serverSignal(const QString& name, uint id, const QVariant& detail);
    std::optional<bool> probed(FreedesktopNotifications& channel);

    QDBusConnection m_bus{QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s)};
    FakeNotificationServer* m_server = nullptr;
};

void TestFreedesktopNotifications::initTestCase()
{
    QVERIFY2(m_bus.isConnected() && QDBusConnection::sessionBus().isConnected(),
             "run under dbus-run-session");
}

void TestFreedesktopNotifications::init()
{
    m_server = new FakeNotificationServer;
    QVERIFY(m_server->publish(m_bus));
}

void TestFreedesktopNotifications::cleanup()
{
    m_bus.unregisterService(kService);
    m_bus.unregisterObject(kPath);
    delete m_server;
}

void TestFreedesktopNotifications::serverSignal(const QString& name, uint id,
                                                const QVariant& detail)
{
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, name);
    signal << id << detail;
    QVERIFY(m_bus.send(signal));
}

// The one answer to a probe; nothing when there was none, or more than one.
std::optional<bool> TestFreedesktopNotifications::probed(FreedesktopNotifications& channel)
{
    QSignalSpy answer(&channel, &NotificationChannel::availabilityKnown);
    channel.probe();
    if (!answer.wait() || answer.size() != 1)
        return std::nullopt;
    return answer.first().first().toBool();
}

void TestFreedesktopNotifications::probe_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<bool>("busUp");
    QTest::addColumn<bool>("available");
    QTest::newRow("server") << true << true << true;
    QTest::newRow("no server") << false << true << false;
    QTest::newRow("no session bus") << true << false << false;
}

void TestFreedesktopNotifications::probe()
{
    QFETCH(bool, serverUp);
    QFETCH(bool, busUp);
    if (!serverUp)
        QVERIFY(m_bus.unregisterService(kService));
    FreedesktopNotifications channel(busUp ? QDBusConnection::sessionBus()
                                           : QDBusConnection(u"never connected"_s));
    QFETCH(bool, available);
    QCOMPARE(probed(channel), std::optional(available));
    QCOMPARE(channel.supportsActions(), serverUp && busUp);
}

void TestFreedesktopNotifications::notify_data()
{
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<QString>("body");
    const QString body = u"半导体 已涨到 3.12%（阈值 3.00%）\n<3 & 止盈>"_s;
    QTest::newRow("plain text") << QStringList{u"actions"_s, u"body"_s} << body;
    QTest::newRow("markup escaped") << QStringList{u"actions"_s, u"body-markup"_s}
                                    << u"半导体 已涨到 3.12%（阈值 3.00%）\n&lt;3 &amp; 止盈&gt;"_s;
}

void TestFreedesktopNotifications::notify()
{
    QFETCH(QStringList, capabilities);
    m_server->capabilities = capabilities;
    FreedesktopNotifications channel;
    QCOMPARE(probed(channel), std::optional(true));
    channel.send(u"sector-1"_s, u"半导体 到价提醒"_s,
                 u"半导体 已涨到 3.12%（阈值 3.00%）\n<3 & 止盈>"_s);
    QTRY_COMPARE(m_server->notified.size(), 1);
    const QVariantList& received = m_server->notified.first();
    const QVariantList head{u"OrlenbyQuotara"_s, 0u, QString(), u"半导体 到价提醒"_s};
    QCOMPARE(received.mid(0, 4), head);
    QTEST(received[4].toString(), "body");
    QCOMPARE(received.mid(5), (QVariantList{QStringList{u"default"_s, u"打开"_s}, -1}));
    QCOMPARE(m_server->lastHints.value(u"sound-name"_s), u"message-new-instant"_s);
    // Urgency travels as a byte; strict servers drop any other type.
    const QVariant urgency = m_server->lastHints.value(u"urgency"_s);
    QCOMPARE(urgency.metaType(), QMetaType::fromType<uchar>());
    QCOMPARE(urgency.toInt(), 1);
}

// Server signals as "click N", "close N" or "key N" (an action other than
// "default"), N being the order of the Notify; 99 is someone else's.
void TestFreedesktopNotifications::clicks_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("activated");
    QTest::newRow("body click") << QStringList{u"click 2"_s} << QStringList{u"rule-2"_s};
    QTest::newRow("other key") << QStringList{u"key 1"_s} << QStringList{u"rule-1"_s};
    QTest::newRow("another application") << QStringList{u"click 99"_s} << QStringList{};
    QTest::newRow("after closing")
        << QStringList{u"close 1"_s, u"click 1"_s, u"click 2"_s} << QStringList{u"rule-2"_s};
}

void TestFreedesktopNotifications::clicks()
{
    QFETCH(QStringList, events);
    FreedesktopNotifications channel;
    QSignalSpy activated(&channel, &NotificationChannel::activated);
    for (const QString& id : {u"rule-1"_s, u"rule-2"_s, u"last"_s})
        channel.send(id, u"t"_s, u"b"_s);
    QTRY_COMPARE(m_server->notified.size(), 3);

    for (const QString& event : events) {
        const QStringList words = event.split(u' ');
        const uint id = words[1].toUInt();
        if (words[0] == u"close"_s)
            serverSignal(u"NotificationClosed"_s, id, 2u);
        else
            serverSignal(u"ActionInvoked"_s, id, words[0] == u"key"_s ? u"打开"_s : u"default"_s);
    }
    // Signals arrive in order: once the last one is through, so are the others.
    serverSignal(u"ActionInvoked"_s, 3, u"default"_s);
    QTRY_VERIFY(!activated.isEmpty() && activated.last().first().toString() == u"last"_s);
    activated.removeLast();
    QStringList seen;
    for (const auto& arguments : activated)
        seen << arguments.first().toString();
    QTEST(seen, "activated");
}

// Every send is answered with its identifier, so the notifier can try the
// tray's bubble for exactly that alert.
void TestFreedesktopNotifications::sendAnswers_data()
{
    QTest::addColumn<QString>("server"); // "up", "refusing", "gone", or "no bus"
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("message"); // empty: any, as long as there is one
    QTest::newRow("shown") << u"up"_s << true << QString();
    QTest::newRow("refused") << u"refusing"_s << false << u"太多通知"_s;
    QTest::newRow("nobody owns the name") << u"gone"_s << false << QString();
    QTest::newRow("no session bus") << u"no bus"_s << false << QString();
}

void TestFreedesktopNotifications::sendAnswers()
{
    QFETCH(QString, server);
    QFETCH(bool, shown);
    QFETCH(QString, message);
    if (server == u"refusing"_s)
        m_server->refusal = u"太多通知"_s;
    if (server == u"gone"_s)
        QVERIFY(m_bus.unregisterService(kService));
    FreedesktopNotifications channel(server == u"no bus"_s ? QDBusConnection(u"never connected"_s)
                                                           : QDBusConnection::sessionBus());
    QSignalSpy delivered(&channel, &NotificationChannel::delivered);
    QSignalSpy failed(&channel, &NotificationChannel::failed);
    channel.send(u"rule-1"_s, u"t"_s, u"b"_s);
    QVERIFY(!delivered.size() && !failed.size()); // answered from the event loop only
    QTRY_COMPARE(delivered.size() + failed.size(), 1);
    QCOMPARE(delivered.size(), shown ? 1 : 0);
    const QList<QVariant> answer = shown ? delivered.first() : failed.first();
    QCOMPARE(answer.first().toString(), u"rule-1"_s);
    if (!shown) {
        const QString said = answer.at(1).toString();
        QVERIFY(!said.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(said, message);
    }
    QCOMPARE(m_server->notified.size(), shown ? 1 : 0);
}

// The notifier with this channel and a bubble behind it, against a server that
// may be down at log-in and come up later. `attempts` counts the Notify calls
// the server gets, refused ones included.
void TestFreedesktopNotifications::notifierRoutes_data()
{
    QTest::addColumn<bool>("upAtLogin");
    QTest::addColumn<bool>("probeAnswered"); // before the alert
    QTest::addColumn<int>("secondsLater");
    QTest::addColumn<QString>("atAlert"); // "up", "refusing" or "down"
    QTest::addColumn<bool>("withBubble");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("shownByServer");
    QTest::addColumn<int>("bubbles");
    QTest::addColumn<bool>("undelivered");

    QTest::newRow("down at login, up a minute later")
        << false << true << 60 << u"up"_s << true << 1 << 1 << 0 << false;
    QTest::newRow("down at login, up within the minute")
        << false << true << 30 << u"up"_s << true << 0 << 0 << 1 << false;
    QTest::newRow("down at login, still down")
        << false << true << 60 << u"down"_s << true << 0 << 0 << 1 << false;
    QTest::newRow("before the first answer")
        << true << false << 0 << u"up"_s << true << 1 << 1 << 0 << false;
    QTest::newRow("refused before the first answer")
        << true << false << 0 << u"refusing"_s << true << 1 << 0 << 1 << false;
    QTest::newRow("up, refuses this one")
        << true << true << 0 << u"refusing"_s << true << 1 << 0 << 1 << false;
    QTest::newRow("up, then gone")
        << true << true << 0 << u"down"_s << true << 1 << 0 << 1 << false;
    QTest::newRow("down, no bubble")
        << false << true << 60 << u"down"_s << false << 0 << 0 << 0 << true;
    QTest::newRow("refused, no bubble")
        << true << true << 0 << u"refusing"_s << false << 1 << 0 << 0 << true;
}

void TestFreedesktopNotifications::notifierRoutes()
{
    QFETCH(bool, upAtLogin);
    QFETCH(bool, probeAnswered);
    QFETCH(int, secondsLater);
    QFETCH(QString, atAlert);
    QFETCH(bool, withBubble);
    QFETCH(int, attempts);
    FreedesktopNotifications desktop;
    BubbleChannel bubble;
    AlertNotifier notifier(&desktop, withBubble ? &bubble : nullptr);
    const QDateTime login(QDate(2024, 6, 4), QTime(8, 30), QTimeZone::utc());
    QDateTime now = login;
    notifier.setClock([&now] { return now; });
    QSignalSpy probed(&desktop, &NotificationChannel::availabilityKnown);
    QSignalSpy delivered(&desktop, &NotificationChannel::delivered);
    QSignalSpy failed(&desktop, &NotificationChannel::failed);

    if (!upAtLogin)
        QVERIFY(m_bus.unregisterService(kService));
    notifier.requestPermission();
    if (probeAnswered) {
        QVERIFY(probed.wait());
        QCOMPARE(notifier.unAvailable(), std::optional(upAtLogin));
    }
    if (atAlert != u"down"_s && !upAtLogin)
        QVERIFY(m_bus.registerService(kService));
    if (atAlert == u"down"_s && upAtLogin)
        QVERIFY(m_bus.unregisterService(kService));
    if (atAlert == u"refusing"_s)
        m_server->refusal = u"太多通知"_s;
    now = login.addSecs(secondsLater);

    AlertRule rule;
    rule.id = u"gold-tp1"_s;
    rule.targetName = u"黄金(CNY/g)"_s;
    rule.threshold = 700;
    rule.label = u"第1档止盈"_s;
    notifier.sendNotification(rule, 701.35);
    // Settled once the service has answered every Notify and the alert has
    // gone somewhere; whatever the notifier does next it does in those answers.
    QTRY_VERIFY(
        delivered.size() + failed.size() == attempts &&
        m_server->notified.size() + bubble.sent.size() + notifier.undeliveredAlerts().size() > 0);
    QTEST(int(m_server->notified.size()), "shownByServer");
    QTEST(int(bubble.sent.size()), "bubbles");
    QFETCH(bool, undelivered);
    QCOMPARE(
        notifier.undeliveredAlerts(),
        undelivered
            ? QStringList{u"通知无法送达：黄金(CNY/g) 已涨到 701.35（阈值 700.00） 第1档止盈"_s}
            : QStringList{});
}

QTEST_GUILESS_MAIN(TestFreedesktopNotifications)
#include "tst_freedesktopnotifications.moc"
