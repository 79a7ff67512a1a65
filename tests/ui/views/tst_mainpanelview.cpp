#include "PreferencesSandbox.h"
#include "SimFixture.h"
#include "alerts/AlertNotifier.h"
#include "app/MenuBarController.h"
#include "market/Format.h"
#include "market/Money.h"
#include "ui/components/PaintProbe.h"
#include "ui/panel/AlertRuleList.h"
#include "ui/panel/AlertRuleSheet.h"
#include "ui/panel/FormTextField.h"
#include "ui/panel/FundView.h"
#include "ui/panel/GoldView.h"
#include "ui/panel/HoldingStrip.h"
#include "ui/panel/IconButton.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/SectorView.h"
#include "ui/panel/SegmentedTabs.h"
#include "ui/panel/SettingsView.h"
#include "ui/panel/UpdateBanner.h"
#include "ui/panel/WatchAddForm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>
#include <QTextLayout>
#include <QTimeZone>

using namespace Qt::StringLiterals;

class TestMainPanelView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void statusText_data();
    void statusText();
    void sectorPicker_data();
    void sectorPicker();
    void pendingTabLeavesSettings();
    void tabsKeepTheirState();
    void goldTabShowsTheGoldHolding();
    void updateBannerOpensOnlyWebAddresses_data();
    void updateBannerOpensOnlyWebAddresses();
    void updateBannerNotesAreOnePlainLine();
    void undeliveredAlertsInMessageLine_data();
    void undeliveredAlertsInMessageLine();
    void legibleOnALightDesktop_data();
    void legibleOnALightDesktop();
    void desktopChangesNothing_data();
    void desktopChangesNothing();
    void popupsAreDark_data();
    void popupsAreDark();
    void chineseInSimplifiedShapes_data() { legibleOnALightDesktop_data(); }
    void chineseInSimplifiedShapes();

private:
    std::unique_ptr<MenuBarController> controller()
    {
        return std::make_unique<MenuBarController>(
            MenuBarController::Options{.now = {}, .startTimers = false});
    }
    // A controller on the simulated market's Tuesday morning, refreshed:
    // every tab has its data.
    std::unique_ptr<MenuBarController> loadedController();
    // A panel shown as the active window, or null when it never became one.
    static std::unique_ptr<MainPanelView> openView(MenuBarController& c)
    {
        auto view = std::make_unique<MainPanelView>(c);
        view->show();
        view->activateWindow();
        if (!QTest::qWaitForWindowActive(view.get()))
            return nullptr;
        return view;
    }
    // Shows one state of the panel: "gold", "board", "fund", "banner",
    // "error", "settings", "rules" or "rule sheet"; "gold holding", "fund
    // holdings" and "holding sheet" with some of a fund and of gold held.
    void showPage(MainPanelView& view, MenuBarController& c, const QString& page);
    // A light desktop, with a style that draws white wells and 3D frames
    // from the application palette.
    static void useLightDesktop()
    {
        QApplication::setStyle(QStyleFactory::create(u"Windows"_s));
        QApplication::setPalette(PaintProbe::desktopPalette(false));
    }

    SimFixture m_fixture;
    QString m_desktopStyle;
};

static const QDateTime kTuesdayMorning(QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai"));

void TestMainPanelView::initTestCase()
{
    // Everything fetched comes from the simulated provider on this machine.
    for (const char* variable : {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN",
                                 "QUOTARA_UPDATE_ORIGIN", "QUOTARA_GITHUB_API_ORIGIN"})
        qputenv(variable, m_fixture.origin().toUtf8());
    m_fixture.sim().setClock([] { return kTuesdayMorning; });
    m_desktopStyle = QApplication::style()->name();
    // A steady caret: pictures of a focused field taken moments apart match.
    QApplication::setCursorFlashTime(0);
}

void TestMainPanelView::init()
{
    clearPreferences();
    m_fixture.sim().clearFaults();
    QApplication::setPalette(PaintProbe::desktopPalette(true));
}

void TestMainPanelView::cleanup()
{
    // The application owns its style and deletes it when the next one comes.
    if (QApplication::style()->name() != m_desktopStyle)
        QApplication::setStyle(QStyleFactory::create(m_desktopStyle));
}

std::unique_ptr<MenuBarController> TestMainPanelView::loadedController()
{
    auto c = std::make_unique<MenuBarController>(
        MenuBarController::Options{.now = [] { return kTuesdayMorning; }, .startTimers = false});
    run(c->refresh());
    return c;
}

void TestMainPanelView::showPage(MainPanelView& view, MenuBarController& c, const QString& page)
{
    if (page.contains(u"holding")) {
        // A fund and gold held, one with its cost: every kind of figure shows.
        c.holdingsStore().setFund(u"161725"_s,
                                  {.quantity = 12'000 * Money::unitsPerOne, .cost = 7'862});
        c.holdingsStore().setGold({.quantity = 20 * Money::unitsPerOne, .cost = std::nullopt});
    }
    if (page == u"fund holdings")
        view.setTab(Tab::fund);
    if (page == u"holding sheet") {
        view.setShowSettings(true);
        view.settingsView()->openHoldingSheet(u"161725"_s);
    }
    if (page == u"board")
        view.setTab(Tab::cpo);
    if (page == u"fund")
        view.setTab(Tab::fund);
    if (page == u"banner") {
        m_fixture.sim().setVersionRecord(
            R"({"version":"99.0","download_url":"https://orlenby.com/q.zip","notes":"修复若干问题"})");
        c.updateChecker().manualCheck();
        QTRY_VERIFY(view.isUpdateBannerShown());
    }
    if (page == u"error") {
        m_fixture.sim().addFault(u"/api/qt/ulist.np/get"_s, Fault::status(500));
        run(c.refresh());
        QVERIFY(view.isErrorLineShown());
    }
    if (page == u"settings" || page == u"rules" || page == u"rule sheet") {
        view.setShowSettings(true);
        // The add form with a board found, as the user sees it after a look-up.
        SettingsView* settings = view.settingsView();
        settings->setAddSectorShown(true);
        settings->sectorForm()->field()->setText(u"bk0800"_s);
        settings->sectorForm()->lookup();
        QTRY_VERIFY(settings->sectorForm()->lookupState().kind == LookupState::Kind::found);
        if (page == u"rules")
            settings->ensureVisible(settings->ruleList());
        if (page == u"rule sheet")
            settings->openAddRuleSheet();
    }
    // Scroll areas and charts lay themselves out when shown.
    QCoreApplication::sendPostedEvents();
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
    m_fixture.sim().addFault(u"/api/qt/clist/get"_s, Fault::status(500));
    c->refresh();
    QTRY_VERIFY(!c->isRefreshing());
    QVERIFY(view.sectorView()->isShowingNoStocks());
    QVERIFY(!view.sectorView()->isShowingStocksLoading());
}

// Under the price: the grams held, their value, the day's profit and, with
// a cost, the holding profit; nothing without a holding.
void TestMainPanelView::goldTabShowsTheGoldHolding()
{
    auto c = loadedController();
    MainPanelView view(*c);
    HoldingStrip* strip = view.goldView()->holdingStrip();
    QVERIFY(strip->isHidden());
    const Profit::Position grams{.quantity = 20 * Money::unitsPerOne + 5'000, .cost = {}};
    c->holdingsStore().setGold(grams);
    QVERIFY(!strip->isHidden());
    const Profit::Figures figures = Profit::gold(grams, *c->gold());
    QStringList texts;
    for (const HoldingStrip::Cell& cell : strip->cells())
        texts.append(cell.caption + u' ' + cell.value);
    QCOMPARE(
        texts,
        (QStringList{u"持有(克) 20.5000"_s, u"持有金额 "_s + Format::money(*figures.value),
                     u"今日收益 "_s + Format::signedMoney(figures.today->fen), u"持有收益 --"_s}));
    c->holdingsStore().clearGold();
    QVERIFY(strip->isHidden());
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

// The painted runs of Chinese text that come out in a face other than a
// Simplified Chinese one, as "text: face".
static QStringList notInSimplifiedShapes(QWidget* root)
{
    QStringList wrong;
    for (const PaintProbe::TextRun& run : PaintProbe::TextRecorder::textOf(root)) {
        const bool han = std::any_of(run.text.cbegin(), run.text.cend(),
                                     [](QChar c) { return c.script() == QChar::Script_Han; });
        if (!han)
            continue;
        QTextLayout layout(run.text, run.font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& glyphs : layout.glyphRuns()) {
            if (!glyphs.rawFont().familyName().contains(u"SC"_s))
                wrong.append(run.text + u": "_s + glyphs.rawFont().familyName());
        }
    }
    return wrong;
}

static QStringList allPages()
{
    return {u"gold"_s,         u"board"_s,         u"fund"_s,         u"banner"_s,
            u"error"_s,        u"settings"_s,      u"rules"_s,        u"rule sheet"_s,
            u"gold holding"_s, u"fund holdings"_s, u"holding sheet"_s};
}

void TestMainPanelView::legibleOnALightDesktop_data()
{
    QTest::addColumn<QString>("page");
    for (const QString& page : allPages())
        QTest::newRow(qPrintable(page)) << page;
}

void TestMainPanelView::legibleOnALightDesktop()
{
    QFETCH(QString, page);
    // The desktop is light before the panel exists, as when the app starts
    // on a light desktop.
    useLightDesktop();
    auto c = loadedController();
    auto view = openView(*c);
    QVERIFY(view);
    showPage(*view, *c, page);

    const PaintProbe::Legibility result = PaintProbe::legibility(view.get());
    // The header alone has two runs of text; a page has a dozen or more.
    QVERIFY2(result.checked >= 10, qPrintable(QString::number(result.checked)));
    QVERIFY2(result.failures.isEmpty(), qPrintable(result.failures.join(u'\n')));
}

void TestMainPanelView::desktopChangesNothing_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("toLight"); // else the desktop goes from light to dark
    for (const QString& page : {u"gold"_s, u"board"_s, u"fund"_s, u"settings"_s, u"rule sheet"_s,
                                u"fund holdings"_s, u"holding sheet"_s}) {
        QTest::addRow("%s, dark to light", qPrintable(page)) << page << true;
        QTest::addRow("%s, light to dark", qPrintable(page)) << page << false;
    }
}

void TestMainPanelView::desktopChangesNothing()
{
    QFETCH(QString, page);
    QFETCH(bool, toLight);
    if (!toLight)
        useLightDesktop();
    auto c = loadedController();
    auto view = openView(*c);
    QVERIFY(view);
    showPage(*view, *c, page);
    const QImage before = view->grab().toImage();

    const QPalette old = QApplication::palette();
    if (toLight) {
        useLightDesktop();
    } else {
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        QApplication::setPalette(PaintProbe::desktopPalette(true));
    }
    QVERIFY(QApplication::palette() != old);
    // Widgets hear of a new palette partly through posted events.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(view->grab().toImage(), before);

    // Nor does the desktop the panel was built under matter. One window at
    // a time, so that the new one is active and its field shows the focus.
    view.reset();
    auto fresh = openView(*c);
    QVERIFY(fresh);
    showPage(*fresh, *c, page);
    QCOMPARE(fresh->grab().toImage(), before);
}

void TestMainPanelView::popupsAreDark_data()
{
    QTest::addColumn<QString>("popup");
    QTest::newRow("board list") << u"board list"_s;
    QTest::newRow("figure source list") << u"source list"_s;
    QTest::newRow("rule sheet's target list") << u"target list"_s;
    QTest::newRow("watched board's menu") << u"board menu"_s;
    QTest::newRow("rule's menu") << u"rule menu"_s;
    QTest::newRow("text field's own menu") << u"field menu"_s;
    QTest::newRow("tool tip") << u"tool tip"_s;
    QTest::newRow("tool tip of a button with a style sheet") << u"sheet tool tip"_s;
}

void TestMainPanelView::popupsAreDark()
{
    QFETCH(QString, popup);
    useLightDesktop();
    auto c = loadedController();
    auto panel = openView(*c);
    QVERIFY(panel);
    MainPanelView& view = *panel;
    SettingsView* settings = view.settingsView();

    QWidget* shown = nullptr;
    const auto openList = [&](QComboBox* box) {
        box->showPopup();
        shown = box->view()->window();
    };
    const auto openMenu = [&](QWidget* owner) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, owner->rect().center(),
                                owner->mapToGlobal(owner->rect().center()));
        QApplication::sendEvent(owner, &event);
        shown = owner->findChild<QMenu*>();
    };
    const auto openToolTip = [&](QWidget* owner) {
        QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), owner->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(owner, &event);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->inherits("QTipLabel") && window->isVisible())
                shown = window;
        }
    };
    if (popup == u"board list") {
        showPage(view, *c, u"board"_s);
        openList(view.sectorPicker());
    } else if (popup == u"source list") {
        showPage(view, *c, u"settings"_s);
        openList(settings->sourceMenu());
    } else if (popup == u"target list") {
        showPage(view, *c, u"rule sheet"_s);
        AlertRuleSheet* sheet = view.findChild<AlertRuleSheet*>();
        sheet->targetTypeTabs()->setSelection(1); // boards: a list to choose from
        QVERIFY(sheet->isTargetSectionShown());
        openList(sheet->targetMenu());
    } else if (popup == u"board menu") {
        showPage(view, *c, u"settings"_s);
        openMenu(settings->sectorRow(c->configStore().config().sectors.first().code));
    } else if (popup == u"rule menu") {
        showPage(view, *c, u"rules"_s);
        openMenu(settings->ruleList()->groups().first()->rows().first());
    } else if (popup == u"field menu") {
        showPage(view, *c, u"settings"_s);
        QMenu* menu = settings->sectorForm()->field()->createStandardContextMenu();
        menu->popup(view.mapToGlobal(QPoint(40, 120)));
        shown = menu;
    } else if (popup == u"tool tip") {
        const QList<IconButton*> buttons = view.findChildren<IconButton*>();
        const auto gear = std::find_if(buttons.cbegin(), buttons.cend(),
                                       [](IconButton* b) { return b->isVisible(); });
        QVERIFY(gear != buttons.cend());
        openToolTip(*gear);
    } else {
        showPage(view, *c, u"banner"_s);
        QVERIFY(!view.updateBanner()->ignoreButton()->styleSheet().isEmpty());
        openToolTip(view.updateBanner()->ignoreButton());
    }
    QVERIFY(shown);
    QTRY_VERIFY(shown->isVisible());

    const QImage image = shown->grab().toImage();
    // The panel's background, not the light desktop's, and no light frame
    // around it: nothing on the edge lighter than a mid grey.
    const QColor background = PaintProbe::commonestColour(image, image.rect());
    QVERIFY2(background.lightness() < 80, qPrintable(background.name()));
    const QColor edge = PaintProbe::lightestEdge(image);
    QVERIFY2(edge.lightness() < 100, qPrintable(edge.name()));
    const PaintProbe::Legibility result = PaintProbe::legibility(shown);
    QVERIFY(result.checked >= 1);
    QVERIFY2(result.failures.isEmpty(), qPrintable(result.failures.join(u'\n')));
    const QStringList wrong = notInSimplifiedShapes(shown);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestMainPanelView::chineseInSimplifiedShapes()
{
    QFETCH(QString, page);
    // The tests run under a C locale, where fontconfig's own choice for Han
    // text is the Japanese face; whatever a widget paints must not use it.
    auto c = loadedController();
    auto view = openView(*c);
    QVERIFY(view);
    showPage(*view, *c, page);
    const QStringList wrong = notInSimplifiedShapes(view.get());
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

QTEST_MAIN(TestMainPanelView)
#include "tst_mainpanelview.moc"
