#pragma once

#include "market/FetchError.h"
#include "market/JsonRead.h"
#include "market/SearchParser.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSet>

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

// What the add form relies on in a search's hits, whatever the answer: at
// most SearchParser::maxHits, each with a code and a name without blanks
// around them, no code twice, and a kind to show.
inline void requireListable(const QList<SearchHit>& hits)
{
    require(hits.size() <= SearchParser::maxHits, "at most maxHits hits");
    QSet<QString> codes;
    for (const SearchHit& hit : hits) {
        require(!hit.code.isEmpty() && !hit.name.isEmpty() && !hit.kind.isEmpty(),
                "a hit has a code, a name and a kind");
        require(hit.code == hit.code.trimmed() && hit.name == hit.name.trimmed(),
                "no blanks around a hit's code or name");
        require(!codes.contains(hit.code), "no code twice");
        codes.insert(hit.code);
    }
}
