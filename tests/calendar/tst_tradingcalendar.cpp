#include "calendar/TradingCalendar.h"

#include <QFile>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Market)
Q_DECLARE_METATYPE(Closure)
Q_DECLARE_METATYPE(Session)

namespace {

QDateTime at(int y, int mo, int d, int h, int m)
{
    return QDateTime(QDate(y, mo, d), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

// The shipped table with the days the quotes showed closed in 2027, a year
// it does not hold.
TradingCalendar withDetected()
{
    TradingCalendar calendar = TradingCalendar::builtIn();
    calendar.markDetected(Market::stocks, QDate(2027, 2, 10));
    calendar.markDetected(Market::gold, QDate(2027, 2, 10));
    return calendar;
}

} // namespace

class TestTradingCalendar : public QObject {
    Q_OBJECT
private slots:
    void shippedTable();
    void parse_data();
    void parse();
    void days_data();
    void days();
    void sessions_data();
    void sessions();
    void detection();
};

// What the program compiled in is the file in data/, and it reads.
void TestTradingCalendar::shippedTable()
{
    QFile file(QStringLiteral(QUOTARA_CLOSURE_TABLE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString error;
    const auto table = ClosureTable::parse(QString::fromUtf8(file.readAll()), &error);
    QVERIFY2(table, qPrintable(error));
    QVERIFY(ClosureTable::builtIn() == *table);
    QCOMPARE(TradingCalendar::builtIn().validUntil(), QDate(table->lastYear, 12, 31));
    // No difference between the markets has been found.
    QVERIFY(table->stocks == table->gold);
}

void TestTradingCalendar::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error"); // empty: the text reads

    const QString y2024 = u"year 2024\n"_s;
    QTest::newRow("comments and blank lines")
        << u"# notices\n\n  year 2024  # the year\n2024-06-10 holiday 端午节 # Monday\n"_s
        << QString();
    QTest::newRow("a range reaching back into the year before")
        << y2024 + u"2023-12-30..2024-01-01 holiday 元旦\n"_s << QString();
    QTest::newRow("one market only") << y2024 + u"2024-02-09 holiday 除夕 stocks\n"_s << QString();
    QTest::newRow("entry before a year")
        << u"2024-06-10 holiday 端午节\n"_s << u"line 1: an entry before the first \"year\""_s;
    QTest::newRow("a year skipped")
        << u"year 2024\nyear 2026\n"_s << u"line 2: year 2026 does not follow 2024"_s;
    QTest::newRow("years backwards")
        << u"year 2025\nyear 2024\n"_s << u"line 2: year 2024 does not follow 2025"_s;
    QTest::newRow("a day of another year")
        << y2024 + u"2025-01-01 holiday 元旦\n"_s << u"line 2: not a day of 2024: 2025-01-01"_s;
    QTest::newRow("a make-up weekday")
        << y2024 + u"2024-09-30 makeup 国庆节\n"_s
        << u"line 2: a make-up day is one Saturday or Sunday: 2024-09-30"_s;
    QTest::newRow("a make-up range")
        << y2024 + u"2024-10-12..2024-10-13 makeup 国庆节\n"_s
        << u"line 2: a make-up day is one Saturday or Sunday: 2024-10-12..2024-10-13"_s;
    QTest::newRow("a range backwards")
        << y2024 + u"2024-10-07..2024-10-01 holiday 国庆节\n"_s
        << u"line 2: not a closure's range: 2024-10-07..2024-10-01"_s;
    QTest::newRow("a month closed") << y2024 + u"2024-10-01..2024-10-31 holiday 国庆节\n"_s
                                    << u"line 2: not a closure's range: 2024-10-01..2024-10-31"_s;
    QTest::newRow("a loose date") << y2024 + u"2024-6-10 holiday 端午节\n"_s
                                  << u"line 2: not a date or a range of dates: 2024-6-10"_s;
    QTest::newRow("no such day") << y2024 + u"2024-02-30 holiday 春节\n"_s
                                 << u"line 2: not a date or a range of dates: 2024-02-30"_s;
    QTest::newRow("unknown kind") << y2024 + u"2024-06-10 closed 端午节\n"_s
                                  << u"line 2: neither holiday nor makeup: closed"_s;
    QTest::newRow("unknown market") << y2024 + u"2024-06-10 holiday 端午节 bonds\n"_s
                                    << u"line 2: neither stocks nor gold: bonds"_s;
    QTest::newRow("no name") << y2024 + u"2024-06-10 holiday\n"_s
                             << u"line 2: expected \"DATE[..DATE] holiday|makeup NAME "
                                u"[stocks|gold]\""_s;
    QTest::newRow("a day twice") << y2024 + u"2024-10-01..2024-10-07 holiday 国庆节\n"_s +
                                        u"2024-10-07 holiday 国庆节\n"_s
                                 << u"line 3: 2024-10-07 is listed twice"_s;
    QTest::newRow("year without a number")
        << u"year twenty\n"_s << u"line 1: expected \"year YYYY\""_s;
}

void TestTradingCalendar::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QString why;
    const auto table = ClosureTable::parse(text, &why);
    QCOMPARE(why, error);
    QCOMPARE(table.has_value(), error.isEmpty());
    if (QByteArray(QTest::currentDataTag()) == "one market only") {
        const TradingCalendar calendar(*table);
        QCOMPARE(calendar.dayClosure(Market::stocks, QDate(2024, 2, 9)), Closure::holiday);
        QCOMPARE(calendar.dayClosure(Market::gold, QDate(2024, 2, 9)), Closure::none);
    }
    if (QByteArray(QTest::currentDataTag()) == "a range reaching back into the year before") {
        QCOMPARE(table->stocks.size(), 3);
        QCOMPARE(table->stocks.firstKey(), QDate(2023, 12, 30));
        QVERIFY(!table->covers(QDate(2023, 12, 30))); // the day is known, 2023 is not
    }
}

void TestTradingCalendar::days_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<Closure>("closure");
    QTest::addColumn<QDate>("next");     // the next trading day
    QTest::addColumn<QDate>("previous"); // the trading day before

    // 2024's Spring Festival: closed 除夕 (Friday the 9th) to Saturday the
    // 17th; Sunday the 4th and the 18th were worked in lieu, and traded not.
    QTest::newRow("the last day before the Spring Festival")
        << QDate(2024, 2, 8) << Closure::none << QDate(2024, 2, 19) << QDate(2024, 2, 7);
    QTest::newRow("除夕") << QDate(2024, 2, 9) << Closure::holiday << QDate(2024, 2, 19)
                          << QDate(2024, 2, 8);
    QTest::newRow("a weekend inside the holiday")
        << QDate(2024, 2, 11) << Closure::holiday << QDate(2024, 2, 19) << QDate(2024, 2, 8);
    QTest::newRow("a make-up Sunday after it")
        << QDate(2024, 2, 18) << Closure::makeUpDay << QDate(2024, 2, 19) << QDate(2024, 2, 8);
    QTest::newRow("the first day back")
        << QDate(2024, 2, 19) << Closure::none << QDate(2024, 2, 20) << QDate(2024, 2, 8);
    QTest::newRow("a make-up Saturday after the National Day")
        << QDate(2024, 10, 12) << Closure::makeUpDay << QDate(2024, 10, 14) << QDate(2024, 10, 11);
    QTest::newRow("an ordinary Saturday")
        << QDate(2024, 6, 1) << Closure::weekend << QDate(2024, 6, 3) << QDate(2024, 5, 31);
    QTest::newRow("the Dragon Boat Monday")
        << QDate(2024, 6, 10) << Closure::holiday << QDate(2024, 6, 11) << QDate(2024, 6, 7);
    // Beyond the table, and before it, only weekends close: 2027's Spring
    // Festival is unknown, and so is 2021's.
    QTest::newRow("beyond the table")
        << QDate(2027, 2, 8) << Closure::none << QDate(2027, 2, 9) << QDate(2027, 2, 5);
    QTest::newRow("before the table")
        << QDate(2021, 2, 11) << Closure::none << QDate(2021, 2, 12) << QDate(2021, 2, 10);
    QTest::newRow("new year's eve of the last year")
        << QDate(2026, 12, 31) << Closure::none << QDate(2027, 1, 1) << QDate(2026, 12, 30);
}

void TestTradingCalendar::days()
{
    QFETCH(QDate, date);
    const TradingCalendar& calendar = TradingCalendar::builtIn();
    for (Market market : {Market::stocks, Market::gold}) {
        QTEST(calendar.dayClosure(market, date), "closure");
        QTEST(calendar.nextTradingDay(market, date), "next");
        QTEST(calendar.previousTradingDay(market, date), "previous");
    }
    QCOMPARE(calendar.covers(date), date.year() >= 2022 && date.year() <= 2026);
}

void TestTradingCalendar::sessions_data()
{
    QTest::addColumn<Market>("market");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<Session>("session");
    QTest::addColumn<Closure>("closure");
    QTest::addColumn<QDate>("tradingDay");

    const auto gold = Market::gold;
    const auto stocks = Market::stocks;
    const QDate none;

    // The Spring Festival of 2024 (closed 2-09 to 2-17).
    QTest::newRow("sf: the last night session")
        << gold << at(2024, 2, 7, 21, 0) << Session::night << Closure::none << QDate(2024, 2, 8);
    QTest::newRow("sf: its last minute")
        << gold << at(2024, 2, 8, 2, 30) << Session::night << Closure::none << QDate(2024, 2, 8);
    QTest::newRow("sf: the last day's close")
        << gold << at(2024, 2, 8, 15, 0) << Session::day << Closure::none << QDate(2024, 2, 8);
    QTest::newRow("sf: the evening before, no night")
        << gold << at(2024, 2, 8, 21, 0) << Session::none << Closure::holiday << none;
    QTest::newRow("sf: past midnight")
        << gold << at(2024, 2, 9, 1, 0) << Session::none << Closure::holiday << none;
    QTest::newRow("sf: stocks on 除夕")
        << stocks << at(2024, 2, 9, 10, 0) << Session::none << Closure::holiday << none;
    QTest::newRow("sf: the make-up Sunday")
        << gold << at(2024, 2, 18, 10, 0) << Session::none << Closure::makeUpDay << none;
    QTest::newRow("sf: first morning back, 08:54")
        << gold << at(2024, 2, 19, 8, 54) << Session::none << Closure::hours << none;
    QTest::newRow("sf: first morning back, 08:55")
        << gold << at(2024, 2, 19, 8, 55) << Session::auction << Closure::none
        << QDate(2024, 2, 19);
    QTest::newRow("sf: first morning back, 09:00")
        << gold << at(2024, 2, 19, 9, 0) << Session::day << Closure::none << QDate(2024, 2, 19);
    QTest::newRow("sf: stocks back at 09:30")
        << stocks << at(2024, 2, 19, 9, 30) << Session::day << Closure::none << QDate(2024, 2, 19);
    QTest::newRow("sf: the night is back")
        << gold << at(2024, 2, 19, 21, 0) << Session::night << Closure::none << QDate(2024, 2, 20);

    // The National Day of 2024 (closed 10-01 to 10-07, Sunday 9-29 and
    // Saturday 10-12 worked in lieu).
    QTest::newRow("nd: friday's night over a make-up sunday")
        << gold << at(2024, 9, 27, 21, 0) << Session::night << Closure::none << QDate(2024, 9, 30);
    QTest::newRow("nd: saturday 02:30 is friday's")
        << gold << at(2024, 9, 28, 2, 30) << Session::night << Closure::none << QDate(2024, 9, 30);
    QTest::newRow("nd: the evening before")
        << gold << at(2024, 9, 30, 21, 0) << Session::none << Closure::holiday << none;
    QTest::newRow("nd: stocks that evening")
        << stocks << at(2024, 9, 30, 21, 0) << Session::none << Closure::hours << none;
    QTest::newRow("nd: the holiday's last evening")
        << gold << at(2024, 10, 7, 21, 0) << Session::none << Closure::holiday << none;
    QTest::newRow("nd: first morning back, 08:55")
        << gold << at(2024, 10, 8, 8, 55) << Session::auction << Closure::none
        << QDate(2024, 10, 8);
    QTest::newRow("nd: first morning back, 09:00")
        << gold << at(2024, 10, 8, 9, 0) << Session::day << Closure::none << QDate(2024, 10, 8);
    QTest::newRow("nd: stocks at 09:29")
        << stocks << at(2024, 10, 8, 9, 29) << Session::none << Closure::hours << none;
    // An ordinary morning has no auction: the night before opened the day.
    QTest::newRow("an ordinary morning at 08:55")
        << gold << at(2024, 10, 9, 8, 55) << Session::none << Closure::hours << none;

    // A make-up Saturday: friday's night runs into it, then nothing trades.
    QTest::newRow("make-up saturday 01:00")
        << gold << at(2024, 10, 12, 1, 0) << Session::night << Closure::none << QDate(2024, 10, 14);
    QTest::newRow("make-up saturday 10:00, gold")
        << gold << at(2024, 10, 12, 10, 0) << Session::none << Closure::makeUpDay << none;
    QTest::newRow("make-up saturday 10:00, stocks")
        << stocks << at(2024, 10, 12, 10, 0) << Session::none << Closure::makeUpDay << none;
    QTest::newRow("monday 01:00 after a make-up sunday")
        << gold << at(2024, 9, 30, 1, 0) << Session::none << Closure::weekend << none;
    QTest::newRow("make-up saturday 21:00")
        << gold << at(2024, 10, 12, 21, 0) << Session::none << Closure::makeUpDay << none;

    // A holiday that begins on a Saturday still cancels friday's night.
    QTest::newRow("before 2026's Qingming weekend")
        << gold << at(2026, 4, 3, 21, 0) << Session::none << Closure::holiday << none;
    QTest::newRow("an ordinary friday night")
        << gold << at(2026, 4, 10, 21, 0) << Session::night << Closure::none << QDate(2026, 4, 13);

    // The pauses inside the day.
    QTest::newRow("gold 10:16") << gold << at(2024, 6, 4, 10, 16) << Session::pause << Closure::none
                                << QDate(2024, 6, 4);
    QTest::newRow("gold 10:30") << gold << at(2024, 6, 4, 10, 30) << Session::day << Closure::none
                                << QDate(2024, 6, 4);
    QTest::newRow("gold 13:29") << gold << at(2024, 6, 4, 13, 29) << Session::pause << Closure::none
                                << QDate(2024, 6, 4);
    QTest::newRow("stocks 11:31") << stocks << at(2024, 6, 4, 11, 31) << Session::pause
                                  << Closure::none << QDate(2024, 6, 4);
    QTest::newRow("stocks 13:00") << stocks << at(2024, 6, 4, 13, 0) << Session::day
                                  << Closure::none << QDate(2024, 6, 4);
    QTest::newRow("ordinary monday 01:00")
        << gold << at(2024, 6, 3, 1, 0) << Session::none << Closure::weekend << none;

    // Beyond the table every weekday trades, nights included.
    QTest::newRow("2027: a tuesday night")
        << gold << at(2027, 2, 9, 21, 0) << Session::night << Closure::none << QDate(2027, 2, 10);
    QTest::newRow("2027: a wednesday morning")
        << stocks << at(2027, 2, 10, 10, 0) << Session::day << Closure::none << QDate(2027, 2, 10);
    // Shanghai's clock whatever the zone: 01:30 UTC is 09:30 there.
    QTest::newRow("utc clock") << stocks
                               << QDateTime(QDate(2024, 10, 8), QTime(1, 30), QTimeZone::utc())
                               << Session::day << Closure::none << QDate(2024, 10, 8);
}

void TestTradingCalendar::sessions()
{
    QFETCH(Market, market);
    QFETCH(QDateTime, now);
    QFETCH(Session, session);
    QFETCH(Closure, closure);
    QFETCH(QDate, tradingDay);
    const SessionAt s = TradingCalendar::builtIn().sessionAt(market, now);
    QCOMPARE(s.session, session);
    QCOMPARE(s.closure, closure);
    QCOMPARE(s.tradingDay, tradingDay);
}

// A day the quotes showed closed is closed for the rest of the day, for
// that market only, and the next morning opens with gold's auction.
void TestTradingCalendar::detection()
{
    TradingCalendar calendar = withDetected();
    QCOMPARE(calendar.sessionAt(Market::stocks, at(2027, 2, 10, 13, 0)).closure, Closure::detected);
    QCOMPARE(calendar.sessionAt(Market::gold, at(2027, 2, 10, 21, 30)).closure, Closure::detected);
    QCOMPARE(calendar.sessionAt(Market::gold, at(2027, 2, 11, 1, 0)).closure, Closure::detected);
    QCOMPARE(calendar.sessionAt(Market::gold, at(2027, 2, 11, 8, 55)).session, Session::auction);
    QCOMPARE(calendar.previousTradingDay(Market::stocks, QDate(2027, 2, 11)), QDate(2027, 2, 9));
    // Only a trading day can turn out closed.
    QVERIFY(!calendar.markDetected(Market::stocks, QDate(2027, 2, 10)));
    QVERIFY(!calendar.markDetected(Market::stocks, QDate(2027, 2, 13)));
    QVERIFY(!calendar.markDetected(Market::gold, QDate(2024, 10, 1)));
    QVERIFY(calendar.markDetected(Market::stocks, QDate(2027, 2, 11)));
    QCOMPARE(calendar.dayClosure(Market::gold, QDate(2027, 2, 11)), Closure::none);
    // The shipped calendar itself is untouched.
    QCOMPARE(TradingCalendar::builtIn().dayClosure(Market::stocks, QDate(2027, 2, 10)),
             Closure::none);
}

QTEST_GUILESS_MAIN(TestTradingCalendar)
#include "tst_tradingcalendar.moc"
