#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "app/MenuBarController.h"
#include "market/Money.h"
#include "ui/panel/AlertRuleList.h"
#include "ui/panel/AlertRuleSheet.h"
#include "ui/panel/ConfirmSheet.h"
#include "ui/panel/FormTextField.h"
#include "ui/panel/HoldingSheet.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/SegmentedTabs.h"
#include "ui/panel/SettingsView.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestAlertRuleSheet : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { clearPreferences(); }
    void targetTypeReactions();
    void metricClearsTheTypedThreshold();
    void confirm_data();
    void confirm();
    void nothingWatchedToPick_data();
    void nothingWatchedToPick();
    void editKeepsIdSwitchAndFiredState();
    void sheetIsModalOverThePanel();
    void holdingSheet_data();
    void holdingSheet();
    void opensInItsFirstField_data();
    void opensInItsFirstField();

private:
    std::unique_ptr<MenuBarController> makeController()
    {
        auto controller = std::make_unique<MenuBarController>(
            MenuBarController::Options{.now = {}, .startTimers = false});
        controller->alertConfig().setRules({});
        return controller;
    }
    // Key presses for what a keyboard types directly, an input method's
    // commit for the rest.
    static void typeInto(FormTextField* field, const QString& text)
    {
        field->clear();
        field->setFocus();
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(field, text);
        else
            field->insert(text);
    }
};

void TestAlertRuleSheet::initTestCase()
{
    SimFixture::pointOriginsAt(u"http://127.0.0.1:9"_s);
}

void TestAlertRuleSheet::targetTypeReactions()
{
    auto controller = makeController();
    AddAlertSheet sheet(controller->alertConfig(), controller->configStore());
    sheet.show();
    QCOMPARE(sheet.title(), u"添加预警规则"_s);
    QCOMPARE(sheet.size(), QSize(360, 440));
    QVERIFY(!sheet.isTargetSectionShown());
    QVERIFY(!sheet.isFundMetricSectionShown());
    QCOMPARE(sheet.thresholdField()->placeholderText(), u"700.00"_s);

    SegmentedTabs* types = sheet.targetTypeTabs();
    QTest::mouseClick(types, Qt::LeftButton, {}, types->segmentRect(1).center());
    QVERIFY(sheet.isTargetSectionShown());
    QVERIFY(!sheet.isFundMetricSectionShown());
    QComboBox* menu = sheet.targetMenu();
    QCOMPARE(menu->count(), 3);
    QCOMPARE(menu->itemText(0), u"半导体 (BK0475)"_s);
    QCOMPARE(menu->currentIndex(), 0);
    QCOMPARE(sheet.form().targetCode(), u"BK0475"_s);
    QCOMPARE(sheet.thresholdField()->placeholderText(), u"-2.50"_s);
    menu->setCurrentIndex(1);
    emit menu->activated(1);
    QCOMPARE(sheet.form().targetCode(), u"BK0547"_s);
    QCOMPARE(sheet.form().targetName(), u"黄金概念"_s);

    QTest::mouseClick(types, Qt::LeftButton, {}, types->segmentRect(2).center());
    QVERIFY(sheet.isFundMetricSectionShown());
    QCOMPARE(menu->itemText(0), u"招商中证白酒指数C (161725)"_s);
    QCOMPARE(sheet.thresholdField()->placeholderText(), u"1.50"_s);

    QTest::mouseClick(types, Qt::LeftButton, {}, types->segmentRect(0).center());
    QVERIFY(!sheet.isTargetSectionShown());
    QCOMPARE(sheet.form().targetCode(), QString());
    QCOMPARE(sheet.form().targetName(), u"黄金(CNY/g)"_s);
}

void TestAlertRuleSheet::metricClearsTheTypedThreshold()
{
    auto controller = makeController();
    AddAlertSheet sheet(controller->alertConfig(), controller->configStore());
    sheet.show();
    SegmentedTabs* types = sheet.targetTypeTabs();
    QTest::mouseClick(types, Qt::LeftButton, {}, types->segmentRect(2).center());
    typeInto(sheet.thresholdField(), u"1.5"_s);
    typeInto(sheet.labelField(), u"净值到了"_s);
    QVERIFY(sheet.confirmButton()->isEnabled());
    SegmentedTabs* metric = sheet.fundMetricTabs();
    QTest::mouseClick(metric, Qt::LeftButton, {}, metric->segmentRect(1).center());
    QCOMPARE(sheet.thresholdField()->text(), QString());
    QCOMPARE(sheet.thresholdField()->placeholderText(), u"-2.50"_s);
    QVERIFY(!sheet.confirmButton()->isEnabled());
}

void TestAlertRuleSheet::confirm_data()
{
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<bool>("stored");
    QTest::newRow("integer") << u"700"_s << true;
    QTest::newRow("exponent") << u"1e2"_s << true;
    QTest::newRow("thousands separator") << u"1,200"_s << false;
    QTest::newRow("trailing blank") << u"700 "_s << false;
}

void TestAlertRuleSheet::confirm()
{
    QFETCH(QString, threshold);
    QFETCH(bool, stored);
    auto controller = makeController();
    AddAlertSheet sheet(controller->alertConfig(), controller->configStore());
    sheet.show();
    QSignalSpy finished(&sheet, &AlertRuleSheet::finished);
    typeInto(sheet.thresholdField(), threshold);
    QVERIFY(!sheet.confirmButton()->isEnabled()); // no reminder text yet
    typeInto(sheet.labelField(), u"到了"_s);
    QTest::mouseClick(sheet.confirmButton(), Qt::LeftButton);

    QCOMPARE(controller->alertConfig().rules().size(), stored ? 1 : 0);
    // A number that does not read keeps the sheet open and says so.
    QCOMPARE(finished.size(), stored ? 1 : 0);
    QCOMPARE(sheet.isThresholdErrorShown(), !stored);
    if (stored) {
        const AlertRule rule = controller->alertConfig().rules().first();
        QCOMPARE(rule.threshold, AlertRuleForm::parseThreshold(threshold).value());
        QCOMPARE(rule.targetName, u"黄金(CNY/g)"_s);
        QVERIFY(rule.enabled && !rule.triggered);
    } else {
        typeInto(sheet.thresholdField(), u"1200"_s);
        QVERIFY(!sheet.isThresholdErrorShown());
        QTest::keyClick(sheet.thresholdField(), Qt::Key_Return);
        QCOMPARE(controller->alertConfig().rules().size(), 1);
        QCOMPARE(finished.size(), 1);
    }
}

void TestAlertRuleSheet::nothingWatchedToPick_data()
{
    QTest::addColumn<int>("type"); // the segment: 1 board, 2 fund
    QTest::addColumn<QString>("message");
    QTest::newRow("board") << 1 << u"请先在上方添加板块"_s;
    QTest::newRow("fund") << 2 << u"请先在上方添加基金"_s;
}

void TestAlertRuleSheet::nothingWatchedToPick()
{
    QFETCH(int, type);
    QFETCH(QString, message);
    auto controller = makeController();
    WatchConfig empty = controller->configStore().config();
    empty.sectors.clear();
    empty.funds.clear();
    controller->configStore().setConfig(empty);
    AddAlertSheet sheet(controller->alertConfig(), controller->configStore());
    sheet.show();
    QCOMPARE(sheet.confirmButton()->toolTip(), u"请填写阈值"_s); // says why it is off
    SegmentedTabs* types = sheet.targetTypeTabs();
    QTest::mouseClick(types, Qt::LeftButton, {}, types->segmentRect(type).center());
    typeInto(sheet.thresholdField(), u"3"_s);
    typeInto(sheet.labelField(), u"注意"_s);

    // A rule that could never fire is not saved; the sheet says what to do.
    QCOMPARE(sheet.missingTargetText(), message);
    QVERIFY(!sheet.targetMenu()->isVisible());
    QVERIFY(!sheet.confirmButton()->isEnabled());
    QCOMPARE(sheet.confirmButton()->toolTip(), message);
    QTest::keyClick(sheet.thresholdField(), Qt::Key_Return);
    QVERIFY(controller->alertConfig().rules().isEmpty());

    // Gold needs no pick.
    QTest::mouseClick(types, Qt::LeftButton, {}, types->segmentRect(0).center());
    QCOMPARE(sheet.missingTargetText(), QString());
    QVERIFY(sheet.confirmButton()->isEnabled());
    QCOMPARE(sheet.confirmButton()->toolTip(), QString());
}

void TestAlertRuleSheet::editKeepsIdSwitchAndFiredState()
{
    auto controller = makeController();
    AlertRule stored = AlertConfig::defaultRules().first(); // gold ≥ 700
    stored.enabled = false;
    stored.markTriggered(QDateTime(QDate(2026, 3, 2), QTime(14, 5), QTimeZone::utc()));
    controller->alertConfig().setRules({stored, AlertConfig::defaultRules()[1]});

    EditAlertSheet sheet(controller->alertConfig(), controller->configStore(), stored);
    sheet.show();
    QCOMPARE(sheet.title(), u"编辑预警规则"_s);
    QCOMPARE(sheet.confirmButton()->text(), u"保存"_s);
    QVERIFY(!sheet.targetTypeTabs()->isEnabled());
    QCOMPARE(sheet.thresholdField()->text(), u"700.000"_s);
    QCOMPARE(sheet.labelField()->text(), stored.label);
    typeInto(sheet.thresholdField(), u"720.5"_s);
    SegmentedTabs* direction = sheet.directionTabs();
    QTest::mouseClick(direction, Qt::LeftButton, {}, direction->segmentRect(1).center());
    QTest::mouseClick(sheet.confirmButton(), Qt::LeftButton);

    const QList<AlertRule> rules = controller->alertConfig().rules();
    QCOMPARE(rules.size(), 2);
    AlertRule expected = stored;
    expected.threshold = 720.5;
    expected.direction = AlertDirection::below;
    QCOMPARE(rules.first(), expected);
    QCOMPARE(rules[1], AlertConfig::defaultRules()[1]);
}

void TestAlertRuleSheet::sheetIsModalOverThePanel()
{
    auto controller = makeController();
    MainPanelView panel(*controller);
    panel.show();
    panel.setShowSettings(true);
    SettingsView* settings = panel.settingsView();
    settings->openAddRuleSheet();
    auto* sheet = panel.findChild<AddAlertSheet*>();
    QVERIFY(sheet);
    QVERIFY(sheet->isVisible());
    // Centred over the panel; nothing under it takes a click or a key.
    QCOMPARE(sheet->mapTo(&panel, QPoint(0, 0)), QPoint(20, 30));
    QVERIFY(!settings->isEnabled());
    QVERIFY(sheet->isEnabled());

    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!panel.findChild<AddAlertSheet*>());
    QVERIFY(settings->isEnabled());
    QCOMPARE(controller->alertConfig().rules().size(), 0);

    // Escape cancels too.
    settings->openAddRuleSheet();
    sheet = panel.findChild<AddAlertSheet*>();
    QVERIFY(sheet);
    QTest::keyClick(sheet->labelField(), Qt::Key_Escape);
    QTRY_VERIFY(!panel.findChild<AddAlertSheet*>());
}

void TestAlertRuleSheet::opensInItsFirstField_data()
{
    QTest::addColumn<QString>("sheet"); // which sheet, opened as the user opens it
    QTest::newRow("add a rule") << u"add"_s;
    QTest::newRow("edit a gold rule") << u"edit gold"_s;
    QTest::newRow("edit a board rule") << u"edit board"_s;
    QTest::newRow("a fund's holding") << u"holding"_s;
    QTest::newRow("asked before removing a held fund") << u"confirm"_s;
}

void TestAlertRuleSheet::opensInItsFirstField()
{
    QFETCH(QString, sheet);
    auto controller = makeController();
    const SectorConfig board = controller->configStore().config().sectors.first();
    const QString fund = controller->configStore().config().funds.first().code;
    controller->holdingsStore().setFund(
        fund, Profit::Position{.quantity = Money::unitsPerOne, .cost = {}});
    MainPanelView panel(*controller);
    panel.show();
    panel.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    panel.setShowSettings(true);
    SettingsView* settings = panel.settingsView();
    if (sheet.startsWith(u"edit"_s)) {
        AlertRule rule = AlertConfig::defaultRules().first();
        if (sheet == u"edit board"_s) {
            rule.targetType = AlertTargetType::sector;
            rule.targetCode = board.code;
            rule.targetName = board.name;
        }
        controller->alertConfig().setRules({rule});
        QTest::keyClick(settings->ruleList()->groups().first()->rows().first(), Qt::Key_Return);
    } else if (sheet == u"holding"_s) {
        QTest::keyClick(settings->fundRow(fund), Qt::Key_Return);
    } else if (sheet == u"confirm"_s) {
        settings->askRemoveFund(fund);
    } else {
        settings->openAddRuleSheet();
    }
    // Past the type tabs and the target list: the first thing to type in;
    // where there is nothing to type, the first button.
    QWidget* expected = nullptr;
    if (auto* rules = panel.findChild<AlertRuleSheet*>())
        expected = rules->thresholdField();
    else if (auto* holding = panel.findChild<HoldingSheet*>())
        expected = holding->quantityField();
    else if (auto* confirm = panel.findChild<ConfirmSheet*>())
        expected = confirm->cancelButton();
    QVERIFY(expected);
    QCOMPARE(QApplication::focusWidget(), expected);
}

Q_DECLARE_METATYPE(HoldingForm::Target)

// The holding sheet reads its two fields exactly and says what is wrong
// under the field, staying open; what it saves is what was typed.
void TestAlertRuleSheet::holdingSheet_data()
{
    QTest::addColumn<HoldingForm::Target>("target");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<QString>("quantityError");
    QTest::addColumn<QString>("costError");
    QTest::addColumn<QString>("stored"); // "quantity cost" as stored; empty: nothing
    const auto fund = HoldingForm::Target::fund;
    const auto gold = HoldingForm::Target::gold;
    QTest::newRow("shares and cost")
        << fund << u"10000.5"_s << u"0.9512"_s << QString() << QString() << u"10000.50 0.9512"_s;
    QTest::newRow("shares only, typed by an input method")
        << fund << u"１２，０００"_s << QString() << QString() << QString() << u"12000.00 -"_s;
    QTest::newRow("negative shares")
        << fund << u"-5"_s << QString() << u"份额须为非负数字"_s << QString() << QString();
    QTest::newRow("letters") << fund << u"abc"_s << u"1"_s << u"份额须为非负数字"_s << QString()
                             << QString();
    QTest::newRow("three decimals of a share")
        << fund << u"1.005"_s << QString() << u"份额最多两位小数"_s << QString() << QString();
    QTest::newRow("no shares") << fund << QString() << u"1"_s << u"请输入份额"_s << QString()
                               << QString();
    QTest::newRow("too many shares")
        << fund << u"10000000000"_s << QString() << u"份额超出范围"_s << QString() << QString();
    QTest::newRow("cost with five decimals")
        << fund << u"100"_s << u"0.12345"_s << QString() << u"成本价最多四位小数"_s << QString();
    QTest::newRow("both wrong") << fund << u"1.5.5"_s << u"-1"_s << u"份额须为非负数字"_s
                                << u"成本价须为非负数字"_s << QString();
    QTest::newRow("zero shares are a holding")
        << fund << u"0"_s << u"1.2"_s << QString() << QString() << u"0.00 1.2000"_s;
    QTest::newRow("grams to four decimals")
        << gold << u"20.1234"_s << u"480"_s << QString() << QString() << u"20.1234 480.0000"_s;
    QTest::newRow("five decimals of a gram")
        << gold << u"1.23456"_s << QString() << u"克数最多四位小数"_s << QString() << QString();
}

void TestAlertRuleSheet::holdingSheet()
{
    QFETCH(HoldingForm::Target, target);
    QFETCH(QString, quantity);
    QFETCH(QString, cost);
    QFETCH(QString, stored);
    auto controller = makeController();
    HoldingsStore& store = controller->holdingsStore();
    HoldingSheet sheet(store, target, u"161725"_s, u"白酒"_s);
    sheet.show();
    QCOMPARE(sheet.title(), target == HoldingForm::Target::fund ? u"编辑持仓"_s : u"黄金持仓"_s);
    // Nothing held yet: nothing to clear.
    QVERIFY(!sheet.clearButton()->isVisible());
    QSignalSpy finished(&sheet, &HoldingSheet::finished);
    typeInto(sheet.quantityField(), quantity);
    typeInto(sheet.costField(), cost);
    QTest::keyClick(sheet.costField(), Qt::Key_Return);

    QTEST(sheet.quantityError(), "quantityError");
    QTEST(sheet.costError(), "costError");
    const std::optional<Profit::Position> held = target == HoldingForm::Target::fund
                                                     ? store.holdings().fund(u"161725"_s)
                                                     : store.holdings().gold;
    QCOMPARE(finished.size(), stored.isEmpty() ? 0 : 1);
    QCOMPARE(held.has_value(), !stored.isEmpty());
    if (held) {
        QCOMPARE(HoldingForm::quantityText(target, *held) + u' ' +
                     (held->cost ? HoldingForm::costText(*held) : u"-"_s),
                 stored);
        return;
    }
    // Correcting the figure takes the complaint away.
    if (!sheet.quantityError().isEmpty()) {
        QTest::keyClicks(sheet.quantityField(), u"1"_s);
        QCOMPARE(sheet.quantityError(), QString());
    }
}

QTEST_MAIN(TestAlertRuleSheet)
#include "tst_alertrulesheet.moc"
