#pragma once

#include "Preferences.h"
#include "WatchConfig.h"

#include <QObject>

// Keeps the watch list, loaded once from the preferences store and written
// back after every change.
class ConfigStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("com.orlenby.quotara.WatchConfig");

    explicit ConfigStore(QObject* parent = nullptr);

    const WatchConfig& config() const { return m_config; }
    // Replaces the whole record and writes it.
    void setConfig(WatchConfig config);

    // Appends unless a board with the same code is listed (names are not compared).
    void addSector(const SectorConfig& sector);
    // Removes every board with that code; writes even when none matched.
    void removeSector(const SectorConfig& sector);
    void addFund(const FundConfig& fund);
    void removeFund(const FundConfig& fund);

signals:
    void configChanged();

private:
    void save();

    Preferences m_preferences;
    WatchConfig m_config;
    // Bytes that could not be read at start; kept aside before the first write.
    std::optional<QByteArray> m_unreadable;
};
