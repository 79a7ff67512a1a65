#include "HoldingsStore.h"

#include "SettingsWatcher.h"

HoldingsStore::HoldingsStore(QObject* parent)
    : QObject(parent), m_record(m_preferences, key, Holdings{}, &Holdings::fromJson,
                                [](const Holdings& h) { return std::optional(h.toJson()); })
{
    m_holdings = m_record.read().record;
    m_watcher = new SettingsWatcher(m_preferences.fileName(), this);
    connect(m_watcher, &SettingsWatcher::changed, this, &HoldingsStore::reload);
}

void HoldingsStore::setFund(const QString& code, const Profit::Position& position)
{
    modify([&](Holdings& stored) {
        if (stored.fund(code) == position)
            return false;
        stored.funds.insert(code, position);
        return true;
    });
}

void HoldingsStore::clearFund(const QString& code)
{
    modify([&](Holdings& stored) { return stored.funds.remove(code) > 0; });
}

void HoldingsStore::setGold(const Profit::Position& position)
{
    modify([&](Holdings& stored) {
        if (stored.gold == position)
            return false;
        stored.gold = position;
        return true;
    });
}

void HoldingsStore::clearGold()
{
    modify([&](Holdings& stored) {
        const bool held = stored.gold.has_value();
        stored.gold.reset();
        return held;
    });
}

void HoldingsStore::setHideAmounts(bool hidden)
{
    modify([&](Holdings& stored) {
        if (stored.hideAmounts == hidden)
            return false;
        stored.hideAmounts = hidden;
        return true;
    });
}

void HoldingsStore::reload()
{
    m_preferences.reload();
    show(m_record.read().record);
}

void HoldingsStore::modify(const std::function<bool(Holdings&)>& change)
{
    // Shown once the lock is released: whoever listens may well write.
    show(m_record.modify(change).first);
}

void HoldingsStore::show(Holdings holdings)
{
    if (holdings == m_holdings)
        return;
    m_holdings = std::move(holdings);
    emit holdingsChanged();
}
