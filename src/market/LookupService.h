#pragma once

#include "NetworkClient.h"

#include <QCoroTask>
#include <QString>

#include <optional>

// The state of one look-up row in the settings.
struct LookupState {
    enum class Kind { idle, loading, found, notFound };
    Kind kind = Kind::idle;
    QString name; // with `found`; may be empty

    static LookupState idle() { return {}; }
    static LookupState loading() { return {Kind::loading, {}}; }
    static LookupState found(QString name) { return {Kind::found, std::move(name)}; }
    static LookupState notFound() { return {Kind::notFound, {}}; }
    bool operator==(const LookupState&) const = default;
};

// Verifies a code the user types before it joins the watch list, and fetches
// its name. Never fails: every failure reads as "no name".
class LookupService {
public:
    explicit LookupService(QString quoteOrigin = defaultQuoteOrigin(),
                           QString fundOrigin = defaultFundOrigin(),
                           std::chrono::milliseconds timeout = NetworkClient::defaultTimeout);

    // The board's name, for a code already normalised.
    QCoro::Task<std::optional<QString>> sectorName(QString code);
    // The fund's short name, for a code already normalised.
    QCoro::Task<std::optional<QString>> fundName(QString code);

    // A board code as typed, trimmed of blanks and in upper case.
    static QString normalizeSectorCode(const QString& typed);
    // A fund code as typed, trimmed of blanks.
    static QString normalizeFundCode(const QString& typed);
    // Whether a normalised text is a whole code ("BK" and four digits; six
    // digits), which is looked up as it stands rather than searched for.
    static bool isCompleteSectorCode(const QString& code);
    static bool isCompleteFundCode(const QString& code);

private:
    static QString defaultQuoteOrigin();
    static QString defaultFundOrigin();

    QString m_quoteOrigin;
    QString m_fundOrigin;
    std::chrono::milliseconds m_timeout;
    RequestScope m_scope;
};
