#include "TrayStatusItem.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Until the tray tells us its size: the common panel icon height.
constexpr int fallbackIconHeight = 22;

} // namespace

TrayStatusItem::TrayStatusItem(Options options, QObject* parent)
    : StatusItem(parent),
      m_trayProbe(options.trayProbe ? std::move(options.trayProbe)
                                    : [] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      m_attemptsLeft(options.retryAttempts), m_menu(std::make_unique<QMenu>()),
      m_trayIcon(std::make_unique<QSystemTrayIcon>())
{
    QAction* quit = m_menu->addAction(u"退出"_s);
    quit->setShortcut(QKeySequence(Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &StatusItem::quitRequested);
    m_trayIcon->setContextMenu(m_menu.get());
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, &TrayStatusItem::onActivated);
    updateIcon();

    m_retryTimer.setInterval(options.retryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this, &TrayStatusItem::probeTray);
    if (m_trayProbe()) {
        m_trayAvailable = true;
        m_trayIcon->show();
    } else if (m_attemptsLeft > 0) {
        m_retryTimer.start();
    } else {
        m_trayGivenUp = true;
    }
}

TrayStatusItem::~TrayStatusItem() = default;

void TrayStatusItem::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    updateIcon();
}

void TrayStatusItem::setToolTip(const QString& text)
{
    m_toolTip = text;
    m_trayIcon->setToolTip(m_toolTip.isEmpty() ? m_title : m_toolTip);
}

QRect TrayStatusItem::geometry() const
{
    return m_trayIcon->geometry();
}

void TrayStatusItem::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::MiddleClick:
        emit leftClicked();
        break;
    case QSystemTrayIcon::DoubleClick:
        // Both clicks of a double click already came as Trigger; toggling a
        // third time would leave the panel in the opposite state.
        break;
    case QSystemTrayIcon::Context:
        emit rightClicked();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void TrayStatusItem::probeTray()
{
    --m_attemptsLeft;
    if (m_trayProbe()) {
        m_retryTimer.stop();
        m_trayAvailable = true;
        // The icon height may be known now that there is a tray.
        updateIcon();
        m_trayIcon->show();
        emit trayAvailabilityChanged(true);
    } else if (m_attemptsLeft <= 0) {
        m_retryTimer.stop();
        m_trayGivenUp = true;
        emit trayAvailabilityChanged(false);
    }
}

void TrayStatusItem::updateIcon()
{
    const QRect where = m_trayIcon->geometry();
    const int height = where.height() > 0 ? where.height() : fallbackIconHeight;
    const QScreen* screen = where.isEmpty() ? nullptr : QGuiApplication::screenAt(where.center());
    const qreal ratio = screen ? screen->devicePixelRatio() : qGuiApp->devicePixelRatio();
    m_trayIcon->setIcon(QIcon(renderTitle(m_title, height, ratio)));
    m_trayIcon->setToolTip(m_toolTip.isEmpty() ? m_title : m_toolTip);
}

QPixmap TrayStatusItem::renderTitle(const QString& title, int height, qreal devicePixelRatio)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight(QFont::Medium);
    font.setPixelSize(std::max(1, qRound(height * 0.62)));
    const QFontMetricsF metrics(font);

    // Before Qt 6.7 a QFont cannot ask for tabular figures ("tnum"), and
    // some desktop fonts have proportional ones: the digits are laid out in
    // equal cells by hand.
    qreal digitWidth = 0;
    for (char16_t digit = u'0'; digit <= u'9'; ++digit)
        digitWidth = std::max(digitWidth, metrics.horizontalAdvance(QChar(digit)));
    const auto cellWidth = [&](QChar c) {
        return c.isDigit() ? digitWidth : metrics.horizontalAdvance(c);
    };
    qreal textWidth = 0;
    for (const QChar c : title)
        textWidth += cellWidth(c);

    // Never narrower than square: an empty title must still make an icon.
    const int padding = 2;
    const int width = std::max(height, int(std::ceil(textWidth)) + 2 * padding);
    QPixmap pixmap(QSize(width, height) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(QColor(0xF2, 0xF2, 0xF7));
    qreal x = (width - textWidth) / 2;
    const qreal baseline = (height + metrics.ascent() - metrics.descent()) / 2;
    for (const QChar c : title) {
        const qreal cell = cellWidth(c);
        painter.drawText(QPointF(x + (cell - metrics.horizontalAdvance(c)) / 2, baseline),
                         QString(c));
        x += cell;
    }
    return pixmap;
}
