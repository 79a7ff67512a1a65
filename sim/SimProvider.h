#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

#include "Fault.h"
#include "RecordedRequest.h"
#include "SimMarket.h"
#include "SimRoutes.h"

#include <QHash>

class DeadlineQueue;
class QHttpServerRequest;
class QTcpSocket;
class SimHttpServer;

// A stand-in for the quote, fund and update services on 127.0.0.1: serves a
// deterministic market (SimMarket) in the shapes the live services use
// (SimRoutes), records every request, and injects faults on demand.
// Everything runs on the thread that owns it, through its event loop.
class SimProvider : public QObject {
    Q_OBJECT

public:
    explicit SimProvider(quint64 seed = 1, QObject* parent = nullptr);
    ~SimProvider() override;

    // Listens on 127.0.0.1 only. Returns the port, 0 on failure.
    quint16 listen(quint16 port = 0);
    quint16 port() const { return m_port; }
    QString origin() const; // "http://127.0.0.1:<port>"

    // The instant the market is read at; by default the machine's clock.
    void setClock(std::function<QDateTime()> now);
    QDateTime now() const;
    // Added before every answer, faulted or not, to model round-trip latency.
    void setLatency(int ms) { m_latencyMs = qMax(0, ms); }
    int latency() const { return m_latencyMs; }

    // Requests whose path equals `path` (and whose raw query contains
    // `queryContains`, when given) get `fault` instead of their answer, the
    // next `times` times or, with -1, until the fault is removed. The first
    // matching fault in the order added wins. Returns an id for removeFault.
    int addFault(const QString& path, const Fault& fault, const QString& queryContains = {},
                 int times = -1);
    void removeFault(int id);
    void clearFaults();

    // Every request, faulted or not, recorded before it is answered. The
    // oldest are forgotten past kRequestHistory, so a long-running
    // simulator does not grow without bound.
    static constexpr qsizetype kRequestHistory = 10000;
    static constexpr qsizetype kAnswerCacheLimit = 256;
    QList<RecordedRequest> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    const SimMarket& market() const { return m_market; }
    // For pinning a replayed scenario's figures (SimMarket::pinClose and co).
    SimMarket& market()
    {
        m_answers.clear();
        return m_market;
    }

    void setVersionRecord(const QByteArray& body)
    {
        m_answers.clear();
        m_routes.setVersionRecord(body);
    }
    void setGithubRelease(const QByteArray& body)
    {
        m_answers.clear();
        m_routes.setGithubRelease(body);
    }

signals:
    void requestReceived(const RecordedRequest& request);

private:
    struct FaultRule {
        int id = 0;
        QString path;
        QString queryContains;
        int remaining = -1;
        Fault fault;
    };

    void handle(const QHttpServerRequest& request, QTcpSocket* socket);
    std::optional<Fault> takeFault(const RecordedRequest& request);
    void deliver(QTcpSocket* socket, const SimRoutes::Answer& answer,
                 const std::optional<Fault>& fault);
    static void streamHugeBody(QTcpSocket* socket, qint64 bytes);

    SimMarket m_market;
    SimRoutes m_routes;
    SimHttpServer* m_server = nullptr;
    quint16 m_port = 0;
    std::function<QDateTime()> m_clock;
    // Answers change with the clock's second at the finest, so the same
    // request within one second gets the answer already made. Otherwise the
    // simulator's single thread, building every answer anew, takes a share
    // of the machine a real provider never takes from its clients.
    QHash<QString, SimRoutes::Answer> m_answers;
    int m_latencyMs = 0;
    DeadlineQueue* m_held = nullptr; // answers waiting out their latency
    QList<FaultRule> m_faults;
    int m_nextFaultId = 1;
    QList<RecordedRequest> m_requests;
};
