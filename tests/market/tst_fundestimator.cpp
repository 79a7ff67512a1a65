#include "calendar/TradingCalendar.h"
#include "market/EstimateLog.h"
#include "market/Format.h"
#include "market/FundEstimator.h"
#include "market/Money.h"
#include "market/Profit.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

using ChangeMap = QMap<QString, double>;
Q_DECLARE_METATYPE(QList<FundHolding>)

class TestFundEstimator : public QObject {
    Q_OBJECT
private slots:
    void normalizeCode_data();
    void normalizeCode();
    void estimateChangePct_data();
    void estimateChangePct();
    void estimateNav_data();
    void estimateNav();
    void coverage_data();
    void coverage();
    void fundProfit_data();
    void fundProfit();
    void goldProfit_data();
    void goldProfit();
    void summary_data();
    void summary();
};

void TestFundEstimator::normalizeCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("six digits") << u"600519"_s << u"600519"_s;
    QTest::newRow("hong kong five") << u"00700"_s << u"00700"_s;
    QTest::newRow("exchange prefix") << u"SH600519"_s << u"600519"_s;
    QTest::newRow("seven") << u"1600519"_s << u"600519"_s;
    QTest::newRow("empty") << QString() << QString();
    // A combining mark belongs to the character before it.
    QTest::newRow("combining mark counts once") << u"a\u030160051"_s << u"a\u030160051"_s;
    QTest::newRow("surrogate pair is one") << u"\U0001F600x600519"_s << u"600519"_s;
}

void TestFundEstimator::normalizeCode()
{
    QFETCH(QString, code);
    QTEST(FundEstimator::normalizeCode(code), "normalized");
}

static FundHolding holding(const QString& code, double weight)
{
    return FundHolding{.code = code, .name = code, .weight = weight, .exchange = 1};
}

void TestFundEstimator::estimateChangePct_data()
{
    QTest::addColumn<QList<FundHolding>>("holdings");
    QTest::addColumn<ChangeMap>("changes");
    QTest::addColumn<bool>("present");
    QTest::addColumn<double>("estimate");

    QTest::newRow("weights 10 and 5")
        << QList{holding(u"600519"_s, 10), holding(u"000568"_s, 5)}
        << ChangeMap{{u"600519"_s, 2.0}, {u"000568"_s, -1.0}} << true << 1.0;
    QTest::newRow("unpriced holding ignored")
        << QList{holding(u"600519"_s, 10), holding(u"000001"_s, 90)}
        << ChangeMap{{u"600519"_s, 2.5}} << true << 2.5;
    QTest::newRow("decorated code found")
        << QList{holding(u"SZ000568"_s, 4)} << ChangeMap{{u"000568"_s, -3.0}} << true << -3.0;
    QTest::newRow("none priced") << QList{holding(u"600519"_s, 10)} << ChangeMap{{u"1"_s, 1.0}}
                                 << false << 0.0;
    QTest::newRow("no holdings") << QList<FundHolding>{} << ChangeMap{{u"600519"_s, 1.0}} << false
                                 << 0.0;
    QTest::newRow("weights sum to zero")
        << QList{holding(u"600519"_s, 5), holding(u"000568"_s, -5)}
        << ChangeMap{{u"600519"_s, 1.0}, {u"000568"_s, 2.0}} << false << 0.0;
    QTest::newRow("zero weight only")
        << QList{holding(u"600519"_s, 0)} << ChangeMap{{u"600519"_s, 1.0}} << false << 0.0;
}

void TestFundEstimator::estimateChangePct()
{
    QFETCH(QList<FundHolding>, holdings);
    QFETCH(ChangeMap, changes);
    QFETCH(bool, present);
    QFETCH(double, estimate);
    const auto actual = FundEstimator::estimateChangePct(holdings, changes);
    QCOMPARE(actual.has_value(), present);
    if (actual)
        QCOMPARE(*actual, estimate);
}

void TestFundEstimator::estimateNav_data()
{
    QTest::addColumn<double>("nav");
    QTest::addColumn<double>("change");
    QTest::addColumn<double>("estimate");
    QTest::newRow("rise") << 1.5 << 2.0 << 1.53;
    QTest::newRow("fall") << 2.0 << -1.5 << 1.97;
    QTest::newRow("flat") << 0.8123 << 0.0 << 0.8123;
}

void TestFundEstimator::estimateNav()
{
    QFETCH(double, nav);
    QFETCH(double, change);
    QTEST(FundEstimator::estimateNav(nav, change), "estimate");
}

void TestFundEstimator::coverage_data()
{
    QTest::addColumn<QList<FundHolding>>("holdings");
    QTest::addColumn<ChangeMap>("changes");
    QTest::addColumn<double>("weight");
    QTest::addColumn<int>("priced");
    QTest::addColumn<int>("total");

    const QList<FundHolding> three{holding(u"600519"_s, 15.23), holding(u"SZ000568"_s, 9.81),
                                   holding(u"00700"_s, 8.02)};
    QTest::newRow("all priced") << three
                                << ChangeMap{{u"600519"_s, 1.0},
                                             {u"000568"_s, -2.0},
                                             {u"00700"_s, 0.0}}
                                << 15.23 + 9.81 + 8.02 << 3 << 3;
    // The decorated code is found under its six digits, as the estimate finds it.
    QTest::newRow("one missing") << three << ChangeMap{{u"600519"_s, 1.0}, {u"000568"_s, -2.0}}
                                 << 15.23 + 9.81 << 2 << 3;
    QTest::newRow("none priced") << three << ChangeMap{} << 0.0 << 0 << 3;
    QTest::newRow("no holdings") << QList<FundHolding>{} << ChangeMap{{u"600519"_s, 1.0}} << 0.0
                                 << 0 << 0;
}

void TestFundEstimator::coverage()
{
    QFETCH(QList<FundHolding>, holdings);
    QFETCH(ChangeMap, changes);
    QFETCH(double, weight);
    const FundEstimator::Coverage c = FundEstimator::coverage(holdings, changes);
    QCOMPARE(c.weightPct, weight);
    QTEST(c.priced, "priced");
    QTEST(c.holdings, "total");
}

// What the user holds and made, worked out by hand to the fen. Every
// expected figure below is shares × a difference of four-decimal values,
// rounded half away from zero.

static QDateTime shanghai(int day, int h, int m)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

// "10000" and "0.95" as typed; an empty cost is none.
static Profit::Position position(const QString& quantity, const QString& cost, int decimals)
{
    Profit::Position p{.quantity = *Money::parse(quantity, decimals, Profit::quantityLimit).units,
                       .cost = std::nullopt};
    if (!cost.isEmpty())
        p.cost = Money::parse(cost, Profit::costDecimals, Profit::costLimit).units;
    return p;
}

static QString dayText(const std::optional<Profit::Day>& day)
{
    if (!day)
        return Format::absent();
    const QString tag = Profit::tag(*day);
    return Format::signedMoney(day->fen) + (tag.isEmpty() ? QString() : u' ' + tag);
}

// "value | today | holding profit rate"
static QString describe(const Profit::Figures& f)
{
    return Profit::amount(f.value, false) + u" | "_s + dayText(f.today) + u" | "_s +
           Profit::signedAmount(f.holdingProfit, false) + u' ' + Format::pct(f.holdingRatePct);
}

// A fund as the controller publishes it at `now`: its estimate is dropped
// once the day's value is out.
static FundDetail fundAt(const QString& code, const QDateTime& now, double nav,
                         const QString& change, const QString& navDate, const QString& estimate)
{
    FundDetail d;
    d.quote = FundQuote{.code = code,
                        .name = code,
                        .nav = nav,
                        .navChangePct = change.toDouble(),
                        .navDate = navDate,
                        .navChangeMissing = change.isEmpty()};
    d.navIsCurrent = EstimateLog::navIsCurrent(d.quote, now, TradingCalendar::builtIn());
    if (!d.navIsCurrent && !estimate.isEmpty())
        d.estNav = estimate.toDouble();
    return d;
}

void TestFundEstimator::fundProfit_data()
{
    QTest::addColumn<QString>("shares");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<double>("nav");
    QTest::addColumn<QString>("change"); // published, percent; empty: none
    QTest::addColumn<QString>("navDate");
    QTest::addColumn<QString>("estimate"); // what the estimator gives; empty: none
    QTest::addColumn<QString>("figures");

    // Tuesday 4 June 2024; Monday's value 1.0100 (+1.00 %) is out.
    const QDateTime morning = shanghai(4, 10, 0), evening = shanghai(4, 20, 30);
    QTest::newRow("a normal day: the estimate")
        // 10000 × 1.0152; 10000 × (1.0152 − 1.0100); 10000 × (1.0152 − 0.9500); 0.0652 / 0.95
        << u"10000"_s << u"0.95"_s << morning << 1.0100 << u"1.00"_s << u"2024-06-03"_s
        << u"1.015180"_s << u"10,152.00 | +52.00 估 | +652.00 +6.86%"_s;
    QTest::newRow("the evening before the value is out: still the estimate")
        << u"10000"_s << u"0.95"_s << shanghai(4, 19, 0) << 1.0100 << u"1.00"_s << u"2024-06-03"_s
        << u"1.0160"_s << u"10,160.00 | +60.00 估 | +660.00 +6.95%"_s;
    // The value of 1.0150 (+0.50 %) is out; the quote service still shows
    // the day's changes, but they are in the value: no estimate on top.
    // 1.0150 / 1.005 = 1.009950 → 1.0100; unrounded it would be +50.50.
    QTest::newRow("the evening after the value is out: confirmed, once")
        << u"10000"_s << u"0.95"_s << evening << 1.0150 << u"0.50"_s << u"2024-06-04"_s
        << u"1.0160"_s << u"10,150.00 | +50.00 已更新 | +650.00 +6.84%"_s;
    // 0.9950 / 0.9851 = 1.010049 → 1.0100
    QTest::newRow("a fall, confirmed")
        << u"10000"_s << u"0.95"_s << evening << 0.9950 << u"-1.49"_s << u"2024-06-04"_s
        << QString() << u"9,950.00 | -150.00 已更新 | +450.00 +4.74%"_s;
    // Saturday shows Friday's value: 1.0260 / 1.0069 = 1.018969 → 1.0190
    // (unrounded +70.31).
    QTest::newRow("a weekend: Friday's, confirmed")
        << u"10000"_s << u"0.95"_s << shanghai(8, 11, 0) << 1.0260 << u"0.69"_s << u"2024-06-07"_s
        << u"1.0300"_s << u"10,260.00 | +70.00 已更新 | +760.00 +8.00%"_s;
    QTest::newRow("a fund without a published change, its value out")
        << u"1000"_s << QString() << evening << 1.0213 << QString() << u"2024-06-04"_s << QString()
        << u"1,021.30 | -- | -- --"_s;
    QTest::newRow("a fund without a published change, estimating")
        << u"1000"_s << QString() << morning << 1.0213 << QString() << u"2024-06-03"_s
        << u"1.0300"_s << u"1,030.00 | +8.70 估 | -- --"_s;
    // A QDII fund at Tuesday 20:30 has only Monday's value and no estimate:
    // 3.4830 / 0.9877 = 3.526374 → 3.5264; 1000 × (3.4830 − 3.5264).
    QTest::newRow("a QDII fund's value date lags: its own day, with its date")
        << u"1000"_s << u"3.2"_s << evening << 3.4830 << u"-1.23"_s << u"2024-06-03"_s << QString()
        << u"3,483.00 | -43.40 06-03 | +283.00 +8.84%"_s;
    QTest::newRow("zero shares") << u"0"_s << u"0.95"_s << morning << 1.0100 << u"1.00"_s
                                 << u"2024-06-03"_s << u"1.015180"_s
                                 << u"0.00 | 0.00 估 | 0.00 --"_s;
    QTest::newRow("no cost") << u"10000"_s << QString() << morning << 1.0100 << u"1.00"_s
                             << u"2024-06-03"_s << u"1.015180"_s
                             << u"10,152.00 | +52.00 估 | -- --"_s;
    QTest::newRow("a cost of nothing: all profit, no rate")
        << u"100"_s << u"0"_s << morning << 1.0100 << u"1.00"_s << u"2024-06-03"_s << u"1.015180"_s
        << u"101.52 | +0.52 估 | +101.52 --"_s;
    // 12.5 × 0.0052 = 0.065 and 12.5 × 1.0152 = 12.69; 0.0052 / 1.01
    QTest::newRow("half a fen rounds up")
        << u"12.50"_s << u"1.0100"_s << morning << 1.0100 << u"1.00"_s << u"2024-06-03"_s
        << u"1.0152"_s << u"12.69 | +0.07 估 | +0.07 +0.51%"_s;
    QTest::newRow("half a fen of a loss rounds down")
        << u"12.50"_s << u"1.0100"_s << morning << 1.0100 << u"1.00"_s << u"2024-06-03"_s
        << u"1.0048"_s << u"12.56 | -0.07 估 | -0.07 -0.51%"_s;
    // 1234567.89 × 1.0152 = 1253333.321928; × 0.0052 = 6419.753028;
    // × 0.0652 = 80493.826428
    QTest::newRow("large sums to the fen")
        << u"1234567.89"_s << u"0.95"_s << morning << 1.0100 << u"1.00"_s << u"2024-06-03"_s
        << u"1.0152"_s << u"1,253,333.32 | +6,419.75 估 | +80,493.83 +6.86%"_s;
}

void TestFundEstimator::fundProfit()
{
    QFETCH(QString, shares);
    QFETCH(QString, cost);
    QFETCH(QDateTime, now);
    QFETCH(double, nav);
    QFETCH(QString, change);
    QFETCH(QString, navDate);
    QFETCH(QString, estimate);
    const FundDetail fund = fundAt(u"F"_s, now, nav, change, navDate, estimate);
    const Profit::Figures figures =
        Profit::fund(position(shares, cost, Profit::shareDecimals), fund);
    QTEST(describe(figures), "figures");
}

void TestFundEstimator::goldProfit_data()
{
    QTest::addColumn<QString>("grams");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("previous"); // settlement
    QTest::addColumn<QString>("figures");
    // 10.5 × 612.34 = 6429.57; × 7.34 = 77.07; × 132.34 = 1389.57; 132.34 / 480
    QTest::newRow("gold") << u"10.5"_s << u"480"_s << 612.34 << 605.00
                          << u"6,429.57 | +77.07 | +1,389.57 +27.57%"_s;
    // 3.1415 × 600 = 1884.90; × −12 = −37.698
    QTest::newRow("gold falling, grams to four decimals")
        << u"3.1415"_s << QString() << 600.00 << 612.00 << u"1,884.90 | -37.70 | -- --"_s;
    QTest::newRow("gold without a previous settlement")
        << u"10"_s << u"700"_s << 612.34 << 0.0 << u"6,123.40 | -- | -876.60 -12.52%"_s;
}

void TestFundEstimator::goldProfit()
{
    QFETCH(QString, grams);
    QFETCH(QString, cost);
    QFETCH(double, price);
    QFETCH(double, previous);
    GoldQuote quote;
    quote.priceCNY = price;
    quote.prevCNY = previous;
    const Profit::Figures figures =
        Profit::gold(position(grams, cost, Profit::gramDecimals), quote);
    QTEST(describe(figures), "figures");
}

void TestFundEstimator::summary_data()
{
    // Held as "code:quantity[:cost]", gold as "gold:grams[:cost]". The funds
    // at Tuesday 20:30 (E at 10:00): E is estimating, C has the day's value,
    // Q (QDII) only Monday's, N no published change, W is watched and not
    // answered, U is held and no longer watched.
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("line");
    // E 10,152.00 +52.00 +652.00; gold 6,429.57 +77.07 +1,389.57;
    // 2,041.57 / (9,500.00 + 5,040.00)
    QTest::newRow("an estimate and gold")
        << u"E:10000:0.95 gold:10.5:480"_s << false
        << u"16,581.57 | +129.07 估 | +2,041.57 +14.04% | 1 fund, gold"_s
        << u"今日收益 +129.07（估）"_s;
    // C 10,150.00 +50.00 +650.00; 1,302.00 / 19,000.00
    QTest::newRow("an estimate and a confirmed day: estimated")
        << u"E:10000:0.95 C:10000:0.95"_s << false
        << u"20,302.00 | +102.00 估 | +1,302.00 +6.85% | 2 funds"_s << u"今日收益 +102.00（估）"_s;
    QTest::newRow("every fund confirmed, with gold: confirmed")
        << u"C:10000:0.95 gold:10.5:480"_s << false
        << u"16,579.57 | +127.07 已更新 | +2,039.57 +14.03% | 1 fund, gold"_s
        << u"今日收益 +127.07（已更新）"_s;
    QTest::newRow("gold alone") << u"gold:10.5:480"_s << false
                                << u"6,429.57 | +77.07 | +1,389.57 +27.57% | gold"_s
                                << u"今日收益 +77.07"_s;
    // Q 3,483.00, its −43.40 of Monday not in the day; 933.00 / 12,700.00
    QTest::newRow("a lagging fund is not in the day")
        << u"C:10000:0.95 Q:1000:3.2"_s << false
        << u"13,633.00 | +50.00 已更新 | +933.00 +7.35% | 2 funds, 1 earlier"_s
        << u"今日收益 +50.00（已更新，不含 1 只净值滞后的基金）"_s;
    QTest::newRow("only a lagging fund")
        << u"Q:1000"_s << false << u"3,483.00 | -- | -- -- | 1 fund, 1 earlier"_s
        << u"今日收益 --（不含 1 只净值滞后的基金）"_s;
    QTest::newRow("a new fund adds its value, not a day")
        << u"N:1000 E:10000"_s << false << u"11,173.30 | +52.00 估 | -- -- | 2 funds"_s
        << u"今日收益 +52.00（估）"_s;
    QTest::newRow("watched without figures counts missing, unwatched not at all")
        << u"W:100 U:100 C:10000"_s << false
        << u"10,150.00 | +50.00 已更新 | -- -- | 1 fund, 1 missing"_s
        << u"今日收益 +50.00（已更新）"_s;
    QTest::newRow("amounts hidden, not the percentages")
        << u"E:10000:0.95"_s << true << u"10,152.00 | +52.00 估 | +652.00 +6.86% | 1 fund"_s
        << u"今日收益 ****（估）"_s;
    QTest::newRow("nothing held") << QString() << false << u"-- | -- | -- -- | "_s
                                  << u"今日收益 --"_s;
}

void TestFundEstimator::summary()
{
    QFETCH(QString, held);
    QFETCH(bool, hidden);
    const QDateTime evening = shanghai(4, 20, 30);
    const QList<FundDetail> funds{
        fundAt(u"E"_s, shanghai(4, 10, 0), 1.0100, u"1.00"_s, u"2024-06-03"_s, u"1.015180"_s),
        fundAt(u"C"_s, evening, 1.0150, u"0.50"_s, u"2024-06-04"_s, QString()),
        fundAt(u"Q"_s, evening, 3.4830, u"-1.23"_s, u"2024-06-03"_s, QString()),
        fundAt(u"N"_s, evening, 1.0213, QString(), u"2024-06-04"_s, QString())};
    const QStringList watched{u"E"_s, u"C"_s, u"Q"_s, u"N"_s, u"W"_s};
    GoldQuote quote;
    quote.priceCNY = 612.34;
    quote.prevCNY = 605.00;

    QMap<QString, Profit::Position> positions;
    std::optional<Profit::Position> gold;
    for (const QString& entry : held.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(u':');
        if (parts[0] == u"gold"_s)
            gold = position(parts[1], parts.value(2), Profit::gramDecimals);
        else
            positions.insert(parts[0], position(parts[1], parts.value(2), Profit::shareDecimals));
    }
    const Profit::Summary s = Profit::summarize(positions, funds, watched, gold, quote);

    QStringList counts;
    if (s.funds > 0)
        counts.append(u"%1 fund%2"_s.arg(s.funds).arg(s.funds > 1 ? u"s"_s : QString()));
    if (s.gold)
        counts.append(u"gold"_s);
    if (s.missingFunds > 0)
        counts.append(u"%1 missing"_s.arg(s.missingFunds));
    if (s.earlierFunds > 0)
        counts.append(u"%1 earlier"_s.arg(s.earlierFunds));
    const QString text = Profit::amount(s.value, false) + u" | "_s + dayText(s.today) + u" | "_s +
                         Profit::signedAmount(s.holdingProfit, false) + u' ' +
                         Format::pct(s.holdingRatePct) + u" | "_s + counts.join(u", "_s);
    QTEST(text, "summary");
    QCOMPARE(s.isEmpty(), held.isEmpty());
    QTEST(Profit::todayLine(s, hidden), "line");
}

QTEST_GUILESS_MAIN(TestFundEstimator)
#include "tst_fundestimator.moc"
