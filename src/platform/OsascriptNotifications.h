#pragma once

#include "alerts/NotificationChannel.h"

// macOS fallback: the system's script runner shows the notification. It
// reports no clicks.
class OsascriptNotifications : public NotificationChannel {
    Q_OBJECT
public:
    using NotificationChannel::NotificationChannel;

    void send(const QString& identifier, const QString& title, const QString& body) override;
    void probe() override;
};
