#include "SimFixture.h"
#include "calendar/ClosureTable.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

// `quotara --once` run as a user's script would run it, against the
// simulated provider of this process.
class TestOnceMode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The simulated exchanges close on the table's holidays, and on one
        // day of 2027 that no table holds yet.
        QList<QDate> closed = ClosureTable::builtIn().holidays(Market::stocks);
        closed.append(QDate(2027, 2, 10));
        m_fixture.sim().market().closeDays(closed);
    }
    void init() { m_fixture.reset(); }
    void succeeds();
    void atChosenInstants_data();
    void atChosenInstants();
    void damagedEstimateRecord();
    void exitCodeFollowsGold_data();
    void exitCodeFollowsGold();
    void screenshots();
    void commandLine_data();
    void commandLine();

private:
    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    // Runs the executable; with `now`, both it and the provider read the
    // clock at that instant.
    Result quotara(const QStringList& arguments, const QDateTime& now = {});

    SimFixture m_fixture;
    QTemporaryDir m_config;
};

TestOnceMode::Result TestOnceMode::quotara(const QStringList& arguments, const QDateTime& now)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (now.isValid()) {
        env.insert(u"QUOTARA_NOW"_s, now.toString(Qt::ISODate));
        m_fixture.sim().setClock([now] { return now; });
    } else {
        m_fixture.sim().setClock({});
    }
    m_fixture.pointOrigins(env);
    env.insert(u"XDG_CONFIG_HOME"_s, m_config.path());
    env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s); // no notifications leave the test
    process.setProcessEnvironment(env);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(QUOTARA_EXECUTABLE), arguments);
    // The provider lives in this process: keep its event loop running.
    if (!finished.wait(30000)) {
        process.kill();
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// A Tuesday morning: both markets open, every fund estimated.
static const QDateTime kTuesdayMorning(QDate(2024, 6, 4), QTime(10, 0), QTimeZone("Asia/Shanghai"));

void TestOnceMode::succeeds()
{
    const Result result = quotara({u"--once"_s}, kTuesdayMorning);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QJsonParseError error{};
    const QJsonObject json = QJsonDocument::fromJson(result.out, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, result.out.constData());

    QVERIFY(json.value(u"errorMessage"_s).isNull());
    QVERIFY(!json.value(u"lastUpdate"_s).toString().isEmpty());
    QCOMPARE(json.value(u"currentSectorCode"_s).toString(), u"BK0475"_s);
    const double price = json.value(u"gold"_s).toObject().value(u"priceCNY"_s).toDouble();
    QVERIFY(price > 0);
    QVERIFY(json.value(u"title"_s).toString().endsWith(QString::number(price, 'f', 2)));
    for (const char* key : {"goldMarketStatus", "stockMarketStatus"})
        QVERIFY((QStringList{u"trading"_s, u"delayed"_s, u"break"_s, u"closed"_s})
                    .contains(json.value(QLatin1String(key)).toString()));
    QCOMPARE(json.value(u"sectorStocks"_s).toArray().size(), 10);
    QCOMPARE(json.value(u"allSectors"_s).toArray().size(), 3);
    const QJsonArray funds = json.value(u"funds"_s).toArray();
    QCOMPARE(funds.size(), 3);
    const QJsonObject fund = funds.first().toObject();
    QCOMPARE(fund.value(u"quote"_s).toObject().value(u"code"_s).toString(), u"161725"_s);
    QVERIFY(fund.value(u"estChangePct"_s).isDouble());
    QCOMPARE(fund.value(u"navIsCurrent"_s), QJsonValue(false));
    QVERIFY(!fund.value(u"holdings"_s).toArray().isEmpty());
    const QJsonObject trust = fund.value(u"estimateTrust"_s).toObject();
    QCOMPARE(trust.value(u"holdings"_s).toInt(), fund.value(u"holdings"_s).toArray().size());
    QVERIFY(trust.value(u"pricedHoldings"_s).toInt() <= trust.value(u"holdings"_s).toInt());
    QVERIFY(trust.value(u"coveragePct"_s).toDouble() > 0);
    QCOMPARE(trust.value(u"navDate"_s).toString(),
             fund.value(u"quote"_s).toObject().value(u"navDate"_s).toString());
    for (const char* key : {"navDateError", "meanAbsError"})
        QVERIFY(trust.contains(QLatin1String(key)));
    QVERIFY(!json.value(u"fundStockChanges"_s).toObject().isEmpty());
    QVERIFY(json.value(u"goldTrendData"_s).toObject().value(u"points"_s).isArray());
    QVERIFY(json.value(u"alerts"_s).toObject().value(u"fired"_s).isArray());
}

void TestOnceMode::atChosenInstants_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("goldStatus");
    QTest::addColumn<bool>("arrow");
    QTest::addColumn<bool>("estimates"); // else every fund's value is the day's own
    QTest::addColumn<QString>("goldBadge");
    QTest::addColumn<QString>("stockBadge");

    const auto at = [](int month, int day, int h, int m) {
        return QDateTime(QDate(2024, month, day), QTime(h, m), QTimeZone("Asia/Shanghai"));
    };
    QTest::newRow("tue 10:00") << at(6, 4, 10, 0) << u"trading"_s << true << true << u"交易中"_s
                               << u"交易中"_s;
    // The values of the day are out at 20:00; the night session is live.
    QTest::newRow("wed 22:00") << at(6, 5, 22, 0) << u"trading"_s << true << false << u"交易中"_s
                               << u"已收盘"_s;
    QTest::newRow("sat 01:00, friday's night")
        << at(6, 1, 1, 0) << u"trading"_s << true << false << u"交易中"_s << u"已收盘"_s;
    QTest::newRow("mon 01:00") << at(6, 3, 1, 0) << u"closed"_s << false << false << u"已收盘"_s
                               << u"已收盘"_s;
    // The National Day of 2024: no night session on the evening before, the
    // holiday shows the last day's values, the first morning back opens with
    // the gold auction at 08:55 before its first minute is out.
    QTest::newRow("the evening before the national day")
        << at(9, 30, 21, 30) << u"closed"_s << false << false << u"休市"_s << u"已收盘"_s;
    QTest::newRow("national day") << at(10, 2, 10, 0) << u"closed"_s << false << false << u"休市"_s
                                  << u"休市"_s;
    QTest::newRow("first morning back, 08:55")
        << at(10, 8, 8, 55) << u"delayed"_s << true << false << u"数据延迟"_s << u"已收盘"_s;
    // The make-up Saturday after it: Friday's night runs into it.
    QTest::newRow("make-up saturday 01:00")
        << at(10, 12, 1, 0) << u"trading"_s << true << false << u"交易中"_s << u"休市"_s;
    QTest::newRow("make-up saturday 10:00")
        << at(10, 12, 10, 0) << u"closed"_s << false << false << u"休市"_s << u"休市"_s;
    // Past the table, the quotes show the closure.
    QTest::newRow("a closure of 2027")
        << QDateTime(QDate(2027, 2, 10), QTime(10, 0), QTimeZone("Asia/Shanghai")) << u"closed"_s
        << false << false << u"休市"_s << u"休市"_s;
}

void TestOnceMode::atChosenInstants()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, goldStatus);
    QFETCH(bool, arrow);
    QFETCH(bool, estimates);
    // What the user holds, as the settings view stores it.
    const QString holdingsKey = u"com.orlenby.quotara.Holdings"_s;
    QSettings store(m_config.filePath(u"orlenby/quotara.conf"_s), QSettings::IniFormat);
    store.setValue(holdingsKey, QByteArray(R"({"v":1,"funds":{"005827":{"shares":"500.00"},)"
                                           R"("161725":{"shares":"10000.00","cost":"0.8000"}},)"
                                           R"("hideAmounts":true})"));
    store.sync();
    const Result result = quotara({u"--once"_s}, now);
    store.remove(holdingsKey);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    QCOMPARE(json.value(u"goldMarketStatus"_s).toString(), goldStatus);
    QTEST(json.value(u"goldBadge"_s).toString(), "goldBadge");
    QTEST(json.value(u"stockBadge"_s).toString(), "stockBadge");
    QCOMPARE(json.value(u"calendarValidUntil"_s).toString(), u"2026-12-31"_s);
    // Past the table the output says so, and says which day the quotes closed.
    const QStringList notes = json.value(u"calendarNotes"_s).toVariant().toStringList();
    QCOMPARE(notes.size(), now.date().year() > 2026 ? 2 : 0);
    const QString title = json.value(u"title"_s).toString();
    QVERIFY2((title.startsWith(u"▲ "_s) || title.startsWith(u"▼ "_s)) == arrow, qPrintable(title));
    const QJsonArray funds = json.value(u"funds"_s).toArray();
    QCOMPARE(funds.size(), 3);
    // Every figure of every holding, in yuan; the JSON is for scripts and
    // hides nothing. The sums add up to the fen.
    const QString kind = estimates ? u"estimated"_s : u"confirmed"_s;
    qint64 value = 0, today = 0;
    const auto fen = [](const QJsonValue& yuan) { return qRound64(yuan.toDouble() * 100); };
    for (const QJsonValue& entry : funds) {
        const QJsonObject fund = entry.toObject();
        QCOMPARE(fund.value(u"navIsCurrent"_s).toBool(), !estimates);
        QCOMPARE(fund.contains(u"estNav"_s), estimates);
        const QString code = fund.value(u"quote"_s).toObject().value(u"code"_s).toString();
        const QJsonValue holding = fund.value(u"holding"_s);
        QVERIFY2(holding.isNull() == (code == u"110011"_s), qPrintable(code));
        if (holding.isNull())
            continue;
        const QJsonObject h = holding.toObject();
        QCOMPARE(h.value(u"shares"_s).toDouble(), code == u"161725"_s ? 10000.0 : 500.0);
        QCOMPARE(h.value(u"todayKind"_s).toString(), kind);
        QCOMPARE(h.value(u"todayDate"_s).isNull(), estimates);
        QVERIFY(h.value(u"value"_s).toDouble() > 0);
        QCOMPARE(h.value(u"holdingProfit"_s).isNull(), code != u"161725"_s);
        QCOMPARE(h.value(u"cost"_s).isNull(), code != u"161725"_s);
        value += fen(h.value(u"value"_s));
        today += fen(h.value(u"todayProfit"_s));
    }
    const QJsonObject holdings = json.value(u"holdings"_s).toObject();
    QCOMPARE(holdings.value(u"hideAmounts"_s), QJsonValue(true));
    QVERIFY(holdings.value(u"gold"_s).isNull());
    const QJsonObject summary = holdings.value(u"summary"_s).toObject();
    QCOMPARE(summary.value(u"funds"_s).toInt(), 2);
    QCOMPARE(fen(summary.value(u"value"_s)), value);
    QCOMPARE(fen(summary.value(u"todayProfit"_s)), today);
    QCOMPARE(summary.value(u"todayKind"_s).toString(), kind);
}

void TestOnceMode::damagedEstimateRecord()
{
    const QString key = u"com.orlenby.quotara.EstimateHistory"_s;
    const QString aside = key + u".unreadable"_s;
    const QByteArray damaged = R"({"v":1,"funds":{"161725":[["yesterday"]]}})";
    QSettings store(m_config.filePath(u"orlenby/quotara.conf"_s), QSettings::IniFormat);
    store.setValue(key, damaged);
    store.sync();

    const Result result = quotara({u"--once"_s});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    QCOMPARE(json.value(u"funds"_s).toArray().size(), 3);
    // Whether this run recorded an estimate depends on the hour; either way
    // the damaged bytes are still there, under the key or set aside.
    store.sync();
    QVERIFY(store.value(key).toByteArray() == damaged ||
            store.value(aside).toByteArray() == damaged);
    store.remove(key);
    store.remove(aside);
}

void TestOnceMode::exitCodeFollowsGold_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("failedParts");
    QTest::newRow("every trend fails") << QString() << 1 << QStringList{u"board"_s, u"gold"_s};
    QTest::newRow("the board's trend fails") << u"secid=90."_s << 0 << QStringList{u"board"_s};
}

// Gold is the figure the app is about: only its failure fails the run; a
// failing board is reported in the JSON, and the other parts still come.
void TestOnceMode::exitCodeFollowsGold()
{
    QFETCH(QString, query);
    QFETCH(QStringList, failedParts);
    m_fixture.sim().addFault(u"/api/qt/stock/trends2/get"_s, Fault::status(500), query);
    const Result result = quotara({u"--once"_s});
    QTEST(result.exitCode, "exitCode");
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    const QJsonObject failed = json.value(u"failedParts"_s).toObject();
    QCOMPARE(failed.keys(), failedParts);
    QCOMPARE(failed.value(u"board"_s).toString(),
             u"板块半导体（BK0475）：服务器响应异常（已显示上次数据）"_s);
    QCOMPARE(json.value(u"gold"_s).isNull(), failed.contains(u"gold"_s));
    QCOMPARE(json.value(u"title"_s).toString() == u"--"_s, failed.contains(u"gold"_s));
    QCOMPARE(json.value(u"funds"_s).toArray().size(), 3);
    QVERIFY(json.value(u"fundErrorMessage"_s).isNull());
}

void TestOnceMode::screenshots()
{
    QTemporaryDir dir;
    QTemporaryDir lightDir;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUOTARA_SCREENSHOT_DESKTOP", "dark");
    const Result result = quotara({u"--screenshot"_s, dir.path()}, kTuesdayMorning);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    // Taken again under a light desktop, the panel looks just the same.
    qputenv("QUOTARA_SCREENSHOT_DESKTOP", "light");
    const Result light = quotara({u"--screenshot"_s, lightDir.path()}, kTuesdayMorning);
    qunsetenv("QUOTARA_SCREENSHOT_DESKTOP");
    QVERIFY2(light.exitCode == 0, light.err.constData());
    // The settings page waits on a look-up and the rule sheet has a blinking
    // caret; the tabs and the rule list hold still.
    for (const char* name : {"gold.png", "sector.png", "fund.png", "rules.png"}) {
        const QImage image(dir.filePath(QString::fromLatin1(name)));
        QVERIFY2(!image.isNull(), name);
        QCOMPARE(image.size(), QSize(800, 1000)); // the 400 × 500 panel at twice the size
        QVERIFY2(QImage(lightDir.filePath(QString::fromLatin1(name))) == image, name);
    }
}

void TestOnceMode::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"--once"_s;
    QTest::newRow("version") << QStringList{u"--version"_s} << 0 << u"quotara "_s;
    QTest::newRow("unknown") << QStringList{u"--frobnicate"_s} << 2 << QString();
}

void TestOnceMode::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const Result result = quotara(arguments);
    QCOMPARE(result.exitCode, exitCode);
    if (!output.isEmpty())
        QVERIFY(QString::fromUtf8(result.out).contains(output));
    QCOMPARE(m_fixture.sim().requests().size(), 0);
}

QTEST_GUILESS_MAIN(TestOnceMode)
#include "tst_oncemode.moc"
