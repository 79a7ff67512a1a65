#include "Fault.h"

namespace {

Fault make(Fault::Kind kind)
{
    Fault f;
    f.kind = kind;
    return f;
}

} // namespace

Fault Fault::status(int code, const QByteArray& body)
{
    Fault f = make(Kind::Status);
    f.statusCode = code;
    f.payload = body;
    return f;
}

Fault Fault::delay(int ms)
{
    Fault f = make(Kind::Delay);
    f.delayMs = ms;
    return f;
}

Fault Fault::stall()
{
    return make(Kind::StallBeforeHeaders);
}

Fault Fault::stallMidBody()
{
    return make(Kind::StallMidBody);
}

Fault Fault::drop()
{
    return make(Kind::Drop);
}

Fault Fault::dropMidBody()
{
    return make(Kind::DropMidBody);
}

Fault Fault::malformed()
{
    Fault f = make(Kind::Malformed);
    f.payload = QByteArrayLiteral("{\"data\":");
    return f;
}

Fault Fault::nonObject()
{
    Fault f = make(Kind::NonObject);
    f.payload = QByteArrayLiteral("[]");
    return f;
}

Fault Fault::hugeBody(qint64 bytes)
{
    Fault f = make(Kind::HugeBody);
    f.byteCount = qMax<qint64>(0, bytes);
    return f;
}

Fault Fault::body(int status, const QByteArray& body, const QByteArray& contentType)
{
    Fault f = make(Kind::Body);
    f.statusCode = status;
    f.payload = body;
    f.contentType = contentType;
    return f;
}
