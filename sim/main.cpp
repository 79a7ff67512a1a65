#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimeZone>

#include <memory>

#include "SimProvider.h"

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"quotara-sim"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Simulated quote, fund and update services for Quotara, on 127.0.0.1."_s);
    parser.addHelpOption();
    const QCommandLineOption portOption(u"port"_s, u"Port to listen on; 0 picks a free one."_s,
                                        u"N"_s, u"0"_s);
    const QCommandLineOption seedOption(u"seed"_s, u"Seed of the simulated market."_s, u"S"_s,
                                        u"1"_s);
    const QCommandLineOption latencyOption(
        u"latency"_s, u"Milliseconds to wait before every answer (round-trip latency)."_s, u"MS"_s,
        u"0"_s);
    const QCommandLineOption atOption(
        u"at"_s,
        u"Shanghai time the market starts at, yyyy-MM-ddTHH:mm[:ss]; it runs on from there "
        "with the real clock. Default: the machine's clock."_s,
        u"TIME"_s);
    parser.addOption(portOption);
    parser.addOption(seedOption);
    parser.addOption(latencyOption);
    parser.addOption(atOption);
    parser.process(app);

    bool portOk = false;
    bool seedOk = false;
    bool latencyOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const quint64 seed = parser.value(seedOption).toULongLong(&seedOk);
    const int latency = parser.value(latencyOption).toInt(&latencyOk);
    QTextStream err(stderr);
    if (!portOk || port > 65535 || !seedOk) {
        err << "quotara-sim: --port takes 0..65535 and --seed a non-negative integer\n";
        return 2;
    }
    if (!latencyOk || latency < 0) {
        err << "quotara-sim: --latency takes a non-negative number of milliseconds\n";
        return 2;
    }
    QDateTime start;
    if (parser.isSet(atOption)) {
        const QString text = parser.value(atOption);
        start = QDateTime::fromString(text, Qt::ISODate);
        // Without a zone suffix only: the time is Shanghai's, whatever the machine's zone.
        if (!start.isValid() || start.timeSpec() != Qt::LocalTime) {
            err << "quotara-sim: --at takes a Shanghai time such as 2024-06-04T10:00\n";
            return 2;
        }
        start.setTimeZone(QTimeZone("Asia/Shanghai"));
    }

    SimProvider sim(seed);
    sim.setLatency(latency);
    if (start.isValid()) {
        // A market that goes on trading from the chosen instant, so that a
        // client with its own shifted clock sees the same minutes.
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        sim.setClock([start, elapsed] { return start.addMSecs(elapsed->elapsed()); });
    }
    if (sim.listen(quint16(port)) == 0) {
        err << "quotara-sim: cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    // Scripts wait for this line to learn where to connect.
    QTextStream(stdout) << sim.origin() << Qt::endl;
    return app.exec();
}
