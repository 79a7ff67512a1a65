// The stored watch list, from the preference's bytes on.
#include "FuzzCheck.h"
#include "config/WatchConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto config = WatchConfig::fromJson(inputBytes(data, size));
    if (!config)
        return 0;
    // Any change is written back whole: what was read must survive it.
    const QByteArray written = config->toJson();
    const auto reread = WatchConfig::fromJson(written);
    require(reread.has_value(), "a written watch list reads back");
    require(*reread == *config, "a written watch list reads back equal");
    require(reread->toJson() == written, "a reread watch list writes the same bytes");
    return 0;
}
