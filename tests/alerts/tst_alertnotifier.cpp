#include "alerts/AlertNotifier.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QTimeZone>

#include <clocale>
#include <cstdio>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

// Records what it was asked to show; the test plays the desktop's answers.
class RecordingChannel : public NotificationChannel {
    Q_OBJECT
public:
    explicit RecordingChannel(QString name = {}, QStringList* journal = nullptr)
        : m_name(std::move(name)), m_journal(journal)
    {}
    void send(const QString& identifier, const QString& title, const QString& body) override
    {
        sent << QStringList{identifier, title, body};
        unanswered << identifier;
        if (m_journal)
            *m_journal << m_name + u' ' + identifier;
    }
    void probe() override { ++probes; }

    // Answers every send not yet answered, in order, as the desktop would.
    void answer(bool shown)
    {
        for (const QString& identifier : std::exchange(unanswered, {})) {
            if (shown)
                emit delivered(identifier);
            else
                emit failed(identifier, u"拒绝"_s);
        }
    }

    QList<QStringList> sent;
    QStringList unanswered;
    int probes = 0;

private:
    QString m_name;
    QStringList* m_journal;
};

class TestAlertNotifier : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void ignoresLocale();
    void appleScript_data();
    void appleScript();
    void routing_data();
    void routing();
    void reprobe_data();
    void reprobe();
    void failureGoesToStandardOutput();
    void clicks();
};

void TestAlertNotifier::texts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("metric"); // -1 absent
    QTest::addColumn<bool>("above");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("body");

    const int gold = int(AlertTargetType::goldCNY), sector = int(AlertTargetType::sector),
              fund = int(AlertTargetType::fund), nav = int(FundMetric::nav),
              pct = int(FundMetric::changePct);
    QTest::newRow("gold above")
        << gold << pct << true << 700.0 << 701.35 << u"黄金(CNY/g)"_s << u"第1档止盈 · 建议卖1/3"_s
        << u"黄金(CNY/g) 已涨到 701.35（阈值 700.00）\n第1档止盈 · 建议卖1/3"_s;
    QTest::newRow("gold below rounds") << gold << -1 << false << 600.0 << 599.996 << u"金"_s
                                       << u"补"_s << u"金 已跌到 600.00（阈值 600.00）\n补"_s;
    QTest::newRow("sector") << sector << -1 << true << 3.0 << 3.1234 << u"半导体"_s << u"x"_s
                            << u"半导体 已涨到 3.12%（阈值 3.00%）\nx"_s;
    QTest::newRow("sector negative") << sector << -1 << false << -2.0 << -2.5 << u"银行"_s << u"x"_s
                                     << u"银行 已跌到 -2.50%（阈值 -2.00%）\nx"_s;
    QTest::newRow("fund change") << fund << pct << true << 1.5 << 1.567 << u"基"_s << u"x"_s
                                 << u"基 已涨到 1.57%（阈值 1.50%）\nx"_s;
    QTest::newRow("fund nav") << fund << nav << false << 1.2 << 1.19 << u"基"_s << u"x"_s
                              << u"基 已跌到 1.190（阈值 1.200）\nx"_s;
    QTest::newRow("fund without metric is nav") << fund << -1 << true << 1.0 << 1.2346 << u"基"_s
                                                << u"x"_s << u"基 已涨到 1.235（阈值 1.000）\nx"_s;
    QTest::newRow("empty label keeps the line feed")
        << gold << -1 << true << 1.0 << 2.0 << u"金"_s << QString()
        << u"金 已涨到 2.00（阈值 1.00）\n"_s;
    QTest::newRow("quote and backslash shown as typed")
        << gold << -1 << true << 1.0 << 2.0 << u"a\"b\\"_s << u"c\\"_s
        << u"a\"b\\ 已涨到 2.00（阈值 1.00）\nc\\"_s;
}

static AlertRule makeRule(int type, int metric, bool above, double threshold, QString name = {},
                          QString label = {})
{
    AlertRule rule;
    rule.id = u"rule-1"_s;
    rule.targetType = AlertTargetType(type);
    rule.targetName = std::move(name);
    rule.direction = above ? AlertDirection::above : AlertDirection::below;
    rule.threshold = threshold;
    rule.label = std::move(label);
    if (metric >= 0)
        rule.fundMetric = FundMetric(metric);
    return rule;
}

void TestAlertNotifier::texts()
{
    QFETCH(int, type);
    QFETCH(int, metric);
    QFETCH(bool, above);
    QFETCH(double, threshold);
    QFETCH(double, value);
    QFETCH(QString, name);
    QFETCH(QString, label);
    const AlertRule rule = makeRule(type, metric, above, threshold, name, label);
    QCOMPARE(AlertNotifier::title(rule), name + u" 到价提醒"_s);
    QTEST(AlertNotifier::body(rule, value), "body");
}

void TestAlertNotifier::ignoresLocale()
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        QSKIP("no German locale installed");
    const AlertRule rule = makeRule(int(AlertTargetType::fund), -1, true, 1.5);
    const QString text = AlertNotifier::formatNumber(rule, 1.19);
    std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(text, u"1.190"_s);
}

void TestAlertNotifier::appleScript_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("script");
    QTest::newRow("plain") << u"金 到价提醒"_s << u"第1档\n止盈"_s
                           << u"display notification \"第1档\n止盈\" with title \"金 到价提醒\" "
                              u"sound name \"default\""_s;
    QTest::newRow("quotes") << u"\"a\""_s << u"b\""_s
                            << u"display notification \"b\\\"\" with title \"\\\"a\\\"\" "
                               u"sound name \"default\""_s;
    // A trailing backslash would otherwise escape the closing quote.
    QTest::newRow("backslashes") << u"a\\"_s << u"\\\"b"_s
                                 << u"display notification \"\\\\\\\"b\" with title \"a\\\\\" "
                                    u"sound name \"default\""_s;
}

void TestAlertNotifier::appleScript()
{
    QFETCH(QString, title);
    QFETCH(QString, body);
    QTEST(AlertNotifier::appleScript(title, body), "script");
}

void TestAlertNotifier::routing_data()
{
    QTest::addColumn<bool>("withPrimary");
    QTest::addColumn<bool>("withFallback");
    QTest::addColumn<QList<bool>>("answers"); // availabilityKnown from the primary, in order
    QTest::addColumn<int>("unAvailable");     // -1 absent
    QTest::addColumn<bool>("primaryShows");   // how each channel answers the send
    QTest::addColumn<bool>("fallbackShows");
    QTest::addColumn<int>("primarySends");
    QTest::addColumn<int>("fallbackSends");
    QTest::addColumn<bool>("undelivered");

    // Whatever the channels say, a crossing is shown once, or reported.
    QTest::newRow("unknown, primary shows")
        << true << true << QList<bool>{} << -1 << true << true << 1 << 0 << false;
    QTest::newRow("unknown, primary refuses")
        << true << true << QList<bool>{} << -1 << false << true << 1 << 1 << false;
    QTest::newRow("unknown, both refuse")
        << true << true << QList<bool>{} << -1 << false << false << 1 << 1 << true;
    QTest::newRow("delivers: primary")
        << true << true << QList<bool>{true} << 1 << true << true << 1 << 0 << false;
    QTest::newRow("delivers, refuses this one")
        << true << true << QList<bool>{true} << 1 << false << true << 1 << 1 << false;
    QTest::newRow("does not: fallback")
        << true << true << QList<bool>{false} << 0 << true << true << 0 << 1 << false;
    QTest::newRow("does not, fallback refuses")
        << true << true << QList<bool>{false} << 0 << true << false << 0 << 1 << true;
    QTest::newRow("later answer wins: up")
        << true << true << QList<bool>{false, true} << 1 << true << true << 1 << 0 << false;
    QTest::newRow("later answer wins: down")
        << true << true << QList<bool>{true, false} << 0 << true << true << 0 << 1 << false;
    QTest::newRow("no primary") << false << true << QList<bool>{} << -1 << true << true << 0 << 1
                                << false;
    QTest::newRow("no primary, fallback refuses")
        << false << true << QList<bool>{} << -1 << true << false << 0 << 1 << true;
    QTest::newRow("no fallback") << true << false << QList<bool>{false} << 0 << true << true << 0
                                 << 0 << true;
    QTest::newRow("no fallback, primary refuses")
        << true << false << QList<bool>{} << -1 << false << true << 1 << 0 << true;
    QTest::newRow("no channel") << false << false << QList<bool>{} << -1 << true << true << 0 << 0
                                << true;
}

void TestAlertNotifier::routing()
{
    QFETCH(bool, withPrimary);
    QFETCH(bool, withFallback);
    QFETCH(QList<bool>, answers);
    QFETCH(int, unAvailable);
    QFETCH(bool, primaryShows);
    QFETCH(bool, fallbackShows);
    QFETCH(bool, undelivered);
    RecordingChannel primary, fallback;
    AlertNotifier notifier(withPrimary ? &primary : nullptr, withFallback ? &fallback : nullptr);
    const QDateTime now(QDate(2024, 6, 4), QTime(10, 0), QTimeZone::utc());
    notifier.setClock([now] { return now; }); // the answers below are fresh
    QSignalSpy reported(&notifier, &AlertNotifier::undelivered);
    QSignalSpy changed(&notifier, &AlertNotifier::undeliveredAlertsChanged);

    notifier.requestPermission();
    QCOMPARE(primary.probes, withPrimary ? 1 : 0);
    for (bool answer : answers)
        emit primary.availabilityKnown(answer);
    QCOMPARE(notifier.unAvailable(),
             unAvailable < 0 ? std::nullopt : std::optional(unAvailable > 0));

    const AlertRule rule = makeRule(int(AlertTargetType::goldCNY), -1, true, 700, u"金"_s, u"l"_s);
    notifier.sendNotification(rule, 701);
    primary.answer(primaryShows);
    fallback.answer(fallbackShows);
    const QStringList expected{rule.id, AlertNotifier::title(rule), AlertNotifier::body(rule, 701)};
    QTEST(int(primary.sent.size()), "primarySends");
    QTEST(int(fallback.sent.size()), "fallbackSends");
    for (const auto& sent : primary.sent + fallback.sent)
        QCOMPARE(sent, expected);

    const QString text = u"通知无法送达：金 已涨到 701.00（阈值 700.00） l"_s;
    QCOMPARE(notifier.undeliveredAlerts(), undelivered ? QStringList{text} : QStringList{});
    QCOMPARE(reported.size(), undelivered ? 1 : 0);
    if (undelivered)
        QCOMPARE(reported.first().first().toString(), text);
    QCOMPARE(changed.size(), undelivered ? 1 : 0);
}

// Steps: "yes"/"no" is the primary's answer to the probe outstanding; "alert S"
// fires rule rN (the Nth alert) S seconds after the first probe. Routes are
// where each alert went, in the order sent.
void TestAlertNotifier::reprobe_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("probes");
    QTest::addColumn<QStringList>("routes");
    QTest::newRow("up later: asked again, shown by the service")
        << QStringList{u"no"_s, u"alert 60"_s, u"yes"_s} << 2 << QStringList{u"primary r1"_s};
    QTest::newRow("asked at most once a minute")
        << QStringList{u"no"_s,        u"alert 59"_s,  u"alert 61"_s, u"no"_s,
                       u"alert 120"_s, u"alert 121"_s, u"yes"_s,      u"alert 200"_s}
        << 3
        << QStringList{u"fallback r1"_s, u"fallback r2"_s, u"fallback r3"_s, u"primary r4"_s,
                       u"primary r5"_s};
    QTest::newRow("alerts during the probe wait for its answer")
        << QStringList{u"no"_s, u"alert 60"_s, u"alert 61"_s, u"yes"_s} << 2
        << QStringList{u"primary r1"_s, u"primary r2"_s};
    QTest::newRow("still down: the fallback")
        << QStringList{u"no"_s, u"alert 90"_s, u"no"_s} << 2 << QStringList{u"fallback r1"_s};
    QTest::newRow("clock set back asks again")
        << QStringList{u"no"_s, u"alert -3600"_s, u"yes"_s} << 2 << QStringList{u"primary r1"_s};
    QTest::newRow("delivering: never asked again")
        << QStringList{u"yes"_s, u"alert 600"_s} << 1 << QStringList{u"primary r1"_s};
    QTest::newRow("first answer pending: not asked twice")
        << QStringList{u"alert 120"_s, u"no"_s} << 1 << QStringList{u"primary r1"_s};
}

void TestAlertNotifier::reprobe()
{
    QFETCH(QStringList, steps);
    QStringList routes;
    RecordingChannel primary(u"primary"_s, &routes), fallback(u"fallback"_s, &routes);
    AlertNotifier notifier(&primary, &fallback);
    const QDateTime start(QDate(2024, 6, 4), QTime(8, 30), QTimeZone::utc());
    QDateTime now = start;
    notifier.setClock([&now] { return now; });
    notifier.requestPermission();

    int alerts = 0;
    for (const QString& step : steps) {
        const QStringList words = step.split(u' ');
        if (words[0] == u"alert"_s) {
            now = start.addSecs(words[1].toInt());
            AlertRule rule = makeRule(int(AlertTargetType::goldCNY), -1, true, 700, u"金"_s);
            rule.id = u'r' + QString::number(++alerts);
            notifier.sendNotification(rule, 701);
        } else {
            emit primary.availabilityKnown(words[0] == u"yes"_s);
        }
    }
    QTEST(primary.probes, "probes");
    QTEST(routes, "routes");
}

// What `action` writes to the process's standard output, read back through a
// file so that output bypassing Qt is caught too.
static QByteArray captureStdout(const std::function<void()>& action)
{
    QTemporaryFile file;
    if (!file.open())
        return "no temporary file";
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(file.handle(), STDOUT_FILENO);
    action();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    QFile written(file.fileName());
    return written.open(QIODevice::ReadOnly) ? written.readAll() : "unreadable";
}

void TestAlertNotifier::failureGoesToStandardOutput()
{
    RecordingChannel primary, fallback;
    AlertNotifier notifier(&primary, &fallback);
    const QByteArray output = captureStdout([&] {
        emit fallback.failed(u"rule-1"_s, u"bubble"_s); // the fallback has nothing to say
        emit primary.failed(u"rule-1"_s, u"服务拒绝: 太多"_s);
    });
    QCOMPARE(output, u"UN 通知发送失败: 服务拒绝: 太多\n"_s.toUtf8());
}

void TestAlertNotifier::clicks()
{
    RecordingChannel primary, fallback;
    AlertNotifier notifier(&primary, &fallback);
    emit primary.activated(u"before"_s); // no callback yet: nothing happens

    QStringList tapped;
    notifier.onNotificationTap = [&](const QString& id) { tapped << id; };
    emit primary.activated(u"gold-tp1"_s);
    emit fallback.activated(u"fund-1"_s);
    QCOMPARE(tapped, (QStringList{u"gold-tp1"_s, u"fund-1"_s}));
}

QTEST_GUILESS_MAIN(TestAlertNotifier)
#include "tst_alertnotifier.moc"
