#include "market/Format.h"

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

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
