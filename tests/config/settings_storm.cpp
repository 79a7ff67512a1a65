// A second process on the same settings, for tst_settingskill. Without
// arguments it writes the watch list and the rule list over and over,
// alternating between two known values of each, until it is killed. With
// "serve" it loads both stores, says "ready" and then runs the edits it is
// sent on standard input (StoreCommands), one line each, answering each on
// standard output. Between edits it waits on its input and runs no event
// loop, so what it shows stays what it loaded, as in a process that has not
// looked at the file since.
#include "StoreCommands.h"
#include "StormValues.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int storm()
{
    ConfigStore store;
    AlertConfig alerts;
    for (unsigned i = 0;; ++i) {
        const bool odd = i % 2;
        store.setConfig(odd ? StormValues::watchB() : StormValues::watchA());
        alerts.setRules(odd ? StormValues::rulesB() : StormValues::rulesA());
        if (i == 1) {
            // Both values have been written once: the parent may now kill.
            std::puts("writing");
            std::fflush(stdout);
        }
    }
}

int serve()
{
    ConfigStore store;
    AlertConfig alerts;
    HoldingsStore holdings;
    std::puts("ready");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        const QString answer =
            StoreCommands::run(store, alerts, holdings, QString::fromStdString(line));
        std::puts(answer.toUtf8().constData());
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "serve") == 0)
        return serve();
    return storm();
}
