// quotara: the tray app, and its command-line modes for scripts and status
// bars without a tray.
#include "alerts/AlertNotifier.h"
#include "app/CycleSettings.h"
#include "app/MenuBarController.h"
#include "app/OnceReport.h"
#include "app/PanelPlacement.h"
#include "app/SingleInstance.h"
#include "app/WatchReport.h"
#include "calendar/ClosureTable.h"
#include "config/HoldingsStore.h"
#include "config/Preferences.h"
#include "market/Log.h"
#include "market/Money.h"
#include "platform/FreedesktopNotifications.h"
#include "ui/QtTranslation.h"
#include "ui/ScreenshotMode.h"
#include "ui/TrayApplication.h"
#include "update/UpdateChecker.h"

#include "SimProvider.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCoroTimer>
#include <QIcon>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <variant>

namespace {

const char* const kUsage =
    "Usage: quotara [--once | --watch [--format json|text]] [--demo]\n"
    "\n"
    "Without options Quotara lives in the tray and shows the live figure.\n"
    "\n"
    "  --once     refresh once, print the state as one JSON object and exit\n"
    "             (0 when the refresh succeeded, 1 when it failed)\n"
    "  --watch    keep running with the tray app's refresh cycle and print one\n"
    "             line after every cycle, for status bars without a tray\n"
    "  --format json|text\n"
    "             what --watch prints: waybar's custom-module JSON (the\n"
    "             default: text, tooltip, class) or the bare title (polybar,\n"
    "             i3blocks)\n"
    "  --demo     serve simulated market data from inside the process, with\n"
    "             settings of its own; combines with --once, --watch and\n"
    "             --screenshot\n"
    "  --screenshot DIR\n"
    "             refresh once, render the panel at twice the size to DIR:\n"
    "             gold.png, sector.png, fund.png, settings.png,\n"
    "             settings-search.png, rules.png, rule-sheet.png and\n"
    "             holding-sheet.png, and exit\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

enum class WatchFormat { json, text };

struct Mode {
    bool once = false;
    bool watch = false;
    bool demo = false;
    WatchFormat format = WatchFormat::json;
    QString screenshotDir;
};

// Qt's own options, which the application object takes out of the command
// line itself (with one dash or two): those followed by a value, then the
// others. They are known here so that their values are not taken for
// arguments of ours.
const char* const kQtValueOptions =
    "platform platformpluginpath platformtheme plugin qwindowgeometry geometry qwindowtitle title "
    "qwindowicon icon session display name style stylesheet qmljsdebugger";
const char* const kQtFlags = "reverse nograb dograb testability widgetcount sync";

// A mistake on the command line: what is wrong, then the usage, on standard
// error; the exit code that says so.
int usageError(const QString& problem)
{
    std::fprintf(stderr, "quotara: %s\n\n%s", qPrintable(problem), kUsage);
    return 2;
}

// The option an argument names, without its dashes or value ("" for a word
// that is no option).
QString optionName(const QString& argument)
{
    if (argument.size() < 2 || !argument.startsWith(u'-'))
        return {};
    return argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1).section(u'=', 0, 0);
}

// What the command line asks for, or the exit code to end with at once:
// after --help, --version or a mistake.
std::variant<Mode, int> readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-platform xcb" is one of Qt's options, not -p -l -a -t … in a row.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption once(QStringLiteral("once"));
    const QCommandLineOption watch(QStringLiteral("watch"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption demo(QStringLiteral("demo"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                        QStringLiteral("DIR"));
    parser.addOptions({help, version, once, watch, format, demo, screenshot});
    for (const QString& name : QString::fromLatin1(kQtValueOptions).split(u' '))
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("VALUE")));
    for (const QString& name : QString::fromLatin1(kQtFlags).split(u' '))
        parser.addOption(QCommandLineOption(name));

    if (!parser.parse(arguments)) {
        if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
            for (const QString& argument : arguments.mid(1)) {
                if (optionName(argument) == unknown.first())
                    return usageError(QStringLiteral("unknown option ") +
                                      argument.section(u'=', 0, 0));
            }
        }
        // Only the last argument can be an option that lacks its value.
        const QString last = optionName(arguments.last());
        if (last == u"format")
            return usageError(QStringLiteral("--format takes json or text"));
        if (last == u"screenshot")
            return usageError(QStringLiteral("--screenshot needs a folder"));
        return usageError(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unknown option ") + parser.positionalArguments().first());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("quotara %s\n", qPrintable(UpdateChecker::runningVersion()));
        return 0;
    }

    Mode mode;
    mode.once = parser.isSet(once);
    mode.watch = parser.isSet(watch);
    mode.demo = parser.isSet(demo);
    if (parser.isSet(format)) {
        const QString value = parser.value(format);
        if (value == u"json")
            mode.format = WatchFormat::json;
        else if (value == u"text")
            mode.format = WatchFormat::text;
        else
            return usageError(QStringLiteral("--format takes json or text"));
        if (!mode.watch)
            return usageError(QStringLiteral("--format goes with --watch"));
    }
    if (mode.once && mode.watch)
        return usageError(QStringLiteral("--once or --watch, not both"));
    if (parser.isSet(screenshot)) {
        mode.screenshotDir = parser.value(screenshot);
        if (mode.screenshotDir.isEmpty())
            return usageError(QStringLiteral("--screenshot needs a folder"));
    }
    return mode;
}

// The demo's settings, apart from the user's.
const char* const kDemoScope = "quotara-demo";

// Started before any origin is read, so every request goes to it.
// In the command-line modes standard output carries the JSON alone.
void logFailure(const QString& line)
{
    qCWarning(quotaraLog).noquote() << line;
}

// The demo shows what holdings look like: two of its funds and some gold,
// given on its first start; what the user makes of them afterwards stays.
void giveDemoHoldings()
{
    Preferences preferences;
    if (preferences.contains(HoldingsStore::key))
        return;
    constexpr qint64 unit = Money::unitsPerOne;
    Holdings holdings;
    holdings.funds.insert(QStringLiteral("161725"),
                          {.quantity = 12'000 * unit, .cost = 7'862}); // 0.7862 a share
    holdings.funds.insert(QStringLiteral("005827"),
                          {.quantity = 3'500 * unit + 5'000, .cost = 20'150}); // 3,500.50 at 2.0150
    holdings.gold = Profit::Position{.quantity = 20 * unit, .cost = 480 * unit};
    preferences.setData(HoldingsStore::key, holdings.toJson());
}

std::unique_ptr<SimProvider> startDemoProvider()
{
    Preferences::setScope(QString::fromLatin1(kDemoScope));
    giveDemoHoldings();
    auto provider = std::make_unique<SimProvider>(1);
    if (provider->listen() == 0) {
        qCWarning(quotaraLog, "the demo provider could not listen on 127.0.0.1");
        return nullptr;
    }
    // The demo market runs on the app's own clock, so that QUOTARA_NOW shows
    // both at the chosen instant, and keeps the exchanges' holidays.
    provider->setClock(CycleSettings::clock());
    provider->market().closeDays(ClosureTable::builtIn().holidays(Market::stocks));
    const QByteArray origin = provider->origin().toUtf8();
    for (const char* variable :
         {"QUOTARA_QUOTE_ORIGIN", "QUOTARA_FUND_ORIGIN", "QUOTARA_UPDATE_ORIGIN",
          "QUOTARA_GITHUB_API_ORIGIN", "QUOTARA_FUND_SEARCH_ORIGIN", "QUOTARA_CODE_SEARCH_ORIGIN"})
        qputenv(variable, origin);
    return provider;
}

QCoro::Task<void> runOnce(MenuBarController& controller, int& exitCode)
{
    co_await controller.cycle().refresh();
    // The figure the app is about: a failing board or fund is reported in
    // the JSON, but only gold's failure fails the run.
    exitCode =
        controller.market().gold() && !controller.market().message(RefreshPart::gold) ? 0 : 1;
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
    notifier.setFailureSink(logFailure);
    controller.setNotifier(&notifier);

    int exitCode = 1;
    QTimer::singleShot(0, &app, [&] { runOnce(controller, exitCode); });
    return app.exec();
}

// One line per refresh cycle, flushed at once: a status bar reads the pipe
// line by line and must not wait for a buffer to fill. When the bar goes
// away, the next write ends the process with SIGPIPE, as it should.
void printWatchLine(const MenuBarController& controller, WatchFormat format)
{
    const QByteArray line =
        format == WatchFormat::json
            ? QJsonDocument(WatchReport::waybar(controller)).toJson(QJsonDocument::Compact)
            : controller.title().toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int watch(int argc, char** argv, bool demo, WatchFormat format)
{
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("orlenby"));
    app.setApplicationName(QStringLiteral("quotara"));
    std::unique_ptr<SimProvider> provider;
    if (demo && !(provider = startDemoProvider()))
        return 1;

    // The tray app's controller with its timers: a first refresh now, then
    // one every 30 s while a market is open; alerts and notifications as in
    // the tray.
    MenuBarController controller;
    FreedesktopNotifications desktop;
    AlertNotifier notifier(&desktop, nullptr);
    notifier.setFailureSink(logFailure);
    controller.setNotifier(&notifier);
    QObject::connect(&controller, &MenuBarController::refreshFinished, &controller,
                     [&controller, format] { printWatchLine(controller, format); });
    // The service answers after the cycle's line is out; the bar learns of an
    // alert that reached no one at once, not a cycle (or a night) later.
    QObject::connect(&notifier, &AlertNotifier::undeliveredAlertsChanged, &controller,
                     [&controller, format] { printWatchLine(controller, format); });
    return app.exec();
}

int tray(int argc, char** argv, bool demo, const QStringList& arguments)
{
    if (const auto platform =
            PanelPlacement::preferredPlatform(QProcessEnvironment::systemEnvironment(), arguments))
        qputenv("QT_QPA_PLATFORM", *platform);
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("orlenby"));
    app.setApplicationName(QStringLiteral("quotara"));
    app.setApplicationDisplayName(QStringLiteral("OrlenbyQuotara"));
    // Ties the app's windows to the installed desktop entry and its icon.
    app.setDesktopFileName(QStringLiteral("com.orlenby.quotara"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("com.orlenby.quotara")));
    app.setQuitOnLastWindowClosed(false);
    QtTranslation::installChinese();
    // One tray app per settings: a second launch (autostart, then a click in
    // the menu) opens the running app's panel instead.
    if (demo)
        Preferences::setScope(QString::fromLatin1(kDemoScope));
    SingleInstance instance(QDBusConnection::sessionBus(),
                            SingleInstance::serviceName(Preferences::scope()),
                            Preferences().fileName() + SingleInstance::lockSuffix);
    if (instance.claim() != SingleInstance::Claim::first)
        return 0;
    std::unique_ptr<SimProvider> provider;
    if (demo && !(provider = startDemoProvider()))
        return 1;
    TrayApplication quotara;
    instance.serve(&quotara.panel(), [&quotara] { quotara.controller().showPanel(); });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::variant<Mode, int> read = readCommandLine(arguments);
    if (const int* exitCode = std::get_if<int>(&read))
        return *exitCode;
    const Mode& mode = std::get<Mode>(read);
    if (mode.once)
        return once(argc, argv, mode.demo);
    if (mode.watch)
        return watch(argc, argv, mode.demo, mode.format);
    if (!mode.screenshotDir.isEmpty())
        return ScreenshotMode::run(argc, argv, mode.screenshotDir,
                                   mode.demo ? startDemoProvider : ScreenshotMode::DemoStart());
    return tray(argc, argv, mode.demo, arguments.mid(1));
}
