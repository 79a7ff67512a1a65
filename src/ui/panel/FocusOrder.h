#pragma once

#include <QList>

class QWidget;

// The order Tab walks through the panel: the order of the widget tree, which
// is the order of the layouts, so the reading order of the page. Qt's own
// chain is the order in which widgets joined the window instead, and the
// panel rebuilds its lists (watched codes, alert rules) while it is open:
// rebuilt rows would come last, after the page's foot.
namespace FocusOrder {

// The controls under `root` that Tab stops at, in tree order: shown, enabled,
// taking the focus by Tab, not inside a window of their own.
QList<QWidget*> chain(const QWidget* root);

// Gives the focus to the control after (or before) the focused one in
// `root`'s chain, wrapping round at the ends. A focused widget no longer in
// the chain (one just hidden) counts where it stood in the tree. Scroll areas
// on the way scroll the new one into view. False when the chain is empty.
bool move(const QWidget* root, bool forward);

} // namespace FocusOrder
