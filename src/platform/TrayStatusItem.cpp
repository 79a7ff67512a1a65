#include "TrayStatusItem.h"

#include "FigureIcon.h"

#include <QAction>
#include <QMenu>

using namespace Qt::StringLiterals;

TrayStatusItem::TrayStatusItem(Options options, QObject* parent)
    : StatusItem(parent),
      m_trayProbe(options.trayProbe ? std::move(options.trayProbe)
                                    : [] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      m_attemptsLeft(options.retryAttempts), m_menu(std::make_unique<QMenu>()),
      m_trayIcon(std::make_unique<QSystemTrayIcon>())
{
    QAction* open = m_menu->addAction(u"打开面板"_s);
    connect(open, &QAction::triggered, this, &StatusItem::panelRequested);
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
    if (text == m_toolTip)
        return;
    m_toolTip = text;
    updateToolTip();
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
    m_trayIcon->setIcon(FigureIcon::icon(m_title));
    updateToolTip();
}

void TrayStatusItem::updateToolTip()
{
    // The icon shows only the integer part: the tool tip starts with the
    // whole figure.
    m_trayIcon->setToolTip(m_toolTip.isEmpty() ? m_title : m_title + u'\n' + m_toolTip);
}
