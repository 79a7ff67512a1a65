#include "DesktopStatusItem.h"

#include "StatusNotifierItem.h"
#include "TrayBalloonChannel.h"
#include "TrayStatusItem.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace {

bool watcherOnBus(const QDBusConnection& connection)
{
    const QDBusConnectionInterface* bus =
        connection.isConnected() ? connection.interface() : nullptr;
    return bus && bus->isServiceRegistered(StatusNotifierItem::watcherService).value();
}

} // namespace

DesktopStatusItem::DesktopStatusItem(Options options, QDBusConnection connection, QObject* parent)
    : StatusItem(parent), m_connection(std::move(connection))
{
    if (watcherOnBus(m_connection)) {
        useStatusNotifier();
        return;
    }
    useTrayIcon(options);
    if (!m_connection.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(StatusNotifierItem::watcherService, m_connection,
                                        QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        // The item registers itself with the watcher from now on, and again
        // whenever the watcher comes back; this one has done its job.
        m_watcher->deleteLater();
        m_watcher = nullptr;
        useStatusNotifier();
    });
}

DesktopStatusItem::~DesktopStatusItem() = default;

void DesktopStatusItem::setTitle(const QString& title)
{
    m_title = title;
    m_backEnd->setTitle(title);
}

void DesktopStatusItem::setToolTip(const QString& text)
{
    m_toolTip = text;
    m_backEnd->setToolTip(text);
}

QRect DesktopStatusItem::geometry() const
{
    return m_backEnd->geometry();
}

std::optional<QPoint> DesktopStatusItem::clickPoint() const
{
    return m_backEnd->clickPoint();
}

NotificationChannel* DesktopStatusItem::createBalloonChannel(QObject* parent)
{
    return new TrayBalloonChannel(m_tray ? m_tray->trayIcon() : nullptr, parent);
}

void DesktopStatusItem::useStatusNotifier()
{
    adopt(new StatusNotifierItem(m_connection, this));
    m_noHost = false;
}

void DesktopStatusItem::useTrayIcon(const Options& options)
{
    auto* tray =
        new TrayStatusItem(TrayStatusItem::Options{.trayProbe = {},
                                                   .retryInterval = options.trayRetryInterval,
                                                   .retryAttempts = options.trayRetryAttempts},
                           this);
    m_tray = tray;
    adopt(tray);
    connect(tray, &TrayStatusItem::trayAvailabilityChanged, this, [this](bool available) {
        if (available)
            return;
        m_noHost = true;
        emit noHost();
    });
    m_noHost = tray->trayGivenUp();
}

void DesktopStatusItem::adopt(StatusItem* backEnd)
{
    if (m_backEnd) {
        // Possibly in the middle of delivering one of its own signals.
        m_backEnd->disconnect(this);
        m_backEnd->deleteLater();
    }
    m_backEnd = backEnd;
    backEnd->setTitle(m_title);
    backEnd->setToolTip(m_toolTip);
    connect(backEnd, &StatusItem::leftClicked, this, &StatusItem::leftClicked);
    connect(backEnd, &StatusItem::rightClicked, this, &StatusItem::rightClicked);
    connect(backEnd, &StatusItem::quitRequested, this, &StatusItem::quitRequested);
    connect(backEnd, &StatusItem::panelRequested, this, &StatusItem::panelRequested);
}
