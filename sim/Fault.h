#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QtGlobal>

// What a matching request gets instead of its normal answer.
struct Fault {
    enum class Kind {
        Status,             // that status and body
        Delay,              // the normal answer, late
        StallBeforeHeaders, // the request is read and never answered
        StallMidBody,       // 200, headers with the full Content-Length, part of the body, silence
        Drop,               // the connection is closed without a byte of answer
        DropMidBody,        // as StallMidBody, then the connection is closed
        Malformed,          // 200 with a body that is not JSON
        NonObject,          // 200 with valid JSON that is not an object
        HugeBody,           // 200 with a valid-looking JSON body of byteCount bytes, streamed
        Body,               // any status, body and content type
    };

    Kind kind = Kind::Status;
    int statusCode = 200;
    int delayMs = 0;
    qint64 byteCount = 0;
    QByteArray payload;
    QByteArray contentType = QByteArrayLiteral("application/json; charset=utf-8");

    static Fault status(int code, const QByteArray& body = QByteArrayLiteral("{}"));
    static Fault delay(int ms);
    static Fault stall();
    static Fault stallMidBody();
    static Fault drop();
    static Fault dropMidBody();
    static Fault malformed();
    static Fault nonObject();
    static Fault hugeBody(qint64 bytes);
    static Fault body(int status, const QByteArray& body,
                      const QByteArray& contentType = QByteArrayLiteral("application/json"));
};

Q_DECLARE_METATYPE(Fault)
