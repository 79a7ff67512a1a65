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

    // Sends one notification with the default sound. Never blocks; every
    // send is answered once, from the event loop, by `delivered` or `failed`
    // with the same identifier, so a caller can try another channel for
    // exactly that notification.
    virtual void send(const QString& identifier, const QString& title, const QString& body) = 0;

signals:
    // Answers probe(): whether notifications really reach the desktop.
    void availabilityKnown(bool available);
    void activated(const QString& identifier);
    // The notification sent under `identifier` was handed to the desktop.
    void delivered(const QString& identifier);
    // It was not; `message` says why (the service's error text).
    void failed(const QString& identifier, const QString& message);

public:
    // Finds out, asynchronously, whether this channel delivers; answered by
    // availabilityKnown.
    virtual void probe() = 0;
};
