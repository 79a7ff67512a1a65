#include "AlertConfig.h"

#include "OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

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

} // namespace

AlertConfig::AlertConfig(QObject* parent, Clock now) : QObject(parent), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTimeUtc(); };
    const auto stored = m_preferences.data(key);
    if (stored) {
        if (auto rules = decode(*stored)) {
            m_rules = std::move(*rules);
            return;
        }
        m_unreadable = stored;
    }
    m_rules = defaultRules();
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

void AlertConfig::changed()
{
    if (const auto bytes = encode(m_rules)) {
        // An unreadable stored list is kept aside before it is overwritten.
        if (m_unreadable) {
            m_preferences.setData(key + QStringLiteral(".unreadable"), *m_unreadable);
            m_unreadable.reset();
        }
        m_preferences.setData(key, *bytes);
    }
    emit rulesChanged();
}

void AlertConfig::setRules(QList<AlertRule> rules)
{
    m_rules = std::move(rules);
    changed();
}

void AlertConfig::add(const AlertRule& rule)
{
    m_rules.append(rule);
    changed();
}

void AlertConfig::remove(const AlertRule& rule)
{
    m_rules.removeIf([&](const AlertRule& r) { return r.id == rule.id; });
    changed();
}

void AlertConfig::update(const AlertRule& rule)
{
    for (AlertRule& r : m_rules) {
        if (r.id == rule.id) {
            r = rule;
            changed();
            return;
        }
    }
}

void AlertConfig::toggle(const AlertRule& rule)
{
    for (AlertRule& r : m_rules) {
        if (r.id == rule.id) {
            r.enabled = !r.enabled;
            changed();
            return;
        }
    }
}

void AlertConfig::setAllEnabled(bool enabled)
{
    const qsizetype count = m_rules.size();
    for (qsizetype i = 0; i < count; ++i) {
        m_rules[i].enabled = enabled;
        changed();
    }
}

void AlertConfig::updateStatus(int index, bool triggered)
{
    if (index < 0 || index >= m_rules.size())
        return;
    if (triggered)
        m_rules[index].markTriggered(m_now());
    else
        m_rules[index].reset();
    changed();
}
