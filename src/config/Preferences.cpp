#include "Preferences.h"

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
{}

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
