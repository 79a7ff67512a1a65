#include "PanelStyle.h"

#include "Palette.h"

#include <QFrame>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace PanelStyle {

QStringList families()
{
    // Debian's fonts-noto-cjk, Adobe's own builds of the same design (global
    // and region-specific names), WenQuanYi, Google Fonts' build, then what
    // macOS and Windows bring.
    return {QStringLiteral("Noto Sans CJK SC"),   QStringLiteral("Source Han Sans SC"),
            QStringLiteral("Source Han Sans CN"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("Noto Sans SC"),       QStringLiteral("PingFang SC"),
            QStringLiteral("Microsoft YaHei")};
}

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont f;
    f.setFamilies(families());
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

void setColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
}

QLabel* label(const QString& text, int pixelSize, const QColor& color, QFont::Weight weight,
              QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFont(font(pixelSize, weight));
    setColor(l, color);
    return l;
}

QFrame* divider(double opacity, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Palette::withOpacity(Palette::cardBorder(), opacity));
    line->setPalette(palette);
    return line;
}

QEasingCurve easeInOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

QPushButton* borderedButton(const QString& text, int pixelSize, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setFont(font(pixelSize));
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                       " border-radius: 5px; padding: 2px 9px; }"
                       "QPushButton:hover { background: %4; }"
                       "QPushButton:pressed { background: %3; }"
                       "QPushButton:disabled { color: %5; }")
            .arg(Palette::cardBackground().name(), Palette::primaryText().name(),
                 Palette::cardBorder().name(), Palette::cardBackground().lighter(125).name(),
                 Palette::withOpacity(Palette::secondaryText(), 0.5).name(QColor::HexArgb)));
    return button;
}

QPushButton* prominentButton(const QString& text, int pixelSize, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setFont(font(pixelSize, QFont::Medium));
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: #1f1f1f; border: none;"
                       " border-radius: 5px; padding: 3px 12px; }"
                       "QPushButton:hover { background: %2; }"
                       "QPushButton:disabled { background: %3; color: %4; }")
            .arg(Palette::brandGold().name(), Palette::brandGoldBright().name(),
                 Palette::withOpacity(Palette::brandGold(), 0.3).name(QColor::HexArgb),
                 Palette::withOpacity(Palette::primaryText(), 0.4).name(QColor::HexArgb)));
    return button;
}

void styleScrollBars(QScrollArea* area)
{
    area->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 2px;"
                       " min-height: 24px; }"
                       "QScrollBar::handle:vertical:hover { background: %2; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
            .arg(Palette::withOpacity(Palette::secondaryText(), 0.35).name(QColor::HexArgb),
                 Palette::withOpacity(Palette::secondaryText(), 0.6).name(QColor::HexArgb)));
}

QVBoxLayout* makeTabColumn(QScrollArea* area)
{
    styleScrollBars(area);
    // Tab stops at a tab's page only while it has something to scroll with
    // the arrow keys; the page holds no control of its own.
    area->setFocusPolicy(Qt::NoFocus);
    QObject::connect(area->verticalScrollBar(), &QScrollBar::rangeChanged, area,
                     [area](int, int maximum) {
                         area->setFocusPolicy(maximum > 0 ? Qt::TabFocus : Qt::NoFocus);
                     });
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(14);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    return column;
}

qreal devicePixelRatio(const QPainter& painter)
{
    if (const QPaintEngine* engine = painter.paintEngine(); engine && engine->paintDevice())
        return engine->paintDevice()->devicePixelRatioF();
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

QPainterPath beginRoundedCard(QPainter& painter, const QRect& rect, const QColor& fill)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect).adjusted(0.25, 0.25, -0.25, -0.25), 12, 12);
    painter.setClipPath(shape);
    painter.fillRect(rect, fill);
    return shape;
}

void finishRoundedCard(QPainter& painter, const QPainterPath& shape)
{
    painter.setClipping(false);
    painter.setPen(QPen(Palette::cardBorder(), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

} // namespace PanelStyle
