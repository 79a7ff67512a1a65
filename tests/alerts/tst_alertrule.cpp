#include "TestJson.h"
#include "alerts/AlertRule.h"
#include "config/AlertConfig.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestAlertRule : public QObject {
    Q_OBJECT
private slots:
    void storedForm_data();
    void storedForm();
    void decoding_data();
    void decoding();
    void markAndReset();
    void equalityCoversEveryField();
};

// The first default rule, written by hand from its table.
static const QByteArray kFirstDefault =
    R"j({"id":"gold-tp1","targetType":"黄金CNY","targetCode":"","targetName":"黄金(CNY/g)",)j"
    R"("direction":"≥","threshold":700,"label":"第1档止盈 · 建议卖1/3","enabled":true,"triggered":false})";

void TestAlertRule::storedForm_data()
{
    QTest::addColumn<QByteArray>("form");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("first default rule")
        << kFirstDefault << *AlertConfig::defaultRules().first().toJson();

    AlertRule fired{.id = u"F1E2D3C4-0000-4000-8000-000000000001"_s,
                    .targetType = AlertTargetType::fund,
                    .targetCode = u"161725"_s,
                    .targetName = u"招商中证白酒指数C"_s,
                    .direction = AlertDirection::below,
                    .threshold = -1.5,
                    .label = u"减仓"_s,
                    .enabled = false,
                    .triggered = true,
                    .triggeredAt =
                        QDateTime(QDate(2024, 6, 3), QTime(7, 0, 0, 500), QTimeZone::utc()),
                    .fundMetric = FundMetric::changePct};
    // 2024-06-03 07:00:00.5 UTC is 739090800.5 s after 2001-01-01.
    QTest::newRow("fired fund rule")
        << QByteArray(R"({"id":"F1E2D3C4-0000-4000-8000-000000000001","targetType":"基金",)"
                      R"("targetCode":"161725","targetName":"招商中证白酒指数C","direction":"≤",)"
                      R"("threshold":-1.5,"label":"减仓","enabled":false,"triggered":true,)"
                      R"("triggeredAt":739090800.5,"fundMetric":"涨跌幅"})")
        << *fired.toJson();
    AlertRule sector{.id = u"s"_s,
                     .targetType = AlertTargetType::sector,
                     .targetCode = u"BK0475"_s,
                     .targetName = u"半导体"_s,
                     .direction = AlertDirection::above,
                     .threshold = 3.25,
                     .label = u""_s,
                     .enabled = true,
                     .triggered = false,
                     .triggeredAt = {},
                     .fundMetric = FundMetric::nav};
    QTest::newRow("sector rule with metric")
        << QByteArray(
               R"({"id":"s","targetType":"板块","targetCode":"BK0475","targetName":"半导体",)"
               R"("direction":"≥","threshold":3.25,"label":"","enabled":true,"triggered":false,)"
               R"("fundMetric":"净值"})")
        << *sector.toJson();
    AlertRule halfPair = AlertConfig::defaultRules().first();
    halfPair.id = u"\xDE00"_s;
    halfPair.targetName = u"\xD83D"_s;
    QTest::newRow("half a surrogate pair")
        << QByteArray(
               R"j({"id":"\ude00","targetType":"黄金CNY","targetCode":"","targetName":"\ud83d",)j"
               R"("direction":"≥","threshold":700,"label":"第1档止盈 · 建议卖1/3","enabled":true,)"
               R"("triggered":false})")
        << *halfPair.toJson();
}

void TestAlertRule::storedForm()
{
    QFETCH(QByteArray, form);
    QFETCH(QByteArray, written);
    QCOMPARE(written, form);
    const auto decoded = AlertRule::fromJson(jsonObject(form));
    QVERIFY(decoded);
    QCOMPARE(decoded->toJson(), std::optional<QByteArray>(form));
}

void TestAlertRule::decoding_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("readable");

    auto with = [](const char* from, const char* to) {
        QByteArray json = kFirstDefault;
        json.replace(from, to);
        return json;
    };
    QTest::newRow("as stored") << kFirstDefault << true;
    QTest::newRow("optionals null")
        << with(R"("triggered":false)", R"("triggered":false,"triggeredAt":null,"fundMetric":null)")
        << true;
    QTest::newRow("extra key") << with(R"("enabled":true)", R"("enabled":true,"note":"x")") << true;
    QTest::newRow("direction as case name") << with("≥", "above") << false;
    QTest::newRow("unknown target type") << with("黄金CNY", "黄金USD") << false;
    QTest::newRow("unknown metric")
        << with(R"("triggered":false)", R"("triggered":false,"fundMetric":"nav")") << false;
    QTest::newRow("threshold as text") << with("700", R"("700")") << false;
    QTest::newRow("enabled as number") << with(R"("enabled":true)", R"("enabled":1)") << false;
    QTest::newRow("missing label") << with(R"("label":"第1档止盈 · 建议卖1/3",)", "") << false;
    QTest::newRow("triggeredAt as text")
        << with(R"("triggered":false)", R"("triggered":false,"triggeredAt":"2024-06-03")") << false;
    QTest::newRow("targetCode null") << with(R"("targetCode":"")", R"("targetCode":null)") << false;
}

void TestAlertRule::decoding()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, readable);
    QCOMPARE(AlertRule::fromJson(jsonObject(json)).has_value(), readable);
}

void TestAlertRule::markAndReset()
{
    AlertRule rule = AlertConfig::defaultRules().first();
    rule.enabled = false;
    const QDateTime at(QDate(2024, 6, 3), QTime(10, 0), QTimeZone::utc());
    rule.markTriggered(at);
    QVERIFY(rule.triggered);
    QCOMPARE(rule.triggeredAt, std::optional<QDateTime>(at));
    QVERIFY(!rule.enabled); // neither touches the switch
    rule.reset();
    QVERIFY(!rule.triggered);
    QVERIFY(!rule.triggeredAt);
    rule.reset(); // resetting an armed rule keeps it armed
    QVERIFY(!rule.triggered && !rule.triggeredAt);
    QVERIFY(!rule.enabled);
}

void TestAlertRule::equalityCoversEveryField()
{
    const AlertRule a = AlertConfig::defaultRules().first();
    AlertRule b = a;
    QCOMPARE(a, b);
    b.label += u"!"_s;
    QVERIFY(!(a == b));
    b = a;
    b.fundMetric = FundMetric::nav;
    QVERIFY(!(a == b));
}

QTEST_GUILESS_MAIN(TestAlertRule)
#include "tst_alertrule.moc"
