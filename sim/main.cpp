#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

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
    parser.addOption(portOption);
    parser.addOption(seedOption);
    parser.process(app);

    bool portOk = false;
    bool seedOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const quint64 seed = parser.value(seedOption).toULongLong(&seedOk);
    QTextStream err(stderr);
    if (!portOk || port > 65535 || !seedOk) {
        err << "quotara-sim: --port takes 0..65535 and --seed a non-negative integer\n";
        return 2;
    }

    SimProvider sim(seed);
    if (sim.listen(quint16(port)) == 0) {
        err << "quotara-sim: cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    // Scripts wait for this line to learn where to connect.
    QTextStream(stdout) << sim.origin() << Qt::endl;
    return app.exec();
}
