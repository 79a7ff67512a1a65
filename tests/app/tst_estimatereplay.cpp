#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "app/OnceReport.h"
#include "app/StatusTitle.h"
#include "app/WatchReport.h"
#include "market/Format.h"
#include "market/Money.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

// Replays two weeks of one fund through the simulated provider and checks
// the recorded errors against arithmetic done by hand.
//
// The fund is 161725 with its ten disclosed holdings. Two of them
// (600779 at 2.02 % and 603589 at 1.84 %) are suspended, so eight are
// priced: group A, 600809 + 000568 + 000858 + 600519 = 8.92 + 8.61 + 8.43
// + 8.17 = 34.13 %, moving together, and group B, 002304 + 000596 + 603369
// + 600702 = 6.05 + 4.31 + 3.62 + 2.13 = 16.11 %, moving together; 34.13 +
// 16.11 = 50.24 % of the fund is priced. After the close the quote service
// reports each change as (close / previous close - 1) × 100 to two
// decimals, and the estimate is (34.13 × A + 16.11 × B) / 50.24.
//
// The pinned closes (A, B) and net values, day by day, and what they give:
//   Fri 5-31  A 100.00  B 50.00  value 1.0000
//   Mon 6-03  A 102.00  (102.00 / 100.00 - 1) × 100 = +2.00
//             B  49.50  ( 49.50 /  50.00 - 1) × 100 = -1.00
//             value 1.0100  (1.0100 / 1.0000 - 1) × 100 = +1.00 published
//   Tue 6-04  A 100.98  (100.98 / 102.00 - 1) × 100 = -1.00
//             B  50.99  ( 50.99 /  49.50 - 1) × 100 = +3.0101 → +3.01
//             value 1.0150  (1.0150 / 1.0100 - 1) × 100 = +0.4950 → +0.50
//   Wed 6-05  A 102.49  (102.49 / 100.98 - 1) × 100 = +1.4953 → +1.50
//             B  50.74  ( 50.74 /  50.99 - 1) × 100 = -0.4903 → -0.49
//             value 1.0220  (1.0220 / 1.0150 - 1) × 100 = +0.6897 → +0.69
//   Thu 6-06  A 101.47  (101.47 / 102.49 - 1) × 100 = -0.9952 → -1.00
//             B  51.50  ( 51.50 /  50.74 - 1) × 100 = +1.4978 → +1.50
//             value 1.0190  (1.0190 / 1.0220 - 1) × 100 = -0.2935 → -0.29
//   Fri 6-07  A 103.00  (103.00 / 101.47 - 1) × 100 = +1.5078 → +1.51
//             B  51.00  ( 51.00 /  51.50 - 1) × 100 = -0.9709 → -0.97
//             value 1.0260  (1.0260 / 1.0190 - 1) × 100 = +0.6869 → +0.69
namespace Hand {
// Mon: (34.13 × 2.00 + 16.11 × -1.00) / 50.24 = 52.15 / 50.24
constexpr double estimateMon = 1.038017515924;
// Tue: (34.13 × -1.00 + 16.11 × 3.01) / 50.24 = 14.3611 / 50.24
constexpr double estimateTue = 0.285849920382;
// Wed: (34.13 × 1.50 + 16.11 × -0.49) / 50.24 = 43.3011 / 50.24
constexpr double estimateWed = 0.861884952229;
// Thu: (34.13 × -1.00 + 16.11 × 1.50) / 50.24 = -9.965 / 50.24
constexpr double estimateThu = -0.198347929936;
// Fri: (34.13 × 1.51 + 16.11 × -0.97) / 50.24 = 35.9096 / 50.24
constexpr double estimateFri = 0.714761146497;

// Published minus estimated change, in percentage points.
constexpr double errorMon = -0.038017515924; //  1.00 - 1.038017515924
constexpr double errorTue = 0.214150079618;  //  0.50 - 0.285849920382
constexpr double errorWed = -0.171884952229; //  0.69 - 0.861884952229
constexpr double errorThu = -0.091652070064; // -0.29 + 0.198347929936
constexpr double errorFri = -0.024761146497; //  0.69 - 0.714761146497
// (0.038017515924 + 0.214150079618 + 0.171884952229 + 0.091652070064
//  + 0.024761146497) / 5 = 0.540465764332 / 5
constexpr double meanAbsError = 0.108093152866;
} // namespace Hand

namespace {

const QString kFund = u"161725"_s;

QDateTime shanghai(int month, int day, int h, int m)
{
    return QDateTime(QDate(2024, month, day), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

bool near(double actual, double expected)
{
    return qAbs(actual - expected) < 1e-10;
}

} // namespace

class TestEstimateReplay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void replay();
    void noEstimateOnTheDaysOwnValue();
    void holdingsProfitThroughTheDays();

private:
    std::unique_ptr<MenuBarController> start();
    // One fund refresh at the given Shanghai time.
    void refreshAt(MenuBarController& c, const QDateTime& at);
    QList<EstimateDay> days() const;
    void pinScenario();

    SimFixture m_fixture{7};
    QDateTime m_now;
};

void TestEstimateReplay::initTestCase()
{
    clearPreferences();
    m_fixture.pointOrigins();
    m_now = shanghai(6, 3, 10, 0);
    m_fixture.sim().setClock([this] { return m_now; });
    pinScenario();
}

void TestEstimateReplay::pinScenario()
{
    SimMarket& market = m_fixture.sim().market();
    const SimCatalog::Fund& fund = *market.catalog().fund(kFund);
    const auto& instruments = market.catalog().instruments();
    QCOMPARE(fund.holdings.size(), 10);

    const QList<QDate> days{QDate(2024, 5, 31), QDate(2024, 6, 3), QDate(2024, 6, 4),
                            QDate(2024, 6, 5),  QDate(2024, 6, 6), QDate(2024, 6, 7)};
    const double a[] = {100.00, 102.00, 100.98, 102.49, 101.47, 103.00};
    const double b[] = {50.00, 49.50, 50.99, 50.74, 51.50, 51.00};
    const double nav[] = {1.0000, 1.0100, 1.0150, 1.0220, 1.0190, 1.0260};
    for (int h = 0; h < 10; ++h) {
        const int instrument = fund.holdings[h].instrument;
        if (h >= 8) {
            QVERIFY(instruments[instrument].code == u"600779"_s ||
                    instruments[instrument].code == u"603589"_s);
            market.setSuspended(instrument, true);
            continue;
        }
        QVERIFY2(!market.isSuspended(instrument), qPrintable(instruments[instrument].code));
        for (int d = 0; d < days.size(); ++d)
            market.pinClose(instrument, days[d], h < 4 ? a[d] : b[d]);
    }
    for (int d = 0; d < days.size(); ++d)
        market.pinNav(kFund, days[d], nav[d]);
}

std::unique_ptr<MenuBarController> TestEstimateReplay::start()
{
    // The replayed weeks trade every weekday, the Dragon Boat Monday (6-10)
    // included, on the simulated exchanges and here alike.
    auto c = std::make_unique<MenuBarController>(
        MenuBarController::Options{.now = [this] { return m_now; },
                                   .timeout = std::chrono::milliseconds(3000),
                                   .startTimers = false,
                                   .calendar = TradingCalendar()});
    WatchConfig config = c->configStore().config();
    config.funds = {{kFund, u"白酒"_s}};
    c->configStore().setConfig(config);
    return c;
}

void TestEstimateReplay::refreshAt(MenuBarController& c, const QDateTime& at)
{
    m_now = at;
    run(c.cycle().refreshFunds());
    QVERIFY2(!c.market().fundErrorMessage(),
             qPrintable(c.market().fundErrorMessage().value_or(QString())));
    QCOMPARE(c.market().funds().size(), 1);
}

QList<EstimateDay> TestEstimateReplay::days() const
{
    const auto record =
        EstimateHistory::decode(rawSettings().value(EstimateHistory::key).toByteArray());
    return record ? record->value(kFund) : QList<EstimateDay>{};
}

void TestEstimateReplay::replay()
{
    // A damaged record is waiting in the store: it must not stop anything.
    const QByteArray damaged = "{\"v\":1,\"funds\":{\"161725\":[[\"2024-06-0";
    rawSettings().setValue(EstimateHistory::key, damaged);

    auto c = start();
    QVERIFY(c->market().estimateHistory().record().isEmpty());

    // Monday: an estimate in the morning, replaced by the one after the close.
    refreshAt(*c, shanghai(6, 3, 10, 0));
    QCOMPARE(rawSettings().value(EstimateHistory::key + u".unreadable"_s).toByteArray(), damaged);
    QCOMPARE(days().size(), 1);
    refreshAt(*c, shanghai(6, 3, 15, 30));
    QCOMPARE(days().size(), 1);
    QCOMPARE(days()[0].madeAt, shanghai(6, 3, 15, 30));
    QVERIFY(near(days()[0].changePct, Hand::estimateMon));
    QVERIFY(near(*c->market().funds()[0].estChangePct, Hand::estimateMon));
    QCOMPARE(EstimateLog::toolTip(c->market().estimateTrust(c->market().funds()[0])),
             u"持仓覆盖 50.2%（8/10 只已定价）\n最新净值日期 2024-05-31\n"
             u"当日估算误差 暂无记录\n平均绝对误差 暂无记录"_s);

    // Monday evening: the value is out and settles the day; the estimate
    // made now, after the fact, is not recorded.
    refreshAt(*c, shanghai(6, 3, 20, 30));
    QCOMPARE(c->market().funds()[0].quote.navDate, u"2024-06-03"_s);
    QCOMPARE(days().size(), 1);
    QCOMPARE(days()[0].madeAt, shanghai(6, 3, 15, 30));
    QVERIFY(near(*days()[0].error(), Hand::errorMon));

    // Tuesday's close; its value is first seen on Wednesday morning.
    refreshAt(*c, shanghai(6, 4, 15, 30));
    refreshAt(*c, shanghai(6, 5, 10, 0));
    QCOMPARE(days().size(), 3);
    QVERIFY(near(days()[1].changePct, Hand::estimateTue));
    QVERIFY(near(*days()[1].error(), Hand::errorTue));
    QVERIFY(!days()[2].publishedChangePct);

    // From here on the fund publishes at 10:00 on the next trading day:
    // Wednesday's value comes out after Thursday's trading has begun.
    m_fixture.sim().market().setNavRelease(kFund, {1, QTime(10, 0)});
    refreshAt(*c, shanghai(6, 5, 15, 30));
    refreshAt(*c, shanghai(6, 6, 9, 45));
    QCOMPARE(c->market().funds()[0].quote.navDate, u"2024-06-04"_s);
    QCOMPARE(days().size(), 4);
    QCOMPARE(days()[2].date, QDate(2024, 6, 5));
    QVERIFY(near(days()[2].changePct, Hand::estimateWed));
    QCOMPARE(days()[3].date, QDate(2024, 6, 6));
    refreshAt(*c, shanghai(6, 6, 10, 30));
    QCOMPARE(c->market().funds()[0].quote.navDate, u"2024-06-05"_s);
    QVERIFY(near(*days()[2].error(), Hand::errorWed));
    QVERIFY(!days()[3].publishedChangePct);
    refreshAt(*c, shanghai(6, 6, 15, 30));
    QVERIFY(near(days()[3].changePct, Hand::estimateThu));

    // The program quits on Thursday and is started again on Saturday.
    c.reset();
    c = start();
    QCOMPARE(c->market().estimateHistory().days(kFund).size(), 4);
    refreshAt(*c, shanghai(6, 8, 11, 0));
    QCOMPARE(c->market().funds()[0].quote.navDate, u"2024-06-06"_s);
    QVERIFY(near(*days()[3].error(), Hand::errorThu));
    // Saturday shows Friday's closing changes: the estimate is Friday's.
    QCOMPARE(days().size(), 5);
    QCOMPARE(days()[4].date, QDate(2024, 6, 7));
    QCOMPARE(days()[4].madeAt, shanghai(6, 8, 11, 0));
    QVERIFY(near(days()[4].changePct, Hand::estimateFri));

    // Monday before the auction still shows Friday: nothing changes.
    refreshAt(*c, shanghai(6, 10, 9, 0));
    QCOMPARE(days()[4].madeAt, shanghai(6, 8, 11, 0));
    // Friday's value is out at 10:00 on Monday.
    refreshAt(*c, shanghai(6, 10, 10, 30));
    QCOMPARE(days().size(), 6);
    QVERIFY(near(*days()[4].error(), Hand::errorFri));
    QCOMPARE(days()[5].date, QDate(2024, 6, 10));

    const FundDetail fund = c->market().funds()[0];
    const EstimateTrust trust = c->market().estimateTrust(fund);
    QVERIFY(near(*trust.navDateError, Hand::errorFri));
    QVERIFY(near(*trust.meanAbsError, Hand::meanAbsError));
    QCOMPARE(trust.errorDays, 5);
    QCOMPARE(EstimateLog::toolTip(trust),
             u"持仓覆盖 50.2%（8/10 只已定价）\n最新净值日期 2024-06-07\n"
             u"当日估算误差 -0.02 个百分点\n平均绝对误差 0.11 个百分点（共 5 日）"_s);

    const QJsonObject json = OnceReport::build(*c)
                                 .value(u"funds"_s)
                                 .toArray()
                                 .first()
                                 .toObject()
                                 .value(u"estimateTrust"_s)
                                 .toObject();
    QVERIFY(qAbs(json.value(u"coveragePct"_s).toDouble() - 50.24) < 1e-9);
    QCOMPARE(json.value(u"pricedHoldings"_s).toInt(), 8);
    QCOMPARE(json.value(u"holdings"_s).toInt(), 10);
    QCOMPARE(json.value(u"navDate"_s).toString(), u"2024-06-07"_s);
    QVERIFY(near(json.value(u"navDateError"_s).toDouble(), Hand::errorFri));
    QVERIFY(near(json.value(u"meanAbsError"_s).toDouble(), Hand::meanAbsError));
    QCOMPARE(json.value(u"errorDays"_s).toInt(), 5);

    // Away until Thursday 10:30: Monday's value came out on Tuesday and was
    // replaced on Wednesday unseen, so Monday's estimate is dropped; nothing
    // was estimated on Wednesday, the day now published.
    refreshAt(*c, shanghai(6, 13, 10, 30));
    QCOMPARE(c->market().funds()[0].quote.navDate, u"2024-06-12"_s);
    QList<QDate> dates;
    for (const EstimateDay& d : days())
        dates.append(d.date);
    QCOMPARE(dates, (QList<QDate>{QDate(2024, 6, 3), QDate(2024, 6, 4), QDate(2024, 6, 5),
                                  QDate(2024, 6, 6), QDate(2024, 6, 7), QDate(2024, 6, 13)}));
    const QJsonObject later = OnceReport::build(*c)
                                  .value(u"funds"_s)
                                  .toArray()
                                  .first()
                                  .toObject()
                                  .value(u"estimateTrust"_s)
                                  .toObject();
    QVERIFY(later.value(u"navDateError"_s).isNull());
    QVERIFY(near(later.value(u"meanAbsError"_s).toDouble(), Hand::meanAbsError));
    QCOMPARE(EstimateLog::toolTip(c->market().estimateTrust(c->market().funds()[0])),
             u"持仓覆盖 50.2%（8/10 只已定价）\n最新净值日期 2024-06-12\n"
             u"当日估算误差 暂无记录\n平均绝对误差 0.11 个百分点（共 5 日）"_s);
}

// Once the day's value is out, the quote service still reports that day's
// closing changes until the next auction: an estimate on top of the new
// value would count the day's move twice, every evening and all weekend.
void TestEstimateReplay::noEstimateOnTheDaysOwnValue()
{
    clearPreferences();
    m_fixture.sim().market().setNavRelease(kFund, {0, QTime(21, 0)});
    auto c = start();
    const auto fundJson = [&] {
        return OnceReport::build(*c).value(u"funds"_s).toArray().first().toObject();
    };
    struct Step {
        QDateTime at;
        QString navDate;
        bool estimate;
    };
    // Each day's value comes out at 21:00.
    const Step steps[] = {
        {shanghai(6, 3, 10, 0), u"2024-05-31"_s, true},
        {shanghai(6, 3, 20, 30), u"2024-05-31"_s, true},  // before the value
        {shanghai(6, 3, 21, 30), u"2024-06-03"_s, false}, // after it
        {shanghai(6, 8, 11, 0), u"2024-06-07"_s, false},  // Saturday
        {shanghai(6, 10, 9, 0), u"2024-06-07"_s, false},  // Monday before the auction
        {shanghai(6, 10, 9, 40), u"2024-06-07"_s, true},  // Monday's trading
    };
    for (const Step& step : steps) {
        const QString where = step.at.toString(u"ddd HH:mm"_s);
        refreshAt(*c, step.at);
        const FundDetail& fund = c->market().funds()[0];
        QVERIFY2(fund.quote.navDate == step.navDate, qPrintable(where + u' ' + fund.quote.navDate));
        QVERIFY2(fund.estNav.has_value() == step.estimate, qPrintable(where));
        QVERIFY2(fund.navIsCurrent == !step.estimate, qPrintable(where));
        const QJsonObject json = fundJson();
        QCOMPARE(json.value(u"navIsCurrent"_s).toBool(), !step.estimate);
        QCOMPARE(json.contains(u"estNav"_s), step.estimate);
        QCOMPARE(json.contains(u"estChangePct"_s), step.estimate);
        QCOMPARE(WatchReport::fundLine(fund, std::nullopt).endsWith(u"（净值已更新）"_s),
                 !step.estimate);
        if (step.at == shanghai(6, 3, 20, 30))
            QVERIFY(near(*fund.estChangePct, Hand::estimateMon));
        if (step.at == shanghai(6, 3, 21, 30))
            QCOMPARE(fund.quote.nav, 1.0100); // shown as it is, not moved again
    }
}

// 10000 shares bought at 0.9000, followed through the same days. The day's
// profit is shares × (estimate − last value) while estimating and shares ×
// (value − previous value) once the day's value is out:
//   Mon 15:30  1.0000 × (1 + 1.038017515924 %) = 1.010380 → 1.0104: +104.00 估
//   Mon 20:30  1.0100 − 1.0000: +100.00 已更新, not 104.00 + 100.00
//   Tue 15:30  1.0100 × (1 + 0.285849920382 %) = 1.012887 → 1.0129: +29.00 估
//   Tue 20:30  1.0150 / 1.0050 = 1.009950 → 1.0100; 1.0150 − 1.0100: +50.00 已更新
//   Sat 11:00  1.0260 / 1.0069 = 1.018969 → 1.0190; 1.0260 − 1.0190: +70.00 已更新
void TestEstimateReplay::holdingsProfitThroughTheDays()
{
    clearPreferences();
    m_fixture.sim().market().setNavRelease(kFund, {0, QTime(20, 0)});
    auto c = start();
    c->holdingsStore().setFund(
        kFund, {.quantity = 10'000 * Money::unitsPerOne, .cost = 9'000}); // 0.9000 a share
    WatchConfig config = c->configStore().config();
    config.statusBarSource = StatusTitle::profitSource;
    c->configStore().setConfig(config);
    const auto today = [&] {
        c->updateStatusTitle();
        const Profit::Summary summary = c->portfolio();
        if (!summary.today)
            return u"--"_s;
        const QString tag = Profit::tag(*summary.today);
        return Format::signedMoney(summary.today->fen) + (tag.isEmpty() ? QString() : u' ' + tag);
    };

    // Monday's trading: the figure follows the holdings' changes.
    QStringList during;
    for (const QTime at : {QTime(9, 45), QTime(10, 30), QTime(11, 15), QTime(14, 0)}) {
        refreshAt(*c, QDateTime(QDate(2024, 6, 3), at, QTimeZone("Asia/Shanghai")));
        const FundDetail& fund = c->market().funds()[0];
        const Profit::Day day =
            Profit::fund(*c->holdingsStore().holdings().fund(kFund), fund).today.value();
        QCOMPARE(day.kind, Profit::DayKind::estimated);
        // Up when the holdings are up: the estimate carries their move.
        QVERIFY2((day.fen > 0) == (*fund.estChangePct > 0.005), qPrintable(today()));
        QCOMPARE(c->portfolio().today->fen, day.fen);
        during.append(today());
        QVERIFY2(c->title().startsWith(day.fen >= 0 ? u"▲ "_s : u"▼ "_s), qPrintable(c->title()));
    }
    QVERIFY2(QSet<QString>(during.begin(), during.end()).size() > 1, qPrintable(during.join(u',')));

    refreshAt(*c, shanghai(6, 3, 15, 30));
    QCOMPARE(today(), u"+104.00 估"_s);
    QCOMPARE(c->title(), u"+104"_s); // every market closed: no arrow

    // The value is out: the day is confirmed, and counted once.
    refreshAt(*c, shanghai(6, 3, 20, 30));
    QCOMPARE(today(), u"+100.00 已更新"_s);
    const Profit::Figures figures =
        Profit::fund(*c->holdingsStore().holdings().fund(kFund), c->market().funds()[0]);
    QCOMPARE(figures.today->date, u"2024-06-03"_s);
    QCOMPARE(Format::money(*figures.value), u"10,100.00"_s);
    QCOMPARE(Format::signedMoney(*figures.holdingProfit), u"+1,100.00"_s);
    QCOMPARE(c->title(), u"+100"_s);
    QVERIFY(WatchReport::tooltipLines(*c).contains(u"今日收益 +100.00（已更新）"_s));
    refreshAt(*c, shanghai(6, 3, 23, 30));
    QCOMPARE(today(), u"+100.00 已更新"_s);
    refreshAt(*c, shanghai(6, 4, 9, 0)); // Tuesday before the auction
    QCOMPARE(today(), u"+100.00 已更新"_s);

    refreshAt(*c, shanghai(6, 4, 15, 30));
    QCOMPARE(today(), u"+29.00 估"_s);
    refreshAt(*c, shanghai(6, 4, 20, 30));
    QCOMPARE(today(), u"+50.00 已更新"_s);
    // The weekend keeps Friday's.
    refreshAt(*c, shanghai(6, 8, 11, 0));
    QCOMPARE(today(), u"+70.00 已更新"_s);

    // Amounts hidden: the tray keeps only the direction, and only while a
    // market is open.
    c->holdingsStore().setHideAmounts(true);
    QCOMPARE(c->title(), u"****"_s);
    QVERIFY(WatchReport::tooltipLines(*c).contains(u"今日收益 ****（已更新）"_s));
}

QTEST_GUILESS_MAIN(TestEstimateReplay)
#include "tst_estimatereplay.moc"
