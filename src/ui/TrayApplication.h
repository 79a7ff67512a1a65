#pragma once

#include <QObject>

#include <memory>

class AlertNotifier;
class DesktopStatusItem;
class FreedesktopNotifications;
class MenuBarController;
class NotificationChannel;
class PanelHost;
class PanelWindow;

// The running tray app: the controller with its status item, panel window
// and notification channels, wired together once.
class TrayApplication : public QObject {
    Q_OBJECT
public:
    explicit TrayApplication(QObject* parent = nullptr);
    ~TrayApplication() override;

    MenuBarController& controller() { return *m_controller; }
    PanelHost& panel();

private:
    // Nothing to show the status item ever appeared: say so and keep the app
    // usable as a window.
    void fallBackToWindow();

    DesktopStatusItem* m_statusItem = nullptr;
    PanelWindow* m_panel = nullptr;
    FreedesktopNotifications* m_desktop = nullptr;
    NotificationChannel* m_balloons = nullptr;
    AlertNotifier* m_notifier = nullptr;
    MenuBarController* m_controller = nullptr;
};
