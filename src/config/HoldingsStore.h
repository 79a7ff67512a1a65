#pragma once

#include "Holdings.h"
#include "Preferences.h"
#include "StoredRecord.h"

#include <QObject>

class SettingsWatcher;

// Keeps the user's holdings, shared with every other Quotara process of the
// same settings: each change re-reads the stored record under the store's
// lock and touches only its own entry (one fund, gold, or the switch) before
// writing it back, and what another process wrote is loaded as soon as the
// file changes.
class HoldingsStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("com.orlenby.quotara.Holdings");

    explicit HoldingsStore(QObject* parent = nullptr);

    const Holdings& holdings() const { return m_holdings; }

    void setFund(const QString& code, const Profit::Position& position);
    void clearFund(const QString& code);
    void setGold(const Profit::Position& position);
    void clearGold();
    void setHideAmounts(bool hidden);

    // Loads the stored record again; holdingsChanged() when it differs from
    // what was shown.
    void reload();

signals:
    void holdingsChanged();

private:
    void modify(const std::function<bool(Holdings&)>& change);
    void show(Holdings holdings);

    Preferences m_preferences;
    StoredRecord<Holdings> m_record;
    Holdings m_holdings;
    SettingsWatcher* m_watcher = nullptr;
};
