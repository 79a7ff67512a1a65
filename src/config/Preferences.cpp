#include "Preferences.h"

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
    }
}

bool Preferences::removeAbandonedLock(const QString& lockPath)
{
    // A writer killed between creating its lock file and writing its process
    // id into it leaves the file empty. Qt then cannot tell that the owner is
    // gone and waits for the lock to age 30 s, on every write, freezing the
    // app after a restart. A live writer fills the file within microseconds,
    // so an empty one older than a second is abandoned.
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
    m_settings.setValue(key, bytes);
    m_settings.sync();
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
    m_settings.setValue(key, value);
    m_settings.sync();
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
    m_settings.setValue(key, value);
    m_settings.sync();
}

bool Preferences::contains(const QString& key) const
{
    return m_settings.contains(key);
}

void Preferences::remove(const QString& key)
{
    m_settings.remove(key);
    m_settings.sync();
}
