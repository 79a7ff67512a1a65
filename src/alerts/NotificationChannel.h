#pragma once

#include <QObject>
#include <QString>

// One way of putting a desktop notification on screen. A channel that can
// report clicks emits `activated` with the identifier the notification was
// sent under.
class NotificationChannel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Sends one notification with the default sound. Never blocks; failures
    // are reported through `failed`.
    virtual void send(const QString& identifier, const QString& title, const QString& body) = 0;

signals:
    // Answers probe(): whether notifications really reach the desktop.
    void availabilityKnown(bool available);
    void activated(const QString& identifier);
    // The service refused a notification; `message` is its error text.
    void failed(const QString& message);

public:
    // Finds out, asynchronously, whether this channel delivers; answered by
    // availabilityKnown.
    virtual void probe() = 0;
};
