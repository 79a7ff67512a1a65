// The stored rule list, from the preference's bytes on.
#include "FuzzCheck.h"
#include "config/AlertConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto rules = AlertConfig::decode(inputBytes(data, size));
    if (!rules)
        return 0;
    // The list is written back whole after every change; a list that was
    // read but cannot be written would silently stop saving changes.
    const auto written = AlertConfig::encode(*rules);
    require(written.has_value(), "a list that was read can be written");
    const auto reread = AlertConfig::decode(*written);
    require(reread.has_value(), "a written list reads back");
    require(*reread == *rules, "a written list reads back equal");
    require(AlertConfig::encode(*reread) == written, "a reread list writes the same bytes");
    return 0;
}
