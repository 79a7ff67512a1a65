#include "app/MenuBarController.h"
#include "ui/PanelWindow.h"
#include "ui/components/PaintProbe.h"
#include "ui/panel/IconButton.h"
#include "ui/panel/IconLabel.h"
#include "ui/panel/Icons.h"
#include "ui/panel/MainPanelView.h"
#include "ui/panel/Palette.h"
#include "ui/panel/SettingsView.h"
#include "ui/panel/SheetOverlay.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Two side-by-side screens (set up in main): the panel must open on the one
// that holds the tray item. This item is on the left one, which puts the panel
// at (596, 28), pixels x 596–995, y 28–527. A third screen below the left one
// has twice the pixel density.
const QRect item(900, 0, 30, 24);
const QRect denseItem(900, 1000, 30, 24);
const QPoint farAway(1500, 600);
const int pastTheDelay = int(PanelWindow::monitoringDelay.count()) + 200;

void pressAt(const QPoint& global, QWidget* target)
{
    QMouseEvent press(QEvent::MouseButtonPress, target->mapFromGlobal(QPointF(global)),
                      QPointF(global), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// What the platform sends when another application takes the focus.
void leaveApp()
{
    QApplicationStateChangeEvent change(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &change);
}

} // namespace

class TestPanelWindow : public QObject {
    Q_OBJECT
private slots:
    void placesOnTheItemsScreen_data();
    void placesOnTheItemsScreen();
    void outsideEvents_data();
    void outsideEvents();
    void dismissAndQuickClicks();
    void closedByWindowManager();
    void ordinaryWindowStaysOpen();
    void contentClippedToCard();
    void contentTakesThePanelsLook_data();
    void contentTakesThePanelsLook();
    void escapeStepsBackThenCloses_data();
    void escapeStepsBackThenCloses();
    void iconsFollowThePixelRatio();
};

void TestPanelWindow::placesOnTheItemsScreen_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("item on the left screen") << item << QPoint(1500, 400) << QPoint(596, 28);
    QTest::newRow("item on the right screen")
        << QRect(2200, 0, 30, 24) << QPoint(10, 400) << QPoint(1876, 28);
    QTest::newRow("unknown item, pointer left") << QRect() << QPoint(10, 400) << QPoint(596, 4);
    QTest::newRow("unknown item, pointer right") << QRect() << QPoint(1500, 400) << QPoint(1876, 4);
}

void TestPanelWindow::placesOnTheItemsScreen()
{
    QFETCH(QRect, anchor);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, expected);
    QCursor::setPos(pointer);
    PanelWindow panel;
    panel.present(anchor);
    QVERIFY(panel.isShown());
    QCOMPARE(panel.window()->frameGeometry(), QRect(expected, QSize(400, 500)));
    QCOMPARE(panel.anchorRect(), anchor);
}

void TestPanelWindow::outsideEvents_data()
{
    QTest::addColumn<QString>("event"); // "press", "leave app" or "focus own window"
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("afterDelay");
    QTest::addColumn<bool>("closes");

    const QString press = u"press"_s;
    QTest::newRow("press far away") << press << farAway << true << true;
    QTest::newRow("press far away too early") << press << farAway << false << false;
    QTest::newRow("press in the panel") << press << QPoint(700, 300) << true << false;
    QTest::newRow("press on the item") << press << QPoint(915, 12) << true << false;
    QTest::newRow("press 4 px beside the item") << press << QPoint(933, 12) << true << false;
    QTest::newRow("press 5 px beside the item") << press << QPoint(934, 12) << true << true;
    QTest::newRow("press in another window of the app")
        << press << QPoint(200, 600) << true << false;
    QTest::newRow("press beside that window") << press << QPoint(320, 600) << true << true;
    QTest::newRow("app loses the focus") << u"leave app"_s << QPoint() << true << true;
    QTest::newRow("app loses the focus too early") << u"leave app"_s << QPoint() << false << false;
    QTest::newRow("focus to another window of the app")
        << u"focus own window"_s << QPoint() << true << false;
}

void TestPanelWindow::outsideEvents()
{
    QFETCH(QString, event);
    QFETCH(QPoint, at);
    QFETCH(bool, afterDelay);
    QFETCH(bool, closes);
    QWidget picker; // a window opened from the panel
    picker.setGeometry(100, 550, 200, 100);
    picker.show();
    PanelWindow panel;
    QSignalSpy dismissed(&panel, &PanelHost::dismissed);
    QElapsedTimer sincePresent;
    sincePresent.start();
    panel.present(item);
    if (afterDelay) {
        QTRY_VERIFY(panel.isMonitoring());
        QCOMPARE_GE(sincePresent.elapsed(), 290);
    }

    if (event == u"press"_s) {
        pressAt(at, picker.frameGeometry().contains(at) ? &picker : panel.window());
    } else if (event == u"leave app"_s) {
        leaveApp();
    } else {
        picker.activateWindow();
        QTRY_VERIFY(picker.isActiveWindow());
    }
    QCOMPARE(panel.isShown(), !closes);
    QCOMPARE(dismissed.count(), closes ? 1 : 0);
}

void TestPanelWindow::dismissAndQuickClicks()
{
    PanelWindow panel;
    QSignalSpy dismissed(&panel, &PanelHost::dismissed);
    panel.present(item);
    panel.dismiss();
    QVERIFY(!panel.isShown());
    // The item clicked twice more within the delay.
    panel.present(item);
    panel.dismiss();
    QTest::qWait(pastTheDelay); // waiting for something that must not happen
    QVERIFY(!panel.isMonitoring());
    QCOMPARE(dismissed.count(), 0); // the controller asked for each

    panel.present(item);
    QTRY_VERIFY(panel.isMonitoring());
    pressAt(farAway, panel.window());
    leaveApp();
    QCOMPARE(dismissed.count(), 1);
    QVERIFY(!panel.isMonitoring());
    // Opened again: nothing left over from the last time may close it early.
    panel.present(item);
    pressAt(farAway, panel.window());
    QVERIFY(panel.isShown());
}

void TestPanelWindow::closedByWindowManager()
{
    PanelWindow panel;
    QSignalSpy dismissed(&panel, &PanelHost::dismissed);
    panel.present(item);
    QTRY_VERIFY(panel.isMonitoring());
    QSignalSpy closedAsWindow(&panel, &PanelWindow::closedAsWindow);
    panel.window()->close();
    QVERIFY(!panel.isShown());
    QVERIFY(!panel.isMonitoring());
    QCOMPARE(dismissed.count(), 1);
    QCOMPARE(closedAsWindow.count(), 0); // the tray icon is still there to reopen it
}

void TestPanelWindow::ordinaryWindowStaysOpen()
{
    PanelWindow panel;
    QSignalSpy dismissed(&panel, &PanelHost::dismissed);
    panel.setOrdinaryWindow(true);
    panel.present(item);
    QCOMPARE(panel.window()->windowFlags() &
                 (Qt::WindowType_Mask | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
             Qt::Window);
    QCOMPARE(panel.window()->windowTitle(), u"Quotara"_s);
    QTest::qWait(pastTheDelay);
    pressAt(farAway, panel.window());
    leaveApp();
    QVERIFY(panel.isShown());

    QCOMPARE(dismissed.count(), 0);

    // With no tray, closing the window is the way to quit.
    QSignalSpy closed(&panel, &PanelWindow::closedAsWindow);
    panel.window()->close();
    QVERIFY(!panel.isShown());
    QCOMPARE(closed.count(), 1);
    panel.present(item);

    // Back in the tray, it is a drop-down panel again.
    panel.setOrdinaryWindow(false);
    QVERIFY(panel.isShown());
    QCOMPARE(panel.window()->windowFlags(),
             Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

void TestPanelWindow::contentClippedToCard()
{
    PanelWindow panel;
    const QPointer<QWidget> placeholder = panel.content();
    auto* red = new QWidget;
    red->setStyleSheet(u"background: red;"_s);
    panel.setContent(red);
    QVERIFY(placeholder.isNull());
    panel.present(item);

    const QImage image = panel.window()->grab().toImage();
    QCOMPARE(image.pixelColor(200, 250), QColor(Qt::red));
    // Outside the 14 px corner radius: neither card nor content.
    QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    QVERIFY(image.pixelColor(3, 3) != QColor(Qt::red));
}

void TestPanelWindow::contentTakesThePanelsLook_data()
{
    QTest::addColumn<bool>("lightAtStart"); // else the desktop turns light while the panel is open
    QTest::newRow("light desktop at start") << true;
    QTest::newRow("desktop turns light") << false;
}

void TestPanelWindow::contentTakesThePanelsLook()
{
    QFETCH(bool, lightAtStart);
    const QPalette desktop = QApplication::palette();
    const QPalette light = PaintProbe::desktopPalette(false);
    if (lightAtStart)
        QApplication::setPalette(light);
    PanelWindow panel;
    // Plain widgets with no colours of their own: whatever the window holds
    // is drawn in the panel's palette.
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    auto* label = new QLabel(u"黄金 板块"_s);
    auto* list = new QComboBox;
    list->addItems({u"半导体"_s, u"黄金概念"_s});
    column->addWidget(label);
    column->addWidget(list);
    column->addStretch(1);
    panel.setContent(content);
    panel.present(item);
    if (!lightAtStart) {
        QApplication::setPalette(light);
        QCoreApplication::sendPostedEvents();
    }

    QCOMPARE(label->palette().color(QPalette::WindowText), Palette::primaryText());
    const PaintProbe::Legibility result = PaintProbe::legibility(panel.window());
    QVERIFY(result.checked >= 2);
    QVERIFY2(result.failures.isEmpty(), qPrintable(result.failures.join(u'\n')));
    // The list a combo box opens is a window of its own, and dark too.
    list->showPopup();
    QWidget* popup = list->view()->window();
    QTRY_VERIFY(popup->isVisible());
    const QImage image = popup->grab().toImage();
    const QColor background = PaintProbe::commonestColour(image, image.rect());
    QVERIFY2(background.lightness() < 80, qPrintable(background.name()));
    QVERIFY(PaintProbe::legibility(popup).failures.isEmpty());
    list->hidePopup();
    QApplication::setPalette(desktop);
}

void TestPanelWindow::escapeStepsBackThenCloses_data()
{
    QTest::addColumn<bool>("ordinary");
    QTest::newRow("drop-down") << false;
    QTest::newRow("ordinary window") << true; // closing it would quit
}

void TestPanelWindow::escapeStepsBackThenCloses()
{
    QFETCH(bool, ordinary);
    MenuBarController controller(MenuBarController::Options{.now = {}, .startTimers = false});
    PanelWindow panel;
    panel.setOrdinaryWindow(ordinary);
    auto* view = new MainPanelView(controller);
    panel.setContent(view);
    QSignalSpy dismissed(&panel, &PanelHost::dismissed);
    panel.present(item);
    QVERIFY(QTest::qWaitForWindowActive(panel.window()));
    view->setShowSettings(true);
    view->settingsView()->openAddRuleSheet();
    QVERIFY(SheetOverlay::current(view));
    const auto escape = [] {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key_Escape);
    };

    // The sheet first, then the settings, then the panel itself.
    escape();
    QTRY_VERIFY(!SheetOverlay::current(view));
    QVERIFY(view->showSettings());
    QVERIFY(panel.isShown());
    escape();
    QVERIFY(!view->showSettings());
    QVERIFY(panel.isShown());
    escape();
    QCOMPARE(panel.isShown(), ordinary);
    QCOMPARE(dismissed.count(), ordinary ? 0 : 1);
}

void TestPanelWindow::iconsFollowThePixelRatio()
{
    // An icon on a button and one beside a text, as the panel has them.
    PanelWindow panel;
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    auto* button = new IconButton(u"plus"_s, u"添加"_s);
    auto* label = new IconLabel(u"checkmark.circle.fill"_s, Palette::down(), 10);
    row->addWidget(button);
    row->addWidget(label);
    row->addStretch(1);
    panel.setContent(content);

    // What a picture of `name` drawn at the ratio looks like where the
    // widget draws it, over what the widget is grabbed on.
    const auto expected = [](QWidget* widget, const QString& name, const QColor& color, int size,
                             qreal dpr) {
        QImage image(widget->size() * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(widget->palette().color(QPalette::Window));
        QPainter painter(&image);
        painter.drawPixmap(QPoint((widget->width() - size) / 2, (widget->height() - size) / 2),
                           Icons::pixmap(name, color, size, dpr));
        painter.end();
        return image;
    };
    const auto drawn = [](QWidget* widget) {
        return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };

    panel.present(item);
    QTRY_COMPARE(panel.window()->devicePixelRatioF(), 1.0);
    QCOMPARE(drawn(button), expected(button, u"plus"_s, Palette::secondaryText(), 14, 1));
    QCOMPARE(drawn(label), expected(label, u"checkmark.circle.fill"_s, Palette::down(), 10, 1));

    // Moved while open to a screen of ratio 2: drawn afresh for it, not the
    // ratio-1 picture enlarged.
    panel.present(denseItem);
    QTRY_COMPARE(panel.window()->screen()->name(), u"dense"_s);
    QTRY_COMPARE(panel.window()->devicePixelRatioF(), 2.0);
    const QImage sharp = expected(label, u"checkmark.circle.fill"_s, Palette::down(), 10, 2);
    QCOMPARE(drawn(button), expected(button, u"plus"_s, Palette::secondaryText(), 14, 2));
    QCOMPARE(drawn(label), sharp);
    QImage enlarged = expected(label, u"checkmark.circle.fill"_s, Palette::down(), 10, 1)
                          .scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    enlarged.setDevicePixelRatio(2);
    QVERIFY(enlarged != sharp); // the comparison can tell them apart
}

int main(int argc, char** argv)
{
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1000, "height": 700},
        {"name": "right", "x": 1000, "y": 0, "width": 1280, "height": 800},
        {"name": "dense", "x": 0, "y": 1000, "width": 2000, "height": 1400, "dpr": 2}]})");
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestPanelWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_panelwindow.moc"
