#include "AlertRuleSheet.h"

#include "FormSection.h"
#include "FormTextField.h"
#include "IconLabel.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "PickerBox.h"
#include "SegmentedTabs.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr AlertTargetType kTypes[] = {AlertTargetType::goldCNY, AlertTargetType::sector,
                                      AlertTargetType::fund};
constexpr FundMetric kMetrics[] = {FundMetric::nav, FundMetric::changePct};
constexpr AlertDirection kDirections[] = {AlertDirection::above, AlertDirection::below};

template <typename T, std::size_t N> int indexIn(const T (&values)[N], T value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (values[i] == value)
            return int(i);
    }
    return 0;
}

} // namespace

AlertRuleSheet::AlertRuleSheet(AlertConfig& rules, const ConfigStore& watchList,
                               std::optional<AlertRule> rule, QWidget* parent)
    : QWidget(parent), m_rules(rules), m_watchList(watchList),
      m_form(rule ? AlertRuleForm(watchList.config(), *rule) : AlertRuleForm(watchList.config()))
{
    setFixedSize(sheetSize);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);

    m_title =
        PanelStyle::label(rule ? QStringLiteral("编辑预警规则") : QStringLiteral("添加预警规则"),
                          14, Palette::primaryText(), QFont::DemiBold);
    column->addWidget(m_title);

    m_typeTabs =
        new SegmentedTabs({QStringLiteral("金CNY"), QStringLiteral("板块"), QStringLiteral("基金")},
                          SegmentedTabs::Style::Compact);
    m_typeTabs->setSelection(indexIn(kTypes, m_form.targetType()));
    // An existing rule stays on its kind of target.
    m_typeTabs->setEnabled(!rule);
    connect(m_typeTabs, &SegmentedTabs::selectionChanged, this,
            [this](int index) { setTargetType(kTypes[std::clamp(index, 0, 2)]); });
    column->addWidget(new FormSection(QStringLiteral("标的类型"), m_typeTabs));

    m_targetMenu = new PickerBox;
    m_targetMenu->setFont(PanelStyle::font(12));
    connect(m_targetMenu, &QComboBox::activated, this,
            [this](int index) { m_form.pickTarget(m_targetMenu->itemData(index).toString()); });
    auto* target = new QWidget;
    auto* targetColumn = new QVBoxLayout(target);
    targetColumn->setContentsMargins(0, 0, 0, 0);
    targetColumn->setSpacing(4);
    targetColumn->addWidget(m_targetMenu);
    m_targetMissing = PanelStyle::label(QString(), 11, QColor(255, 149, 0));
    m_targetMissing->hide();
    targetColumn->addWidget(m_targetMissing);
    m_targetSection = new FormSection(QStringLiteral("选择标的"), target);
    column->addWidget(m_targetSection);

    auto* metric = new QWidget;
    auto* metricColumn = new QVBoxLayout(metric);
    metricColumn->setContentsMargins(0, 0, 0, 0);
    metricColumn->setSpacing(6);
    m_metricTabs = new SegmentedTabs({rawValue(FundMetric::nav), rawValue(FundMetric::changePct)},
                                     SegmentedTabs::Style::Compact);
    m_metricTabs->setSelection(indexIn(kMetrics, m_form.fundMetric()));
    connect(m_metricTabs, &SegmentedTabs::selectionChanged, this, [this](int index) {
        m_form.setFundMetric(kMetrics[std::clamp(index, 0, 1)]);
        updateFromForm();
    });
    metricColumn->addWidget(m_metricTabs);
    auto* note = new QHBoxLayout;
    note->setSpacing(4);
    note->addWidget(new IconLabel(QStringLiteral("info.circle"), Palette::secondaryText(), 10));
    note->addWidget(
        PanelStyle::label(QStringLiteral("基金预警在净值更新后触发（每个交易日收盘后）"), 10,
                          Palette::secondaryText()));
    note->addStretch(1);
    metricColumn->addLayout(note);
    m_metricSection = new FormSection(QStringLiteral("预警基准"), metric);
    column->addWidget(m_metricSection);

    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    m_directionTabs = new SegmentedTabs({QStringLiteral("≥ 涨到"), QStringLiteral("≤ 跌到")},
                                        SegmentedTabs::Style::Compact);
    m_directionTabs->setFixedWidth(160);
    m_directionTabs->setSelection(indexIn(kDirections, m_form.direction()));
    connect(m_directionTabs, &SegmentedTabs::selectionChanged, this,
            [this](int index) { m_form.setDirection(kDirections[std::clamp(index, 0, 1)]); });
    row->addWidget(new FormSection(QStringLiteral("方向"), m_directionTabs));
    m_threshold = new FormTextField(m_form.thresholdPlaceholder(), 100);
    m_threshold->setText(m_form.threshold());
    connect(m_threshold, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_form.setThreshold(text);
        m_thresholdError->hide();
        updateFromForm();
    });
    row->addWidget(new FormSection(QStringLiteral("阈值"), m_threshold));
    row->addStretch(1);
    column->addLayout(row);
    m_thresholdError =
        PanelStyle::label(QStringLiteral("阈值须为数字，如 700 或 -2.5"), 10, Palette::up());
    m_thresholdError->hide();
    column->addWidget(m_thresholdError);

    m_label = new FormTextField(QStringLiteral("第1档止盈 · 建议卖1/3"));
    m_label->setText(m_form.label());
    connect(m_label, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_form.setLabel(text);
        updateFromForm();
    });
    column->addWidget(new FormSection(QStringLiteral("提醒文案（动作提示）"), m_label));

    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    m_cancel = PanelStyle::borderedButton(QStringLiteral("取消"));
    connect(m_cancel, &QPushButton::clicked, this, &AlertRuleSheet::cancel);
    buttons->addWidget(m_cancel);
    m_confirm = PanelStyle::prominentButton(rule ? QStringLiteral("保存") : QStringLiteral("添加"));
    m_confirm->setDefault(true);
    connect(m_confirm, &QPushButton::clicked, this, &AlertRuleSheet::confirm);
    buttons->addWidget(m_confirm);
    column->addLayout(buttons);

    fillTargetMenu();
    updateFromForm();
}

QString AlertRuleSheet::title() const
{
    return m_title->text();
}

bool AlertRuleSheet::isTargetSectionShown() const
{
    return !m_targetSection->isHidden();
}

QString AlertRuleSheet::missingTargetText() const
{
    return m_targetMissing->isHidden() ? QString() : m_targetMissing->text();
}

bool AlertRuleSheet::isThresholdErrorShown() const
{
    return !m_thresholdError->isHidden();
}

bool AlertRuleSheet::isFundMetricSectionShown() const
{
    return !m_metricSection->isHidden();
}

void AlertRuleSheet::setTargetType(AlertTargetType type)
{
    m_form.setTargetType(type);
    m_thresholdError->hide();
    fillTargetMenu();
    updateFromForm();
}

void AlertRuleSheet::fillTargetMenu()
{
    m_targetMenu->clear();
    const WatchConfig& watch = m_watchList.config();
    if (m_form.targetType() == AlertTargetType::sector) {
        for (const SectorConfig& s : watch.sectors)
            m_targetMenu->addItem(s.name + QStringLiteral(" (") + s.code + u')', s.code);
    } else if (m_form.targetType() == AlertTargetType::fund) {
        for (const FundConfig& f : watch.funds)
            m_targetMenu->addItem(f.name + QStringLiteral(" (") + f.code + u')', f.code);
    }
    // A rule whose target has left the watch list shows no entry rather than
    // someone else's.
    m_targetMenu->setCurrentIndex(m_targetMenu->findData(m_form.targetCode()));
}

void AlertRuleSheet::updateFromForm()
{
    const AlertTargetType type = m_form.targetType();
    m_targetSection->setVisible(type != AlertTargetType::goldCNY);
    m_metricSection->setVisible(type == AlertTargetType::fund);
    m_threshold->setPlaceholderText(m_form.thresholdPlaceholder());
    if (m_threshold->text() != m_form.threshold())
        m_threshold->setText(m_form.threshold());
    const QString missing = m_form.missingTarget();
    m_targetMenu->setVisible(missing.isEmpty());
    m_targetMissing->setText(missing);
    m_targetMissing->setVisible(!missing.isEmpty());
    m_confirm->setEnabled(m_form.canSubmit());
    // A disabled button says why.
    m_confirm->setToolTip(m_form.submitBlocker());
}

void AlertRuleSheet::confirm()
{
    if (!m_form.canSubmit())
        return;
    const auto rule = m_form.result();
    if (!rule) {
        // Closing here would look like a saved rule; the user fixes the
        // number instead.
        m_thresholdError->show();
        m_threshold->setFocus();
        return;
    }
    if (m_form.isEditing())
        m_rules.update(*rule);
    else
        m_rules.add(*rule);
    emit finished();
}

void AlertRuleSheet::cancel()
{
    emit finished();
}

void AlertRuleSheet::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        confirm();
        return;
    }
    QWidget::keyPressEvent(event);
}

AddAlertSheet::AddAlertSheet(AlertConfig& rules, const ConfigStore& watchList, QWidget* parent)
    : AlertRuleSheet(rules, watchList, std::nullopt, parent)
{}

EditAlertSheet::EditAlertSheet(AlertConfig& rules, const ConfigStore& watchList,
                               const AlertRule& rule, QWidget* parent)
    : AlertRuleSheet(rules, watchList, rule, parent)
{}
