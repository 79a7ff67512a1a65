#include "market/Format.h"
#include "market/Money.h"

#include <QTest>

#include <clocale>
#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<double>)

class TestFormat : public QObject {
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void absentFigures_data();
    void absentFigures();
    void ignoresLocale();
    void money_data();
    void money();
    void typedFigures_data();
    void typedFigures();
};

void TestFormat::formats_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("price rounds") << u"price"_s << 612.345 << u"612.35"_s;
    QTest::newRow("price pads") << u"price"_s << -3.0 << u"-3.00"_s;
    QTest::newRow("price no grouping") << u"price"_s << 12345.678 << u"12345.68"_s;
    QTest::newRow("pct rise") << u"pct"_s << 1.234 << u"+1.23%"_s;
    QTest::newRow("pct fall") << u"pct"_s << -0.5 << u"-0.50%"_s;
    QTest::newRow("pct zero") << u"pct"_s << 0.0 << u"+0.00%"_s;
    QTest::newRow("pct tiny negative") << u"pct"_s << -0.001 << u"-0.00%"_s;
    QTest::newRow("pct negative zero") << u"pct"_s << -0.0 << u"-0.00%"_s;
    QTest::newRow("pct not scaled") << u"pct"_s << 0.52 << u"+0.52%"_s;
    QTest::newRow("amount yi") << u"amount"_s << 1234000000.0 << u"12.3亿"_s;
    QTest::newRow("amount yi threshold") << u"amount"_s << 100000000.0 << u"1.0亿"_s;
    QTest::newRow("amount wan below yi") << u"amount"_s << 99999999.0 << u"10000万"_s;
    QTest::newRow("amount wan") << u"amount"_s << 56789.0 << u"6万"_s;
    QTest::newRow("amount wan threshold") << u"amount"_s << 10000.0 << u"1万"_s;
    QTest::newRow("amount plain rounds up") << u"amount"_s << 9999.6 << u"10000"_s;
    QTest::newRow("amount plain") << u"amount"_s << 9876.4 << u"9876"_s;
    QTest::newRow("amount negative plain") << u"amount"_s << -123456789.0 << u"-123456789"_s;
}

void TestFormat::formats()
{
    QFETCH(QString, kind);
    QFETCH(double, value);
    QFETCH(QString, text);
    const QString actual = kind == u"price"_s ? Format::price(value)
                           : kind == u"pct"_s ? Format::pct(value)
                                              : Format::amount(value);
    QCOMPARE(actual, text);
}

// A figure the provider did not have reads "--"; a zero is still a figure.
void TestFormat::absentFigures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<std::optional<double>>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("price absent") << u"price"_s << std::optional<double>() << u"--"_s;
    QTest::newRow("pct absent") << u"pct"_s << std::optional<double>() << u"--"_s;
    QTest::newRow("amount absent") << u"amount"_s << std::optional<double>() << u"--"_s;
    QTest::newRow("price zero") << u"price"_s << std::optional(0.0) << u"0.00"_s;
    QTest::newRow("pct zero") << u"pct"_s << std::optional(0.0) << u"+0.00%"_s;
    QTest::newRow("amount zero") << u"amount"_s << std::optional(0.0) << u"0"_s;
    QTest::newRow("price present") << u"price"_s << std::optional(612.345) << u"612.35"_s;
    QTest::newRow("amount present") << u"amount"_s << std::optional(1234000000.0) << u"12.3亿"_s;
}

void TestFormat::absentFigures()
{
    QFETCH(QString, kind);
    QFETCH(std::optional<double>, value);
    QFETCH(QString, text);
    const QString actual = kind == u"price"_s ? Format::price(value)
                           : kind == u"pct"_s ? Format::pct(value)
                                              : Format::amount(value);
    QCOMPARE(actual, text);
}

void TestFormat::ignoresLocale()
{
    // A desktop in German would make printf write "612,35".
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        QSKIP("no German locale installed");
    const QString price = Format::price(612.345);
    const QString pct = Format::pct(1.5);
    std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(price, u"612.35"_s);
    QCOMPARE(pct, u"+1.50%"_s);
}

// Sums of money in fen.
void TestFormat::money_data()
{
    QTest::addColumn<qint64>("fen");
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("signedMoney");
    QTest::addColumn<QString>("signedYuan");
    QTest::newRow("zero") << qint64(0) << u"0.00"_s << u"0.00"_s << u"0"_s;
    QTest::newRow("a fen") << qint64(1) << u"0.01"_s << u"+0.01"_s << u"0"_s;
    QTest::newRow("a loss under a yuan") << qint64(-5) << u"-0.05"_s << u"-0.05"_s << u"0"_s;
    QTest::newRow("half a yuan rounds away from zero")
        << qint64(-150) << u"-1.50"_s << u"-1.50"_s << u"-2"_s;
    QTest::newRow("thousands") << qint64(123456) << u"1,234.56"_s << u"+1,234.56"_s << u"+1,235"_s;
    QTest::newRow("no group for three digits")
        << qint64(99999) << u"999.99"_s << u"+999.99"_s << u"+1,000"_s;
    QTest::newRow("millions") << qint64(-123456789012) << u"-1,234,567,890.12"_s
                              << u"-1,234,567,890.12"_s << u"-1,234,567,890"_s;
}

void TestFormat::money()
{
    QFETCH(qint64, fen);
    QTEST(Format::money(fen), "money");
    // The same digits written plainly and grouped afterwards.
    QTEST(Format::grouped(Money::text(fen * 100, 2)), "money");
    QTEST(Format::signedMoney(fen), "signedMoney");
    QTEST(Format::signedYuan(fen), "signedYuan");
}

// What the holding sheet's fields read: exactly, or what is wrong.
void TestFormat::typedFigures_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("read"); // units as text with four decimals, or the error
    QTest::newRow("whole") << u"1000"_s << 2 << u"1000.0000"_s;
    QTest::newRow("two decimals") << u"1000.55"_s << 2 << u"1000.5500"_s;
    QTest::newRow("blanks, separators, full-width forms")
        << u" １，２３4．5 "_s << 2 << u"1234.5000"_s;
    QTest::newRow("a point alone before the digits") << u".5"_s << 4 << u"0.5000"_s;
    QTest::newRow("a point after them") << u"7."_s << 2 << u"7.0000"_s;
    QTest::newRow("trailing zeros past the decimals") << u"1.2500"_s << 2 << u"1.2500"_s;
    QTest::newRow("one decimal too many") << u"1.255"_s << 2 << u"tooPrecise"_s;
    QTest::newRow("four decimals") << u"0.9512"_s << 4 << u"0.9512"_s;
    QTest::newRow("five decimals") << u"0.95123"_s << 4 << u"tooPrecise"_s;
    QTest::newRow("empty") << u"  "_s << 2 << u"empty"_s;
    QTest::newRow("negative") << u"-3"_s << 2 << u"negative"_s;
    QTest::newRow("minus zero is zero") << u"-0"_s << 2 << u"0.0000"_s;
    QTest::newRow("two points") << u"1.2.3"_s << 4 << u"notNumber"_s;
    QTest::newRow("letters") << u"12a"_s << 2 << u"notNumber"_s;
    QTest::newRow("an exponent is not typed") << u"1e3"_s << 2 << u"notNumber"_s;
    QTest::newRow("a sign alone") << u"+"_s << 2 << u"notNumber"_s;
    QTest::newRow("just below the bound") << u"9999999999.99"_s << 2 << u"9999999999.9900"_s;
    QTest::newRow("the bound") << u"10000000000"_s << 2 << u"tooLarge"_s;
    QTest::newRow("far past the bound, no overflow")
        << u"99999999999999999999999"_s << 2 << u"tooLarge"_s;
}

void TestFormat::typedFigures()
{
    QFETCH(QString, typed);
    QFETCH(int, decimals);
    const qint64 limit = 10'000'000'000LL * Money::unitsPerOne;
    const Money::Parsed parsed = Money::parse(typed, decimals, limit);
    QString read;
    if (parsed.units) {
        read = Money::text(*parsed.units, Money::unitDecimals);
        QCOMPARE(parsed.error, std::nullopt);
        // Written back with its own decimals, it reads back the same.
        QCOMPARE(Money::parse(Money::text(*parsed.units, decimals), decimals, limit).units,
                 parsed.units);
    } else {
        const char* const names[] = {"empty", "notNumber", "negative", "tooPrecise", "tooLarge"};
        read = QString::fromLatin1(names[int(*parsed.error)]);
    }
    QTEST(read, "read");
}

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
