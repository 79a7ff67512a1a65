#include "MenuBarController.h"

#include "CycleSettings.h"
#include "PanelHost.h"
#include "StatusItem.h"
#include "StatusTitle.h"
#include "WatchReport.h"
#include "alerts/AlertEngine.h"
#include "alerts/AlertNotifier.h"

#include <QTimer>

namespace {

constexpr int kUpdateFirstCheckMs = 2000;
constexpr int kUpdateIntervalMs = 6 * 60 * 60 * 1000;

} // namespace

MenuBarController::MenuBarController(Options options, QObject* parent) : QObject(parent)
{
    Clock now = options.now ? std::move(options.now) : CycleSettings::clock();
    m_configStore = new ConfigStore(this);
    m_holdingsStore = new HoldingsStore(this);
    m_alertConfig = new AlertConfig(this, now);
    m_updateChecker = new UpdateChecker(this);
    m_market = new MarketData(now, options.calendar.value_or(TradingCalendar::builtIn()), this);
    m_cycle =
        new RefreshCycle(*m_market, *m_configStore, options.timeout,
                         options.refreshInterval.value_or(CycleSettings::refreshInterval()), this);

    // The title follows its source's figures, the markets' states, the
    // holdings' profit and the choice of source.
    for (auto signal :
         {&MarketData::goldChanged, &MarketData::boardChanged, &MarketData::overviewChanged,
          &MarketData::fundsChanged, &MarketData::marketStatesChanged})
        connect(m_market, signal, this, &MenuBarController::updateStatusTitle);
    connect(m_market, &MarketData::messagesChanged, this, &MenuBarController::updateToolTip);
    connect(m_holdingsStore, &HoldingsStore::holdingsChanged, this,
            &MenuBarController::updateStatusTitle);
    connect(m_configStore, &ConfigStore::configChanged, this,
            &MenuBarController::updateStatusTitle);
    connect(m_cycle, &RefreshCycle::finished, this, [this](RefreshCycle::Fresh fresh) {
        checkAlerts(fresh);
        updateToolTip();
        emit refreshFinished();
    });

    if (options.startTimers) {
        m_cycle->start([this] { return m_panel && m_panel->isShown(); });
        QTimer::singleShot(kUpdateFirstCheckMs, this,
                           [this] { m_updateChecker->checkForUpdate(); });
        auto* updates = new QTimer(this);
        updates->setInterval(kUpdateIntervalMs);
        connect(updates, &QTimer::timeout, this, [this] { m_updateChecker->checkForUpdate(); });
        updates->start();
    }
}

MenuBarController::~MenuBarController()
{
    // The cycle aborts what it has in flight while the market data and the
    // stores it writes to and reads are still here. The update checker, a
    // child, aborts its own when it goes.
    delete m_cycle;
    m_cycle = nullptr;
}

void MenuBarController::attachStatusItem(StatusItem* item)
{
    m_statusItem = item;
    if (!item)
        return;
    connect(item, &StatusItem::leftClicked, this, &MenuBarController::handleLeftClick);
    connect(item, &StatusItem::rightClicked, this, &MenuBarController::handleRightClick);
    connect(item, &StatusItem::quitRequested, this, &MenuBarController::quitApp);
    connect(item, &StatusItem::panelRequested, this, &MenuBarController::showPanel);
    updateStatusTitle();
}

void MenuBarController::attachPanel(PanelHost* panel)
{
    m_panel = panel;
    if (panel) {
        connect(panel, &PanelHost::dismissed, this, [this] {
            m_lastOutsideDismissal = QDateTime::currentDateTimeUtc();
            m_cycle->scheduleTimers();
        });
    }
}

void MenuBarController::setNotifier(AlertNotifier* notifier)
{
    m_notifier = notifier;
    if (!notifier)
        return;
    // An alert that reached no one shows in the tool tip and the panel, and
    // goes away from both once a later one gets through.
    connect(notifier, &AlertNotifier::undeliveredAlertsChanged, this, [this] {
        updateToolTip();
        emit undeliveredAlertsChanged();
    });
    notifier->requestPermission();
    // A click may be reported from anywhere; the routing happens on our
    // thread, and not at all once the controller is gone.
    QPointer<MenuBarController> self(this);
    notifier->onNotificationTap = [self](const QString& ruleId) {
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, ruleId] {
                if (self)
                    self->handleNotificationTap(ruleId);
            },
            Qt::QueuedConnection);
    };
}

QStringList MenuBarController::undeliveredAlerts() const
{
    return m_notifier ? m_notifier->undeliveredAlerts() : QStringList();
}

void MenuBarController::setPendingTab(std::optional<Tab> tab)
{
    m_pendingTab = tab;
    emit pendingTabChanged();
}

Profit::Summary MenuBarController::portfolio() const
{
    return m_market->portfolio(m_configStore->config(), m_holdingsStore->holdings());
}

void MenuBarController::updateStatusTitle()
{
    StatusTitle::Inputs inputs{
        .source = m_configStore->config().statusBarSource,
        .gold = m_market->gold(),
        .allSectors = m_market->allSectors(),
        .sector = m_market->sector(),
        .goldStatus = m_market->goldMarketStatus(),
        .stockStatus = m_market->stockMarketStatus(),
        .todayProfit = {},
        .hideAmounts = m_holdingsStore->holdings().hideAmounts,
    };
    if (const auto today = portfolio().today)
        inputs.todayProfit = today->fen;
    m_title = StatusTitle::text(inputs);
    if (m_statusItem)
        m_statusItem->setTitle(m_title);
    updateToolTip();
}

void MenuBarController::updateToolTip()
{
    if (m_statusItem)
        m_statusItem->setToolTip(WatchReport::tooltip(*this));
}

void MenuBarController::checkAlerts(RefreshCycle::Fresh fresh)
{
    // A rule whose target did not refresh this cycle is neither fired nor
    // re-armed: its last figure may be long out of date.
    const AlertEngine::Values values = AlertEngine::extractValues(
        fresh.gold ? m_market->gold() : std::nullopt,
        fresh.overview ? m_market->answeredSectors() : QList<SectorQuote>(),
        fresh.funds ? m_market->funds() : QList<FundDetail>());
    // A copy: each change below re-reads the stored list, which another
    // process may have changed since.
    const QList<AlertRule> rules = m_alertConfig->rules();
    const AlertEngine::Decisions decisions = AlertEngine::checkAll(rules, values);
    m_lastFired.clear();
    m_lastReset.clear();
    for (int index : decisions.trigger) {
        const AlertRule& rule = rules[index];
        // Another Quotara process may have seen the same crossing: whichever
        // stores it first notifies.
        if (!m_alertConfig->markTriggeredIfArmed(rule.id, m_market->now()))
            continue;
        const auto value = values.constFind(AlertEngine::ruleKey(rule));
        if (value != values.constEnd() && m_notifier)
            m_notifier->sendNotification(rule, value.value());
        m_lastFired.append(rule.id);
    }
    for (int index : decisions.reset) {
        if (m_alertConfig->rearmIfTriggered(rules[index].id))
            m_lastReset.append(rules[index].id);
    }
}

void MenuBarController::handleNotificationTap(const QString& ruleId)
{
    const auto& rules = m_alertConfig->rules();
    const auto it = std::find_if(rules.begin(), rules.end(),
                                 [&](const AlertRule& r) { return r.id == ruleId; });
    if (it != rules.end()) {
        switch (it->targetType) {
        case AlertTargetType::goldCNY:
            m_pendingTab = Tab::gold;
            break;
        case AlertTargetType::fund:
            m_pendingTab = Tab::fund;
            break;
        case AlertTargetType::sector:
            m_pendingTab = Tab::cpo;
            if (!it->targetCode.isEmpty())
                m_cycle->selectBoard(it->targetCode);
            break;
        }
        emit pendingTabChanged();
    }
    showPanel();
}

void MenuBarController::handleLeftClick()
{
    if (!m_panel)
        return;
    if (m_panel->isShown()) {
        m_panel->dismiss();
        m_cycle->scheduleTimers();
        return;
    }
    // A tray that cannot tell where its icon is makes a click on the icon
    // look like a click outside: the panel has just closed on that very
    // click, which meant to close it.
    if (m_lastOutsideDismissal &&
        m_lastOutsideDismissal->msecsTo(QDateTime::currentDateTimeUtc()) < 300 &&
        (!m_statusItem || m_statusItem->geometry().isEmpty()))
        return;
    showPanel();
}

void MenuBarController::handleRightClick()
{
    // The host shows the quit menu itself; the panel must not stay over it.
    if (m_panel && m_panel->isShown()) {
        m_panel->dismiss();
        m_cycle->scheduleTimers();
    }
}

void MenuBarController::showPanel()
{
    if (!m_panel)
        return;
    // Opening the panel always asks for fresh data, also outside trading hours.
    m_cycle->refresh();
    m_panel->present(anchorRect());
    // While the panel is open its header counts down, markets open or not.
    m_cycle->scheduleTimers();
}

QRect MenuBarController::anchorRect() const
{
    QRect anchor = m_statusItem ? m_statusItem->geometry() : QRect();
    // Hosts that keep the item's place to themselves may still say where the
    // click was: the panel opens there rather than in a far corner.
    if (anchor.isEmpty() && m_statusItem && m_statusItem->clickPoint())
        anchor = QRect(*m_statusItem->clickPoint(), QSize(1, 1));
    return anchor;
}

void MenuBarController::quitApp()
{
    emit quitRequested();
}
