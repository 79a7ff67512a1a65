#pragma once

#include "alerts/NotificationChannel.h"

#include <QPointer>
#include <QSystemTrayIcon>

// The tray icon's own message bubble: what is left when the desktop has no
// notification service. It shows one message at a time, so a click is taken
// to be on the last one shown.
class TrayBalloonChannel : public NotificationChannel {
    Q_OBJECT
public:
    // The icon stays owned by the tray item; without one the channel shows
    // nothing and reports itself unavailable.
    explicit TrayBalloonChannel(QSystemTrayIcon* icon, QObject* parent = nullptr);

    // Answered `failed` when there is no icon in a tray that shows bubbles.
    void send(const QString& identifier, const QString& title, const QString& body) override;
    // True when there is an icon, a system tray to put it in and bubbles to show.
    void probe() override;

private:
    QPointer<QSystemTrayIcon> m_icon;
    QString m_lastIdentifier;
};
