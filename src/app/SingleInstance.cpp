#include "SingleInstance.h"

#include "PanelHost.h"
#include "config/Preferences.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

// A running app busy for longer than this is as good as unreachable.
constexpr int kHandOverTimeoutMs = 10000;

} // namespace

QString SingleInstance::serviceName(const QString& scope)
{
    QString name = scope;
    return QStringLiteral("com.orlenby.") + name.replace(u'-', u'.');
}

SingleInstance::SingleInstance(QDBusConnection bus, QString service, const QString& lockPath,
                               QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_service(std::move(service)), m_lock(lockPath)
{
    // Held for the app's whole life: only a holder that is gone makes it
    // stale, never its age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    releaseName();
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_bus.isConnected()) {
        // The object is there before the name: whoever finds the name finds
        // the object.
        m_bus.registerObject(objectPath, this,
                             QDBusConnection::ExportScriptableSlots |
                                 QDBusConnection::ExportScriptableProperties);
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            m_bus.interface()->registerService(m_service,
                                               QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceRegistered) {
            m_bus.unregisterObject(objectPath);
            handOver();
            return Claim::handedOver;
        }
        m_ownsName = reply.isValid();
        if (!m_ownsName)
            m_bus.unregisterObject(objectPath);
    }
    // The lock also turns away a launch that has no bus, or another bus,
    // while this app runs. A first start finds no settings folder yet.
    QDir().mkpath(QFileInfo(m_lock.fileName()).absolutePath());
    Preferences::removeAbandonedLock(m_lock.fileName());
    // A lock that cannot be made at all (a read-only folder) is no reason
    // not to run.
    if (m_lock.tryLock(0) || m_lock.error() != QLockFile::LockFailedError)
        return Claim::first;
    releaseName();
    qint64 pid = 0;
    m_lock.getLockInfo(&pid, nullptr, nullptr);
    std::fprintf(stderr,
                 "quotara: already running (process %lld); without a session bus shared "
                 "with it, it cannot be asked to open its panel\n",
                 static_cast<long long>(pid));
    return Claim::turnedAway;
}

void SingleInstance::handOver()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(m_service, objectPath, interfaceName,
                                                             QStringLiteral("ShowPanel"));
    const QDBusMessage answer = m_bus.call(call, QDBus::Block, kHandOverTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage)
        std::fprintf(stderr, "quotara: already running, but it did not answer: %s\n",
                     qPrintable(answer.errorMessage()));
}

void SingleInstance::releaseName()
{
    if (!m_ownsName)
        return;
    m_bus.unregisterObject(objectPath);
    m_bus.interface()->unregisterService(m_service);
    m_ownsName = false;
}

void SingleInstance::serve(PanelHost* panel, std::function<void()> showPanel)
{
    m_panel = panel;
    m_showPanel = std::move(showPanel);
    if (m_showPending) {
        m_showPending = false;
        m_showPanel();
    }
}

bool SingleInstance::isPanelVisible() const
{
    return m_panel && m_panel->isShown();
}

void SingleInstance::ShowPanel()
{
    if (!m_showPanel) {
        m_showPending = true;
        return;
    }
    m_showPanel();
}
