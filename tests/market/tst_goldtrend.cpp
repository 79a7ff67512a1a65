#include "market/GoldTrend.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestGoldTrend : public QObject {
    Q_OBJECT
private slots:
    void tradingDayKey_data();
    void tradingDayKey();
    void hourOf_data();
    void hourOf();
    void chooseTradingDay_data();
    void chooseTradingDay();
};

void TestGoldTrend::tradingDayKey_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("key"); // null = dropped

    QTest::newRow("day session") << u"2024-06-04 09:31"_s << u"2024-06-04"_s;
    QTest::newRow("night opens next day") << u"2024-06-03 21:05"_s << u"2024-06-04"_s;
    QTest::newRow("before midnight") << u"2024-06-03 23:59"_s << u"2024-06-04"_s;
    QTest::newRow("after midnight stays") << u"2024-06-04 01:10"_s << u"2024-06-04"_s;
    QTest::newRow("20:59 stays") << u"2024-06-03 20:59"_s << u"2024-06-03"_s;
    QTest::newRow("month end") << u"2024-06-30 21:00"_s << u"2024-07-01"_s;
    QTest::newRow("year end") << u"2024-12-31 22:00"_s << u"2025-01-01"_s;
    QTest::newRow("leap day") << u"2024-02-28 21:00"_s << u"2024-02-29"_s;
    QTest::newRow("friday night goes to saturday") << u"2024-06-07 21:30"_s << u"2024-06-08"_s;
    QTest::newRow("no time is hour 0") << u"2024-06-03"_s << u"2024-06-03"_s;
    QTest::newRow("unreadable hour") << u"2024-06-03 xx:05"_s << u"2024-06-03"_s;
    QTest::newRow("unparsable date kept") << u"06/03/2024 21:05"_s << u"06/03/2024"_s;
    QTest::newRow("extra spaces") << u"  2024-06-03   21:05 "_s << u"2024-06-04"_s;
    QTest::newRow("empty stamp") << QString() << QString();
    QTest::newRow("blank stamp") << u"   "_s << QString();
    QTest::newRow("impossible date kept") << u"2024-02-30 21:00"_s << u"2024-02-30"_s;
    QTest::newRow("not a leap year") << u"2023-02-28 21:00"_s << u"2023-03-01"_s;
    QTest::newRow("short month and day kept") << u"2024-6-3 21:05"_s << u"2024-6-3"_s;
    QTest::newRow("signed year") << u"+2024-06-03 21:05"_s << u"+2024-06-03"_s;
    QTest::newRow("letters in the date kept") << u"2024-O6-03 21:05"_s << u"2024-O6-03"_s;
    QTest::newRow("other separators kept") << u"2024/06/03 21:05"_s << u"2024/06/03"_s;
    QTest::newRow("a tab separates nothing") << u"2024-06-03\t21:05"_s << u"2024-06-03\t21:05"_s;
    QTest::newRow("third piece ignored") << u"2024-06-03 21:05 x"_s << u"2024-06-04"_s;
    QTest::newRow("leading colon") << u"2024-06-03 :21:05"_s << u"2024-06-04"_s;
    QTest::newRow("last day of the calendar") << u"9999-12-31 21:00"_s << u"10000-01-01"_s;
    QTest::newRow("first years") << u"0999-12-31 21:00"_s << u"1000-01-01"_s;
}

void TestGoldTrend::tradingDayKey()
{
    QFETCH(QString, stamp);
    QFETCH(QString, key);
    const auto actual = GoldTrend::tradingDayKey(stamp);
    QCOMPARE(actual.has_value(), !key.isNull());
    if (actual)
        QCOMPARE(*actual, key);
}

void TestGoldTrend::hourOf_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<int>("hour"); // -99: none

    QTest::newRow("minute") << u"2024-06-04 09:31"_s << 9;
    QTest::newRow("night") << u"2024-06-03 23:59"_s << 23;
    QTest::newRow("no time is hour 0") << u"2024-06-03"_s << 0;
    QTest::newRow("colons only is hour 0") << u"2024-06-03 ::"_s << 0;
    QTest::newRow("leading colon skipped") << u"2024-06-03 :21:05"_s << 21;
    QTest::newRow("hour alone") << u"2024-06-03 7"_s << 7;
    QTest::newRow("signed") << u"2024-06-03 -1:00"_s << -1;
    QTest::newRow("letters") << u"2024-06-03 xx:05"_s << -99;
    QTest::newRow("too many digits") << u"2024-06-03 1234567890:00"_s << -99;
    QTest::newRow("sign alone") << u"2024-06-03 +:00"_s << -99;
    QTest::newRow("extra spaces") << u" 2024-06-03   21:05 "_s << 21;
    QTest::newRow("empty") << QString() << -99;
    QTest::newRow("blank") << u"  "_s << -99;
}

void TestGoldTrend::hourOf()
{
    QFETCH(QString, stamp);
    QFETCH(int, hour);
    const auto actual = GoldTrend::hourOf(stamp);
    QCOMPARE(actual.value_or(-99), hour);
}

void TestGoldTrend::chooseTradingDay_data()
{
    QTest::addColumn<QStringList>("stamps"); // delivered order
    QTest::addColumn<QStringList>("chosen"); // expected, in output order

    QTest::newRow("night session leads its day")
        << QStringList{u"2024-06-03 09:00"_s, u"2024-06-03 14:59"_s, u"2024-06-03 21:05"_s,
                       u"2024-06-04 01:10"_s, u"2024-06-04 09:31"_s}
        << QStringList{u"2024-06-03 21:05"_s, u"2024-06-04 01:10"_s, u"2024-06-04 09:31"_s};
    QTest::newRow("latest day only night: previous day shown")
        << QStringList{u"2024-06-03 09:30"_s, u"2024-06-03 13:45"_s, u"2024-06-03 21:01"_s,
                       u"2024-06-04 00:30"_s, u"2024-06-04 02:30"_s}
        << QStringList{u"2024-06-03 09:30"_s, u"2024-06-03 13:45"_s};
    QTest::newRow("no day session anywhere: latest key")
        << QStringList{u"2024-06-02 22:00"_s, u"2024-06-03 21:00"_s, u"2024-06-04 01:00"_s}
        << QStringList{u"2024-06-03 21:00"_s, u"2024-06-04 01:00"_s};
    QTest::newRow("friday night is not monday's")
        << QStringList{u"2024-06-07 10:00"_s, u"2024-06-07 21:00"_s, u"2024-06-08 02:00"_s,
                       u"2024-06-10 09:00"_s}
        << QStringList{u"2024-06-10 09:00"_s};
    QTest::newRow("sorted by stamp, stable")
        << QStringList{u"2024-06-04 10:00"_s, u"2024-06-04 09:00"_s, u"2024-06-03 21:00"_s}
        << QStringList{u"2024-06-03 21:00"_s, u"2024-06-04 09:00"_s, u"2024-06-04 10:00"_s};
    QTest::newRow("15:00 is not day session")
        << QStringList{u"2024-06-03 10:00"_s, u"2024-06-04 15:00"_s}
        << QStringList{u"2024-06-03 10:00"_s};
    QTest::newRow("empty stamps dropped")
        << QStringList{u""_s, u"2024-06-04 09:00"_s} << QStringList{u"2024-06-04 09:00"_s};
    QTest::newRow("nothing") << QStringList{} << QStringList{};
}

void TestGoldTrend::chooseTradingDay()
{
    QFETCH(QStringList, stamps);
    QFETCH(QStringList, chosen);
    QList<GoldTrend::RawPoint> points;
    for (qsizetype i = 0; i < stamps.size(); ++i)
        points.append({.dt = stamps[i], .close = double(i), .avg = 0, .vol = 0, .amt = 0});
    QStringList actual;
    for (const auto& p : GoldTrend::chooseTradingDay(points)) {
        actual.append(p.dt);
        QCOMPARE(stamps[qsizetype(p.close)], p.dt); // values travel with their stamp
    }
    QCOMPARE(actual, chosen);
}

QTEST_GUILESS_MAIN(TestGoldTrend)
#include "tst_goldtrend.moc"
