#include "Icons.h"

#include "PanelStyle.h"

#include <QDir>
#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSet>
#include <QSvgRenderer>
#include <QtDebug>

#include <cmath>
#include <mutex>

using namespace Qt::StringLiterals;

// The resources are compiled into a static library, whose object files the
// linker drops unless something refers to them; this reference keeps them in
// every executable. Q_INIT_RESOURCE must be used outside any namespace.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace Icons {

namespace {

const QString resourceDir = u":/icons"_s;

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, [] { initIconResources(); });
}

QString pathOf(const QString& name)
{
    return resourceDir + u'/' + name + u".svg"_s;
}

QByteArray tinted(const QString& name, const QColor& color)
{
    QFile file(pathOf(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // SVG colours carry no alpha here; the opacity is applied when painting.
    return file.readAll().replace("currentColor", color.name(QColor::HexRgb).toLatin1());
}

// `name` in `color` on a square of `side` device pixels, marked for a
// screen of ratio `dpr`.
QPixmap render(const QString& name, const QColor& color, int side, qreal dpr)
{
    ensureResources();
    if (side <= 0 || dpr <= 0)
        return {};
    const QString key =
        u"quotara-icon:%1:%2:%3:%4"_s.arg(name, color.name(QColor::HexArgb)).arg(side).arg(dpr);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    const QByteArray svg = tinted(name, color);
    if (svg.isEmpty()) {
        // Once per name: this runs on every repaint of whatever asked.
        static QSet<QString> reported;
        if (!reported.contains(name)) {
            reported.insert(name);
            qWarning("Icons: no icon named %s", qPrintable(name));
        }
        return {};
    }
    QSvgRenderer renderer(svg);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(color.alphaF());
        renderer.render(&painter, QRectF(0, 0, side, side));
    }
    QPixmap result = QPixmap::fromImage(std::move(image));
    result.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, result);
    return result;
}

// A QIcon's pictures, drawn afresh for each pixel ratio asked for: a button
// or a menu entry on a screen of ratio 1.5 gets a picture of that ratio, not
// one made for another screen and scaled. It is never drawn larger than its
// own size, however much room a style offers (a menu's 16 px for a 14 px
// icon).
class TintedEngine : public QIconEngine {
public:
    TintedEngine(QString name, QColor color, int logicalSize)
        : m_name(std::move(name)), m_color(std::move(color)), m_size(logicalSize)
    {}

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min({size.width(), size.height(), m_size});
        return {side, side};
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::min({rect.width(), rect.height(), m_size});
        const QPoint corner =
            rect.topLeft() + QPoint(rect.width() - side, rect.height() - side) / 2;
        painter->drawPixmap(corner, Icons::pixmap(m_name, tint(mode), side,
                                                  PanelStyle::devicePixelRatio(*painter)));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const int room = std::min(size.width(), size.height());
        const int side = std::min(room, int(std::ceil(m_size * scale)));
        QPixmap picture = render(m_name, tint(mode), side, scale);
        if (side == room || picture.isNull())
            return picture;
        // Given less than it asked for, QIcon would mark the picture for a
        // lower ratio, and it would be drawn enlarged to fill the room. So it
        // fills the room, its own size in the middle of it.
        QPixmap padded(room, room);
        padded.fill(Qt::transparent);
        picture.setDevicePixelRatio(1);
        {
            QPainter painter(&padded);
            const int offset = (room - side) / 2;
            painter.drawPixmap(offset, offset, picture);
        }
        padded.setDevicePixelRatio(scale);
        return padded;
    }

    QIconEngine* clone() const override { return new TintedEngine(m_name, m_color, m_size); }
    QString key() const override { return u"quotara-tinted"_s; }
    bool isNull() override { return !exists(m_name); }

private:
    // A disabled button's picture fades with its text.
    QColor tint(QIcon::Mode mode) const
    {
        QColor color = m_color;
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.4f);
        return color;
    }

    QString m_name;
    QColor m_color;
    int m_size;
};

} // namespace

QPixmap pixmap(const QString& name, const QColor& color, int logicalSize, qreal dpr)
{
    if (logicalSize <= 0 || dpr <= 0)
        return {};
    return render(name, color, int(std::ceil(logicalSize * dpr)), dpr);
}

QIcon icon(const QString& name, const QColor& color, int logicalSize)
{
    return QIcon(new TintedEngine(name, color, logicalSize));
}

bool exists(const QString& name)
{
    ensureResources();
    return QFile::exists(pathOf(name));
}

QStringList names()
{
    ensureResources();
    QStringList result;
    const QStringList files = QDir(resourceDir).entryList({u"*.svg"_s}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        result << file.chopped(4);
    return result;
}

} // namespace Icons
