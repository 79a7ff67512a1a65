#include "Icons.h"

#include <QDir>
#include <QFile>
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

} // namespace

QPixmap pixmap(const QString& name, const QColor& color, int logicalSize, qreal dpr)
{
    ensureResources();
    if (logicalSize <= 0 || dpr <= 0)
        return {};
    const QString key = u"quotara-icon:%1:%2:%3:%4"_s.arg(name, color.name(QColor::HexArgb))
                            .arg(logicalSize)
                            .arg(dpr);
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
    const int side = int(std::ceil(logicalSize * dpr));
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

QIcon icon(const QString& name, const QColor& color, int logicalSize)
{
    QIcon result;
    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap rendering = pixmap(name, color, logicalSize, dpr);
        if (!rendering.isNull())
            result.addPixmap(rendering);
    }
    return result;
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
