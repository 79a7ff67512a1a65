#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

// The tray / status-bar item that always shows the live figure. The desktop
// behind it (a system tray icon, a StatusNotifierItem, a menu-bar item) is
// the platform layer's business; the controller sees only this.
class StatusItem : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The figure, e.g. "▲ 612.35" or "--".
    virtual void setTitle(const QString& title) = 0;
    // A few lines for hosts that show a tool tip; the tool tip shows the
    // title first, then these.
    virtual void setToolTip(const QString& text) = 0;
    // The item's rectangle on screen (Qt's downward y axis); empty when the
    // host does not tell where the item is.
    virtual QRect geometry() const = 0;
    // Where the host said the user last clicked the item, for hosts that do
    // not tell where the item is; nothing when unknown.
    virtual std::optional<QPoint> clickPoint() const { return std::nullopt; }

signals:
    void leftClicked();
    // The host shows the one-item menu itself; the controller only hides the panel.
    void rightClicked();
    // "打开面板" was chosen: open the panel (never close it, unlike a click).
    void panelRequested();
    // "退出" was chosen.
    void quitRequested();
};
