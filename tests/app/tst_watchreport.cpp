#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "alerts/AlertNotifier.h"
#include "app/MenuBarController.h"
#include "app/StatusItem.h"
#include "app/StatusTitle.h"
#include "app/WatchReport.h"
#include "market/Format.h"
#include "market/Money.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

// Remembers what the controller put on it.
class RecordingItem : public StatusItem {
public:
    void setTitle(const QString& t) override { title = t; }
    void setToolTip(const QString& t) override { toolTip = t; }
    QRect geometry() const override { return {}; }
    QString title;
    QString toolTip;
};

// Answers each notification from the event loop, as the desktop does.
class ScriptedChannel : public NotificationChannel {
public:
    explicit ScriptedChannel(bool showing) : shows(showing) {}
    void send(const QString& identifier, const QString&, const QString&) override
    {
        ++pending;
        QMetaObject::invokeMethod(
            this,
            [this, identifier] {
                --pending;
                if (shows)
                    emit delivered(identifier);
                else
                    emit failed(identifier, u"拒绝"_s);
            },
            Qt::QueuedConnection);
    }
    void probe() override {}
    bool shows;
    int pending = 0;
};

} // namespace

// The summary a status bar's tool tip and the tray's tool tip show. The
// classes are seen end to end in the watch-mode test.
class TestWatchReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fundLine_data();
    void fundLine();
    void failureKeepsTheLastFigures();
    void undeliveredAlerts_data();
    void undeliveredAlerts();
    void todayProfit_data();
    void todayProfit();

private:
    std::unique_ptr<MenuBarController> controller(const QDateTime& now);

    SimFixture m_fixture;
};

void TestWatchReport::initTestCase()
{
    m_fixture.pointOrigins();
}

std::unique_ptr<MenuBarController> TestWatchReport::controller(const QDateTime& now)
{
    clearPreferences();
    m_fixture.reset();
    m_fixture.sim().setClock([now] { return now; });
    return std::make_unique<MenuBarController>(
        MenuBarController::Options{.now = [now] { return now; },
                                   .timeout = std::chrono::milliseconds(1500),
                                   .startTimers = false});
}

void TestWatchReport::fundLine_data()
{
    QTest::addColumn<std::optional<double>>("estNav");
    QTest::addColumn<std::optional<double>>("estChangePct");
    QTest::addColumn<std::optional<EstimateTrust>>("trust");
    QTest::addColumn<bool>("navChangeMissing");
    QTest::addColumn<QString>("line");
    QTest::newRow("estimate") << std::optional(1.23456) << std::optional(0.52)
                              << std::optional<EstimateTrust>() << false
                              << u"蓝筹精选 估算 1.2346 +0.52%"_s;
    QTest::newRow("no holdings, no estimate")
        << std::optional<double>() << std::optional<double>() << std::optional<EstimateTrust>()
        << false << u"蓝筹精选 净值 1.2000 -0.10%"_s;
    // A fund too new to have published a change: no "+0.00%" for it.
    QTest::newRow("no estimate, no published change")
        << std::optional<double>() << std::optional<double>() << std::optional<EstimateTrust>()
        << true << u"蓝筹精选 净值 1.2000 --"_s;
    EstimateTrust settled{.coverage = {.weightPct = 45.25, .priced = 5, .holdings = 10},
                          .navDate = u"2024-06-03"_s,
                          .navDateError = -0.1234,
                          .meanAbsError = 0.0951,
                          .errorDays = 3};
    QTest::newRow("estimate with its record")
        << std::optional(1.23456) << std::optional(0.52) << std::optional(settled) << false
        << u"蓝筹精选 估算 1.2346 +0.52%（覆盖 45.2%（5/10） · 当日误差 -0.12 · 平均 0.10（3 日））"_s;
    const EstimateTrust fresh; // no holdings known, nothing recorded
    QTest::newRow("nothing recorded yet")
        << std::optional(1.23456) << std::optional(0.52) << std::optional(fresh) << false
        << u"蓝筹精选 估算 1.2346 +0.52%"_s;
}

void TestWatchReport::fundLine()
{
    QFETCH(std::optional<double>, estNav);
    QFETCH(std::optional<double>, estChangePct);
    QFETCH(std::optional<EstimateTrust>, trust);
    QFETCH(bool, navChangeMissing);
    const FundDetail fund{.quote = {.code = u"005827"_s,
                                    .name = u"蓝筹精选"_s,
                                    .nav = 1.2,
                                    .navChangePct = navChangeMissing ? 0.0 : -0.1,
                                    .navDate = u"2024-06-03"_s,
                                    .navChangeMissing = navChangeMissing},
                          .holdings = {},
                          .estNav = estNav,
                          .estChangePct = estChangePct};
    QTEST(WatchReport::fundLine(fund, trust), "line");
}

void TestWatchReport::failureKeepsTheLastFigures()
{
    auto c = controller(QDateTime(QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai")));
    RecordingItem item;
    c->attachStatusItem(&item);
    run(c->cycle().refresh());
    const QString title = item.title;
    const QStringList good = item.toolTip.split(u'\n');
    QCOMPARE(good.first(), u"沪金主连 "_s + Format::price(c->market().gold()->priceCNY) + u' ' +
                               Format::pct(c->market().gold()->changePct));
    QCOMPARE(good.size(), 2 + c->market().funds().size());

    // The next cycle fails: the figure and its lines stay, and the tool tip
    // says why they are not fresh.
    m_fixture.sim().addFault(u"/api/qt/stock/trends2/get"_s, Fault::status(500));
    run(c->cycle().refresh());
    QCOMPARE(item.title, title);
    // Each part that failed says so on a line of its own.
    QCOMPARE(item.toolTip,
             (good + QStringList{u"沪金：服务器响应异常（已显示上次数据）"_s,
                                 u"板块半导体（BK0475）：服务器响应异常（已显示上次数据）"_s})
                 .join(u'\n'));
    QCOMPARE(WatchReport::statusClass(*c), u"error"_s);
    QCOMPARE(WatchReport::waybar(*c).value(u"text"_s).toString(), title);
}

void TestWatchReport::undeliveredAlerts_data()
{
    QTest::addColumn<bool>("withService");
    QTest::addColumn<bool>("serviceShows");
    QTest::addColumn<bool>("withBubble");
    QTest::addColumn<bool>("bubbleShows");
    QTest::addColumn<bool>("undelivered");
    QTest::newRow("service shows it") << true << true << true << true << false;
    QTest::newRow("bubble shows it") << true << false << true << true << false;
    QTest::newRow("neither shows it") << true << false << true << false << true;
    QTest::newRow("service refuses, no bubble") << true << false << false << false << true;
    QTest::newRow("no channel") << false << false << false << false << true;
}

// An alert no channel could show is in the tool tip, even though the answer
// comes after the refresh has put the tool tip up; the next alert that gets
// through takes it away.
void TestWatchReport::undeliveredAlerts()
{
    QFETCH(bool, withService);
    QFETCH(bool, serviceShows);
    QFETCH(bool, withBubble);
    QFETCH(bool, bubbleShows);
    QFETCH(bool, undelivered);
    auto c = controller(QDateTime(QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai")));
    RecordingItem item;
    c->attachStatusItem(&item);
    ScriptedChannel service(serviceShows), bubble(bubbleShows);
    AlertNotifier notifier(withService ? &service : nullptr, withBubble ? &bubble : nullptr);
    c->setNotifier(&notifier);
    c->alertConfig().setRules({});
    run(c->cycle().refresh());
    const QStringList good = item.toolTip.split(u'\n');

    AlertRule rule = AlertConfig::defaultRules().first();
    rule.id = u"any"_s;
    rule.threshold = 1; // any price is above it
    rule.label = u"第1档止盈"_s;
    c->alertConfig().setRules({rule});
    run(c->cycle().refresh());
    QCOMPARE(c->lastFired(), QStringList{rule.id});
    QTRY_VERIFY(service.pending == 0 && bubble.pending == 0);
    const QString line = u"通知无法送达："_s + rule.targetName + u" 已涨到 "_s +
                         Format::fixed(c->market().gold()->priceCNY, 2) +
                         u"（阈值 1.00） 第1档止盈"_s;
    QCOMPARE(item.toolTip, (undelivered ? good + QStringList{line} : good).join(u'\n'));
    QCOMPARE(WatchReport::tooltip(*c), item.toolTip);

    if (!undelivered || !withService)
        return;
    service.shows = true;
    rule.id = u"next"_s;
    c->alertConfig().setRules({c->alertConfig().rules().first(), rule});
    run(c->cycle().refresh());
    QCOMPARE(c->lastFired(), QStringList{rule.id});
    QTRY_COMPARE(item.toolTip, good.join(u'\n'));
}

void TestWatchReport::todayProfit_data()
{
    QTest::addColumn<bool>("gold");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("funds") << false << false;
    QTest::newRow("funds and gold") << true << false;
    QTest::newRow("funds and gold, amounts hidden") << true << true;
}

// The day's profit of the user's holdings: a line of the tool tip and of
// --watch's, and the tray's figure when chosen; hidden amounts show nowhere.
void TestWatchReport::todayProfit()
{
    QFETCH(bool, gold);
    QFETCH(bool, hidden);
    auto c = controller(QDateTime(QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai")));
    RecordingItem item;
    c->attachStatusItem(&item);
    HoldingsStore& store = c->holdingsStore();
    const Profit::Position shares{.quantity = 10'000 * Money::unitsPerOne,
                                  .cost = 8'000}; // 0.8000 a share
    store.setFund(u"161725"_s, shares);
    store.setFund(u"005827"_s, {.quantity = 500 * Money::unitsPerOne, .cost = std::nullopt});
    const Profit::Position grams{.quantity = 10 * Money::unitsPerOne, .cost = std::nullopt};
    if (gold)
        store.setGold(grams);
    store.setHideAmounts(hidden);
    run(c->cycle().refresh());
    QVERIFY(!c->market().errorMessage());

    // Each fund's estimate, and gold's move, as the table tests work them out.
    qint64 expected = 0;
    for (const FundDetail& fund : c->market().funds()) {
        if (const auto position = store.holdings().fund(fund.quote.code))
            expected += Profit::fund(*position, fund).today.value().fen;
    }
    if (gold)
        expected += Profit::gold(grams, *c->market().gold()).today.value().fen;
    const QString amount = hidden ? u"****"_s : Format::signedMoney(expected);
    const QStringList lines = item.toolTip.split(u'\n');
    QCOMPARE(lines.size(), 3 + c->market().funds().size());
    QCOMPARE(lines.last(), u"今日收益 "_s + amount + u"（估）"_s);
    QCOMPARE(WatchReport::waybar(*c).value(u"tooltip"_s).toString(), item.toolTip);
    QCOMPARE(item.toolTip.contains(Format::signedMoney(expected)), !hidden);

    // Chosen as the tray's figure: whole yuan, the arrow by its sign.
    WatchConfig config = c->configStore().config();
    config.statusBarSource = StatusTitle::profitSource;
    c->configStore().setConfig(config);
    c->updateStatusTitle();
    const QString arrow = expected >= 0 ? u"▲ "_s : u"▼ "_s;
    QCOMPARE(item.title, arrow + (hidden ? u"****"_s : Format::signedYuan(expected)));
    QCOMPARE(WatchReport::waybar(*c).value(u"text"_s).toString(), item.title);

    // Holdings cleared: the figure goes at once, without a refresh.
    store.clearFund(u"161725"_s);
    store.clearFund(u"005827"_s);
    store.clearGold();
    QCOMPARE(item.title, u"--"_s);
    QCOMPARE(item.toolTip.split(u'\n').size(), 2 + c->market().funds().size());
}

QTEST_GUILESS_MAIN(TestWatchReport)
#include "tst_watchreport.moc"
