#include "Preferences.h"

#include "SettingsLock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

QString& scopeName()
{
    static QString name = QStringLiteral("quotara");
    return name;
}

// QSettings notices that another process wrote the file by its size and
// modification time (in milliseconds), and on many systems file times
// advance by clock ticks of several milliseconds. A write of the same size within the tick of the
// one before would go unnoticed: the reader would keep what it had, and put it back at its own next
// write. So each write leaves the file newer than the last one.
void keepTimesIncreasing(const QString& file, const QDateTime& previous)
{
    if (!previous.isValid())
        return;
    const QFileInfo written(file);
    if (!written.exists() || written.lastModified() > previous)
        return;
    QFile touched(file);
    if (touched.open(QIODevice::ReadOnly))
        touched.setFileTime(previous.addMSecs(1), QFileDevice::FileModificationTime);
}

} // namespace

void Preferences::setScope(const QString& application)
{
    scopeName() = application;
}

QString Preferences::scope()
{
    return scopeName();
}

Preferences::Preferences()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("orlenby"),
                 scopeName())
{
    static QSet<QString> checked;
    const QString file = m_settings.fileName();
    if (!checked.contains(file)) {
        checked.insert(file);
        removeAbandonedLock(file + QStringLiteral(".lock"));
        removeAbandonedLock(file + SettingsLock::suffix);
    }
}

QString Preferences::fileName() const
{
    return m_settings.fileName();
}

void Preferences::reload()
{
    m_settings.sync();
}

void Preferences::write(const std::function<void(QSettings&)>& change)
{
    const QString file = m_settings.fileName();
    const SettingsLock lock(file);
    const QFileInfo before(file);
    const QDateTime previous = before.exists() ? before.lastModified() : QDateTime();
    change(m_settings);
    m_settings.sync();
    keepTimesIncreasing(file, previous);
}

bool Preferences::removeAbandonedLock(const QString& lockPath)
{
    // A writer killed between creating its lock file and writing its process
    // id into it leaves the file empty. Qt then cannot tell that the owner is
    // gone and waits for the lock to age 30 s, on every write, freezing the
    // app after a restart; SettingsLock's file alike. A live writer fills
    // the file within microseconds, so an empty one older than a second is
    // abandoned.
    const QFileInfo info(lockPath);
    if (!info.exists() || info.size() != 0)
        return false;
    const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
    return age > 1000 && QFile::remove(lockPath);
}

std::optional<QByteArray> Preferences::data(const QString& key) const
{
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toByteArray();
}

void Preferences::setData(const QString& key, const QByteArray& bytes)
{
    write([&](QSettings& settings) { settings.setValue(key, bytes); });
}

std::optional<QString> Preferences::string(const QString& key) const
{
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void Preferences::setString(const QString& key, const QString& value)
{
    write([&](QSettings& settings) { settings.setValue(key, value); });
}

std::optional<bool> Preferences::boolean(const QString& key) const
{
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toBool();
}

void Preferences::setBoolean(const QString& key, bool value)
{
    write([&](QSettings& settings) { settings.setValue(key, value); });
}

bool Preferences::contains(const QString& key) const
{
    return m_settings.contains(key);
}

void Preferences::remove(const QString& key)
{
    write([&](QSettings& settings) { settings.remove(key); });
}
