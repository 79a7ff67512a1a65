#include "platform/DesktopStatusItem.h"
#include "platform/StatusNotifierItem.h"
#include "platform/TrayStatusItem.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// Just enough of a watcher for an item to register with.
class MinimalWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
public:
    QStringList registered;
public slots:
    void RegisterStatusNotifierItem(const QString& service) { registered.append(service); }
};

// Which back-end the desktop gets, and the switch when a watcher turns up
// after the app (a panel that starts later at log-in). The offscreen
// platform has no XEmbed tray, so the tray icon never finds one here.
class TestDesktopStatusItem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void watcherOnTheBus();
    void watcherComesLater();
    void nothingShowsTheItem();

private:
    bool startWatcher() { return m_host.registerService(StatusNotifierItem::watcherService); }
    static DesktopStatusItem::Options quickTray()
    {
        return {.trayRetryInterval = 10ms, .trayRetryAttempts = 3};
    }

    QDBusConnection m_host{QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s)};
    MinimalWatcher* m_watcher = nullptr;
};

void TestDesktopStatusItem::initTestCase()
{
    QVERIFY2(m_host.isConnected(), "run under dbus-run-session");
}

void TestDesktopStatusItem::init()
{
    m_watcher = new MinimalWatcher;
    QVERIFY(m_host.registerObject(StatusNotifierItem::watcherPath, m_watcher,
                                  QDBusConnection::ExportAllSlots));
}

void TestDesktopStatusItem::cleanup()
{
    m_host.unregisterService(StatusNotifierItem::watcherService);
    m_host.unregisterObject(StatusNotifierItem::watcherPath);
    delete m_watcher;
}

void TestDesktopStatusItem::watcherOnTheBus()
{
    QVERIFY(startWatcher());
    DesktopStatusItem item(quickTray());
    auto* sni = qobject_cast<StatusNotifierItem*>(item.backEnd());
    QVERIFY(sni);
    QTRY_COMPARE(m_watcher->registered, QStringList{sni->serviceName()});
    item.setTitle(u"▲ 612.35"_s);
    QCOMPARE(sni->title(), u"▲ 612.35"_s);
    QVERIFY(!item.hasNoHost());
}

void TestDesktopStatusItem::watcherComesLater()
{
    DesktopStatusItem item(quickTray());
    QVERIFY(qobject_cast<TrayStatusItem*>(item.backEnd()));
    item.setTitle(u"▼ 598.02"_s);
    item.setToolTip(u"沪金主连 598.02 -0.31%"_s);
    QSignalSpy left(&item, &StatusItem::leftClicked);
    QSignalSpy quit(&item, &StatusItem::quitRequested);

    QVERIFY(startWatcher());
    QTRY_VERIFY(qobject_cast<StatusNotifierItem*>(item.backEnd()));
    auto* sni = qobject_cast<StatusNotifierItem*>(item.backEnd());
    QTRY_COMPARE(m_watcher->registered, QStringList{sni->serviceName()});
    // What the tray icon showed carries over.
    QCOMPARE(sni->title(), u"▼ 598.02"_s);
    QCOMPARE(sni->toolTip().text, u"沪金主连 598.02 -0.31%"_s);

    // Clicks on the new item reach whoever listens to the desktop item.
    QDBusMessage activate =
        QDBusMessage::createMethodCall(sni->serviceName(), StatusNotifierItem::itemPath,
                                       StatusNotifierItem::itemInterface, u"Activate"_s);
    activate << 0 << 0;
    m_host.asyncCall(activate);
    QTRY_COMPARE(left.size(), 1);
    sni->menuEvent(StatusNotifierItem::quitItemId, u"clicked"_s);
    QCOMPARE(quit.size(), 1);
}

void TestDesktopStatusItem::nothingShowsTheItem()
{
    DesktopStatusItem item(quickTray());
    QSignalSpy noHost(&item, &DesktopStatusItem::noHost);
    QVERIFY(noHost.wait());
    QVERIFY(item.hasNoHost());

    // A panel that starts very late still gets the item.
    QVERIFY(startWatcher());
    QTRY_VERIFY(qobject_cast<StatusNotifierItem*>(item.backEnd()));
    QVERIFY(!item.hasNoHost());
    QCOMPARE(noHost.size(), 1);
}

QTEST_MAIN(TestDesktopStatusItem)
#include "tst_desktopstatusitem.moc"
