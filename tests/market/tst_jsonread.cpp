#include "TestJson.h"
#include "market/FetchError.h"
#include "market/JsonRead.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestJsonRead : public QObject {
    Q_OBJECT
private slots:
    void answerObject_data();
    void answerObject();
    void typedReads_data();
    void typedReads();
    void arrays_data();
    void arrays();
    void decimal_data();
    void decimal();
    void leadingInteger_data();
    void leadingInteger();
};

void TestJsonRead::answerObject_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("outcome"); // "object", "decode" or "invalid"

    QTest::newRow("object") << QByteArray(R"({"rc":0,"data":null})") << u"object"_s;
    QTest::newRow("blanks around") << QByteArray(" \n{}\r\n ") << u"object"_s;
    QTest::newRow("array") << QByteArray(R"([{"rc":0}])") << u"invalid"_s;
    QTest::newRow("empty") << QByteArray() << u"decode"_s;
    QTest::newRow("bare number") << QByteArray("0") << u"decode"_s;
    QTest::newRow("trailing garbage") << QByteArray(R"({"a":1}x)") << u"decode"_s;
    QTest::newRow("html") << QByteArray("<html>502</html>") << u"decode"_s;
    QTest::newRow("truncated") << QByteArray(R"({"data":{"diff":[)") << u"decode"_s;
}

void TestJsonRead::answerObject()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, outcome);
    QString seen;
    try {
        JsonRead::answerObject(body);
        seen = u"object"_s;
    } catch (const JsonDecodeError&) {
        seen = u"decode"_s;
    } catch (const FetchError& e) {
        QCOMPARE(e.kind(), FetchError::Kind::invalidData);
        seen = u"invalid"_s;
    }
    QCOMPARE(seen, outcome);
}

void TestJsonRead::typedReads_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QVariant>("asText");   // invalid = absent
    QTest::addColumn<QVariant>("asNumber"); // invalid = absent

    QTest::newRow("string") << QByteArray(R"({"v":"贵州茅台"})")
                            << QVariant(QStringLiteral("贵州茅台")) << QVariant();
    QTest::newRow("empty string") << QByteArray(R"({"v":""})") << QVariant(QStringLiteral(""))
                                  << QVariant();
    QTest::newRow("hyphen placeholder")
        << QByteArray(R"({"v":"-"})") << QVariant(QStringLiteral("-")) << QVariant();
    QTest::newRow("numeric text is not a number")
        << QByteArray(R"({"v":"12.5"})") << QVariant(QStringLiteral("12.5")) << QVariant();
    QTest::newRow("fraction") << QByteArray(R"({"v":1258.99})") << QVariant() << QVariant(1258.99);
    QTest::newRow("integer") << QByteArray(R"({"v":130280})") << QVariant() << QVariant(130280.0);
    QTest::newRow("negative") << QByteArray(R"({"v":-0.5})") << QVariant() << QVariant(-0.5);
    QTest::newRow("null") << QByteArray(R"({"v":null})") << QVariant() << QVariant();
    QTest::newRow("missing") << QByteArray(R"({"w":1})") << QVariant() << QVariant();
    QTest::newRow("bool") << QByteArray(R"({"v":true})") << QVariant() << QVariant();
    QTest::newRow("object") << QByteArray(R"({"v":{}})") << QVariant() << QVariant();
}

void TestJsonRead::typedReads()
{
    QFETCH(QByteArray, json);
    QFETCH(QVariant, asText);
    QFETCH(QVariant, asNumber);
    const QJsonObject object = jsonObject(json);

    const auto text = JsonRead::text(object, "v");
    QCOMPARE(text.has_value(), asText.isValid());
    if (text)
        QCOMPARE(*text, asText.toString());
    QCOMPARE(JsonRead::textOr(object, "v"), asText.isValid() ? asText.toString() : QString());

    const auto number = JsonRead::number(object, "v");
    QCOMPARE(number.has_value(), asNumber.isValid());
    if (number)
        QCOMPARE(*number, asNumber.toDouble());
    QCOMPARE(JsonRead::numberOr(object, "v"), asNumber.isValid() ? asNumber.toDouble() : 0.0);
}

void TestJsonRead::arrays_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("objectCount"); // -1 = absent
    QTest::addColumn<int>("stringCount"); // -1 = absent

    QTest::newRow("objects") << QByteArray(R"({"v":[{},{"a":1}]})") << 2 << -1;
    QTest::newRow("strings") << QByteArray(R"({"v":["a","b","c"]})") << -1 << 3;
    QTest::newRow("empty") << QByteArray(R"({"v":[]})") << 0 << 0;
    QTest::newRow("object with a null") << QByteArray(R"({"v":[{},null]})") << -1 << -1;
    QTest::newRow("string with a number") << QByteArray(R"({"v":["a",1]})") << -1 << -1;
    QTest::newRow("object, not array") << QByteArray(R"({"v":{"0":{}}})") << -1 << -1;
    QTest::newRow("null") << QByteArray(R"({"v":null})") << -1 << -1;
    QTest::newRow("missing") << QByteArray(R"({})") << -1 << -1;
}

void TestJsonRead::arrays()
{
    QFETCH(QByteArray, json);
    QFETCH(int, objectCount);
    QFETCH(int, stringCount);
    const QJsonObject object = jsonObject(json);
    const auto objects = JsonRead::objects(object, "v");
    QCOMPARE(objects ? int(objects->size()) : -1, objectCount);
    const auto strings = JsonRead::strings(object, "v");
    QCOMPARE(strings ? int(strings->size()) : -1, stringCount);
}

void TestJsonRead::decimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << u"300"_qs << true << 300.0;
    QTest::newRow("fraction") << u"600.5"_qs << true << 600.5;
    QTest::newRow("plus sign") << u"+1.25"_qs << true << 1.25;
    QTest::newRow("minus sign") << u"-1.23"_qs << true << -1.23;
    QTest::newRow("leading point") << u".5"_qs << true << 0.5;
    QTest::newRow("trailing point") << u"5."_qs << true << 5.0;
    QTest::newRow("exponent") << u"1.5e3"_qs << true << 1500.0;
    QTest::newRow("negative exponent") << u"25E-1"_qs << true << 2.5;
    // Longer than the reader's stack buffer: read through the heap.
    QTest::newRow("64 characters") << (u"1."_qs + QString(62, u'0')) << true << 1.0;
    QTest::newRow("90 characters") << (u"1"_qs + QString(89, u'0')) << true << 1e89;
    QTest::newRow("90 characters, bad tail")
        << (u"1"_qs + QString(88, u'0') + u'x') << false << 0.0;
    QTest::newRow("empty") << u""_qs << false << 0.0;
    QTest::newRow("hyphen") << u"-"_qs << false << 0.0;
    QTest::newRow("double dash") << u"--"_qs << false << 0.0;
    QTest::newRow("point only") << u"."_qs << false << 0.0;
    QTest::newRow("leading blank") << u" 1.5"_qs << false << 0.0;
    QTest::newRow("trailing blank") << u"1.5 "_qs << false << 0.0;
    QTest::newRow("decimal comma") << u"1,5"_qs << false << 0.0;
    QTest::newRow("trailing text") << u"1.5x"_qs << false << 0.0;
    QTest::newRow("bare exponent") << u"1e"_qs << false << 0.0;
    QTest::newRow("inf") << u"inf"_qs << false << 0.0;
    QTest::newRow("nan") << u"nan"_qs << false << 0.0;
    QTest::newRow("hexadecimal") << u"0x10"_qs << false << 0.0;
    QTest::newRow("overflow") << u"1e999"_qs << false << 0.0;
    QTest::newRow("full-width digits") << u"１２"_qs << false << 0.0;
    QTest::newRow("longer than any price")
        << (u"+1"_qs + QString(100, u'0') + u"e-100"_qs) << true << 1.0;
    QTest::newRow("longer than any price, trailing text")
        << (u"1"_qs + QString(100, u'0') + u"x"_qs) << false << 0.0;
}

void TestJsonRead::decimal()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const auto parsed = JsonRead::decimal(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestJsonRead::leadingInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -999 = absent

    QTest::newRow("digit") << u"1"_qs << 1;
    QTest::newRow("leading blanks") << u"  5"_qs << 5;
    QTest::newRow("trailing text") << u"116abc"_qs << 116;
    QTest::newRow("sign") << u"-2"_qs << -2;
    QTest::newRow("plus") << u"+5"_qs << 5;
    QTest::newRow("no digits") << u"abc"_qs << -999;
    QTest::newRow("sign only") << u"-"_qs << -999;
    QTest::newRow("empty") << u""_qs << -999;
    QTest::newRow("too large") << u"99999999999"_qs << -999;
}

void TestJsonRead::leadingInteger()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(JsonRead::leadingInteger(text).value_or(-999), value);
}

QTEST_GUILESS_MAIN(TestJsonRead)
#include "tst_jsonread.moc"
