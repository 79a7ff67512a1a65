#pragma once

#include "app/StatusItem.h"
#include "platform/StatusNotifierTypes.h"

#include <QDBusConnection>

#include <memory>

class QDBusServiceWatcher;
class QMenu;
class SniItemObject;
class SniMenuObject;

// The status item as a StatusNotifierItem on the session bus, for desktops
// whose panel hosts such items (GNOME with the AppIndicator extension, KDE
// Plasma, Xfce, waybar and most others today).
//
// Unlike a tray icon, the item can carry text: the title is published as
// its Ayatana label, which GNOME's top bar shows beside the icon, so there the
// figure reads as text. Hosts that show no label get the square figure icon
// (FigureIcon) and the full title in the tool tip.
//
// A left click is Activate; the "退出" menu is published over
// com.canonical.dbusmenu for hosts that draw the menu themselves, and shown
// by the item on ContextMenu for hosts that ask it to. The item registers
// with org.kde.StatusNotifierWatcher, and again whenever the watcher comes
// back (a restarted panel or shell forgets every item).
class StatusNotifierItem : public StatusItem {
    Q_OBJECT
public:
    static inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
    static inline const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
    static inline const QString itemPath = QStringLiteral("/StatusNotifierItem");
    static inline const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");
    static inline const QString menuPath = QStringLiteral("/MenuBar");
    // The dbusmenu id of "退出"; 0 is the menu itself.
    static constexpr int quitItemId = 1;
    // Above "退出": hosts that open the menu on a left click (GNOME's
    // AppIndicator extension) leave no other way to the panel.
    static constexpr int openPanelItemId = 2;

    explicit StatusNotifierItem(QDBusConnection connection = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    void setTitle(const QString& title) override;
    void setToolTip(const QString& text) override;
    // Hosts tell the item nothing about where they put it.
    QRect geometry() const override { return {}; }
    // Activate(x, y) carries it; (0, 0) means the host does not know.
    std::optional<QPoint> clickPoint() const override { return m_clickPoint; }

    // The name the item owns on the bus, org.kde.StatusNotifierItem-PID-N.
    QString serviceName() const { return m_serviceName; }
    // Whether the watcher accepted the item's last registration.
    bool isRegistered() const { return m_registered; }
    // The menu shown when a host calls ContextMenu.
    QMenu* contextMenu() const { return m_menu.get(); }

    // What the D-Bus objects publish.
    QString title() const { return m_title; }
    QString labelGuide() const;
    SniPixmapList iconPixmaps() const { return m_pixmaps; }
    SniToolTip toolTip() const;
    DBusMenuLayout menuLayout() const;

    // Entry points of the D-Bus objects.
    void activate(int x = 0, int y = 0);
    void showContextMenu(int x, int y);
    void menuEvent(int id, const QString& eventId);

signals:
    // True when the watcher accepted the item, false when the watcher left
    // the bus; emitted on every change.
    void registrationChanged(bool registered);

private:
    void registerWithWatcher();
    void setRegistered(bool registered);

    QDBusConnection m_connection;
    QString m_serviceName;
    std::optional<QPoint> m_clickPoint;
    QString m_title = QStringLiteral("--");
    QString m_toolTip;
    SniPixmapList m_pixmaps;
    bool m_registered = false;
    // Bumped with every registration request: only the answer to the last
    // one counts.
    quint64 m_registration = 0;
    std::unique_ptr<QMenu> m_menu;
    SniItemObject* m_itemObject = nullptr;
    SniMenuObject* m_menuObject = nullptr;
    QDBusServiceWatcher* m_watcher = nullptr;
};
