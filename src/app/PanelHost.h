#pragma once

#include <QObject>
#include <QRect>

// The drop-down panel window as the controller sees it: shown under the
// status item, hidden again by a click on the item or anywhere outside.
class PanelHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows the panel hanging below `anchor` (the status item's rectangle;
    // empty when unknown) and gives it keyboard focus.
    virtual void present(const QRect& anchor) = 0;
    // Hides the panel and stops watching for outside clicks.
    virtual void dismiss() = 0;
    virtual bool isShown() const = 0;

signals:
    // The panel hid itself (an outside click, Escape).
    void dismissed();
};
