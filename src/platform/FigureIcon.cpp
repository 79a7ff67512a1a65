#include "FigureIcon.h"

#include "ui/panel/Palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace FigureIcon {

namespace {

// Fixed, whatever the desktop's appearance: the tile is what gives the light
// digits their contrast, on a white panel as on a black one.
QColor tileColour()
{
    return QColor(0x23, 0x28, 0x2C);
}

QColor digitColour()
{
    return QColor(0xF2, 0xF2, 0xF7);
}

// Block digits on the pixel grid: seven bars, each a whole number of pixels
// thick, so that nothing is smoothed into grey at 16 px.
//
//    aaa
//   f   b
//    ggg
//   e   c
//    ddd
enum Segment : unsigned { a = 1, b = 2, c = 4, d = 8, e = 16, f = 32, g = 64 };

unsigned segments(QChar glyph)
{
    switch (glyph.unicode()) {
    case u'0':
        return a | b | c | d | e | f;
    case u'1':
        return b | c;
    case u'2':
        return a | b | g | e | d;
    case u'3':
        return a | b | g | c | d;
    case u'4':
        return f | g | b | c;
    case u'5':
        return a | f | g | c | d;
    case u'6':
        return a | f | g | e | c | d;
    case u'7':
        return a | b | c;
    case u'8':
        return a | b | c | d | e | f | g;
    case u'9':
        return a | b | c | d | f | g;
    default: // '-'
        return g;
    }
}

void drawGlyph(QPainter& painter, QChar glyph, QRect box, int stroke)
{
    const int w = box.width();
    const int h = box.height();
    const int t = stroke;
    const int middle = (h - t) / 2;
    const unsigned on = segments(glyph);
    const auto bar = [&](unsigned segment, int x, int y, int width, int height) {
        if (on & segment)
            painter.fillRect(QRect(box.x() + x, box.y() + y, width, height), digitColour());
    };
    bar(a, 0, 0, w, t);
    bar(g, 0, middle, w, t);
    bar(d, 0, h - t, w, t);
    bar(f, 0, 0, t, middle + t);
    bar(b, w - t, 0, t, middle + t);
    bar(e, 0, middle, t, h - middle);
    bar(c, w - t, middle, t, h - middle);
}

// A triangle with 45° sides built from whole-pixel rows: one pixel at the tip,
// two more on every row below it.
void drawArrow(QPainter& painter, Direction direction, QRect band)
{
    const int rows = band.height();
    const int base = 2 * rows - 1;
    const int left = band.x() + (band.width() - base) / 2;
    const QColor colour = direction == Direction::up ? Palette::up() : Palette::down();
    for (int row = 0; row < rows; ++row) {
        const int width = 1 + 2 * row;
        const int y = direction == Direction::up ? band.y() + row : band.bottom() - row;
        painter.fillRect(QRect(left + (base - width) / 2, y, width, 1), colour);
    }
}

} // namespace

Figure read(const QString& title)
{
    Figure figure;
    QString rest = title.trimmed();
    if (rest.startsWith(u'▲'))
        figure.direction = Direction::up;
    else if (rest.startsWith(u'▼'))
        figure.direction = Direction::down;
    if (figure.direction != Direction::none)
        rest = rest.mid(1).trimmed();

    // The day's profit is signed and grouped: "+1,234".
    if (rest.startsWith(u'+') || rest.startsWith(u'-'))
        rest = rest.mid(1);
    const auto isDigit = [&](qsizetype at) {
        return at < rest.size() && rest[at].isDigit() && rest[at].unicode() < 128;
    };
    QString whole;
    qsizetype at = 0;
    for (; at < rest.size(); ++at) {
        if (isDigit(at))
            whole += rest[at];
        else if (!(rest[at] == u',' && !whole.isEmpty() && isDigit(at + 1)))
            break;
    }
    const bool number =
        !whole.isEmpty() && (at == rest.size() || (rest[at] == u'.' && at + 1 < rest.size()));
    if (!number)
        return {Direction::none, u"--"_s};
    figure.whole = whole;
    return figure;
}

QImage render(const QString& title, int size)
{
    const Figure figure = read(title);
    const int s = std::max(size, 8);
    QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, s, s), s * 0.2, s * 0.2);
    painter.fillPath(tile, tileColour());
    painter.setRenderHint(QPainter::Antialiasing, false);

    const int pad = s >= 32 ? s / 16 : 1;
    const int band = qRound(s * 0.28);
    const int gap = std::max(1, s / 16);
    const QRect arrowBand(pad, pad, s - 2 * pad, band);

    // The digits take what is left below the arrow: the widest that fit,
    // never taller than a little over twice their width, and never narrower
    // than three pixels, the least that keeps a hole in a "0". A "1" is only
    // its bar: in a full cell it would stand apart and "612" would read "6 12".
    const QRect digitArea(pad, pad + band + gap, s - 2 * pad, s - 2 * pad - band - gap);
    const auto n = int(figure.whole.size());
    const auto ones = int(figure.whole.count(u'1'));
    const auto strokeFor = [](int w) { return std::max(1, qRound(w / 3.0)); };
    const auto rowWidth = [&](int w) {
        return (n - ones) * w + ones * strokeFor(w) + (n - 1) * gap;
    };
    int width = std::max(3, (digitArea.height() - 1) / 2);
    while (width > 3 && rowWidth(width) > digitArea.width())
        --width;
    const int stroke = strokeFor(width);
    int height = std::min(digitArea.height(), 2 * width + 1);
    // Equal room above and below the middle bar.
    if ((height - 3 * stroke) % 2 != 0)
        --height;
    const auto cellWidth = [&](QChar glyph) { return glyph == u'1' ? stroke : width; };

    if (figure.direction != Direction::none) {
        drawArrow(painter, figure.direction, arrowBand);
    } else if (figure.whole != u"--"_s) {
        // A market that is closed has no direction: a flat gold dash keeps
        // the place of the arrow.
        const int dash = std::max(3, s / 3);
        painter.fillRect(QRect((s - dash) / 2, arrowBand.y() + (band - stroke) / 2, dash, stroke),
                         Palette::brandGold());
    }

    // Too many digits for the slot (five at 16 px) run into the padding.
    int x = digitArea.x() + std::max(-pad, (digitArea.width() - rowWidth(width)) / 2);
    const int y = digitArea.y() + (digitArea.height() - height) / 2;
    for (const QChar glyph : figure.whole) {
        drawGlyph(painter, glyph, QRect(x, y, cellWidth(glyph), height), stroke);
        x += cellWidth(glyph) + gap;
    }
    return image;
}

QList<int> sizes()
{
    return {16, 18, 20, 22, 24, 32, 48, 64};
}

QIcon icon(const QString& title)
{
    QIcon result;
    for (int size : sizes())
        result.addPixmap(QPixmap::fromImage(render(title, size)));
    return result;
}

} // namespace FigureIcon
