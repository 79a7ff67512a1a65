#pragma once

#include "alerts/NotificationChannel.h"

#include <QDBusConnection>
#include <QHash>

class QDBusPendingCallWatcher;

// The desktop's notification service (org.freedesktop.Notifications) over the
// session bus. Every call is asynchronous; clicks on the body come back as the
// identifier the notification was sent under.
class FreedesktopNotifications : public NotificationChannel {
    Q_OBJECT
public:
    // The name the desktop shows as the sender of our notifications.
    static inline const QString appName = QStringLiteral("OrlenbyQuotara");

    explicit FreedesktopNotifications(QDBusConnection connection = QDBusConnection::sessionBus(),
                                      QObject* parent = nullptr);

    void send(const QString& identifier, const QString& title, const QString& body) override;
    // Answers true when the service replies to GetServerInformation, false
    // when nobody owns the name or there is no session bus at all.
    void probe() override;

    // What the last successful probe learned from GetCapabilities.
    bool supportsActions() const { return m_supportsActions; }
    bool supportsBodyMarkup() const { return m_supportsBodyMarkup; }

private slots:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    QDBusPendingCallWatcher* call(const QString& method, const QList<QVariant>& arguments = {});
    void readCapabilities();

    QDBusConnection m_connection;
    // Server id -> identifier of the notifications still on screen.
    QHash<uint, QString> m_identifiers;
    bool m_supportsActions = false;
    bool m_supportsBodyMarkup = false;
};
