#include "SimFixture.h"
#include "market/CancelToken.h"
#include "market/NetworkClient.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestNetworkClient : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(); }
    void sendsExactlyTheTwoHeaders();
    void failures_data();
    void failures();
    void closedUnansweredIsAskedAgain_data();
    void closedUnansweredIsAskedAgain();
    void bodyJustUnderTheLimitIsRead();
    void unresolvableHost();
    void refusedConnection();
    void cancellation();
    void cancelledBeforeStart();
    void abandonedRequestsFreeTheirConnections_data();
    void abandonedRequestsFreeTheirConnections();

private:
    QUrl url(const QString& pathAndQuery) const { return QUrl(m_fixture.origin() + pathAndQuery); }
    SimFixture m_fixture;
};

static const QString kPath = u"/api/qt/ulist.np/get"_s;
static const QString kQuery = u"fltt=2&secids=113.aum&fields=f2,f3,f12,f14"_s;

void TestNetworkClient::sendsExactlyTheTwoHeaders()
{
    const auto outcome = run(NetworkClient::getJSON(url(kPath + u'?' + kQuery)));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QVERIFY(outcome.value->contains(u"data"_s));

    const auto requests = m_fixture.sim().requests();
    QCOMPARE(requests.size(), 1);
    const RecordedRequest& request = requests.first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.path, kPath);
    QCOMPARE(request.query, kQuery);
    QCOMPARE(request.header("User-Agent"),
             QByteArray("Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 "
                        "Chrome/126.0"));
    QCOMPARE(request.header("Referer"), QByteArray("https://quote.eastmoney.com/"));
    // Nothing of our own beyond those two; Qt's transport headers are fine.
    const QSet<QByteArray> transport{
        "host", "connection", "accept-encoding", "accept-language", "user-agent", "referer"};
    for (const auto& [name, value] : request.headers)
        QVERIFY2(transport.contains(name.toLower()), name.constData());
}

void TestNetworkClient::failures_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("expected"); // FetchError description, "decode" or "JSON 解析失败"
    QTest::addColumn<int>("timeoutMs");

    const QString bad = u"服务器响应异常"_s;
    const QString timeout = u"网络连接超时"_s;
    const QString noConnection = u"无法连接服务器"_s;
    QTest::newRow("404 with a JSON object") << Fault::status(404, R"({"rc":0})") << bad << 2000;
    QTest::newRow("500") << Fault::status(500) << bad << 2000;
    QTest::newRow("204 no content") << Fault::status(204, QByteArray()) << bad << 2000;
    QTest::newRow("201 created") << Fault::status(201, R"({"data":{}})") << bad << 2000;
    QTest::newRow("array body") << Fault::nonObject() << u"JSON 解析失败"_s << 2000;
    QTest::newRow("empty body") << Fault::body(200, QByteArray()) << u"decode"_s << 2000;
    QTest::newRow("malformed body") << Fault::malformed() << u"decode"_s << 2000;
    QTest::newRow("bare string") << Fault::body(200, R"("ok")") << u"decode"_s << 2000;
    QTest::newRow("trailing garbage") << Fault::body(200, R"({"a":1}x)") << u"decode"_s << 2000;
    QTest::newRow("html error page")
        << Fault::body(200, "<html></html>", "text/html") << u"decode"_s << 2000;
    QTest::newRow("no answer at all") << Fault::stall() << timeout << 300;
    QTest::newRow("stalled body") << Fault::stallMidBody() << timeout << 300;
    QTest::newRow("slower than the time-out") << Fault::delay(1500) << timeout << 300;
    QTest::newRow("dropped before answering") << Fault::drop() << noConnection << 2000;
    QTest::newRow("dropped mid-body") << Fault::dropMidBody() << noConnection << 2000;
    QTest::newRow("9 MiB body") << Fault::hugeBody(9LL << 20) << bad << 5000;
    QTest::newRow("100 MB body") << Fault::hugeBody(100'000'000) << bad << 5000;
}

void TestNetworkClient::failures()
{
    QFETCH(Fault, fault);
    QFETCH(QString, expected);
    QFETCH(int, timeoutMs);

    m_fixture.sim().addFault(kPath, fault);
    QElapsedTimer clock;
    clock.start();
    const auto outcome = run(NetworkClient::getJSON(
        url(kPath + u'?' + kQuery), NetworkClient::defaultUA.toString(),
        NetworkClient::defaultReferer.toString(), std::chrono::milliseconds(timeoutMs)));

    QVERIFY2(!outcome.value, "a faulty answer was accepted");
    if (expected == u"decode"_s) {
        QVERIFY2(outcome.decodeError, qPrintable(outcome.describe()));
    } else if (expected == u"JSON 解析失败"_s) {
        QVERIFY2(outcome.error, qPrintable(outcome.describe()));
        QCOMPARE(outcome.error->kind(), FetchError::Kind::invalidData);
        QCOMPARE(outcome.error->tag(), expected);
    } else {
        QVERIFY2(outcome.error, qPrintable(outcome.describe()));
        QCOMPARE(outcome.error->description(), expected);
    }
    // Oversized bodies are cut off early rather than read to the end.
    QVERIFY2(clock.elapsed() < timeoutMs + 3000, qPrintable(QString::number(clock.elapsed())));
}

void TestNetworkClient::closedUnansweredIsAskedAgain_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("times"); // the fault's, -1 for every request
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("requests"); // -1: not counted
    // A connection closed before the server said anything is tried once
    // more. Qt resends such a request by itself only while the connection
    // it used has resends left, and the rows before use them up: the second
    // row is answered only because the client asks again. One the server
    // had begun to answer on is its answer, and final.
    QTest::newRow("closed every time, unanswered") << Fault::drop() << -1 << false << -1;
    QTest::newRow("closed once, unanswered") << Fault::drop() << 1 << true << -1;
    QTest::newRow("closed mid-body") << Fault::dropMidBody() << 1 << false << 1;
    QTest::newRow("500") << Fault::status(500) << 1 << false << 1;
}

void TestNetworkClient::closedUnansweredIsAskedAgain()
{
    QFETCH(Fault, fault);
    QFETCH(int, times);
    QFETCH(bool, answered);
    QFETCH(int, requests);
    m_fixture.sim().addFault(kPath, fault, {}, times);
    const auto outcome = run(NetworkClient::getJSON(url(kPath + u'?' + kQuery)));
    QVERIFY2(bool(outcome.value) == answered, qPrintable(outcome.describe()));
    if (requests >= 0)
        QCOMPARE(int(m_fixture.sim().requests().size()), requests);
}

void TestNetworkClient::bodyJustUnderTheLimitIsRead()
{
    // A legitimate large answer must not trip the size guard.
    QByteArray body = R"({"pad":")";
    body += QByteArray(NetworkClient::maxBodyBytes - 64, 'x');
    body += R"("})";
    m_fixture.sim().addFault(kPath, Fault::body(200, body));
    const auto outcome = run(NetworkClient::getJSON(url(kPath + u'?' + kQuery)));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
    QCOMPARE(outcome.value->value(u"pad"_s).toString().size(), NetworkClient::maxBodyBytes - 64);
}

void TestNetworkClient::unresolvableHost()
{
    // ".invalid" never resolves anywhere.
    const auto outcome = run(NetworkClient::getJSON(QUrl(u"http://quotara-test.invalid/x"_s)));
    QVERIFY2(outcome.error, qPrintable(outcome.describe()));
    QCOMPARE(outcome.error->kind(), FetchError::Kind::noConnection);
}

void TestNetworkClient::refusedConnection()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close(); // nothing listens there now
    const auto outcome = run(NetworkClient::getJSON(QUrl(u"http://127.0.0.1:%1/x"_s.arg(port))));
    QVERIFY2(outcome.error, qPrintable(outcome.describe()));
    QCOMPARE(outcome.error->kind(), FetchError::Kind::noConnection);
}

void TestNetworkClient::cancellation()
{
    // Our own abort is not a time-out, even though Qt reports both alike.
    m_fixture.sim().addFault(kPath, Fault::stall());
    auto cancel = CancelToken::create();
    QTimer::singleShot(100, cancel.get(), [cancel] { cancel->cancel(); });
    QElapsedTimer clock;
    clock.start();
    const auto outcome = run(NetworkClient::getJSON(
        url(kPath + u'?' + kQuery), NetworkClient::defaultUA.toString(),
        NetworkClient::defaultReferer.toString(), NetworkClient::defaultTimeout, cancel));
    QVERIFY2(outcome.error, qPrintable(outcome.describe()));
    QCOMPARE(outcome.error->kind(), FetchError::Kind::badResponse);
    QVERIFY(clock.elapsed() < 5000);
}

void TestNetworkClient::cancelledBeforeStart()
{
    auto cancel = CancelToken::create();
    cancel->cancel();
    const auto outcome = run(NetworkClient::getJSON(
        url(kPath + u'?' + kQuery), NetworkClient::defaultUA.toString(),
        NetworkClient::defaultReferer.toString(), NetworkClient::defaultTimeout, cancel));
    QVERIFY(outcome.error);
    QCOMPARE(outcome.error->kind(), FetchError::Kind::badResponse);
    QCOMPARE(m_fixture.sim().requests().size(), 0);
}

void TestNetworkClient::abandonedRequestsFreeTheirConnections_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("cancelled"); // by us, rather than timed out
    QTest::newRow("time-out before the headers") << Fault::stall() << false;
    QTest::newRow("time-out in the body") << Fault::stallMidBody() << false;
    QTest::newRow("cancelled") << Fault::stall() << true;
}

void TestNetworkClient::abandonedRequestsFreeTheirConnections()
{
    // Qt keeps six connections to a host. More abandoned requests than that
    // must not leave the host unreachable for the next one.
    QFETCH(Fault, fault);
    QFETCH(bool, cancelled);
    m_fixture.sim().addFault(kPath, fault, QString(), 8);
    for (int i = 0; i < 8; ++i) {
        auto cancel = CancelToken::create();
        if (cancelled)
            QTimer::singleShot(100, cancel.get(), [cancel] { cancel->cancel(); });
        const auto outcome = run(NetworkClient::getJSON(
            url(kPath + u'?' + kQuery), NetworkClient::defaultUA.toString(),
            NetworkClient::defaultReferer.toString(), std::chrono::milliseconds(200), cancel));
        QVERIFY(outcome.error);
    }
    const auto outcome = run(NetworkClient::getJSON(
        url(kPath + u'?' + kQuery), NetworkClient::defaultUA.toString(),
        NetworkClient::defaultReferer.toString(), std::chrono::milliseconds(2000)));
    QVERIFY2(outcome.value, qPrintable(outcome.describe()));
}

QTEST_GUILESS_MAIN(TestNetworkClient)
#include "tst_networkclient.moc"
