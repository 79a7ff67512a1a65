#pragma once

#include "Preferences.h"
#include "alerts/AlertRule.h"

#include <QObject>

#include <functional>

// Keeps the ordered list of alert rules, loaded once from the preferences
// store and written back whole after every change. Fired state is part of
// the stored list, so a rule that fired before a restart stays fired.
class AlertConfig : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("com.orlenby.quotara.AlertRules");
    using Clock = std::function<QDateTime()>;

    explicit AlertConfig(QObject* parent = nullptr, Clock now = {});

    // Five take-profit and stop-loss tiers on the gold price.
    static const QList<AlertRule>& defaultRules();

    const QList<AlertRule>& rules() const { return m_rules; }
    void setRules(QList<AlertRule> rules);

    void add(const AlertRule& rule);    // no duplicate check
    void remove(const AlertRule& rule); // every rule with that id; writes even without a match
    void update(const AlertRule& rule); // the first rule with that id, all fields
    void toggle(const AlertRule& rule); // flips `enabled` of the stored rule
    void setAllEnabled(bool enabled);   // one write per rule
    // markTriggered() when triggered, else reset(); an index past the end is ignored.
    void updateStatus(int index, bool triggered);

    // The stored form: a compact JSON array of the rules. Nothing when a rule
    // cannot be encoded.
    static std::optional<QByteArray> encode(const QList<AlertRule>& rules);
    static std::optional<QList<AlertRule>> decode(const QByteArray& bytes);

signals:
    void rulesChanged();

private:
    void changed();

    Preferences m_preferences;
    QList<AlertRule> m_rules;
    Clock m_now;
    std::optional<QByteArray> m_unreadable;
};
