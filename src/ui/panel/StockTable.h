#pragma once

#include "market/QuoteRecords.h"

#include <QWidget>

// The board's most traded stocks: rank, name, price, change and turnover,
// on alternating backgrounds, inside a rounded outline.
class StockTable : public QWidget {
    Q_OBJECT
public:
    // Column widths of the header and the rows.
    static constexpr int rankWidth = 28, nameWidth = 84, priceWidth = 62, changeWidth = 62,
                         amountWidth = 64, headerHeight = 30, rowHeight = 28;

    explicit StockTable(QWidget* parent = nullptr);

    void setStocks(const QList<StockQuote>& stocks);
    const QList<StockQuote>& stocks() const { return m_stocks; }

    // Background of row i (0-based): zebraDark for even rows, zebraLight for odd.
    static QColor rowBackground(int row);

    // What row i shows in its price, change and turnover columns; "--" for a
    // figure the provider did not have (a suspended stock).
    QStringList figureTexts(int row) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<StockQuote> m_stocks;
};
