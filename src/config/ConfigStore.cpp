#include "ConfigStore.h"

#include "ListMerge.h"
#include "SettingsLock.h"
#include "SettingsWatcher.h"

#include <algorithm>

ConfigStore::ConfigStore(QObject* parent) : QObject(parent)
{
    m_config = read().config;
    m_watcher = new SettingsWatcher(m_preferences.fileName(), this);
    connect(m_watcher, &SettingsWatcher::changed, this, &ConfigStore::reload);
}

WatchConfig ConfigStore::merge(const WatchConfig& base, const WatchConfig& ours,
                               const WatchConfig& theirs)
{
    if (theirs == base)
        return ours;
    const auto code = [](const auto& item) { return item.code; };
    WatchConfig merged = theirs;
    merged.sectors = ListMerge::byKey(base.sectors, ours.sectors, theirs.sectors, code);
    merged.funds = ListMerge::byKey(base.funds, ours.funds, theirs.funds, code);
    if (ours.statusBarSource != base.statusBarSource)
        merged.statusBarSource = ours.statusBarSource;
    return merged;
}

void ConfigStore::setConfig(WatchConfig config)
{
    const WatchConfig base = m_config;
    modify([&](WatchConfig& stored) {
        stored = merge(base, config, stored);
        return true;
    });
}

void ConfigStore::addSector(const SectorConfig& sector)
{
    modify([&](WatchConfig& stored) {
        if (std::any_of(stored.sectors.cbegin(), stored.sectors.cend(),
                        [&](const SectorConfig& s) { return s.code == sector.code; }))
            return false;
        stored.sectors.append(sector);
        return true;
    });
}

void ConfigStore::removeSector(const SectorConfig& sector)
{
    modify([&](WatchConfig& stored) {
        stored.sectors.removeIf([&](const SectorConfig& s) { return s.code == sector.code; });
        return true;
    });
}

void ConfigStore::addFund(const FundConfig& fund)
{
    modify([&](WatchConfig& stored) {
        if (std::any_of(stored.funds.cbegin(), stored.funds.cend(),
                        [&](const FundConfig& f) { return f.code == fund.code; }))
            return false;
        stored.funds.append(fund);
        return true;
    });
}

void ConfigStore::removeFund(const FundConfig& fund)
{
    modify([&](WatchConfig& stored) {
        stored.funds.removeIf([&](const FundConfig& f) { return f.code == fund.code; });
        return true;
    });
}

void ConfigStore::reload()
{
    m_preferences.reload();
    show(read().config);
}

ConfigStore::Stored ConfigStore::read() const
{
    const auto stored = m_preferences.data(key);
    if (!stored)
        return {WatchConfig::defaultConfig(), std::nullopt};
    if (auto config = WatchConfig::fromJson(*stored))
        return {std::move(*config), std::nullopt};
    return {WatchConfig::defaultConfig(), stored};
}

void ConfigStore::modify(const std::function<bool(WatchConfig&)>& change)
{
    WatchConfig config;
    bool written = false;
    {
        const SettingsLock lock(m_preferences.fileName());
        m_preferences.reload();
        Stored stored = read();
        config = std::move(stored.config);
        if (change(config)) {
            // What the user once saved is never overwritten unseen: an
            // unreadable record is kept beside the new one.
            if (stored.unreadable)
                m_preferences.setData(key + QStringLiteral(".unreadable"), *stored.unreadable);
            m_preferences.setData(key, config.toJson());
            written = true;
        }
    }
    // Signalled once the lock is released: whoever listens may well write.
    if (!written) {
        show(std::move(config));
        return;
    }
    m_config = std::move(config);
    emit configChanged();
}

void ConfigStore::show(WatchConfig config)
{
    if (config == m_config)
        return;
    m_config = std::move(config);
    emit configChanged();
}
