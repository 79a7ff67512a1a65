#pragma once

#include "AlertRule.h"
#include "NotificationChannel.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

// Turns a fired rule into a desktop notification. The primary channel is the
// desktop's notification service, whose clicks come back as the rule id; the
// fallback (the tray icon's own message) is used while the primary is not
// known to deliver, and alone once it is known not to.
class AlertNotifier : public QObject {
    Q_OBJECT
public:
    AlertNotifier(NotificationChannel* primary, NotificationChannel* fallback,
                  QObject* parent = nullptr);

    // Asks the primary channel whether it delivers; until the answer both
    // channels are used.
    void requestPermission();
    void sendNotification(const AlertRule& rule, double currentValue);

    // Called with the rule id when the user clicks a notification.
    std::function<void(const QString&)> onNotificationTap;

    // true: the primary delivers; false: it does not; absent: not known yet.
    std::optional<bool> unAvailable() const { return m_unAvailable; }

    // "<targetName> 到价提醒"
    static QString title(const AlertRule& rule);
    // "<targetName> 已涨到 701.35（阈值 700.00）\n<label>"
    static QString body(const AlertRule& rule, double value);
    // %.2f for gold, %.2f%% for changes, %.3f for fund values; locale-free.
    static QString formatNumber(const AlertRule& rule, double value);
    // The AppleScript that shows a notification, with backslashes and double
    // quotes escaped so no text can break out of its string.
    static QString appleScript(const QString& title, const QString& body);

private:
    QPointer<NotificationChannel> m_primary;
    QPointer<NotificationChannel> m_fallback;
    std::optional<bool> m_unAvailable;
};
