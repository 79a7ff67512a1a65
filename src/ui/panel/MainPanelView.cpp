#include "MainPanelView.h"

#include "FocusOrder.h"
#include "FundView.h"
#include "GoldView.h"
#include "IconButton.h"
#include "IconLabel.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "PanelTheme.h"
#include "PickerBox.h"
#include "SectorView.h"
#include "SegmentedTabs.h"
#include "SettingsView.h"
#include "SheetOverlay.h"
#include "UpdateBanner.h"
#include "app/MenuBarController.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr Tab kTabs[] = {Tab::gold, Tab::cpo, Tab::fund};

int indexOf(Tab tab)
{
    return tab == Tab::gold ? 0 : tab == Tab::cpo ? 1 : 2;
}

} // namespace

QString MainPanelView::tabLabel(Tab tab)
{
    switch (tab) {
    case Tab::gold:
        return QStringLiteral("黄金");
    case Tab::cpo:
        return QStringLiteral("板块");
    case Tab::fund:
        return QStringLiteral("基金");
    }
    return {};
}

QString MainPanelView::statusText(bool allMarketsClosed, int countdown, bool isLoading,
                                  const QString& panelStatusText)
{
    if (allMarketsClosed)
        return panelStatusText;
    if (countdown != 0)
        return isLoading ? QStringLiteral("刷新中…")
                         : QString::number(countdown) + QStringLiteral(" 秒后更新");
    return panelStatusText;
}

MainPanelView::MainPanelView(MenuBarController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller)
{
    PanelTheme::apply(this);
    setFixedSize(panelWidth, panelHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Header.
    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 10, 16, 10);
    header->setSpacing(8);
    m_title = PanelStyle::label(QString(), 15, Palette::primaryText(), QFont::DemiBold);
    header->addWidget(m_title);
    header->addStretch(1);
    // The panel's face has digits of one width, so the countdown does not
    // shift as it runs.
    m_status = PanelStyle::label(QString(), 11, Palette::mutedText());
    header->addWidget(m_status);
    m_gear = new IconButton(QStringLiteral("gearshape"), QStringLiteral("设置"));
    connect(m_gear, &IconButton::clicked, this, [this] { setShowSettings(true); });
    header->addWidget(m_gear);
    m_close = new IconButton(QStringLiteral("xmark"), QStringLiteral("返回"));
    connect(m_close, &IconButton::clicked, this, [this] { setShowSettings(false); });
    header->addWidget(m_close);
    column->addLayout(header);
    column->addWidget(PanelStyle::divider());

    // Update banner.
    m_banner = new UpdateBanner;
    connect(m_banner, &UpdateBanner::ignoreRequested, this,
            [this] { m_controller.updateChecker().ignoreCurrentVersion(); });
    column->addWidget(m_banner);
    m_bannerDivider = PanelStyle::divider();
    column->addWidget(m_bannerDivider);

    // Body: the tabs, or the settings.
    m_body = new QStackedWidget;
    m_tabArea = new QWidget;
    auto* tabColumn = new QVBoxLayout(m_tabArea);
    tabColumn->setContentsMargins(0, 0, 0, 0);
    tabColumn->setSpacing(0);
    QStringList labels;
    for (Tab t : kTabs)
        labels.append(tabLabel(t));
    m_tabs = new SegmentedTabs(labels);
    connect(m_tabs, &SegmentedTabs::selectionChanged, this,
            [this](int index) { setTab(kTabs[std::clamp(index, 0, 2)]); });
    auto* tabsRow = new QHBoxLayout;
    tabsRow->setContentsMargins(16, 10, 16, 8);
    tabsRow->addWidget(m_tabs);
    tabColumn->addLayout(tabsRow);

    m_pickerRow = new QWidget;
    auto* pickerLayout = new QHBoxLayout(m_pickerRow);
    pickerLayout->setContentsMargins(16, 6, 16, 0);
    m_picker = new PickerBox;
    m_picker->setFont(PanelStyle::font(12));
    connect(m_picker, &QComboBox::activated, this, &MainPanelView::pickSector);
    pickerLayout->addWidget(m_picker);
    tabColumn->addWidget(m_pickerRow);

    m_tabViews = new QStackedWidget;
    const MarketData& market = controller.market();
    m_gold = new GoldView(market, controller.holdingsStore());
    m_sector = new SectorView(market);
    m_fund = new FundView(market, controller.configStore(), controller.holdingsStore());
    m_tabViews->addWidget(m_gold);
    m_tabViews->addWidget(m_sector);
    m_tabViews->addWidget(m_fund);
    tabColumn->addWidget(m_tabViews, 1);

    m_errorLine = new QWidget;
    auto* errorColumn = new QVBoxLayout(m_errorLine);
    errorColumn->setContentsMargins(0, 0, 0, 0);
    errorColumn->setSpacing(0);
    errorColumn->addWidget(PanelStyle::divider());
    auto* errorRow = new QHBoxLayout;
    errorRow->setContentsMargins(12, 4, 12, 4);
    errorRow->setSpacing(6);
    errorRow->addWidget(
        new IconLabel(QStringLiteral("exclamationmark.triangle.fill"), QColor(255, 149, 0), 9));
    m_errorText = PanelStyle::label(QString(), 10, Palette::secondaryText());
    m_errorText->setWordWrap(true); // an alert's text can be wider than the panel
    errorRow->addWidget(m_errorText, 1);
    errorColumn->addLayout(errorRow);
    tabColumn->addWidget(m_errorLine);
    m_body->addWidget(m_tabArea);

    m_settings = new SettingsView({controller.configStore(), controller.holdingsStore(),
                                   controller.alertConfig(), controller.updateChecker()},
                                  controller.cycle(), controller.cycle().requestTimeout());
    // Rule sheets cover the whole panel, header included.
    m_settings->setSheetHost(this);
    m_body->addWidget(m_settings);
    column->addWidget(m_body, 1);

    // The tabs redraw on their own figures; the panel itself only on what
    // its header, board picker and message line show.
    for (auto signal : {&MarketData::messagesChanged, &MarketData::marketStatesChanged,
                        &MarketData::boardChanged})
        connect(&market, signal, this, &MainPanelView::refreshFrame);
    connect(&controller.configStore(), &ConfigStore::configChanged, this,
            &MainPanelView::refreshFrame);
    connect(&controller.updateChecker(), &UpdateChecker::changed, this,
            &MainPanelView::refreshFrame);
    connect(&controller, &MenuBarController::undeliveredAlertsChanged, this,
            &MainPanelView::refreshFrame);
    connect(&controller, &MenuBarController::pendingTabChanged, this, &MainPanelView::refreshFrame);
    // Once a second while a market is open: only the header's text changes.
    connect(&market, &MarketData::countdownChanged, this, &MainPanelView::showStatus);
    refreshFrame();
}

void MainPanelView::setTab(Tab tab)
{
    m_tab = tab;
    m_tabs->setSelection(indexOf(tab));
    m_tabViews->setCurrentIndex(indexOf(tab));
    refreshFrame();
}

void MainPanelView::setShowSettings(bool show)
{
    const bool turning = show != m_showSettings;
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    // Leaving settings forgets half-typed codes, look-ups and open sheets.
    if (m_showSettings && !show)
        m_settings->reset();
    m_showSettings = show;
    refreshFrame();
    if (turning && hadFocus)
        focusFirstControl();
}

void MainPanelView::focusFirstControl()
{
    const QList<QWidget*> controls = FocusOrder::chain(this);
    if (!controls.isEmpty())
        controls.first()->setFocus(Qt::OtherFocusReason);
}

bool MainPanelView::focusNextPrevChild(bool next)
{
    // An open sheet keeps the keyboard to itself, as it keeps the pointer.
    if (SheetOverlay* overlay = SheetOverlay::current(this))
        return FocusOrder::move(overlay->sheet(), next);
    return FocusOrder::move(this, next);
}

void MainPanelView::keyPressEvent(QKeyEvent* event)
{
    // A sheet takes its own Escape; this one is the page's.
    if (event->key() == Qt::Key_Escape && m_showSettings && !SheetOverlay::current(this)) {
        setShowSettings(false);
        return;
    }
    QWidget::keyPressEvent(event);
}

QString MainPanelView::titleText() const
{
    return m_title->text();
}

QString MainPanelView::headerStatusText() const
{
    return m_status->text();
}

bool MainPanelView::isSectorPickerShown() const
{
    return !m_pickerRow->isHidden();
}

bool MainPanelView::isUpdateBannerShown() const
{
    return !m_banner->isHidden();
}

bool MainPanelView::isErrorLineShown() const
{
    return !m_errorLine->isHidden();
}

QString MainPanelView::errorLineText() const
{
    return m_errorText->text();
}

void MainPanelView::refresh()
{
    refreshFrame();
    m_gold->refresh();
    m_sector->refresh();
    m_fund->refresh();
}

void MainPanelView::refreshFrame()
{
    applyPendingTab();

    m_title->setText(m_showSettings ? QStringLiteral("设置") : QStringLiteral("OrlenbyQuotara"));
    m_status->setVisible(!m_showSettings);
    showStatus();
    m_gear->setVisible(!m_showSettings);
    m_close->setVisible(m_showSettings);

    const auto& update = m_controller.updateChecker().availableUpdate();
    const bool banner = !m_showSettings && update.has_value();
    m_banner->setVisible(banner);
    m_bannerDivider->setVisible(banner);
    if (update && update != m_banner->update())
        m_banner->setUpdate(*update);

    m_body->setCurrentWidget(m_showSettings ? m_settings : m_tabArea);

    // The board picker: one entry per watched board, when there are two or more.
    const auto& sectors = m_controller.configStore().config().sectors;
    QStringList codes;
    for (const SectorConfig& s : sectors)
        codes.append(s.code);
    if (codes != m_pickerCodes) {
        m_pickerCodes = codes;
        m_picker->clear();
        for (const SectorConfig& s : sectors)
            m_picker->addItem(s.name, s.code);
    }
    m_pickerRow->setVisible(m_tab == Tab::cpo && sectors.size() >= 2);
    const int current = int(m_pickerCodes.indexOf(m_controller.market().currentSectorCode()));
    if (current >= 0 && m_picker->currentIndex() != current)
        m_picker->setCurrentIndex(current);

    // What failed for this tab, a closure the calendar did not know, then
    // any alert no notification could show: the user must learn of the
    // crossing somewhere.
    const MarketData& market = m_controller.market();
    QStringList messages = m_showSettings ? QStringList() : market.messagesFor(m_tab);
    messages << market.calendarNotes();
    messages << m_controller.undeliveredAlerts();
    m_errorLine->setVisible(!messages.isEmpty());
    m_errorText->setText(messages.join(u'\n'));
}

void MainPanelView::showStatus()
{
    const MarketData& market = m_controller.market();
    m_status->setText(statusText(market.allMarketsClosed(), market.countdown(), market.isLoading(),
                                 market.panelStatusText()));
}

void MainPanelView::applyPendingTab()
{
    const auto pending = m_controller.pendingTab();
    if (!pending)
        return;
    if (m_showSettings)
        m_settings->reset();
    m_showSettings = false;
    m_tab = *pending;
    m_tabs->setSelection(indexOf(m_tab));
    m_tabViews->setCurrentIndex(indexOf(m_tab));
    // Cleared on the next turn of the event loop, so an identical request
    // later switches again.
    QTimer::singleShot(0, &m_controller, [c = &m_controller] { c->setPendingTab(std::nullopt); });
}

void MainPanelView::pickSector(int index)
{
    const QString code = m_picker->itemData(index).toString();
    if (code.isEmpty() || code == m_controller.market().currentSectorCode())
        return;
    m_controller.cycle().selectBoard(code);
}

void MainPanelView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Palette::panelBackground());
}
