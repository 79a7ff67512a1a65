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
#include "ui/panel/GoldToggle.h"
#include "ui/panel/GoldView.h"
#include "ui/panel/HoldingStrip.h"
#include "ui/panel/IconButton.h"
#include "ui/panel/KeyboardFocus.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/Palette.h"
#include "ui/panel/PanelTheme.h"
#include "ui/panel/SectorView.h"
#include "ui/panel/SegmentedTabs.h"
#include "ui/panel/SettingsView.h"
#include "ui/panel/SheetOverlay.h"
#include "ui/panel/UpdateBanner.h"
#include "ui/panel/WatchAddForm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
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
    void tabWalksTheControlsInReadingOrder_data();
    void tabWalksTheControlsInReadingOrder();
    void focusRingFollowsTheKeyboard_data();
    void focusRingFollowsTheKeyboard();
    void keysStepThroughThePages();

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
    m_fixture.pointOrigins();
    m_desktopStyle = QApplication::style()->name();
    // A steady caret: pictures of a focused field taken moments apart match.
    QApplication::setCursorFlashTime(0);
}

void TestMainPanelView::init()
{
    clearPreferences();
    m_fixture.reset();
    m_fixture.sim().setClock([] { return kTuesdayMorning; });
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
    run(c->cycle().refresh());
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
        run(c.cycle().refresh());
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
    c->cycle().refresh();
    QTRY_VERIFY(!c->cycle().isRefreshing());
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
    const Profit::Figures figures = Profit::gold(grams, *c->market().gold());
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

namespace {

// Where a control stands on its page as if nothing were scrolled: scrolling
// during a walk moves the page, not the order.
QPoint pagePosition(const QWidget* control, const QWidget* root)
{
    QPoint position = control->mapTo(root, QPoint(0, 0));
    for (const QWidget* w = control->parentWidget(); w && w != root; w = w->parentWidget()) {
        if (const auto* area = qobject_cast<const QScrollArea*>(w))
            position.ry() += area->verticalScrollBar()->value();
    }
    return position;
}

// Whether `next` comes after `previous` in reading order: lower down, or on
// the same line further right.
bool readsAfter(const QPoint& previous, const QPoint& next)
{
    return next.y() > previous.y() + 2 ||
           (std::abs(next.y() - previous.y()) <= 2 && next.x() > previous.x());
}

// Every control a keyboard user should reach under `root`: shown, enabled,
// and something that does a thing with the focus.
QList<QWidget*> controlsUnder(QWidget* root)
{
    QList<QWidget*> controls;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(root) || !w->isEnabled())
            continue;
        const bool acts = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                          qobject_cast<QLineEdit*>(w) || qobject_cast<SegmentedTabs*>(w) ||
                          qobject_cast<AlertRuleRow*>(w) || w->toolTip().contains(u"右键"_s);
        // A page that scrolls is worked with the arrow keys.
        if (acts)
            controls.append(w);
    }
    // A page that scrolls and holds no control is worked with the arrow
    // keys; one with controls scrolls to each of them.
    for (auto* area : root->findChildren<QScrollArea*>()) {
        const bool holdsControls =
            std::any_of(controls.cbegin(), controls.cend(),
                        [area](QWidget* w) { return area->isAncestorOf(w); });
        if (area->isVisibleTo(root) && area->verticalScrollBar()->maximum() > 0 && !holdsControls)
            controls.append(area);
    }
    return controls;
}

QString nameOf(const QWidget* w)
{
    const QString text = w->accessibleName().isEmpty() ? w->toolTip() : w->accessibleName();
    return QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName() + u' ' + text;
}

} // namespace

void TestMainPanelView::tabWalksTheControlsInReadingOrder_data()
{
    QTest::addColumn<QString>("page");
    for (const QString& page : allPages())
        QTest::newRow(qPrintable(page)) << page;
    // Rows rebuilt while the page is open join Qt's own focus chain last,
    // after the page's foot.
    QTest::newRow("rule added while open") << u"rule added"_s;
    QTest::newRow("board removed while open") << u"board removed"_s;
}

void TestMainPanelView::tabWalksTheControlsInReadingOrder()
{
    QFETCH(QString, page);
    auto c = loadedController();
    auto view = openView(*c);
    QVERIFY(view);
    if (page == u"rule added") {
        showPage(*view, *c, u"rules"_s);
        AlertRule rule = AlertConfig::defaultRules().first();
        rule.id = u"added"_s;
        rule.targetType = AlertTargetType::sector;
        rule.targetCode = c->configStore().config().sectors.first().code;
        rule.targetName = c->configStore().config().sectors.first().name;
        c->alertConfig().add(rule);
    } else if (page == u"board removed") {
        showPage(*view, *c, u"settings"_s);
        view->settingsView()->removeSector(c->configStore().config().sectors[1].code);
    } else {
        showPage(*view, *c, page);
    }
    QCoreApplication::sendPostedEvents();
    SheetOverlay* overlay = SheetOverlay::current(view.get());
    QWidget* root = overlay ? overlay->sheet() : view.get();
    const QList<QWidget*> expected = controlsUnder(root);
    QVERIFY(expected.size() >= 2);

    // Twice round, from wherever the focus starts. The page scrolls each
    // control into view as the focus comes to it.
    QList<QWidget*> visited;
    for (qsizetype i = 0; i < 2 * expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view.get(),
                        Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY2(!focus->visibleRegion().isEmpty(), qPrintable(nameOf(focus)));
        visited.append(focus);
    }
    // One round, from the control that comes first on the page.
    const auto first = std::min_element(visited.cbegin(), visited.cend(), [&](auto a, auto b) {
        return readsAfter(pagePosition(a, root), pagePosition(b, root));
    });
    const qsizetype start = first - visited.cbegin();
    const QList<QWidget*> round = visited.mid(start, expected.size());
    QCOMPARE(round.size(), expected.size());

    QStringList missed;
    for (QWidget* w : expected) {
        if (!round.contains(w))
            missed.append(nameOf(w));
    }
    QVERIFY2(missed.isEmpty(), qPrintable(u"never reached: "_s + missed.join(u", "_s)));
    for (qsizetype i = 1; i < round.size(); ++i) {
        QVERIFY2(readsAfter(pagePosition(round[i - 1], root), pagePosition(round[i], root)),
                 qPrintable(nameOf(round[i]) + u" after "_s + nameOf(round[i - 1])));
    }
    // Shift+Tab goes back the same way.
    round.first()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(round.first(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), round.last());
}

void TestMainPanelView::focusRingFollowsTheKeyboard_data()
{
    // "tab": the focus moved with Tab; "click": then a click with the
    // mouse; "field": Tab into a text field.
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ring");
    QTest::newRow("tabs, Tab") << u"gold"_s << u"tab"_s << true;
    QTest::newRow("tabs, Tab then click") << u"gold"_s << u"click"_s << false;
    QTest::newRow("settings, Tab") << u"settings"_s << u"tab"_s << true;
    QTest::newRow("settings, into a text field") << u"settings"_s << u"field"_s << false;
    QTest::newRow("rules, Tab") << u"rules"_s << u"tab"_s << true;
    QTest::newRow("rule sheet, Tab") << u"rule sheet"_s << u"tab"_s << true;
}

void TestMainPanelView::focusRingFollowsTheKeyboard()
{
    QFETCH(QString, page);
    QFETCH(QString, how);
    QFETCH(bool, ring);
    auto c = loadedController();
    auto view = openView(*c);
    QVERIFY(view);
    showPage(*view, *c, page);
    // Nothing is ringed before the keyboard is used.
    QCOMPARE(KeyboardFocus::ringTarget(), nullptr);

    if (how == u"field") {
        FormTextField* field = view->settingsView()->sectorForm()->field();
        QWidget* before = view->settingsView()->addSectorButton();
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), field);
    } else {
        // Past a text field, which shows the focus its own way.
        do {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view.get(),
                            Qt::Key_Tab);
        } while (qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    }
    QWidget* control = QApplication::focusWidget();
    QVERIFY(control);
    if (how == u"click") {
        QTest::mouseClick(view->tabs(), Qt::LeftButton, {}, view->tabs()->segmentRect(1).center());
        QCOMPARE(QApplication::focusWidget(), control); // the tabs take no focus from a click
    }
    QCoreApplication::sendPostedEvents();
    QCOMPARE(KeyboardFocus::ringTarget(), ring ? control : nullptr);

    // The ring's line, left of the control half-way down.
    const QImage image = view->grab().toImage();
    const QPoint left = control->mapTo(view.get(), QPoint(0, control->height() / 2));
    const QPoint onRing = left - QPoint(PanelTheme::focusRingMargin - 1, 0);
    const QColor drawn = image.pixelColor(onRing);
    if (ring) {
        PROBE_COMPARE_COLOR(drawn, Palette::focusRing());
        // It stands out from whatever it is drawn on, as WCAG asks of a
        // focus indicator.
        const QColor beside = image.pixelColor(onRing - QPoint(3, 0));
        QVERIFY2(PaintProbe::contrastRatio(drawn, beside) >= 3.0, qPrintable(beside.name()));
    } else {
        QVERIFY2(!PaintProbe::near(drawn, Palette::focusRing(), 40), qPrintable(drawn.name()));
    }
}

void TestMainPanelView::keysStepThroughThePages()
{
    auto c = loadedController();
    auto view = openView(*c);
    QVERIFY(view);
    const auto press = [](Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key);
    };
    const auto focused = [] { return QApplication::focusWidget(); };

    // Return on the gear opens the settings, with the focus on "返回" where
    // the gear was.
    const QList<IconButton*> buttons = view->findChildren<IconButton*>();
    const auto gear = std::find_if(buttons.cbegin(), buttons.cend(),
                                   [](IconButton* b) { return b->toolTip() == u"设置"_s; });
    QVERIFY(gear != buttons.cend());
    (*gear)->setFocus();
    press(Qt::Key_Return);
    QVERIFY(view->showSettings());
    QCOMPARE(focused()->toolTip(), u"返回"_s);

    // Return on "添加规则" opens the sheet, in its threshold field.
    SettingsView* settings = view->settingsView();
    settings->addRuleButton()->setFocus();
    press(Qt::Key_Return);
    auto* sheet = view->findChild<AlertRuleSheet*>();
    QVERIFY(sheet);
    QCOMPARE(focused(), sheet->thresholdField());

    // A switch flips on Return; a group header folds and keeps the focus.
    press(Qt::Key_Escape);
    QTRY_VERIFY(!view->findChild<AlertRuleSheet*>());
    QVERIFY(view->showSettings());
    GoldToggle* master = settings->ruleList()->masterSwitch();
    const bool wasOn = master->isChecked();
    master->setFocus();
    press(Qt::Key_Return);
    QCOMPARE(settings->ruleList()->masterSwitch()->isChecked(), !wasOn);
    AlertGroupHeader* header = settings->ruleList()->groups().first()->header();
    const QString group = header->objectName();
    header->setFocus();
    press(Qt::Key_Enter);
    QVERIFY(settings->ruleList()->groups().first()->header()->isCollapsed());
    QTRY_COMPARE(focused()->objectName(), group);

    // Escape leaves the settings, the focus back on the gear; on the tabs
    // it is left to the window.
    press(Qt::Key_Escape);
    QVERIFY(!view->showSettings());
    QCOMPARE(focused()->toolTip(), u"设置"_s);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(focused(), &escape);
    QVERIFY(!escape.isAccepted());
    QVERIFY(!view->showSettings());
}

QTEST_MAIN(TestMainPanelView)
#include "tst_mainpanelview.moc"
