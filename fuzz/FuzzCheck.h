#pragma once

#include "market/FetchError.h"
#include "market/JsonRead.h"

#include <QByteArray>
#include <QJsonObject>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

// A property every input must keep. A violation aborts, which libFuzzer
// records as a crash together with the input that caused it.
inline void require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property violated: %s\n", property);
    std::abort();
}

// The fuzzer's bytes as the program receives them: a body or a stored value.
// No copy, so ASan sees any read past the end.
inline QByteArray inputBytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                   static_cast<qsizetype>(size));
}

// A provider's answer decoded as the app decodes every body; nothing when
// the app would reject the body before any reader sees it.
inline std::optional<QJsonObject> answerObject(const uint8_t* data, size_t size)
{
    try {
        return JsonRead::answerObject(inputBytes(data, size));
    } catch (const JsonDecodeError&) {
        return std::nullopt;
    } catch (const FetchError&) {
        return std::nullopt;
    }
}
