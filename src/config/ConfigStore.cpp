#include "ConfigStore.h"

ConfigStore::ConfigStore(QObject* parent) : QObject(parent)
{
    const auto stored = m_preferences.data(key);
    if (stored) {
        if (auto config = WatchConfig::fromJson(*stored)) {
            m_config = std::move(*config);
            return;
        }
        m_unreadable = stored;
    }
    m_config = WatchConfig::defaultConfig();
}

void ConfigStore::setConfig(WatchConfig config)
{
    m_config = std::move(config);
    save();
    emit configChanged();
}

void ConfigStore::addSector(const SectorConfig& sector)
{
    for (const SectorConfig& s : m_config.sectors) {
        if (s.code == sector.code)
            return;
    }
    WatchConfig config = m_config;
    config.sectors.append(sector);
    setConfig(std::move(config));
}

void ConfigStore::removeSector(const SectorConfig& sector)
{
    WatchConfig config = m_config;
    config.sectors.removeIf([&](const SectorConfig& s) { return s.code == sector.code; });
    setConfig(std::move(config));
}

void ConfigStore::addFund(const FundConfig& fund)
{
    for (const FundConfig& f : m_config.funds) {
        if (f.code == fund.code)
            return;
    }
    WatchConfig config = m_config;
    config.funds.append(fund);
    setConfig(std::move(config));
}

void ConfigStore::removeFund(const FundConfig& fund)
{
    WatchConfig config = m_config;
    config.funds.removeIf([&](const FundConfig& f) { return f.code == fund.code; });
    setConfig(std::move(config));
}

void ConfigStore::save()
{
    // What the user once saved is never overwritten unseen: an unreadable
    // record is kept beside the new one.
    if (m_unreadable) {
        m_preferences.setData(key + QStringLiteral(".unreadable"), *m_unreadable);
        m_unreadable.reset();
    }
    m_preferences.setData(key, m_config.toJson());
}
