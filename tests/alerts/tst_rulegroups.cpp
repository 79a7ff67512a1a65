#include "alerts/RuleGroups.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRuleGroups : public QObject {
    Q_OBJECT
private slots:
    void grouping_data();
    void grouping();
    void collapsed_data();
    void collapsed();
    void groupState();
};

static AlertRule rule(const QString& id, AlertTargetType type, const QString& code,
                      const QString& name = u"名"_s)
{
    return AlertRule{.id = id,
                     .targetType = type,
                     .targetCode = code,
                     .targetName = name,
                     .direction = AlertDirection::above,
                     .threshold = 1,
                     .label = {},
                     .enabled = true,
                     .triggered = false,
                     .triggeredAt = {},
                     .fundMetric = {}};
}

void TestRuleGroups::grouping_data()
{
    using T = AlertTargetType;
    QTest::addColumn<QList<AlertRule>>("rules");
    QTest::addColumn<QStringList>("groups"); // "id: rule ids"
    QTest::newRow("same board apart, placed at its first rule")
        << QList{rule(u"a"_s, T::sector, u"BK0475"_s), rule(u"b"_s, T::goldCNY, {}),
                 rule(u"c"_s, T::sector, u"BK0475"_s)}
        << QStringList{u"板块|BK0475: a c"_s, u"黄金CNY|: b"_s};
    QTest::newRow("type is part of the key")
        << QList{rule(u"a"_s, T::goldCNY, u"X"_s), rule(u"b"_s, T::sector, u"X"_s)}
        << QStringList{u"黄金CNY|X: a"_s, u"板块|X: b"_s};
    QTest::newRow("no rules") << QList<AlertRule>{} << QStringList{};
}

void TestRuleGroups::grouping()
{
    QFETCH(QList<AlertRule>, rules);
    QFETCH(QStringList, groups);
    QStringList actual;
    for (const RuleGroups::RuleGroup& g : RuleGroups::group(rules)) {
        QStringList ids;
        for (const AlertRule& r : g.rules)
            ids.append(r.id);
        actual.append(g.id + u": "_s + ids.join(u' '));
        QCOMPARE(g.name, g.rules.first().targetName);
        QCOMPARE(g.targetType, g.rules.first().targetType);
    }
    QCOMPARE(actual, groups);
}

void TestRuleGroups::collapsed_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("toggled");
    QTest::addColumn<QString>("stored");
    QTest::newRow("collapse first") << QString() << u"板块|BK0475"_s << u"板块|BK0475"_s;
    QTest::newRow("second sorts first")
        << u"板块|BK0475"_s << u"基金|161725"_s << u"基金|161725,板块|BK0475"_s;
    QTest::newRow("expand again") << u"基金|161725,板块|BK0475"_s << u"板块|BK0475"_s
                                  << u"基金|161725"_s;
    QTest::newRow("empty pieces dropped")
        << u",,基金|161725,"_s << u"黄金CNY|"_s << u"基金|161725,黄金CNY|"_s;
    QTest::newRow("last one out") << u"黄金CNY|"_s << u"黄金CNY|"_s << QString();
}

void TestRuleGroups::collapsed()
{
    QFETCH(QString, raw);
    QFETCH(QString, toggled);
    QFETCH(QString, stored);
    QCOMPARE(RuleGroups::toggleCollapsed(raw, toggled), stored);
}

void TestRuleGroups::groupState()
{
    RuleGroups::RuleGroup g{u"板块|BK0475"_s,
                            AlertTargetType::sector,
                            u"半导体"_s,
                            {rule(u"a"_s, AlertTargetType::sector, u"BK0475"_s),
                             rule(u"b"_s, AlertTargetType::sector, u"BK0475"_s)}};
    g.rules[0].triggered = true;
    g.rules[0].enabled = false; // fired but switched off: no orange badge
    QVERIFY(RuleGroups::anyEnabled(g));
    QVERIFY(!RuleGroups::anyFiredAndEnabled(g));
    g.rules[1].enabled = false;
    QVERIFY(!RuleGroups::anyEnabled(g));
    g.rules[0].enabled = true;
    QVERIFY(RuleGroups::anyFiredAndEnabled(g));
    QCOMPARE(RuleGroups::readCollapsed(u",a,,b,a"_s), (QSet<QString>{u"a"_s, u"b"_s}));
}

QTEST_GUILESS_MAIN(TestRuleGroups)
#include "tst_rulegroups.moc"
