#include "StatusNotifierItem.h"

#include "FigureIcon.h"
#include "market/Log.h"

#include <QAction>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QMenu>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

const QString quitLabel = u"退出"_s;
const QString openPanelLabel = u"打开面板"_s;

// Every digit as an 8: hosts that honour the guide reserve the width of the
// widest figure of this shape, so the label does not jitter as it ticks.
QString guideFor(const QString& title)
{
    QString guide = title;
    for (QChar& c : guide) {
        if (c.isDigit())
            c = u'8';
    }
    return guide;
}

// Every size hosts ask for: they pick the nearest and scale it, and a scaled
// figure blurs.
SniPixmapList pixmapsFor(const QString& title)
{
    SniPixmapList pixmaps;
    for (int size : FigureIcon::sizes())
        pixmaps.append(SniPixmap::fromImage(FigureIcon::render(title, size)));
    return pixmaps;
}

} // namespace

// org.kde.StatusNotifierItem at /StatusNotifierItem. The property and method
// names are the interface's own; QtDBus publishes them as they are spelt.
class SniItemObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ empty)
    Q_PROPERTY(QString IconName READ empty)
    Q_PROPERTY(SniPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ empty)
    Q_PROPERTY(SniPixmapList OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ empty)
    Q_PROPERTY(SniPixmapList AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ empty)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
public:
    explicit SniItemObject(StatusNotifierItem* item) : QObject(item), m_item(item) {}

    QString category() const { return u"ApplicationStatus"_s; }
    QString id() const { return u"quotara"_s; }
    // The application's name; hosts show it in lists of items, never in the bar.
    QString title() const { return u"OrlenbyQuotara"_s; }
    QString status() const { return u"Active"_s; }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    SniPixmapList iconPixmap() const { return m_item->iconPixmaps(); }
    SniPixmapList noPixmaps() const { return {}; }
    SniToolTip toolTip() const { return m_item->toolTip(); }
    // A click is meant for the item itself (the panel), not for its menu.
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(StatusNotifierItem::menuPath); }
    QString label() const { return m_item->title(); }
    QString labelGuide() const { return m_item->labelGuide(); }

public slots:
    void Activate(int x, int y) { m_item->activate(x, y); }
    // The middle button: the same as a click, as on the tray icon.
    void SecondaryActivate(int x, int y) { m_item->activate(x, y); }
    // The same, as Ayatana hosts send it.
    void XAyatanaSecondaryActivate(uint timestamp)
    {
        Q_UNUSED(timestamp)
        m_item->activate();
    }
    void ContextMenu(int x, int y) { m_item->showContextMenu(x, y); }
    void Scroll(int delta, const QString& orientation)
    {
        Q_UNUSED(delta)
        Q_UNUSED(orientation)
    }

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);

private:
    StatusNotifierItem* m_item;
};

// com.canonical.dbusmenu at /MenuBar: the one-item menu, for hosts that
// draw the item's menu themselves (GNOME's extension, Plasma, waybar).
class SniMenuObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    explicit SniMenuObject(StatusNotifierItem* item) : QObject(item), m_item(item) {}

    uint version() const { return 3; }
    QString textDirection() const { return u"ltr"_s; }
    QString status() const { return u"normal"_s; }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   DBusMenuLayout& layout)
    {
        const DBusMenuLayout root = m_item->menuLayout();
        const DBusMenuLayout* found = find(root, parentId);
        if (!found) {
            unknownId(parentId);
            return 0;
        }
        layout = trimmed(*found, recursionDepth, propertyNames);
        return revision;
    }

    DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                  const QStringList& propertyNames)
    {
        const DBusMenuLayout root = m_item->menuLayout();
        DBusMenuItemPropertiesList result;
        for (int id : ids) {
            if (const DBusMenuLayout* item = find(root, id))
                result.append({id, filtered(item->properties, propertyNames)});
        }
        return result;
    }

    QDBusVariant GetProperty(int id, const QString& name)
    {
        const DBusMenuLayout root = m_item->menuLayout();
        const DBusMenuLayout* item = find(root, id);
        if (!item) {
            unknownId(id);
            return {};
        }
        return QDBusVariant(item->properties.value(name));
    }

    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp)
    {
        Q_UNUSED(data)
        Q_UNUSED(timestamp)
        m_item->menuEvent(id, eventId);
    }

    QList<int> EventGroup(const DBusMenuEventList& events)
    {
        const DBusMenuLayout root = m_item->menuLayout();
        QList<int> idErrors;
        for (const DBusMenuEvent& event : events) {
            if (find(root, event.id))
                m_item->menuEvent(event.id, event.eventId);
            else
                idErrors.append(event.id);
        }
        return idErrors;
    }

    bool AboutToShow(int id)
    {
        if (id == 0)
            m_item->menuEvent(0, u"opened"_s);
        return false; // the menu never changes
    }

    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
    {
        const DBusMenuLayout root = m_item->menuLayout();
        for (int id : ids) {
            if (!find(root, id))
                idErrors.append(id);
            else if (id == 0)
                m_item->menuEvent(0, u"opened"_s);
        }
        return {};
    }

signals:
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    static constexpr uint revision = 1;

    static const DBusMenuLayout* find(const DBusMenuLayout& item, int id)
    {
        if (item.id == id)
            return &item;
        for (const DBusMenuLayout& child : item.children) {
            if (const DBusMenuLayout* found = find(child, id))
                return found;
        }
        return nullptr;
    }

    static QVariantMap filtered(const QVariantMap& properties, const QStringList& names)
    {
        if (names.isEmpty())
            return properties;
        QVariantMap kept;
        for (const QString& name : names) {
            if (properties.contains(name))
                kept.insert(name, properties.value(name));
        }
        return kept;
    }

    // `depth` levels of children below `item`; -1 for all of them.
    static DBusMenuLayout trimmed(const DBusMenuLayout& item, int depth, const QStringList& names)
    {
        DBusMenuLayout copy{item.id, filtered(item.properties, names), {}};
        if (depth != 0) {
            for (const DBusMenuLayout& child : item.children)
                copy.children.append(trimmed(child, depth < 0 ? -1 : depth - 1, names));
        }
        return copy;
    }

    void unknownId(int id)
    {
        sendErrorReply(u"com.canonical.dbusmenu.Error.UnknownId"_s, u"no menu item %1"_s.arg(id));
    }

    StatusNotifierItem* m_item;
};

StatusNotifierItem::StatusNotifierItem(QDBusConnection connection, QObject* parent)
    : StatusItem(parent), m_connection(std::move(connection)), m_menu(std::make_unique<QMenu>())
{
    registerStatusNotifierTypes();

    QAction* open = m_menu->addAction(openPanelLabel);
    connect(open, &QAction::triggered, this, &StatusItem::panelRequested);
    QAction* quit = m_menu->addAction(quitLabel);
    quit->setShortcut(QKeySequence(Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &StatusItem::quitRequested);

    m_pixmaps = pixmapsFor(m_title);

    // A fresh name for every item, so that a host never mistakes a new item
    // for one it saw go away.
    static std::atomic<int> instances{0};
    m_serviceName = u"org.kde.StatusNotifierItem-%1-%2"_s.arg(QCoreApplication::applicationPid())
                        .arg(++instances);

    m_itemObject = new SniItemObject(this);
    m_menuObject = new SniMenuObject(this);
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                          QDBusConnection::ExportAllProperties;
    if (!m_connection.registerObject(itemPath, m_itemObject, exported) ||
        !m_connection.registerObject(menuPath, m_menuObject, exported) ||
        !m_connection.registerService(m_serviceName)) {
        qCWarning(quotaraLog, "cannot publish the status item on the session bus: %s",
                  qPrintable(m_connection.lastError().message()));
    }

    // A shell or panel that restarts starts a new watcher with no items:
    // every time the name gets an owner, register again.
    m_watcher = new QDBusServiceWatcher(watcherService, m_connection,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    setRegistered(false);
                else
                    registerWithWatcher();
            });
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    // Dropping the name is what tells the watcher the item is gone.
    m_connection.unregisterService(m_serviceName);
    m_connection.unregisterObject(menuPath);
    m_connection.unregisterObject(itemPath);
}

void StatusNotifierItem::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    m_pixmaps = pixmapsFor(m_title);
    emit m_itemObject->XAyatanaNewLabel(m_title, labelGuide());
    emit m_itemObject->NewIcon();
    emit m_itemObject->NewToolTip();
}

void StatusNotifierItem::setToolTip(const QString& text)
{
    if (text == m_toolTip)
        return;
    m_toolTip = text;
    emit m_itemObject->NewToolTip();
}

QString StatusNotifierItem::labelGuide() const
{
    return guideFor(m_title);
}

SniToolTip StatusNotifierItem::toolTip() const
{
    return {QString(), {}, m_title, m_toolTip};
}

DBusMenuLayout StatusNotifierItem::menuLayout() const
{
    const DBusMenuLayout quit{quitItemId,
                              {{u"label"_s, quitLabel},
                               {u"enabled"_s, true},
                               {u"visible"_s, true},
                               {u"shortcut"_s, QVariant::fromValue(DBusMenuShortcut{{u"q"_s}})}},
                              {}};
    const DBusMenuLayout open{
        openPanelItemId,
        {{u"label"_s, openPanelLabel}, {u"enabled"_s, true}, {u"visible"_s, true}},
        {}};
    return {0, {{u"children-display"_s, u"submenu"_s}}, {open, quit}};
}

void StatusNotifierItem::activate(int x, int y)
{
    if (x != 0 || y != 0)
        m_clickPoint = QPoint(x, y);
    emit leftClicked();
}

void StatusNotifierItem::showContextMenu(int x, int y)
{
    emit rightClicked();
    m_menu->popup(QPoint(x, y));
}

void StatusNotifierItem::menuEvent(int id, const QString& eventId)
{
    if (id == quitItemId && eventId == u"clicked"_s) {
        emit quitRequested();
    } else if (id == openPanelItemId && eventId == u"clicked"_s) {
        emit panelRequested();
    } else if (id == 0 && eventId == u"opened"_s) {
        // The host is showing the menu: the panel must not stay over it.
        emit rightClicked();
    }
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       u"RegisterStatusNotifierItem"_s);
    call << m_serviceName;
    const quint64 attempt = ++m_registration;
    auto* pending = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, attempt](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (attempt == m_registration)
                    setRegistered(!finished->isError());
            });
}

void StatusNotifierItem::setRegistered(bool registered)
{
    if (!registered)
        ++m_registration; // an answer still on its way no longer counts
    if (registered == m_registered)
        return;
    m_registered = registered;
    emit registrationChanged(registered);
}

#include "StatusNotifierItem.moc"
