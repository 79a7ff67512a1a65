#include "NetworkClient.h"

#include "JsonRead.h"

#include <QCoreApplication>
#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QPointer>

#include <algorithm>
#include <memory>

namespace NetworkClient {

namespace {

// Never disconnect a reply's signals: abort() emits finished(), which resumes
// the awaiting coroutine at once, and only afterwards tells the network
// thread to drop the request. Disconnecting here would cut that second
// signal, and the connection would stay reserved for an answer nobody waits
// for; after six such time-outs every request to the host would queue
// forever. Our own connections use the reply as context and die with it.
struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

struct TransferState {
    bool abortedByUs = false;
    bool tooLarge = false;
};

} // namespace

QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString queryList(const QStringList& values)
{
    QStringList encoded;
    encoded.reserve(values.size());
    for (const QString& value : values)
        encoded.append(queryValue(value));
    return encoded.join(u',');
}

namespace {

QPointer<QNetworkAccessManager>& managerSlot()
{
    static QPointer<QNetworkAccessManager> manager;
    return manager;
}

// Qt ends the manager's network thread when the manager goes, but waits for
// it at most five seconds; past that, the thread and every request object it
// still holds are left to the end of the process. Left to the application's
// children, the manager goes after the application has already taken down
// its event dispatcher, and on a loaded machine that wait was seen to run
// out. A post routine runs first thing in the application's destructor,
// while everything still works. A reply still running belongs to a
// coroutine that will delete it itself, so then the manager is left to the
// application as before.
void releaseManager()
{
    QNetworkAccessManager* manager = managerSlot();
    if (!manager)
        return;
    const auto replies = manager->findChildren<QNetworkReply*>();
    if (std::any_of(replies.begin(), replies.end(),
                    [](const QNetworkReply* r) { return r->isRunning(); }))
        return;
    delete manager;
}

} // namespace

QNetworkAccessManager& sharedManager()
{
    QPointer<QNetworkAccessManager>& manager = managerSlot();
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        qAddPostRoutine(releaseManager);
    }
    return *manager;
}

FetchError classify(QNetworkReply::NetworkError error, bool abortedByUs)
{
    using E = QNetworkReply::NetworkError;
    if (error == E::TimeoutError || (error == E::OperationCanceledError && !abortedByUs))
        return FetchError::timeout();
    switch (error) {
    // Qt has no separate "offline" code: an unreachable network surfaces as
    // a session failure, a temporary failure or an unknown network error.
    case E::NetworkSessionFailedError:
    case E::TemporaryNetworkFailureError:
    case E::UnknownNetworkError:
    case E::RemoteHostClosedError:
    case E::HostNotFoundError:
    case E::ConnectionRefusedError:
        return FetchError::noConnection();
    default:
        return FetchError::badResponse();
    }
}

namespace {

// One request and its answer. `closedUnanswered` is set when the connection
// closed before any answer of the server's arrived.
QCoro::Task<QByteArray> getBodyOnce(QNetworkRequest request, std::chrono::milliseconds timeout,
                                    CancelHandle cancel, bool& closedUnanswered)
{
    closedUnanswered = false;
    if (cancel && cancel->isCancelled())
        throw FetchError::badResponse();

    request.setTransferTimeout(static_cast<int>(timeout.count()));
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(sharedManager().get(request));
    QNetworkReply* r = reply.get();
    auto state = std::make_shared<TransferState>();

    auto abortTooLarge = [r, state] {
        state->tooLarge = true;
        state->abortedByUs = true;
        r->abort();
    };
    QObject::connect(r, &QNetworkReply::metaDataChanged, r, [r, abortTooLarge] {
        bool ok = false;
        const qint64 length = r->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
        if (ok && length > maxBodyBytes)
            abortTooLarge();
    });
    QObject::connect(r, &QNetworkReply::downloadProgress, r,
                     [abortTooLarge](qint64 received, qint64) {
                         if (received > maxBodyBytes)
                             abortTooLarge();
                     });
    if (cancel) {
        QObject::connect(cancel.get(), &CancelToken::cancelled, r, [r, state] {
            state->abortedByUs = true;
            r->abort();
        });
    }

    co_await r;

    if (state->tooLarge)
        throw FetchError::badResponse();
    const QVariant status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (r->error() != QNetworkReply::NoError) {
        closedUnanswered = r->error() == QNetworkReply::RemoteHostClosedError &&
                           !status.isValid() && !state->abortedByUs;
        throw classify(r->error(), state->abortedByUs);
    }
    if (!status.isValid() || status.toInt() != 200)
        throw FetchError::badResponse();

    QByteArray body = r->readAll();
    if (body.size() > maxBodyBytes)
        throw FetchError::badResponse();
    co_return body;
}

} // namespace

QCoro::Task<QByteArray> getBody(QNetworkRequest request, std::chrono::milliseconds timeout,
                                CancelHandle cancel)
{
    bool closedUnanswered = false;
    try {
        co_return co_await getBodyOnce(request, timeout, cancel, closedUnanswered);
    } catch (const FetchError&) {
        if (!closedUnanswered)
            throw;
    }
    // A kept-alive connection the server was closing as the request went
    // out fails without an answer, though the server is well; a GET asks
    // nothing twice, so it goes out once more, on a new connection.
    co_return co_await getBodyOnce(request, timeout, cancel, closedUnanswered);
}

QCoro::Task<QJsonObject> getJSON(QUrl url, QString ua, QString referer,
                                 std::chrono::milliseconds timeout, CancelHandle cancel)
{
    QNetworkRequest request(url);
    request.setRawHeader(QByteArrayLiteral("User-Agent"), ua.toUtf8());
    request.setRawHeader(QByteArrayLiteral("Referer"), referer.toUtf8());
    const QByteArray body = co_await getBody(std::move(request), timeout, std::move(cancel));
    co_return JsonRead::answerObject(body);
}

} // namespace NetworkClient
