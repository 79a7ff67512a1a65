#include "HoldingStrip.h"

#include "Palette.h"
#include "PanelStyle.h"
#include "market/Format.h"

#include <QPainter>

HoldingStrip::HoldingStrip(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void HoldingStrip::setCells(QList<Cell> cells)
{
    if (cells == m_cells)
        return;
    m_cells = std::move(cells);
    update();
}

QSize HoldingStrip::sizeHint() const
{
    return {300, stripHeight};
}

void HoldingStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), m_cells);
}

void HoldingStrip::paint(QPainter& p, const QRect& area, const QList<Cell>& cells)
{
    if (cells.isEmpty())
        return;
    const QFont captionFont = PanelStyle::font(10);
    const QFont valueFont = PanelStyle::font(13, QFont::Medium);
    const QFontMetrics captionMetrics(captionFont);
    const QFontMetrics valueMetrics(valueFont);
    const int width = area.width() / int(cells.size());
    const int captionTop = area.top() + (area.height() - 16 - 20) / 2;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        const QRect column(area.left() + int(i) * width, area.top(), width - 6, area.height());
        const QRect caption(column.left(), captionTop, column.width(), 16);
        p.setFont(captionFont);
        p.setPen(Palette::mutedText());
        const QString captionText =
            captionMetrics.elidedText(cell.caption, Qt::ElideRight, caption.width());
        p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, captionText);
        if (!cell.tag.isEmpty()) {
            p.setPen(Palette::brandGold());
            p.drawText(caption.adjusted(captionMetrics.horizontalAdvance(captionText) + 4, 0, 0, 0),
                       Qt::AlignLeft | Qt::AlignVCenter, cell.tag);
        }
        p.setFont(valueFont);
        p.setPen(cell.color.isValid() ? cell.color : Palette::primaryText());
        p.drawText(QRect(column.left(), caption.bottom() + 1, column.width(), 20),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   valueMetrics.elidedText(cell.value, Qt::ElideRight, column.width()));
    }
}

HoldingStrip::Cell HoldingStrip::moneyCell(const QString& caption, std::optional<qint64> fen,
                                           bool hidden, const QString& tag)
{
    return Cell{.caption = caption,
                .tag = tag,
                .value = Profit::signedAmount(fen, hidden),
                .color = fen ? Palette::trend(double(*fen)) : Palette::secondaryText()};
}

QList<HoldingStrip::Cell> HoldingStrip::positionCells(const QString& quantityCaption,
                                                      const QString& quantity,
                                                      const Profit::Figures& figures, bool hidden,
                                                      const QList<Cell>& extra)
{
    QList<Cell> cells{Cell{.caption = quantityCaption,
                           .tag = {},
                           .value = hidden ? Format::masked() : quantity,
                           .color = Palette::primaryText()}};
    cells += extra;
    const auto& today = figures.today;
    // A day other than today's is named by its date, not "今日".
    const bool earlier = today && today->kind == Profit::DayKind::earlier;
    cells.append(moneyCell(earlier ? Profit::tag(*today) + QStringLiteral(" 收益")
                                   : QStringLiteral("今日收益"),
                           today ? std::optional(today->fen) : std::nullopt, hidden,
                           today && !earlier ? Profit::tag(*today) : QString()));
    cells.append(moneyCell(QStringLiteral("持有收益"), figures.holdingProfit, hidden));
    return cells;
}
