#include "PreferencesSandbox.h"
#include "alerts/AlertNotifier.h"
#include "app/MenuBarController.h"
#include "ui/panel/FundView.h"
#include "ui/panel/GoldView.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/SectorView.h"
#include "ui/panel/SegmentedTabs.h"
#include "ui/panel/UpdateBanner.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestMainPanelView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { clearPreferences(); }
    void statusText_data();
    void statusText();
    void sectorPicker_data();
    void sectorPicker();
    void pendingTabLeavesSettings();
    void tabsKeepTheirState();
    void updateBannerOpensOnlyWebAddresses_data();
    void updateBannerOpensOnlyWebAddresses();
    void updateBannerNotesAreOnePlainLine();
    void undeliveredAlertsInMessageLine_data();
    void undeliveredAlertsInMessageLine();

private:
    std::unique_ptr<MenuBarController> controller()
    {
        return std::make_unique<MenuBarController>(
            MenuBarController::Options{.now = {}, .startTimers = false});
    }
};

void TestMainPanelView::initTestCase()
{
    // Nothing here fetches; should anything try, it stays on this machine.
    for (const char* variable : {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN",
                                 "QUOTARA_UPDATE_ORIGIN", "QUOTARA_GITHUB_API_ORIGIN"})
        qputenv(variable, "http://127.0.0.1:9");
}

void TestMainPanelView::statusText_data()
{
    QTest::addColumn<bool>("allClosed");
    QTest::addColumn<int>("countdown");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<QString>("text");
    QTest::newRow("counting") << false << 17 << false << u"17 秒后更新"_s;
    QTest::newRow("loading") << false << 17 << true << u"刷新中…"_s;
    QTest::newRow("countdown 0") << false << 0 << false << u"午休"_s;
    QTest::newRow("all closed wins") << true << 17 << true << u"午休"_s;
}

void TestMainPanelView::statusText()
{
    QFETCH(bool, allClosed);
    QFETCH(int, countdown);
    QFETCH(bool, loading);
    QTEST(MainPanelView::statusText(allClosed, countdown, loading, u"午休"_s), "text");
}

void TestMainPanelView::sectorPicker_data()
{
    QTest::addColumn<int>("boards");
    QTest::addColumn<bool>("shown");
    QTest::newRow("none") << 0 << false;
    QTest::newRow("one") << 1 << false;
    QTest::newRow("two") << 2 << true;
    QTest::newRow("three") << 3 << true;
}

void TestMainPanelView::sectorPicker()
{
    QFETCH(int, boards);
    QFETCH(bool, shown);
    auto c = controller();
    WatchConfig config = c->configStore().config();
    config.sectors = config.sectors.mid(0, boards);
    c->configStore().setConfig(config);
    MainPanelView view(*c);
    QVERIFY(!view.isSectorPickerShown()); // only on the board tab
    view.tabs()->setSelection(1);
    QCOMPARE(view.tab(), Tab::cpo);
    QCOMPARE(view.isSectorPickerShown(), shown);
    QCOMPARE(view.sectorPicker()->count(), boards);
    if (boards >= 2)
        QCOMPARE(view.sectorPicker()->itemText(1), config.sectors[1].name);
}

void TestMainPanelView::pendingTabLeavesSettings()
{
    auto c = controller();
    MainPanelView view(*c);
    QCOMPARE(view.titleText(), u"OrlenbyQuotara"_s);
    view.setShowSettings(true);
    QCOMPARE(view.titleText(), u"设置"_s);

    c->setPendingTab(Tab::fund);
    QVERIFY(!view.showSettings());
    QCOMPARE(view.tab(), Tab::fund);
    QCOMPARE(view.tabs()->selection(), 2);
    QTRY_VERIFY(!c->pendingTab()); // cleared on the next turn

    // A second identical request switches again.
    view.setTab(Tab::gold);
    c->setPendingTab(Tab::fund);
    QCOMPARE(view.tab(), Tab::fund);
    QTRY_VERIFY(!c->pendingTab());
}

void TestMainPanelView::tabsKeepTheirState()
{
    auto c = controller();
    MainPanelView view(*c);
    view.show();
    // Switching tabs shows and hides the same three views; none is rebuilt,
    // so a chart's hover or a scroll position survives.
    QPointer<QWidget> gold = view.goldView();
    QPointer<QWidget> sector = view.sectorView();
    QPointer<QWidget> fund = view.fundView();
    for (Tab tab : {Tab::cpo, Tab::fund, Tab::gold, Tab::cpo}) {
        view.setTab(tab);
        QVERIFY(gold && sector && fund);
        QCOMPARE(gold->isVisible(), tab == Tab::gold);
        QCOMPARE(sector->isVisible(), tab == Tab::cpo);
        QCOMPARE(fund->isVisible(), tab == Tab::fund);
    }
    // Without funds yet the fund tab shows its loading state.
    QVERIFY(view.fundView()->isShowingLoading());
    QVERIFY(view.sectorView()->isShowingStocksLoading());

    // No state that cannot be left: with nothing watched the fund tab says
    // how to add a fund, and a board whose constituents did not come with a
    // finished refresh says so.
    WatchConfig none = c->configStore().config();
    none.funds.clear();
    c->configStore().setConfig(none);
    QVERIFY(view.fundView()->isShowingNoFunds());
    QVERIFY(!view.fundView()->isShowingLoading());
    c->refresh();
    QTRY_VERIFY(!c->isRefreshing());
    QVERIFY(view.sectorView()->isShowingNoStocks());
    QVERIFY(!view.sectorView()->isShowingStocksLoading());
}

void TestMainPanelView::updateBannerOpensOnlyWebAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");
    QTest::newRow("https") << u"https://orlenby.com/q.zip"_s << true;
    QTest::newRow("file") << u"file:///etc/passwd"_s << false;
    QTest::newRow("javascript") << u"javascript:alert(1)"_s << false;
    QTest::newRow("not a url") << u"下载"_s << false;
}

void TestMainPanelView::updateBannerOpensOnlyWebAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, opened);
    UpdateBanner banner;
    QList<QUrl> openedUrls;
    banner.openUrl = [&](const QUrl& url) { openedUrls.append(url); };
    banner.setUpdate(
        {.version = u"1.4.2"_s, .notes = u"修复"_s, .downloadUrl = address, .releaseUrl = {}});
    QTest::mouseClick(banner.downloadButton(), Qt::LeftButton);
    QCOMPARE(openedUrls.size(), opened ? 1 : 0);
    QSignalSpy ignored(&banner, &UpdateBanner::ignoreRequested);
    QTest::mouseClick(banner.ignoreButton(), Qt::LeftButton);
    QCOMPARE(ignored.size(), 1);
}

void TestMainPanelView::updateBannerNotesAreOnePlainLine()
{
    UpdateBanner banner;
    banner.resize(400, 48);
    banner.show();
    banner.setUpdate(
        {.version = u"1.4.2"_s,
         .notes =
             u"## 更新内容\r\n\r\n- **基金**估算改为四位小数，净值公布后不再重复计算当日涨跌\r\n- 修复夜盘状态"_s,
         .downloadUrl = u"https://orlenby.com/q.zip"_s,
         .releaseUrl = {}});
    const QString line = banner.notesText();
    QVERIFY2(line.startsWith(u"更新内容 基金估算"_s), qPrintable(line));
    QVERIFY(!line.contains(u'\n') && !line.contains(u'\r') && !line.contains(u'*') &&
            !line.contains(u'#'));
    QVERIFY2(line.endsWith(u'…'), qPrintable(line));
}

// Alerts fired where no notification channel exists: each rule's line shows
// under the tabs.
void TestMainPanelView::undeliveredAlertsInMessageLine_data()
{
    QTest::addColumn<QStringList>("fired"); // rule ids, in order
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("one") << QStringList{u"tp1"_s}
                         << u"通知无法送达：黄金(CNY/g) 已涨到 701.35（阈值 700.00） tp1"_s;
    QTest::newRow("two rules") << QStringList{u"tp1"_s, u"tp2"_s}
                               << u"通知无法送达：黄金(CNY/g) 已涨到 701.35（阈值 700.00） tp1\n"
                                  u"通知无法送达：黄金(CNY/g) 已涨到 701.35（阈值 700.00） tp2"_s;
    QTest::newRow("one rule twice")
        << QStringList{u"tp1"_s, u"tp1"_s}
        << u"通知无法送达：黄金(CNY/g) 已涨到 701.35（阈值 700.00） tp1"_s;
}

void TestMainPanelView::undeliveredAlertsInMessageLine()
{
    QFETCH(QStringList, fired);
    QFETCH(QString, text);
    auto c = controller();
    AlertNotifier notifier(nullptr, nullptr);
    c->setNotifier(&notifier);
    MainPanelView view(*c);
    for (const QString& id : fired) {
        AlertRule rule = AlertConfig::defaultRules().first();
        rule.id = id;
        rule.targetName = u"黄金(CNY/g)"_s;
        rule.threshold = 700;
        rule.label = id;
        notifier.sendNotification(rule, 701.35);
    }
    QCOMPARE(view.isErrorLineShown(), !fired.isEmpty());
    QCOMPARE(view.errorLineText(), text);
}

QTEST_MAIN(TestMainPanelView)
#include "tst_mainpanelview.moc"
