#pragma once

#include "alerts/AlertRuleForm.h"

#include <QWidget>

class FormSection;
class FormTextField;
class AlertConfig;
class ConfigStore;
class QComboBox;
class QLabel;
class QPushButton;
class SegmentedTabs;

// The 360×440 sheet that adds an alert rule or changes one: target type,
// target, fund metric, direction, threshold and reminder text. It writes to
// the alert store and emits `finished()` when it is done: saved or cancelled.
class AlertRuleSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{360, 440};

    QString title() const;
    const AlertRuleForm& form() const { return m_form; }

    SegmentedTabs* targetTypeTabs() const { return m_typeTabs; }
    QComboBox* targetMenu() const { return m_targetMenu; }
    // What the target section says in place of the menu when nothing is
    // watched to pick; empty otherwise.
    QString missingTargetText() const;
    SegmentedTabs* fundMetricTabs() const { return m_metricTabs; }
    SegmentedTabs* directionTabs() const { return m_directionTabs; }
    FormTextField* thresholdField() const { return m_threshold; }
    FormTextField* labelField() const { return m_label; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* confirmButton() const { return m_confirm; }
    bool isTargetSectionShown() const;
    bool isFundMetricSectionShown() const;
    bool isThresholdErrorShown() const;

    // "添加" / "保存": stores the rule and closes when the threshold parses;
    // otherwise says so under the field and stays open.
    void confirm();
    void cancel();

signals:
    void finished();

protected:
    AlertRuleSheet(AlertConfig& rules, const ConfigStore& watchList, std::optional<AlertRule> rule,
                   QWidget* parent);
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setTargetType(AlertTargetType type);
    void fillTargetMenu();
    void updateFromForm();

    AlertConfig& m_rules;
    const ConfigStore& m_watchList;
    AlertRuleForm m_form;

    QLabel* m_title = nullptr;
    SegmentedTabs* m_typeTabs = nullptr;
    FormSection* m_targetSection = nullptr;
    QComboBox* m_targetMenu = nullptr;
    QLabel* m_targetMissing = nullptr;
    FormSection* m_metricSection = nullptr;
    SegmentedTabs* m_metricTabs = nullptr;
    SegmentedTabs* m_directionTabs = nullptr;
    FormTextField* m_threshold = nullptr;
    QLabel* m_thresholdError = nullptr;
    FormTextField* m_label = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_confirm = nullptr;
};

// "添加预警规则": a fresh gold rule to start from.
class AddAlertSheet : public AlertRuleSheet {
    Q_OBJECT
public:
    AddAlertSheet(AlertConfig& rules, const ConfigStore& watchList, QWidget* parent = nullptr);
};

// "编辑预警规则": the rule's own values; its target type cannot change, and it
// keeps its id, switch and fired state.
class EditAlertSheet : public AlertRuleSheet {
    Q_OBJECT
public:
    EditAlertSheet(AlertConfig& rules, const ConfigStore& watchList, const AlertRule& rule,
                   QWidget* parent = nullptr);
};
