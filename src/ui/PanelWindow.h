#pragma once

#include "app/PanelHost.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <chrono>
#include <memory>

class QWidget;

// The drop-down panel: one top-level window, built once and only ever hidden
// and shown again. It hangs below the tray icon as a frameless dark card with
// rounded corners, stays above other windows, has no taskbar entry, and hides
// itself when the user clicks anywhere outside it.
//
// Escape that nothing inside the panel takes closes it, as a click outside
// does.
//
// On a desktop with no tray at all it becomes an ordinary framed window that
// stays open like any other.
class PanelWindow : public PanelHost {
    Q_OBJECT
public:
    static constexpr QSize panelSize{400, 500};
    static constexpr int cornerRadius = 14;
    // The click that opened the panel must not count as a click outside it.
    static constexpr std::chrono::milliseconds monitoringDelay{300};

    explicit PanelWindow(QObject* parent = nullptr);
    ~PanelWindow() override;

    void present(const QRect& anchor) override;
    void dismiss() override;
    bool isShown() const override;

    // Puts `content` inside the panel, taking ownership; the previous content
    // is deleted.
    void setContent(QWidget* content);
    QWidget* content() const;

    // A framed, titled window that ignores outside clicks, for desktops
    // without a tray. Closing it emits closedAsWindow(): with no tray icon
    // left to reopen it or to quit from, closing the window is quitting.
    void setOrdinaryWindow(bool ordinary);
    bool isOrdinaryWindow() const { return m_ordinary; }

    // Whether outside clicks are being watched for right now.
    bool isMonitoring() const { return m_monitoring; }
    // The anchor of the last present().
    QRect anchorRect() const { return m_anchor; }
    QWidget* window() const;

signals:
    void closedAsWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Surface;

    void applyWindowFlags();
    void startMonitoring();
    void stopMonitoring();
    // Hides the panel on the user's behalf (a click outside, Escape) and
    // tells the controller.
    void closeFromOutside();
    void onClosedByUser();
    QList<QRect> otherWindowRects() const;

    std::unique_ptr<Surface> m_surface;
    QPointer<QWidget> m_content;
    QTimer m_monitoringDelay;
    bool m_monitoring = false;
    bool m_ordinary = false;
    QRect m_anchor;
};
