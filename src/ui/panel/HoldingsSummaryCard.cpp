#include "HoldingsSummaryCard.h"

#include "Palette.h"
#include "PanelStyle.h"
#include "market/Format.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kPadding = 14;
constexpr int kTitleRow = 18, kCaptionRow = 16, kValueRow = 34, kNoteRow = 16;

} // namespace

HoldingsSummaryCard::HoldingsSummaryCard(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

HoldingsSummaryCard::Texts HoldingsSummaryCard::textsFor(const Profit::Summary& s, bool hidden)
{
    Texts t;
    QStringList scope;
    if (s.funds + s.missingFunds > 0)
        scope.append(QStringLiteral("%1 只基金").arg(s.funds + s.missingFunds));
    if (s.gold)
        scope.append(QStringLiteral("黄金"));
    t.scope = scope.join(QStringLiteral(" · "));
    t.value =
        s.value ? (hidden ? Format::masked() : u'¥' + Format::money(*s.value)) : Format::absent();
    const auto today = s.today ? std::optional(s.today->fen) : std::nullopt;
    t.cells = {
        HoldingStrip::moneyCell(QStringLiteral("今日收益"), today, hidden,
                                s.today ? Profit::tag(*s.today) : QString()),
        HoldingStrip::moneyCell(QStringLiteral("持有收益"), s.holdingProfit, hidden),
        HoldingStrip::Cell{.caption = QStringLiteral("收益率"),
                           .tag = {},
                           .value = Format::pct(s.holdingRatePct),
                           .color = s.holdingRatePct ? Palette::trend(*s.holdingRatePct)
                                                     : Palette::secondaryText()},
    };
    QStringList notes;
    if (s.earlierFunds > 0)
        notes.append(QStringLiteral("今日收益不含 %1 只净值滞后的基金").arg(s.earlierFunds));
    if (s.missingFunds > 0)
        notes.append(QStringLiteral("%1 只基金暂无数据").arg(s.missingFunds));
    t.note = notes.join(QStringLiteral(" · "));
    return t;
}

void HoldingsSummaryCard::setSummary(const Profit::Summary& summary, bool hidden)
{
    Texts texts = textsFor(summary, hidden);
    if (texts == m_texts && summary.value.has_value() == m_value.has_value())
        return;
    const bool resized = texts.note.isEmpty() != m_texts.note.isEmpty();
    m_texts = std::move(texts);
    m_value = summary.value;
    if (resized)
        updateGeometry();
    update();
}

QSize HoldingsSummaryCard::sizeHint() const
{
    const int note = m_texts.note.isEmpty() ? 0 : kNoteRow;
    return {372, 12 + kTitleRow + kCaptionRow + kValueRow + HoldingStrip::stripHeight + note + 10};
}

void HoldingsSummaryCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPainterPath shape = PanelStyle::beginRoundedCard(p, rect(), Palette::cardBackground());
    const int left = kPadding;
    const int right = width() - kPadding;
    int y = 12;

    const QRect title(left, y, right - left, kTitleRow);
    p.setFont(PanelStyle::font(13, QFont::DemiBold));
    p.setPen(Palette::primaryText());
    p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("我的持仓"));
    p.setFont(PanelStyle::font(11));
    p.setPen(Palette::secondaryText());
    p.drawText(title, Qt::AlignRight | Qt::AlignVCenter, m_texts.scope);
    y += kTitleRow;

    p.setFont(PanelStyle::font(10));
    p.setPen(Palette::mutedText());
    p.drawText(QRect(left, y, right - left, kCaptionRow), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("持有金额"));
    y += kCaptionRow;
    // The value of what is held has no sign: it is drawn in the brand's gold.
    QFont valueFont = PanelStyle::font(26, QFont::Bold);
    p.setFont(valueFont);
    p.setPen(m_value ? Palette::brandGoldBright() : Palette::secondaryText());
    p.drawText(QRect(left, y, right - left, kValueRow), Qt::AlignLeft | Qt::AlignVCenter,
               m_texts.value);
    y += kValueRow;

    HoldingStrip::paint(p, QRect(left, y, right - left, HoldingStrip::stripHeight), m_texts.cells);
    y += HoldingStrip::stripHeight;

    if (!m_texts.note.isEmpty()) {
        p.setFont(PanelStyle::font(10));
        p.setPen(Palette::mutedText());
        p.drawText(QRect(left, y, right - left, kNoteRow), Qt::AlignLeft | Qt::AlignVCenter,
                   m_texts.note);
    }
    PanelStyle::finishRoundedCard(p, shape);
}
