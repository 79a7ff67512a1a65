#include "Format.h"

#include <charconv>

namespace Format {

// to_chars rounds the exact binary value the way printf does.
QString fixed(double x, int decimals)
{
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString price(double x)
{
    return fixed(x, 2);
}

QString nav(double x)
{
    return fixed(x, 4);
}

QString pct(double x)
{
    QString text = fixed(x, 2);
    if (!text.startsWith(u'-'))
        text.prepend(u'+');
    return text + u'%';
}

QString amount(double x)
{
    if (x >= 100'000'000)
        return fixed(x / 100'000'000, 1) + QStringLiteral("亿");
    if (x >= 10'000)
        return fixed(x / 10'000, 0) + QStringLiteral("万");
    return fixed(x, 0);
}

QString grouped(const QString& number)
{
    QString text = number;
    const qsizetype start = text.startsWith(u'-') ? 1 : 0;
    qsizetype end = text.indexOf(u'.');
    if (end < 0)
        end = text.size();
    for (qsizetype at = end - 3; at > start; at -= 3)
        text.insert(at, u',');
    return text;
}

namespace {

QString withSign(qint64 fen, const QString& magnitude)
{
    if (fen > 0)
        return u'+' + magnitude;
    if (fen < 0)
        return u'-' + magnitude;
    return magnitude;
}

} // namespace

QString money(qint64 fen)
{
    const qint64 magnitude = fen < 0 ? -fen : fen;
    QString text = grouped(QString::number(magnitude / 100)) + u'.' +
                   QStringLiteral("%1").arg(magnitude % 100, 2, 10, QChar(u'0'));
    if (fen < 0)
        text.prepend(u'-');
    return text;
}

QString signedMoney(qint64 fen)
{
    return withSign(fen, money(fen < 0 ? -fen : fen));
}

QString signedYuan(qint64 fen)
{
    const qint64 magnitude = fen < 0 ? -fen : fen;
    const qint64 yuan = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
    return withSign(yuan == 0 ? 0 : fen, grouped(QString::number(yuan)));
}

QString masked()
{
    return QStringLiteral("****");
}

QString absent()
{
    return QStringLiteral("--");
}

QString price(std::optional<double> x)
{
    return x ? price(*x) : absent();
}

QString pct(std::optional<double> x)
{
    return x ? pct(*x) : absent();
}

QString amount(std::optional<double> x)
{
    return x ? amount(*x) : absent();
}

} // namespace Format
