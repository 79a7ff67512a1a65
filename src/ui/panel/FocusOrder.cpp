#include "FocusOrder.h"

#include <QApplication>
#include <QScrollArea>
#include <QWidget>

namespace FocusOrder {

namespace {

bool stopsAt(const QWidget* widget, const QWidget* root)
{
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !widget->focusProxy() &&
           widget->isEnabled() && widget->isVisibleTo(root);
}

// Depth first, in child order. `current` is listed wherever it stands, even
// when Tab would not stop at it.
void walk(const QWidget* parent, const QWidget* root, const QWidget* current, QList<QWidget*>& out)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        if (widget == current || stopsAt(widget, root))
            out.append(widget);
        // A hidden branch holds nothing to stop at, but may hold `current`.
        if (!widget->isHidden() || (current && widget->isAncestorOf(current)))
            walk(widget, root, current, out);
    }
}

// Scrolls every scroll area the control sits in until it shows. A scroll
// area does that itself only for a Tab that starts inside it.
void bringIntoView(QWidget* control)
{
    for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(w))
            area->ensureWidgetVisible(control, 0, 16);
    }
}

} // namespace

QList<QWidget*> chain(const QWidget* root)
{
    QList<QWidget*> result;
    walk(root, root, nullptr, result);
    return result;
}

bool move(const QWidget* root, bool forward)
{
    QWidget* current = QApplication::focusWidget();
    if (current && !root->isAncestorOf(current))
        current = nullptr;
    QList<QWidget*> order;
    walk(root, root, current, order);
    const qsizetype at = current ? order.indexOf(current) : -1;
    const qsizetype n = order.size();
    for (qsizetype step = 1; step <= n; ++step) {
        // From nowhere, forward starts at the first and backward at the last.
        const qsizetype i = at < 0 ? (forward ? step - 1 : n - step)
                                   : ((at + (forward ? step : -step)) % n + n) % n;
        QWidget* candidate = order[i];
        if (candidate != current && stopsAt(candidate, root)) {
            // In view first: the ring is placed when the focus arrives.
            bringIntoView(candidate);
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    // Only the focused control itself: it keeps the focus.
    return current && stopsAt(current, root);
}

} // namespace FocusOrder
