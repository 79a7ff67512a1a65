#include "SettingsLock.h"

#include "Preferences.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

#include <map>
#include <memory>

namespace {

struct Held {
    int depth = 0;
    std::unique_ptr<QLockFile> file;
};

// The locks this process holds, by lock file.
std::map<QString, Held>& held()
{
    static std::map<QString, Held> locks;
    return locks;
}

// A change holds the lock for a few milliseconds. A holder that keeps it far
// longer is stuck, and a stuck process must not freeze the others' edits.
constexpr std::chrono::seconds patience{5};

} // namespace

SettingsLock::SettingsLock(const QString& settingsPath) : m_path(settingsPath + suffix)
{
    Held& entry = held()[m_path];
    if (entry.depth++ > 0)
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    entry.file = std::make_unique<QLockFile>(m_path);
    const QDeadlineTimer deadline(patience);
    // Short steps of our own instead of QLockFile's waits, which start at
    // 100 ms and double.
    bool locked = false;
    while (!(locked = entry.file->tryLock(0))) {
        if (entry.file->error() != QLockFile::LockFailedError || deadline.hasExpired())
            break;
        // QLockFile recognises the lock of a process that is gone by its
        // process id, but a holder killed before it wrote the id leaves an
        // empty file that would count as held for 30 s.
        Preferences::removeAbandonedLock(m_path);
        QThread::msleep(2);
    }
    if (!locked)
        qWarning("quotara: could not lock %s; changing the settings without it",
                 qPrintable(m_path));
}

SettingsLock::~SettingsLock()
{
    const auto it = held().find(m_path);
    if (it == held().end() || --it->second.depth > 0)
        return;
    held().erase(it); // the QLockFile goes, and with it the file
}
