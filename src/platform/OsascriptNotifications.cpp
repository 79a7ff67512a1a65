#include "OsascriptNotifications.h"

#include "alerts/AlertNotifier.h"

#include <QFileInfo>
#include <QProcess>

namespace {
const QString kRunner = QStringLiteral("/usr/bin/osascript");
}

void OsascriptNotifications::send(const QString& identifier, const QString& title,
                                  const QString& body)
{
    // Not waited for: a runner that started is taken to show it.
    const bool started = QProcess::startDetached(
        kRunner, {QStringLiteral("-e"), AlertNotifier::appleScript(title, body)});
    QMetaObject::invokeMethod(
        this,
        [this, identifier, started] {
            if (started)
                emit delivered(identifier);
            else
                emit failed(identifier, QStringLiteral("osascript 无法启动"));
        },
        Qt::QueuedConnection);
}

void OsascriptNotifications::probe()
{
    emit availabilityKnown(QFileInfo(kRunner).isExecutable());
}
