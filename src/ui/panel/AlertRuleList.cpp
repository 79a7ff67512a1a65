#include "AlertRuleList.h"

#include "GoldToggle.h"
#include "IconLabel.h"
#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "config/AlertConfig.h"
#include "market/Format.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace {

QColor orange()
{
    return QColor(255, 149, 0);
}

// A short text in a small rounded capsule: filled, outlined, or both.
class Capsule : public QWidget {
public:
    Capsule(const QString& text, const QFont& font, QColor text_, QColor fill, QColor stroke,
            QWidget* parent = nullptr)
        : QWidget(parent), m_text(text), m_textColor(text_), m_fill(fill), m_stroke(stroke)
    {
        setFont(font);
        const QSize textSize = fontMetrics().size(Qt::TextSingleLine, m_text);
        setFixedSize(textSize.width() + 12, textSize.height() + 2);
    }
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.4, 0.4, -0.4, -0.4);
        p.setPen(m_stroke.alpha() ? QPen(m_stroke, 0.8) : QPen(Qt::NoPen));
        p.setBrush(m_fill);
        p.drawRoundedRect(r, 6, 6);
        p.setPen(m_textColor);
        p.drawText(rect(), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
    QColor m_textColor, m_fill, m_stroke;
};

} // namespace

// ---- AlertRuleRow

QString AlertRuleRow::directionText(AlertDirection direction)
{
    return direction == AlertDirection::above ? QStringLiteral("↑ 止盈") : QStringLiteral("↓ 止损");
}

QString AlertRuleRow::thresholdText(const AlertRule& rule)
{
    switch (rule.targetType) {
    case AlertTargetType::goldCNY:
        return Format::fixed(rule.threshold, 2);
    case AlertTargetType::sector:
        return Format::fixed(rule.threshold, 2) + u'%';
    case AlertTargetType::fund:
        return rule.fundMetric == FundMetric::changePct ? Format::fixed(rule.threshold, 2) + u'%'
                                                        : Format::fixed(rule.threshold, 3);
    }
    return {};
}

QString AlertRuleRow::secondLine(const AlertRule& rule, const QLocale& locale)
{
    if (rule.triggered && rule.triggeredAt)
        return QStringLiteral("已触发 ") +
               locale.toString(rule.triggeredAt->toLocalTime().time(), QLocale::ShortFormat);
    return rule.label;
}

AlertRuleRow::AlertRuleRow(AlertConfig& rules, const AlertRule& rule, QWidget* parent)
    : QWidget(parent), m_rules(rules), m_rule(rule)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(8);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    const QColor directionColor =
        rule.direction == AlertDirection::above ? Palette::up() : Palette::down();
    first->addWidget(new Capsule(directionText(rule.direction),
                                 PanelStyle::font(10, QFont::DemiBold), directionColor,
                                 Qt::transparent, Palette::withOpacity(directionColor, 0.45)));
    m_threshold = PanelStyle::label(
        thresholdText(rule), 12, rule.enabled ? Palette::primaryText() : Palette::secondaryText(),
        QFont::Medium);
    first->addWidget(m_threshold);
    first->addStretch(1);
    texts->addLayout(first);

    auto* second = new QHBoxLayout;
    second->setSpacing(3);
    const bool fired = rule.triggered && rule.triggeredAt.has_value();
    m_firedMark = new IconLabel(QStringLiteral("checkmark.circle.fill"), orange(), 10);
    m_firedMark->setVisible(fired);
    second->addWidget(m_firedMark);
    m_secondLine = PanelStyle::label(secondLine(rule, QLocale()), 10,
                                     fired ? orange() : Palette::secondaryText());
    m_secondLine->setTextFormat(Qt::PlainText);
    second->addWidget(m_secondLine, 1);
    texts->addLayout(second);
    row->addLayout(texts, 1);

    m_toggle = new GoldToggle;
    m_toggle->setObjectName(QStringLiteral("switch:") + rule.id);
    m_toggle->setChecked(rule.enabled);
    m_toggle->setToolTip(rule.enabled ? QStringLiteral("已开启") : QStringLiteral("已关闭"));
    connect(m_toggle, &GoldToggle::clicked, this, [this] { m_rules.toggle(m_rule); });
    row->addWidget(m_toggle, 0, Qt::AlignVCenter);

    // Reachable with Tab, and it says how it is edited.
    setObjectName(QStringLiteral("rule:") + rule.id);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QStringLiteral("双击或按回车编辑，右键可删除"));

    m_menu = new QMenu(this);
    QAction* edit = m_menu->addAction(
        Icons::icon(QStringLiteral("pencil"), Palette::primaryText(), 14), QStringLiteral("编辑"));
    connect(edit, &QAction::triggered, this, [this] { emit editRequested(m_rule); });
    QAction* remove = m_menu->addAction(Icons::icon(QStringLiteral("trash"), Palette::up(), 14),
                                        QStringLiteral("删除"));
    connect(remove, &QAction::triggered, this, [this] { m_rules.remove(m_rule); });
}

void AlertRuleRow::setRule(const AlertRule& rule)
{
    m_rule = rule;
    m_threshold->setText(thresholdText(rule));
    PanelStyle::setColor(m_threshold,
                         rule.enabled ? Palette::primaryText() : Palette::secondaryText());
    const bool fired = rule.triggered && rule.triggeredAt.has_value();
    m_firedMark->setVisible(fired);
    m_secondLine->setText(secondLine(rule, QLocale()));
    PanelStyle::setColor(m_secondLine, fired ? orange() : Palette::secondaryText());
    m_toggle->setChecked(rule.enabled);
    m_toggle->setToolTip(rule.enabled ? QStringLiteral("已开启") : QStringLiteral("已关闭"));
}

QString AlertRuleRow::thresholdLabelText() const
{
    return m_threshold->text();
}

QString AlertRuleRow::secondLineText() const
{
    return m_secondLine->text();
}

bool AlertRuleRow::isShowingFiredLine() const
{
    return !m_firedMark->isHidden();
}

void AlertRuleRow::contextMenuEvent(QContextMenuEvent* event)
{
    m_menu->popup(event->globalPos());
}

void AlertRuleRow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    emit editRequested(m_rule);
}

void AlertRuleRow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit editRequested(m_rule);
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- AlertGroupHeader

QString AlertGroupHeader::symbolName(AlertTargetType type)
{
    switch (type) {
    case AlertTargetType::goldCNY:
        return QStringLiteral("scalemass.fill");
    case AlertTargetType::sector:
        return QStringLiteral("square.grid.2x2.fill");
    case AlertTargetType::fund:
        return QStringLiteral("chart.pie.fill");
    }
    return {};
}

AlertGroupHeader::AlertGroupHeader(const RuleGroups::RuleGroup& group, bool collapsed,
                                   QWidget* parent)
    : QAbstractButton(parent), m_group(group), m_collapsed(collapsed),
      m_alerting(RuleGroups::anyFiredAndEnabled(group))
{
    setObjectName(QStringLiteral("group:") + group.id);
    setFixedHeight(rowHeight);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab like the panel's other buttons; a click does not take
    // the focus.
    setFocusPolicy(Qt::TabFocus);
    setToolTip(collapsed ? QStringLiteral("展开") : QStringLiteral("收起"));
}

void AlertGroupHeader::setGroup(const RuleGroups::RuleGroup& group)
{
    m_group = group;
    m_alerting = RuleGroups::anyFiredAndEnabled(group);
    update();
}

QString AlertGroupHeader::badgeText() const
{
    return QString::number(m_group.rules.size()) + QStringLiteral(" 条");
}

QSize AlertGroupHeader::sizeHint() const
{
    return {200, rowHeight};
}

void AlertGroupHeader::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal dpr = PanelStyle::devicePixelRatio(p);
    qreal x = 10;
    const qreal mid = height() / 2.0;

    const QPixmap symbol =
        Icons::pixmap(symbolName(m_group.targetType), Palette::secondaryText(), 11, dpr);
    p.drawPixmap(QPointF(x + (18 - 11) / 2.0, mid - 5.5), symbol);
    x += 18 + 6;

    const QPixmap chevron =
        Icons::pixmap(QStringLiteral("chevron.right"), Palette::secondaryText(), 10, dpr);
    const qreal chevronX = width() - 10 - 10;

    p.setFont(PanelStyle::font(12, QFont::DemiBold));
    p.setPen(Palette::primaryText());
    const QFontMetrics nameMetrics(p.font());
    const QString badge = badgeText();
    const QFont badgeFont = PanelStyle::font(10);
    const QFontMetrics badgeMetrics(badgeFont);
    const qreal badgeWidth = badgeMetrics.horizontalAdvance(badge) + 12;
    const int nameRoom = int(chevronX - 6 - badgeWidth - 6 - x);
    const QString name =
        nameMetrics.elidedText(m_group.name, Qt::ElideRight, std::max(0, nameRoom));
    p.drawText(QRectF(x, 0, nameRoom, height()), Qt::AlignVCenter | Qt::AlignLeft, name);
    x += nameMetrics.horizontalAdvance(name) + 6;

    const QColor badgeText = m_alerting ? orange() : Palette::secondaryText();
    const QColor badgeFill = m_alerting ? Palette::withOpacity(orange(), 0.15)
                                        : Palette::withOpacity(Palette::secondaryText(), 0.12);
    const qreal badgeHeight = badgeMetrics.height() + 2;
    const QRectF badgeRect(x, mid - badgeHeight / 2, badgeWidth, badgeHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(badgeFill);
    p.drawRoundedRect(badgeRect, 6, 6);
    p.setFont(badgeFont);
    p.setPen(badgeText);
    p.drawText(badgeRect, Qt::AlignCenter, badge);

    // Pointing down while the group is open.
    p.save();
    p.translate(chevronX + 5, mid);
    if (!m_collapsed)
        p.rotate(90);
    p.drawPixmap(QPointF(-5, -5), chevron);
    p.restore();

    if (underMouse()) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::withOpacity(Palette::primaryText(), 0.04));
        p.drawRect(rect());
    }
}

// ---- AlertGroupView

AlertGroupView::AlertGroupView(AlertConfig& rules, const RuleGroups::RuleGroup& group,
                               bool collapsed, QWidget* parent)
    : QWidget(parent), m_group(group), m_active(RuleGroups::anyEnabled(group)),
      m_collapsed(collapsed)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = new AlertGroupHeader(group, collapsed);
    connect(m_header, &AlertGroupHeader::clicked, this,
            [this] { emit toggleCollapse(m_group.id); });
    column->addWidget(m_header);
    if (!collapsed) {
        column->addWidget(PanelStyle::divider(0.6));
        for (qsizetype i = 0; i < group.rules.size(); ++i) {
            auto* row = new AlertRuleRow(rules, group.rules[i]);
            connect(row, &AlertRuleRow::editRequested, this, &AlertGroupView::editRequested);
            column->addWidget(row);
            m_rows.append(row);
            if (i + 1 < group.rules.size()) {
                auto* indented = new QHBoxLayout;
                indented->setContentsMargins(26, 0, 0, 0);
                indented->addWidget(PanelStyle::divider(0.4));
                column->addLayout(indented);
            }
        }
    }
    applyDimming();
}

void AlertGroupView::setGroup(const RuleGroups::RuleGroup& group)
{
    m_group = group;
    m_header->setGroup(group);
    for (qsizetype i = 0; i < m_rows.size() && i < group.rules.size(); ++i)
        m_rows[i]->setRule(group.rules[i]);
    m_active = RuleGroups::anyEnabled(group);
    applyDimming();
    update();
}

void AlertGroupView::applyDimming()
{
    if (m_active) {
        setGraphicsEffect(nullptr);
    } else if (!graphicsEffect()) {
        auto* effect = new QGraphicsOpacityEffect(this);
        effect->setOpacity(dimmedOpacity);
        setGraphicsEffect(effect);
    }
}

void AlertGroupView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), cornerRadius,
                         cornerRadius);
    p.setClipPath(shape);
    p.fillRect(rect(), Palette::panelBackground());
    p.fillRect(m_header->geometry(), Palette::cardBackground());
    p.setClipping(false);
    p.setPen(QPen(Palette::withOpacity(Palette::cardBorder(), m_active ? 1.0 : 0.5), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

// ---- AlertRuleList

AlertRuleList::AlertRuleList(AlertConfig& rules, QWidget* parent) : QWidget(parent), m_rules(rules)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    connect(&m_rules, &AlertConfig::rulesChanged, this, &AlertRuleList::rebuild);
    rebuild();
}

QString AlertRuleList::collapsedGroupsRaw() const
{
    return m_preferences.string(RuleGroups::collapsedGroupsKey).value_or(QString());
}

void AlertRuleList::toggleCollapse(const QString& groupId)
{
    m_preferences.setString(RuleGroups::collapsedGroupsKey,
                            RuleGroups::toggleCollapsed(collapsedGroupsRaw(), groupId));
    rebuild();
}

bool AlertRuleList::isShowingEmptyText() const
{
    return m_empty != nullptr;
}

QString AlertRuleList::layoutKey() const
{
    QString key = collapsedGroupsRaw();
    for (const RuleGroups::RuleGroup& group : RuleGroups::group(m_rules.rules())) {
        key += u'\n' + group.id + u'\t' + group.name;
        for (const AlertRule& rule : group.rules)
            key += u'\t' + rule.id + (rule.direction == AlertDirection::above ? u'+' : u'-');
    }
    return key;
}

void AlertRuleList::rebuild()
{
    // A rule switched, fired or edited in place changes its own row only:
    // rebuilding would take the keyboard focus, an open menu and the
    // switch's movement with it.
    const QString key = layoutKey();
    if (m_master && key == m_builtFor) {
        const QList<AlertRule>& rules = m_rules.rules();
        m_master->setChecked(
            std::any_of(rules.begin(), rules.end(), [](const AlertRule& r) { return r.enabled; }));
        const QList<RuleGroups::RuleGroup> groups = RuleGroups::group(rules);
        for (qsizetype i = 0; i < m_groups.size() && i < groups.size(); ++i)
            m_groups[i]->setGroup(groups[i]);
        return;
    }
    m_builtFor = key;

    // The control with the focus is about to go (a group folded with Return,
    // a rule deleted from its menu); its successor of the same name gets the
    // focus. Meanwhile the list holds it, or hiding the old rows would pass
    // it on down the page.
    QString focused;
    if (QWidget* focus = QApplication::focusWidget(); m_content && m_content->isAncestorOf(focus)) {
        focused = focus->objectName();
        setFocus(Qt::OtherFocusReason);
    }

    // Called from inside the handlers of the widgets it replaces (a switch,
    // a menu): the old ones go once those handlers have returned.
    if (m_content) {
        m_content->hide();
        m_layout->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_empty = nullptr;
    m_master = nullptr;
    m_groups.clear();

    m_content = new QWidget;
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const QList<AlertRule>& rules = m_rules.rules();

    if (rules.isEmpty()) {
        m_empty = new QWidget;
        auto* empty = new QVBoxLayout(m_empty);
        empty->setContentsMargins(0, 14, 0, 14);
        empty->setSpacing(6);
        empty->addWidget(new IconLabel(QStringLiteral("bell.slash"), Palette::secondaryText(), 12),
                         0, Qt::AlignHCenter);
        empty->addWidget(PanelStyle::label(QStringLiteral("暂无预警规则，点击 + 添加"), 12,
                                           Palette::secondaryText()),
                         0, Qt::AlignHCenter);
        column->addWidget(m_empty);
        m_layout->addWidget(m_content);
        return;
    }
    // However it ends, the list's new controls take over the focus it held.
    const auto refocus = qScopeGuard([this, focused] {
        if (!hasFocus())
            return;
        auto* successor = focused.isEmpty() ? nullptr : m_content->findChild<QWidget*>(focused);
        if (successor)
            successor->setFocus(Qt::OtherFocusReason);
        else if (m_master)
            m_master->setFocus(Qt::OtherFocusReason);
    });

    auto* master = new QWidget;
    master->setFixedHeight(AlertGroupHeader::rowHeight);
    auto* masterRow = new QHBoxLayout(master);
    masterRow->setContentsMargins(10, 0, 10, 0);
    masterRow->setSpacing(6);
    masterRow->addWidget(
        new IconLabel(QStringLiteral("bell.fill"), Palette::secondaryText(), 12, 18));
    masterRow->addWidget(
        PanelStyle::label(QStringLiteral("全部规则"), 12, Palette::primaryText(), QFont::DemiBold));
    masterRow->addStretch(1);
    m_master = new GoldToggle;
    m_master->setObjectName(QStringLiteral("master"));
    m_master->setToolTip(QStringLiteral("开启或关闭全部规则"));
    m_master->setChecked(
        std::any_of(rules.begin(), rules.end(), [](const AlertRule& r) { return r.enabled; }));
    connect(m_master, &GoldToggle::clicked, this, [this](bool on) { m_rules.setAllEnabled(on); });
    masterRow->addWidget(m_master);
    column->addWidget(master);
    column->addWidget(PanelStyle::divider());

    auto* groupColumn = new QVBoxLayout;
    groupColumn->setContentsMargins(8, 8, 8, 8);
    groupColumn->setSpacing(6);
    const QSet<QString> collapsed = RuleGroups::readCollapsed(collapsedGroupsRaw());
    for (const RuleGroups::RuleGroup& group : RuleGroups::group(rules)) {
        auto* view = new AlertGroupView(m_rules, group, collapsed.contains(group.id));
        connect(view, &AlertGroupView::toggleCollapse, this, &AlertRuleList::toggleCollapse);
        connect(view, &AlertGroupView::editRequested, this, &AlertRuleList::editRequested);
        groupColumn->addWidget(view);
        m_groups.append(view);
    }
    column->addLayout(groupColumn);
    m_layout->addWidget(m_content);
}
