#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Tells when the preferences store's file may have changed on disk, written
// by this or another process. The folder is watched rather than the file:
// QSettings writes a new file and renames it over the old one, and a watch
// on the file would stay with the old one.
class SettingsWatcher : public QObject {
    Q_OBJECT
public:
    explicit SettingsWatcher(const QString& settingsPath, QObject* parent = nullptr);

signals:
    // Once for a burst of changes (one write creates, renames and removes
    // several files in the folder).
    void changed();

private:
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
