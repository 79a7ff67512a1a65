#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "ui/panel/AlertRuleList.h"
#include "ui/panel/GoldToggle.h"

#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(AlertRule)

class TestAlertRuleList : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { clearPreferences(); }
    void rowTexts_data();
    void rowTexts();
    void firedTime_data();
    void firedTime();
    void groupsInStoreOrder();
    void collapsedGroupsSurviveARestart();
    void masterSwitchAndDimming();
    void badge_data();
    void badge();
    void contextMenu();
    void emptyList();

private:
    std::unique_ptr<MenuBarController> makeController(const QList<AlertRule>& rules)
    {
        auto controller = std::make_unique<MenuBarController>(
            MenuBarController::Options{.now = {}, .startTimers = false});
        controller->alertConfig().setRules(rules);
        return controller;
    }
};

static AlertRule rule(const QString& id, AlertTargetType type, const QString& code,
                      double threshold = 1, bool enabled = true)
{
    AlertRule r;
    r.id = id;
    r.targetType = type;
    r.targetCode = code;
    r.targetName = code.isEmpty() ? u"黄金(CNY/g)"_s : u"名称"_s + code;
    r.threshold = threshold;
    r.label = u"提醒 "_s + id;
    r.enabled = enabled;
    if (type == AlertTargetType::fund)
        r.fundMetric = FundMetric::nav;
    return r;
}

void TestAlertRuleList::initTestCase()
{
    SimFixture::pointOriginsAt(u"http://127.0.0.1:9"_s);
}

void TestAlertRuleList::rowTexts_data()
{
    QTest::addColumn<AlertRule>("rule");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<QString>("threshold");
    AlertRule gold = rule(u"g"_s, AlertTargetType::goldCNY, {}, 700);
    AlertRule board = rule(u"b"_s, AlertTargetType::sector, u"BK0475"_s, -2.5);
    board.direction = AlertDirection::below;
    AlertRule nav = rule(u"n"_s, AlertTargetType::fund, u"161725"_s, 1.5);
    AlertRule change = nav;
    change.fundMetric = FundMetric::changePct;
    change.threshold = -3;
    AlertRule noMetric = nav;
    noMetric.fundMetric.reset();
    noMetric.threshold = 0.8766;
    QTest::newRow("gold") << gold << u"↑ 止盈"_s << u"700.00"_s;
    QTest::newRow("board") << board << u"↓ 止损"_s << u"-2.50%"_s;
    QTest::newRow("fund value") << nav << u"↑ 止盈"_s << u"1.500"_s;
    QTest::newRow("fund change") << change << u"↑ 止盈"_s << u"-3.00%"_s;
    QTest::newRow("fund without metric") << noMetric << u"↑ 止盈"_s << u"0.877"_s;
}

void TestAlertRuleList::rowTexts()
{
    QFETCH(AlertRule, rule);
    QTEST(AlertRuleRow::directionText(rule.direction), "direction");
    QTEST(AlertRuleRow::thresholdText(rule), "threshold");
}

void TestAlertRuleList::firedTime_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::addColumn<bool>("hasTime");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("line");
    QTest::newRow("armed") << false << false << u"zh_CN"_s << u"提醒 r"_s;
    QTest::newRow("fired, 24-hour locale") << true << true << u"zh_CN"_s << u"已触发 14:05"_s;
    QTest::newRow("fired, AM/PM locale") << true << true << u"en_US"_s << u"已触发 2:05 PM"_s;
    QTest::newRow("fired without a time") << true << false << u"zh_CN"_s << u"提醒 r"_s;
}

void TestAlertRuleList::firedTime()
{
    QFETCH(bool, triggered);
    QFETCH(bool, hasTime);
    QFETCH(QString, locale);
    AlertRule r = rule(u"r"_s, AlertTargetType::goldCNY, {});
    r.triggered = triggered;
    if (hasTime)
        r.triggeredAt = QDateTime(QDate(2026, 3, 2), QTime(14, 5), Qt::LocalTime);
    QString line = AlertRuleRow::secondLine(r, QLocale(locale));
    line.replace(QChar(0x202f), u' '); // some locales put a narrow space before PM
    QTEST(line, "line");
}

void TestAlertRuleList::groupsInStoreOrder()
{
    auto controller = makeController({
        rule(u"1"_s, AlertTargetType::sector, u"BK0475"_s),
        rule(u"2"_s, AlertTargetType::goldCNY, {}),
        rule(u"3"_s, AlertTargetType::sector, u"BK0475"_s),
        rule(u"4"_s, AlertTargetType::fund, u"BK0475"_s),
    });
    AlertRuleList list(controller->alertConfig());
    QStringList ids;
    QStringList rowIds;
    for (AlertGroupView* group : list.groups()) {
        ids.append(group->group().id);
        for (AlertRuleRow* row : group->rows())
            rowIds.append(row->rule().id);
    }
    QCOMPARE(ids, (QStringList{u"板块|BK0475"_s, u"黄金CNY|"_s, u"基金|BK0475"_s}));
    QCOMPARE(rowIds, (QStringList{u"1"_s, u"3"_s, u"2"_s, u"4"_s}));
    QCOMPARE(list.groups().first()->header()->badgeText(), u"2 条"_s);
}

void TestAlertRuleList::collapsedGroupsSurviveARestart()
{
    const QList<AlertRule> rules = {rule(u"1"_s, AlertTargetType::sector, u"BK0475"_s),
                                    rule(u"2"_s, AlertTargetType::fund, u"161725"_s),
                                    rule(u"3"_s, AlertTargetType::goldCNY, {})};
    auto controller = makeController(rules);
    {
        AlertRuleList list(controller->alertConfig());
        list.resize(360, 400);
        list.show();
        QTest::mouseClick(list.groups()[0]->header(), Qt::LeftButton);
        QCOMPARE(list.collapsedGroupsRaw(), u"板块|BK0475"_s);
        QVERIFY(list.groups()[0]->rows().isEmpty());
        QVERIFY(list.groups()[0]->header()->isCollapsed());
        QTest::mouseClick(list.groups()[1]->header(), Qt::LeftButton);
        QCOMPARE(rawSettings().value(RuleGroups::collapsedGroupsKey).toString(),
                 u"基金|161725,板块|BK0475"_s);
    }
    // A new list (the next start) opens with the same groups collapsed.
    AlertRuleList again(controller->alertConfig());
    QCOMPARE(again.groups()[0]->rows().size(), 0);
    QCOMPARE(again.groups()[1]->rows().size(), 0);
    QCOMPARE(again.groups()[2]->rows().size(), 1);
    again.toggleCollapse(u"板块|BK0475"_s);
    QCOMPARE(again.collapsedGroupsRaw(), u"基金|161725"_s);
    QCOMPARE(again.groups()[0]->rows().size(), 1);
}

void TestAlertRuleList::masterSwitchAndDimming()
{
    auto controller =
        makeController({rule(u"1"_s, AlertTargetType::goldCNY, {}, 700, false),
                        rule(u"2"_s, AlertTargetType::goldCNY, {}, 600, false),
                        rule(u"3"_s, AlertTargetType::sector, u"BK0475"_s, 2, false)});
    AlertRuleList list(controller->alertConfig());
    list.resize(360, 400);
    list.show();
    QVERIFY(!list.masterSwitch()->isChecked());
    for (AlertGroupView* group : list.groups())
        QCOMPARE(group->opacity(), AlertGroupView::dimmedOpacity);

    // One rule switched on: its group lights up, and so does the master switch.
    const QPointer<AlertRuleRow> row = list.groups()[0]->rows()[1];
    row->setFocus();
    QTest::mouseClick(row->toggle(), Qt::LeftButton);
    QVERIFY(controller->alertConfig().rules()[1].enabled);
    // That row changed in place: nothing was rebuilt under the user's hand.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(row);
    QCOMPARE(list.groups()[0]->rows()[1], row.data());
    QVERIFY(row->rule().enabled && row->toggle()->isChecked());
    AlertRule edited = row->rule();
    edited.threshold = 650;
    controller->alertConfig().update(edited);
    QCOMPARE(list.groups()[0]->rows()[1], row.data());
    QCOMPARE(row->thresholdLabelText(), AlertRuleRow::thresholdText(edited));
    QVERIFY(list.masterSwitch()->isChecked());
    QCOMPARE(list.groups()[0]->opacity(), 1.0);
    QCOMPARE(list.groups()[1]->opacity(), AlertGroupView::dimmedOpacity);

    QTest::mouseClick(list.masterSwitch(), Qt::LeftButton); // all off
    for (const AlertRule& r : controller->alertConfig().rules())
        QVERIFY(!r.enabled);
    QTest::mouseClick(list.masterSwitch(), Qt::LeftButton); // all on
    for (const AlertRule& r : controller->alertConfig().rules())
        QVERIFY(r.enabled);
    QCOMPARE(list.groups()[1]->opacity(), 1.0);
}

void TestAlertRuleList::badge_data()
{
    QTest::addColumn<bool>("triggered");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("alerting");
    QTest::newRow("fired and on") << true << true << true;
    QTest::newRow("fired but off") << true << false << false;
    QTest::newRow("armed") << false << true << false;
}

void TestAlertRuleList::badge()
{
    QFETCH(bool, triggered);
    QFETCH(bool, enabled);
    AlertRule fired = rule(u"1"_s, AlertTargetType::goldCNY, {}, 700, enabled);
    fired.triggered = triggered;
    auto controller = makeController({fired, rule(u"2"_s, AlertTargetType::goldCNY, {}, 600)});
    AlertRuleList list(controller->alertConfig());
    QTEST(list.groups().first()->header()->isBadgeAlerting(), "alerting");
}

void TestAlertRuleList::contextMenu()
{
    auto controller = makeController(
        {rule(u"1"_s, AlertTargetType::goldCNY, {}), rule(u"2"_s, AlertTargetType::goldCNY, {})});
    AlertRuleList list(controller->alertConfig());
    QSignalSpy edits(&list, &AlertRuleList::editRequested);
    QMenu* menu = list.groups()[0]->rows()[1]->contextMenu();
    QStringList texts;
    for (QAction* action : menu->actions())
        texts.append(action->text());
    QCOMPARE(texts, (QStringList{u"编辑"_s, u"删除"_s}));

    menu->actions()[0]->trigger();
    QCOMPARE(edits.size(), 1);
    QCOMPARE(edits.first().first().value<AlertRule>().id, u"2"_s);

    // Not only through the menu: a double click, or Return on the row that
    // has the focus, and the row's tool tip says so.
    AlertRuleRow* row = list.groups()[0]->rows()[0];
    QVERIFY(row->toolTip().contains(u"双击"_s));
    QTest::mouseDClick(row, Qt::LeftButton);
    QCOMPARE(edits.size(), 2);
    QCOMPARE(edits.last().first().value<AlertRule>().id, u"1"_s);
    QTest::keyClick(row, Qt::Key_Return);
    QCOMPARE(edits.size(), 3);
    QVERIFY(row->focusPolicy() & Qt::TabFocus);

    menu->actions()[1]->trigger();
    QCOMPARE(controller->alertConfig().rules().size(), 1);
    QCOMPARE(controller->alertConfig().rules().first().id, u"1"_s);
    QCOMPARE(list.groups()[0]->rows().size(), 1);
}

void TestAlertRuleList::emptyList()
{
    auto controller = makeController({});
    AlertRuleList list(controller->alertConfig());
    QVERIFY(list.isShowingEmptyText());
    QVERIFY(list.groups().isEmpty());
    controller->alertConfig().add(rule(u"1"_s, AlertTargetType::goldCNY, {}));
    QVERIFY(!list.isShowingEmptyText());
    QCOMPARE(list.groups().size(), 1);
}

QTEST_MAIN(TestAlertRuleList)
#include "tst_alertrulelist.moc"
