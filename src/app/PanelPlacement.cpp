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

    // Below the item, or above it where there is no room below; either way
    // inside the usable area, so never over the bar itself (a click point
    // inside a bar is an anchor of one pixel, not the bar's edge).
    const int availableBottom = available.y() + available.height();
    int y = anchor.y() + anchor.height() + gap;
    if (y + panel.height() > availableBottom) {
        y = std::min(anchor.y() - gap, availableBottom - gap) - panel.height();
    } else {
        y = std::max(y, available.y() + gap);
    }
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

std::optional<QByteArray> preferredPlatform(const QProcessEnvironment& environment,
                                            const QStringList& arguments)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return std::nullopt;
    for (const QString& argument : arguments) {
        if (argument == u"-platform" || argument == u"--platform" ||
            argument.startsWith(u"-platform=") || argument.startsWith(u"--platform="))
            return std::nullopt;
    }
    const bool wayland = environment.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland" ||
                         !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (wayland && !environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return QByteArrayLiteral("xcb");
    return std::nullopt;
}

} // namespace PanelPlacement
