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
