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
    void merge_data();
    void merge();
    void firedStateChanges_data();
    void firedStateChanges();
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

// Rules written compactly: "a b:5 c* d!" is rule a, rule b with threshold 5,
// rule c fired, rule d switched off.
static QList<AlertRule> rulesFrom(const QString& text)
{
    QList<AlertRule> rules;
    for (QString token : text.split(u' ', Qt::SkipEmptyParts)) {
        AlertRule r = rule(QString());
        if (token.endsWith(u'!')) {
            r.enabled = false;
            token.chop(1);
        }
        if (token.endsWith(u'*')) {
            r.markTriggered(QDateTime::fromSecsSinceEpoch(1'780'000'000));
            token.chop(1);
        }
        r.id = token.section(u':', 0, 0);
        if (token.contains(u':'))
            r.threshold = token.section(u':', 1).toDouble();
        rules.append(r);
    }
    return rules;
}

static QString textOf(const QList<AlertRule>& rules)
{
    QStringList tokens;
    for (const AlertRule& r : rules) {
        QString token = r.id;
        if (r.threshold != 1)
            token += u':' + QString::number(r.threshold);
        tokens.append(token + (r.triggered ? u"*"_s : QString()) +
                      (r.enabled ? QString() : u"!"_s));
    }
    return tokens.join(u' ');
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

void TestAlertConfig::merge_data()
{
    // `ours` is what this process made of `base`; `theirs` is what another
    // process stored meanwhile.
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("merged");
    QTest::newRow("nothing stored meanwhile: ours, order and all")
        << u"a b"_s << u"b a:3 c"_s << u"a b"_s << u"b a:3 c"_s;
    QTest::newRow("added here, after what was added there")
        << u"a"_s << u"a x"_s << u"a y"_s << u"a y x"_s;
    QTest::newRow("removed here") << u"a b"_s << u"a"_s << u"a b y"_s << u"a y"_s;
    QTest::newRow("changed here, fired there: ours")
        << u"a b"_s << u"a b:5"_s << u"a* b"_s << u"a* b:5"_s;
    QTest::newRow("changed in both: ours") << u"a b"_s << u"a b:5"_s << u"a b:7"_s << u"a b:5"_s;
    QTest::newRow("changed here, removed there: stays removed")
        << u"a b"_s << u"a b:5"_s << u"a"_s << u"a"_s;
    QTest::newRow("removed here, changed there: removed")
        << u"a b"_s << u"a"_s << u"a b:7!"_s << u"a"_s;
    QTest::newRow("same id added in both: ours") << u"a"_s << u"a x:1"_s << u"a x:2"_s << u"a x"_s;
    QTest::newRow("all removed here, one added there")
        << u"a b"_s << QString() << u"a b y"_s << u"y"_s;
}

void TestAlertConfig::merge()
{
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(QString, merged);
    QCOMPARE(textOf(AlertConfig::merge(rulesFrom(base), rulesFrom(ours), rulesFrom(theirs))),
             merged);
}

void TestAlertConfig::firedStateChanges_data()
{
    QTest::addColumn<QString>("call");      // "mark" or "rearm"
    QTest::addColumn<QString>("loaded");    // stored when this process loaded the list
    QTest::addColumn<QString>("meanwhile"); // stored since by another process; empty: nothing
    QTest::addColumn<bool>("changed");      // what the call says
    QTest::addColumn<QString>("stored");    // after it
    QTest::newRow("armed: marked") << u"mark"_s << u"a b"_s << QString() << true << u"a* b"_s;
    QTest::newRow("fired: not again") << u"mark"_s << u"a* b"_s << QString() << false << u"a* b"_s;
    QTest::newRow("switched off: not marked")
        << u"mark"_s << u"a! b"_s << QString() << false << u"a! b"_s;
    QTest::newRow("gone: nothing") << u"mark"_s << u"b"_s << QString() << false << u"b"_s;
    QTest::newRow("fired meanwhile by another: not again")
        << u"mark"_s << u"a b"_s << u"a* b"_s << false << u"a* b"_s;
    QTest::newRow("switched off meanwhile: not marked")
        << u"mark"_s << u"a b"_s << u"a! b"_s << false << u"a! b"_s;
    QTest::newRow("rule added meanwhile is kept")
        << u"mark"_s << u"a b"_s << u"a b c"_s << true << u"a* b c"_s;
    QTest::newRow("removed meanwhile: stays removed")
        << u"mark"_s << u"a b"_s << u"b"_s << false << u"b"_s;
    QTest::newRow("fired: re-armed") << u"rearm"_s << u"a* b"_s << QString() << true << u"a b"_s;
    QTest::newRow("armed: nothing to re-arm")
        << u"rearm"_s << u"a b"_s << QString() << false << u"a b"_s;
    QTest::newRow("re-armed meanwhile: not again")
        << u"rearm"_s << u"a* b"_s << u"a b"_s << false << u"a b"_s;
}

void TestAlertConfig::firedStateChanges()
{
    QFETCH(QString, call);
    QFETCH(QString, loaded);
    QFETCH(QString, meanwhile);
    QFETCH(bool, changed);
    QFETCH(QString, stored);
    rawSettings().setValue(AlertConfig::key, *AlertConfig::encode(rulesFrom(loaded)));
    AlertConfig config;
    if (!meanwhile.isNull())
        AlertConfig().setRules(rulesFrom(meanwhile));
    const QDateTime at = QDateTime::fromSecsSinceEpoch(1'790'000'000);
    QCOMPARE(call == u"mark"_s ? config.markTriggeredIfArmed(u"a"_s, at)
                               : config.rearmIfTriggered(u"a"_s),
             changed);
    QCOMPARE(textOf(*AlertConfig::decode(::stored())), stored);
    // What is shown is what is stored, also when nothing was written.
    QCOMPARE(config.rules(), *AlertConfig::decode(::stored()));
    if (changed && call == u"mark"_s)
        QCOMPARE(config.rules().first().triggeredAt, std::optional<QDateTime>(at));
}

QTEST_GUILESS_MAIN(TestAlertConfig)
#include "tst_alertconfig.moc"
