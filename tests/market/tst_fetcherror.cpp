#include "market/FetchError.h"
#include "market/NetworkClient.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Kind = FetchError::Kind;

class TestFetchError : public QObject {
    Q_OBJECT
private slots:
    void descriptions_data();
    void descriptions();
    void classify_data();
    void classify();
    void decodeErrorIsNotAFetchError();
};

void TestFetchError::descriptions_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("message");
    const QString invalid = u"数据格式异常"_s;
    for (const QString& tag : {u"沪金解析失败"_s, u"黄金分时线解析失败"_s, u"板块解析失败"_s,
                               u"分时线解析失败"_s, u"JSON 解析失败"_s, QString()})
        QTest::addRow("invalidData %s", qPrintable(tag))
            << int(Kind::invalidData) << tag << invalid;
    QTest::newRow("badResponse") << int(Kind::badResponse) << QString() << u"服务器响应异常"_s;
    QTest::newRow("timeout") << int(Kind::timeout) << QString() << u"网络连接超时"_s;
    QTest::newRow("noConnection") << int(Kind::noConnection) << QString() << u"无法连接服务器"_s;
}

void TestFetchError::descriptions()
{
    QFETCH(int, kind);
    QFETCH(QString, tag);
    QFETCH(QString, message);
    FetchError error = FetchError::badResponse();
    switch (Kind(kind)) {
    case Kind::invalidData:
        error = FetchError::invalidData(tag);
        break;
    case Kind::badResponse:
        error = FetchError::badResponse();
        break;
    case Kind::timeout:
        error = FetchError::timeout();
        break;
    case Kind::noConnection:
        error = FetchError::noConnection();
        break;
    }
    QCOMPARE(int(error.kind()), kind);
    QCOMPARE(error.description(), message);
    QCOMPARE(error.tag(), tag);
    // The tag is a diagnostic: it never changes the message.
    QVERIFY(!error.description().contains(u"解析失败"_s));
}

void TestFetchError::classify_data()
{
    using E = QNetworkReply::NetworkError;
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("abortedByUs");
    QTest::addColumn<int>("kind");

    QTest::newRow("timeout") << int(E::TimeoutError) << false << int(Kind::timeout);
    QTest::newRow("transfer timeout (Qt 6.4)")
        << int(E::OperationCanceledError) << false << int(Kind::timeout);
    QTest::newRow("our own abort")
        << int(E::OperationCanceledError) << true << int(Kind::badResponse);
    QTest::newRow("host not found")
        << int(E::HostNotFoundError) << false << int(Kind::noConnection);
    QTest::newRow("refused") << int(E::ConnectionRefusedError) << false << int(Kind::noConnection);
    QTest::newRow("closed mid-answer")
        << int(E::RemoteHostClosedError) << false << int(Kind::noConnection);
    QTest::newRow("offline") << int(E::NetworkSessionFailedError) << false
                             << int(Kind::noConnection);
    QTest::newRow("temporary failure")
        << int(E::TemporaryNetworkFailureError) << false << int(Kind::noConnection);
    QTest::newRow("network unreachable")
        << int(E::UnknownNetworkError) << false << int(Kind::noConnection);
    QTest::newRow("tls") << int(E::SslHandshakeFailedError) << false << int(Kind::badResponse);
    QTest::newRow("insecure redirect")
        << int(E::InsecureRedirectError) << false << int(Kind::badResponse);
    QTest::newRow("too many redirects")
        << int(E::TooManyRedirectsError) << false << int(Kind::badResponse);
    QTest::newRow("not found") << int(E::ContentNotFoundError) << false << int(Kind::badResponse);
    QTest::newRow("server error") << int(E::InternalServerError) << false << int(Kind::badResponse);
    QTest::newRow("protocol") << int(E::ProtocolFailure) << false << int(Kind::badResponse);
    QTest::newRow("bad url scheme")
        << int(E::ProtocolUnknownError) << false << int(Kind::badResponse);
}

void TestFetchError::classify()
{
    QFETCH(int, error);
    QFETCH(bool, abortedByUs);
    QFETCH(int, kind);
    const FetchError result =
        NetworkClient::classify(QNetworkReply::NetworkError(error), abortedByUs);
    QCOMPARE(int(result.kind()), kind);
}

void TestFetchError::decodeErrorIsNotAFetchError()
{
    QJsonParseError parseError{};
    parseError.error = QJsonParseError::IllegalValue;
    try {
        throw JsonDecodeError(parseError);
    } catch (const FetchError&) {
        QFAIL("a decoding error must not read as a FetchError");
    } catch (const JsonDecodeError& error) {
        QCOMPARE(error.error().error, QJsonParseError::IllegalValue);
    }
}

QTEST_GUILESS_MAIN(TestFetchError)
#include "tst_fetcherror.moc"
