#include <QtTest>

#include "SimMarket.h"

#include <cmath>

using namespace Qt::StringLiterals;
using Session = SimCalendar::Session;

namespace {

QDateTime shanghai(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), SimCalendar::shanghai());
}

SimCalendar closedOn(const QList<QDate>& days)
{
    SimCalendar calendar;
    for (const QDate& d : days)
        calendar.close(d);
    return calendar;
}

// 2024's National Day closure, a weekend inside it.
QList<QDate> nationalDay()
{
    QList<QDate> days;
    for (QDate d(2024, 10, 1); d <= QDate(2024, 10, 7); d = d.addDays(1))
        days.append(d);
    return days;
}

} // namespace

// 2024-06-04 was a Tuesday; 2024-05-31 a Friday.
class TestSimMarket : public QObject {
    Q_OBJECT

private slots:
    void catalogShape();
    void currentTradingDay_data();
    void currentTradingDay();
    void stamps_data();
    void stamps();
    void boardFollowsItsMembers_data();
    void boardFollowsItsMembers();
    void pricesStayInsideLimits();
    void turnoverRange();
    void fundChangeFollowsHoldings();
    void navStaysInRange();
    void publishedNavDate_data();
    void publishedNavDate();
    void holdingsReportDate_data();
    void holdingsReportDate();
    void navRelease_data();
    void navRelease();
    void pinnedFiguresFlowThrough();
};

void TestSimMarket::catalogShape()
{
    const SimCatalog& c = SimCatalog::instance();
    QVERIFY(c.boards().size() >= 12);
    const QList<QPair<QString, QString>> required{
        {u"BK0475"_s, u"半导体"_s}, {u"BK0547"_s, u"黄金概念"_s}, {u"BK1128"_s, u"CPO概念"_s}};
    for (const auto& [code, name] : required) {
        QVERIFY2(c.board(code), qPrintable(code));
        QCOMPARE(c.instruments().at(c.board(code)->instrument).name, name);
    }
    const QRegularExpression aShare(u"^(6\\d{5}|0\\d{5}|3\\d{5})$"_s);
    for (const auto& board : c.boards()) {
        QVERIFY(board.members.size() >= 20 && board.members.size() <= 40);
        for (const auto& m : board.members) {
            const auto& stock = c.instruments().at(m.instrument);
            QVERIFY2(aShare.match(stock.code).hasMatch(), qPrintable(stock.code));
            QCOMPARE(stock.market, stock.code.startsWith(u'6') ? 1 : 0);
        }
    }
    // Fund weights and the bond fund are checked over HTTP; here only what
    // clients name directly.
    QVERIFY(c.funds().size() >= 6);
    for (const QString& code : {u"161725"_s, u"110011"_s, u"005827"_s})
        QVERIFY(c.fund(code));
    QCOMPARE(std::count_if(c.funds().cbegin(), c.funds().cend(),
                           [](const auto& f) { return f.launchedRecently; }),
             1);
}

void TestSimMarket::currentTradingDay_data()
{
    QTest::addColumn<int>("session");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("visible");
    QTest::addColumn<QList<QDate>>("closed");

    const int a = int(Session::AShare);
    const int hk = int(Session::HongKong);
    const int gold = int(Session::ShanghaiGold);
    const QDate mon(2024, 6, 3), tue(2024, 6, 4), wed(2024, 6, 5), fri(2024, 6, 7),
        nextMon(2024, 6, 10);
    QTest::newRow("a-share before the open")
        << a << shanghai(2024, 6, 4, 9, 29) << mon << 241 << QList<QDate>{};
    QTest::newRow("a-share auction line")
        << a << shanghai(2024, 6, 4, 9, 30) << tue << 1 << QList<QDate>{};
    QTest::newRow("a-share morning")
        << a << shanghai(2024, 6, 4, 10, 0) << tue << 31 << QList<QDate>{};
    QTest::newRow("a-share lunch")
        << a << shanghai(2024, 6, 4, 12, 30) << tue << 121 << QList<QDate>{};
    QTest::newRow("a-share afternoon")
        << a << shanghai(2024, 6, 4, 13, 1) << tue << 122 << QList<QDate>{};
    QTest::newRow("a-share saturday")
        << a << shanghai(2024, 6, 8, 10, 0) << fri << 241 << QList<QDate>{};
    QTest::newRow("hong kong close")
        << hk << shanghai(2024, 6, 4, 16, 0) << tue << 331 << QList<QDate>{};
    QTest::newRow("gold day session")
        << gold << shanghai(2024, 6, 4, 10, 0) << tue << 390 << QList<QDate>{};
    QTest::newRow("gold before the night")
        << gold << shanghai(2024, 6, 4, 20, 59) << tue << 555 << QList<QDate>{};
    QTest::newRow("gold night belongs to tomorrow")
        << gold << shanghai(2024, 6, 4, 21, 5) << wed << 5 << QList<QDate>{};
    QTest::newRow("gold friday night on saturday")
        << gold << shanghai(2024, 6, 8, 1, 0) << nextMon << 240 << QList<QDate>{};
    QTest::newRow("gold sunday") << gold << shanghai(2024, 6, 9, 12, 0) << nextMon << 330
                                 << QList<QDate>{};
    QTest::newRow("gold from a utc clock")
        << gold << QDateTime(tue, QTime(2, 0), QTimeZone::utc()) << tue << 390 << QList<QDate>{};

    // A closed day shows the trading day before it; gold holds no night
    // session before a closure, so the day after one starts at 09:01.
    const QDate lastBefore(2024, 9, 30), firstBack(2024, 10, 8);
    QTest::newRow("a-share on a closed day")
        << a << shanghai(2024, 10, 2, 10, 0) << lastBefore << 241 << nationalDay();
    QTest::newRow("gold on the evening before")
        << gold << shanghai(2024, 9, 30, 22, 0) << lastBefore << 555 << nationalDay();
    QTest::newRow("gold on the closure's last evening")
        << gold << shanghai(2024, 10, 7, 22, 0) << lastBefore << 555 << nationalDay();
    QTest::newRow("gold first morning back, 08:59")
        << gold << shanghai(2024, 10, 8, 8, 59) << lastBefore << 555 << nationalDay();
    QTest::newRow("gold first morning back, 09:05")
        << gold << shanghai(2024, 10, 8, 9, 5) << firstBack << 5 << nationalDay();
    QTest::newRow("a closure beginning on a saturday")
        << gold << shanghai(2024, 6, 7, 22, 0) << fri << 555
        << QList<QDate>{QDate(2024, 6, 8), QDate(2024, 6, 9), QDate(2024, 6, 10)};
}

void TestSimMarket::currentTradingDay()
{
    QFETCH(int, session);
    QFETCH(QDateTime, instant);
    QFETCH(QDate, day);
    QFETCH(int, visible);
    QFETCH(QList<QDate>, closed);
    const auto s = Session(session);
    const SimCalendar calendar = closedOn(closed);
    QCOMPARE(calendar.currentTradingDay(s, instant), day);
    QCOMPARE(calendar.visibleLines(s, day, instant), visible);
}

void TestSimMarket::stamps_data()
{
    QTest::addColumn<int>("session");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QList<QDate>>("closed");

    const int a = int(Session::AShare);
    const int gold = int(Session::ShanghaiGold);
    const QDate mon(2024, 6, 3), tue(2024, 6, 4);
    QTest::newRow("a-share auction")
        << a << tue << 0 << u"2024-06-04 09:30"_s << 241 << QList<QDate>{};
    QTest::newRow("a-share first minute")
        << a << tue << 1 << u"2024-06-04 09:31"_s << 241 << QList<QDate>{};
    QTest::newRow("a-share noon") << a << tue << 120 << u"2024-06-04 11:30"_s << 241
                                  << QList<QDate>{};
    QTest::newRow("a-share afternoon")
        << a << tue << 121 << u"2024-06-04 13:01"_s << 241 << QList<QDate>{};
    QTest::newRow("a-share close")
        << a << tue << 240 << u"2024-06-04 15:00"_s << 241 << QList<QDate>{};
    QTest::newRow("monday night opens friday")
        << gold << mon << 0 << u"2024-05-31 21:01"_s << 555 << QList<QDate>{};
    QTest::newRow("friday night midnight")
        << gold << mon << 179 << u"2024-06-01 00:00"_s << 555 << QList<QDate>{};
    QTest::newRow("friday night end")
        << gold << mon << 329 << u"2024-06-01 02:30"_s << 555 << QList<QDate>{};
    QTest::newRow("monday day session")
        << gold << mon << 330 << u"2024-06-03 09:01"_s << 555 << QList<QDate>{};
    QTest::newRow("tuesday night opens monday")
        << gold << tue << 0 << u"2024-06-03 21:01"_s << 555 << QList<QDate>{};
    QTest::newRow("tuesday small hours")
        << gold << tue << 329 << u"2024-06-04 02:30"_s << 555 << QList<QDate>{};
    QTest::newRow("tuesday close")
        << gold << tue << 554 << u"2024-06-04 15:00"_s << 555 << QList<QDate>{};
    QTest::newRow("after a closure the day opens at 09:01")
        << gold << QDate(2024, 10, 8) << 0 << u"2024-10-08 09:01"_s << 225 << nationalDay();
    QTest::newRow("the night is back the day after")
        << gold << QDate(2024, 10, 9) << 0 << u"2024-10-08 21:01"_s << 555 << nationalDay();
}

void TestSimMarket::stamps()
{
    QFETCH(int, session);
    QFETCH(QDate, day);
    QFETCH(int, index);
    QFETCH(QString, stamp);
    QFETCH(int, lines);
    QFETCH(QList<QDate>, closed);
    const QList<qint64> all = closedOn(closed).stamps(Session(session), day);
    QCOMPARE(all.size(), lines);
    QVERIFY(std::is_sorted(all.cbegin(), all.cend()));
    QCOMPARE(SimCalendar::formatKey(all.at(index)), stamp);
}

void TestSimMarket::boardFollowsItsMembers_data()
{
    QTest::addColumn<QDateTime>("instant");
    QTest::newRow("morning") << shanghai(2024, 6, 4, 10, 0);
    QTest::newRow("afternoon") << shanghai(2024, 6, 4, 14, 30);
    QTest::newRow("before the open") << shanghai(2024, 6, 4, 8, 0);
}

void TestSimMarket::boardFollowsItsMembers()
{
    QFETCH(QDateTime, instant);
    const SimMarket market(3);
    const SimCatalog& c = market.catalog();
    for (const auto& board : c.boards()) {
        double sum = 0;
        double weights = 0;
        for (const auto& m : board.members) {
            const auto q = market.quote(m.instrument, instant);
            sum += m.weight * (q.traded ? q.price : q.preClose) /
                   c.instruments().at(m.instrument).basePrice;
            weights += m.weight;
        }
        const auto index = market.quote(board.instrument, instant);
        QVERIFY(std::abs(index.price - board.level * sum / weights) <= 0.011);
        // The quote is the last point of the trend, and yesterday's close is
        // the last point of yesterday's trend.
        const auto trend = market.trend(board.instrument, instant, 2);
        QCOMPARE(index.price, trend.bars.constLast().close);
        const auto yesterday = market.day(board.instrument, trend.days.constFirst());
        QCOMPARE(index.preClose, yesterday.bars.constLast().close);
        QVERIFY(index.price > 100 && index.price < 10000);
    }
}

void TestSimMarket::pricesStayInsideLimits()
{
    const SimMarket market(11);
    const SimCatalog& c = market.catalog();
    QDate day(2024, 5, 6);
    for (int n = 0; n < 12; ++n, day = market.calendar().nextTradingDay(day)) {
        for (int i = 0; i < c.instruments().size(); ++i) {
            const auto& info = c.instruments().at(i);
            if (info.kind != SimCatalog::Kind::Stock || info.market > 1)
                continue;
            const auto d = market.day(i, day);
            for (const auto& bar : d.bars) {
                QVERIFY(bar.low >= d.preClose * 0.9 - 0.01);
                QVERIFY(bar.high <= d.preClose * 1.1 + 0.01);
                QVERIFY(bar.low <= std::min(bar.open, bar.close));
                QVERIFY(bar.high >= std::max(bar.open, bar.close));
            }
        }
        for (const auto& bar : market.day(c.gold(), day).bars) {
            QVERIFY(bar.low >= 615);
            QVERIFY(bar.high <= 685);
        }
    }
}

void TestSimMarket::turnoverRange()
{
    const SimMarket market(5);
    const SimCatalog& c = market.catalog();
    for (const QDateTime& now : {shanghai(2024, 6, 4, 9, 30), shanghai(2024, 6, 4, 15, 0)}) {
        for (int i = 0; i < c.instruments().size(); ++i) {
            const auto& info = c.instruments().at(i);
            if (info.kind != SimCatalog::Kind::Stock || market.isSuspended(i))
                continue;
            const double turnover = market.quote(i, now).turnover;
            QVERIFY2(turnover >= 1e7 && turnover <= 1e10, qPrintable(info.code));
        }
    }
}

void TestSimMarket::fundChangeFollowsHoldings()
{
    // Across a closure too: a day's change is that day's, not two days'.
    SimMarket market(9);
    market.closeDays({QDate(2024, 4, 4), QDate(2024, 4, 5)});
    for (const auto& fund : market.catalog().funds()) {
        QDate day(2024, 3, 25);
        for (int n = 0; n < 15; ++n, day = market.calendar().nextTradingDay(day)) {
            const double before = market.nav(fund, market.calendar().previousTradingDay(day));
            const double change = (market.nav(fund, day) / before - 1.0) * 100.0;
            // Net values carry 4 decimals: allow their rounding beside the noise.
            const double slack = 0.12 + 0.0001 / before * 100.0;
            if (fund.holdings.isEmpty())
                QVERIFY(change >= -0.02 && change <= 0.04);
            else
                QVERIFY2(std::abs(change - market.holdingsChange(fund, day) * 100.0) <= slack,
                         qPrintable(fund.code));
        }
    }
}

void TestSimMarket::navStaysInRange()
{
    // Net values walk from an anchor in 2024 both ways; years away they must
    // still look like net values.
    const SimMarket market(2);
    for (const auto& fund : market.catalog().funds()) {
        for (QDate day(2021, 1, 4); day < QDate(2028, 1, 1); day = day.addDays(61)) {
            const double nav = market.nav(fund, market.calendar().tradingDayOnOrBefore(day));
            QVERIFY2(nav >= 0.5 && nav <= 5.0, qPrintable(fund.code + u' ' + day.toString()));
        }
    }
}

void TestSimMarket::publishedNavDate_data()
{
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<QDate>("date");
    QTest::newRow("tuesday before eight") << shanghai(2024, 6, 4, 19, 59) << QDate(2024, 6, 3);
    QTest::newRow("tuesday at eight") << shanghai(2024, 6, 4, 20, 0) << QDate(2024, 6, 4);
    QTest::newRow("monday morning") << shanghai(2024, 6, 3, 9, 0) << QDate(2024, 5, 31);
    QTest::newRow("saturday") << shanghai(2024, 6, 8, 10, 0) << QDate(2024, 6, 7);
    QTest::newRow("utc clock past eight in shanghai")
        << QDateTime(QDate(2024, 6, 4), QTime(12, 30), QTimeZone::utc()) << QDate(2024, 6, 4);
}

void TestSimMarket::publishedNavDate()
{
    QFETCH(QDateTime, instant);
    QFETCH(QDate, date);
    const SimMarket market(1);
    QCOMPARE(market.publishedNavDate(instant), date);
    const auto nav = market.publishedNav(*market.catalog().fund(u"161725"_s), instant);
    QCOMPARE(nav.date, date);
    QVERIFY(nav.changePercent.has_value());
    QVERIFY(!market.publishedNav(*market.catalog().fund(u"023350"_s), instant).changePercent);
}

void TestSimMarket::holdingsReportDate_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("report");
    QTest::newRow("quarter not out yet") << QDate(2024, 4, 21) << QDate(2023, 12, 31);
    QTest::newRow("quarter just out") << QDate(2024, 4, 22) << QDate(2024, 3, 31);
    QTest::newRow("mid quarter") << QDate(2024, 6, 4) << QDate(2024, 3, 31);
    QTest::newRow("january") << QDate(2025, 1, 10) << QDate(2024, 9, 30);
}

void TestSimMarket::holdingsReportDate()
{
    QFETCH(QDate, today);
    QFETCH(QDate, report);
    QCOMPARE(SimMarket::holdingsReportDate(QDateTime(today, QTime(12, 0), SimCalendar::shanghai())),
             report);
}

void TestSimMarket::navRelease_data()
{
    QTest::addColumn<int>("daysLater");
    QTest::addColumn<QTime>("at");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<QDate>("date");
    const QTime ten(10, 0);
    QTest::newRow("a day late, before ten")
        << 1 << ten << shanghai(2024, 6, 5, 9, 59) << QDate(2024, 6, 3);
    QTest::newRow("a day late, at ten")
        << 1 << ten << shanghai(2024, 6, 5, 10, 0) << QDate(2024, 6, 4);
    // Friday's value comes out on Monday, not on the weekend.
    QTest::newRow("a day late over the weekend")
        << 1 << ten << shanghai(2024, 6, 9, 12, 0) << QDate(2024, 6, 6);
}

void TestSimMarket::navRelease()
{
    QFETCH(int, daysLater);
    QFETCH(QTime, at);
    QFETCH(QDateTime, instant);
    QFETCH(QDate, date);
    SimMarket market(1);
    const SimCatalog::Fund& fund = *market.catalog().fund(u"110011"_s);
    market.setNavRelease(fund.code, {daysLater, at});
    QCOMPARE(market.publishedNavDate(fund, instant), date);
    QCOMPARE(market.publishedNav(fund, instant).date, date);
    // The other funds keep the default rule.
    const SimCatalog::Fund& other = *market.catalog().fund(u"161725"_s);
    QCOMPARE(market.publishedNavDate(other, instant), market.publishedNavDate(instant));
}

void TestSimMarket::pinnedFiguresFlowThrough()
{
    SimMarket market(3);
    const SimCatalog& c = market.catalog();
    const SimCatalog::Fund& fund = *c.fund(u"161725"_s);
    const int stock = fund.holdings.first().instrument;
    const QDate fri(2024, 5, 31), mon(2024, 6, 3);
    const SimCatalog::Board& board = *c.board(u"BK0475"_s);
    QVERIFY(std::none_of(board.members.cbegin(), board.members.cend(),
                         [&](const auto& m) { return m.instrument == stock; }));
    const double boardBefore = market.close(board.instrument, mon);

    market.pinClose(stock, fri, 100.00);
    market.pinClose(stock, mon, 102.5);
    const auto quote = market.quote(stock, shanghai(2024, 6, 3, 15, 30));
    QCOMPARE(quote.price, 102.5);
    QCOMPARE(quote.preClose, 100.0);
    QCOMPARE(quote.changePercent(), 2.5); // (102.50 / 100.00 - 1) × 100
    // The day's minutes run to the pinned close.
    QCOMPARE(market.day(stock, mon).bars.constLast().close, 102.5);
    QCOMPARE(market.day(stock, market.calendar().nextTradingDay(mon)).preClose, 102.5);
    // A board without the stock is not disturbed.
    QCOMPARE(market.close(board.instrument, mon), boardBefore);

    market.pinNav(fund.code, fri, 1.0);
    market.pinNav(fund.code, mon, 1.0123);
    const auto nav = market.publishedNav(fund, shanghai(2024, 6, 3, 20, 30));
    QCOMPARE(nav.date, mon);
    QCOMPARE(nav.value, 1.0123);
    QCOMPARE(*nav.changePercent, 1.23); // (1.0123 / 1.0000 - 1) × 100
    market.setSuspended(stock, true);
    QVERIFY(!market.quote(stock, shanghai(2024, 6, 4, 10, 0)).traded);
    market.setSuspended(stock, false);
    QVERIFY(market.quote(stock, shanghai(2024, 6, 4, 10, 0)).traded);
}

QTEST_GUILESS_MAIN(TestSimMarket)
#include "tst_simmarket.moc"
