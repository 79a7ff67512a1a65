#include "SettingsWatcher.h"

#include <QDir>
#include <QFileInfo>

SettingsWatcher::SettingsWatcher(const QString& settingsPath, QObject* parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(0);
    connect(&m_settle, &QTimer::timeout, this, &SettingsWatcher::changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    // The folder is made now if need be (a first start writes nothing), so
    // that the first write of another process is seen too.
    const QString folder = QFileInfo(settingsPath).absolutePath();
    QDir().mkpath(folder);
    m_watcher.addPath(folder);
}
