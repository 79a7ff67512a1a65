#include "alerts/AlertRuleForm.h"
#include "config/AlertConfig.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestAlertRuleForm : public QObject {
    Q_OBJECT
private slots:
    void threshold_data();
    void threshold();
    void targetTypeReactions();
    void emptyWatchListFallsBackToTheTypeName();
    void metricClearsTheThreshold();
    void newRule();
    void editKeepsIdSwitchAndFiredState();
};

static WatchConfig twoBoards()
{
    WatchConfig config = WatchConfig::defaultConfig();
    config.sectors = config.sectors.mid(0, 2); // BK0475 半导体, BK0547 黄金概念
    return config;
}

void TestAlertRuleForm::threshold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << u"700"_s << true << 700.0;
    QTest::newRow("negative decimal") << u"-2.5"_s << true << -2.5;
    QTest::newRow("exponent") << u"1e2"_s << true << 100.0;
    QTest::newRow("leading blank") << u" 700"_s << false << 0.0;
    QTest::newRow("trailing blank") << u"700 "_s << false << 0.0;
    QTest::newRow("leading tab") << u"\t700"_s << false << 0.0;
    QTest::newRow("thousands separator") << u"1,200"_s << false << 0.0;
    QTest::newRow("unit after") << u"700元"_s << false << 0.0;
    QTest::newRow("percent sign") << u"2.5%"_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("infinity") << u"inf"_s << false << 0.0;
    QTest::newRow("nan") << u"nan"_s << false << 0.0;
}

void TestAlertRuleForm::threshold()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);
    const auto parsed = AlertRuleForm::parseThreshold(text);
    QCOMPARE(parsed.has_value(), accepted);
    if (parsed)
        QCOMPARE(*parsed, value);
    // An unparsable threshold stores nothing.
    AlertRuleForm form(twoBoards());
    form.setThreshold(text);
    form.setLabel(u"x"_s);
    QCOMPARE(form.result().has_value(), accepted);
}

void TestAlertRuleForm::targetTypeReactions()
{
    AlertRuleForm form(twoBoards());
    QCOMPARE(form.targetName(), u"黄金(CNY/g)"_s);
    QCOMPARE(form.thresholdPlaceholder(), u"700.00"_s);

    form.setTargetType(AlertTargetType::sector);
    QCOMPARE(form.targetCode(), u"BK0475"_s); // the first board, preselected
    QCOMPARE(form.targetName(), u"半导体"_s);
    QCOMPARE(form.thresholdPlaceholder(), u"-2.50"_s);
    form.pickTarget(u"BK0547"_s);
    QCOMPARE(form.targetName(), u"黄金概念"_s);
    form.pickTarget(u"BK9999"_s);
    QCOMPARE(form.targetName(), QString());

    form.setTargetType(AlertTargetType::fund);
    QCOMPARE(form.targetCode(), u"161725"_s);
    QCOMPARE(form.targetName(), twoBoards().funds.first().name);
    QCOMPARE(form.thresholdPlaceholder(), u"1.50"_s);

    form.setTargetType(AlertTargetType::goldCNY);
    QCOMPARE(form.targetCode(), QString());
    QCOMPARE(form.targetName(), u"黄金(CNY/g)"_s);
}

void TestAlertRuleForm::emptyWatchListFallsBackToTheTypeName()
{
    WatchConfig none;
    AlertRuleForm form(none);
    form.setTargetType(AlertTargetType::sector);
    QCOMPARE(form.targetCode(), QString());
    form.setThreshold(u"3"_s);
    form.setLabel(u"注意"_s);
    // Such a rule could never fire: it is not to be saved.
    QCOMPARE(form.missingTarget(), u"请先在上方添加板块"_s);
    QVERIFY(!form.canSubmit());
    form.setTargetType(AlertTargetType::fund);
    QCOMPARE(form.submitBlocker(), u"请先在上方添加基金"_s);
    form.setTargetType(AlertTargetType::goldCNY);
    QVERIFY(form.canSubmit());
    form.setTargetType(AlertTargetType::sector);
    const auto rule = form.result();
    QVERIFY(rule);
    QCOMPARE(rule->targetName, u"板块"_s);
    QVERIFY(!rule->fundMetric); // only fund rules carry a metric
}

void TestAlertRuleForm::metricClearsTheThreshold()
{
    AlertRuleForm form(twoBoards());
    form.setTargetType(AlertTargetType::fund);
    form.setThreshold(u"1.5"_s);
    form.setLabel(u"注意"_s);
    QVERIFY(form.canSubmit());
    form.setFundMetric(FundMetric::changePct);
    QCOMPARE(form.threshold(), QString());
    QCOMPARE(form.thresholdPlaceholder(), u"-2.50"_s);
    QVERIFY(!form.canSubmit());
    form.setThreshold(u"-2"_s);
    const auto rule = form.result();
    QCOMPARE(rule->fundMetric, std::optional(FundMetric::changePct));
    QCOMPARE(rule->targetCode, u"161725"_s);
    QCOMPARE(rule->targetName, twoBoards().funds.first().name);
}

void TestAlertRuleForm::newRule()
{
    AlertRuleForm form(twoBoards());
    form.setDirection(AlertDirection::below);
    form.setThreshold(u"600"_s);
    form.setLabel(u"第1档止损 · 建议减半"_s);
    const auto rule = form.result();
    QVERIFY(rule);
    static const QRegularExpression canonical(
        u"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"_s);
    QVERIFY2(canonical.match(rule->id).hasMatch(), qPrintable(rule->id));
    QVERIFY(rule->enabled && !rule->triggered && !rule->triggeredAt);
    QCOMPARE(rule->targetType, AlertTargetType::goldCNY);
    QCOMPARE(rule->targetName, u"黄金(CNY/g)"_s);
    QCOMPARE(rule->threshold, 600.0);
    QVERIFY(form.result()->id != rule->id); // every rule its own id
}

void TestAlertRuleForm::editKeepsIdSwitchAndFiredState()
{
    AlertRule stored = AlertConfig::defaultRules().first();
    stored.enabled = false;
    stored.markTriggered(QDateTime(QDate(2024, 6, 3), QTime(10, 0), QTimeZone::utc()));
    AlertRuleForm form(twoBoards(), stored);
    QVERIFY(form.isEditing());
    QCOMPARE(form.threshold(), u"700.000"_s);
    form.setThreshold(u"720"_s);
    form.setLabel(u"改"_s);
    const auto rule = form.result([] { return u"never used"_s; });
    QVERIFY(rule);
    QCOMPARE(rule->id, stored.id);
    QCOMPARE(rule->enabled, false);
    QCOMPARE(rule->triggered, true);
    QCOMPARE(rule->triggeredAt, stored.triggeredAt);
    QCOMPARE(rule->threshold, 720.0);
    QCOMPARE(rule->label, u"改"_s);
}

QTEST_GUILESS_MAIN(TestAlertRuleForm)
#include "tst_alertruleform.moc"
