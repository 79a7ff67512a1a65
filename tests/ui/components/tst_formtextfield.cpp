#include "PaintProbe.h"
#include "ui/QtTranslation.h"
#include "ui/panel/FormLabel.h"
#include "ui/panel/FormSection.h"
#include "ui/panel/FormTextField.h"
#include "ui/panel/Palette.h"

#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QVBoxLayout>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

class TestFormTextField : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void cleanup() { QApplication::setPalette(PaintProbe::desktopPalette(true)); }
    void inAForm();
    void keepsThePanelsTextColours_data();
    void keepsThePanelsTextColours();
    void placeholderIsNoValue_data();
    void placeholderIsNoValue();
    void qtsOwnMenuInChinese_data();
    void qtsOwnMenuInChinese();
};

void TestFormTextField::inAForm()
{
    QWidget form;
    auto* column = new QVBoxLayout(&form);
    column->setContentsMargins(0, 0, 0, 0);
    auto* code = new FormTextField(u"如 000001"_s, 120);
    auto* name = new FormTextField(u"名称"_s);
    auto* section = new FormSection(u"基金代码"_s, code);
    column->addWidget(section);
    column->addWidget(new FormSection(u"名称"_s, name));
    form.resize(300, 200);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Flush left below the caption; stretched unless given a width. Given
    // more height than it needs, a section keeps the two together.
    const int below = section->label()->geometry().bottom() + 1 + FormSection::spacing;
    QCOMPARE(code->geometry(), QRect(0, below, 120, FormTextField::fieldHeight));
    QCOMPARE(name->geometry(), QRect(0, below, 300, FormTextField::fieldHeight));

    // The left edge, half-way down: only the outline lies over the well.
    const QPoint edge(0, FormTextField::fieldHeight / 2);
    const QColor well = Palette::zebraLight();
    const QColor resting = PaintProbe::over(Palette::withOpacity(Palette::cardBorder(), 0.5), well);
    const QColor focused = PaintProbe::over(Palette::withOpacity(Palette::brandGold(), 0.7), well);
    for (int round = 0; round < 2; ++round) {
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        PROBE_COMPARE_COLOR(PaintProbe::pixelAt(code, edge), resting);
        code->setFocus();
        QTRY_VERIFY(code->hasFocus());
        PROBE_COMPARE_COLOR(PaintProbe::pixelAt(code, edge), focused);
    }
}

void TestFormTextField::keepsThePanelsTextColours_data()
{
    // Where a light palette can come from: the desktop, or a parent.
    QTest::addColumn<bool>("fromParent");
    QTest::newRow("light desktop") << false;
    QTest::newRow("light parent") << true;
}

void TestFormTextField::keepsThePanelsTextColours()
{
    QFETCH(bool, fromParent);
    // Inside a window, so that a change arrives through the parent.
    QWidget window;
    auto* field = new FormTextField(u"代码"_s);
    (new QVBoxLayout(&window))->addWidget(field);
    field->setText(u"bk0800"_s);
    const QPalette light = PaintProbe::desktopPalette(false);
    if (fromParent)
        window.setPalette(light);
    else
        QApplication::setPalette(light);
    // Palette changes are delivered partly as posted events.
    QCoreApplication::sendPostedEvents();

    // The well stays the panel's dark grey, so the text must stay light.
    QCOMPARE(field->palette().color(QPalette::Text), Palette::primaryText());
    QCOMPARE(field->palette().color(QPalette::PlaceholderText), Palette::placeholderText());
    QVERIFY(field->palette().color(QPalette::Text) != light.color(QPalette::Text));
    window.resize(200, FormTextField::fieldHeight);
    QVERIFY(PaintProbe::countPixels(field, Palette::primaryText(), 0) > 10);
}

void TestFormTextField::placeholderIsNoValue_data()
{
    // The panel's placeholders: a threshold that looks like a price, a
    // reminder text and a code.
    QTest::addColumn<QString>("placeholder");
    QTest::newRow("threshold") << u"700.00"_s;
    QTest::newRow("reminder") << u"第1档止盈 · 建议卖1/3"_s;
    QTest::newRow("code") << u"板块代码 (BK0475)"_s;
}

void TestFormTextField::placeholderIsNoValue()
{
    QFETCH(QString, placeholder);
    QWidget window;
    auto* field = new FormTextField(placeholder, 240);
    (new QVBoxLayout(&window))->addWidget(field);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The same characters, as an example and as typed (Han and Latin may
    // come as runs of their own, in one colour).
    const auto drawn = [field, placeholder] {
        const QList<PaintProbe::TextRun> runs = PaintProbe::TextRecorder::textOf(field);
        QString text;
        for (const PaintProbe::TextRun& run : runs) {
            if (run.color != runs.first().color)
                return std::optional<PaintProbe::TextRun>();
            text += run.text;
        }
        if (runs.isEmpty() || text.remove(u' ') != QString(placeholder).remove(u' '))
            return std::optional<PaintProbe::TextRun>();
        return std::optional(runs.first());
    };
    const auto example = drawn();
    QVERIFY(example);
    field->setText(placeholder);
    const auto value = drawn();
    QVERIFY(value);
    const QImage image = field->grab().toImage();
    const QColor well = PaintProbe::backgroundUnder(image, value->rect, value->color);
    PROBE_COMPARE_COLOR(well, Palette::zebraLight());

    // Clearly fainter than what is typed, and not the grey the panel shows
    // codes and other values in either, so an example never passes for a
    // value; still legible on the well.
    const double fromValue = PaintProbe::contrastRatio(value->color, example->color);
    QVERIFY2(fromValue >= 2.5, qPrintable(QString::number(fromValue)));
    const double fromSecondary =
        PaintProbe::contrastRatio(Palette::secondaryText(), example->color);
    QVERIFY2(fromSecondary >= 1.25, qPrintable(QString::number(fromSecondary)));
    const double legible = PaintProbe::contrastRatio(example->color, well);
    QVERIFY2(legible >= 3.0, qPrintable(QString::number(legible)));
}

void TestFormTextField::qtsOwnMenuInChinese_data()
{
    QTest::addColumn<bool>("installed"); // else a folder without Qt's translations
    QTest::newRow("Qt's translations installed") << true;
    QTest::newRow("no translations") << false;
}

void TestFormTextField::qtsOwnMenuInChinese()
{
    QFETCH(bool, installed);
    QTemporaryDir empty;
    const QString directory = installed ? QtTranslation::defaultDirectory() : empty.path();
    if (installed && !QFileInfo::exists(directory + u"/qtbase_zh_CN.qm"_s))
        QSKIP("qt6-translations-l10n is not installed here");
    // Without them, silently English: a missing package is no error.
    QTest::failOnWarning(QRegularExpression(u".*"_s));
    QTranslator* translator = QtTranslation::installChinese(directory);
    const auto uninstall = qScopeGuard([translator] {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    });
    QCOMPARE(translator != nullptr, installed);

    FormTextField field(u"代码"_s);
    field.setText(u"bk0800"_s);
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts.append(action->text());
    }
    QVERIFY(!texts.isEmpty());
    const bool allChinese = std::all_of(texts.cbegin(), texts.cend(), [](const QString& text) {
        return std::any_of(text.cbegin(), text.cend(),
                           [](QChar c) { return c.unicode() >= 0x4e00; });
    });
    QVERIFY2(allChinese == installed, qPrintable(texts.join(u" | "_s)));
    const bool copyInChinese = std::any_of(
        texts.cbegin(), texts.cend(), [](const QString& t) { return t.startsWith(u"复制"_s); });
    QCOMPARE(copyInChinese, installed);
}

QTEST_MAIN(TestFormTextField)
#include "tst_formtextfield.moc"
