#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// A freedesktop notification server on a connection of the test's private
// bus: numbers its notifications from 1, remembers every Notify, and refuses
// them all when told to.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    static QString service() { return QStringLiteral("org.freedesktop.Notifications"); }
    static QString path() { return QStringLiteral("/org/freedesktop/Notifications"); }

    QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    QString refusal; // answers Notify with this error when set
    // Each Notify shown, its arguments in order but the hints.
    QList<QVariantList> notified;
    QVariantMap lastHints;

    // Serves on `bus` under the well-known name; false when the object
    // cannot be registered or the name is taken (a desktop's own bus:
    // better to fail than to steal it).
    bool publish(QDBusConnection& bus)
    {
        return bus.registerObject(path(), this, QDBusConnection::ExportAllSlots) &&
               bus.registerService(service());
    }
    // The summary of each notification shown, in order.
    QStringList summaries() const
    {
        QStringList summaries;
        for (const QVariantList& arguments : notified)
            summaries << arguments.at(3).toString();
        return summaries;
    }
    // Back to a fresh server: nothing shown, nothing refused.
    void reset()
    {
        capabilities = {QStringLiteral("actions"), QStringLiteral("body")};
        refusal.clear();
        notified.clear();
        lastHints.clear();
    }

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout)
    {
        if (!refusal.isEmpty()) {
            sendErrorReply(QStringLiteral("org.freedesktop.Notifications.Error.Refused"), refusal);
            return 0;
        }
        notified << QVariantList{appName, replacesId, icon, summary, body, actions, timeout};
        lastHints = hints;
        return uint(notified.size());
    }
    QStringList GetCapabilities() { return capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion)
    {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        protocolVersion = QStringLiteral("1.2");
        return QStringLiteral("test server");
    }
};
