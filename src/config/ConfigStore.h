#pragma once

#include "Preferences.h"
#include "WatchConfig.h"

#include <QObject>

#include <functional>

class SettingsWatcher;

// Keeps the watch list, shared with every other Quotara process of the same
// settings: each change re-reads the stored record under the store's lock,
// applies only this change and writes it back, and what another process
// wrote is loaded as soon as the file changes.
class ConfigStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("com.orlenby.quotara.WatchConfig");

    explicit ConfigStore(QObject* parent = nullptr);

    const WatchConfig& config() const { return m_config; }
    // Writes `config` as it is when the stored record is still the one this
    // process last saw; otherwise applies only what differs between the two
    // (boards and funds added, removed or renamed, the tray's source) to
    // what another process stored meanwhile.
    void setConfig(WatchConfig config);

    // Appends unless a board with the same code is listed (names are not compared).
    void addSector(const SectorConfig& sector);
    // Removes every board with that code; writes even when none matched.
    void removeSector(const SectorConfig& sector);
    void addFund(const FundConfig& fund);
    void removeFund(const FundConfig& fund);

    // Loads the stored record again; configChanged() when it differs from
    // what was shown.
    void reload();

    // The three-way merge behind setConfig(): `ours` is what this process
    // made of `base`, `theirs` what is stored now.
    static WatchConfig merge(const WatchConfig& base, const WatchConfig& ours,
                             const WatchConfig& theirs);

signals:
    void configChanged();

private:
    struct Stored {
        WatchConfig config;                   // the defaults when nothing readable is stored
        std::optional<QByteArray> unreadable; // bytes that did not read
    };
    Stored read() const;
    // Re-reads the record under the lock and hands it to `change`, which
    // edits it and says whether to write it.
    void modify(const std::function<bool(WatchConfig&)>& change);
    void show(WatchConfig config);

    Preferences m_preferences;
    WatchConfig m_config;
    SettingsWatcher* m_watcher = nullptr;
};
