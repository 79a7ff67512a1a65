#pragma once

#include "Preferences.h"
#include "alerts/AlertRule.h"

#include <QObject>

#include <functional>

class SettingsWatcher;

// Keeps the ordered list of alert rules. Fired state is part of the stored
// list, so a rule that fired before a restart stays fired.
//
// The list is shared with every other Quotara process of the same settings:
// each change re-reads the stored list under the store's lock and touches
// only its own rules (by id) before writing it back, and what another
// process wrote is loaded as soon as the file changes.
class AlertConfig : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("com.orlenby.quotara.AlertRules");
    using Clock = std::function<QDateTime()>;

    explicit AlertConfig(QObject* parent = nullptr, Clock now = {});

    // Five take-profit and stop-loss tiers on the gold price.
    static const QList<AlertRule>& defaultRules();

    const QList<AlertRule>& rules() const { return m_rules; }
    // Writes `rules` as they are when the stored list is still the one this
    // process last saw; otherwise applies only the rules added, removed or
    // changed here to what another process stored meanwhile.
    void setRules(QList<AlertRule> rules);

    void add(const AlertRule& rule);    // no duplicate check
    void remove(const AlertRule& rule); // every rule with that id; writes even without a match
    void update(const AlertRule& rule); // the first rule with that id, all fields
    // Switches the first rule with that id to the opposite of what this
    // process shows for it, keeping its fired state.
    void toggle(const AlertRule& rule);
    void setAllEnabled(bool enabled); // one write per rule
    // markTriggered() when triggered, else reset(), of the first stored rule
    // with the id of rules()[index]; an index past the end is ignored.
    void updateStatus(int index, bool triggered);

    // Marks the first rule with that id fired at `at` if it is stored
    // enabled and armed. Decided and written under the store's lock, so of
    // several processes that see the same crossing, exactly one gets true:
    // that one notifies.
    bool markTriggeredIfArmed(const QString& ruleId, const QDateTime& at);
    // Re-arms the first rule with that id if it is stored fired; true when
    // this call did it.
    bool rearmIfTriggered(const QString& ruleId);

    // Loads the stored list again; rulesChanged() when it differs from what
    // was shown.
    void reload();

    // The three-way merge behind setRules(): `ours` is what this process
    // made of `base`, `theirs` what is stored now.
    static QList<AlertRule> merge(const QList<AlertRule>& base, const QList<AlertRule>& ours,
                                  const QList<AlertRule>& theirs);

    // The stored form: a compact JSON array of the rules. Nothing when a rule
    // cannot be encoded.
    static std::optional<QByteArray> encode(const QList<AlertRule>& rules);
    static std::optional<QList<AlertRule>> decode(const QByteArray& bytes);

signals:
    void rulesChanged();

private:
    struct Stored {
        QList<AlertRule> rules;               // the defaults when nothing readable is stored
        std::optional<QByteArray> unreadable; // bytes that did not read
    };
    Stored read() const;
    // Re-reads the list under the lock and hands it to `change`, which edits
    // it and says whether to write it.
    void modify(const std::function<bool(QList<AlertRule>&)>& change);
    void show(QList<AlertRule> rules);

    Preferences m_preferences;
    QList<AlertRule> m_rules;
    Clock m_now;
    SettingsWatcher* m_watcher = nullptr;
};
