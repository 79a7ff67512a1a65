#pragma once

#include "AlertRule.h"

#include <QList>
#include <QSet>
#include <QString>

// The alert rule list's grouping: rules on the same target (type and code)
// form one group, listed where the group's first rule stands. Which groups
// are collapsed is remembered as one preferences string.
namespace RuleGroups {

inline const QString collapsedGroupsKey = QStringLiteral("com.orlenby.quotara.CollapsedGroups");

struct RuleGroup {
    QString id; // "<raw target type>|<target code>", e.g. "板块|BK0475"
    AlertTargetType targetType = AlertTargetType::goldCNY;
    QString name; // the first rule's target name
    QList<AlertRule> rules;
};

QString groupId(const AlertRule& rule);
QList<RuleGroup> group(const QList<AlertRule>& rules);

// The stored string split at commas, empty pieces dropped.
QSet<QString> readCollapsed(const QString& raw);
// The stored string after a header press on `id`: the id joins the set or
// leaves it; the ids are written sorted and joined with ",".
QString toggleCollapsed(const QString& raw, const QString& id);

// Whether any rule of the group is enabled (the group is drawn dimmed
// otherwise), and whether any is both triggered and enabled (orange badge).
bool anyEnabled(const RuleGroup& group);
bool anyFiredAndEnabled(const RuleGroup& group);

} // namespace RuleGroups
