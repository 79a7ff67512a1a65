#include "alerts/AlertEngine.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestAlertEngine : public QObject {
    Q_OBJECT
private slots:
    void extractValues_data();
    void extractValues();
    void ruleKey_data();
    void ruleKey();
    void hysteresis_data();
    void hysteresis();
    void checkAll();
};

static AlertRule makeRule(AlertTargetType type, AlertDirection direction, double threshold,
                          std::optional<FundMetric> metric = {}, QString code = u"X"_s)
{
    return AlertRule{.id = u"r"_s,
                     .targetType = type,
                     .targetCode = std::move(code),
                     .targetName = u"n"_s,
                     .direction = direction,
                     .threshold = threshold,
                     .label = {},
                     .enabled = true,
                     .triggered = false,
                     .triggeredAt = {},
                     .fundMetric = metric};
}

void TestAlertEngine::extractValues_data()
{
    QTest::addColumn<QList<SectorQuote>>("sectors");
    QTest::addColumn<bool>("fundChangeMissing");
    QTest::addColumn<AlertEngine::Values>("expected");

    const AlertEngine::Values gold{{u"goldCNY"_s, 612.35}, {u"fund_nav_161725"_s, 0.8123}};
    auto with = [&](std::initializer_list<std::pair<QString, double>> more) {
        AlertEngine::Values values = gold;
        for (const auto& [key, value] : more)
            values.insert(key, value);
        return values;
    };
    QTest::newRow("every figure") << QList<SectorQuote>{{u"BK0475"_s, u"a"_s, 1000, 1.5, 990, 1},
                                                        {u"BK0475"_s, u"a"_s, 1000, 2.5, 990, 1}}
                                  << false
                                  << with({{u"sector_BK0475"_s, 2.5}, // the later one wins
                                           {u"fund_pct_161725"_s, -1.23}});
    // A placeholder is no value: its rules neither fire nor re-arm on it.
    QTest::newRow("board change placeholder")
        << QList<SectorQuote>{{u"BK0475"_s, u"a"_s, 1000, std::nullopt, 990, 1},
                              {u"BK1128"_s, u"b"_s, std::nullopt, -0.5, 990, std::nullopt}}
        << false << with({{u"sector_BK1128"_s, -0.5}, {u"fund_pct_161725"_s, -1.23}});
    QTest::newRow("a later placeholder leaves the earlier figure")
        << QList<SectorQuote>{{u"BK0475"_s, u"a"_s, 1000, 1.5, 990, 1},
                              {u"BK0475"_s, u"a"_s, 1000, std::nullopt, 990, 1}}
        << false << with({{u"sector_BK0475"_s, 1.5}, {u"fund_pct_161725"_s, -1.23}});
    QTest::newRow("fund change not yet published") << QList<SectorQuote>{} << true << gold;
}

void TestAlertEngine::extractValues()
{
    QFETCH(QList<SectorQuote>, sectors);
    QFETCH(bool, fundChangeMissing);
    GoldQuote gold;
    gold.priceCNY = 612.35;
    FundDetail fund;
    fund.quote = FundQuote{.code = u"161725"_s,
                           .name = u"f"_s,
                           .nav = 0.8123,
                           .navChangePct = fundChangeMissing ? 0.0 : -1.23,
                           .navDate = {},
                           .navChangeMissing = fundChangeMissing};
    fund.estNav = 9.99; // estimates never reach the alerts
    fund.estChangePct = 9.99;
    QTEST(AlertEngine::extractValues(gold, sectors, {fund}), "expected");
    QVERIFY(!AlertEngine::extractValues(std::nullopt, {}, {}).contains(u"goldCNY"_s));
}

void TestAlertEngine::ruleKey_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("metric"); // -1 absent
    QTest::addColumn<QString>("key");
    QTest::newRow("gold") << int(AlertTargetType::goldCNY) << int(FundMetric::changePct)
                          << u"goldCNY"_s;
    QTest::newRow("sector") << int(AlertTargetType::sector) << -1 << u"sector_X"_s;
    QTest::newRow("fund pct") << int(AlertTargetType::fund) << int(FundMetric::changePct)
                              << u"fund_pct_X"_s;
    QTest::newRow("fund nav") << int(AlertTargetType::fund) << int(FundMetric::nav)
                              << u"fund_nav_X"_s;
    QTest::newRow("fund no metric") << int(AlertTargetType::fund) << -1 << u"fund_nav_X"_s;
}

void TestAlertEngine::ruleKey()
{
    QFETCH(int, type);
    QFETCH(int, metric);
    const auto rule = makeRule(AlertTargetType(type), AlertDirection::above, 1,
                               metric < 0 ? std::nullopt : std::optional(FundMetric(metric)));
    QTEST(AlertEngine::ruleKey(rule), "key");
}

// Stands in a sequence for a refresh that had no value for the rule's figure
// (a placeholder): the key is left out of that evaluation.
constexpr double kAbsent = -std::numeric_limits<double>::infinity();

// A rule walked through a sequence of values; each step records what the
// engine decided ("T" fire, "R" re-arm, "-" nothing) and applies it.
void TestAlertEngine::hysteresis_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("metric");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QString>("decisions");

    const int gold = int(AlertTargetType::goldCNY), sector = int(AlertTargetType::sector),
              fund = int(AlertTargetType::fund);
    const int above = int(AlertDirection::above), below = int(AlertDirection::below);
    QTest::newRow("gold above 700")
        << gold << above << -1 << 700.0 << QList<double>{699.99, 700.0, 701, 699, 696.5, 696.4, 700}
        << u"-T---RT"_s;
    QTest::newRow("gold below 600")
        << gold << below << -1 << 600.0 << QList<double>{600, 590, 603, 603.01, 600} << u"T--RT"_s;
    QTest::newRow("sector above 3")
        << sector << above << -1 << 3.0 << QList<double>{3.0, 2.5, 2.49, 3.1} << u"T-RT"_s;
    QTest::newRow("sector below -2") << sector << below << -1 << -2.0
                                     << QList<double>{-1.99, -2.0, -1.5, -1.49, -2.5} << u"-T-RT"_s;
    QTest::newRow("fund change above 1.5") << fund << above << int(FundMetric::changePct) << 1.5
                                           << QList<double>{1.5, 1.0, 0.99} << u"T-R"_s;
    QTest::newRow("fund nav above 1.5") << fund << above << int(FundMetric::nav) << 1.5
                                        << QList<double>{1.5, 1.4925, 1.4924} << u"T-R"_s;
    QTest::newRow("fund without metric is nav")
        << fund << above << -1 << 1.5 << QList<double>{1.5, 1.4925, 1.4924} << u"T-R"_s;
    QTest::newRow("NaN does nothing")
        << gold << above << -1 << 700.0 << QList<double>{qQNaN(), 700, qQNaN()} << u"-T-"_s;
    QTest::newRow("sector above 3, placeholders between")
        << sector << above << -1 << 3.0
        << QList<double>{3.0, kAbsent, 3.1, kAbsent, 2.49, kAbsent, 3.0} << u"T---R-T"_s;
    QTest::newRow("sector below -2, placeholders between")
        << sector << below << -1 << -2.0 << QList<double>{kAbsent, -2.5, kAbsent, kAbsent, -2.6}
        << u"-T---"_s;
    QTest::newRow("fund change not yet published")
        << fund << below << int(FundMetric::changePct) << -1.0
        << QList<double>{kAbsent, -1.2, kAbsent, -1.3} << u"-T--"_s;
}

void TestAlertEngine::hysteresis()
{
    QFETCH(int, type);
    QFETCH(int, direction);
    QFETCH(int, metric);
    QFETCH(double, threshold);
    QFETCH(QList<double>, values);
    QFETCH(QString, decisions);
    AlertRule rule = makeRule(AlertTargetType(type), AlertDirection(direction), threshold,
                              metric < 0 ? std::nullopt : std::optional(FundMetric(metric)));
    QString actual;
    for (double v : values) {
        const AlertEngine::Values given =
            v == kAbsent ? AlertEngine::Values{}
                         : AlertEngine::Values{{AlertEngine::ruleKey(rule), v}};
        const auto d = AlertEngine::checkAll({rule}, given);
        QVERIFY(d.trigger.isEmpty() || d.reset.isEmpty());
        if (!d.trigger.isEmpty()) {
            actual += u'T';
            rule.markTriggered();
        } else if (!d.reset.isEmpty()) {
            actual += u'R';
            rule.reset();
        } else {
            actual += u'-';
        }
    }
    QCOMPARE(actual, decisions);
}

void TestAlertEngine::checkAll()
{
    QList<AlertRule> rules{
        makeRule(AlertTargetType::goldCNY, AlertDirection::above, 700),              // 0 fires
        makeRule(AlertTargetType::fund, AlertDirection::above, 1, {}, u"MISSING"_s), // 1 no data
        makeRule(AlertTargetType::goldCNY, AlertDirection::below, 600),              // 2 re-arms
        makeRule(AlertTargetType::goldCNY, AlertDirection::above, 650),              // 3 off, fired
        makeRule(AlertTargetType::goldCNY, AlertDirection::above, 600),              // 4 fires
        makeRule(AlertTargetType::fund, AlertDirection::above, 1, {},
                 u"MISSING"_s), // 5 fired, no data
    };
    rules[1].triggered = false;
    rules[2].markTriggered();
    rules[3].enabled = false;
    rules[3].triggered = true;
    rules[5].markTriggered();
    const auto d = AlertEngine::checkAll(rules, {{u"goldCNY"_s, 710}});
    QCOMPARE(d.trigger, (QList<int>{0, 4}));
    QCOMPARE(d.reset, (QList<int>{2}));
    // With no gold quote, every gold rule is skipped.
    const auto none = AlertEngine::checkAll(rules, {});
    QVERIFY(none.trigger.isEmpty() && none.reset.isEmpty());
}

QTEST_GUILESS_MAIN(TestAlertEngine)
#include "tst_alertengine.moc"
