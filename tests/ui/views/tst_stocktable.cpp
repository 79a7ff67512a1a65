#include "ui/panel/Palette.h"
#include "ui/panel/StockTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestStockTable : public QObject {
    Q_OBJECT
private slots:
    void zebraOrder();
    void figureTexts_data();
    void figureTexts();
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

void TestStockTable::figureTexts_data()
{
    QTest::addColumn<StockQuote>("stock");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("traded") << StockQuote{u"600519"_s, u"贵州茅台"_s, 1258.99, 0.63, 5987570858.0}
                            << QStringList{u"1258.99"_s, u"+0.63%"_s, u"59.9亿"_s};
    QTest::newRow("flat, no turnover yet")
        << StockQuote{u"600519"_s, u"贵州茅台"_s, 1251.11, 0.0, 0.0}
        << QStringList{u"1251.11"_s, u"+0.00%"_s, u"0"_s};
    QTest::newRow("suspended: no figures")
        << StockQuote{u"600000"_s, u"浦发银行"_s, std::nullopt, std::nullopt, std::nullopt}
        << QStringList{u"--"_s, u"--"_s, u"--"_s};
}

void TestStockTable::figureTexts()
{
    QFETCH(StockQuote, stock);
    StockTable table;
    table.setStocks({stocks(1).first(), stock});
    QTEST(table.figureTexts(1), "texts");
}

QTEST_MAIN(TestStockTable)
#include "tst_stocktable.moc"
