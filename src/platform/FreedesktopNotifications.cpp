#include "FreedesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace {

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;
const QString interface = u"org.freedesktop.Notifications"_s;

// The action every server maps to a click on the notification's body.
const QString defaultAction = u"default"_s;

// Servers with "body-markup" read the body as a subset of XML: a label such as
// "<700 加仓 & 补仓" would lose its text or the whole body would be rejected.
QString escapeMarkup(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            escaped += u"&amp;"_s;
        else if (c == u'<')
            escaped += u"&lt;"_s;
        else if (c == u'>')
            escaped += u"&gt;"_s;
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection connection, QObject* parent)
    : NotificationChannel(parent), m_connection(std::move(connection))
{
    // Tied to the well-known name, so a look-alike on the bus cannot fake a
    // click; QtDBus follows the name when the server restarts.
    m_connection.connect(service, path, interface, u"ActionInvoked"_s, this,
                         SLOT(onActionInvoked(uint, QString)));
    m_connection.connect(service, path, interface, u"NotificationClosed"_s, this,
                         SLOT(onNotificationClosed(uint, uint)));
}

void FreedesktopNotifications::send(const QString& identifier, const QString& title,
                                    const QString& body)
{
    if (!m_connection.isConnected()) {
        // A call on a bus we never reached is not answered at all; say so
        // from the event loop, as the service's own answers come.
        QMetaObject::invokeMethod(
            this, [this, identifier] { emit failed(identifier, u"没有会话总线"_s); },
            Qt::QueuedConnection);
        return;
    }
    const QVariantMap hints{
        {u"sound-name"_s, u"message-new-instant"_s},
        {u"urgency"_s, QVariant::fromValue(uchar(1))}, // "normal"; must travel as a byte
    };
    auto* watcher = call(u"Notify"_s, {appName, 0u, QString(), title,
                                       m_supportsBodyMarkup ? escapeMarkup(body) : body,
                                       QStringList{defaultAction, u"打开"_s}, hints, -1});
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                // Nobody owning the name, no session bus at all and a refusal
                // by the server all end here, so the caller can try elsewhere.
                if (reply.isError()) {
                    const QDBusError error = reply.error();
                    emit failed(identifier,
                                error.message().isEmpty() ? error.name() : error.message());
                    return;
                }
                m_identifiers.insert(reply.value(), identifier);
                emit delivered(identifier);
            });
}

void FreedesktopNotifications::probe()
{
    if (!m_connection.isConnected()) {
        // Still answered from the event loop, as every other answer is.
        QMetaObject::invokeMethod(
            this, [this] { emit availabilityKnown(false); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = call(u"GetServerInformation"_s);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (finished->isError())
                    emit availabilityKnown(false);
                else
                    readCapabilities();
            });
}

void FreedesktopNotifications::readCapabilities()
{
    auto* watcher = call(u"GetCapabilities"_s);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QStringList> reply = *finished;
                // A server that answered GetServerInformation is there even if
                // it cannot list what it supports; it then gets plain text.
                const QStringList capabilities = reply.isError() ? QStringList() : reply.value();
                m_supportsActions = capabilities.contains(u"actions"_s);
                m_supportsBodyMarkup = capabilities.contains(u"body-markup"_s);
                emit availabilityKnown(true);
            });
}

void FreedesktopNotifications::onActionInvoked(uint id, const QString& actionKey)
{
    // "default" is the only action we offer; whatever key a server reports for
    // one of our notifications, the user meant to open it.
    Q_UNUSED(actionKey)
    const auto it = m_identifiers.constFind(id);
    if (it != m_identifiers.constEnd())
        emit activated(*it);
}

void FreedesktopNotifications::onNotificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason)
    m_identifiers.remove(id);
}

QDBusPendingCallWatcher* FreedesktopNotifications::call(const QString& method,
                                                        const QList<QVariant>& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // Parented to us: a reply arriving after we are gone is simply dropped.
    return new QDBusPendingCallWatcher(m_connection.asyncCall(message), this);
}
