#pragma once

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <QTextItem>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <optional>

// Helpers for checking what the panel's components actually paint.
namespace PaintProbe {

// Application palettes like a dark and a light desktop's.
inline QPalette desktopPalette(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::Window, dark ? QColor(0x1e, 0x1e, 0x1e) : QColor(0xef, 0xf0, 0xf1));
    palette.setColor(QPalette::Base, dark ? QColor(0x2a, 0x2a, 0x2a) : QColor(0xfc, 0xfc, 0xfc));
    const QColor text = dark ? QColor(0xee, 0xee, 0xee) : QColor(0x23, 0x26, 0x29);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText,
                     dark ? QColor(0x88, 0x88, 0x88) : QColor(0x23, 0x26, 0x29, 128));
    return palette;
}

// `top` composited over the opaque `bottom`.
inline QColor over(const QColor& top, const QColor& bottom)
{
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a),
                            top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}

// Equal within `tolerance` per 8-bit channel, alpha aside: rounding and
// antialiasing move a channel by a step or two.
inline bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// A pixel of the widget's rendering, which lies over the window colour of the
// application palette.
inline QColor pixelAt(QWidget* widget, const QPoint& pos)
{
    return widget->grab().toImage().pixelColor(pos);
}

inline int countPixels(QWidget* widget, const QColor& color, int tolerance)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += near(image.pixelColor(x, y), color, tolerance) ? 1 : 0;
    }
    return count;
}

// WCAG's contrast ratio of two opaque colours, from 1 (none) to 21.
inline double contrastRatio(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](float v) {
            return v <= 0.04045f ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// One piece of text as a widget painted it: its colour (the pen's, with the
// painter's opacity), where it landed, and which widget painted it.
struct TextRun {
    QString text;
    QColor color;
    QFont font;
    QRect rect; // in the coordinates of the rendered root, cut to what shows
    QPointer<QWidget> widget;

    // WCAG's large text, for which 3:1 is enough: 18 pt (24 px), or 14 pt
    // (18.67 px) in bold.
    bool isLarge() const
    {
        const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96 / 72;
        return pixels >= 24 || (pixels >= 18.67 && font.weight() >= QFont::Bold);
    }
};

// Records the text a widget tree paints. QWidget::render() into this device
// hands every paint event the same painter, whose engine sees each run of
// text with the pen and transform it is drawn with; everything else is
// dropped. A picture a widget paints into a pixmap of its own first
// (an opacity effect, a cached plot) shows no text here.
class TextRecorder : public QPaintDevice, private QObject {
public:
    // Renders `root` as it stands and returns what it painted as text.
    static QList<TextRun> textOf(QWidget* root)
    {
        TextRecorder recorder(root->size());
        // The widget whose paint event is running, learnt from the events
        // on their way in.
        qApp->installEventFilter(&recorder);
        root->render(&recorder, QPoint(), QRegion(), QWidget::DrawChildren);
        qApp->removeEventFilter(&recorder);
        return recorder.m_engine.runs;
    }

    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            m_engine.widget = static_cast<QWidget*>(watched);
        return false;
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & DirtyPen)
                pen = state.pen();
            if (state.state() & DirtyTransform)
                transform = state.transform();
            if (state.state() & DirtyOpacity)
                opacity = state.opacity();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&,
                       Qt::ImageConversionFlags) override
        {}
        void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& origin, const QTextItem& item) override
        {
            if (item.text().trimmed().isEmpty())
                return;
            const QRectF box(origin.x(), origin.y() - item.ascent(), item.width(),
                             item.ascent() + item.descent());
            // Only what shows: the engine's clip is the painted widget's
            // visible part, in device coordinates.
            QRegion shown(transform.mapRect(box).toAlignedRect());
            if (!systemClip().isEmpty())
                shown &= systemClip();
            if (shown.isEmpty())
                return;
            QColor color = pen.color();
            color.setAlphaF(float(color.alphaF() * opacity));
            runs.append({item.text(), color, item.font(), shown.boundingRect(), widget});
        }

        QPen pen;
        QTransform transform;
        qreal opacity = 1;
        QPointer<QWidget> widget;
        QList<TextRun> runs;
    };

    explicit TextRecorder(QSize size) : m_size(size) {}

    QSize m_size;
    mutable Engine m_engine;
};

// The commonest colour in `rect` of `image`, leaving out colours near
// `except` when one is given.
inline QColor commonestColour(const QImage& image, const QRect& rect,
                              const std::optional<QColor>& except = std::nullopt)
{
    QHash<QRgb, int> counts;
    const QRect inside = rect & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (!except || !near(pixel, *except, 2))
                ++counts[pixel.rgb()];
        }
    }
    QRgb commonest = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            commonest = it.key();
        }
    }
    return QColor::fromRgb(commonest);
}

// The colour behind text in `image`: the commonest colour in `rect` apart
// from the text's own. Antialiased glyphs leave many shades, each of them
// rare; their solid strokes are in the text's colour.
inline QColor backgroundUnder(const QImage& image, const QRect& rect, const QColor& text)
{
    return commonestColour(image, rect, QColor(text.rgb()));
}

// The lightest pixel of the outermost ring of `image`: a window's frame.
inline QColor lightestEdge(const QImage& image)
{
    QColor lightest = Qt::black;
    const auto look = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y);
        if (pixel.lightness() > lightest.lightness())
            lightest = pixel;
    };
    for (int x = 0; x < image.width(); ++x) {
        look(x, 0);
        look(x, image.height() - 1);
    }
    for (int y = 0; y < image.height(); ++y) {
        look(0, y);
        look(image.width() - 1, y);
    }
    return lightest;
}

// What `root` paints as text, checked against what shows under it for WCAG
// AA: 4.5:1, or 3:1 for large text. Text of disabled widgets and items (the
// panel under a sheet, a button that cannot be pressed yet, a menu entry
// with nothing to act on) is exempt, as in WCAG. A placeholder is held to
// 3:1: it is fainter than content on purpose (Palette::placeholderText).
struct Legibility {
    int checked = 0;      // runs of text looked at
    QStringList failures; // one line per run below its minimum
};

// Text a style draws for an item that cannot be chosen (a menu's "Undo"
// with nothing to undo): the disabled text colour of the widget's palette, or
// the light one it etches such text with.
inline bool isDisabledItem(const TextRun& run)
{
    const QPalette& palette = run.widget->palette();
    const QColor colour = run.color;
    bool activeText = false;
    bool disabledText = false;
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        activeText = activeText || colour == palette.color(QPalette::Active, role);
        disabledText = disabledText || colour == palette.color(QPalette::Disabled, role);
    }
    return !activeText && (disabledText || colour == palette.color(QPalette::Light));
}

// The example an empty text field shows in its placeholder colour.
inline bool isPlaceholder(const TextRun& run)
{
    const auto* field = qobject_cast<const QLineEdit*>(run.widget.data());
    return field && field->text().isEmpty() &&
           run.color == field->palette().color(QPalette::PlaceholderText);
}

inline Legibility legibility(QWidget* root)
{
    Legibility result;
    const QImage image = root->grab().toImage();
    for (const TextRun& run : TextRecorder::textOf(root)) {
        if (run.widget && (!run.widget->isEnabled() || isDisabledItem(run)))
            continue;
        ++result.checked;
        const QColor background = backgroundUnder(image, run.rect, run.color);
        const double ratio = contrastRatio(over(run.color, background), background);
        const double minimum = run.isLarge() || isPlaceholder(run) ? 3.0 : 4.5;
        if (ratio < minimum) {
            result.failures.append(
                QStringLiteral("\"%1\" painted by %2 in %3 on %4: %5:1, needs %6:1")
                    .arg(run.text,
                         QString::fromLatin1(run.widget ? run.widget->metaObject()->className()
                                                        : "?"),
                         run.color.name(QColor::HexArgb), background.name())
                    .arg(ratio, 0, 'f', 2)
                    .arg(minimum));
        }
    }
    return result;
}

} // namespace PaintProbe

#define PROBE_COMPARE_COLOR_WITHIN(actual, expected, tolerance)                                    \
    do {                                                                                           \
        const QColor probeActual = (actual), probeExpected = (expected);                           \
        QVERIFY2(PaintProbe::near(probeActual, probeExpected, tolerance),                          \
                 qPrintable(QStringLiteral("got %1, expected %2")                                  \
                                .arg(probeActual.name(), probeExpected.name())));                  \
    } while (false)

#define PROBE_COMPARE_COLOR(actual, expected) PROBE_COMPARE_COLOR_WITHIN(actual, expected, 3)
