#include "market/Origins.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestOrigins : public QObject {
    Q_OBJECT
private slots:
    void normalize_data();
    void normalize();
    void donationPage_data();
    void donationPage();
    void overrides_data();
    void overrides();
};

void TestOrigins::normalize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("origin"); // null = refused
    QTest::newRow("loopback with port") << u"http://127.0.0.1:8080"_s << u"http://127.0.0.1:8080"_s;
    QTest::newRow("trailing slash") << u"http://127.0.0.1:8080/"_s << u"http://127.0.0.1:8080"_s;
    QTest::newRow("https host") << u"https://push2delay.eastmoney.com"_s
                                << u"https://push2delay.eastmoney.com"_s;
    QTest::newRow("surrounding blanks") << u"  http://localhost:9 "_s << u"http://localhost:9"_s;
    QTest::newRow("upper-case host") << u"HTTP://EXAMPLE.org"_s << u"http://example.org"_s;
    QTest::newRow("ipv6") << u"http://[::1]:8080"_s << u"http://[::1]:8080"_s;
    QTest::newRow("path") << u"http://127.0.0.1:8080/api"_s << QString();
    QTest::newRow("query") << u"http://127.0.0.1:8080?x=1"_s << QString();
    QTest::newRow("fragment") << u"http://127.0.0.1#x"_s << QString();
    QTest::newRow("user info") << u"http://u:p@127.0.0.1"_s << QString();
    QTest::newRow("ftp") << u"ftp://127.0.0.1"_s << QString();
    QTest::newRow("file") << u"file:///etc/passwd"_s << QString();
    QTest::newRow("no scheme") << u"127.0.0.1:8080"_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestOrigins::normalize()
{
    QFETCH(QString, text);
    QFETCH(QString, origin);
    const auto actual = Origins::normalize(text);
    QCOMPARE(actual.has_value(), !origin.isNull());
    if (actual)
        QCOMPARE(*actual, origin);
}

void TestOrigins::overrides_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("builtIn");
    QTest::newRow("quote") << QByteArray("QUOTARA_QUOTE_ORIGIN")
                           << u"https://push2delay.eastmoney.com"_s;
    QTest::newRow("fund") << QByteArray("QUOTARA_FUND_ORIGIN")
                          << u"https://fundmobapi.eastmoney.com"_s;
    QTest::newRow("update") << QByteArray("QUOTARA_UPDATE_ORIGIN") << u"https://orlenby.com"_s;
    QTest::newRow("github") << QByteArray("QUOTARA_GITHUB_API_ORIGIN")
                            << u"https://api.github.com"_s;
    QTest::newRow("fund search") << QByteArray("QUOTARA_FUND_SEARCH_ORIGIN")
                                 << u"https://fundsuggest.eastmoney.com"_s;
    QTest::newRow("code search") << QByteArray("QUOTARA_CODE_SEARCH_ORIGIN")
                                 << u"https://search-codetable.eastmoney.com"_s;
}

void TestOrigins::overrides()
{
    QFETCH(QByteArray, variable);
    QFETCH(QString, builtIn);
    auto current = [&] {
        if (variable == "QUOTARA_QUOTE_ORIGIN")
            return Origins::quote();
        if (variable == "QUOTARA_FUND_ORIGIN")
            return Origins::fund();
        if (variable == "QUOTARA_UPDATE_ORIGIN")
            return Origins::update();
        if (variable == "QUOTARA_FUND_SEARCH_ORIGIN")
            return Origins::fundSearch();
        if (variable == "QUOTARA_CODE_SEARCH_ORIGIN")
            return Origins::codeSearch();
        return Origins::githubApi();
    };
    qunsetenv(variable.constData());
    QCOMPARE(current(), builtIn);
    qputenv(variable.constData(), "http://127.0.0.1:4321/");
    QCOMPARE(current(), u"http://127.0.0.1:4321"_s);
    // A broken override must not send requests somewhere unexpected.
    qputenv(variable.constData(), "127.0.0.1:4321/path");
    QCOMPARE(current(), builtIn);
    qunsetenv(variable.constData());
}

void TestOrigins::donationPage_data()
{
    QTest::addColumn<QByteArray>("value"); // null: unset
    QTest::addColumn<QString>("page");
    const QString builtIn = u"https://orlenby.com/works/donate"_s;
    QTest::newRow("unset") << QByteArray() << builtIn;
    QTest::newRow("web page with a path") << QByteArray(" https://example.org/support?via=app ")
                                          << u"https://example.org/support?via=app"_s;
    QTest::newRow("not a web address") << QByteArray("file:///etc/passwd") << builtIn;
    QTest::newRow("no host") << QByteArray("https://") << builtIn;
    QTest::newRow("javascript") << QByteArray("javascript:alert(1)") << builtIn;
}

void TestOrigins::donationPage()
{
    QFETCH(QByteArray, value);
    if (value.isNull())
        qunsetenv("QUOTARA_DONATION_URL");
    else
        qputenv("QUOTARA_DONATION_URL", value);
    QTEST(Origins::donationPage(), "page");
    qunsetenv("QUOTARA_DONATION_URL");
}

QTEST_GUILESS_MAIN(TestOrigins)
#include "tst_origins.moc"
