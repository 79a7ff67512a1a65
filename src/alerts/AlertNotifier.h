#pragma once

#include "AlertRule.h"
#include "NotificationChannel.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

// Turns a fired rule into a desktop notification, shown once. The primary
// channel is the desktop's notification service, whose clicks come back as
// the rule id; the fallback (the tray icon's own message) takes a
// notification only when the primary is known not to deliver or refuses that
// very notification. A crossing that no channel can show is published as an
// undelivered alert instead of vanishing.
class AlertNotifier : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // A primary that said it does not deliver is asked again before the next
    // alert, but not more often than this: at log-in the notification
    // service often starts after us.
    static constexpr std::chrono::seconds reprobeInterval{60};

    AlertNotifier(NotificationChannel* primary, NotificationChannel* fallback,
                  QObject* parent = nullptr);

    // Default: the system clock.
    void setClock(Clock now);

    // Where a refusal by the notification service is reported, as the line
    // "UN 通知发送失败: <the service's message>"; by default on standard
    // output. The command-line modes keep standard output for their JSON.
    using FailureSink = std::function<void(const QString& line)>;
    void setFailureSink(FailureSink sink);

    // Asks the primary channel whether it delivers. Until the first answer
    // notifications go to the primary, and to the fallback when it refuses.
    void requestPermission();
    void sendNotification(const AlertRule& rule, double currentValue);

    // Called with the rule id when the user clicks a notification.
    std::function<void(const QString&)> onNotificationTap;

    // true: the primary delivers; false: it does not; absent: not known yet.
    // The latest answer counts.
    std::optional<bool> unAvailable() const { return m_unAvailable; }

    // undeliveredText() of each rule whose latest crossing no channel could
    // show, oldest first; emptied as soon as a later alert gets through,
    // when the warning would no longer be true.
    QStringList undeliveredAlerts() const;

    // "<targetName> 到价提醒"
    static QString title(const AlertRule& rule);
    // "<targetName> 已涨到 701.35（阈值 700.00）\n<label>"
    static QString body(const AlertRule& rule, double value);
    // "通知无法送达：" and the body on one line.
    static QString undeliveredText(const AlertRule& rule, double value);
    // %.2f for gold, %.2f%% for changes, %.3f for fund values; locale-free.
    static QString formatNumber(const AlertRule& rule, double value);
    // The AppleScript that shows a notification, with backslashes and double
    // quotes escaped so no text can break out of its string.
    static QString appleScript(const QString& title, const QString& body);

signals:
    // A crossing could not be shown by any channel; `text` is its
    // undeliveredText().
    void undelivered(const QString& text);
    void undeliveredAlertsChanged();

private:
    struct Delivery {
        QString identifier;
        QString title;
        QString body;
        QString undeliveredText;
        NotificationChannel* channel = nullptr; // where it was last sent
    };

    void onAvailability(bool available);
    void onAnswer(NotificationChannel* channel, const QString& identifier, bool delivered);
    bool reprobeDue() const;
    void probePrimary();
    void route(Delivery delivery);
    void fallBack(Delivery delivery);
    void sendThrough(NotificationChannel* channel, Delivery delivery);
    void giveUp(const Delivery& delivery);

    QPointer<NotificationChannel> m_primary;
    QPointer<NotificationChannel> m_fallback;
    std::optional<bool> m_unAvailable;
    Clock m_now;
    FailureSink m_failureSink;
    std::optional<QDateTime> m_lastProbe;
    bool m_probing = false;
    // Held while the primary is asked again whether it delivers.
    QList<Delivery> m_waiting;
    // Sent and not yet answered, in the order sent; answers for one channel
    // come back in that order.
    QList<Delivery> m_inFlight;
    // Rule id and text of each undelivered alert.
    QList<std::pair<QString, QString>> m_undelivered;
};
