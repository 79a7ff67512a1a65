#include "OsascriptNotifications.h"

#include "alerts/AlertNotifier.h"

#include <QFileInfo>
#include <QProcess>

namespace {
const QString kRunner = QStringLiteral("/usr/bin/osascript");
}

void OsascriptNotifications::send(const QString&, const QString& title, const QString& body)
{
    // Not waited for; a runner that cannot start is ignored.
    QProcess::startDetached(kRunner,
                            {QStringLiteral("-e"), AlertNotifier::appleScript(title, body)});
}

void OsascriptNotifications::probe()
{
    emit availabilityKnown(QFileInfo(kRunner).isExecutable());
}
