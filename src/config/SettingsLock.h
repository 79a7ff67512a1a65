#pragma once

#include <QString>

// Holds the lock that makes one change of the preferences store a single
// step across processes: the tray app, `--watch` and `--once` all read what
// is stored, change their part and write it back while holding it, so no
// process writes over another's change unseen.
//
// The lock is a file beside the store (its path plus `suffix`), apart from
// the ".lock" QSettings takes around each write of its own. It is taken
// again freely inside a process (a store's change holds it around the
// Preferences write that holds it too); everything runs on the main thread.
class SettingsLock {
public:
    static inline const QString suffix = QStringLiteral(".quotara-lock");

    // Waits for the lock of the store at `settingsPath`; see the definition
    // for what happens when it never comes.
    explicit SettingsLock(const QString& settingsPath);
    ~SettingsLock();

    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

private:
    QString m_path;
};
