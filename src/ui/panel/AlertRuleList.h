#pragma once

#include "alerts/RuleGroups.h"
#include "config/Preferences.h"

#include <QAbstractButton>
#include <QWidget>

class GoldToggle;
class AlertConfig;
class QLabel;
class QMenu;
class QVBoxLayout;

// One rule: direction badge, threshold, the fired line or the reminder
// text, its own switch, and a context menu with "编辑" and "删除".
class AlertRuleRow : public QWidget {
    Q_OBJECT
public:
    AlertRuleRow(AlertConfig& rules, const AlertRule& rule, QWidget* parent = nullptr);

    const AlertRule& rule() const { return m_rule; }
    // The same rule changed (switched, fired, re-armed, edited): the row
    // follows in place, keeping its focus, menu and the switch's movement.
    // Its direction is fixed; a rule that changed direction gets a new row.
    void setRule(const AlertRule& rule);

    // "↑ 止盈" / "↓ 止损".
    static QString directionText(AlertDirection direction);
    // By target: gold "%.2f", board "%.2f%", fund "%.2f%" for a change and
    // "%.3f" for a value.
    static QString thresholdText(const AlertRule& rule);
    // "已触发 14:05" in the user's locale (local time), or the rule's label
    // when it has not fired or the time is unknown.
    static QString secondLine(const AlertRule& rule, const QLocale& locale);

    QString thresholdLabelText() const;
    QString secondLineText() const;
    bool isShowingFiredLine() const;
    GoldToggle* toggle() const { return m_toggle; }
    QMenu* contextMenu() const { return m_menu; }

signals:
    void editRequested(const AlertRule& rule);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A double click or Return opens the edit sheet, as on the watch rows.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    AlertConfig& m_rules;
    AlertRule m_rule;
    QLabel* m_threshold = nullptr;
    QLabel* m_secondLine = nullptr;
    QWidget* m_firedMark = nullptr;
    GoldToggle* m_toggle = nullptr;
    QMenu* m_menu = nullptr;
};

// The header of one group: the target's symbol and name, the count badge
// and a chevron; pressing it collapses or expands the group.
class AlertGroupHeader : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int rowHeight = 38;

    AlertGroupHeader(const RuleGroups::RuleGroup& group, bool collapsed, QWidget* parent = nullptr);

    QString badgeText() const; // "3 条"
    void setGroup(const RuleGroups::RuleGroup& group);
    // Orange when a rule of the group is both fired and switched on.
    bool isBadgeAlerting() const { return m_alerting; }
    bool isCollapsed() const { return m_collapsed; }
    static QString symbolName(AlertTargetType type);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RuleGroups::RuleGroup m_group;
    bool m_collapsed;
    bool m_alerting;
};

// One group: header and, unless collapsed, its rows; dimmed when none of its
// rules is switched on.
class AlertGroupView : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 10;
    static constexpr double dimmedOpacity = 0.65;

    AlertGroupView(AlertConfig& rules, const RuleGroups::RuleGroup& group, bool collapsed,
                   QWidget* parent = nullptr);

    const RuleGroups::RuleGroup& group() const { return m_group; }
    // The same rules in the same order, their states changed.
    void setGroup(const RuleGroups::RuleGroup& group);
    AlertGroupHeader* header() const { return m_header; }
    QList<AlertRuleRow*> rows() const { return m_rows; }
    // 1 with a switched-on rule, else dimmedOpacity.
    double opacity() const { return m_active ? 1.0 : dimmedOpacity; }

signals:
    void toggleCollapse(const QString& groupId);
    void editRequested(const AlertRule& rule);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyDimming();

    RuleGroups::RuleGroup m_group;
    bool m_active;
    bool m_collapsed;
    AlertGroupHeader* m_header = nullptr;
    QList<AlertRuleRow*> m_rows;
};

// Every alert rule, grouped by target in store order, with a master switch.
// Which groups are collapsed is kept in the preferences store and survives a
// restart.
class AlertRuleList : public QWidget {
    Q_OBJECT
public:
    explicit AlertRuleList(AlertConfig& rules, QWidget* parent = nullptr);

    bool isShowingEmptyText() const;
    GoldToggle* masterSwitch() const { return m_master; }
    QList<AlertGroupView*> groups() const { return m_groups; }
    QString collapsedGroupsRaw() const;
    void toggleCollapse(const QString& groupId);

signals:
    void editRequested(const AlertRule& rule);

private:
    void rebuild();
    // What needs new widgets when it changes: the groups, their names, and
    // each rule's id and direction, and which groups are folded.
    QString layoutKey() const;

    AlertConfig& m_rules;
    Preferences m_preferences;
    QVBoxLayout* m_layout = nullptr;
    QWidget* m_content = nullptr;
    QWidget* m_empty = nullptr;
    GoldToggle* m_master = nullptr;
    QString m_builtFor; // layoutKey() of what is on screen
    QList<AlertGroupView*> m_groups;
};
