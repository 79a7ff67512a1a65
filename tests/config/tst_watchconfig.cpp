#include "config/WatchConfig.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestWatchConfig : public QObject {
    Q_OBJECT
private slots:
    void storedForm_data();
    void storedForm();
    void decoding_data();
    void decoding();
};

static const QByteArray kDefaultForm =
    R"({"sectors":[{"code":"BK0475","name":"半导体"},{"code":"BK0547","name":"黄金概念"},)"
    R"({"code":"BK1128","name":"CPO概念"}],"funds":[{"code":"161725","name":"招商中证白酒指数C"},)"
    R"({"code":"110011","name":"易方达蓝筹精选"},{"code":"005827","name":"易方达蓝筹精选C"}]})";

void TestWatchConfig::storedForm_data()
{
    QTest::addColumn<QByteArray>("form");
    QTest::addColumn<QByteArray>("written"); // empty: the program writes `form` itself

    WatchConfig withSource{
        .sectors = {{u"BK0547"_s, u"黄金概念"_s}}, .funds = {}, .statusBarSource = u"BK0547"_s};
    WatchConfig awkward{.sectors = {{u"BK\"1"_s, u"a\\b/c\n"_s}},
                        .funds = {{u""_s, u""_s}},
                        .statusBarSource = std::nullopt};
    // Text as a look-up may deliver it, with half a surrogate pair.
    WatchConfig halfPair{.sectors = {{u"\xDE00"_s, u""_s}}, .funds = {}, .statusBarSource = {}};
    QTest::newRow("default, no figure source")
        << kDefaultForm << WatchConfig::defaultConfig().toJson();
    QTest::newRow("with a figure source")
        << QByteArray(
               R"({"sectors":[{"code":"BK0547","name":"黄金概念"}],"funds":[],"statusBarSource":"BK0547"})")
        << withSource.toJson();
    QTest::newRow("escapes")
        << QByteArray(
               R"({"sectors":[{"code":"BK\"1","name":"a\\b/c\n"}],"funds":[{"code":"","name":""}]})")
        << awkward.toJson();
    QTest::newRow("half a surrogate pair")
        << QByteArray(R"({"sectors":[{"code":"\ude00","name":""}],"funds":[]})")
        << halfPair.toJson();
}

void TestWatchConfig::storedForm()
{
    QFETCH(QByteArray, form);
    QFETCH(QByteArray, written);
    QCOMPARE(written, form);
    // And the form reads back to a record that writes the same bytes.
    const auto decoded = WatchConfig::fromJson(form);
    QVERIFY(decoded);
    QCOMPARE(decoded->toJson(), form);
}

void TestWatchConfig::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("sectors");
    QTest::addColumn<QString>("source"); // null = absent

    QTest::newRow("default form") << kDefaultForm << true << 3 << QString();
    QTest::newRow("source null") << QByteArray(
                                        R"({"sectors":[],"funds":[],"statusBarSource":null})")
                                 << true << 0 << QString();
    QTest::newRow("source set")
        << QByteArray(
               R"({"statusBarSource":"BK1128","funds":[],"sectors":[{"code":"BK1128","name":"CPO概念"}]})")
        << true << 1 << u"BK1128"_s;
    QTest::newRow("unknown keys ignored")
        << QByteArray(R"({"sectors":[{"code":"a","name":"b","color":1}],"funds":[],"version":2})")
        << true << 1 << QString();
    QTest::newRow("no funds") << QByteArray(R"({"sectors":[{"code":"BK0475","name":"半导体"}]})")
                              << false << 0 << QString();
    QTest::newRow("no sectors") << QByteArray(R"({"funds":[]})") << false << 0 << QString();
    QTest::newRow("funds null") << QByteArray(R"({"sectors":[],"funds":null})") << false << 0
                                << QString();
    QTest::newRow("entry without name")
        << QByteArray(R"({"sectors":[{"code":"a"}],"funds":[]})") << false << 0 << QString();
    QTest::newRow("numeric code") << QByteArray(
                                         R"({"sectors":[],"funds":[{"code":161725,"name":"x"}]})")
                                  << false << 0 << QString();
    QTest::newRow("source a number")
        << QByteArray(R"({"sectors":[],"funds":[],"statusBarSource":5})") << false << 0
        << QString();
    QTest::newRow("array") << QByteArray("[]") << false << 0 << QString();
    QTest::newRow("truncated") << kDefaultForm.left(40) << false << 0 << QString();
    QTest::newRow("empty") << QByteArray() << false << 0 << QString();
}

void TestWatchConfig::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    QFETCH(int, sectors);
    QFETCH(QString, source);
    const auto config = WatchConfig::fromJson(bytes);
    QCOMPARE(config.has_value(), readable);
    if (!config)
        return;
    QCOMPARE(config->sectors.size(), sectors);
    QCOMPARE(config->statusBarSource.has_value(), !source.isNull());
    if (config->statusBarSource)
        QCOMPARE(*config->statusBarSource, source);
}

QTEST_GUILESS_MAIN(TestWatchConfig)
#include "tst_watchconfig.moc"
