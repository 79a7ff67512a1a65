#include "PaintProbe.h"
#include "ui/panel/Palette.h"
#include "ui/panel/SegmentedTabs.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList tabs{u"黄金"_s, u"板块"_s, u"基金"_s};

} // namespace

class TestSegmentedTabs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void selecting_data();
    void selecting();
    void compactOnlyPadsLess_data();
    void compactOnlyPadsLess();
    void selectedSegmentIsRaised();
    void keys_data();
    void keys();
    void hoverAndDisabledLook_data();
    void hoverAndDisabledLook();
};

void TestSegmentedTabs::selecting_data()
{
    // A press and a release on segments, or with `release` -1 a
    // setSelection(press).
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("emitted");
    QTest::newRow("click another") << 1 << 1 << 1 << 1;
    QTest::newRow("click the last") << 2 << 2 << 2 << 1;
    QTest::newRow("click the selected") << 0 << 0 << 0 << 0;
    QTest::newRow("drag off to another") << 1 << 2 << 0 << 0;
    QTest::newRow("set another") << 2 << -1 << 2 << 1;
    QTest::newRow("set the selected") << 0 << -1 << 0 << 0;
    QTest::newRow("set past the end") << 3 << -1 << 0 << 0;
}

void TestSegmentedTabs::selecting()
{
    QFETCH(int, press);
    QFETCH(int, release);
    QFETCH(int, selection);
    QFETCH(int, emitted);

    SegmentedTabs row(tabs);
    row.resize(300, row.sizeHint().height());
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    QSignalSpy changed(&row, &SegmentedTabs::selectionChanged);

    if (release < 0) {
        row.setSelection(press);
    } else {
        // Near the corners, not on the label: the whole segment is clickable.
        QTest::mousePress(&row, Qt::LeftButton, {},
                          row.segmentRect(press).topLeft() + QPoint(3, 3));
        QTest::mouseRelease(&row, Qt::LeftButton, {},
                            row.segmentRect(release).bottomRight() - QPoint(3, 3));
    }
    QCOMPARE(row.selection(), selection);
    QCOMPARE(changed.count(), emitted);
    if (emitted)
        QCOMPARE(changed.first().first().toInt(), selection);
}

void TestSegmentedTabs::compactOnlyPadsLess_data()
{
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("one") << QStringList{u"全部"_s};
    QTest::newRow("three") << tabs;
    QTest::newRow("uneven") << QStringList{u"价格"_s, u"涨跌幅提醒"_s};
}

void TestSegmentedTabs::compactOnlyPadsLess()
{
    QFETCH(QStringList, labels);
    const SegmentedTabs normal(labels);
    const SegmentedTabs compact(labels, SegmentedTabs::Style::Compact);
    const QSize narrower(2 * 4 * int(labels.size()), 0);
    QCOMPARE(compact.sizeHint(), normal.sizeHint() - narrower);
    QCOMPARE(compact.minimumSizeHint(), normal.minimumSizeHint() - narrower);
    // Equal shares: every segment has room for the widest (the last) label.
    QFont font = normal.font();
    font.setPixelSize(SegmentedTabs::fontPixelSize);
    const int widest = QFontMetrics(font).horizontalAdvance(labels.last());
    QVERIFY(normal.sizeHint().width() / labels.size() >= widest + 2 * 16);
}

void TestSegmentedTabs::selectedSegmentIsRaised()
{
    SegmentedTabs row(tabs);
    row.resize(row.sizeHint());
    row.setSelection(1);
    const QImage image = row.grab().toImage();
    const auto probe = [&](int segment) {
        const QRect r = row.segmentRect(segment);
        return image.pixelColor(r.left() + 3, r.center().y());
    };
    PROBE_COMPARE_COLOR(probe(1), Palette::zebraLight());
    PROBE_COMPARE_COLOR(probe(0), Palette::panelBackground());
    PROBE_COMPARE_COLOR(probe(2), Palette::panelBackground());
}

void TestSegmentedTabs::keys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("emitted");
    QTest::newRow("right") << 0 << int(Qt::Key_Right) << 1 << 1;
    QTest::newRow("down") << 1 << int(Qt::Key_Down) << 2 << 1;
    QTest::newRow("left") << 2 << int(Qt::Key_Left) << 1 << 1;
    QTest::newRow("up") << 1 << int(Qt::Key_Up) << 0 << 1;
    QTest::newRow("end") << 0 << int(Qt::Key_End) << 2 << 1;
    QTest::newRow("home") << 2 << int(Qt::Key_Home) << 0 << 1;
    // No wrapping round: the last segment is not one step left of the first.
    QTest::newRow("left at the first") << 0 << int(Qt::Key_Left) << 0 << 0;
    QTest::newRow("right at the last") << 2 << int(Qt::Key_Right) << 2 << 0;
    QTest::newRow("space") << 1 << int(Qt::Key_Space) << 1 << 0;
}

void TestSegmentedTabs::keys()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, selection);
    QFETCH(int, emitted);
    SegmentedTabs row(tabs);
    row.setSelection(start);
    // Tab reaches it; a click does not pull the focus from a field.
    QCOMPARE(row.focusPolicy(), Qt::TabFocus);
    QSignalSpy changed(&row, &SegmentedTabs::selectionChanged);
    QTest::keyClick(&row, Qt::Key(key));
    QCOMPARE(row.selection(), selection);
    QCOMPARE(changed.count(), emitted);
}

void TestSegmentedTabs::hoverAndDisabledLook_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("pointer"); // the segment under the pointer, -1 for none
    QTest::newRow("enabled") << true << -1;
    QTest::newRow("enabled, pointer on another") << true << 1;
    QTest::newRow("enabled, pointer on the selected") << true << 0;
    QTest::newRow("disabled") << false << -1;
    QTest::newRow("disabled, pointer on another") << false << 1;
}

void TestSegmentedTabs::hoverAndDisabledLook()
{
    QFETCH(bool, enabled);
    QFETCH(int, pointer);
    SegmentedTabs row(tabs, SegmentedTabs::Style::Compact);
    row.resize(300, row.sizeHint().height());
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    row.setEnabled(enabled);
    if (pointer >= 0)
        QTest::mouseMove(&row, row.segmentRect(pointer).center());
    QTRY_COMPARE(row.hovered(), enabled ? pointer : -1);

    QHash<QString, QColor> drawn;
    for (const PaintProbe::TextRun& run : PaintProbe::TextRecorder::textOf(&row))
        drawn.insert(run.text, run.color);
    QCOMPARE(drawn.size(), tabs.size());
    for (int i = 0; i < tabs.size(); ++i) {
        // Disabled, nothing stands out: no gold selection, no lit segment.
        const QColor expected = !enabled       ? Palette::disabledText()
                                : i == 0       ? Palette::brandGoldBright()
                                : i == pointer ? Palette::primaryText()
                                               : Palette::secondaryText();
        QCOMPARE(drawn.value(tabs[i]), expected);
    }
    QCOMPARE(row.cursor().shape(), enabled ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

QTEST_MAIN(TestSegmentedTabs)
#include "tst_segmentedtabs.moc"
