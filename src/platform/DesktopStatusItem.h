#pragma once

#include "app/StatusItem.h"

#include <QDBusConnection>
#include <QPointer>

#include <chrono>

class NotificationChannel;
class QDBusServiceWatcher;
class TrayStatusItem;

// The status item the desktop can show, chosen here so that nothing else
// needs to know: a StatusNotifierItem while the session bus has a
// StatusNotifierWatcher (GNOME with the AppIndicator extension, KDE Plasma,
// Xfce, waybar…), which can show the figure as text; else the system tray
// icon of the XEmbed protocol, which shows the square figure icon.
//
// At log-in the panel often starts after the app: when a watcher turns up
// later, the StatusNotifierItem takes over from the tray icon, with the
// current title and tool tip.
class DesktopStatusItem : public StatusItem {
    Q_OBJECT
public:
    struct Options {
        // How long to wait for an XEmbed tray while there is no watcher
        // either, before giving up on a tray altogether.
        std::chrono::milliseconds trayRetryInterval{1000};
        int trayRetryAttempts = 15;
    };

    explicit DesktopStatusItem(Options options,
                               QDBusConnection connection = QDBusConnection::sessionBus(),
                               QObject* parent = nullptr);
    explicit DesktopStatusItem(QObject* parent = nullptr)
        : DesktopStatusItem(Options{}, QDBusConnection::sessionBus(), parent)
    {}
    ~DesktopStatusItem() override;

    void setTitle(const QString& title) override;
    void setToolTip(const QString& text) override;
    QRect geometry() const override;
    std::optional<QPoint> clickPoint() const override;

    // Neither a watcher nor a tray showed up while waiting: nothing shows
    // the item. A watcher may still turn up later and take over.
    bool hasNoHost() const { return m_noHost; }

    // The tray icon's own message bubbles, for a desktop without a
    // notification service; it reports itself unavailable when the item is
    // not a tray icon.
    NotificationChannel* createBalloonChannel(QObject* parent);

    // The back-end in use, for tests.
    StatusItem* backEnd() const { return m_backEnd; }

signals:
    void noHost();

private:
    void useStatusNotifier();
    void useTrayIcon(const Options& options);
    void adopt(StatusItem* backEnd);

    QDBusConnection m_connection;
    QString m_title = QStringLiteral("--");
    QString m_toolTip;
    bool m_noHost = false;
    StatusItem* m_backEnd = nullptr;
    QPointer<TrayStatusItem> m_tray;
    QDBusServiceWatcher* m_watcher = nullptr;
};
