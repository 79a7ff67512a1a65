#include "ScreenshotMode.h"

#include "app/MenuBarController.h"
#include "market/Log.h"
#include "ui/QtTranslation.h"
#include "ui/panel/AlertRuleList.h"
#include "ui/panel/FormTextField.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/SearchResultList.h"
#include "ui/panel/SettingsView.h"
#include "ui/panel/WatchAddForm.h"

#include "SimProvider.h"

#include <QApplication>
#include <QCoroTimer>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QTimer>

namespace ScreenshotMode {

namespace {

// Saves the panel as it stands, at the application's scale of 2; false when
// the file cannot be written.
bool savePanel(MainPanelView& view, const QString& dir, const char* name)
{
    const QPixmap picture = view.grab();
    const QString path = QDir(dir).filePath(QString::fromLatin1(name));
    if (picture.save(path))
        return true;
    qCWarning(quotaraLog, "cannot write %s", qPrintable(path));
    return false;
}

// The settings are shown five ways: the board add form searching by pinyin
// initials with its results, the same form with a board code looked up, the
// rule list, the sheet that adds a rule and the sheet that edits the first
// watched fund's holding.
void prepareSettingsShot(MainPanelView& view, MenuBarController& controller, int step)
{
    SettingsView* settings = view.settingsView();
    WatchAddForm* form = settings->sectorForm();
    if (step == 0) {
        view.setShowSettings(true);
        settings->setAddSectorShown(true);
        form->field()->setText(QStringLiteral("bdt"));
        form->lookup();
    } else if (step == 1) {
        form->field()->setText(QStringLiteral("bk0800"));
        form->lookup();
    } else if (step == 2) {
        settings->setAddSectorShown(false);
        settings->ensureVisible(settings->ruleList());
    } else if (step == 3) {
        settings->openAddRuleSheet();
    } else if (const auto& funds = controller.configStore().config().funds; !funds.isEmpty()) {
        settings->openHoldingSheet(funds.first().code);
    }
}

QCoro::Task<void> takeScreenshots(MenuBarController& controller, MainPanelView& view, QString dir,
                                  int& exitCode)
{
    co_await controller.cycle().refresh();
    // No timers run here: the header says what the markets do now all the same.
    controller.cycle().countdownTick();
    // Charts and tables lay themselves out on the next turns of the loop.
    co_await QCoro::sleepFor(std::chrono::milliseconds(100));
    bool written = true;
    const std::pair<Tab, const char*> shots[] = {
        {Tab::gold, "gold.png"}, {Tab::cpo, "sector.png"}, {Tab::fund, "fund.png"}};
    for (const auto& shot : shots) {
        view.setTab(shot.first);
        co_await QCoro::sleepFor(std::chrono::milliseconds(50));
        written = savePanel(view, dir, shot.second) && written;
    }
    const char* const settingsShots[] = {"settings-search.png", "settings.png", "rules.png",
                                         "rule-sheet.png", "holding-sheet.png"};
    for (int step = 0; step < 5; ++step) {
        prepareSettingsShot(view, controller, step);
        // The look-up and the search go to the provider and back.
        co_await QCoro::sleepFor(std::chrono::milliseconds(step < 2 ? 400 : 50));
        // The user has come down the results to a board not yet watched.
        if (step == 0)
            view.settingsView()->sectorForm()->resultList()->moveSelection(1);
        written = savePanel(view, dir, settingsShots[step]) && written;
    }
    exitCode = written ? 0 : 1;
    QCoreApplication::exit(exitCode);
}

} // namespace

int run(int argc, char** argv, const QString& dir, const DemoStart& demo)
{
    // Twice the size as a screen of pixel ratio 2 shows it: icons, charts
    // and text drawn for that ratio, not a picture of ratio 1 enlarged.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("orlenby"));
    app.setApplicationName(QStringLiteral("quotara"));
    app.setApplicationDisplayName(QStringLiteral("OrlenbyQuotara"));
    QtTranslation::installChinese();
    std::unique_ptr<SimProvider> provider;
    if (demo && !(provider = demo()))
        return 1;
    if (!QDir().mkpath(dir)) {
        qCWarning(quotaraLog, "cannot create %s", qPrintable(dir));
        return 1;
    }
    // The panel brings its own palette, style and faces, so the pictures
    // look the same whatever the desktop running this command uses. To show
    // that, QUOTARA_SCREENSHOT_DESKTOP=light or =dark takes them under a
    // light or a dark desktop palette.
    const QByteArray desktop = qgetenv("QUOTARA_SCREENSHOT_DESKTOP");
    if (desktop == "light")
        QApplication::setPalette(QApplication::style()->standardPalette());
    else if (desktop == "dark")
        QApplication::setPalette(QPalette(QColor(0x3a, 0x3a, 0x3a), QColor(0x1e, 0x1e, 0x1e)));

    MenuBarController controller(MenuBarController::Options{.now = {}, .startTimers = false});
    MainPanelView view(controller);
    view.resize(MainPanelView::panelWidth, MainPanelView::panelHeight);
    // Laid out like a shown window, without appearing on any screen.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    int exitCode = 1;
    QTimer::singleShot(0, &app, [&] { takeScreenshots(controller, view, dir, exitCode); });
    return app.exec();
}

} // namespace ScreenshotMode
