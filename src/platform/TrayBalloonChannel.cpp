#include "TrayBalloonChannel.h"

#include <utility>

namespace {

// Long enough to read a price alert; desktops may cap it anyway.
constexpr int messageMilliseconds = 10000;

} // namespace

TrayBalloonChannel::TrayBalloonChannel(QSystemTrayIcon* icon, QObject* parent)
    : NotificationChannel(parent), m_icon(icon)
{
    if (!icon)
        return;
    connect(icon, &QSystemTrayIcon::messageClicked, this, [this] {
        // Cleared so that a bubble the tray item shows for itself later is not
        // mistaken for this alert.
        const QString identifier = std::exchange(m_lastIdentifier, QString());
        if (!identifier.isEmpty())
            emit activated(identifier);
    });
}

void TrayBalloonChannel::send(const QString& identifier, const QString& title, const QString& body)
{
    // Without an icon in a tray that shows bubbles the message would go
    // nowhere; the caller is told, so the alert is not lost in silence.
    const bool shown =
        m_icon && QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages();
    if (shown) {
        m_lastIdentifier = identifier;
        m_icon->showMessage(title, body, QSystemTrayIcon::Information, messageMilliseconds);
    }
    QMetaObject::invokeMethod(
        this,
        [this, identifier, shown] {
            if (shown)
                emit delivered(identifier);
            else
                emit failed(identifier, QStringLiteral("托盘无法显示消息"));
        },
        Qt::QueuedConnection);
}

void TrayBalloonChannel::probe()
{
    const bool available =
        m_icon && QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages();
    // Answered from the event loop like the desktop service's probe, so callers
    // need not expect the signal inside the call.
    QMetaObject::invokeMethod(
        this, [this, available] { emit availabilityKnown(available); }, Qt::QueuedConnection);
}
