#pragma once

#include "app/StatusItem.h"

#include <QSystemTrayIcon>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QMenu;

// The status item as a system tray icon, for desktops whose tray speaks the
// old XEmbed protocol. The tray shows a square picture and no text, so the
// icon is the figure's square rendering (FigureIcon) and the full title is
// in the tool tip.
//
// At session start-up the tray host often comes up after the app: while no
// tray is there the item keeps asking for a while and shows the icon as soon
// as one appears; if none does, the app falls back to an ordinary window.
class TrayStatusItem : public StatusItem {
    Q_OBJECT
public:
    struct Options {
        // Whether there is a tray to put the icon in; default:
        // QSystemTrayIcon::isSystemTrayAvailable.
        std::function<bool()> trayProbe;
        std::chrono::milliseconds retryInterval{1000};
        int retryAttempts = 60;
    };

    explicit TrayStatusItem(Options options, QObject* parent = nullptr);
    explicit TrayStatusItem(QObject* parent = nullptr) : TrayStatusItem(Options{}, parent) {}
    ~TrayStatusItem() override;

    void setTitle(const QString& title) override;
    void setToolTip(const QString& text) override;
    // QSystemTrayIcon::geometry(): empty under StatusNotifierItem hosts,
    // which do not tell where the icon is.
    QRect geometry() const override;

    QString title() const { return m_title; }
    bool trayAvailable() const { return m_trayAvailable; }
    // No tray appeared while the item was asking; it asks no more.
    bool trayGivenUp() const { return m_trayGivenUp; }
    // For balloon messages when the desktop has no notification service.
    QSystemTrayIcon* trayIcon() const { return m_trayIcon.get(); }

signals:
    // True when a tray has appeared and the icon is shown; false once, when
    // the wait for a tray is given up. Neither is emitted for what is already
    // known when the constructor returns.
    void trayAvailabilityChanged(bool available);

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void probeTray();
    void updateIcon();
    void updateToolTip();

    std::function<bool()> m_trayProbe;
    int m_attemptsLeft;
    QTimer m_retryTimer;
    bool m_trayAvailable = false;
    bool m_trayGivenUp = false;
    QString m_title = QStringLiteral("--");
    QString m_toolTip;
    // Declared before the icon so that the icon, which refers to it, goes first.
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
};
