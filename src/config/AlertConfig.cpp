#include "AlertConfig.h"

#include "ListMerge.h"
#include "OrderedJson.h"
#include "SettingsLock.h"
#include "SettingsWatcher.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace {

AlertRule goldTier(const char* id, AlertDirection direction, double threshold, QString label)
{
    return AlertRule{.id = QString::fromLatin1(id),
                     .targetType = AlertTargetType::goldCNY,
                     .targetCode = QString(),
                     .targetName = QStringLiteral("黄金(CNY/g)"),
                     .direction = direction,
                     .threshold = threshold,
                     .label = std::move(label),
                     .enabled = true,
                     .triggered = false,
                     .triggeredAt = std::nullopt,
                     .fundMetric = std::nullopt};
}

// The first rule with that id.
QList<AlertRule>::iterator findRule(QList<AlertRule>& rules, const QString& id)
{
    return std::find_if(rules.begin(), rules.end(), [&](const AlertRule& r) { return r.id == id; });
}

} // namespace

AlertConfig::AlertConfig(QObject* parent, Clock now) : QObject(parent), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTimeUtc(); };
    m_rules = read().rules;
    m_watcher = new SettingsWatcher(m_preferences.fileName(), this);
    connect(m_watcher, &SettingsWatcher::changed, this, &AlertConfig::reload);
}

const QList<AlertRule>& AlertConfig::defaultRules()
{
    static const QList<AlertRule> rules{
        goldTier("gold-tp1", AlertDirection::above, 700, QStringLiteral("第1档止盈 · 建议卖1/3")),
        goldTier("gold-tp2", AlertDirection::above, 750, QStringLiteral("第2档止盈 · 建议卖1/3")),
        goldTier("gold-tp3", AlertDirection::above, 800, QStringLiteral("第3档止盈 · 建议清仓")),
        goldTier("gold-sl1", AlertDirection::below, 600, QStringLiteral("第1档止损 · 建议减半")),
        goldTier("gold-sl2", AlertDirection::below, 550, QStringLiteral("第2档止损 · 建议清仓")),
    };
    return rules;
}

std::optional<QByteArray> AlertConfig::encode(const QList<AlertRule>& rules)
{
    QList<QByteArray> elements;
    elements.reserve(rules.size());
    for (const AlertRule& rule : rules) {
        auto json = rule.toJson();
        if (!json)
            return std::nullopt;
        elements.append(std::move(*json));
    }
    return OrderedJson::array(elements);
}

std::optional<QList<AlertRule>> AlertConfig::decode(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<AlertRule> rules;
    for (const QJsonValue& element : document.array()) {
        if (!element.isObject())
            return std::nullopt;
        auto rule = AlertRule::fromJson(element.toObject());
        if (!rule)
            return std::nullopt; // one bad rule discards the stored list
        rules.append(std::move(*rule));
    }
    return rules;
}

AlertConfig::Stored AlertConfig::read() const
{
    const auto stored = m_preferences.data(key);
    if (!stored)
        return {defaultRules(), std::nullopt};
    if (auto rules = decode(*stored))
        return {std::move(*rules), std::nullopt};
    return {defaultRules(), stored};
}

void AlertConfig::modify(const std::function<bool(QList<AlertRule>&)>& change)
{
    QList<AlertRule> rules;
    bool changed = false;
    {
        const SettingsLock lock(m_preferences.fileName());
        m_preferences.reload();
        Stored stored = read();
        rules = std::move(stored.rules);
        changed = change(rules);
        if (changed) {
            if (const auto bytes = encode(rules)) {
                // An unreadable stored list is kept aside before it is overwritten.
                if (stored.unreadable)
                    m_preferences.setData(key + QStringLiteral(".unreadable"), *stored.unreadable);
                m_preferences.setData(key, *bytes);
            }
        }
    }
    // Signalled once the lock is released: whoever listens may well write.
    if (!changed) {
        show(std::move(rules));
        return;
    }
    m_rules = std::move(rules);
    emit rulesChanged();
}

void AlertConfig::show(QList<AlertRule> rules)
{
    if (rules == m_rules)
        return;
    m_rules = std::move(rules);
    emit rulesChanged();
}

void AlertConfig::reload()
{
    m_preferences.reload();
    show(read().rules);
}

QList<AlertRule> AlertConfig::merge(const QList<AlertRule>& base, const QList<AlertRule>& ours,
                                    const QList<AlertRule>& theirs)
{
    return ListMerge::byKey(base, ours, theirs, [](const AlertRule& r) { return r.id; });
}

void AlertConfig::setRules(QList<AlertRule> rules)
{
    const QList<AlertRule> base = m_rules;
    modify([&](QList<AlertRule>& stored) {
        stored = merge(base, rules, stored);
        return true;
    });
}

void AlertConfig::add(const AlertRule& rule)
{
    modify([&](QList<AlertRule>& stored) {
        stored.append(rule);
        return true;
    });
}

void AlertConfig::remove(const AlertRule& rule)
{
    modify([&](QList<AlertRule>& stored) {
        stored.removeIf([&](const AlertRule& r) { return r.id == rule.id; });
        return true;
    });
}

void AlertConfig::update(const AlertRule& rule)
{
    modify([&](QList<AlertRule>& stored) {
        const auto it = findRule(stored, rule.id);
        if (it == stored.end())
            return false;
        *it = rule;
        return true;
    });
}

void AlertConfig::toggle(const AlertRule& rule)
{
    // The switch goes where the user saw it go, whatever another process
    // did with it meanwhile.
    const auto shown = findRule(m_rules, rule.id);
    if (shown == m_rules.end())
        return;
    const bool enabled = !shown->enabled;
    modify([&](QList<AlertRule>& stored) {
        const auto it = findRule(stored, rule.id);
        if (it == stored.end())
            return false;
        it->enabled = enabled;
        return true;
    });
}

void AlertConfig::setAllEnabled(bool enabled)
{
    reload();
    const QList<AlertRule> rules = m_rules;
    for (const AlertRule& rule : rules) {
        modify([&](QList<AlertRule>& stored) {
            for (AlertRule& r : stored) {
                if (r.id == rule.id)
                    r.enabled = enabled;
            }
            return true;
        });
    }
}

void AlertConfig::updateStatus(int index, bool triggered)
{
    if (index < 0 || index >= m_rules.size())
        return;
    const QString id = m_rules[index].id;
    const QDateTime now = m_now();
    modify([&](QList<AlertRule>& stored) {
        const auto it = findRule(stored, id);
        if (it == stored.end())
            return false;
        if (triggered)
            it->markTriggered(now);
        else
            it->reset();
        return true;
    });
}

bool AlertConfig::markTriggeredIfArmed(const QString& ruleId, const QDateTime& at)
{
    bool marked = false;
    modify([&](QList<AlertRule>& stored) {
        const auto it = findRule(stored, ruleId);
        if (it == stored.end() || !it->enabled || it->triggered)
            return false;
        it->markTriggered(at);
        marked = true;
        return true;
    });
    return marked;
}

bool AlertConfig::rearmIfTriggered(const QString& ruleId)
{
    bool rearmed = false;
    modify([&](QList<AlertRule>& stored) {
        const auto it = findRule(stored, ruleId);
        if (it == stored.end() || !it->triggered)
            return false;
        it->reset();
        rearmed = true;
        return true;
    });
    return rearmed;
}
