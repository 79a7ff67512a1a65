#include "market/EstimateLog.h"

#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

using Days = QList<EstimateDay>;
Q_DECLARE_METATYPE(Days)
Q_DECLARE_METATYPE(FundDetail)
Q_DECLARE_METATYPE(EstimateTrust)
Q_DECLARE_METATYPE(std::optional<QDate>)

namespace {

// June 2024: Monday the 3rd to Friday the 7th, then the weekend.
QDateTime shanghai(int day, int h, int m)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

QDateTime at(int y, int mo, int d, int h, int m)
{
    return QDateTime(QDate(y, mo, d), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

QDateTime utc(int day, int h, int m)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m), QTimeZone::utc());
}

// An open day: the estimate `change` made at `madeAt`, value 1 + change %.
EstimateDay open(int day, QDateTime madeAt, double change)
{
    return EstimateDay{.date = QDate(2024, 6, day),
                       .madeAt = std::move(madeAt),
                       .changePct = change,
                       .nav = 1.0 + change / 100.0,
                       .publishedChangePct = std::nullopt};
}

EstimateDay settled(EstimateDay day, double published)
{
    day.publishedChangePct = published;
    return day;
}

// A fund as refreshed: its latest published value and today's estimate.
FundDetail fund(const QString& navDate, double navChange, std::optional<double> estimate,
                bool changeMissing = false)
{
    FundDetail d;
    d.quote = FundQuote{.code = u"161725"_s,
                        .name = u"白酒"_s,
                        .nav = 1.0,
                        .navChangePct = navChange,
                        .navDate = navDate,
                        .navChangeMissing = changeMissing};
    d.estChangePct = estimate;
    if (estimate)
        d.estNav = 1.0 + *estimate / 100.0;
    return d;
}

} // namespace

class TestEstimateLog : public QObject {
    Q_OBJECT
private slots:
    void estimateDay_data();
    void estimateDay();
    void note_data();
    void note();
    void keepsTheLatestDays();
    void trust();
    void toolTip_data();
    void toolTip();
};

void TestEstimateLog::estimateDay_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<std::optional<QDate>>("day");
    const auto june = [](int day) { return std::optional<QDate>(QDate(2024, 6, day)); };
    const std::optional<QDate> none;

    QTest::newRow("the open") << shanghai(4, 9, 30) << june(4);
    QTest::newRow("night session after midnight") << shanghai(5, 1, 0) << june(4);
    QTest::newRow("before the auction") << shanghai(5, 9, 14) << june(4);
    QTest::newRow("auction begins") << shanghai(5, 9, 15) << none;
    QTest::newRow("sunday night") << shanghai(9, 23, 59) << june(7);
    QTest::newRow("monday before the auction") << shanghai(10, 8, 0) << june(7);
    // The clock may run in any zone; the day is Shanghai's.
    QTest::newRow("utc clock, shanghai auction") << utc(4, 1, 20) << none;
    QTest::newRow("utc clock, shanghai morning") << utc(4, 2, 0) << june(4);
    QTest::newRow("invalid clock") << QDateTime() << none;

    // Over a closure the changes on show are those of the last trading day,
    // up to the next trading day's auction.
    const auto day = [](int y, int mo, int d) { return std::optional<QDate>(QDate(y, mo, d)); };
    QTest::newRow("the dragon boat monday") << shanghai(10, 10, 0) << june(7);
    QTest::newRow("除夕, a weekday off") << at(2024, 2, 9, 10, 0) << day(2024, 2, 8);
    QTest::newRow("a national day morning at 09:20") << at(2024, 10, 2, 9, 20) << day(2024, 9, 30);
    QTest::newRow("first morning back, before the auction")
        << at(2024, 10, 8, 9, 0) << day(2024, 9, 30);
    QTest::newRow("first morning back, the auction") << at(2024, 10, 8, 9, 20) << none;
    QTest::newRow("first morning back, the open") << at(2024, 10, 8, 9, 30) << day(2024, 10, 8);
    QTest::newRow("a make-up saturday") << at(2024, 10, 12, 11, 0) << day(2024, 10, 11);
    // Past the table only weekends are known.
    QTest::newRow("2027, a wednesday") << at(2027, 2, 10, 10, 0) << day(2027, 2, 10);
}

void TestEstimateLog::estimateDay()
{
    QFETCH(QDateTime, now);
    QTEST(EstimateLog::estimateDay(now, TradingCalendar::builtIn()), "day");
}

void TestEstimateLog::note_data()
{
    QTest::addColumn<Days>("before");
    QTest::addColumn<FundDetail>("fund");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<Days>("after");

    // The replay through the simulated provider walks the common course of
    // days; these are the turns it does not take.
    const QDateTime tue1530 = shanghai(4, 15, 30);

    QTest::newRow("a settled day stays as it is")
        << Days{settled(open(4, tue1530, 0.8), 0.5)} << fund(u"2024-06-04"_s, 0.5, 0.9)
        << shanghai(4, 22, 0) << Days{settled(open(4, tue1530, 0.8), 0.5)};
    QTest::newRow("the auction settles but records nothing")
        << Days{open(4, tue1530, 0.8)} << fund(u"2024-06-04"_s, 0.5, 0.2) << shanghai(5, 9, 20)
        << Days{settled(open(4, tue1530, 0.8), 0.5)};
    QTest::newRow("no estimate, still settles")
        << Days{open(4, tue1530, 0.8)} << fund(u"2024-06-04"_s, -0.25, std::nullopt)
        << shanghai(5, 10, 0) << Days{settled(open(4, tue1530, 0.8), -0.25)};
    QTest::newRow("a value without a change compares nothing")
        << Days{open(4, tue1530, 0.8)} << fund(u"2024-06-04"_s, 0.0, 0.3, true)
        << shanghai(5, 10, 0) << Days{open(5, shanghai(5, 10, 0), 0.3)};
    QTest::newRow("an unreadable date leaves the record")
        << Days{open(4, tue1530, 0.8)} << fund(u"--"_s, 0.5, 0.3) << shanghai(5, 10, 0)
        << Days{open(4, tue1530, 0.8)};
    // A provider that falls back a day does not reopen a settled one. The
    // clock runs in UTC here; the time is kept in Shanghai's.
    // A holiday shows the day before's closing changes, whose value is out.
    QTest::newRow("a holiday estimate is the day before's")
        << Days{} << fund(u"2024-06-07"_s, 0.5, 0.4) << shanghai(10, 10, 0) << Days{};
    // A closure past the table files the morning's estimate under the closed
    // day; the next published value shows it had none.
    QTest::newRow("an unknown closure is dropped later")
        << Days{settled(open(4, tue1530, 0.8), 0.5),
                EstimateDay{QDate(2027, 2, 10), at(2027, 2, 10, 9, 40), 0.3, 1.003, std::nullopt}}
        << fund(u"2027-02-11"_s, 0.2, std::nullopt) << at(2027, 2, 11, 21, 0)
        << Days{settled(open(4, tue1530, 0.8), 0.5)};
    QTest::newRow("an older published date")
        << Days{settled(open(4, tue1530, 0.8), 0.5)} << fund(u"2024-06-03"_s, 1.0, 0.6)
        << utc(5, 2, 0)
        << Days{settled(open(4, tue1530, 0.8), 0.5), open(5, shanghai(5, 10, 0), 0.6)};
}

void TestEstimateLog::note()
{
    QFETCH(Days, before);
    QFETCH(FundDetail, fund);
    QFETCH(QDateTime, now);
    QFETCH(Days, after);
    Days days = before;
    const bool changed = EstimateLog::note(days, fund, now, TradingCalendar::builtIn());
    QCOMPARE(days, after);
    QCOMPARE(changed, before != after);
    for (const EstimateDay& d : days)
        QCOMPARE(d.madeAt.offsetFromUtc(), 8 * 3600); // kept in Shanghai time
}

void TestEstimateLog::keepsTheLatestDays()
{
    // A full record of settled weekdays up to Friday 2024-05-31.
    Days days;
    QDate d(2024, 5, 31);
    while (days.size() < EstimateLog::keptDays) {
        days.prepend(settled(
            {d, QDateTime(d, QTime(15, 0), QTimeZone("Asia/Shanghai")), 0.1, 1.001, std::nullopt},
            0.2));
        do
            d = d.addDays(-1);
        while (d.dayOfWeek() > 5);
    }
    const QDate oldest = days.first().date;
    QVERIFY(EstimateLog::note(days, fund(u"2024-05-31"_s, 0.2, 0.4), shanghai(3, 10, 0),
                              TradingCalendar::builtIn()));
    QCOMPARE(days.size(), EstimateLog::keptDays);
    QVERIFY(days.first().date > oldest);
    QCOMPARE(days.last().date, QDate(2024, 6, 3));
}

void TestEstimateLog::trust()
{
    const FundDetail f = fund(u"2024-06-05"_s, -0.3, 0.1);
    const EstimateDay mon = settled(open(3, shanghai(3, 15, 30), 1.25), 1.0); // 1.00 - 1.25 = -0.25
    const EstimateDay tue =
        settled(open(4, shanghai(4, 15, 30), 0.125), 0.5); // 0.50 - 0.125 = +0.375
    // Wednesday, the published day, was never estimated; Thursday is open.
    const EstimateTrust t = EstimateLog::trust(f, {}, {mon, tue, open(6, shanghai(6, 10, 0), 0.1)});
    QVERIFY(!t.navDateError);
    QCOMPARE(t.errorDays, 2);
    QCOMPARE(*t.meanAbsError, 0.3125); // (0.25 + 0.375) / 2
    const QJsonObject json = EstimateLog::toJson(t);
    QVERIFY(json.value(u"navDateError"_s).isNull());
    QCOMPARE(json.value(u"meanAbsError"_s).toDouble(), 0.3125);
    QVERIFY(EstimateLog::toJson(EstimateLog::trust(f, {}, {})).value(u"meanAbsError"_s).isNull());
}

void TestEstimateLog::toolTip_data()
{
    QTest::addColumn<EstimateTrust>("trust");
    QTest::addColumn<QString>("text");

    QTest::newRow("a tiny fall is no sign")
        << EstimateTrust{{54.1, 10, 10}, u"2024-06-03"_s, -0.004, 0.004, 1}
        << u"持仓覆盖 54.1%（10/10 只已定价）\n最新净值日期 2024-06-03\n"
           u"当日估算误差 0.00 个百分点\n平均绝对误差 0.00 个百分点（共 1 日）"_s;
    QTest::newRow("nothing recorded yet")
        << EstimateTrust{{0, 0, 10}, u"2024-06-03"_s, std::nullopt, std::nullopt, 0}
        << u"持仓覆盖 0.0%（0/10 只已定价）\n最新净值日期 2024-06-03\n"
           u"当日估算误差 暂无记录\n平均绝对误差 暂无记录"_s;
    QTest::newRow("no holdings, no date")
        << EstimateTrust{{0, 0, 0}, QString(), std::nullopt, std::nullopt, 0}
        << u"持仓覆盖 --（暂无重仓数据）\n最新净值日期 --\n"
           u"当日估算误差 暂无记录\n平均绝对误差 暂无记录"_s;
}

void TestEstimateLog::toolTip()
{
    QFETCH(EstimateTrust, trust);
    QTEST(EstimateLog::toolTip(trust), "text");
}

QTEST_GUILESS_MAIN(TestEstimateLog)
#include "tst_estimatelog.moc"
