#pragma once

#include "Preferences.h"
#include "SettingsLock.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// One record of the preferences store, kept the way every store keeps its
// record: read with its defaults when nothing readable is stored, changed as
// one step across processes (re-read under the store's lock, edited, written
// back), and never losing bytes it could not read: they are copied to the
// same key followed by ".unreadable" before the first write replaces them.
template <typename Record> class StoredRecord {
public:
    using Decode = std::function<std::optional<Record>(const QByteArray&)>;
    using Encode = std::function<std::optional<QByteArray>(const Record&)>;

    StoredRecord(Preferences& preferences, QString key, Record defaults, Decode decode,
                 Encode encode)
        : m_preferences(preferences), m_key(std::move(key)), m_defaults(std::move(defaults)),
          m_decode(std::move(decode)), m_encode(std::move(encode))
    {}

    struct Read {
        Record record;                        // the defaults when nothing readable is stored
        std::optional<QByteArray> unreadable; // bytes that did not read
    };

    // What this process last loaded of the store.
    Read read() const
    {
        const auto stored = m_preferences.data(m_key);
        if (!stored)
            return {m_defaults, std::nullopt};
        if (auto record = m_decode(*stored))
            return {std::move(*record), std::nullopt};
        return {m_defaults, stored};
    }

    // Re-reads the record under the lock and hands it to `change`, which
    // edits it and says whether to write it. Returns the record as it now
    // stands and whether it was written; a record that cannot be encoded
    // is not written.
    std::pair<Record, bool> modify(const std::function<bool(Record&)>& change)
    {
        const SettingsLock lock(m_preferences.fileName());
        m_preferences.reload();
        Read stored = read();
        if (!change(stored.record))
            return {std::move(stored.record), false};
        const auto bytes = m_encode(stored.record);
        if (!bytes)
            return {std::move(stored.record), false};
        if (stored.unreadable)
            m_preferences.setData(m_key + QStringLiteral(".unreadable"), *stored.unreadable);
        m_preferences.setData(m_key, *bytes);
        return {std::move(stored.record), true};
    }

private:
    Preferences& m_preferences;
    QString m_key;
    Record m_defaults;
    Decode m_decode;
    Encode m_encode;
};
