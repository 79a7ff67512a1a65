#pragma once

#include <QJsonParseError>
#include <QString>

#include <exception>

// The one error type of the market data layer. Every transport and protocol
// failure is folded into one of four cases, each with a fixed Chinese message.
class FetchError : public std::exception {
public:
    enum class Kind { invalidData, badResponse, timeout, noConnection };

    static FetchError invalidData(QString tag)
    {
        return FetchError(Kind::invalidData, std::move(tag));
    }
    static FetchError badResponse() { return FetchError(Kind::badResponse); }
    static FetchError timeout() { return FetchError(Kind::timeout); }
    static FetchError noConnection() { return FetchError(Kind::noConnection); }

    Kind kind() const { return m_kind; }
    // Diagnostic tag of invalidData (empty for the other cases); never shown to the user.
    const QString& tag() const { return m_tag; }
    // The user-facing message.
    QString description() const;

    const char* what() const noexcept override;

    bool operator==(const FetchError& other) const
    {
        return m_kind == other.m_kind && m_tag == other.m_tag;
    }

private:
    explicit FetchError(Kind kind, QString tag = {});

    Kind m_kind;
    QString m_tag;
    QByteArray m_what;
};

// A body that is not JSON at all. Deliberately not a FetchError: callers that
// show messages use a generic text of their own for it.
class JsonDecodeError : public std::exception {
public:
    explicit JsonDecodeError(QJsonParseError error);
    const QJsonParseError& error() const { return m_error; }
    const char* what() const noexcept override;

private:
    QJsonParseError m_error;
    QByteArray m_what;
};
