#pragma once

#include "market/Profit.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

class QPainter;

// A row of figures side by side, each a small caption over its value:
//
//   份额            今日收益 估        持有收益
//   10,000.00       +52.00            +652.00
//
// Sums of money are red for a gain and green for a loss. The fund card paints
// the same row into itself; the gold tab and the summary card use the widget.
class HoldingStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int stripHeight = 40;

    struct Cell {
        QString caption;
        QString tag; // after the caption, in gold: "估", "已更新"
        QString value;
        QColor color;
        bool operator==(const Cell&) const = default;
    };

    explicit HoldingStrip(QWidget* parent = nullptr);

    void setCells(QList<Cell> cells);
    const QList<Cell>& cells() const { return m_cells; }

    // Draws `cells` in equal columns across `area`.
    static void paint(QPainter& painter, const QRect& area, const QList<Cell>& cells);

    // A holding's row: its quantity, what it made today (captioned with the
    // value date when that day is not today's) and its holding profit;
    // `extra` cells go between the quantity and the day. Amounts and the
    // quantity read "****" while hidden.
    static QList<Cell> positionCells(const QString& quantityCaption, const QString& quantity,
                                     const Profit::Figures& figures, bool hidden,
                                     const QList<Cell>& extra = {});
    // A sum of money in the colour of its sign; absent in the secondary colour.
    static Cell moneyCell(const QString& caption, std::optional<qint64> fen, bool hidden,
                          const QString& tag = {});

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Cell> m_cells;
};
