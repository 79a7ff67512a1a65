#include "SettingsView.h"

#include "AlertRuleList.h"
#include "AlertRuleSheet.h"
#include "Card.h"
#include "ConfirmSheet.h"
#include "FormTextField.h"
#include "GoldToggle.h"
#include "HoldingSheet.h"
#include "IconButton.h"
#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "PickerBox.h"
#include "SheetOverlay.h"
#include "WatchAddForm.h"
#include "app/RefreshCycle.h"
#include "app/StatusTitle.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"
#include "config/HoldingsStore.h"
#include "market/Format.h"
#include "market/Money.h"
#include "market/Origins.h"
#include "update/UpdateChecker.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString goldSource = QStringLiteral("gold");

// One watched board or fund: name, code, and "删除" in its context menu,
// which the menu key opens on a row reached with Tab. A fund's row also
// offers "编辑持仓" there and on a double click or Return, and says what is
// held of it.
class WatchRow : public QWidget {
public:
    WatchRow(const QString& code, const QString& name, std::function<void()> remove,
             std::function<void()> edit = {}, const QString& held = {})
        : m_code(code), m_name(name), m_edit(std::move(edit))
    {
        setFocusPolicy(Qt::TabFocus);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(14, 9, 14, 9);
        row->setSpacing(8);
        auto* nameLabel = PanelStyle::label(name, 13, Palette::primaryText());
        nameLabel->setTextFormat(Qt::PlainText);
        row->addWidget(nameLabel);
        auto* codeLabel = PanelStyle::label(code, 11, Palette::secondaryText());
        codeLabel->setTextFormat(Qt::PlainText);
        row->addWidget(codeLabel);
        row->addStretch(1);
        if (!held.isEmpty()) {
            m_held = PanelStyle::label(held, 11, Palette::secondaryText());
            m_held->setObjectName(QStringLiteral("heldLabel"));
            row->addWidget(m_held);
        }
        m_menu = new QMenu(this);
        if (m_edit) {
            QAction* editAction =
                m_menu->addAction(Icons::icon(QStringLiteral("pencil"), Palette::primaryText(), 14),
                                  QStringLiteral("编辑持仓"));
            QObject::connect(editAction, &QAction::triggered, this, m_edit);
        }
        QAction* removeAction = m_menu->addAction(
            Icons::icon(QStringLiteral("trash"), Palette::up(), 14), QStringLiteral("删除"));
        QObject::connect(removeAction, &QAction::triggered, this, std::move(remove));
        setToolTip(m_edit ? QStringLiteral("双击或按回车编辑持仓，右键可删除")
                          : QStringLiteral("右键可删除"));
    }
    QString text() const { return m_name + u'|' + m_code; }
    const QString& code() const { return m_code; }
    QString heldText() const { return m_held ? m_held->text() : QString(); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override { m_menu->popup(event->globalPos()); }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (m_edit && event->button() == Qt::LeftButton)
            m_edit();
    }
    // Return on a row reached with Tab does what the double click does, as on
    // a rule's row.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_edit && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            m_edit();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    QString m_code;
    QString m_name;
    std::function<void()> m_edit;
    QLabel* m_held = nullptr;
    QMenu* m_menu = nullptr;
};

// What is held of a fund or of gold, for its settings row: "10,000.00 份".
QString heldText(HoldingForm::Target target, const std::optional<Profit::Position>& held,
                 bool hidden)
{
    if (!held)
        return {};
    const int decimals =
        target == HoldingForm::Target::fund ? Profit::shareDecimals : Profit::gramDecimals;
    return (hidden ? Format::masked() : Format::grouped(Money::text(held->quantity, decimals))) +
           u' ' + HoldingForm::quantityUnit(target);
}

// A row of a settings card: a 13 px caption on the left, `trailing` on the right.
QWidget* captionRow(const QString& caption, QWidget* trailing, QWidget* extra = nullptr)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(14, 9, 14, 9);
    layout->setSpacing(8);
    layout->addWidget(PanelStyle::label(caption, 13, Palette::primaryText()));
    layout->addStretch(1);
    if (extra)
        layout->addWidget(extra);
    if (trailing)
        layout->addWidget(trailing);
    return row;
}

QVBoxLayout* cardColumn(Card* card)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    card->setContent(content);
    return column;
}

void clearLayout(QVBoxLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

} // namespace

SettingsView::SettingsView(Stores stores, RefreshCycle& cycle,
                           std::chrono::milliseconds lookupTimeout, QWidget* parent)
    : QWidget(parent), m_watchList(stores.watchList), m_holdings(stores.holdings),
      m_rules(stores.rules), m_updates(stores.updates), m_cycle(cycle),
      m_lookup(Origins::quote(), Origins::fund(), lookupTimeout),
      m_sectorSearch(Origins::codeSearch(), lookupTimeout),
      m_fundSearch(Origins::fundSearch(), lookupTimeout)
{
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea;
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    // Tab goes through the page's controls and scrolls to each of them.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    PanelStyle::styleScrollBars(m_scroll);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(24);
    m_scroll->setWidget(page);
    outer->addWidget(m_scroll);

    // Watched boards and funds.
    auto lookupSector = [this](QString code) { return m_lookup.sectorName(std::move(code)); };
    auto lookupFund = [this](QString code) { return m_lookup.fundName(std::move(code)); };
    auto searchSector = [this](QString text) { return m_sectorSearch.search(std::move(text)); };
    auto searchFund = [this](QString text) { return m_fundSearch.search(std::move(text)); };
    m_sectorButton = new IconButton(QStringLiteral("plus"), QStringLiteral("添加板块"));
    connect(m_sectorButton, &IconButton::clicked, this,
            [this] { setAddSectorShown(!isAddSectorShown()); });
    auto* sectorCard = new Card(Card::Kind::Settings);
    auto* sectorColumn = cardColumn(sectorCard);
    m_sectorFormBox = new QWidget;
    auto* sectorFormColumn = new QVBoxLayout(m_sectorFormBox);
    sectorFormColumn->setContentsMargins(0, 0, 0, 0);
    sectorFormColumn->setSpacing(0);
    m_sectorForm = new WatchAddForm(WatchAddForm::Kind::sector, lookupSector, searchSector);
    connect(m_sectorForm, &WatchAddForm::addRequested, this, &SettingsView::addSector);
    connect(m_sectorForm, &WatchAddForm::hitChosen, this,
            [this](const SearchHit& hit) { addEntry(m_sectorForm, hit.code, hit.name); });
    sectorFormColumn->addWidget(m_sectorForm);
    sectorFormColumn->addWidget(PanelStyle::divider(0.4));
    m_sectorFormBox->hide();
    sectorColumn->addWidget(m_sectorFormBox);
    m_sectorRows = new QVBoxLayout;
    m_sectorRows->setSpacing(0);
    sectorColumn->addLayout(m_sectorRows);
    column->addWidget(section(QStringLiteral("自选板块"), sectorCard, m_sectorButton));

    m_fundButton = new IconButton(QStringLiteral("plus"), QStringLiteral("添加基金"));
    connect(m_fundButton, &IconButton::clicked, this,
            [this] { setAddFundShown(!isAddFundShown()); });
    auto* fundCard = new Card(Card::Kind::Settings);
    auto* fundColumn = cardColumn(fundCard);
    m_fundFormBox = new QWidget;
    auto* fundFormColumn = new QVBoxLayout(m_fundFormBox);
    fundFormColumn->setContentsMargins(0, 0, 0, 0);
    fundFormColumn->setSpacing(0);
    m_fundForm = new WatchAddForm(WatchAddForm::Kind::fund, lookupFund, searchFund);
    connect(m_fundForm, &WatchAddForm::addRequested, this, &SettingsView::addFund);
    connect(m_fundForm, &WatchAddForm::hitChosen, this,
            [this](const SearchHit& hit) { addEntry(m_fundForm, hit.code, hit.name); });
    fundFormColumn->addWidget(m_fundForm);
    fundFormColumn->addWidget(PanelStyle::divider(0.4));
    m_fundFormBox->hide();
    fundColumn->addWidget(m_fundFormBox);
    m_fundRows = new QVBoxLayout;
    m_fundRows->setSpacing(0);
    fundColumn->addLayout(m_fundRows);
    column->addWidget(section(QStringLiteral("自选基金"), fundCard, m_fundButton));

    // What the user holds of gold, and whether amounts show. A fund's
    // holding is edited from its row above.
    auto* holdingsCard = new Card(Card::Kind::Settings);
    auto* holdings = cardColumn(holdingsCard);
    m_goldHolding = PanelStyle::label(QString(), 12, Palette::secondaryText());
    m_goldHolding->setObjectName(QStringLiteral("goldHolding"));
    auto* editGold = new IconButton(QStringLiteral("pencil"), QStringLiteral("编辑黄金持仓"));
    connect(editGold, &IconButton::clicked, this, &SettingsView::openGoldHoldingSheet);
    m_goldRow = captionRow(QStringLiteral("黄金持仓"), editGold, m_goldHolding);
    m_goldRow->setToolTip(QStringLiteral("双击编辑黄金持仓"));
    m_goldRow->installEventFilter(this);
    holdings->addWidget(m_goldRow);
    holdings->addWidget(PanelStyle::divider(0.4));
    m_hideAmounts = new GoldToggle;
    m_hideAmounts->setToolTip(QStringLiteral("共享屏幕时，面板、提示和状态栏中的金额显示为 ****"));
    connect(m_hideAmounts, &GoldToggle::clicked, this,
            [this](bool on) { m_holdings.setHideAmounts(on); });
    holdings->addWidget(captionRow(QStringLiteral("隐藏金额"), m_hideAmounts));
    column->addWidget(section(QStringLiteral("我的持仓"), holdingsCard));

    // What the tray shows.
    m_sourceMenu = new PickerBox;
    m_sourceMenu->setFont(PanelStyle::font(12));
    connect(m_sourceMenu, &QComboBox::activated, this, &SettingsView::chooseSource);
    auto* sourceCard = new Card(Card::Kind::Settings);
    cardColumn(sourceCard)->addWidget(captionRow(QStringLiteral("显示内容"), m_sourceMenu));
    column->addWidget(section(QStringLiteral("状态栏显示"), sourceCard));

    // Alert rules.
    m_ruleButton = new IconButton(QStringLiteral("plus"), QStringLiteral("添加规则"));
    connect(m_ruleButton, &IconButton::clicked, this, &SettingsView::openAddRuleSheet);
    m_ruleList = new AlertRuleList(m_rules);
    connect(m_ruleList, &AlertRuleList::editRequested, this, [this](const AlertRule& rule) {
        auto* sheet = new EditAlertSheet(m_rules, m_watchList, rule);
        connect(sheet, &AlertRuleSheet::finished, SheetOverlay::present(sheetHost(), sheet),
                &SheetOverlay::dismiss);
    });
    column->addWidget(section(QStringLiteral("预警规则"),
                              new Card(Card::Kind::Settings, m_ruleList), m_ruleButton));

    // About.
    auto* aboutCard = new Card(Card::Kind::Settings);
    auto* about = cardColumn(aboutCard);
    m_version = PanelStyle::label(QString(), 13, Palette::secondaryText());
    about->addWidget(captionRow(QStringLiteral("当前版本"), m_version));
    about->addWidget(PanelStyle::divider(0.4));
    m_autoCheck = new GoldToggle;
    m_autoCheck->setToolTip(QStringLiteral("每 6 小时检查一次"));
    connect(m_autoCheck, &GoldToggle::clicked, this,
            [this](bool on) { m_updates.setAutoCheckEnabled(on); });
    about->addWidget(captionRow(QStringLiteral("自动检查更新"), m_autoCheck));
    about->addWidget(PanelStyle::divider(0.4));
    m_updateStatus = PanelStyle::label(QString(), 11, Palette::secondaryText());
    m_updateButton = PanelStyle::borderedButton(QStringLiteral("立即检查"), 11);
    connect(m_updateButton, &QPushButton::clicked, this, &SettingsView::pressUpdateButton);
    about->addWidget(captionRow(QStringLiteral("检查最新版本"), m_updateButton, m_updateStatus));
    column->addWidget(section(QStringLiteral("关于"), aboutCard));

    m_donation = new QPushButton(QStringLiteral("请我喝杯咖啡"));
    m_donation->setFlat(true);
    m_donation->setCursor(Qt::PointingHandCursor);
    m_donation->setFont(PanelStyle::font(12));
    m_donation->setIcon(
        Icons::icon(QStringLiteral("cup.and.saucer.fill"), Palette::secondaryText(), 11));
    m_donation->setIconSize(QSize(11, 11));
    m_donation->setStyleSheet(
        QStringLiteral("QPushButton { border: none; color: %1; padding: 2px; }"
                       "QPushButton:hover { color: %2; }")
            .arg(Palette::secondaryText().name(), Palette::brandGold().name()));
    connect(m_donation, &QPushButton::clicked, this,
            [this] { openUrl(QUrl(Origins::donationPage())); });
    column->addWidget(m_donation, 0, Qt::AlignHCenter);

    column->addStretch(1);

    connect(&m_watchList, &ConfigStore::configChanged, this, [this] {
        rebuildWatchRows();
        refreshSourceMenu();
    });
    connect(&m_updates, &UpdateChecker::changed, this, &SettingsView::refreshAbout);
    connect(&m_holdings, &HoldingsStore::holdingsChanged, this, [this] {
        rebuildWatchRows();
        refreshHoldings();
    });
    rebuildWatchRows();
    refreshSourceMenu();
    refreshHoldings();
    refreshAbout();
}

QWidget* SettingsView::section(const QString& title, QWidget* content, IconButton* button)
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(PanelStyle::label(title, 13, Palette::primaryText(), QFont::DemiBold));
    header->addStretch(1);
    if (button)
        header->addWidget(button);
    else
        header->addSpacing(IconButton::frameSize); // headers line up with or without a button
    column->addLayout(header);
    column->addWidget(content);
    return box;
}

QWidget* SettingsView::sheetHost() const
{
    return m_sheetHost ? m_sheetHost : window();
}

void SettingsView::reset()
{
    setAddSectorShown(false);
    setAddFundShown(false);
    setMessage(std::nullopt);
    if (SheetOverlay* overlay = SheetOverlay::current(sheetHost()))
        overlay->dismiss();
}

bool SettingsView::isAddSectorShown() const
{
    return !m_sectorFormBox->isHidden();
}

bool SettingsView::isAddFundShown() const
{
    return !m_fundFormBox->isHidden();
}

void SettingsView::setAddSectorShown(bool shown)
{
    m_sectorFormBox->setVisible(shown);
    m_sectorButton->setIconName(shown ? QStringLiteral("minus") : QStringLiteral("plus"));
    m_sectorButton->setToolTip(shown ? QStringLiteral("收起") : QStringLiteral("添加板块"));
    if (shown)
        m_sectorForm->field()->setFocus();
    else
        m_sectorForm->clear();
}

void SettingsView::setAddFundShown(bool shown)
{
    m_fundFormBox->setVisible(shown);
    m_fundButton->setIconName(shown ? QStringLiteral("minus") : QStringLiteral("plus"));
    m_fundButton->setToolTip(shown ? QStringLiteral("收起") : QStringLiteral("添加基金"));
    if (shown)
        m_fundForm->field()->setFocus();
    else
        m_fundForm->clear();
}

void SettingsView::addSector()
{
    addEntry(m_sectorForm, m_sectorForm->normalizedCode(), m_sectorForm->nameForAdd());
}

void SettingsView::addFund()
{
    addEntry(m_fundForm, m_fundForm->normalizedCode(), m_fundForm->nameForAdd());
}

void SettingsView::addEntry(WatchAddForm* form, const QString& code, const QString& name)
{
    if (code.isEmpty())
        return;
    ConfigStore& store = m_watchList;
    const bool board = form == m_sectorForm;
    const bool watched =
        board ? std::ranges::any_of(store.config().sectors,
                                    [&](const SectorConfig& s) { return s.code == code; })
              : std::ranges::any_of(store.config().funds,
                                    [&](const FundConfig& f) { return f.code == code; });
    if (watched) {
        setMessage(board ? QStringLiteral("该板块已添加") : QStringLiteral("该基金已添加"), form);
        return;
    }
    if (board)
        store.addSector(SectorConfig{code, name});
    else
        store.addFund(FundConfig{code, name});
    setMessage(std::nullopt);
    // Closing the form clears it.
    if (board)
        setAddSectorShown(false);
    else
        setAddFundShown(false);
    m_cycle.followWatchList();
}

void SettingsView::removeSector(const QString& code)
{
    ConfigStore& store = m_watchList;
    store.removeSector(SectorConfig{code, {}});
    if (store.config().statusBarSource == code) {
        // The tray would otherwise go on showing some other board's figure
        // under a source nobody watches; it falls back to gold.
        WatchConfig config = store.config();
        config.statusBarSource.reset();
        store.setConfig(config);
    }
    m_cycle.followWatchList();
}

void SettingsView::removeFund(const QString& code)
{
    // What was held of a fund no longer watched would be counted nowhere.
    m_holdings.clearFund(code);
    m_watchList.removeFund(FundConfig{code, {}});
    m_cycle.followWatchList();
}

void SettingsView::askRemoveFund(const QString& code)
{
    if (!m_holdings.holdings().fund(code)) {
        removeFund(code);
        return;
    }
    auto* sheet = new ConfirmSheet(
        QStringLiteral("删除基金"),
        QStringLiteral("“%1”有持仓记录，删除后持仓记录一并清除。").arg(fundName(code)),
        QStringLiteral("删除"));
    connect(sheet, &ConfirmSheet::confirmed, this, [this, code] { removeFund(code); });
    presentSheet(sheet);
}

QString SettingsView::fundName(const QString& code) const
{
    for (const FundConfig& f : m_watchList.config().funds) {
        if (f.code == code)
            return f.name;
    }
    return code;
}

template <typename Sheet> void SettingsView::presentSheet(Sheet* sheet)
{
    connect(sheet, &Sheet::finished, SheetOverlay::present(sheetHost(), sheet),
            &SheetOverlay::dismiss);
}

void SettingsView::openHoldingSheet(const QString& code)
{
    presentSheet(new HoldingSheet(m_holdings, HoldingForm::Target::fund, code, fundName(code)));
}

void SettingsView::openGoldHoldingSheet()
{
    presentSheet(new HoldingSheet(m_holdings, HoldingForm::Target::gold, QString(), QString()));
}

QString SettingsView::goldHoldingText() const
{
    return m_goldHolding->text();
}

void SettingsView::refreshHoldings()
{
    const Holdings& holdings = m_holdings.holdings();
    const QString held = heldText(HoldingForm::Target::gold, holdings.gold, holdings.hideAmounts);
    m_goldHolding->setText(held.isEmpty() ? QStringLiteral("未设置") : held);
    m_hideAmounts->setChecked(holdings.hideAmounts);
}

bool SettingsView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_goldRow && event->type() == QEvent::MouseButtonDblClick) {
        openGoldHoldingSheet();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

QList<WatchRow*> rowsIn(QVBoxLayout* layout)
{
    QList<WatchRow*> rows;
    for (int i = 0; i < layout->count(); ++i) {
        if (auto* row = dynamic_cast<WatchRow*>(layout->itemAt(i)->widget()))
            rows.append(row);
    }
    return rows;
}

QStringList rowTexts(QVBoxLayout* layout)
{
    QStringList texts;
    for (const WatchRow* row : rowsIn(layout))
        texts.append(row->text());
    return texts;
}

WatchRow* rowOf(QVBoxLayout* layout, const QString& code)
{
    for (WatchRow* row : rowsIn(layout)) {
        if (row->code() == code)
            return row;
    }
    return nullptr;
}

} // namespace

QStringList SettingsView::sectorRows() const
{
    return rowTexts(m_sectorRows);
}

QStringList SettingsView::fundRows() const
{
    return rowTexts(m_fundRows);
}

QWidget* SettingsView::sectorRow(const QString& code) const
{
    return rowOf(m_sectorRows, code);
}

QWidget* SettingsView::fundRow(const QString& code) const
{
    return rowOf(m_fundRows, code);
}

QString SettingsView::fundHeldText(const QString& code) const
{
    const WatchRow* row = rowOf(m_fundRows, code);
    return row ? row->heldText() : QString();
}

void SettingsView::rebuildWatchRows()
{
    // A row deleted from its menu with the keyboard hands the focus on to
    // the row that takes its place, or to the section's "+" when none is
    // left. Meanwhile the page holds it, or hiding the old rows one by one
    // would pass it on down the page.
    QVBoxLayout* focusedList = nullptr;
    qsizetype focusedRow = -1;
    for (QVBoxLayout* layout : {m_sectorRows, m_fundRows}) {
        const QList<WatchRow*> rows = rowsIn(layout);
        const auto at = std::find(rows.cbegin(), rows.cend(), QApplication::focusWidget());
        if (at != rows.cend()) {
            focusedList = layout;
            focusedRow = at - rows.cbegin();
            setFocus(Qt::OtherFocusReason);
        }
    }

    const WatchConfig& config = m_watchList.config();
    const Holdings& holdings = m_holdings.holdings();
    // Boards are only removed; funds also carry what is held of them.
    auto fill = [&](QVBoxLayout* layout, const auto& items, const QString& emptyText, auto remove,
                    bool holdable) {
        // Rows may be rebuilt from inside one of their own menus.
        clearLayout(layout);
        if (items.isEmpty()) {
            auto* empty = PanelStyle::label(emptyText, 12, Palette::secondaryText());
            empty->setAlignment(Qt::AlignCenter);
            empty->setContentsMargins(0, 14, 0, 14);
            layout->addWidget(empty);
            return;
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString code = items[i].code;
            std::function<void()> edit;
            QString held;
            if (holdable) {
                edit = [this, code] { openHoldingSheet(code); };
                held =
                    heldText(HoldingForm::Target::fund, holdings.fund(code), holdings.hideAmounts);
            }
            layout->addWidget(new WatchRow(
                code, items[i].name, [this, remove, code] { (this->*remove)(code); }, edit, held));
            if (i + 1 < items.size())
                layout->addWidget(PanelStyle::divider(0.4));
        }
    };
    fill(m_sectorRows, config.sectors, QStringLiteral("暂无板块，点击 + 添加"),
         &SettingsView::removeSector, false);
    fill(m_fundRows, config.funds, QStringLiteral("暂无基金，点击 + 添加"),
         &SettingsView::askRemoveFund, true);

    auto codes = [](const auto& items) {
        QSet<QString> set;
        for (const auto& item : items)
            set.insert(item.code);
        return set;
    };
    m_sectorForm->setWatchedCodes(codes(config.sectors));
    m_fundForm->setWatchedCodes(codes(config.funds));

    if (focusedList && hasFocus()) {
        const QList<WatchRow*> rows = rowsIn(focusedList);
        QWidget* successor = focusedList == m_sectorRows ? m_sectorButton : m_fundButton;
        if (!rows.isEmpty())
            successor = rows[std::min(focusedRow, rows.size() - 1)];
        successor->setFocus(Qt::OtherFocusReason);
    }
}

void SettingsView::refreshSourceMenu()
{
    const WatchConfig& config = m_watchList.config();
    m_sourceMenu->clear();
    m_sourceMenu->addItem(QStringLiteral("黄金(CNY/g)"), goldSource);
    for (const SectorConfig& s : config.sectors)
        m_sourceMenu->addItem(s.name, s.code);
    m_sourceMenu->addItem(QStringLiteral("今日收益"), StatusTitle::profitSource);
    m_sourceMenu->setCurrentIndex(
        m_sourceMenu->findData(config.statusBarSource.value_or(goldSource)));
}

void SettingsView::chooseSource(int index)
{
    const QString value = m_sourceMenu->itemData(index).toString();
    if (value.isEmpty())
        return;
    WatchConfig config = m_watchList.config();
    // The gold price is the default, stored as no source at all.
    config.statusBarSource = value == goldSource ? std::nullopt : std::optional<QString>(value);
    m_watchList.setConfig(config);
}

void SettingsView::openAddRuleSheet()
{
    auto* sheet = new AddAlertSheet(m_rules, m_watchList);
    connect(sheet, &AlertRuleSheet::finished, SheetOverlay::present(sheetHost(), sheet),
            &SheetOverlay::dismiss);
}

QString SettingsView::updateStatusText() const
{
    return m_updateStatus->isHidden() ? QString() : m_updateStatus->text();
}

QString SettingsView::versionText() const
{
    return m_version->text();
}

void SettingsView::refreshAbout()
{
    const UpdateChecker& checker = m_updates;
    m_version->setText(u'v' + checker.currentVersion());
    m_autoCheck->setChecked(checker.autoCheckEnabled());

    QString text;
    QColor color = Palette::secondaryText();
    QString button = QStringLiteral("立即检查");
    switch (checker.manualCheckStatus()) {
    case UpdateChecker::ManualCheckStatus::idle:
        break;
    case UpdateChecker::ManualCheckStatus::checking:
        text = QStringLiteral("检查中…");
        break;
    case UpdateChecker::ManualCheckStatus::upToDate:
        text = QStringLiteral("已是最新版本");
        color = Palette::down();
        break;
    case UpdateChecker::ManualCheckStatus::newVersion:
        text = QStringLiteral("发现新版本");
        color = Palette::brandGold();
        button = QStringLiteral("下载更新");
        break;
    case UpdateChecker::ManualCheckStatus::failed:
        text = QStringLiteral("检查失败，稍后再试");
        color = Palette::up();
        break;
    }
    m_updateStatus->setText(text);
    PanelStyle::setColor(m_updateStatus, color);
    m_updateStatus->setVisible(!text.isEmpty());
    m_updateButton->setText(button);
    m_updateButton->setEnabled(!checker.isChecking());
}

void SettingsView::pressUpdateButton()
{
    UpdateChecker& checker = m_updates;
    if (checker.manualCheckStatus() == UpdateChecker::ManualCheckStatus::newVersion) {
        // The address comes from the network: only ever open a web page.
        if (const auto& update = checker.availableUpdate()) {
            if (const auto url = update->openableDownloadUrl()) {
                openUrl(*url);
                return;
            }
        }
    }
    checker.manualCheck();
}

void SettingsView::ensureVisible(QWidget* child)
{
    m_scroll->ensureWidgetVisible(child, 0, 16);
}

void SettingsView::setMessage(std::optional<QString> message, WatchAddForm* near)
{
    // Shown in the form the user is working in, never at the foot of a page
    // that may be scrolled away from it.
    for (WatchAddForm* form : {m_sectorForm, m_fundForm})
        form->setMessage(form == near ? message.value_or(QString()) : QString());
}

std::optional<QString> SettingsView::message() const
{
    for (const WatchAddForm* form : {m_sectorForm, m_fundForm}) {
        if (!form->message().isEmpty())
            return form->message();
    }
    return std::nullopt;
}
