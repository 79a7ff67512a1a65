#pragma once

#include <QAbstractHttpServer>

#include <functional>

class QHttpServerRequest;
class QTcpSocket;

// Hands every parsed request, with its raw socket, to one callback. The raw
// socket is what lets the simulator answer late, answer in part, or not at all.
class SimHttpServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    using Handler = std::function<void(const QHttpServerRequest&, QTcpSocket*)>;

    explicit SimHttpServer(Handler handler, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    Handler m_handler;
};
