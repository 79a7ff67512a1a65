#include "app/CycleSettings.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using std::chrono::milliseconds;

class TestCycleSettings : public QObject {
    Q_OBJECT
private slots:
    void interval_data();
    void interval();
    void instant_data();
    void instant();
    void clockRunsOnFromTheInstant();
};

void TestCycleSettings::interval_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ms"); // 0: refused
    QTest::newRow("test cadence") << u"300"_s << 300;
    QTest::newRow("spaces") << u" 1000 "_s << 1000;
    QTest::newRow("shortest") << u"100"_s << 100;
    QTest::newRow("too short") << u"99"_s << 0;
    QTest::newRow("seconds meant") << u"30"_s << 0;
    QTest::newRow("a day") << u"86400000"_s << 86'400'000;
    QTest::newRow("more than a day") << u"86400001"_s << 0;
    QTest::newRow("negative") << u"-500"_s << 0;
    QTest::newRow("unit") << u"300ms"_s << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TestCycleSettings::interval()
{
    QFETCH(QString, text);
    QFETCH(int, ms);
    const auto parsed = CycleSettings::parseInterval(text);
    QCOMPARE(parsed.has_value(), ms != 0);
    if (parsed)
        QCOMPARE(parsed->count(), ms);
}

void TestCycleSettings::instant_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("instant"); // invalid: refused
    const QDateTime tuesday(QDate(2024, 6, 4), QTime(2, 0), Qt::UTC);
    QTest::newRow("Shanghai offset") << u"2024-06-04T10:00:00+08:00"_s << tuesday;
    QTest::newRow("UTC") << u"2024-06-04T02:00:00Z"_s << tuesday;
    QTest::newRow("milliseconds") << u"2024-06-04T10:00:00.000+08:00"_s << tuesday;
    // Would mean a different instant on every machine.
    QTest::newRow("no offset") << u"2024-06-04T10:00:00"_s << QDateTime();
    QTest::newRow("date only") << u"2024-06-04"_s << QDateTime();
    QTest::newRow("not a date") << u"next Tuesday"_s << QDateTime();
}

void TestCycleSettings::instant()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, instant);
    const auto parsed = CycleSettings::parseInstant(text);
    QCOMPARE(parsed.has_value(), instant.isValid());
    if (parsed)
        QCOMPARE(parsed->toUTC(), instant);
}

void TestCycleSettings::clockRunsOnFromTheInstant()
{
    qputenv("QUOTARA_NOW", "2024-06-08T10:00:00+08:00");
    const auto now = CycleSettings::clock();
    const QDateTime first = now();
    QTest::qWait(50);
    const qint64 ran = first.msecsTo(now());
    QVERIFY2(ran >= 50 && ran < 5000, qPrintable(QString::number(ran)));
    QVERIFY(first.toUTC() >= QDateTime(QDate(2024, 6, 8), QTime(2, 0), Qt::UTC));
    QVERIFY(first.toUTC() < QDateTime(QDate(2024, 6, 8), QTime(2, 0, 5), Qt::UTC));

    qputenv("QUOTARA_NOW", "soon");
    QVERIFY(qAbs(CycleSettings::clock()().secsTo(QDateTime::currentDateTime())) < 5);
    qunsetenv("QUOTARA_NOW");
}

QTEST_GUILESS_MAIN(TestCycleSettings)
#include "tst_cyclesettings.moc"
