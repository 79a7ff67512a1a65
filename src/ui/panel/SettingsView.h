#pragma once

#include "market/FundSearchService.h"
#include "market/LookupService.h"
#include "market/SectorSearchService.h"

#include <QWidget>

#include <functional>
#include <optional>

class AlertRuleList;
class GoldToggle;
class IconButton;
class AlertConfig;
class ConfigStore;
class HoldingsStore;
class RefreshCycle;
class UpdateChecker;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class WatchAddForm;

// The settings page that replaces the tabs while the user is in settings:
// the watched boards and funds (found by name, pinyin initials or code, or a
// whole code looked up on-line, before they are added; a fund's holding
// edited from its row), the gold holding and the switch that hides amounts,
// what the tray figure shows, the alert rules, and the version with the
// update controls. Every change goes straight to the stores; there is no
// save button.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // What the settings edit.
    struct Stores {
        ConfigStore& watchList;
        HoldingsStore& holdings;
        AlertConfig& rules;
        UpdateChecker& updates;
    };

    // `cycle` follows the watch list's edits; `lookupTimeout` bounds each
    // on-line look-up of a typed code and each search.
    SettingsView(Stores stores, RefreshCycle& cycle,
                 std::chrono::milliseconds lookupTimeout = NetworkClient::defaultTimeout,
                 QWidget* parent = nullptr);

    // Where the rule sheets are shown over; the top-level window by default.
    void setSheetHost(QWidget* host) { m_sheetHost = host; }
    // Leaving settings: closes the add forms and any sheet, forgets look-ups
    // and the message.
    void reset();

    // Opens a web address in the browser; replaced in tests.
    std::function<void(const QUrl&)> openUrl;

    // The add forms, their header buttons and what they do.
    bool isAddSectorShown() const;
    bool isAddFundShown() const;
    void setAddSectorShown(bool shown);
    void setAddFundShown(bool shown);
    IconButton* addSectorButton() const { return m_sectorButton; }
    IconButton* addFundButton() const { return m_fundButton; }
    WatchAddForm* sectorForm() const { return m_sectorForm; }
    WatchAddForm* fundForm() const { return m_fundForm; }
    // Add the typed code, under the name its look-up found.
    void addSector();
    void addFund();
    void removeSector(const QString& code);
    // Removes the fund and what is held of it.
    void removeFund(const QString& code);
    // The row's "删除": asks first when something is held of the fund.
    void askRemoveFund(const QString& code);

    // The watch-list rows as shown: "name|code" per row; empty when the
    // section shows its empty text.
    QStringList sectorRows() const;
    QStringList fundRows() const;
    // The row widget of a watched code (its context menu holds "删除").
    QWidget* sectorRow(const QString& code) const;
    QWidget* fundRow(const QString& code) const;
    // What a fund's row says is held of it ("10,000.00 份"); empty for none.
    QString fundHeldText(const QString& code) const;

    // The holding sheets: a watched fund's (its row's double click and
    // "编辑持仓"), gold's (its own row).
    void openHoldingSheet(const QString& code);
    void openGoldHoldingSheet();
    QWidget* goldHoldingRow() const { return m_goldRow; }
    // "20.0000 克", or "未设置".
    QString goldHoldingText() const;
    GoldToggle* hideAmountsSwitch() const { return m_hideAmounts; }

    // The tray figure's source: "gold", a board code or "profit".
    QComboBox* sourceMenu() const { return m_sourceMenu; }
    void chooseSource(int index);

    AlertRuleList* ruleList() const { return m_ruleList; }
    IconButton* addRuleButton() const { return m_ruleButton; }
    void openAddRuleSheet();

    GoldToggle* autoCheckSwitch() const { return m_autoCheck; }
    QPushButton* updateButton() const { return m_updateButton; }
    QString updateStatusText() const;
    QString versionText() const;
    QPushButton* donationLink() const { return m_donation; }

    std::optional<QString> message() const;

    // Scrolls the page until `child` is in view.
    void ensureVisible(QWidget* child);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* section(const QString& title, QWidget* content, IconButton* button = nullptr);
    void rebuildWatchRows();
    void refreshSourceMenu();
    void refreshHoldings();
    // The watched fund's name, or its code when it is not watched.
    QString fundName(const QString& code) const;
    // Shows `sheet` over the sheet host until it is finished.
    template <typename Sheet> void presentSheet(Sheet* sheet);
    void refreshAbout();
    void setMessage(std::optional<QString> message, WatchAddForm* near = nullptr);
    // Adds an entry through `form` (the sector or the fund form), unless it
    // is watched already.
    void addEntry(WatchAddForm* form, const QString& code, const QString& name);
    void pressUpdateButton();
    QWidget* sheetHost() const;

    ConfigStore& m_watchList;
    HoldingsStore& m_holdings;
    AlertConfig& m_rules;
    UpdateChecker& m_updates;
    RefreshCycle& m_cycle;
    LookupService m_lookup;
    SectorSearchService m_sectorSearch;
    FundSearchService m_fundSearch;
    QWidget* m_sheetHost = nullptr;

    QScrollArea* m_scroll = nullptr;
    IconButton* m_sectorButton = nullptr;
    IconButton* m_fundButton = nullptr;
    QWidget* m_sectorFormBox = nullptr;
    QWidget* m_fundFormBox = nullptr;
    WatchAddForm* m_sectorForm = nullptr;
    WatchAddForm* m_fundForm = nullptr;
    QVBoxLayout* m_sectorRows = nullptr;
    QVBoxLayout* m_fundRows = nullptr;
    QWidget* m_goldRow = nullptr;
    QLabel* m_goldHolding = nullptr;
    GoldToggle* m_hideAmounts = nullptr;
    QComboBox* m_sourceMenu = nullptr;
    IconButton* m_ruleButton = nullptr;
    AlertRuleList* m_ruleList = nullptr;
    QLabel* m_version = nullptr;
    GoldToggle* m_autoCheck = nullptr;
    QLabel* m_updateStatus = nullptr;
    QPushButton* m_updateButton = nullptr;
    QPushButton* m_donation = nullptr;
};
