#include "ui/panel/Palette.h"
#include "ui/panel/StockTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestStockTable : public QObject {
    Q_OBJECT
private slots:
    void zebraOrder();
};

static QList<StockQuote> stocks(int n)
{
    QList<StockQuote> list;
    for (int i = 0; i < n; ++i)
        list.append({QString::number(600000 + i), u"股票"_s, 10.0 + i, i % 2 ? -1.0 : 0.0, 1e8});
    return list;
}

void TestStockTable::zebraOrder()
{
    StockTable table;
    table.setStocks(stocks(4));
    table.resize(372, table.sizeHint().height());
    const QImage image = table.grab().toImage();
    // Sample each row at its left padding, clear of any text.
    for (int i = 0; i < 4; ++i) {
        const int y = StockTable::headerHeight + 1 + i * (StockTable::rowHeight + 1) + 3;
        QCOMPARE(image.pixelColor(4, y).rgba(), StockTable::rowBackground(i).rgba());
    }
    // The last row has no divider under it: the table ends on its background.
    QCOMPARE(image.pixelColor(145, image.height() - 2).rgba(), StockTable::rowBackground(3).rgba());
    QCOMPARE(StockTable::rowBackground(0), Palette::zebraDark());
    QCOMPARE(StockTable::rowBackground(1), Palette::zebraLight());
}

QTEST_MAIN(TestStockTable)
#include "tst_stocktable.moc"
