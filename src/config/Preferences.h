#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <functional>
#include <optional>

// The user's preferences store: a thin wrapper over QSettings (the native
// store of each platform; an INI file under $XDG_CONFIG_HOME on Linux). Every
// write is flushed at once so that a crash right after a change loses nothing.
//
// Several processes share the store (the tray app, `--watch`, `--once`).
// Each write holds the store's SettingsLock, and a value reads what this
// process last loaded: reload() picks up what the others wrote since.
class Preferences {
public:
    Preferences();

    // The application name the store is kept under ("quotara"). A demo run
    // uses a scope of its own so it never touches the user's settings; set it
    // before the first store is created.
    static void setScope(const QString& application);
    static QString scope();

    // The file the store lives in.
    QString fileName() const;
    // Loads what other processes wrote since this process last read or
    // wrote the store.
    void reload();

    std::optional<QByteArray> data(const QString& key) const;
    void setData(const QString& key, const QByteArray& bytes);

    std::optional<QString> string(const QString& key) const;
    void setString(const QString& key, const QString& value);

    // Absent when nothing is stored under the key.
    std::optional<bool> boolean(const QString& key) const;
    void setBoolean(const QString& key, bool value);

    bool contains(const QString& key) const;
    void remove(const QString& key);

    // Removes the store's lock file when a killed writer left it empty (see
    // the definition); done once per store file by the first Preferences.
    // True when it removed the file.
    static bool removeAbandonedLock(const QString& lockPath);

private:
    // Applies `change` and writes the store, holding its lock.
    void write(const std::function<void(QSettings&)>& change);

    mutable QSettings m_settings;
};
