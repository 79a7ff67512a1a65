#include "KeyboardFocus.h"

#include "PanelTheme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

namespace {

class Watcher : public QObject {
public:
    using QObject::QObject;

    QWidget* ringTarget() const
    {
        return m_ring && m_ring->isVisible() ? m_ring->widget() : nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!PanelTheme::covers(widget))
                return false;
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                // The focus moves next; the ring follows it from now on.
                m_keyboard = true;
                place(QApplication::focusWidget());
                return false;
            }
            return pressesButton(widget, key);
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_keyboard = false;
            place(nullptr);
            return false;
        case QEvent::FocusIn:
            if (PanelTheme::covers(widget))
                place(m_keyboard ? QApplication::focusWidget() : nullptr);
            return false;
        case QEvent::Hide:
            // Opened again later, the panel starts without a ring. (Menus,
            // lists and tool tips come and go on their own.)
            if (widget->isWindow() && PanelTheme::covers(widget) &&
                widget->windowType() != Qt::Popup && widget->windowType() != Qt::ToolTip) {
                m_keyboard = false;
                place(nullptr);
            }
            return false;
        default:
            return false;
        }
    }

private:
    // Return and Enter press a focused button. A push button outside a
    // dialog takes only Space; the panel's own buttons, switches and
    // headers take neither.
    static bool pressesButton(QWidget* widget, const QKeyEvent* key)
    {
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }

    void place(QWidget* target)
    {
        // A text field's own outline turns gold with the focus. A container
        // holding the focus for a moment (a list rebuilding its rows) is no
        // control to point at.
        if (target && (qobject_cast<QLineEdit*>(target) || !PanelTheme::covers(target) ||
                       target->isWindow() || !(target->focusPolicy() & Qt::TabFocus)))
            target = nullptr;
        if (!target) {
            if (m_ring)
                m_ring->setWidget(nullptr);
            return;
        }
        if (!m_ring) {
            // One ring for the application: only one control has the focus.
            // It lives in the focused control's window and dies with it.
            m_ring = new QFocusFrame(target->window());
            m_ring->setStyle(PanelTheme::style());
        }
        m_ring->setWidget(target);
        // The frame stays hidden if the control was scrolled out of view
        // when it came; it must show once the control does.
        if (target->isVisible())
            m_ring->show();
    }

    bool m_keyboard = false;
    QPointer<QFocusFrame> m_ring;
};

Watcher* watcher()
{
    static QPointer<Watcher> instance;
    if (!instance) {
        instance = new Watcher(qApp);
        qApp->installEventFilter(instance);
    }
    return instance;
}

} // namespace

namespace KeyboardFocus {

void install()
{
    watcher();
}

QWidget* ringTarget()
{
    return watcher()->ringTarget();
}

} // namespace KeyboardFocus
