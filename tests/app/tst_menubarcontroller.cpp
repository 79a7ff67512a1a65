#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "alerts/AlertNotifier.h"
#include "app/MenuBarController.h"
#include "app/OnceReport.h"
#include "app/PanelHost.h"
#include "calendar/ClosureTable.h"
#include "market/Format.h"
#include "market/FundEstimator.h"
#include "market/LookupService.h"
#include "market/NetworkClient.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Records what the controller asks of the panel.
class FakePanel : public PanelHost {
public:
    void present(const QRect&) override
    {
        ++presented;
        shown = true;
    }
    void dismiss() override { shown = false; }
    bool isShown() const override { return shown; }
    int presented = 0;
    bool shown = false;
};

// A notification channel that only remembers what it was asked to show.
class RecordingChannel : public NotificationChannel {
public:
    void send(const QString& id, const QString& title, const QString&) override
    {
        sent.append(id + u' ' + title);
    }
    void probe() override { emit availabilityKnown(true); }
    QStringList sent;
};

QDateTime shanghai(int day, int h, int m)
{
    return QDateTime(QDate(2024, 6, day), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

QDateTime at(int y, int mo, int d, int h, int m)
{
    return QDateTime(QDate(y, mo, d), QTime(h, m), QTimeZone("Asia/Shanghai"));
}

} // namespace

Q_DECLARE_METATYPE(RefreshPart)

class TestMenuBarController : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void fullRefreshPublishesEverything();
    void boardOverview_data();
    void boardOverview();
    void failureKeepsTheLastGoodData_data();
    void failureKeepsTheLastGoodData();
    void alertsGoOnWhileABoardFails();
    void boardPickedMidRefreshWins();
    void fundFailures_data();
    void fundFailures();
    void holdingsAreRequestedOnce();
    void oddCodesLeaveTheOthersAnswered();
    void countdown_data();
    void countdown();
    void alertsFireOnceAndNotify();
    void goldNightSessions_data();
    void goldNightSessions();
    void closedDays_data();
    void closedDays();
    void placeholdersKeepTheLastGoodFigures_data();
    void placeholdersKeepTheLastGoodFigures();
    void placeholderFiresNoRuleAddedSince();
    void newFundHasNoPublishedChange();
    void notificationTaps_data();
    void notificationTaps();
    void timersAndUpdateChecks();
    void ownerGoneWhileRequestStalled_data();
    void ownerGoneWhileRequestStalled();

private:
    std::unique_ptr<MenuBarController> controller();
    void refresh(MenuBarController& c) { run(c.cycle().refresh()); }
    int requestsTo(const QString& path, const QString& queryContains = {}) const;

    SimFixture m_fixture;
    QDateTime m_now = shanghai(4, 10, 0); // a Tuesday morning: both markets open
};

void TestMenuBarController::initTestCase()
{
    m_fixture.pointOrigins();
    // The simulated exchanges close on the table's holidays, as the real ones do.
    m_fixture.sim().market().closeDays(ClosureTable::builtIn().holidays(Market::stocks));
}

void TestMenuBarController::init()
{
    clearPreferences();
    m_now = shanghai(4, 10, 0);
    m_fixture.reset();
    m_fixture.sim().setClock([this] { return m_now; });
}

std::unique_ptr<MenuBarController> TestMenuBarController::controller()
{
    return std::make_unique<MenuBarController>(
        MenuBarController::Options{.now = [this] { return m_now; },
                                   .timeout = std::chrono::milliseconds(1500),
                                   .startTimers = false});
}

int TestMenuBarController::requestsTo(const QString& path, const QString& queryContains) const
{
    int count = 0;
    for (const RecordedRequest& r : m_fixture.sim().requests())
        count += r.path == path && r.query.contains(queryContains);
    return count;
}

void TestMenuBarController::fullRefreshPublishesEverything()
{
    auto c = controller();
    QCOMPARE(c->title(), u"--"_s);
    QSignalSpy changes(&c->market(), &MarketData::goldChanged);
    refresh(*c);

    QVERIFY2(!c->market().errorMessage(),
             qPrintable(c->market().errorMessage().value_or(QString())));
    QVERIFY(c->market().gold() && c->market().gold()->priceCNY > 0);
    QCOMPARE(c->market().sector()->code, u"BK0475"_s);
    QCOMPARE(c->market().sectorStocks().size(), 10);
    QCOMPARE(c->market().trendData()->name, u"半导体"_s);
    QCOMPARE(c->market().goldTrendData()->name, u"沪金主连"_s);
    QCOMPARE(c->market().allSectors().size(), 3);
    QCOMPARE(c->market().allSectors()[1].name, u"黄金概念"_s); // configured names
    QCOMPARE(c->market().funds().size(), 3);
    for (const FundDetail& f : c->market().funds()) {
        QVERIFY(!f.holdings.isEmpty());
        QVERIFY(f.estChangePct.has_value());
        QCOMPARE(*f.estNav, FundEstimator::estimateNav(f.quote.nav, *f.estChangePct));
    }
    QVERIFY(!c->market().fundStockChanges().isEmpty());
    QCOMPARE(c->market().lastUpdate(), std::optional<QDateTime>(m_now));
    QVERIFY(!c->market().isLoading() && !c->cycle().isRefreshing());
    QCOMPARE(c->market().countdown(), 30);
    QVERIFY(changes.size() > 0);
    // Gold is trading at 10:00 with a fresh trend: the title carries an arrow.
    QCOMPARE(c->market().goldMarketStatus(), MarketStatus::trading);
    QVERIFY2(c->title().startsWith(u"▲ "_s) || c->title().startsWith(u"▼ "_s),
             qPrintable(c->title()));
    QVERIFY(c->title().endsWith(Format::price(c->market().gold()->priceCNY)));
}

void TestMenuBarController::boardOverview_data()
{
    QTest::addColumn<QStringList>("boards");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("overviewRequests");
    QTest::newRow("no boards") << QStringList{} << u"BK0475"_s << 0;
    QTest::newRow("one board") << QStringList{u"BK1128"_s} << u"BK1128"_s << 0;
    QTest::newRow("two boards") << QStringList{u"BK0547"_s, u"BK1128"_s} << u"BK0547"_s << 1;
}

void TestMenuBarController::boardOverview()
{
    QFETCH(QStringList, boards);
    QFETCH(QString, current);
    QFETCH(int, overviewRequests);
    auto c = controller();
    WatchConfig config = c->configStore().config();
    config.sectors.clear();
    for (const QString& code : boards)
        config.sectors.append({code, u"名"_s + code});
    c->configStore().setConfig(config);
    m_fixture.sim().clearRequests();
    refresh(*c);

    QVERIFY(!c->market().errorMessage());
    QCOMPARE(c->market().currentSectorCode(), current);
    QCOMPARE(c->market().allSectors().size(), qMax<qsizetype>(1, boards.size()));
    // Without a configured board the trend carries no name.
    QCOMPARE(c->market().trendData()->name, boards.isEmpty() ? QString() : u"名"_s + current);
    QCOMPARE(requestsTo(u"/api/qt/ulist.np/get"_s, u"fields=f2,f3,f12,f14,f18,f6"_s),
             1 + overviewRequests);
}

void TestMenuBarController::failureKeepsTheLastGoodData_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("query");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<RefreshPart>("part");
    QTest::addColumn<QString>("message");

    const QString kept = u"（已显示上次数据）"_s;
    const QString board = u"板块半导体（BK0475）："_s;
    QTest::newRow("board trend 500")
        << u"/api/qt/stock/trends2/get"_s << u"secid=90."_s << Fault::status(500)
        << RefreshPart::board << board + u"服务器响应异常"_s + kept;
    QTest::newRow("gold quote of placeholders")
        << u"/api/qt/ulist.np/get"_s << u"secids=113.aum"_s
        << Fault::body(200, R"({"data":{"diff":[{"f2":"-","f3":"-","f12":"aum","f18":"-"}]}})")
        << RefreshPart::gold << u"沪金：数据格式异常"_s + kept;
    QTest::newRow("stocks time out") << u"/api/qt/clist/get"_s << QString() << Fault::stall()
                                     << RefreshPart::board << board + u"网络连接超时"_s + kept;
    QTest::newRow("gold trend dropped")
        << u"/api/qt/stock/trends2/get"_s << u"secid=113.aum"_s << Fault::drop()
        << RefreshPart::gold << u"沪金：无法连接服务器"_s + kept;
    QTest::newRow("board quote not JSON")
        << u"/api/qt/ulist.np/get"_s << u"secids=90.BK0475&"_s << Fault::malformed()
        << RefreshPart::board << board + u"更新失败，请稍后重试"_s;
    QTest::newRow("overview 502") << u"/api/qt/ulist.np/get"_s << u"secids=90.BK0475,90.BK0547"_s
                                  << Fault::status(502) << RefreshPart::overview
                                  << u"板块概览：服务器响应异常"_s + kept;
}

// A failure stops only the part it concerns: that part keeps its last data
// and names what failed; every other part is published as usual.
void TestMenuBarController::failureKeepsTheLastGoodData()
{
    QFETCH(QString, path);
    QFETCH(QString, query);
    QFETCH(Fault, fault);
    QFETCH(RefreshPart, part);
    QFETCH(QString, message);
    auto c = controller();
    refresh(*c);
    QVERIFY(!c->market().errorMessage());
    const GoldQuote gold = *c->market().gold();
    const QString goldTrendEnd = c->market().goldTrendData()->points.last().time;
    const QString boardTrendEnd = c->market().trendData()->points.last().time;
    const QString title = c->title();

    // Later, with moved prices, one fetch of the cycle fails.
    m_now = m_now.addSecs(300);
    m_fixture.sim().addFault(path, fault, query);
    m_fixture.sim().clearRequests();
    refresh(*c);

    QCOMPARE(c->market().message(part), std::optional<QString>(message));
    QCOMPARE(c->market().errorMessage(), std::optional<QString>(message));
    QCOMPARE(c->market().messagesFor(part == RefreshPart::gold ? Tab::gold : Tab::cpo),
             QStringList{message});
    QVERIFY(!c->market().fundErrorMessage());
    QCOMPARE(requestsTo(u"/FundMNewApi/FundMNFInfo"_s), 1); // the funds went on
    QCOMPARE(*c->market().lastUpdate(), m_now);
    if (part == RefreshPart::gold) {
        QCOMPARE(c->market().gold()->priceCNY, gold.priceCNY);
        QCOMPARE(c->market().goldTrendData()->points.last().time, goldTrendEnd);
        QCOMPARE(c->title(), title);
    } else {
        // The title follows gold, which kept updating.
        QVERIFY(c->market().goldTrendData()->points.last().time > goldTrendEnd);
        QVERIFY(c->title().endsWith(Format::price(c->market().gold()->priceCNY)));
    }
    QCOMPARE(c->market().trendData()->points.last().time > boardTrendEnd,
             part != RefreshPart::board);
    QVERIFY(!c->cycle().isRefreshing() && !c->market().isLoading());
    QCOMPARE(c->market().countdown(), 30);

    // The next good cycle clears the message.
    m_fixture.sim().clearFaults();
    refresh(*c);
    QVERIFY(!c->market().errorMessage());
    QVERIFY(c->market().goldTrendData()->points.last().time > goldTrendEnd);
}

// The board stops answering for good (a code the provider retired) while
// gold falls through a stop-loss: the gold rule still fires; the board's
// rules are neither fired nor re-armed on figures that did not refresh.
void TestMenuBarController::alertsGoOnWhileABoardFails()
{
    auto c = controller();
    RecordingChannel channel;
    AlertNotifier notifier(&channel, nullptr);
    c->setNotifier(&notifier);
    c->alertConfig().setRules({});
    refresh(*c);
    const double price = c->market().gold()->priceCNY;
    const double boardIndex = c->market().allSectors().first().index.value();

    AlertRule stopLoss = AlertConfig::defaultRules().first();
    stopLoss.id = u"stop-loss"_s;
    stopLoss.direction = AlertDirection::below;
    stopLoss.threshold = price + 1; // the price is already under it
    AlertRule boardAbove = stopLoss;
    boardAbove.id = u"board-above"_s;
    boardAbove.targetType = AlertTargetType::sector;
    boardAbove.targetCode = u"BK0475"_s;
    boardAbove.direction = AlertDirection::above;
    boardAbove.threshold = boardIndex - 1; // would fire
    AlertRule boardFired = boardAbove;
    boardFired.id = u"board-fired"_s;
    boardFired.threshold = boardIndex + 100; // would re-arm
    boardFired.triggered = true;
    c->alertConfig().setRules({stopLoss, boardAbove, boardFired});

    for (const QString& path :
         {u"/api/qt/ulist.np/get"_s, u"/api/qt/clist/get"_s, u"/api/qt/stock/trends2/get"_s})
        m_fixture.sim().addFault(path, Fault::status(500), u"BK0475"_s);
    m_now = m_now.addSecs(30);
    refresh(*c);

    QVERIFY(c->market().message(RefreshPart::board));
    QVERIFY(c->market().message(RefreshPart::overview));
    QVERIFY(!c->market().message(RefreshPart::gold));
    QCOMPARE(c->lastFired(), QStringList{u"stop-loss"_s});
    QVERIFY(c->lastReset().isEmpty());
    QCOMPARE(channel.sent.size(), 1);
    QVERIFY(c->alertConfig().rules()[2].triggered);
}

void TestMenuBarController::boardPickedMidRefreshWins()
{
    auto c = controller();
    refresh(*c);
    QCOMPARE(c->market().sector()->code, u"BK0475"_s);

    // The old board answers slowly; the user picks another meanwhile.
    m_fixture.sim().setLatency(300);
    auto full = c->cycle().refresh();
    QVERIFY(c->cycle().isRefreshing() && c->market().isLoading());
    run(c->cycle().refresh()); // a second cycle while one runs is dropped
    m_fixture.sim().setLatency(0);
    c->cycle().selectBoard(u"BK1128"_s);
    QTRY_VERIFY_WITH_TIMEOUT(full.isReady(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!c->cycle().isRefreshing(), 10000);

    QCOMPARE(c->market().currentSectorCode(), u"BK1128"_s);
    QCOMPARE(c->market().sector()->code, u"BK1128"_s);
    QCOMPARE(c->market().trendData()->name, u"CPO概念"_s);
    QVERIFY(!c->market().errorMessage());
    // Its own stocks, not the ones the old board's answer carried.
    const QList<StockQuote> shown = c->market().sectorStocks();
    run(c->cycle().refreshBoard(u"BK1128"_s));
    QCOMPARE(c->market().sectorStocks().size(), shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QCOMPARE(c->market().sectorStocks()[i].code, shown[i].code);

    // A board that is not the current one never lands under it.
    run(c->cycle().refreshBoard(u"BK0547"_s));
    QCOMPARE(c->market().sector()->code, u"BK1128"_s);
    QVERIFY(!c->cycle().isRefreshing());
}

void TestMenuBarController::fundFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("query");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("fund quotes 500") << u"/FundMNewApi/FundMNFInfo"_s << QString()
                                     << Fault::status(500) << u"基金数据服务器响应异常"_s;
    QTest::newRow("stock changes time out") << u"/api/qt/ulist.np/get"_s << u"fields=f3,f12"_s
                                            << Fault::stall() << u"基金数据网络连接超时"_s;
    QTest::newRow("fund quotes not JSON") << u"/FundMNewApi/FundMNFInfo"_s << QString()
                                          << Fault::malformed() << u"基金数据更新失败"_s;
}

void TestMenuBarController::fundFailures()
{
    QFETCH(QString, path);
    QFETCH(QString, query);
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    auto c = controller();
    refresh(*c);
    QCOMPARE(c->market().funds().size(), 3);

    // A fund leaves the watch list, then the fund refresh fails.
    c->configStore().removeFund({u"110011"_s, QString()});
    m_fixture.sim().addFault(path, fault, query);
    refresh(*c);

    // A fund failure does not fail the whole refresh.
    QVERIFY(!c->market().errorMessage());
    QCOMPARE(c->market().fundErrorMessage(), std::optional<QString>(message));
    QCOMPARE(c->market().funds().size(), 2); // dropped even though the refresh failed
    QCOMPARE(c->market().funds()[0].quote.code, u"161725"_s);
    QCOMPARE(c->market().funds()[1].quote.code, u"005827"_s);

    m_fixture.sim().clearFaults();
    refresh(*c);
    QVERIFY(!c->market().fundErrorMessage());
}

void TestMenuBarController::holdingsAreRequestedOnce()
{
    auto c = controller();
    // Watch two funds twice over, so their holdings surely overlap.
    WatchConfig config = c->configStore().config();
    config.funds.append({u"320007"_s, u"诺安成长"_s});
    c->configStore().setConfig(config);
    refresh(*c);
    QVERIFY(!c->market().fundErrorMessage());

    QStringList ids;
    for (const RecordedRequest& r : m_fixture.sim().requests()) {
        if (r.path == u"/api/qt/ulist.np/get"_s && r.query.contains(u"fields=f3,f12"_s))
            ids = r.queryItem(u"secids"_s).split(u',');
    }
    QVERIFY(!ids.isEmpty());
    QSet<QString> distinct(ids.begin(), ids.end());
    QCOMPARE(distinct.size(), ids.size());
    QSet<QString> held;
    int holdings = 0;
    for (const FundDetail& f : c->market().funds()) {
        for (const FundHolding& h : f.holdings) {
            held.insert(h.code);
            ++holdings;
        }
    }
    QCOMPARE(ids.size(), held.size());
    QVERIFY2(holdings > held.size(), "the funds share no holding; the case proves nothing");
}

void TestMenuBarController::oddCodesLeaveTheOthersAnswered()
{
    auto c = controller();
    // Codes added with "仍要添加", never looked up.
    WatchConfig config = c->configStore().config();
    config.sectors = {
        {u"BK0475"_s, u"半导体"_s}, {u"BK0547#x"_s, u"坏代码"_s}, {u"BK1128"_s, u"CPO概念"_s}};
    config.funds = {
        {u"161725"_s, u"白酒"_s}, {u"110011&x=1"_s, u"坏代码"_s}, {u"005827"_s, u"蓝筹"_s}};
    c->configStore().setConfig(config);
    refresh(*c);

    QVERIFY2(!c->market().errorMessage(),
             qPrintable(c->market().errorMessage().value_or(QString())));
    QVERIFY(!c->market().fundErrorMessage());
    QStringList boards;
    for (const SectorQuote& q : c->market().allSectors())
        boards.append(q.code);
    QCOMPARE(boards, (QStringList{u"BK0475"_s, u"BK1128"_s}));
    QStringList funds;
    for (const FundDetail& f : c->market().funds())
        funds.append(f.quote.code);
    QCOMPARE(funds, (QStringList{u"161725"_s, u"005827"_s}));
}

void TestMenuBarController::countdown_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("countdown");
    QTest::addColumn<bool>("allClosed");
    QTest::addColumn<QString>("statusText");
    QTest::newRow("open counts down")
        << shanghai(4, 10, 0) << false << 30 << 29 << false << QString();
    QTest::newRow("open wraps at 0")
        << shanghai(4, 10, 0) << false << 1 << 30 << false << QString();
    QTest::newRow("loading stands still")
        << shanghai(4, 10, 0) << true << 17 << 17 << false << QString();
    QTest::newRow("gold night only") << shanghai(4, 22, 0) << false << 5 << 4 << false << QString();
    // Gold's window runs through the stock market's lunch, so it keeps counting.
    QTest::newRow("stock lunch, gold open")
        << shanghai(4, 12, 0) << false << 9 << 8 << false << QString();
    QTest::newRow("evening closed") << shanghai(4, 18, 0) << false << 9 << 0 << true << u"已收盘"_s;
    QTest::newRow("weekend") << shanghai(8, 10, 0) << false << 9 << 0 << true << u"已收盘"_s;
    QTest::newRow("a holiday") << at(2024, 10, 2, 10, 0) << false << 9 << 0 << true << u"休市"_s;
    QTest::newRow("a make-up saturday")
        << at(2024, 10, 12, 10, 0) << false << 9 << 0 << true << u"休市"_s;
    // Gold has no night before the holiday; the stock market just closed.
    QTest::newRow("the evening before a holiday")
        << at(2024, 9, 30, 22, 0) << false << 9 << 0 << true << u"已收盘"_s;
}

void TestMenuBarController::countdown()
{
    QFETCH(QDateTime, now);
    QFETCH(bool, loading);
    QFETCH(int, start);
    QFETCH(QString, statusText);
    auto c = controller();
    refresh(*c);
    for (int i = 0; i < 30 - start; ++i) // counted down during open hours
        c->cycle().countdownTick();
    QCOMPARE(c->market().countdown(), start);
    m_now = now;
    m_fixture.sim().setLatency(200);
    QCoro::Task<void> pending = loading ? c->cycle().refresh() : QCoro::Task<void>();
    c->cycle().countdownTick();
    QTEST(c->market().countdown(), "countdown");
    QTEST(c->market().allMarketsClosed(), "allClosed");
    QCOMPARE(c->market().panelStatusText(), statusText.isNull() ? QString() : statusText);
    // The title follows the markets without a refresh: its arrow goes when
    // gold stops trading.
    const bool arrow = c->title().startsWith(u"▲"_s) || c->title().startsWith(u"▼"_s);
    QCOMPARE(arrow, !c->market().allMarketsClosed());
    if (loading)
        QTRY_VERIFY(!c->market().isLoading());
    m_fixture.sim().setLatency(0);
}

void TestMenuBarController::alertsFireOnceAndNotify()
{
    auto c = controller();
    RecordingChannel channel;
    AlertNotifier notifier(&channel, nullptr);
    c->setNotifier(&notifier);
    c->alertConfig().setRules({}); // the default tiers could fire on the simulated price
    refresh(*c);
    QVERIFY(channel.sent.isEmpty());
    const double price = c->market().gold()->priceCNY;

    AlertRule above = AlertConfig::defaultRules().first();
    above.id = u"near"_s;
    above.threshold = price - 1;
    AlertRule fund = above;
    fund.id = u"fund-of-nobody"_s; // a fund not watched has no value: skipped
    fund.targetType = AlertTargetType::fund;
    fund.targetCode = u"999999"_s;
    c->alertConfig().setRules({above, fund});

    m_now = m_now.addSecs(30);
    refresh(*c);
    QCOMPARE(c->lastFired(), QStringList{u"near"_s});
    QCOMPARE(channel.sent, QStringList{u"near 黄金(CNY/g) 到价提醒"_s});
    QVERIFY(c->alertConfig().rules()[0].triggered);
    QCOMPARE(c->alertConfig().rules()[0].triggeredAt, std::optional<QDateTime>(m_now));
    QVERIFY(!c->alertConfig().rules()[1].triggered);

    // Still above on the next refresh: no second notification.
    m_now = m_now.addSecs(30);
    refresh(*c);
    QVERIFY(c->lastFired().isEmpty());
    QCOMPARE(channel.sent.size(), 1);

    // A refresh in which gold failed judges no gold rule.
    AlertRule rearm = c->alertConfig().rules()[0];
    rearm.threshold = c->market().gold()->priceCNY * 2; // now far below: would re-arm
    c->alertConfig().update(rearm);
    m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::status(500), u"secids=113.aum"_s);
    refresh(*c);
    QVERIFY(c->alertConfig().rules()[0].triggered);
    m_fixture.sim().clearFaults();
    refresh(*c);
    QCOMPARE(c->lastReset(), QStringList{u"near"_s});
    QVERIFY(!c->alertConfig().rules()[0].triggered);
}

void TestMenuBarController::goldNightSessions_data()
{
    QTest::addColumn<QDateTime>("now");
    // Trading or delayed: an arrow in the title, and the timer refreshes.
    QTest::addColumn<MarketStatus>("status");
    QTest::addColumn<QString>("badge");

    const MarketStatus trading = MarketStatus::trading, delayed = MarketStatus::delayed,
                       closed = MarketStatus::closed;
    // The chart shows Wednesday's day session; the night's minutes are live.
    QTest::newRow("wed 22:00") << shanghai(5, 22, 0) << trading << u"交易中"_s;
    QTest::newRow("sat 01:00, friday's night") << shanghai(1, 1, 0) << trading << u"交易中"_s;
    QTest::newRow("sat 02:31") << shanghai(1, 2, 31) << closed << u"已收盘"_s;
    QTest::newRow("mon 01:00, no sunday night") << shanghai(3, 1, 0) << closed << u"已收盘"_s;
    // Around the Spring Festival of 2024 (closed 2-09 to 2-17) and the
    // National Day (10-01 to 10-07), the provider serving the closures.
    QTest::newRow("sf: the last night session") << at(2024, 2, 7, 22, 0) << trading << u"交易中"_s;
    QTest::newRow("sf: the evening before") << at(2024, 2, 8, 22, 0) << closed << u"休市"_s;
    QTest::newRow("nd: a holiday night") << at(2024, 10, 3, 22, 0) << closed << u"休市"_s;
    // The first morning back opens with the auction; the day's first minute
    // is yet to come, so the data lag.
    QTest::newRow("nd: first morning back 08:55")
        << at(2024, 10, 8, 8, 55) << delayed << u"数据延迟"_s;
    QTest::newRow("nd: first morning back 09:05")
        << at(2024, 10, 8, 9, 5) << trading << u"交易中"_s;
    // Friday's night runs into the make-up Saturday after the National Day.
    QTest::newRow("make-up sat 01:00") << at(2024, 10, 12, 1, 0) << trading << u"交易中"_s;
    QTest::newRow("make-up sat 10:00") << at(2024, 10, 12, 10, 0) << closed << u"休市"_s;
}

void TestMenuBarController::goldNightSessions()
{
    QFETCH(QDateTime, now);
    QFETCH(MarketStatus, status);
    QFETCH(QString, badge);
    const bool open = status != MarketStatus::closed;
    m_now = now;
    auto c = controller();
    refresh(*c);
    QVERIFY(!c->market().errorMessage());
    QCOMPARE(c->market().goldMarketStatus(), status);
    QCOMPARE(
        badgeLabel(c->market().goldMarketState().status, c->market().goldMarketState().closure),
        badge);
    QCOMPARE(c->title().startsWith(u"▲ "_s) || c->title().startsWith(u"▼ "_s), open);

    // A stop-loss crossed in the night is seen in the night.
    m_fixture.sim().clearRequests();
    c->cycle().refreshTick();
    QCOMPARE(c->cycle().isRefreshing(), open);
    QTRY_VERIFY(!c->cycle().isRefreshing());
    QCOMPARE(requestsTo(u"/api/qt/ulist.np/get"_s, u"secids=113.aum"_s), open ? 1 : 0);
}

void TestMenuBarController::closedDays_data()
{
    QTest::addColumn<QDateTime>("now");
    // Closed by the simulated exchanges beyond the table's holidays.
    QTest::addColumn<QList<QDate>>("unlisted");
    QTest::addColumn<bool>("polls"); // the timer goes on fetching after the first refresh
    QTest::addColumn<QString>("goldBadge");
    QTest::addColumn<QString>("stockBadge");
    QTest::addColumn<QStringList>("notes");

    const QString pastTable = u"休市日历只收录到 2026 年，此后的节假日休市由行情数据判断"_s;
    const QList<QDate> none;
    const QList<QDate> closure2027{QDate(2027, 2, 10)};
    QTest::newRow("a trading morning")
        << shanghai(4, 10, 0) << none << true << u"交易中"_s << u"交易中"_s << QStringList();
    QTest::newRow("national day") << at(2024, 10, 2, 10, 0) << none << false << u"休市"_s
                                  << u"休市"_s << QStringList();
    QTest::newRow("the evening before it")
        << at(2024, 9, 30, 21, 30) << none << false << u"休市"_s << u"已收盘"_s << QStringList();
    QTest::newRow("a make-up saturday")
        << at(2024, 10, 12, 10, 0) << none << false << u"休市"_s << u"休市"_s << QStringList();
    // Past the table the quotes tell: no minute of today, well into the
    // session, closes the market for the day.
    QTest::newRow("past the table, trading") << at(2027, 2, 9, 10, 0) << none << true << u"交易中"_s
                                             << u"交易中"_s << QStringList{pastTable};
    QTest::newRow("past the table, closed")
        << at(2027, 2, 10, 10, 0) << closure2027 << false << u"休市"_s << u"休市"_s
        << QStringList{u"A股和沪金今日休市（由行情数据判断，休市日历未收录此日）"_s, pastTable};
    // Gold is found out from 09:05, the A-shares not before 09:35.
    QTest::newRow("past the table, 09:32")
        << at(2027, 2, 10, 9, 32) << closure2027 << true << u"休市"_s << u"交易中"_s
        << QStringList{u"沪金今日休市（由行情数据判断，休市日历未收录此日）"_s, pastTable};
}

// The refresh timer asks the calendar: on a closed day the first refresh is
// the only one, and the countdown and the badges say why.
void TestMenuBarController::closedDays()
{
    QFETCH(QDateTime, now);
    QFETCH(QList<QDate>, unlisted);
    QFETCH(bool, polls);
    QFETCH(QStringList, notes);
    m_now = now;
    m_fixture.sim().market().closeDays(unlisted);
    const auto marketRequests = [this] {
        return requestsTo(u"/api/qt/ulist.np/get"_s) + requestsTo(u"/api/qt/clist/get"_s) +
               requestsTo(u"/api/qt/stock/trends2/get"_s) +
               requestsTo(u"/FundMNewApi/FundMNFInfo"_s);
    };

    MenuBarController c(
        MenuBarController::Options{.now = [this] { return m_now; },
                                   .timeout = std::chrono::milliseconds(5000),
                                   .startTimers = true,
                                   .refreshInterval = std::chrono::milliseconds(100)});
    QSignalSpy finished(&c, &MenuBarController::refreshFinished);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY2(!c.market().errorMessage(), qPrintable(c.market().errorMessage().value_or(QString())));
    const int first = marketRequests();
    QVERIFY(first > 0);
    if (polls) {
        QTRY_VERIFY(finished.size() >= 3);
        QVERIFY(marketRequests() > first);
    } else {
        // Ten ticks of the timer go by without a request.
        QTest::qWait(1000);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(marketRequests(), first);
    }
    QTRY_VERIFY(!c.cycle().isRefreshing());

    const QJsonObject report = OnceReport::build(c);
    QTEST(report.value(u"goldBadge"_s).toString(), "goldBadge");
    QTEST(report.value(u"stockBadge"_s).toString(), "stockBadge");
    QCOMPARE(report.value(u"calendarValidUntil"_s).toString(), u"2026-12-31"_s);
    QCOMPARE(c.market().calendarNotes(), notes);
    QCOMPARE(report.value(u"calendarNotes"_s).toVariant().toStringList(), notes);
    // No arrow while the figure's market is shut.
    const bool arrow = c.title().startsWith(u"▲ "_s) || c.title().startsWith(u"▼ "_s);
    QCOMPARE(arrow, report.value(u"goldMarketStatus"_s).toString() != u"closed"_s);
    c.cycle().countdownTick();
    QCOMPARE(c.market().allMarketsClosed(), !polls);
    if (!polls)
        QCOMPARE(c.market().countdown(), 0);
}

// Refreshes in a row while the provider answers board BK0475's index and
// change as given (JSON values, the placeholder "-" among them). Each step
// checks what is published (index and change, also as --once prints them),
// the title, which shows BK0475, and what the rule "BK0475 above 2 %" did:
// "T" fired, "R" re-armed, "-" nothing.
void TestMenuBarController::placeholdersKeepTheLastGoodFigures_data()
{
    QTest::addColumn<QStringList>("answers"); // "index change" per refresh
    QTest::addColumn<QStringList>("published");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("decisions");

    QTest::newRow("fired, a placeholder, back above")
        << QStringList{u"1302.8 2.5"_s, uR"("-" "-")"_s, u"1310.2 2.8"_s}
        << QStringList{u"1302.80 +2.50%"_s, u"1302.80 +2.50%"_s, u"1310.20 +2.80%"_s}
        << QStringList{u"▲ 1302.80"_s, u"▲ 1302.80"_s, u"▲ 1310.20"_s} << u"T--"_s;
    QTest::newRow("placeholders in every spelling")
        << QStringList{u"1302.8 2.5"_s, uR"("-" null)"_s, uR"("" "--")"_s, u"1290.1 2.1"_s}
        << QStringList{u"1302.80 +2.50%"_s, u"1302.80 +2.50%"_s, u"1302.80 +2.50%"_s,
                       u"1290.10 +2.10%"_s}
        << QStringList{u"▲ 1302.80"_s, u"▲ 1302.80"_s, u"▲ 1302.80"_s, u"▲ 1290.10"_s} << u"T---"_s;
    QTest::newRow("a real fall still re-arms")
        << QStringList{u"1302.8 2.5"_s, uR"("-" "-")"_s, u"1280 1.4"_s, u"1302.8 2.5"_s}
        << QStringList{u"1302.80 +2.50%"_s, u"1302.80 +2.50%"_s, u"1280.00 +1.40%"_s,
                       u"1302.80 +2.50%"_s}
        << QStringList{u"▲ 1302.80"_s, u"▲ 1302.80"_s, u"▲ 1280.00"_s, u"▲ 1302.80"_s} << u"T-RT"_s;
    QTest::newRow("nothing yet, then figures") << QStringList{uR"("-" "-")"_s, u"1302.8 2.5"_s}
                                               << QStringList{u"-- --"_s, u"1302.80 +2.50%"_s}
                                               << QStringList{u"--"_s, u"▲ 1302.80"_s} << u"-T"_s;
    QTest::newRow("one figure at a time")
        << QStringList{u"1302.8 -0.5"_s, uR"("-" 2.5)"_s, uR"(1305.5 "-")"_s}
        << QStringList{u"1302.80 -0.50%"_s, u"1302.80 +2.50%"_s, u"1305.50 +2.50%"_s}
        << QStringList{u"▼ 1302.80"_s, u"▲ 1302.80"_s, u"▲ 1305.50"_s} << u"-T-"_s;
}

void TestMenuBarController::placeholdersKeepTheLastGoodFigures()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, published);
    QFETCH(QStringList, titles);
    QFETCH(QString, decisions);
    auto c = controller();
    RecordingChannel channel;
    AlertNotifier notifier(&channel, nullptr);
    c->setNotifier(&notifier);
    WatchConfig config = c->configStore().config();
    config.statusBarSource = u"BK0475"_s;
    c->configStore().setConfig(config);
    QCOMPARE(config.sectors.size(), 3); // the overview is asked for: the alerts read it
    AlertRule rule = AlertConfig::defaultRules().first();
    rule.id = u"board"_s;
    rule.targetType = AlertTargetType::sector;
    rule.targetCode = u"BK0475"_s;
    rule.direction = AlertDirection::above;
    rule.threshold = 2.0;
    c->alertConfig().setRules({rule});

    QStringList actualPublished, actualOnce, actualTitles;
    QString actualDecisions;
    for (const QString& step : answers) {
        const QStringList figures = step.split(u' ');
        // The board quote and the overview both get these rows.
        const QByteArray rows = uR"({"data":{"total":3,"diff":[
            {"f2":%1,"f3":%2,"f6":5e9,"f12":"BK0475","f14":"半导体","f18":1270.5},
            {"f2":1000.5,"f3":0.3,"f6":1e9,"f12":"BK0547","f14":"黄金概念","f18":997.5},
            {"f2":2000.5,"f3":-0.4,"f6":2e9,"f12":"BK1128","f14":"CPO概念","f18":2008.5}]}})"_s
                                    .arg(figures[0], figures[1])
                                    .toUtf8();
        m_fixture.sim().clearFaults();
        m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::body(200, rows), u"90.BK0475"_s);
        m_now = m_now.addSecs(30);
        refresh(*c);
        QVERIFY2(!c->market().errorMessage(),
                 qPrintable(c->market().errorMessage().value_or(QString())));

        const auto board =
            std::find_if(c->market().allSectors().begin(), c->market().allSectors().end(),
                         [](const SectorQuote& q) { return q.code == u"BK0475"_s; });
        QVERIFY(board != c->market().allSectors().end());
        QCOMPARE(*board, *c->market().sector());
        actualPublished.append(Format::price(board->index) + u' ' + Format::pct(board->changePct));
        const QJsonObject once = OnceReport::build(*c).value(u"sector"_s).toObject();
        auto figure = [&](const char* key, bool pct) {
            const QJsonValue v = once.value(QLatin1String(key));
            if (v.isNull())
                return u"--"_s;
            return pct ? Format::pct(v.toDouble()) : Format::price(v.toDouble());
        };
        actualOnce.append(figure("index", false) + u' ' + figure("changePct", true));
        actualTitles.append(c->title());
        actualDecisions += c->lastFired().contains(u"board"_s)   ? u'T'
                           : c->lastReset().contains(u"board"_s) ? u'R'
                                                                 : u'-';
    }
    QCOMPARE(actualPublished, published);
    QCOMPARE(actualOnce, published);
    QCOMPARE(actualTitles, titles);
    QCOMPARE(actualDecisions, decisions);
    QCOMPARE(channel.sent.size(), decisions.count(u'T'));
}

// The index and change on screen are the last good ones, but a rule set up
// since then is not judged by them: only a figure the provider has now fires.
void TestMenuBarController::placeholderFiresNoRuleAddedSince()
{
    auto c = controller();
    c->alertConfig().setRules({});
    auto answerChange = [this](const QString& change) {
        m_fixture.sim().clearFaults();
        m_fixture.sim().addFault(
            u"/api/qt/ulist.np/get"_s,
            Fault::body(200,
                        uR"({"data":{"diff":[{"f2":1302.8,"f3":%1,"f12":"BK0475"}]}})"_s.arg(change)
                            .toUtf8()),
            u"90.BK0475"_s);
        m_now = m_now.addSecs(30);
    };
    answerChange(u"1.5"_s);
    refresh(*c);

    AlertRule rule = AlertConfig::defaultRules().first();
    rule.id = u"board"_s;
    rule.targetType = AlertTargetType::sector;
    rule.targetCode = u"BK0475"_s;
    rule.direction = AlertDirection::above;
    rule.threshold = 1.0;
    c->alertConfig().setRules({rule});
    answerChange(uR"("-")"_s);
    refresh(*c);
    QCOMPARE(c->market().sector()->changePct, std::optional(1.5));
    QVERIFY(c->lastFired().isEmpty());
    QVERIFY(!c->alertConfig().rules()[0].triggered);

    answerChange(u"1.6"_s);
    refresh(*c);
    QCOMPARE(c->lastFired(), QStringList{u"board"_s});
}

// 023350 is too new to have published a change: the provider sends "--".
void TestMenuBarController::newFundHasNoPublishedChange()
{
    auto c = controller();
    WatchConfig config = c->configStore().config();
    config.funds = {{u"023350"_s, u"光信CPO"_s}};
    c->configStore().setConfig(config);
    AlertRule rule = AlertConfig::defaultRules().first();
    rule.id = u"fund"_s;
    rule.targetType = AlertTargetType::fund;
    rule.targetCode = u"023350"_s;
    rule.fundMetric = FundMetric::changePct;
    rule.direction = AlertDirection::below;
    rule.threshold = 0.5; // a change read as 0 would fire it
    c->alertConfig().setRules({rule});
    refresh(*c);

    QVERIFY(!c->market().fundErrorMessage());
    QCOMPARE(c->market().funds().size(), 1);
    QVERIFY(c->market().funds()[0].quote.navChangeMissing);
    QVERIFY(c->lastFired().isEmpty());
    const QJsonObject quote = OnceReport::build(*c)
                                  .value(u"funds"_s)
                                  .toArray()
                                  .first()
                                  .toObject()
                                  .value(u"quote"_s)
                                  .toObject();
    QVERIFY(quote.value(u"navChangePct"_s).isNull());
    QVERIFY(quote.value(u"nav"_s).toDouble() > 0);
}

void TestMenuBarController::notificationTaps_data()
{
    QTest::addColumn<QString>("ruleId");
    QTest::addColumn<int>("tab"); // -1: none
    QTest::addColumn<QString>("sector");
    QTest::addColumn<bool>("sectorRefresh");
    QTest::newRow("gold rule") << u"gold"_s << int(Tab::gold) << u"BK0475"_s << false;
    QTest::newRow("fund rule") << u"fund"_s << int(Tab::fund) << u"BK0475"_s << false;
    QTest::newRow("other board") << u"board-other"_s << int(Tab::cpo) << u"BK1128"_s << true;
    QTest::newRow("shown board") << u"board-same"_s << int(Tab::cpo) << u"BK0475"_s << false;
    QTest::newRow("board without code")
        << u"board-empty"_s << int(Tab::cpo) << u"BK0475"_s << false;
    QTest::newRow("deleted rule") << u"gone"_s << -1 << u"BK0475"_s << false;
}

void TestMenuBarController::notificationTaps()
{
    QFETCH(QString, ruleId);
    QFETCH(int, tab);
    QFETCH(QString, sector);
    QFETCH(bool, sectorRefresh);
    auto c = controller();
    FakePanel panel;
    c->attachPanel(&panel);
    RecordingChannel channel;
    AlertNotifier notifier(&channel, nullptr);
    c->setNotifier(&notifier);

    auto rule = [](QString id, AlertTargetType type, QString code) {
        AlertRule r = AlertConfig::defaultRules().first();
        r.id = std::move(id);
        r.targetType = type;
        r.targetCode = std::move(code);
        return r;
    };
    c->alertConfig().setRules({rule(u"gold"_s, AlertTargetType::goldCNY, {}),
                               rule(u"fund"_s, AlertTargetType::fund, u"161725"_s),
                               rule(u"board-other"_s, AlertTargetType::sector, u"BK1128"_s),
                               rule(u"board-same"_s, AlertTargetType::sector, u"BK0475"_s),
                               rule(u"board-empty"_s, AlertTargetType::sector, {})});
    m_fixture.sim().clearRequests();
    m_fixture.sim().setLatency(50); // keep the refreshes in flight while we look

    // The click arrives through the notifier's callback, as from the desktop.
    notifier.onNotificationTap(ruleId);
    QTRY_COMPARE(panel.presented, 1);
    QCOMPARE(c->pendingTab().has_value(), tab >= 0);
    if (tab >= 0)
        QCOMPARE(int(*c->pendingTab()), tab);
    QCOMPARE(c->market().currentSectorCode(), sector);
    QTRY_VERIFY(!c->cycle().isRefreshing());
    // Showing the panel refreshes everything; a tap on another board asks
    // for that board at once, and the full refresh does not ask again.
    QCOMPARE(requestsTo(u"/api/qt/clist/get"_s, u"fs=b:BK1128"_s), sectorRefresh ? 1 : 0);
    QCOMPARE(requestsTo(u"/api/qt/ulist.np/get"_s, u"secids=113.aum"_s), 1);
    if (sectorRefresh)
        QCOMPARE(c->market().sector()->code, u"BK1128"_s);
    m_fixture.sim().setLatency(0);
}

void TestMenuBarController::timersAndUpdateChecks()
{
    // Running timers: a first refresh at once, the first update check 2 s later.
    MenuBarController c(MenuBarController::Options{.now = [this] { return m_now; },
                                                   .timeout = std::chrono::milliseconds(1500),
                                                   .startTimers = true});
    QVERIFY(c.cycle().isRefreshing());
    QTRY_VERIFY(!c.cycle().isRefreshing());
    QVERIFY(c.market().lastUpdate());
    QCOMPARE(requestsTo(u"/works/downloads/version.json"_s), 0);
    QTRY_COMPARE_WITH_TIMEOUT(requestsTo(u"/works/downloads/version.json"_s), 1, 5000);
    bool refreshing = false;
    bool counting = false;
    QVERIFY(c.cycle().timersRunning(&refreshing, &counting));
    QVERIFY(refreshing && counting);

    // Outside trading hours a timer tick fetches nothing, and both timers
    // stop: the app wakes once a minute to see whether a market opened.
    m_now = shanghai(8, 10, 0);
    m_fixture.sim().clearRequests();
    c.cycle().refreshTick();
    QVERIFY(!c.cycle().isRefreshing());
    QCOMPARE(m_fixture.sim().requests().size(), 0);
    c.cycle().timersRunning(&refreshing, &counting);
    QVERIFY(!refreshing && !counting);
    QCOMPARE(c.market().panelStatusText(), u"已收盘"_s);

    // While the panel is open its header counts, markets closed or not.
    FakePanel panel;
    c.attachPanel(&panel);
    c.showPanel();
    QTRY_VERIFY(!c.cycle().isRefreshing());
    c.cycle().timersRunning(&refreshing, &counting);
    QVERIFY(!refreshing && counting);
    c.handleLeftClick(); // closes it
    c.cycle().timersRunning(&refreshing, &counting);
    QVERIFY(!refreshing && !counting);

    // The wake-up that finds a market open refreshes at once.
    m_now = shanghai(11, 9, 31); // a Tuesday (the Monday is the Dragon Boat holiday)
    m_fixture.sim().clearRequests();
    auto* wake = c.findChild<QTimer*>(u"nextMinute"_s);
    QVERIFY(wake && wake->isActive());
    QVERIFY2(wake->interval() <= 60'000, qPrintable(QString::number(wake->interval())));
    QMetaObject::invokeMethod(wake, [wake] {
        wake->stop();
        emit wake->timeout({});
    });
    QVERIFY(c.cycle().isRefreshing());
    c.cycle().timersRunning(&refreshing, &counting);
    QVERIFY(refreshing && counting);
    QTRY_VERIFY(!c.cycle().isRefreshing());
}

void TestMenuBarController::ownerGoneWhileRequestStalled_data()
{
    QTest::addColumn<QString>("owner");
    for (const char* owner : {"controller", "update checker", "gold service", "board service",
                              "fund service", "look-up service"})
        QTest::newRow(owner) << QString::fromLatin1(owner);
}

// Whoever started a request and goes away while the provider sits on it
// must take the request with it: the reply aborted, the coroutine run to its
// end and its frame freed (the sanitizer build reports any frame left
// behind), nothing resumed into the owner that is gone.
void TestMenuBarController::ownerGoneWhileRequestStalled()
{
    QFETCH(QString, owner);
    SimProvider& sim = m_fixture.sim();
    for (const QString& path :
         {u"/api/qt/ulist.np/get"_s, u"/api/qt/clist/get"_s, u"/api/qt/stock/trends2/get"_s,
          u"/FundMNewApi/FundMNFInfo"_s, u"/works/downloads/version.json"_s})
        sim.addFault(path, Fault::stall());
    const auto openReplies = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return NetworkClient::sharedManager().findChildren<QNetworkReply*>().size();
    };
    QCOMPARE(openReplies(), 0);

    const std::chrono::milliseconds patience(60'000); // far beyond the test
    std::optional<QCoro::Task<void>> task;
    std::function<void()> destroy;
    if (owner == u"controller") {
        // Few enough requests that the update check finds one of the six
        // connections Qt opens to the (stalled) host.
        WatchConfig config;
        config.sectors = {{u"BK0475"_s, u"半导体"_s}};
        ConfigStore().setConfig(config);
        auto* c = new MenuBarController(
            MenuBarController::Options{.now = [this] { return m_now; }, .timeout = patience});
        destroy = [c] { delete c; };
        // The first refresh starts at once; the update check 2 s later.
        QTRY_COMPARE_WITH_TIMEOUT(requestsTo(u"/works/downloads/version.json"_s), 1, 5000);
        QVERIFY(c->cycle().isRefreshing());
    } else if (owner == u"update checker") {
        auto* checker =
            new UpdateChecker(nullptr, u"1.0"_s, m_fixture.origin(), m_fixture.origin());
        destroy = [checker] { delete checker; };
        checker->manualCheck();
    } else {
        const auto wrap = [](auto t) -> QCoro::Task<void> {
            try {
                co_await t;
            } catch (const FetchError&) {
            }
        };
        if (owner == u"gold service") {
            auto* service = new GoldService(m_fixture.origin(), patience);
            destroy = [service] { delete service; };
            task.emplace(wrap(service->fetch()));
        } else if (owner == u"board service") {
            auto* service = new SectorService(m_fixture.origin(), patience);
            destroy = [service] { delete service; };
            task.emplace(wrap(service->fetchStocks()));
        } else if (owner == u"fund service") {
            auto* service = new FundService(m_fixture.origin(), patience);
            destroy = [service] { delete service; };
            task.emplace(wrap(service->fetchAll({u"161725"_s})));
        } else {
            auto* service = new LookupService(m_fixture.origin(), m_fixture.origin(), patience);
            destroy = [service] { delete service; };
            task.emplace(wrap(service->sectorName(u"BK0475"_s)));
        }
    }
    QTRY_VERIFY(!sim.requests().isEmpty());
    QTRY_VERIFY(openReplies() > 0);
    QVERIFY(!task || !task->isReady());

    destroy();
    QCOMPARE(openReplies(), 0);
    QVERIFY(!task || task->isReady());
    sim.clearFaults();
}

QTEST_GUILESS_MAIN(TestMenuBarController)
#include "tst_menubarcontroller.moc"
