#include "app/MarketHours.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestMarketHours : public QObject {
    Q_OBJECT
private slots:
    void gold_data();
    void gold();
    void stocks_data();
    void stocks();
    void staleness_data();
    void staleness();
};

// 2024-06-03 is a Monday.
static QDateTime shanghai(int day, int h, int m, int s = 0)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m, s), QTimeZone("Asia/Shanghai"));
}

void TestMarketHours::gold_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<int>("status");
    const int trading = int(MarketStatus::trading), delayed = int(MarketStatus::delayed),
              closed = int(MarketStatus::closed);

    QTest::newRow("wed 15:00 open") << shanghai(5, 15, 0) << false << trading;
    QTest::newRow("wed 15:00:59 open") << shanghai(5, 15, 0, 59) << false << trading;
    QTest::newRow("wed 15:01 closed") << shanghai(5, 15, 1) << false << closed;
    QTest::newRow("wed 20:59 closed") << shanghai(5, 20, 59) << false << closed;
    QTest::newRow("wed 21:00 open") << shanghai(5, 21, 0) << false << trading;
    QTest::newRow("wed 23:59 open") << shanghai(5, 23, 59) << false << trading;
    QTest::newRow("wed 08:59 closed") << shanghai(5, 8, 59) << false << closed;
    QTest::newRow("wed 09:00 open") << shanghai(5, 9, 0) << false << trading;
    QTest::newRow("wed 02:30 open") << shanghai(5, 2, 30) << false << trading;
    QTest::newRow("wed 02:31 closed") << shanghai(5, 2, 31) << false << closed;
    QTest::newRow("tue 01:00 open") << shanghai(4, 1, 0) << false << trading;
    QTest::newRow("tue 01:00 stale") << shanghai(4, 1, 0) << true << delayed;
    QTest::newRow("sun 10:00 closed") << shanghai(9, 10, 0) << true << closed;
    QTest::newRow("fri 22:00 open") << shanghai(7, 22, 0) << false << trading;
    // Friday's night session runs into Saturday; Sunday evening has none.
    QTest::newRow("fri 23:59 open") << shanghai(7, 23, 59) << false << trading;
    QTest::newRow("sat 00:00 open") << shanghai(8, 0, 0) << false << trading;
    QTest::newRow("sat 01:00 stale") << shanghai(8, 1, 0) << true << delayed;
    QTest::newRow("sat 02:30 open") << shanghai(8, 2, 30) << false << trading;
    QTest::newRow("sat 02:31 closed") << shanghai(8, 2, 31) << false << closed;
    QTest::newRow("sat 21:00 closed") << shanghai(8, 21, 0) << false << closed;
    QTest::newRow("sun 00:30 closed") << shanghai(9, 0, 30) << false << closed;
    QTest::newRow("sun 23:59 closed") << shanghai(9, 23, 59) << false << closed;
    QTest::newRow("mon 00:00 closed") << shanghai(10, 0, 0) << false << closed;
    QTest::newRow("mon 02:30 closed") << shanghai(10, 2, 30) << false << closed;
    QTest::newRow("mon 08:59 closed") << shanghai(10, 8, 59) << false << closed;
    QTest::newRow("mon 09:00 open") << shanghai(10, 9, 0) << false << trading;
    // The hours are Shanghai's whatever zone the clock is given in:
    // 13:00 UTC is 21:00 in Shanghai.
    QTest::newRow("utc clock") << QDateTime(QDate(2024, 6, 5), QTime(13, 0), QTimeZone::utc())
                               << false << trading;
    // 15:00 in New York (EDT) is 03:00 the next day in Shanghai: closed,
    // although 15:00 read as a Shanghai clock would be open.
    QTest::newRow("new york clock")
        << QDateTime(QDate(2024, 6, 5), QTime(15, 0), QTimeZone("America/New_York")) << false
        << closed;
}

void TestMarketHours::gold()
{
    QFETCH(QDateTime, now);
    QFETCH(bool, stale);
    QFETCH(int, status);
    QCOMPARE(int(MarketHours::goldStatus(now, stale)), status);
}

void TestMarketHours::stocks_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("status");
    const int trading = int(MarketStatus::trading), lunch = int(MarketStatus::break_),
              closed = int(MarketStatus::closed);
    QTest::newRow("09:29") << shanghai(4, 9, 29) << closed;
    QTest::newRow("09:30") << shanghai(4, 9, 30) << trading;
    QTest::newRow("11:30") << shanghai(4, 11, 30) << trading;
    QTest::newRow("11:31") << shanghai(4, 11, 31) << lunch;
    QTest::newRow("12:59") << shanghai(4, 12, 59) << lunch;
    QTest::newRow("13:00") << shanghai(4, 13, 0) << trading;
    QTest::newRow("15:00") << shanghai(4, 15, 0) << trading;
    QTest::newRow("15:01") << shanghai(4, 15, 1) << closed;
    QTest::newRow("saturday 10:00") << shanghai(8, 10, 0) << closed;
    QTest::newRow("utc 02:00 is 10:00")
        << QDateTime(QDate(2024, 6, 4), QTime(2, 0), QTimeZone::utc()) << trading;
}

void TestMarketHours::stocks()
{
    QFETCH(QDateTime, now);
    QFETCH(int, status);
    QCOMPARE(int(MarketHours::stockStatus(now)), status);
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

QTEST_GUILESS_MAIN(TestMarketHours)
#include "tst_markethours.moc"
