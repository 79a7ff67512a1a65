#include "FakeNotificationServer.h"
#include "SimFixture.h"
#include "config/AlertConfig.h"
#include "market/Format.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

// Just enough of a StatusNotifierWatcher for the tray app to put its item
// in, so that it has a tray and opens its panel only when asked.
class TrayWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
public slots:
    void RegisterStatusNotifierItem(const QString&) {}
};

// One run of the executable, its standard output collected line by line as
// it comes (the test's event loop must run for that, as it must for the
// provider); killed when it goes, if still running.
class Launch {
public:
    Launch(const QProcessEnvironment& env, const QStringList& arguments)
    {
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
            m_pending += m_process.readAllStandardOutput();
            qsizetype end;
            while ((end = m_pending.indexOf('\n')) >= 0) {
                lines << m_pending.left(end);
                m_pending.remove(0, end + 1);
            }
        });
        m_process.start(QStringLiteral(QUOTARA_EXECUTABLE), arguments);
    }
    ~Launch()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QProcess& process() { return m_process; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    // Lines of --watch whose cycle succeeded ("up" or "down").
    int goodCycles() const
    {
        int count = 0;
        for (const QByteArray& line : lines) {
            const QString cls = QJsonDocument::fromJson(line).object().value(u"class"_s).toString();
            count += cls == u"up"_s || cls == u"down"_s;
        }
        return count;
    }

    QList<QByteArray> lines;

private:
    QProcess m_process;
    QByteArray m_pending;
};

// `quotara --watch` read the way a status bar reads it: line by line from a
// pipe, against the simulated provider of this process. The watcher's clock
// is set with QUOTARA_NOW so that a market is open (or not) whatever the day
// the test runs, and its cycle is shortened with QUOTARA_REFRESH_MS.
class TestWatchMode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void oneLinePerCycle();
    void textFormat();
    void closedMarketWaitsForTheOpening();
    void failureKeepsPrinting();
    void alertsNotify_data();
    void alertsNotify();
    void commandLine_data();
    void commandLine();
    void ruleAddedMeanwhileSurvivesAFiring();
    void aCrossingSeenByTwoNotifiesOnce();
    void secondLaunch_data();
    void secondLaunch();

private:
    static constexpr int intervalMs = 300;
    // Tuesday 4 June 2024, 10:00 in Shanghai: gold and stocks trade.
    const QDateTime m_open{QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai")};
    // Saturday 8 June 2024, 10:00: everything is closed.
    const QDateTime m_closed{QDate(2024, 6, 8), QTime(10, 0), QTimeZone("Asia/Shanghai")};

    // Starts the watcher and collects its lines until `lines` are in (and
    // then for `linger` more) or the time is up, then stops it.
    QList<QByteArray> watch(const QStringList& arguments, const QDateTime& now, int lines,
                            std::chrono::milliseconds linger = {});
    int goldQuoteRequests() const;
    // What every launch gets: the provider's origins, the settings of this
    // case, the clock and the short cycle.
    QProcessEnvironment environment(const QDateTime& now) const;
    void storeRules(const QList<AlertRule>& rules) const;
    QList<AlertRule> storedRules() const;
    bool onBus(const QString& service) const;
    // The PanelVisible property of the app owning `service`.
    bool panelVisible(const QString& service) const;

    SimFixture m_fixture;
    QByteArray m_stderr; // what the last watch() wrote to standard error
    std::unique_ptr<QTemporaryDir> m_config;
    QDBusConnection m_bus{QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s)};
    FakeNotificationServer m_notifications; // whatever notification the watcher posts
    TrayWatcher m_trayWatcher;
};

void TestWatchMode::initTestCase()
{
    QVERIFY2(m_bus.isConnected(), "run under dbus-run-session");
    QVERIFY(m_notifications.publish(m_bus));
    QVERIFY(m_bus.registerObject(u"/StatusNotifierWatcher"_s, &m_trayWatcher,
                                 QDBusConnection::ExportAllSlots));
    QVERIFY(m_bus.registerService(u"org.kde.StatusNotifierWatcher"_s));
}

void TestWatchMode::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    m_fixture.reset();
    m_notifications.reset();
}

void TestWatchMode::cleanup()
{
    m_config.reset();
}

QList<QByteArray> TestWatchMode::watch(const QStringList& arguments, const QDateTime& now,
                                       int lines, std::chrono::milliseconds linger)
{
    m_fixture.sim().setClock([now] { return now; });
    QProcess process;
    process.setProcessEnvironment(environment(now));

    QList<QByteArray> received;
    QByteArray pending;
    connect(&process, &QProcess::readyReadStandardOutput, this, [&] {
        pending += process.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            received << pending.left(end);
            pending.remove(0, end + 1);
        }
    });
    process.start(QStringLiteral(QUOTARA_EXECUTABLE), QStringList{u"--watch"_s} + arguments);
    // The provider lives in this process: keep its event loop running.
    QElapsedTimer waited;
    waited.start();
    while (received.size() < lines && process.state() != QProcess::NotRunning &&
           waited.elapsed() < 10000)
        QTest::qWait(20);
    if (received.size() >= lines)
        QTest::qWait(int(linger.count()));
    process.kill();
    process.waitForFinished();
    m_stderr = process.readAllStandardError();
    if (!pending.isEmpty())
        received << pending; // a line cut short: the callers see it fail to parse
    return received;
}

QProcessEnvironment TestWatchMode::environment(const QDateTime& now) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    m_fixture.pointOrigins(env);
    env.insert(u"XDG_CONFIG_HOME"_s, m_config->path());
    env.insert(u"QUOTARA_REFRESH_MS"_s, QString::number(intervalMs));
    env.insert(u"QUOTARA_NOW"_s, now.toString(Qt::ISODate));
    return env;
}

void TestWatchMode::storeRules(const QList<AlertRule>& rules) const
{
    QSettings stored(m_config->filePath(u"orlenby/quotara.conf"_s), QSettings::IniFormat);
    stored.setValue(AlertConfig::key, *AlertConfig::encode(rules));
    stored.sync();
}

QList<AlertRule> TestWatchMode::storedRules() const
{
    const QSettings stored(m_config->filePath(u"orlenby/quotara.conf"_s), QSettings::IniFormat);
    return AlertConfig::decode(stored.value(AlertConfig::key).toByteArray())
        .value_or(QList<AlertRule>());
}

bool TestWatchMode::onBus(const QString& service) const
{
    return m_bus.interface()->isServiceRegistered(service).value();
}

bool TestWatchMode::panelVisible(const QString& service) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, u"/com/orlenby/quotara"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"com.orlenby.quotara"_s << u"PanelVisible"_s;
    const QDBusMessage reply = m_bus.call(get);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

int TestWatchMode::goldQuoteRequests() const
{
    int count = 0;
    for (const RecordedRequest& r : m_fixture.sim().requests())
        count += r.path == u"/api/qt/ulist.np/get"_s && r.query.contains(u"secids=113.aum"_s);
    return count;
}

void TestWatchMode::oneLinePerCycle()
{
    QElapsedTimer clock;
    clock.start();
    const QList<QByteArray> lines = watch({}, m_open, 4);
    QCOMPARE(lines.size(), 4);
    // A first cycle at once, then one every interval: well under the 30 s
    // that would pass without the override.
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    // Each line stands for one full refresh (a cycle cut short by the kill may
    // have started without printing).
    QVERIFY2(goldQuoteRequests() >= 4 && goldQuoteRequests() <= 5,
             qPrintable(QString::number(goldQuoteRequests())));

    for (const QByteArray& line : lines) {
        QJsonParseError error{};
        const QJsonObject json = QJsonDocument::fromJson(line, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
        QCOMPARE(json.keys(), (QStringList{u"class"_s, u"funds"_s, u"text"_s, u"tooltip"_s}));

        const QString text = json.value(u"text"_s).toString();
        const QString cls = json.value(u"class"_s).toString();
        QVERIFY2(text.startsWith(u"▲ "_s) || text.startsWith(u"▼ "_s), qPrintable(text));
        QCOMPARE(cls, text.startsWith(u'▲') ? u"up"_s : u"down"_s);

        // Gold with the figure of the title, the current board, the three
        // watched funds with their estimates: one per line.
        const QStringList tooltip = json.value(u"tooltip"_s).toString().split(u'\n');
        QCOMPARE(tooltip.size(), 5);
        QVERIFY2(tooltip[0].startsWith(u"沪金主连 "_s + text.mid(2) + u' '),
                 qPrintable(tooltip[0]));
        QVERIFY2(tooltip[1].startsWith(u"半导体 "_s), qPrintable(tooltip[1]));
        // Each with how far to trust it, as in --once.
        for (const QString& fund : tooltip.mid(2))
            QVERIFY2(fund.contains(u" 估算 "_s) && fund.contains(u"%（覆盖 "_s), qPrintable(fund));
        const QJsonArray funds = json.value(u"funds"_s).toArray();
        QCOMPARE(funds.size(), 3);
        for (const QJsonValue& fund : funds) {
            const QJsonObject trust = fund[u"estimateTrust"_s].toObject();
            QVERIFY(trust.value(u"coveragePct"_s).toDouble() > 0);
            QVERIFY(trust.value(u"pricedHoldings"_s).toInt() > 0);
            QVERIFY(trust.contains(u"meanAbsError"_s));
        }
    }
}

void TestWatchMode::textFormat()
{
    const QList<QByteArray> lines = watch({u"--format"_s, u"text"_s}, m_open, 2);
    QCOMPARE(lines.size(), 2);
    for (const QByteArray& line : lines) {
        const QString title = QString::fromUtf8(line);
        QVERIFY2(title.startsWith(u"▲ "_s) || title.startsWith(u"▼ "_s), line.constData());
        bool number = false;
        title.mid(2).toDouble(&number);
        QVERIFY2(number, line.constData());
    }
}

void TestWatchMode::closedMarketWaitsForTheOpening()
{
    // Only the start-up cycle; the timer fetches nothing while every market
    // is closed, for as many intervals as we care to wait.
    const QList<QByteArray> lines =
        watch({}, m_closed, 1, 6 * std::chrono::milliseconds(intervalMs));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(goldQuoteRequests(), 1);
    const QJsonObject json = QJsonDocument::fromJson(lines.first()).object();
    QCOMPARE(json.value(u"class"_s).toString(), u"closed"_s);
    const QString text = json.value(u"text"_s).toString();
    bool number = false;
    text.toDouble(&number);
    QVERIFY2(number, qPrintable(text)); // the plain price, no arrow
}

void TestWatchMode::failureKeepsPrinting()
{
    m_fixture.sim().addFault(u"/api/qt/stock/trends2/get"_s, Fault::status(500));
    const QList<QByteArray> lines = watch({}, m_open, 2);
    QCOMPARE(lines.size(), 2);
    for (const QByteArray& line : lines) {
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        QCOMPARE(json.value(u"class"_s).toString(), u"error"_s);
        QCOMPARE(json.value(u"text"_s).toString(), u"--"_s);
        // The funds still came; gold and the board say why they did not.
        QVERIFY2(json.value(u"tooltip"_s)
                     .toString()
                     .endsWith(u"沪金：服务器响应异常（已显示上次数据）\n"
                               u"板块半导体（BK0475）：服务器响应异常（已显示上次数据）"_s),
                 qPrintable(json.value(u"tooltip"_s).toString()));
    }
}

void TestWatchMode::alertsNotify_data()
{
    QTest::addColumn<QString>("refusal"); // the server's answer to Notify; empty: shown
    QTest::addColumn<bool>("open");
    QTest::newRow("shown") << QString() << true;
    // Closed: no later cycle prints, so only a line of its own tells the bar.
    QTest::newRow("refused") << u"太多通知"_s << false;
}

void TestWatchMode::alertsNotify()
{
    QFETCH(QString, refusal);
    QFETCH(bool, open);
    m_notifications.refusal = refusal;
    AlertRule rule = AlertConfig::defaultRules().first();
    rule.id = u"gold-any"_s;
    rule.threshold = 1; // any price is above it
    storeRules({rule});

    const QList<QByteArray> lines = watch({}, open ? m_open : m_closed, 2);
    QCOMPARE(lines.size(), 2);
    // Standard output is the bar's: JSON lines and nothing else.
    for (const QByteArray& line : lines)
        QVERIFY2(QJsonDocument::fromJson(line).isObject(), line.constData());
    if (refusal.isEmpty()) {
        // Fired once, on the first cycle, and not again while the price stays up.
        QTRY_COMPARE(m_notifications.summaries(), QStringList{rule.targetName + u" 到价提醒"_s});
        return;
    }
    // Refused: the failure line on standard error, and at once a line whose
    // tool tip tells the bar what crossed.
    QVERIFY2(m_stderr.contains((u"quotara: UN 通知发送失败: "_s + refusal + u'\n').toUtf8()),
             m_stderr.constData());
    const QJsonObject json = QJsonDocument::fromJson(lines[1]).object();
    const QString price = json.value(u"text"_s).toString(); // closed: no arrow
    QCOMPARE(json.value(u"tooltip"_s).toString().split(u'\n').last(),
             u"通知无法送达："_s + rule.targetName + u" 已涨到 "_s + price + u"（阈值 1.00） "_s +
                 rule.label);
    QVERIFY(m_notifications.summaries().isEmpty());
}

void TestWatchMode::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("format without watch") << QStringList{u"--format"_s, u"text"_s};
    QTest::newRow("unknown format") << QStringList{u"--watch"_s, u"--format"_s, u"xml"_s};
    QTest::newRow("format without value") << QStringList{u"--watch"_s, u"--format"_s};
    QTest::newRow("once and watch") << QStringList{u"--once"_s, u"--watch"_s};
}

void TestWatchMode::commandLine()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(QStringLiteral(QUOTARA_EXECUTABLE), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QCOMPARE(m_fixture.sim().requests().size(), 0);
}

// `--once` loads the rules, and while it fetches, another process adds a
// rule. The crossing it then stores keeps that rule.
void TestWatchMode::ruleAddedMeanwhileSurvivesAFiring()
{
    AlertRule fires = AlertConfig::defaultRules().first();
    fires.id = u"gold-any"_s;
    fires.threshold = 1; // any price is above it
    AlertRule added = fires;
    added.id = u"added-meanwhile"_s;
    added.threshold = 1e9; // never reached
    storeRules({fires});
    m_fixture.sim().setClock([this] { return m_open; });

    // Its first request means it has loaded what is stored.
    bool written = false;
    QObject context;
    connect(&m_fixture.sim(), &SimProvider::requestReceived, &context, [&] {
        if (!written)
            storeRules({fires, added});
        written = true;
    });
    Launch once(environment(m_open), {u"--once"_s});
    QTRY_VERIFY_WITH_TIMEOUT(!once.running(), 20000);
    QCOMPARE(once.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(once.process().exitCode(), 0);
    QVERIFY(written);

    const QList<AlertRule> rules = storedRules();
    QCOMPARE(rules.size(), 2);
    QCOMPARE(rules[0].id, fires.id);
    QVERIFY(rules[0].triggered);
    QCOMPARE(rules[1], added);
    QTRY_COMPARE(m_notifications.summaries(), QStringList{fires.targetName + u" 到价提醒"_s});
}

// Two watchers load the same armed rule; while the provider fails they
// evaluate nothing. Then both see the price above the threshold: one
// notification, from whichever stores the crossing first.
void TestWatchMode::aCrossingSeenByTwoNotifiesOnce()
{
    AlertRule rule = AlertConfig::defaultRules().first();
    rule.id = u"gold-any"_s;
    rule.threshold = 1;
    storeRules({rule});
    m_fixture.sim().setClock([this] { return m_open; });
    const int fault = m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::status(500),
                                               u"secids=113.aum"_s);
    Launch first(environment(m_open), {u"--watch"_s});
    Launch second(environment(m_open), {u"--watch"_s});
    QTRY_VERIFY_WITH_TIMEOUT(!first.lines.isEmpty() && !second.lines.isEmpty(), 10000);
    QCOMPARE(first.goodCycles() + second.goodCycles(), 0);
    QVERIFY(m_notifications.summaries().isEmpty());

    m_fixture.sim().removeFault(fault);
    QTRY_VERIFY_WITH_TIMEOUT(first.goodCycles() > 0 && second.goodCycles() > 0, 10000);
    QTRY_COMPARE(m_notifications.summaries(), QStringList{rule.targetName + u" 到价提醒"_s});
    // Another cycle of each, the price still above: still the one.
    const int firstSeen = first.goodCycles();
    const int secondSeen = second.goodCycles();
    QTRY_VERIFY_WITH_TIMEOUT(first.goodCycles() > firstSeen && second.goodCycles() > secondSeen,
                             10000);
    QCOMPARE(m_notifications.summaries().size(), 1);
    QVERIFY(storedRules().value(0).triggered);
}

void TestWatchMode::secondLaunch_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<bool>("bus");
    // "hands over": the second ends with 0 and the first opens its panel;
    // "turned away": the second ends with 0 and says why;
    // "runs": the second runs beside the first, which shows no panel.
    QTest::addColumn<QString>("outcome");
    const QStringList tray;
    const QStringList demo{u"--demo"_s};
    QTest::newRow("tray, tray") << tray << tray << true << u"hands over"_s;
    QTest::newRow("demo, demo") << demo << demo << true << u"hands over"_s;
    QTest::newRow("tray, tray, no bus") << tray << tray << false << u"turned away"_s;
    QTest::newRow("tray, demo: settings of its own") << tray << demo << true << u"runs"_s;
    QTest::newRow("tray, once") << tray << QStringList{u"--once"_s} << true << u"runs"_s;
    QTest::newRow("tray, watch") << tray << QStringList{u"--watch"_s} << true << u"runs"_s;
}

void TestWatchMode::secondLaunch()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(bool, bus);
    QFETCH(QString, outcome);
    m_fixture.sim().setClock([this] { return m_open; });
    QProcessEnvironment env = environment(m_open);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    if (!bus)
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + m_config->filePath(u"none"_s));
    const bool demo = first.contains(u"--demo"_s);
    const QString service = demo ? u"com.orlenby.quotara.demo"_s : u"com.orlenby.quotara"_s;
    const QString lock = m_config->filePath(demo ? u"orlenby/quotara-demo.conf.instance-lock"_s
                                                 : u"orlenby/quotara.conf.instance-lock"_s);
    const auto lockHolder = [&lock] {
        qint64 pid = 0;
        QLockFile(lock).getLockInfo(&pid, nullptr, nullptr);
        return pid;
    };

    auto app = std::make_unique<Launch>(env, first);
    QTRY_VERIFY_WITH_TIMEOUT(app->running() && lockHolder() == app->process().processId(), 10000);
    if (bus) {
        QTRY_VERIFY(onBus(service));
        QVERIFY(!panelVisible(service));
    }

    auto later = std::make_unique<Launch>(env, second);
    if (outcome == u"runs"_s) {
        if (second.contains(u"--demo"_s))
            QTRY_VERIFY_WITH_TIMEOUT(onBus(u"com.orlenby.quotara.demo"_s), 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(!later->lines.isEmpty(), 10000); // its JSON line
        QVERIFY(!panelVisible(service));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!later->running(), 10000);
        QCOMPARE(later->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(later->process().exitCode(), 0);
        QVERIFY(later->lines.isEmpty());
        const QString errors = QString::fromUtf8(later->process().readAllStandardError());
        if (outcome == u"hands over"_s) {
            QTRY_VERIFY(panelVisible(service));
        } else {
            QVERIFY2(errors.contains(u"quotara: already running (process %1)"_s.arg(
                         app->process().processId())),
                     qPrintable(errors));
        }
    }
    QVERIFY(app->running());
    later.reset();
    app.reset();
    // The next case starts with the names free.
    if (bus)
        QTRY_VERIFY(!onBus(service) && !onBus(u"com.orlenby.quotara.demo"_s));
}

QTEST_GUILESS_MAIN(TestWatchMode)
#include "tst_watchmode.moc"
