#include "app/StatusTitle.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestStatusTitle : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
    void todayProfit_data();
    void todayProfit();
};

void TestStatusTitle::text_data()
{
    QTest::addColumn<QString>("source"); // null: absent
    QTest::addColumn<bool>("hasGold");
    QTest::addColumn<double>("goldChange");
    QTest::addColumn<bool>("hasSectors");
    QTest::addColumn<int>("goldStatus");
    QTest::addColumn<int>("stockStatus");
    QTest::addColumn<QString>("title");

    const int trading = int(MarketStatus::trading), delayed = int(MarketStatus::delayed),
              lunch = int(MarketStatus::break_), closed = int(MarketStatus::closed);
    QTest::newRow("before any data")
        << QString() << false << 0.0 << false << trading << trading << u"--"_s;
    QTest::newRow("gold falling") << QString() << true << -0.31 << false << trading << closed
                                  << u"▼ 560.50"_s;
    QTest::newRow("gold flat is a rise")
        << QString() << true << 0.0 << false << trading << closed << u"▲ 560.50"_s;
    QTest::newRow("gold delayed keeps arrow")
        << u"gold"_s << true << 1.2 << false << delayed << closed << u"▲ 560.50"_s;
    QTest::newRow("gold closed plain")
        << QString() << true << 1.2 << false << closed << trading << u"560.50"_s;
    QTest::newRow("board trading")
        << u"BK0547"_s << true << 1.0 << true << closed << trading << u"▼ 1234.57"_s;
    QTest::newRow("board at lunch plain")
        << u"BK0547"_s << true << 1.0 << true << trading << lunch << u"1234.57"_s;
    QTest::newRow("board not yet fetched: current board")
        << u"BK9999"_s << true << 1.0 << true << trading << trading << u"▲ 987.60"_s;
    QTest::newRow("board without any quote")
        << u"BK0547"_s << true << 1.0 << false << trading << trading << u"--"_s;
    // Figures the provider never had (placeholders since the board was added).
    QTest::newRow("board without an index")
        << u"BK0001"_s << true << 1.0 << true << trading << trading << u"--"_s;
    QTest::newRow("board without a change has no arrow")
        << u"BK0002"_s << true << 1.0 << true << trading << trading << u"1500.00"_s;
    QTest::newRow("board without a change, closed")
        << u"BK0002"_s << true << 1.0 << true << trading << closed << u"1500.00"_s;
}

void TestStatusTitle::text()
{
    QFETCH(QString, source);
    QFETCH(bool, hasGold);
    QFETCH(double, goldChange);
    QFETCH(bool, hasSectors);
    QFETCH(int, goldStatus);
    QFETCH(int, stockStatus);
    StatusTitle::Inputs in;
    if (!source.isNull())
        in.source = source;
    if (hasGold) {
        in.gold = GoldQuote{};
        in.gold->priceCNY = 560.5;
        in.gold->changePct = goldChange;
    }
    if (hasSectors) {
        in.allSectors = {{u"BK0475"_s, u"半导体"_s, 1111, 1, 1100, 1},
                         {u"BK0547"_s, u"黄金概念"_s, 1234.567, -0.2, 1237, 1},
                         {u"BK0001"_s, u"新板块"_s, std::nullopt, 0.5, std::nullopt, 1},
                         {u"BK0002"_s, u"停牌板块"_s, 1500, std::nullopt, 1490, std::nullopt}};
        in.sector = SectorQuote{u"BK0475"_s, u"半导体"_s, 987.6, 0.0, 980, 1};
    }
    in.goldStatus = MarketStatus(goldStatus);
    in.stockStatus = MarketStatus(stockStatus);
    QTEST(StatusTitle::text(in), "title");
}

void TestStatusTitle::todayProfit_data()
{
    QTest::addColumn<qint64>("fen"); // -1: no figure
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<int>("goldStatus");
    QTest::addColumn<int>("stockStatus");
    QTest::addColumn<QString>("title");
    const int trading = int(MarketStatus::trading), delayed = int(MarketStatus::delayed),
              lunch = int(MarketStatus::break_), closed = int(MarketStatus::closed);
    QTest::newRow("a gain while stocks trade")
        << qint64(123449) << false << closed << trading << u"▲ +1,234"_s;
    QTest::newRow("a loss while gold trades at night")
        << qint64(-5650) << false << trading << closed << u"▼ -57"_s;
    QTest::newRow("gold delayed keeps the arrow")
        << qint64(100) << false << delayed << closed << u"▲ +1"_s;
    QTest::newRow("nothing made is a rise") << qint64(0) << false << closed << trading << u"▲ 0"_s;
    QTest::newRow("both at lunch: no arrow")
        << qint64(-5650) << false << lunch << lunch << u"-57"_s;
    QTest::newRow("every market closed: no arrow")
        << qint64(1234567) << false << closed << closed << u"+12,346"_s;
    QTest::newRow("hidden, the direction stays")
        << qint64(-5650) << true << trading << trading << u"▼ ****"_s;
    QTest::newRow("hidden and closed") << qint64(5650) << true << closed << closed << u"****"_s;
    QTest::newRow("no holdings or no figure yet")
        << qint64(-1) << false << trading << trading << u"--"_s;
}

void TestStatusTitle::todayProfit()
{
    QFETCH(qint64, fen);
    QFETCH(bool, hidden);
    QFETCH(int, goldStatus);
    QFETCH(int, stockStatus);
    StatusTitle::Inputs in;
    in.source = StatusTitle::profitSource;
    in.gold = GoldQuote{};
    in.gold->priceCNY = 560.5;
    if (fen != -1)
        in.todayProfit = fen;
    in.hideAmounts = hidden;
    in.goldStatus = MarketStatus(goldStatus);
    in.stockStatus = MarketStatus(stockStatus);
    QTEST(StatusTitle::text(in), "title");
}

QTEST_GUILESS_MAIN(TestStatusTitle)
#include "tst_statustitle.moc"
