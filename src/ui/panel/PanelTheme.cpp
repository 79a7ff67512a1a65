#include "PanelTheme.h"

#include "KeyboardFocus.h"
#include "Palette.h"
#include "PanelStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace {

const char* const rootProperty = "quotaraPanelRoot";
const char* const givenProperty = "quotaraPanelLook";

// Fusion draws everything from the palette, so with the panel's palette it
// has no light edge anywhere but one: it outlines a tool tip in the tip's
// text colour. Desktop styles (Breeze, Kvantum, a GTK bridge) may bring
// pixmaps or colours of their own, so the panel never uses them.
//
// The keyboard focus is shown one way everywhere: a gold ring just outside
// the focused control (the focus frame KeyboardFocus moves around), not
// Fusion's dark inner outline, which hardly shows on the panel.
class Style : public QProxyStyle {
public:
    Style() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_FrameFocusRect)
            return;
        if (element != PE_PanelTipLabel) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setPen(option->palette.color(QPalette::Midlight));
        painter->setBrush(option->palette.toolTipBase());
        painter->drawRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5));
        painter->restore();
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element != CE_FocusFrame) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        // The frame is the control's rectangle grown by the margin on every
        // side; the ring's line runs in that margin, clear of the control.
        const qreal half = PanelTheme::focusRingWidth / 2;
        const QRectF ring = QRectF(option->rect).adjusted(half, half, -half, -half);
        const qreal radius = std::min(ring.height() / 2, qreal(PanelTheme::focusRingRadius));
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(Palette::focusRing(), PanelTheme::focusRingWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(ring, radius, radius);
        painter->restore();
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
            return PanelTheme::focusRingMargin;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        // Above the control, so that neighbours and cards do not cover it.
        if (hint == SH_FocusFrame_AboveWidget)
            return 1;
        // No mask: the frame paints its ring and nothing else, and a mask
        // would cut the ring's rounded corners.
        if (hint == SH_FocusFrame_Mask)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

class Look : public QObject {
public:
    explicit Look(QObject* parent) : QObject(parent), m_style(new Style)
    {
        m_style->setParent(this);
    }

    QStyle* style() const { return m_style; }

    void give(QWidget* widget) const
    {
        widget->setProperty(givenProperty, true);
        if (!widget->testAttribute(Qt::WA_SetStyle))
            widget->setStyle(m_style);
        // A combo box's list draws its entries as menu items, and Qt takes
        // every colour the list does not set itself from the application's
        // menu palette.
        if (qobject_cast<QAbstractItemView*>(widget))
            widget->setPalette(Palette::widgetPalette());
        if (isPopup(widget))
            givePopup(widget);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Polish && type != QEvent::Show) || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        // Polish comes once per widget, before a tool tip measures its text
        // and usually before a widget is first shown. But a widget asked for
        // its size hint while still outside the panel (a combo box filled in
        // its view's constructor) is polished there, so showing counts too.
        if (!widget->property(givenProperty).toBool()) {
            if (PanelTheme::covers(widget))
                give(widget);
        } else if (type == QEvent::Show && isPopup(widget)) {
            // Qt hands pop-ups palettes of its own between showings: a combo
            // box gives its list the menu palette when its style changes, and a
            // tool tip opened from a widget with a style sheet is rebuilt from
            // QToolTip::palette().
            givePopup(widget);
        }
        return false;
    }

private:
    static bool isPopup(const QWidget* widget)
    {
        return widget->isWindow() && !widget->property(rootProperty).toBool();
    }

    // A window opened from inside the panel: a menu, a combo box's list, a
    // tool tip. With window propagation it also follows its opener's
    // palette whenever Qt resets its own.
    static void givePopup(QWidget* popup)
    {
        popup->setAttribute(Qt::WA_WindowPropagation);
        popup->setPalette(Palette::widgetPalette());
        // A tool tip in the size tool tips have; a menu or a list in its
        // opener's font.
        popup->setFont(popup->inherits("QTipLabel") ? PanelStyle::font(12)
                                                    : popup->parentWidget()->font());
    }

    QStyle* m_style;
};

Look* look()
{
    static QPointer<Look> instance;
    if (!instance) {
        instance = new Look(qApp);
        qApp->installEventFilter(instance);
    }
    return instance;
}

} // namespace

namespace PanelTheme {

void apply(QWidget* root)
{
    Look* theme = look();
    KeyboardFocus::install();
    root->setProperty(rootProperty, true);
    root->setPalette(Palette::widgetPalette());
    root->setFont(PanelStyle::font(13));
    theme->give(root);
    // Widgets polished before the root was known get the look now; the
    // others get it when they are polished or shown.
    const QList<QWidget*> children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->testAttribute(Qt::WA_WState_Polished))
            theme->give(child);
    }
}

bool covers(const QWidget* widget)
{
    // parentWidget() leads from a pop-up to the widget that opened it.
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property(rootProperty).toBool())
            return true;
    }
    return false;
}

QStyle* style()
{
    return look()->style();
}

} // namespace PanelTheme
