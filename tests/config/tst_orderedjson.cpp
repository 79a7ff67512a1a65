#include "config/OrderedJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestOrderedJson : public QObject {
    Q_OBJECT
private slots:
    void strings_data();
    void strings();
    void numbers_data();
    void numbers();
};

void TestOrderedJson::strings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("chinese and slash") << u"黄金(CNY/g)"_s << QByteArray(R"j("黄金(CNY/g)")j");
    QTest::newRow("middle dot") << u"第1档止盈 · 建议卖1/3"_s
                                << QByteArray(R"("第1档止盈 · 建议卖1/3")");
    QTest::newRow("quote and backslash") << u"a\"b\\c"_s << QByteArray(R"("a\"b\\c")");
    QTest::newRow("controls") << u"\n\t\r\b\f\x01"_s << QByteArray(R"("\n\t\r\b\f\u0001")");
    QTest::newRow("emoji") << u"\U0001F4C8"_s << QByteArray("\"\xF0\x9F\x93\x88\"");
    // Half a surrogate pair has no UTF-8 form; a JSON escape keeps it.
    QTest::newRow("lone high surrogate") << u"a\xD800z"_s << QByteArray(R"("a\ud800z")");
    QTest::newRow("lone low surrogate") << u"\xDE00"_s << QByteArray(R"("\ude00")");
    QTest::newRow("pair reversed") << u"\xDC00\xD83D"_s << QByteArray(R"("\udc00\ud83d")");
    QTest::newRow("pair then half")
        << u"\U0001F4C8\xD83D"_s << QByteArray("\"\xF0\x9F\x93\x88\\ud83d\"");
}

void TestOrderedJson::strings()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, json);
    QCOMPARE(OrderedJson::string(text), json);
    // Whatever we write, a standard reader gives the same text back.
    const QJsonDocument doc = QJsonDocument::fromJson("{\"k\":" + json + "}");
    QCOMPARE(doc.object().value(u"k"_s).toString(), text);
}

void TestOrderedJson::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("json"); // empty: not encodable
    QTest::newRow("integer") << 700.0 << QByteArray("700");
    QTest::newRow("fraction") << -1.5 << QByteArray("-1.5");
    QTest::newRow("shortest") << 0.1 << QByteArray("0.1");
    QTest::newRow("timestamp") << 739090800.5 << QByteArray("739090800.5");
    QTest::newRow("negative zero") << -0.0 << QByteArray("0");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << QByteArray();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QByteArray();
}

void TestOrderedJson::numbers()
{
    QFETCH(double, value);
    QFETCH(QByteArray, json);
    const auto actual = OrderedJson::number(value);
    QCOMPARE(actual.value_or(QByteArray()), json);
}

QTEST_GUILESS_MAIN(TestOrderedJson)
#include "tst_orderedjson.moc"
