#include "PanelWindow.h"

#include "ui/panel/Palette.h"
#include "ui/panel/PanelTheme.h"

#include "app/PanelPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The window paints what shows around and behind the panel's content: the
// panel background, with a faint gold hairline along the rounded edge.
QColor cardColour()
{
    return Palette::panelBackground();
}

QColor hairlineColour()
{
    return Palette::withOpacity(Palette::brandGold(), 0.35);
}

QScreen* screenFor(const QRect& anchor)
{
    QScreen* screen = anchor.isEmpty() ? nullptr : QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen;
}

} // namespace

// The top-level window itself. With a translucent background it paints the
// rounded card, and its content area is masked to the same shape so that the
// views inside cannot paint over the corners.
class PanelWindow::Surface : public QWidget {
public:
    Surface() : m_contentArea(new QWidget(this))
    {
        auto* layout = new QVBoxLayout(m_contentArea);
        layout->setContentsMargins(0, 0, 0, 0);
    }

    QWidget* contentArea() const { return m_contentArea; }

    void setRounded(bool rounded)
    {
        m_rounded = rounded;
        updateContentArea();
        update();
    }

    std::function<void()> onClosed;
    std::function<void()> onEscape;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (!m_rounded) {
            painter.fillRect(rect(), cardColour());
            return;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(hairlineColour(), 1));
        painter.setBrush(cardColour());
        // Half a pixel in, so that the 1 px hairline lands on whole pixels.
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius,
                                cornerRadius);
    }

    void resizeEvent(QResizeEvent*) override { updateContentArea(); }

    // Escape that nothing inside took (no sheet open, not in the settings).
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && onEscape) {
            onEscape();
            return;
        }
        QWidget::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        QWidget::closeEvent(event);
        if (onClosed)
            onClosed();
    }

private:
    void updateContentArea()
    {
        // The content stays inside the hairline.
        const int inset = m_rounded ? 1 : 0;
        m_contentArea->setGeometry(rect().adjusted(inset, inset, -inset, -inset));
        if (!m_rounded) {
            m_contentArea->clearMask();
            return;
        }
        QPainterPath card;
        card.addRoundedRect(QRectF(m_contentArea->rect()), cornerRadius - inset,
                            cornerRadius - inset);
        m_contentArea->setMask(QRegion(card.toFillPolygon().toPolygon()));
    }

    QWidget* m_contentArea;
    bool m_rounded = true;
};

PanelWindow::PanelWindow(QObject* parent)
    : PanelHost(parent), m_surface(std::make_unique<Surface>())
{
    // Set before the native window exists: it decides the window's pixel format.
    m_surface->setAttribute(Qt::WA_TranslucentBackground);
    m_surface->setWindowTitle(u"Quotara"_s);
    m_surface->setFixedSize(panelSize);
    // The window, the placeholder and whatever content comes later.
    PanelTheme::apply(m_surface.get());
    m_surface->onClosed = [this] { onClosedByUser(); };
    // A drop-down closes on Escape like a menu; an ordinary window stays, as
    // closing it would quit.
    m_surface->onEscape = [this] {
        if (!m_ordinary)
            closeFromOutside();
    };
    applyWindowFlags();

    auto* placeholder = new QLabel(u"Quotara"_s);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setStyleSheet(u"color: #D4A017; font-size: 18px;"_s);
    setContent(placeholder);

    m_monitoringDelay.setSingleShot(true);
    m_monitoringDelay.setTimerType(Qt::PreciseTimer);
    m_monitoringDelay.setInterval(monitoringDelay);
    connect(&m_monitoringDelay, &QTimer::timeout, this, [this] {
        // Hidden again meanwhile (the item clicked twice in quick
        // succession): nothing to watch.
        if (isShown() && !m_ordinary)
            startMonitoring();
    });
}

PanelWindow::~PanelWindow()
{
    // The application filter must be gone before the window goes: its
    // destruction still sends events.
    stopMonitoring();
    m_surface.reset();
}

QWidget* PanelWindow::window() const
{
    return m_surface.get();
}

void PanelWindow::present(const QRect& anchor)
{
    m_anchor = anchor;
    if (!m_ordinary) {
        const QScreen* screen = screenFor(anchor);
        const QRect available = screen ? screen->availableGeometry() : QRect();
        m_surface->move(PanelPlacement::topLeft(anchor, m_surface->size(), available));
    }
    m_surface->show();
    m_surface->raise();
    // Shown in answer to the user's click, so taking the keyboard focus is
    // expected; it is the only place the panel asks for it.
    m_surface->activateWindow();
    if (!m_ordinary && !m_monitoring)
        m_monitoringDelay.start();
}

void PanelWindow::dismiss()
{
    m_monitoringDelay.stop();
    stopMonitoring();
    m_surface->hide();
}

bool PanelWindow::isShown() const
{
    return m_surface->isVisible();
}

void PanelWindow::setContent(QWidget* content)
{
    if (content == m_content)
        return;
    delete m_content;
    m_content = content;
    if (m_content)
        m_surface->contentArea()->layout()->addWidget(m_content);
}

QWidget* PanelWindow::content() const
{
    return m_content;
}

void PanelWindow::setOrdinaryWindow(bool ordinary)
{
    if (ordinary == m_ordinary)
        return;
    const bool wasShown = isShown();
    m_ordinary = ordinary;
    m_monitoringDelay.stop();
    stopMonitoring();
    applyWindowFlags(); // hides the window
    m_surface->setRounded(!ordinary);
    if (ordinary) {
        if (const QScreen* screen = screenFor(QRect())) {
            const QRect available = screen->availableGeometry();
            m_surface->move(available.center() - QPoint(panelSize.width(), panelSize.height()) / 2);
        }
    }
    if (wasShown)
        present(m_anchor);
}

void PanelWindow::applyWindowFlags()
{
    if (m_ordinary) {
        m_surface->setWindowFlags(Qt::Window);
        return;
    }
    // A tool window has no taskbar entry. Frameless, but the window system
    // may still draw its shadow around it: NoDropShadowWindowHint stays off.
    m_surface->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

void PanelWindow::startMonitoring()
{
    if (m_monitoring)
        return;
    m_monitoring = true;
    qApp->installEventFilter(this);
}

void PanelWindow::stopMonitoring()
{
    if (!m_monitoring)
        return;
    m_monitoring = false;
    qApp->removeEventFilter(this);
}

void PanelWindow::closeFromOutside()
{
    if (!isShown())
        return;
    dismiss();
    emit dismissed();
}

void PanelWindow::onClosedByUser()
{
    // Closed by the window manager (its close button, Alt+F4): the
    // controller must learn that the panel is gone.
    const bool wasShown = isShown();
    dismiss();
    if (wasShown)
        emit dismissed();
    if (m_ordinary)
        emit closedAsWindow();
}

QList<QRect> PanelWindow::otherWindowRects() const
{
    QList<QRect> rects;
    const QWindow* panel = m_surface->windowHandle();
    const QList<QWindow*> windows = QGuiApplication::topLevelWindows();
    for (const QWindow* window : windows) {
        if (window != panel && window->isVisible())
            rects.append(window->frameGeometry());
    }
    return rects;
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress: {
        // A press reaches the filter once per window and widget it passes
        // through; the first sighting decides, later ones find the panel hidden.
        const QPoint click = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (PanelPlacement::closesPanel(click, m_anchor, m_surface->frameGeometry(),
                                        otherWindowRects()))
            closeFromOutside();
        break;
    }
    case QEvent::ApplicationStateChange:
        // Another application took the focus: the click went elsewhere on
        // the desktop, where no press event reaches us.
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
            Qt::ApplicationActive)
            closeFromOutside();
        break;
    default:
        break;
    }
    return PanelHost::eventFilter(watched, event);
}
