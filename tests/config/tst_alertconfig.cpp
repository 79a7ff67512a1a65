#include "PreferencesSandbox.h"
#include "config/AlertConfig.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestAlertConfig : public QObject {
    Q_OBJECT
private slots:
    void init() { clearPreferences(); }
    void firstStartHasTheFiveTiers();
    void loading_data();
    void loading();
    void duplicateIds();
    void toggleKeepsFiredState();
    void setAllEnabledWritesOncePerRule();
    void updateStatus();
    void firedStateSurvivesARestart();
    void unencodableListIsNotWritten();
};

static QByteArray stored()
{
    return rawSettings().value(AlertConfig::key).toByteArray();
}

static AlertRule rule(const QString& id, double threshold = 1)
{
    return AlertRule{.id = id,
                     .targetType = AlertTargetType::sector,
                     .targetCode = u"BK0475"_s,
                     .targetName = u"半导体"_s,
                     .direction = AlertDirection::above,
                     .threshold = threshold,
                     .label = u"注意"_s,
                     .enabled = true,
                     .triggered = false,
                     .triggeredAt = {},
                     .fundMetric = {}};
}

void TestAlertConfig::firstStartHasTheFiveTiers()
{
    AlertConfig config;
    QStringList ids;
    for (const AlertRule& r : config.rules()) {
        ids.append(r.id);
        QVERIFY(r.enabled && !r.triggered && !r.triggeredAt && !r.fundMetric);
        QCOMPARE(r.targetName, u"黄金(CNY/g)"_s);
    }
    QCOMPARE(ids, (QStringList{u"gold-tp1"_s, u"gold-tp2"_s, u"gold-tp3"_s, u"gold-sl1"_s,
                               u"gold-sl2"_s}));
    QCOMPARE(config.rules()[4].label, u"第2档止损 · 建议清仓"_s);
    QCOMPARE(config.rules()[3].direction, AlertDirection::below);
    QVERIFY(!rawSettings().contains(AlertConfig::key));
}

void TestAlertConfig::loading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count"); // -1: the defaults
    const QByteArray good = *rule(u"a"_s).toJson();
    QByteArray bad = good;
    bad.replace("板块", "行业");
    QTest::newRow("empty list stays empty") << QByteArray("[]") << 0;
    QTest::newRow("two rules") << "[" + good + "," + good + "]" << 2;
    QTest::newRow("one bad rule discards all") << "[" + good + "," + bad + "]" << -1;
    QTest::newRow("object instead of list") << good << -1;
    QTest::newRow("null element") << "[" + good + ",null]" << -1;
    QTest::newRow("garbage") << QByteArray("not json") << -1;
}

void TestAlertConfig::loading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    rawSettings().setValue(AlertConfig::key, bytes);
    AlertConfig config;
    if (count < 0) {
        QCOMPARE(config.rules(), AlertConfig::defaultRules());
        QCOMPARE(stored(), bytes); // left alone until the first change
        config.add(rule(u"new"_s));
        // ... and then kept aside rather than lost.
        QCOMPARE(rawSettings().value(AlertConfig::key + u".unreadable"_s).toByteArray(), bytes);
        QCOMPARE(config.rules().size(), 6);
    } else {
        QCOMPARE(config.rules().size(), count);
        config.add(rule(u"new"_s));
        QVERIFY(!rawSettings().contains(AlertConfig::key + u".unreadable"_s));
    }
    QCOMPARE(stored(), *AlertConfig::encode(config.rules()));
}

void TestAlertConfig::duplicateIds()
{
    rawSettings().setValue(AlertConfig::key, QByteArray("[]"));
    AlertConfig config;
    config.add(rule(u"x"_s, 1));
    config.add(rule(u"x"_s, 2));
    QCOMPARE(config.rules().size(), 2);

    AlertRule edited = rule(u"x"_s, 5);
    config.update(edited);
    QCOMPARE(config.rules()[0].threshold, 5.0); // only the first
    QCOMPARE(config.rules()[1].threshold, 2.0);
    config.toggle(rule(u"x"_s));
    QVERIFY(!config.rules()[0].enabled);
    QVERIFY(config.rules()[1].enabled);

    QSignalSpy writes(&config, &AlertConfig::rulesChanged);
    config.update(rule(u"missing"_s));
    config.toggle(rule(u"missing"_s));
    QCOMPARE(writes.size(), 0);

    config.remove(rule(u"x"_s));
    QVERIFY(config.rules().isEmpty());
    config.remove(rule(u"missing"_s)); // writes the unchanged list
    QCOMPARE(writes.size(), 2);
    QCOMPARE(stored(), QByteArray("[]"));
}

void TestAlertConfig::toggleKeepsFiredState()
{
    AlertConfig config;
    config.updateStatus(0, true);
    const auto firedAt = config.rules()[0].triggeredAt;
    QVERIFY(firedAt);
    AlertRule stale = config.rules()[0];
    stale.triggered = false; // the passed value's other fields are not used
    config.toggle(stale);
    QVERIFY(!config.rules()[0].enabled);
    QVERIFY(config.rules()[0].triggered);
    QCOMPARE(config.rules()[0].triggeredAt, firedAt);
}

void TestAlertConfig::setAllEnabledWritesOncePerRule()
{
    AlertConfig config;
    QSignalSpy writes(&config, &AlertConfig::rulesChanged);
    config.setAllEnabled(false);
    QCOMPARE(writes.size(), 5);
    for (const AlertRule& r : config.rules())
        QVERIFY(!r.enabled);
    config.setRules({});
    writes.clear();
    config.setAllEnabled(true);
    QCOMPARE(writes.size(), 0);
}

void TestAlertConfig::updateStatus()
{
    const QDateTime now(QDate(2024, 6, 3), QTime(2, 30), QTimeZone::utc());
    AlertConfig config(nullptr, [now] { return now; });
    QSignalSpy writes(&config, &AlertConfig::rulesChanged);
    config.updateStatus(5, true); // past the end
    QCOMPARE(writes.size(), 0);
    QVERIFY(!rawSettings().contains(AlertConfig::key));

    config.updateStatus(0, true);
    QVERIFY(config.rules()[0].triggered);
    QCOMPARE(config.rules()[0].triggeredAt, std::optional<QDateTime>(now));
    QCOMPARE(stored(), *AlertConfig::encode(config.rules()));
    QVERIFY(stored().contains(R"("triggered":true,"triggeredAt":739074600})"));

    config.updateStatus(0, false);
    QVERIFY(!config.rules()[0].triggered);
    QVERIFY(!config.rules()[0].triggeredAt);
    QCOMPARE(writes.size(), 2);
}

void TestAlertConfig::firedStateSurvivesARestart()
{
    {
        AlertConfig config;
        config.updateStatus(3, true);
    }
    AlertConfig next;
    QVERIFY(next.rules()[3].triggered);
    QVERIFY(next.rules()[3].triggeredAt);
    QVERIFY(!next.rules()[2].triggered);
}

void TestAlertConfig::unencodableListIsNotWritten()
{
    AlertConfig config;
    config.add(rule(u"ok"_s));
    const QByteArray before = stored();
    config.add(rule(u"nan"_s, std::numeric_limits<double>::quiet_NaN()));
    QCOMPARE(config.rules().size(), 7);
    QCOMPARE(stored(), before); // the previous list stays in place
}

QTEST_GUILESS_MAIN(TestAlertConfig)
#include "tst_alertconfig.moc"
