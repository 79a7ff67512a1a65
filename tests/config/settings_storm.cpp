// Writes the watch list and the rule list over and over, alternating between
// two known values of each, until it is killed. Used by tst_settingskill.
#include "StormValues.h"
#include "config/AlertConfig.h"
#include "config/ConfigStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
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
