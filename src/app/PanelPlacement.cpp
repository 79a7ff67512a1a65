#include "PanelPlacement.h"

#include <QtMath>

#include <algorithm>

namespace PanelPlacement {

QPoint topLeft(const QRect& anchor, const QSize& panel, const QRect& available)
{
    // QRect::right() is the last pixel column, one short of the edge.
    const int availableRight = available.x() + available.width();
    const int rightmost = availableRight - panel.width() - gap;

    if (anchor.isEmpty())
        return {rightmost, available.y() + gap};

    const double anchorCentre = anchor.x() + anchor.width() / 2.0;
    int x = qRound(anchorCentre - panel.width() / 2.0);
    x = std::max(x, available.x() + gap);
    x = std::min(x, rightmost);

    int y = anchor.y() + anchor.height() + gap;
    if (y + panel.height() > available.y() + available.height())
        y = anchor.y() - gap - panel.height();
    return {x, y};
}

bool closesPanel(const QPoint& click, const QRect& anchor, const QRect& panel,
                 const QList<QRect>& otherWindows)
{
    // A default QRect grown by a few pixels would become a real square at the
    // origin, so an unknown anchor must not be grown.
    if (!anchor.isEmpty() && anchor.adjusted(-gap, -gap, gap, gap).contains(click))
        return false;
    if (panel.contains(click))
        return false;
    return std::none_of(otherWindows.cbegin(), otherWindows.cend(),
                        [&click](const QRect& window) { return window.contains(click); });
}

} // namespace PanelPlacement
