#include "SimHttpServer.h"

#include <QHttpServerRequest>
#include <QTcpSocket>

SimHttpServer::SimHttpServer(Handler handler, QObject* parent)
    : QAbstractHttpServer(parent), m_handler(std::move(handler))
{}

bool SimHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    m_handler(request, socket);
    return true; // every path is ours, unknown ones get a 404 from the handler
}

void SimHttpServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    m_handler(request, socket);
}
