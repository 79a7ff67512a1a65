#pragma once

#include "app/Tab.h"

#include <QWidget>

class FundView;
class GoldView;
class IconButton;
class MenuBarController;
class QComboBox;
class QLabel;
class QStackedWidget;
class SectorView;
class SegmentedTabs;
class SettingsView;
class UpdateBanner;

// The panel's root view: header, update banner, the three market tabs (or
// the settings) and the message line (errors, alerts that reached no one).
// It owns no data: everything is read from the controller and redrawn when
// the controller changes.
//
// Tab walks its controls in reading order (FocusOrder), staying inside a
// sheet while one is open. Escape leaves the settings for the tabs; on the
// tabs it is left to the window, which closes.
class MainPanelView : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 400, panelHeight = 500;

    explicit MainPanelView(MenuBarController& controller, QWidget* parent = nullptr);

    // The header's status text: the market text while everything is closed,
    // else "刷新中…" or the countdown, else the market text.
    static QString statusText(bool allMarketsClosed, int countdown, bool isLoading,
                              const QString& panelStatusText);
    static QString tabLabel(Tab tab); // "黄金", "板块", "基金"

    Tab tab() const { return m_tab; }
    void setTab(Tab tab);
    bool showSettings() const { return m_showSettings; }
    void setShowSettings(bool show);

    // Reads everything again, the tabs included.
    void refresh();

    QString titleText() const;
    QString headerStatusText() const;
    bool isSectorPickerShown() const;
    bool isUpdateBannerShown() const;
    bool isErrorLineShown() const;
    // The failed refresh's message and the undelivered alerts, one per line.
    QString errorLineText() const;
    QComboBox* sectorPicker() const { return m_picker; }
    UpdateBanner* updateBanner() const { return m_banner; }
    SegmentedTabs* tabs() const { return m_tabs; }
    GoldView* goldView() const { return m_gold; }
    SectorView* sectorView() const { return m_sector; }
    FundView* fundView() const { return m_fund; }
    SettingsView* settingsView() const { return m_settings; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The header, the board picker and the message line.
    void refreshFrame();
    void applyPendingTab();
    void showStatus();
    // After the page changed under a focus that was in the panel, the
    // focus starts again at the top of the new page.
    void focusFirstControl();
    void pickSector(int index);

    MenuBarController& m_controller;
    Tab m_tab = Tab::gold;
    bool m_showSettings = false;

    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    IconButton* m_gear = nullptr;
    IconButton* m_close = nullptr;
    UpdateBanner* m_banner = nullptr;
    QWidget* m_bannerDivider = nullptr;
    QStackedWidget* m_body = nullptr;
    QWidget* m_tabArea = nullptr;
    SettingsView* m_settings = nullptr;
    SegmentedTabs* m_tabs = nullptr;
    QWidget* m_pickerRow = nullptr;
    QComboBox* m_picker = nullptr;
    QStackedWidget* m_tabViews = nullptr;
    GoldView* m_gold = nullptr;
    SectorView* m_sector = nullptr;
    FundView* m_fund = nullptr;
    QWidget* m_errorLine = nullptr;
    QLabel* m_errorText = nullptr;
    QStringList m_pickerCodes;
};
