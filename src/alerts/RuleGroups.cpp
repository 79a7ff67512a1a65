#include "RuleGroups.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace RuleGroups {

QString groupId(const AlertRule& rule)
{
    return rawValue(rule.targetType) + u'|' + rule.targetCode;
}

QList<RuleGroup> group(const QList<AlertRule>& rules)
{
    QList<RuleGroup> groups;
    QHash<QString, qsizetype> indexOfId;
    for (const AlertRule& rule : rules) {
        const QString id = groupId(rule);
        auto it = indexOfId.constFind(id);
        if (it == indexOfId.constEnd()) {
            it = indexOfId.insert(id, groups.size());
            groups.append(RuleGroup{id, rule.targetType, rule.targetName, {}});
        }
        groups[it.value()].rules.append(rule);
    }
    return groups;
}

QSet<QString> readCollapsed(const QString& raw)
{
    const QStringList ids = raw.split(u',', Qt::SkipEmptyParts);
    return QSet<QString>(ids.begin(), ids.end());
}

QString toggleCollapsed(const QString& raw, const QString& id)
{
    QSet<QString> collapsed = readCollapsed(raw);
    if (!collapsed.remove(id))
        collapsed.insert(id);
    QStringList ids(collapsed.begin(), collapsed.end());
    ids.sort(); // plain ascending string order, so the stored text is stable
    return ids.join(u',');
}

bool anyEnabled(const RuleGroup& group)
{
    return std::any_of(group.rules.begin(), group.rules.end(),
                       [](const AlertRule& r) { return r.enabled; });
}

bool anyFiredAndEnabled(const RuleGroup& group)
{
    return std::any_of(group.rules.begin(), group.rules.end(),
                       [](const AlertRule& r) { return r.enabled && r.triggered; });
}

} // namespace RuleGroups
