#pragma once

#include <QSettings>
#include <QStandardPaths>

// Every test starts from an empty preferences store. ctest points
// XDG_CONFIG_HOME below the build tree, so the user's own settings are never
// touched; refuse to run anywhere else.
inline void clearPreferences()
{
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qFatal("XDG_CONFIG_HOME must point at a scratch folder for this test");
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("orlenby"),
                       QStringLiteral("quotara"));
    settings.clear();
    settings.sync();
}

inline QSettings rawSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("orlenby"),
                     QStringLiteral("quotara"));
}
