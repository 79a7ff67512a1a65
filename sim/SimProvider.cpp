#include "SimProvider.h"

#include "DeadlineQueue.h"
#include "SimHttpServer.h"
#include "StreamedJsonBody.h"

#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    using M = QHttpServerRequest::Method;
    switch (method) {
    case M::Get:
        return "GET"_ba;
    case M::Put:
        return "PUT"_ba;
    case M::Delete:
        return "DELETE"_ba;
    case M::Post:
        return "POST"_ba;
    case M::Head:
        return "HEAD"_ba;
    case M::Options:
        return "OPTIONS"_ba;
    case M::Patch:
        return "PATCH"_ba;
    case M::Connect:
        return "CONNECT"_ba;
    case M::Trace:
        return "TRACE"_ba;
    default:
        return "UNKNOWN"_ba;
    }
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK"_ba;
    case 204:
        return "No Content"_ba;
    case 301:
        return "Moved Permanently"_ba;
    case 302:
        return "Found"_ba;
    case 304:
        return "Not Modified"_ba;
    case 400:
        return "Bad Request"_ba;
    case 401:
        return "Unauthorized"_ba;
    case 403:
        return "Forbidden"_ba;
    case 404:
        return "Not Found"_ba;
    case 429:
        return "Too Many Requests"_ba;
    case 500:
        return "Internal Server Error"_ba;
    case 502:
        return "Bad Gateway"_ba;
    case 503:
        return "Service Unavailable"_ba;
    case 504:
        return "Gateway Timeout"_ba;
    default:
        return "Status"_ba;
    }
}

QByteArray head(int status, const QByteArray& contentType, qint64 contentLength)
{
    return "HTTP/1.1 "_ba + QByteArray::number(status) + ' ' + reasonPhrase(status) +
           "\r\nContent-Type: "_ba + contentType + "\r\nContent-Length: "_ba +
           QByteArray::number(contentLength) + "\r\nConnection: keep-alive\r\n\r\n"_ba;
}

void writeWhole(QTcpSocket* socket, int status, const QByteArray& contentType,
                const QByteArray& body)
{
    socket->write(head(status, contentType, body.size()) + body);
}

// Keep at most this much queued on the socket; refill as the client reads.
constexpr qint64 kStreamHighWater = 1 << 20;
constexpr qint64 kStreamChunk = 256 << 10;

} // namespace

SimProvider::SimProvider(quint64 seed, QObject* parent)
    : QObject(parent), m_market(seed), m_routes(m_market),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    m_server = new SimHttpServer(
        [this](const QHttpServerRequest& request, QTcpSocket* socket) { handle(request, socket); },
        this);
    m_held = new DeadlineQueue(this);
}

SimProvider::~SimProvider()
{
    // Close every connection before the market and routes they read go away.
    delete m_server;
}

quint16 SimProvider::listen(quint16 port)
{
    m_port = m_server->listen(QHostAddress::LocalHost, port);
    return m_port;
}

QString SimProvider::origin() const
{
    return u"http://127.0.0.1:%1"_s.arg(m_port);
}

void SimProvider::setClock(std::function<QDateTime()> now)
{
    m_answers.clear();
    m_clock = now ? std::move(now) : [] { return QDateTime::currentDateTime(); };
}

QDateTime SimProvider::now() const
{
    return m_clock();
}

int SimProvider::addFault(const QString& path, const Fault& fault, const QString& queryContains,
                          int times)
{
    const int id = m_nextFaultId++;
    if (times != 0)
        m_faults.append({id, path, queryContains, times, fault});
    return id;
}

void SimProvider::removeFault(int id)
{
    m_faults.removeIf([id](const FaultRule& rule) { return rule.id == id; });
}

void SimProvider::clearFaults()
{
    m_faults.clear();
}

std::optional<Fault> SimProvider::takeFault(const RecordedRequest& request)
{
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        FaultRule& rule = m_faults[i];
        if (rule.path != request.path ||
            (!rule.queryContains.isEmpty() && !request.query.contains(rule.queryContains)))
            continue;
        const Fault fault = rule.fault;
        if (rule.remaining > 0 && --rule.remaining == 0)
            m_faults.removeAt(i);
        return fault;
    }
    return std::nullopt;
}

void SimProvider::handle(const QHttpServerRequest& request, QTcpSocket* socket)
{
    // The latency runs from the request's coming in: the time taken to make
    // the answer is no part of it.
    const auto arrived = DeadlineQueue::Clock::now();
    RecordedRequest recorded;
    recorded.method = methodName(request.method());
    recorded.path = request.url().path();
    recorded.query = request.url().query(QUrl::FullyEncoded);
    recorded.headers = request.headers();
    m_requests.append(recorded);
    if (m_requests.size() > kRequestHistory)
        m_requests.remove(0, m_requests.size() - kRequestHistory);
    emit requestReceived(recorded);

    const std::optional<Fault> fault = takeFault(recorded);
    const QDateTime time = now();
    QString key = QString::fromLatin1(recorded.method) + u' ' + recorded.path + u'?' +
                  recorded.query + u'@' + QString::number(time.toSecsSinceEpoch());
    for (const auto& [name, value] : std::as_const(recorded.headers))
        key += u'\n' + QString::fromLatin1(name.toLower() + ": " + value);
    SimRoutes::Answer answer;
    if (const auto cached = m_answers.constFind(key); cached != m_answers.cend()) {
        answer = *cached;
    } else if (auto routed = m_routes.answer(recorded, time)) {
        answer = *routed;
        if (m_answers.size() >= kAnswerCacheLimit)
            m_answers.clear();
        m_answers.insert(key, answer);
    } else {
        answer.status = 404;
        answer.body = QJsonDocument(QJsonObject{{u"rc"_s, 404},
                                                {u"message"_s, u"Not Found"_s},
                                                {u"path"_s, recorded.path}})
                          .toJson(QJsonDocument::Compact);
    }

    int wait = m_latencyMs;
    if (fault && fault->kind == Fault::Kind::Delay)
        wait += fault->delayMs;
    if (wait <= 0) {
        deliver(socket, answer, fault);
        return;
    }
    // The client may give up while we wait; the socket is gone by then.
    m_held->at(arrived + std::chrono::milliseconds(wait),
               [this, guard = QPointer<QTcpSocket>(socket), answer, fault] {
                   if (guard && guard->state() == QAbstractSocket::ConnectedState)
                       deliver(guard, answer, fault);
               });
}

void SimProvider::deliver(QTcpSocket* socket, const SimRoutes::Answer& answer,
                          const std::optional<Fault>& fault)
{
    if (!fault || fault->kind == Fault::Kind::Delay) {
        writeWhole(socket, answer.status, answer.contentType, answer.body);
        return;
    }
    const QByteArray json = "application/json; charset=utf-8"_ba;
    switch (fault->kind) {
    case Fault::Kind::Status:
        writeWhole(socket, fault->statusCode, json, fault->payload);
        break;
    case Fault::Kind::Body:
        writeWhole(socket, fault->statusCode, fault->contentType, fault->payload);
        break;
    case Fault::Kind::Malformed:
    case Fault::Kind::NonObject:
        writeWhole(socket, 200, json, fault->payload);
        break;
    case Fault::Kind::StallBeforeHeaders:
        break; // the connection stays open until the client gives up
    case Fault::Kind::Drop:
        socket->abort();
        break;
    case Fault::Kind::StallMidBody:
    case Fault::Kind::DropMidBody: {
        // The headers promise the whole answer; only its first half comes.
        const QByteArray& body = answer.body;
        socket->write(head(200, json, body.size()) +
                      body.left(std::max<qsizetype>(1, body.size() / 2)));
        if (fault->kind == Fault::Kind::DropMidBody)
            socket->disconnectFromHost(); // after the queued bytes are out
        break;
    }
    case Fault::Kind::HugeBody:
        streamHugeBody(socket, fault->byteCount);
        break;
    case Fault::Kind::Delay:
        break;
    }
}

void SimProvider::streamHugeBody(QTcpSocket* socket, qint64 bytes)
{
    socket->write(head(200, "application/json; charset=utf-8"_ba, bytes));
    struct State {
        StreamedJsonBody body;
        QMetaObject::Connection refill;
    };
    auto state = std::make_shared<State>(State{StreamedJsonBody(bytes), {}});
    QPointer<QTcpSocket> guard(socket);
    const auto pump = [guard, state] {
        if (!guard)
            return;
        while (!state->body.done() && guard->bytesToWrite() < kStreamHighWater)
            guard->write(state->body.next(kStreamChunk));
        if (state->body.done())
            QObject::disconnect(state->refill);
    };
    // The socket owns the connection: a client that aborts ends the stream.
    state->refill = connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
}
