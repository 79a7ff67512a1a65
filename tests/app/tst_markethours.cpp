#include "app/MarketHours.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Closure)

class TestMarketHours : public QObject {
    Q_OBJECT
private slots:
    void gold_data();
    void gold();
    void stocks_data();
    void stocks();
    void staleness_data();
    void staleness();
    void noTradingToday_data();
    void noTradingToday();
};

// 2024-06-03 is a Monday; the Monday after, the 10th, was the Dragon Boat
// holiday.
static QDateTime shanghai(int day, int h, int m, int s = 0)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m, s), QTimeZone("Asia/Shanghai"));
}

static QDateTime at(int y, int mo, int d, int h, int m)
{
    return QDateTime(QDate(y, mo, d), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

// The week before: Friday 5-31 and its night into Saturday, Monday 6-03.
static QDateTime weekBefore(int day, int h, int m)
{
    return day >= 20 ? at(2024, 5, day, h, m) : at(2024, 6, day, h, m);
}

void TestMarketHours::gold_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<int>("status");
    QTest::addColumn<Closure>("closure"); // why it is closed
    const int trading = int(MarketStatus::trading), delayed = int(MarketStatus::delayed),
              closed = int(MarketStatus::closed);
    const Closure open = Closure::none;

    QTest::newRow("wed 15:00 open") << shanghai(5, 15, 0) << false << trading << open;
    QTest::newRow("wed 15:00:59 open") << shanghai(5, 15, 0, 59) << false << trading << open;
    QTest::newRow("wed 15:01 closed") << shanghai(5, 15, 1) << false << closed << Closure::hours;
    QTest::newRow("wed 20:59 closed") << shanghai(5, 20, 59) << false << closed << Closure::hours;
    QTest::newRow("wed 21:00 open") << shanghai(5, 21, 0) << false << trading << open;
    QTest::newRow("wed 23:59 open") << shanghai(5, 23, 59) << false << trading << open;
    QTest::newRow("wed 08:59 closed") << shanghai(5, 8, 59) << false << closed << Closure::hours;
    QTest::newRow("wed 09:00 open") << shanghai(5, 9, 0) << false << trading << open;
    // The pauses inside the day are open hours whose data go stale.
    QTest::newRow("wed 10:20 pause") << shanghai(5, 10, 20) << true << delayed << open;
    QTest::newRow("wed 12:00 pause") << shanghai(5, 12, 0) << true << delayed << open;
    QTest::newRow("wed 02:30 open") << shanghai(5, 2, 30) << false << trading << open;
    QTest::newRow("wed 02:31 closed") << shanghai(5, 2, 31) << false << closed << Closure::hours;
    QTest::newRow("tue 01:00 open") << shanghai(4, 1, 0) << false << trading << open;
    QTest::newRow("tue 01:00 stale") << shanghai(4, 1, 0) << true << delayed << open;
    QTest::newRow("sun 10:00 closed") << shanghai(9, 10, 0) << true << closed << Closure::weekend;
    // Friday's night session runs into Saturday; Sunday evening has none.
    QTest::newRow("fri 22:00 open") << weekBefore(31, 22, 0) << false << trading << open;
    QTest::newRow("fri 23:59 open") << weekBefore(31, 23, 59) << false << trading << open;
    QTest::newRow("sat 00:00 open") << weekBefore(1, 0, 0) << false << trading << open;
    QTest::newRow("sat 01:00 stale") << weekBefore(1, 1, 0) << true << delayed << open;
    QTest::newRow("sat 02:30 open") << weekBefore(1, 2, 30) << false << trading << open;
    QTest::newRow("sat 02:31 closed")
        << weekBefore(1, 2, 31) << false << closed << Closure::weekend;
    QTest::newRow("sat 21:00 closed")
        << weekBefore(1, 21, 0) << false << closed << Closure::weekend;
    QTest::newRow("sun 00:30 closed")
        << weekBefore(2, 0, 30) << false << closed << Closure::weekend;
    QTest::newRow("sun 23:59 closed")
        << weekBefore(2, 23, 59) << false << closed << Closure::weekend;
    QTest::newRow("mon 00:00 closed") << weekBefore(3, 0, 0) << false << closed << Closure::weekend;
    QTest::newRow("mon 02:30 closed")
        << weekBefore(3, 2, 30) << false << closed << Closure::weekend;
    QTest::newRow("mon 08:59 closed") << weekBefore(3, 8, 59) << false << closed << Closure::hours;
    QTest::newRow("mon 09:00 open") << weekBefore(3, 9, 0) << false << trading << open;
    // The hours are Shanghai's whatever zone the clock is given in:
    // 13:00 UTC is 21:00 in Shanghai.
    QTest::newRow("utc clock") << QDateTime(QDate(2024, 6, 5), QTime(13, 0), QTimeZone::utc())
                               << false << trading << open;
    // 15:00 in New York (EDT) is 03:00 the next day in Shanghai: closed,
    // although 15:00 read as a Shanghai clock would be open.
    QTest::newRow("new york clock")
        << QDateTime(QDate(2024, 6, 5), QTime(15, 0), QTimeZone("America/New_York")) << false
        << closed << Closure::hours;

    // The Dragon Boat Monday of 2024 cancels Friday's night session.
    QTest::newRow("dragon boat: fri 22:00")
        << shanghai(7, 22, 0) << false << closed << Closure::holiday;
    QTest::newRow("dragon boat: sat 01:00")
        << shanghai(8, 1, 0) << false << closed << Closure::weekend;
    QTest::newRow("dragon boat: the monday")
        << shanghai(10, 10, 0) << false << closed << Closure::holiday;
    QTest::newRow("dragon boat: tue 08:55, the auction")
        << shanghai(11, 8, 55) << true << delayed << open;
    // The Spring Festival of 2024, closed 除夕 (2-09) to 2-17.
    QTest::newRow("sf: the last night") << at(2024, 2, 7, 23, 0) << false << trading << open;
    QTest::newRow("sf: the evening before")
        << at(2024, 2, 8, 21, 0) << false << closed << Closure::holiday;
    QTest::newRow("sf: 除夕 small hours")
        << at(2024, 2, 9, 1, 0) << false << closed << Closure::holiday;
    QTest::newRow("sf: first morning back 08:54")
        << at(2024, 2, 19, 8, 54) << true << closed << Closure::hours;
    QTest::newRow("sf: first morning back 08:55")
        << at(2024, 2, 19, 8, 55) << true << delayed << open;
    QTest::newRow("sf: first morning back 09:00")
        << at(2024, 2, 19, 9, 0) << false << trading << open;
    // The National Day of 2024, closed 10-01 to 10-07.
    QTest::newRow("nd: the evening before")
        << at(2024, 9, 30, 21, 0) << false << closed << Closure::holiday;
    QTest::newRow("nd: a holiday morning")
        << at(2024, 10, 2, 10, 0) << true << closed << Closure::holiday;
    QTest::newRow("nd: first morning back 08:55")
        << at(2024, 10, 8, 8, 55) << true << delayed << open;
    QTest::newRow("nd: the next morning has no auction")
        << at(2024, 10, 9, 8, 55) << false << closed << Closure::hours;
    // The make-up Saturday after it: Friday's night runs into it, then
    // nothing all day.
    QTest::newRow("make-up sat 01:00") << at(2024, 10, 12, 1, 0) << false << trading << open;
    QTest::newRow("make-up sat 10:00")
        << at(2024, 10, 12, 10, 0) << false << closed << Closure::makeUpDay;
    // Past the table every weekday trades: 2027's Spring Festival is unknown.
    QTest::newRow("2027: a wednesday night") << at(2027, 2, 10, 22, 0) << false << trading << open;
}

void TestMarketHours::gold()
{
    QFETCH(QDateTime, now);
    QFETCH(bool, stale);
    QFETCH(int, status);
    const MarketState state = MarketHours::goldState(TradingCalendar::builtIn(), now, stale);
    QCOMPARE(int(state.status), status);
    QTEST(state.closure, "closure");
}

void TestMarketHours::stocks_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("status");
    QTest::addColumn<Closure>("closure");
    QTest::addColumn<QString>("badge");
    const int trading = int(MarketStatus::trading), lunch = int(MarketStatus::break_),
              closed = int(MarketStatus::closed);
    const Closure open = Closure::none;
    QTest::newRow("09:29") << shanghai(4, 9, 29) << closed << Closure::hours << u"已收盘"_s;
    QTest::newRow("09:30") << shanghai(4, 9, 30) << trading << open << u"交易中"_s;
    QTest::newRow("11:30") << shanghai(4, 11, 30) << trading << open << u"交易中"_s;
    QTest::newRow("11:31") << shanghai(4, 11, 31) << lunch << open << u"午休"_s;
    QTest::newRow("12:59") << shanghai(4, 12, 59) << lunch << open << u"午休"_s;
    QTest::newRow("13:00") << shanghai(4, 13, 0) << trading << open << u"交易中"_s;
    QTest::newRow("15:00") << shanghai(4, 15, 0) << trading << open << u"交易中"_s;
    QTest::newRow("15:01") << shanghai(4, 15, 1) << closed << Closure::hours << u"已收盘"_s;
    QTest::newRow("saturday 10:00")
        << shanghai(8, 10, 0) << closed << Closure::weekend << u"已收盘"_s;
    QTest::newRow("utc 02:00 is 10:00")
        << QDateTime(QDate(2024, 6, 4), QTime(2, 0), QTimeZone::utc()) << trading << open
        << u"交易中"_s;
    QTest::newRow("the dragon boat monday")
        << shanghai(10, 10, 0) << closed << Closure::holiday << u"休市"_s;
    QTest::newRow("除夕 2024") << at(2024, 2, 9, 10, 0) << closed << Closure::holiday << u"休市"_s;
    QTest::newRow("the evening before the national day")
        << at(2024, 9, 30, 21, 0) << closed << Closure::hours << u"已收盘"_s;
    QTest::newRow("national day") << at(2024, 10, 2, 10, 0) << closed << Closure::holiday
                                  << u"休市"_s;
    QTest::newRow("first morning back 09:29")
        << at(2024, 10, 8, 9, 29) << closed << Closure::hours << u"已收盘"_s;
    QTest::newRow("first morning back 09:30")
        << at(2024, 10, 8, 9, 30) << trading << open << u"交易中"_s;
    QTest::newRow("make-up saturday")
        << at(2024, 10, 12, 10, 0) << closed << Closure::makeUpDay << u"休市"_s;
    QTest::newRow("2027: a wednesday") << at(2027, 2, 10, 10, 0) << trading << open << u"交易中"_s;
}

void TestMarketHours::stocks()
{
    QFETCH(QDateTime, now);
    QFETCH(int, status);
    QFETCH(QString, badge);
    const MarketState state = MarketHours::stockState(TradingCalendar::builtIn(), now);
    QCOMPARE(int(state.status), status);
    QTEST(state.closure, "closure");
    QCOMPARE(badgeLabel(state.status, state.closure), badge);
}

void TestMarketHours::staleness_data()
{
    QTest::addColumn<QString>("lastStamp"); // null: no trend at all
    QTest::addColumn<QString>("newest");    // the answer's newest minute, when not the last
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("stale");
    QTest::newRow("no trend") << QString() << QString() << shanghai(4, 10, 0) << true;
    // During a night session the chart still shows the day before; the
    // night's own minutes say whether the market is live.
    QTest::newRow("night minutes beyond the chart's day")
        << u"2024-06-05 15:00"_s << u"2024-06-05 22:00"_s << shanghai(5, 22, 0) << false;
    QTest::newRow("night minutes are old too")
        << u"2024-06-05 15:00"_s << u"2024-06-05 21:30"_s << shanghai(5, 22, 0) << true;
    QTest::newRow("empty trend") << u""_s << QString() << shanghai(4, 10, 0) << true;
    QTest::newRow("exactly 120 s")
        << u"2024-06-04 10:00"_s << QString() << shanghai(4, 10, 2, 0) << false;
    QTest::newRow("121 s") << u"2024-06-04 10:00"_s << QString() << shanghai(4, 10, 2, 1) << true;
    QTest::newRow("future stamp") << u"2024-06-04 10:05"_s << QString() << shanghai(4, 10, 0)
                                  << false;
    QTest::newRow("read in Shanghai time")
        << u"2024-06-04 10:00"_s << QString()
        << QDateTime(QDate(2024, 6, 4), QTime(2, 1), QTimeZone::utc()) << false;
    QTest::newRow("not the stamp form")
        << u"2024/06/04 10:00"_s << QString() << shanghai(4, 10, 0) << true;
    QTest::newRow("seconds added")
        << u"2024-06-04 10:00:00"_s << QString() << shanghai(4, 10, 0) << true;
    QTest::newRow("impossible time")
        << u"2024-06-04 25:00"_s << QString() << shanghai(4, 10, 0) << true;
    QTest::newRow("impossible date")
        << u"2024-02-30 10:00"_s << QString() << shanghai(4, 10, 0) << true;
    QTest::newRow("a letter among the digits")
        << u"2024-06-04 1O:00"_s << QString() << shanghai(4, 10, 0) << true;
}

void TestMarketHours::staleness()
{
    QFETCH(QString, lastStamp);
    QFETCH(QString, newest);
    QFETCH(QDateTime, now);
    QFETCH(bool, stale);
    std::optional<TrendData> trend;
    if (!lastStamp.isNull()) {
        trend =
            TrendData{.name = u"沪金主连"_s, .preClose = 600, .points = {}, .newestTime = newest};
        if (!lastStamp.isEmpty())
            trend->points = {TrendPoint{u"2024-06-04 09:00"_s, 1, 1, 1, 1},
                             TrendPoint{lastStamp, 1, 1, 1, 1}};
    }
    QCOMPARE(MarketHours::isGoldDataStale(trend, now), stale);
}

void TestMarketHours::noTradingToday_data()
{
    QTest::addColumn<int>("market");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QStringList>("stamps"); // the points; {"none"}: no trend at all
    QTest::addColumn<QString>("newest");     // the answer's newest minute, when not the last
    QTest::addColumn<bool>("closed");
    const int stocks = int(Market::stocks), gold = int(Market::gold);
    const QStringList yesterday{u"2024-06-03 14:59"_s, u"2024-06-03 15:00"_s};

    QTest::newRow("board: yesterday only, 09:35")
        << stocks << shanghai(4, 9, 35) << yesterday << QString() << true;
    QTest::newRow("board: too early to say")
        << stocks << shanghai(4, 9, 34) << yesterday << QString() << false;
    QTest::newRow("board: today's minutes")
        << stocks << shanghai(4, 10, 0) << QStringList{u"2024-06-03 15:00"_s, u"2024-06-04 09:31"_s}
        << QString() << false;
    QTest::newRow("board: empty answer")
        << stocks << shanghai(4, 10, 0) << QStringList{} << QString() << false;
    QTest::newRow("board: no answer")
        << stocks << shanghai(4, 10, 0) << QStringList{u"none"_s} << QString() << false;
    QTest::newRow("board: nothing readable")
        << stocks << shanghai(4, 10, 0) << QStringList{u"yesterday"_s} << QString() << false;
    QTest::newRow("board: today's minutes unreadable")
        << stocks << shanghai(4, 10, 0)
        << QStringList{u"2024-06-03 15:00"_s, u"2024-06-04 24:00"_s, u"2024-06-04 09:3x"_s,
                       u"2024-06-04 09:31:00"_s}
        << QString() << true;
    QTest::newRow("board: late in the evening")
        << stocks << shanghai(4, 22, 0) << yesterday << QString() << true;
    // A closed day needs no finding out.
    QTest::newRow("board: a table holiday")
        << stocks << shanghai(10, 10, 0) << QStringList{u"2024-06-07 15:00"_s} << QString()
        << false;
    QTest::newRow("board: 2027, unknown to the table")
        << stocks << at(2027, 2, 10, 10, 0) << QStringList{u"2027-02-09 15:00"_s} << QString()
        << true;
    // Gold's small hours are stamped with the day they run on.
    QTest::newRow("gold: the night's minutes are today's")
        << gold << shanghai(4, 9, 6) << QStringList{u"2024-06-03 15:00"_s} << u"2024-06-04 02:30"_s
        << false;
    QTest::newRow("gold: 09:05, nothing since yesterday")
        << gold << weekBefore(3, 9, 5) << QStringList{u"2024-05-31 15:00"_s}
        << u"2024-06-01 02:30"_s << true;
    QTest::newRow("gold: 09:04") << gold << weekBefore(3, 9, 4)
                                 << QStringList{u"2024-05-31 15:00"_s} << u"2024-06-01 02:30"_s
                                 << false;
    QTest::newRow("board's rule is later")
        << stocks << weekBefore(3, 9, 5) << QStringList{u"2024-05-31 15:00"_s} << QString()
        << false;
    QTest::newRow("utc clock: 01:40 is 09:40")
        << stocks << QDateTime(QDate(2024, 6, 4), QTime(1, 40), QTimeZone::utc()) << yesterday
        << QString() << true;
}

void TestMarketHours::noTradingToday()
{
    QFETCH(int, market);
    QFETCH(QDateTime, now);
    QFETCH(QStringList, stamps);
    QFETCH(QString, newest);
    std::optional<TrendData> trend;
    if (stamps != QStringList{u"none"_s}) {
        trend = TrendData{.name = u"半导体"_s, .preClose = 1, .points = {}, .newestTime = newest};
        for (const QString& stamp : stamps)
            trend->points.append(TrendPoint{stamp, 1, 1, 1, 1});
    }
    QTEST(MarketHours::showsNoTradingToday(TradingCalendar::builtIn(), Market(market), trend, now),
          "closed");
}

QTEST_GUILESS_MAIN(TestMarketHours)
#include "tst_markethours.moc"
