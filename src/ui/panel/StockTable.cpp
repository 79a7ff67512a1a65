#include "StockTable.h"

#include "Palette.h"
#include "PanelStyle.h"
#include "market/Format.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kPadding = 14;
constexpr int kGap = 8;

struct Columns {
    QRect rank, name, price, change, amount;
};

// The name column takes what is left once the fixed columns are placed from
// the right edge.
Columns columnsIn(const QRect& row)
{
    const int left = row.left() + kPadding;
    const int right = row.right() - kPadding + 1;
    Columns c;
    c.amount =
        QRect(right - StockTable::amountWidth, row.top(), StockTable::amountWidth, row.height());
    c.change = QRect(c.amount.left() - kGap - StockTable::changeWidth, row.top(),
                     StockTable::changeWidth, row.height());
    c.price = QRect(c.change.left() - kGap - StockTable::priceWidth, row.top(),
                    StockTable::priceWidth, row.height());
    c.rank = QRect(left, row.top(), StockTable::rankWidth, row.height());
    c.name = QRect(c.rank.right() + 1 + kGap, row.top(), StockTable::nameWidth, row.height());
    return c;
}

} // namespace

StockTable::StockTable(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void StockTable::setStocks(const QList<StockQuote>& stocks)
{
    if (stocks == m_stocks)
        return;
    m_stocks = stocks;
    updateGeometry();
    update();
}

QColor StockTable::rowBackground(int row)
{
    return row % 2 == 0 ? Palette::zebraDark() : Palette::zebraLight();
}

QStringList StockTable::figureTexts(int row) const
{
    const StockQuote& s = m_stocks.at(row);
    return {Format::price(s.price), Format::pct(s.changePct), Format::amount(s.amount)};
}

QSize StockTable::sizeHint() const
{
    return {372, headerHeight + 1 + int(m_stocks.size()) * rowHeight +
                     std::max(0, int(m_stocks.size()) - 1)};
}

void StockTable::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPainterPath shape = PanelStyle::beginRoundedCard(p, rect(), Palette::zebraLight());

    const QColor divider = Palette::withOpacity(Palette::cardBorder(), 0.5);
    const QFont headerFont = PanelStyle::font(12, QFont::Medium);
    const QFont rowFont = PanelStyle::font(12);
    const QColor primary = Palette::primaryText();
    const QColor secondary = Palette::secondaryText();

    int y = 0;
    const QRect header(0, y, width(), headerHeight);
    const Columns h = columnsIn(header);
    p.setFont(headerFont);
    p.setPen(Palette::withOpacity(primary, 0.7));
    p.drawText(h.rank, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("#"));
    p.drawText(h.name, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("名称"));
    p.drawText(h.price, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("现价"));
    p.drawText(h.change, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("涨跌%"));
    p.drawText(h.amount, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("成交额"));
    y += headerHeight;
    p.fillRect(QRect(0, y, width(), 1), divider);
    y += 1;

    p.setFont(rowFont);
    const QFontMetrics metrics(rowFont);
    for (int i = 0; i < m_stocks.size(); ++i) {
        const StockQuote& s = m_stocks[i];
        const QRect row(0, y, width(), rowHeight);
        p.fillRect(row, rowBackground(i));
        const Columns c = columnsIn(row);
        p.setPen(secondary);
        p.drawText(c.rank, Qt::AlignLeft | Qt::AlignVCenter, QString::number(i + 1));
        p.setPen(primary);
        p.drawText(c.name, Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(s.name, Qt::ElideRight, c.name.width()));
        const QStringList figures = figureTexts(i);
        p.drawText(c.price, Qt::AlignRight | Qt::AlignVCenter, figures[0]);
        p.setPen(s.changePct ? Palette::trend(*s.changePct) : secondary);
        p.drawText(c.change, Qt::AlignRight | Qt::AlignVCenter, figures[1]);
        p.setPen(secondary);
        p.drawText(c.amount, Qt::AlignRight | Qt::AlignVCenter, figures[2]);
        y += rowHeight;
        if (i + 1 < m_stocks.size()) {
            p.fillRect(QRect(0, y, width(), 1), divider);
            y += 1;
        }
    }

    PanelStyle::finishRoundedCard(p, shape);
}
