#include "TrayApplication.h"

#include "alerts/AlertNotifier.h"
#include "app/MenuBarController.h"
#include "market/Log.h"
#include "platform/DesktopStatusItem.h"
#include "platform/FreedesktopNotifications.h"
#include "ui/PanelWindow.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/PanelStyle.h"

#include <QApplication>

TrayApplication::TrayApplication(QObject* parent) : QObject(parent)
{
    // Text the panel does not draw (the tray icon's tool tip, the balloon of a
    // tray without notifications) is Chinese too: the panel's faces first, at
    // the desktop's size.
    QFont font = QApplication::font();
    font.setFamilies(PanelStyle::families());
    QApplication::setFont(font);

    m_statusItem = new DesktopStatusItem(this);
    m_panel = new PanelWindow(this);
    m_desktop = new FreedesktopNotifications(QDBusConnection::sessionBus(), this);
    m_balloons = m_statusItem->createBalloonChannel(this);
    m_notifier = new AlertNotifier(m_desktop, m_balloons, this);

    m_controller = new MenuBarController(MenuBarController::Options{}, this);
    m_controller->setNotifier(m_notifier);
    m_controller->attachStatusItem(m_statusItem);
    m_controller->attachPanel(m_panel);
    m_panel->setContent(new MainPanelView(*m_controller));
    connect(m_controller, &MenuBarController::quitRequested, qApp, &QCoreApplication::quit);

    connect(m_statusItem, &DesktopStatusItem::noHost, this, &TrayApplication::fallBackToWindow);
    if (m_statusItem->hasNoHost())
        fallBackToWindow();
}

TrayApplication::~TrayApplication() = default;

PanelHost& TrayApplication::panel()
{
    return *m_panel;
}

void TrayApplication::fallBackToWindow()
{
    qCWarning(quotaraLog, "no system tray on this desktop; showing the panel as a window");
    m_panel->setOrdinaryWindow(true);
    // Nothing else would be left to quit from.
    connect(m_panel, &PanelWindow::closedAsWindow, qApp, &QCoreApplication::quit,
            Qt::UniqueConnection);
    m_controller->showPanel();
}
