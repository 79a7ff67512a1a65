// quotara: the tray app, and its command-line modes for scripts and status
// bars without a tray.
#include "alerts/AlertNotifier.h"
#include "app/MenuBarController.h"
#include "app/OnceReport.h"
#include "config/Preferences.h"
#include "platform/FreedesktopNotifications.h"
#include "ui/TrayApplication.h"
#include "update/UpdateChecker.h"

#include "SimProvider.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCoroTimer>
#include <QJsonDocument>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kUsage =
    "Usage: quotara [--once] [--demo]\n"
    "\n"
    "Without options Quotara lives in the tray and shows the live figure.\n"
    "\n"
    "  --once     refresh once, print the state as one JSON object and exit\n"
    "             (0 when the refresh succeeded, 1 when it failed)\n"
    "  --demo     serve simulated market data from inside the process, with\n"
    "             settings of its own; combines with --once\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

struct Mode {
    bool once = false;
    bool demo = false;
};

// Started before any origin is read, so every request goes to it.
std::unique_ptr<SimProvider> startDemoProvider()
{
    Preferences::setScope(QStringLiteral("quotara-demo"));
    auto provider = std::make_unique<SimProvider>(1);
    if (provider->listen() == 0) {
        std::fputs("quotara: the demo provider could not listen on 127.0.0.1\n", stderr);
        return nullptr;
    }
    const QByteArray origin = provider->origin().toUtf8();
    for (const char* variable : {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN",
                                 "QUOTARA_UPDATE_ORIGIN", "QUOTARA_GITHUB_API_ORIGIN"})
        qputenv(variable, origin);
    return provider;
}

QCoro::Task<void> runOnce(MenuBarController& controller, int& exitCode)
{
    co_await controller.refresh();
    exitCode = controller.errorMessage() ? 1 : 0;
    const QByteArray json =
        QJsonDocument(OnceReport::build(controller)).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    // A notification is handed to the desktop asynchronously; leave it time
    // to get there before the process ends.
    if (!controller.lastFired().isEmpty())
        co_await QCoro::sleepFor(std::chrono::milliseconds(500));
    QCoreApplication::exit(exitCode);
}

int once(int argc, char** argv, bool demo)
{
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("orlenby"));
    app.setApplicationName(QStringLiteral("quotara"));
    std::unique_ptr<SimProvider> provider;
    if (demo && !(provider = startDemoProvider()))
        return 1;

    MenuBarController controller(MenuBarController::Options{.now = {}, .startTimers = false});
    FreedesktopNotifications desktop;
    AlertNotifier notifier(&desktop, nullptr);
    controller.setNotifier(&notifier);

    int exitCode = 1;
    QTimer::singleShot(0, &app, [&] { runOnce(controller, exitCode); });
    return app.exec();
}

int tray(int argc, char** argv, bool demo)
{
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("orlenby"));
    app.setApplicationName(QStringLiteral("quotara"));
    app.setApplicationDisplayName(QStringLiteral("OrlenbyQuotara"));
    app.setQuitOnLastWindowClosed(false);
    std::unique_ptr<SimProvider> provider;
    if (demo && !(provider = startDemoProvider()))
        return 1;
    TrayApplication quotara;
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    Mode mode;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("quotara %s\n", qPrintable(UpdateChecker::runningVersion()));
            return 0;
        }
        if (std::strcmp(arg, "--once") == 0) {
            mode.once = true;
        } else if (std::strcmp(arg, "--demo") == 0) {
            mode.demo = true;
        } else if (arg[0] == '-' && arg[1] != '-') {
            // Qt's own options (-platform offscreen, -style …) are Qt's business.
            if (i + 1 < argc && argv[i + 1][0] != '-')
                ++i;
        } else {
            std::fprintf(stderr, "quotara: unknown option %s\n\n%s", arg, kUsage);
            return 2;
        }
    }
    return mode.once ? once(argc, argv, mode.demo) : tray(argc, argv, mode.demo);
}
