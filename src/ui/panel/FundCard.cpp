#include "FundCard.h"

#include "Palette.h"
#include "PanelStyle.h"
#include "market/Format.h"
#include "market/FundEstimator.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {

constexpr int kPadding = 14;
constexpr int kGap = 8;
constexpr int kHeaderHeight = 30;
constexpr int kRowHeight = 28;
constexpr int kEmptyHeight = 40;
// name row, value row (2 px extra above), date row, inside 12 px margins
constexpr int kNameRow = 18, kValueRow = 36, kDateRow = 16;

struct Columns {
    QRect rank, name, weight, change;
};

Columns columnsIn(const QRect& row)
{
    const int right = row.right() - kPadding + 1;
    Columns c;
    c.change = QRect(right - FundCard::changeWidth, row.top(), FundCard::changeWidth, row.height());
    c.weight = QRect(c.change.left() - kGap - FundCard::weightWidth, row.top(),
                     FundCard::weightWidth, row.height());
    c.rank = QRect(row.left() + kPadding, row.top(), FundCard::rankWidth, row.height());
    c.name = QRect(c.rank.right() + 1 + kGap, row.top(), FundCard::nameWidth, row.height());
    return c;
}

// The estimate at the right end of the date row: its label, 4 px, its value.
struct EstimateText {
    QString label = QStringLiteral("盘中估算");
    QString value;
    QFont labelFont = PanelStyle::font(10);
    QFont valueFont = PanelStyle::font(12, QFont::Medium);
    int valueWidth() const { return QFontMetrics(valueFont).horizontalAdvance(value); }
    int width() const
    {
        return QFontMetrics(labelFont).horizontalAdvance(label) + 4 + valueWidth();
    }
};

QFont roundedBold(int pixelSize)
{
    QFont f = PanelStyle::font(pixelSize, QFont::Bold);
    f.setFamilies({QStringLiteral("SF Pro Rounded"), QStringLiteral("Nunito"),
                   QStringLiteral("Quicksand"), f.family()});
    return f;
}

} // namespace

FundCard::FundCard(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void FundCard::setFund(const FundDetail& fund, const QMap<QString, double>& changes)
{
    if (fund == m_fund && changes == m_changes)
        return;
    m_fund = fund;
    m_changes = changes;
    updateGeometry();
    update();
}

FundCard::SummaryTexts FundCard::summaryTexts() const
{
    const FundQuote& q = m_fund.quote;
    SummaryTexts t{.value = Format::nav(q.nav),
                   .change = Format::pct(q.navChange()),
                   .date = QStringLiteral("净值日期 ") + q.navDate,
                   .estimateLabel = {},
                   .estimateValue = {}};
    if (m_fund.navIsCurrent) {
        // The day's value is out and already holds the day's move.
        t.estimateLabel = QStringLiteral("净值已更新");
    } else if (m_fund.estNav) {
        t.estimateLabel = EstimateText{}.label;
        t.estimateValue = Format::nav(*m_fund.estNav);
    }
    return t;
}

void FundCard::setHolding(QList<HoldingStrip::Cell> cells)
{
    if (cells == m_holding)
        return;
    const bool resized = cells.isEmpty() != m_holding.isEmpty();
    m_holding = std::move(cells);
    if (resized)
        updateGeometry();
    update();
}

int FundCard::holdingRows() const
{
    return int(std::min<qsizetype>(m_fund.holdings.size(), maxHoldings));
}

QStringList FundCard::changeTexts() const
{
    QStringList texts;
    for (int i = 0; i < holdingRows(); ++i) {
        const auto it = m_changes.constFind(FundEstimator::normalizeCode(m_fund.holdings[i].code));
        texts.append(it == m_changes.constEnd() ? QStringLiteral("--") : Format::pct(it.value()));
    }
    return texts;
}

QRect FundCard::trustArea() const
{
    const int right = width() - kPadding;
    if (m_fund.estNav && !m_fund.navIsCurrent) {
        const EstimateText text{.value = Format::nav(*m_fund.estNav)};
        const int top = 12 + kNameRow + kValueRow;
        return QRect(right - text.width(), top, text.width(), kDateRow);
    }
    return QRect(kPadding, 12 + kNameRow, right - kPadding, kValueRow);
}

bool FundCard::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QRect area = trustArea();
    if (m_trust && area.contains(help->pos())) {
        QToolTip::showText(help->globalPos(), EstimateLog::toolTip(*m_trust), this, area);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

int FundCard::summaryHeight() const
{
    const int holding = m_holding.isEmpty() ? 0 : 1 + HoldingStrip::stripHeight;
    return 12 + kNameRow + kValueRow + kDateRow + 12 + holding;
}

QSize FundCard::sizeHint() const
{
    const int rows = holdingRows();
    const int holdings =
        rows == 0 ? kEmptyHeight : kHeaderHeight + 1 + rows * kRowHeight + (rows - 1);
    return {372, summaryHeight() + 1 + holdings};
}

void FundCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPainterPath shape = PanelStyle::beginRoundedCard(p, rect(), Palette::cardBackground());

    const QColor primary = Palette::primaryText();
    const QColor secondary = Palette::secondaryText();
    const QColor muted = Palette::mutedText();
    const FundQuote& q = m_fund.quote;
    const QColor trend = Palette::trend(q.navChangePct);

    // Summary block.
    const int left = kPadding;
    const int right = width() - kPadding;
    int y = 12;
    p.setFont(PanelStyle::font(13, QFont::DemiBold));
    p.setPen(primary);
    const QRect nameRow(left, y, right - left, kNameRow);
    p.drawText(nameRow.adjusted(0, 0, -60, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(p.font()).elidedText(q.name, Qt::ElideRight, nameRow.width() - 60));
    p.setFont(PanelStyle::font(11));
    p.setPen(secondary);
    p.drawText(nameRow, Qt::AlignRight | Qt::AlignVCenter, q.code);
    y += kNameRow;

    // Value and change share the first baseline.
    const QFont navFont = roundedBold(28);
    const QFont pctFont = PanelStyle::font(14, QFont::DemiBold);
    const QFontMetrics navMetrics(navFont);
    const int baseline = y + 2 + navMetrics.ascent();
    const SummaryTexts texts = summaryTexts();
    p.setFont(navFont);
    p.setPen(trend);
    p.drawText(QPoint(left, baseline), texts.value);
    p.setFont(pctFont);
    p.drawText(QPoint(left + navMetrics.horizontalAdvance(texts.value) + 8, baseline),
               texts.change);
    y += kValueRow;

    const QRect dateRow(left, y, right - left, kDateRow);
    p.setFont(PanelStyle::font(10));
    p.setPen(muted);
    p.drawText(dateRow, Qt::AlignLeft | Qt::AlignVCenter, texts.date);
    if (texts.estimateValue.isEmpty()) {
        p.drawText(dateRow, Qt::AlignRight | Qt::AlignVCenter, texts.estimateLabel);
    } else {
        const EstimateText text{.value = texts.estimateValue};
        p.setFont(text.valueFont);
        p.setPen(primary);
        p.drawText(dateRow, Qt::AlignRight | Qt::AlignVCenter, text.value);
        p.setFont(text.labelFont);
        p.setPen(muted);
        p.drawText(dateRow.adjusted(0, 0, -(text.valueWidth() + 4), 0),
                   Qt::AlignRight | Qt::AlignVCenter, text.label);
    }
    y += kDateRow + 12;
    const QColor divider = Palette::withOpacity(Palette::cardBorder(), 0.5);
    if (!m_holding.isEmpty()) {
        p.fillRect(QRect(kPadding, y, width() - 2 * kPadding, 1),
                   Palette::withOpacity(Palette::cardBorder(), 0.35));
        y += 1;
        HoldingStrip::paint(p, QRect(left, y, right - left, HoldingStrip::stripHeight), m_holding);
        y += HoldingStrip::stripHeight;
    }
    p.fillRect(QRect(0, y, width(), 1), divider);
    y += 1;

    // Holdings.
    if (m_fund.holdings.isEmpty()) {
        p.setFont(PanelStyle::font(11));
        p.setPen(secondary);
        p.drawText(QRect(0, y, width(), kEmptyHeight), Qt::AlignCenter,
                   QStringLiteral("暂无重仓数据"));
    } else {
        const QRect header(0, y, width(), kHeaderHeight);
        p.fillRect(header, Palette::zebraLight());
        const Columns h = columnsIn(header);
        p.setFont(PanelStyle::font(12, QFont::Medium));
        p.setPen(Palette::withOpacity(primary, 0.7));
        p.drawText(h.rank, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("#"));
        p.drawText(h.name, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("名称"));
        p.drawText(h.weight, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("占比"));
        p.drawText(h.change, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("今日涨跌"));
        y += kHeaderHeight;
        p.fillRect(QRect(0, y, width(), 1), divider);
        y += 1;

        const QFont rowFont = PanelStyle::font(12);
        const QFontMetrics metrics(rowFont);
        p.setFont(rowFont);
        const QStringList changes = changeTexts();
        for (int i = 0; i < holdingRows(); ++i) {
            const FundHolding& h = m_fund.holdings[i];
            const Columns c = columnsIn(QRect(0, y, width(), kRowHeight));
            p.setPen(secondary);
            p.drawText(c.rank, Qt::AlignLeft | Qt::AlignVCenter, QString::number(i + 1));
            p.setPen(primary);
            p.drawText(c.name, Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(h.name, Qt::ElideRight, c.name.width()));
            p.setPen(secondary);
            p.drawText(c.weight, Qt::AlignRight | Qt::AlignVCenter,
                       Format::fixed(h.weight, 1) + u'%');
            const auto it = m_changes.constFind(FundEstimator::normalizeCode(h.code));
            p.setPen(it == m_changes.constEnd() ? secondary : Palette::trend(it.value()));
            p.drawText(c.change, Qt::AlignRight | Qt::AlignVCenter, changes[i]);
            y += kRowHeight;
            if (i + 1 < holdingRows()) {
                p.fillRect(QRect(0, y, width(), 1), divider);
                y += 1;
            }
        }
    }

    PanelStyle::finishRoundedCard(p, shape);
}
