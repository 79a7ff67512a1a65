#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "app/PanelHost.h"
#include "platform/FigureIcon.h"
#include "platform/StatusNotifierItem.h"

#include <QAction>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const QString kWatcher = u"org.kde.StatusNotifierWatcher"_s;
const QString kItem = u"org.kde.StatusNotifierItem"_s;
const QString kMenu = u"com.canonical.dbusmenu"_s;
const QString kProperties = u"org.freedesktop.DBus.Properties"_s;

// Records what the controller asks of the panel.
class FakePanel : public PanelHost {
public:
    void present(const QRect& at) override
    {
        shown = true;
        anchor = at;
    }
    void dismiss() override { shown = false; }
    bool isShown() const override { return shown; }
    bool shown = false;
    QRect anchor;
};

} // namespace

// The watcher half of a tray host: remembers who registered what.
class TestWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
public:
    QStringList registered; // "service from sender"
    bool hostRegistered() const { return true; }

public slots:
    void RegisterStatusNotifierItem(const QString& service)
    {
        registered.append(service + u" from "_s + message().service());
    }
};

// The host half: reads the item's properties, calls its methods and
// listens to its signals, as a panel would. Everything is read off the wire
// by hand, so that a wrong signature shows up here rather than being read
// back by the very code that wrote it.
class TestStatusNotifierItem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void registers();
    void wireSignatures_data();
    void wireSignatures();
    void labelFollowsTheControllersTitle();
    void titleUpdatesAreSignalled();
    void iconIsArgbInNetworkOrder();
    void activateTogglesThePanel_data();
    void activateTogglesThePanel();
    void menuLayoutHoldsQuit();
    void menuEvents_data();
    void menuEvents();
    void contextMenu();
    void registersAgain_data();
    void registersAgain();
    void leavingDropsTheName();

public slots:
    void onLabel(const QString& label, const QString& guide) { m_labels << label + u'|' + guide; }
    void onNewIcon() { ++m_newIcons; }
    void onNewToolTip() { ++m_newToolTips; }

private:
    bool startWatcher();
    void stopWatcher();
    void listenTo(const StatusNotifierItem& item);
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {});
    QVariant property(const StatusNotifierItem& item, const QString& name);
    QString signatureOf(const StatusNotifierItem& item, const QString& name);
    std::unique_ptr<MenuBarController> controller();

    QDBusConnection m_host{QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"host"_s)};
    TestWatcher* m_watcher = nullptr;
    SimFixture m_fixture;
    QStringList m_labels;
    int m_newIcons = 0;
    int m_newToolTips = 0;
};

void TestStatusNotifierItem::initTestCase()
{
    QVERIFY2(m_host.isConnected() && QDBusConnection::sessionBus().isConnected(),
             "run under dbus-run-session");
    m_fixture.pointOrigins();
}

void TestStatusNotifierItem::init()
{
    clearPreferences();
    m_labels.clear();
    m_newIcons = 0;
    m_newToolTips = 0;
    m_watcher = new TestWatcher;
    QVERIFY(m_host.registerObject(u"/StatusNotifierWatcher"_s, m_watcher,
                                  QDBusConnection::ExportAllSlots |
                                      QDBusConnection::ExportAllProperties));
    QVERIFY(startWatcher());
}

void TestStatusNotifierItem::cleanup()
{
    stopWatcher();
    m_host.unregisterObject(u"/StatusNotifierWatcher"_s);
    delete m_watcher;
}

bool TestStatusNotifierItem::startWatcher()
{
    // Fails rather than steals the name when started on a desktop's own bus.
    return m_host.registerService(kWatcher);
}

void TestStatusNotifierItem::stopWatcher()
{
    m_host.unregisterService(kWatcher);
}

void TestStatusNotifierItem::listenTo(const StatusNotifierItem& item)
{
    const QString service = item.serviceName();
    const QString path = StatusNotifierItem::itemPath;
    QVERIFY(m_host.connect(service, path, kItem, u"XAyatanaNewLabel"_s, this,
                           SLOT(onLabel(QString, QString))));
    QVERIFY(m_host.connect(service, path, kItem, u"NewIcon"_s, this, SLOT(onNewIcon())));
    QVERIFY(m_host.connect(service, path, kItem, u"NewToolTip"_s, this, SLOT(onNewToolTip())));
}

// The item answers from this very thread, so the call must not block it.
QDBusMessage TestStatusNotifierItem::call(const QString& service, const QString& path,
                                          const QString& interface, const QString& method,
                                          const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCallWatcher watcher(m_host.asyncCall(message, 5000));
    if (!watcher.isFinished()) {
        QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
        finished.wait(6000);
    }
    return watcher.reply();
}

QVariant TestStatusNotifierItem::property(const StatusNotifierItem& item, const QString& name)
{
    const QDBusMessage reply = call(item.serviceName(), StatusNotifierItem::itemPath, kProperties,
                                    u"Get"_s, {kItem, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QString TestStatusNotifierItem::signatureOf(const StatusNotifierItem& item, const QString& name)
{
    const QVariant value = property(item, name);
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return u"o"_s;
    return QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
}

std::unique_ptr<MenuBarController> TestStatusNotifierItem::controller()
{
    // A Tuesday morning: gold trades and the title carries its arrow.
    const QDateTime now(QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai"));
    m_fixture.sim().setClock([now] { return now; });
    return std::make_unique<MenuBarController>(
        MenuBarController::Options{.now = [now] { return now; },
                                   .timeout = std::chrono::milliseconds(1500),
                                   .startTimers = false});
}

void TestStatusNotifierItem::registers()
{
    StatusNotifierItem item;
    QSignalSpy registered(&item, &StatusNotifierItem::registrationChanged);
    QVERIFY(registered.wait());
    QCOMPARE(registered.first().first().toBool(), true);
    QVERIFY(item.isRegistered());

    // The name is the protocol's own pattern, owned by the item's connection,
    // and the watcher was told it once.
    QVERIFY2(item.serviceName().startsWith(
                 u"org.kde.StatusNotifierItem-%1-"_s.arg(QCoreApplication::applicationPid())),
             qPrintable(item.serviceName()));
    const QString owner = m_host.interface()->serviceOwner(item.serviceName());
    QCOMPARE(owner, QDBusConnection::sessionBus().baseService());
    QCOMPARE(m_watcher->registered, QStringList{item.serviceName() + u" from "_s + owner});

    QCOMPARE(property(item, u"Id"_s).toString(), u"quotara"_s);
    QCOMPARE(property(item, u"Category"_s).toString(), u"ApplicationStatus"_s);
    // A passive item is hidden by most hosts.
    QCOMPARE(property(item, u"Status"_s).toString(), u"Active"_s);
    QCOMPARE(property(item, u"ItemIsMenu"_s).toBool(), false);
    QCOMPARE(property(item, u"Menu"_s).value<QDBusObjectPath>().path(), u"/MenuBar"_s);
    QCOMPARE(property(item, u"XAyatanaLabel"_s).toString(), u"--"_s);
}

void TestStatusNotifierItem::wireSignatures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("signature");
    QTest::newRow("tool tip") << u"ToolTip"_s << u"(sa(iiay)ss)"_s;
    QTest::newRow("icon") << u"IconPixmap"_s << u"a(iiay)"_s;
    QTest::newRow("attention icon") << u"AttentionIconPixmap"_s << u"a(iiay)"_s;
    QTest::newRow("menu") << u"Menu"_s << u"o"_s;
    QTest::newRow("window") << u"WindowId"_s << u"i"_s;
    QTest::newRow("label") << u"XAyatanaLabel"_s << u"s"_s;
    QTest::newRow("label guide") << u"XAyatanaLabelGuide"_s << u"s"_s;
}

void TestStatusNotifierItem::wireSignatures()
{
    QFETCH(QString, name);
    StatusNotifierItem item;
    QTEST(signatureOf(item, name), "signature");
}

void TestStatusNotifierItem::labelFollowsTheControllersTitle()
{
    auto c = controller();
    StatusNotifierItem item;
    listenTo(item);
    c->attachStatusItem(&item);
    run(c->cycle().refresh());
    QVERIFY2(!c->market().errorMessage(),
             qPrintable(c->market().errorMessage().value_or(QString())));
    QVERIFY2(c->title().startsWith(u"▲ "_s) || c->title().startsWith(u"▼ "_s),
             qPrintable(c->title()));

    // What GNOME's top bar reads: the label, announced with its guide.
    QTRY_VERIFY(!m_labels.isEmpty());
    QCOMPARE(m_labels.last().section(u'|', 0, 0), c->title());
    QCOMPARE(property(item, u"XAyatanaLabel"_s).toString(), c->title());
}

void TestStatusNotifierItem::titleUpdatesAreSignalled()
{
    StatusNotifierItem item;
    listenTo(item);
    item.setToolTip(u"沪金主连 612.35 +0.52%"_s);
    item.setTitle(u"▲ 612.35"_s);
    QTRY_COMPARE(m_labels, QStringList{u"▲ 612.35|▲ 888.88"_s});
    QTRY_VERIFY(m_newIcons == 1 && m_newToolTips == 2);
    QCOMPARE(property(item, u"XAyatanaLabelGuide"_s).toString(), u"▲ 888.88"_s);

    const QDBusArgument toolTip = property(item, u"ToolTip"_s).value<QDBusArgument>();
    QString iconName, title, text;
    toolTip.beginStructure();
    toolTip >> iconName;
    toolTip.beginArray();
    while (!toolTip.atEnd()) {
        int w = 0, h = 0;
        QByteArray bytes;
        toolTip.beginStructure();
        toolTip >> w >> h >> bytes;
        toolTip.endStructure();
    }
    toolTip.endArray();
    toolTip >> title >> text;
    toolTip.endStructure();
    QCOMPARE(title, u"▲ 612.35"_s);
    QCOMPARE(text, u"沪金主连 612.35 +0.52%"_s);

    // The same figure again is no news.
    item.setTitle(u"▲ 612.35"_s);
    item.setTitle(u"▼ 611.80"_s);
    QTRY_COMPARE(m_labels.size(), 2);
    QCOMPARE(m_labels.last(), u"▼ 611.80|▼ 888.88"_s);
}

void TestStatusNotifierItem::iconIsArgbInNetworkOrder()
{
    StatusNotifierItem item;
    item.setTitle(u"▲ 612.35"_s);
    const QDBusArgument list = property(item, u"IconPixmap"_s).value<QDBusArgument>();
    QList<int> sizes;
    list.beginArray();
    while (!list.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        list.beginStructure();
        list >> width >> height >> bytes;
        list.endStructure();
        QCOMPARE(height, width);
        QCOMPARE(bytes.size(), width * height * 4);
        sizes.append(width);

        const QImage expected =
            FigureIcon::render(u"▲ 612.35"_s, width).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) +
                                (qsizetype(y) * width + x) * 4;
                const QRgb want = expected.pixel(x, y);
                if (p[0] != qAlpha(want) || p[1] != qRed(want) || p[2] != qGreen(want) ||
                    p[3] != qBlue(want))
                    QFAIL(qPrintable(u"%1 px icon differs at %2,%3"_s.arg(width).arg(x).arg(y)));
            }
        }
    }
    list.endArray();
    QCOMPARE(sizes, FigureIcon::sizes());
}

void TestStatusNotifierItem::activateTogglesThePanel_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QRect>("anchor"); // where the panel is told to open
    QTest::newRow("left click") << u"Activate"_s << QVariantList{100, 12} << QRect(100, 12, 1, 1);
    QTest::newRow("left click, place unknown") << u"Activate"_s << QVariantList{0, 0} << QRect();
    QTest::newRow("middle click") << u"SecondaryActivate"_s << QVariantList{100, 12}
                                  << QRect(100, 12, 1, 1);
    QTest::newRow("middle click, Ayatana")
        << u"XAyatanaSecondaryActivate"_s << QVariantList{QVariant::fromValue(12345u)} << QRect();
}

void TestStatusNotifierItem::activateTogglesThePanel()
{
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);
    auto c = controller();
    FakePanel panel;
    StatusNotifierItem item;
    c->attachStatusItem(&item);
    c->attachPanel(&panel);

    const auto click = [&] {
        return call(item.serviceName(), StatusNotifierItem::itemPath, kItem, method, arguments);
    };
    QCOMPARE(click().type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(panel.shown);
    // The panel opens where the user clicked, when the host says where.
    QFETCH(QRect, anchor);
    QCOMPARE(panel.anchor, anchor);
    QCOMPARE(click().type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(!panel.shown);
}

void TestStatusNotifierItem::menuLayoutHoldsQuit()
{
    StatusNotifierItem item;
    const QDBusMessage reply = call(item.serviceName(), StatusNotifierItem::menuPath, kMenu,
                                    u"GetLayout"_s, {0, -1, QStringList()});
    QCOMPARE(reply.signature(), u"u(ia{sv}av)"_s);

    const QDBusArgument layout = reply.arguments().at(1).value<QDBusArgument>();
    int rootId = -1;
    QVariantMap rootProperties;
    QList<std::pair<int, QString>> children;
    layout.beginStructure();
    layout >> rootId >> rootProperties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant wrapped;
        layout >> wrapped;
        const QDBusArgument child = wrapped.variant().value<QDBusArgument>();
        QCOMPARE(child.currentSignature(), u"(ia{sv}av)"_s);
        int id = -1;
        QVariantMap properties;
        child.beginStructure();
        child >> id >> properties;
        child.endStructure();
        children.append({id, properties.value(u"label"_s).toString()});
    }
    layout.endArray();
    layout.endStructure();

    QCOMPARE(rootId, 0);
    QCOMPARE(rootProperties.value(u"children-display"_s).toString(), u"submenu"_s);
    // Hosts that open the menu on a left click leave it the only way to the panel.
    QCOMPARE(children,
             (QList<std::pair<int, QString>>{{StatusNotifierItem::openPanelItemId, u"打开面板"_s},
                                             {StatusNotifierItem::quitItemId, u"退出"_s}}));

    // The same item asked for on its own, and an id the menu does not have.
    const QDBusMessage label = call(item.serviceName(), StatusNotifierItem::menuPath, kMenu,
                                    u"GetProperty"_s, {StatusNotifierItem::quitItemId, u"label"_s});
    QCOMPARE(label.arguments().value(0).value<QDBusVariant>().variant().toString(), u"退出"_s);
    const QDBusMessage unknown = call(item.serviceName(), StatusNotifierItem::menuPath, kMenu,
                                      u"GetLayout"_s, {42, -1, QStringList()});
    QCOMPARE(unknown.type(), QDBusMessage::ErrorMessage);
}

void TestStatusNotifierItem::menuEvents_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("quits");
    QTest::addColumn<bool>("panelClosed");
    QTest::addColumn<bool>("panelShown");
    QTest::newRow("退出 clicked") << 1 << u"clicked"_s << true << false << true;
    QTest::newRow("退出 hovered") << 1 << u"hovered"_s << false << false << true;
    QTest::newRow("menu opened") << 0 << u"opened"_s << false << true << false;
    QTest::newRow("打开面板 clicked") << 2 << u"clicked"_s << false << false << true;
}

void TestStatusNotifierItem::menuEvents()
{
    QFETCH(int, id);
    QFETCH(QString, event);
    QFETCH(bool, panelClosed);
    auto c = controller();
    FakePanel panel;
    // A panel already open is closed by the menu; "打开面板" finds it closed.
    panel.shown = panelClosed || id != StatusNotifierItem::openPanelItemId;
    StatusNotifierItem item;
    c->attachStatusItem(&item);
    c->attachPanel(&panel);
    QSignalSpy quit(c.get(), &MenuBarController::quitRequested);

    const QDBusMessage reply =
        call(item.serviceName(), StatusNotifierItem::menuPath, kMenu, u"Event"_s,
             {id, event, QVariant::fromValue(QDBusVariant(QString())), 0u});
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    QFETCH(bool, quits);
    QFETCH(bool, panelShown);
    QTRY_COMPARE(quit.size(), quits ? 1 : 0);
    QTRY_COMPARE(panel.shown, panelShown);
}

void TestStatusNotifierItem::contextMenu()
{
    StatusNotifierItem item;
    QSignalSpy right(&item, &StatusItem::rightClicked);
    QSignalSpy quit(&item, &StatusItem::quitRequested);
    const QDBusMessage reply =
        call(item.serviceName(), StatusNotifierItem::itemPath, kItem, u"ContextMenu"_s, {40, 30});
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(item.contextMenu()->isVisible());
    QCOMPARE(right.size(), 1);
    const QList<QAction*> actions = item.contextMenu()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), u"打开面板"_s);
    QCOMPARE(actions[1]->text(), u"退出"_s);
    actions[1]->trigger();
    QCOMPARE(quit.size(), 1);
}

void TestStatusNotifierItem::registersAgain_data()
{
    QTest::addColumn<bool>("watcherFirst");
    QTest::newRow("watcher restarts") << true;
    QTest::newRow("watcher starts after the item") << false;
}

void TestStatusNotifierItem::registersAgain()
{
    QFETCH(bool, watcherFirst);
    if (!watcherFirst)
        stopWatcher();
    StatusNotifierItem item;
    QSignalSpy changes(&item, &StatusNotifierItem::registrationChanged);
    const QString expected =
        item.serviceName() + u" from "_s + QDBusConnection::sessionBus().baseService();
    if (watcherFirst) {
        QTRY_VERIFY(item.isRegistered());
        stopWatcher();
        QTRY_VERIFY(!item.isRegistered());
    } else {
        QTest::qWait(100);
        QVERIFY(!item.isRegistered());
    }
    QVERIFY(startWatcher());
    QTRY_VERIFY(item.isRegistered());
    const QStringList calls(watcherFirst ? 2 : 1, expected);
    QCOMPARE(m_watcher->registered, calls);
    QList<bool> seen;
    for (const auto& arguments : changes)
        seen.append(arguments.first().toBool());
    QCOMPARE(seen, watcherFirst ? (QList<bool>{true, false, true}) : QList<bool>{true});
}

void TestStatusNotifierItem::leavingDropsTheName()
{
    auto item = std::make_unique<StatusNotifierItem>();
    const QString name = item->serviceName();
    QTRY_VERIFY(m_host.interface()->isServiceRegistered(name));
    item.reset();
    // Hosts drop an item when its name goes away.
    QTRY_VERIFY(!m_host.interface()->isServiceRegistered(name));
}

QTEST_MAIN(TestStatusNotifierItem)
#include "tst_statusnotifieritem.moc"
