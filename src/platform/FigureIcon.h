#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The live figure as a square icon, for trays that give an item a 16–24 px
// square slot and show no text beside it (KDE Plasma, XEmbed trays). A title
// drawn as text into such a slot shrinks to an unreadable smudge, so the
// icon carries only what survives at that size: the direction as a red ▲ or
// a green ▼, and the integer part of the figure in block digits drawn on the
// pixel grid, light on a dark tile so that it reads on light and dark panels
// alike. The full title goes into the tool tip.
namespace FigureIcon {

enum class Direction { up, down, none };

struct Figure {
    Direction direction = Direction::none;
    // The digits before the decimal point, or "--" when there is no figure.
    QString whole;

    bool operator==(const Figure&) const = default;
};

// "▲ 612.35" → up, "612"; "1523.40" → none, "1523"; "▼ -1,234" → down,
// "1234"; "--", "▲ ****" or anything without a number → none, "--".
Figure read(const QString& title);

// The icon `size` device pixels square. Transparent outside the tile.
QImage render(const QString& title, int size);

// The sizes trays ask for, 16 to 64 px (trayer, for one, gives its icons
// the panel height less a 2 px border), rendered exactly rather than scaled.
QIcon icon(const QString& title);

// The sizes `icon` holds, smallest first.
QList<int> sizes();

} // namespace FigureIcon
