#pragma once

#include "CancelToken.h"
#include "FetchError.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;

// The one place where the system talks HTTP: one GET with exactly two
// headers, a transfer time-out, the status rule and the failure classifier.
namespace NetworkClient {

inline constexpr QStringView defaultUA =
    u"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 Chrome/126.0";
inline constexpr QStringView defaultReferer = u"https://quote.eastmoney.com/";

// Longest wait for the connection or for the next data of an answer.
inline constexpr std::chrono::milliseconds defaultTimeout{10'000};

// No legitimate answer comes near this; an unbounded body would let a broken
// or hostile server exhaust memory.
inline constexpr qint64 maxBodyBytes = 8 * 1024 * 1024;

// One GET whose answer must have status 200; the body, at most maxBodyBytes.
// Throws FetchError.
QCoro::Task<QByteArray> getBody(QNetworkRequest request,
                                std::chrono::milliseconds timeout = defaultTimeout,
                                CancelHandle cancel = {});

// Fetch `url` and decode its body as a JSON object.
// Throws FetchError, or JsonDecodeError for a body that is not JSON at all.
QCoro::Task<QJsonObject> getJSON(QUrl url, QString ua = defaultUA.toString(),
                                 QString referer = defaultReferer.toString(),
                                 std::chrono::milliseconds timeout = defaultTimeout,
                                 CancelHandle cancel = {});

// A value for a request's query, every character but the unreserved ones
// percent-encoded: a watched code may hold anything the user typed ("&",
// "#", "," or a blank), and must neither end the value nor add a parameter.
QString queryValue(const QString& value);
// Values for a list parameter, each encoded as by queryValue and joined by
// the commas the provider splits the list at: a comma inside a value stays
// encoded, so one odd code cannot cost the others their place in the list.
QString queryList(const QStringList& values);

// How a failed transfer leaves getJSON. `abortedByUs` tells our own abort
// (cancellation, oversized body) apart from Qt's transfer time-out, which
// Qt 6.4 also reports as OperationCanceledError.
FetchError classify(QNetworkReply::NetworkError error, bool abortedByUs);

// The process-wide manager every request goes through (created on first use,
// owned by the application object).
QNetworkAccessManager& sharedManager();

} // namespace NetworkClient
