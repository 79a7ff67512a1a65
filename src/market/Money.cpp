#include "Money.h"

#include <QtNumeric>

#include <cmath>
#include <cstdlib>

namespace Money {

namespace {

// n / d rounded half away from zero; d > 0.
qint64 divideRounded(qint64 n, qint64 d)
{
    const qint64 quotient = n / d;
    const qint64 remainder = n % d;
    if (2 * std::llabs(remainder) < d)
        return quotient;
    return n < 0 ? quotient - 1 : quotient + 1;
}

qint64 powerOfTen(int exponent)
{
    qint64 p = 1;
    for (int i = 0; i < exponent; ++i)
        p *= 10;
    return p;
}

// Typed text with full-width forms in ASCII and blanks and group separators
// gone; "1，234．5" → "1234.5".
QString normalized(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (c.isSpace() || u == u',' || u == u'，')
            continue;
        if (u >= u'０' && u <= u'９')
            out += QChar(u'0' + (u - u'０'));
        else if (u == u'．')
            out += u'.';
        else if (u == u'＋')
            out += u'+';
        else if (u == u'－')
            out += u'-';
        else
            out += c;
    }
    return out;
}

} // namespace

std::optional<qint64> units(double value)
{
    // Well inside what a qint64 holds, and where a double still tells units apart.
    constexpr double limit = 1e14;
    if (!std::isfinite(value) || std::abs(value) * unitsPerOne >= limit)
        return std::nullopt;
    return qint64(std::llround(value * unitsPerOne));
}

std::optional<qint64> fen(qint64 quantity, qint64 price)
{
    qint64 product = 0;
    if (qMulOverflow(quantity, price, &product))
        return std::nullopt;
    // units × units are 1/10^8 yuan; a fen is 10^6 of them.
    return divideRounded(product, unitsPerOne * unitsPerOne / 100);
}

std::optional<qint64> add(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (qAddOverflow(a, b, &sum))
        return std::nullopt;
    return sum;
}

Parsed parse(QStringView typed, int decimals, qint64 limit)
{
    const QString text = normalized(typed);
    if (text.isEmpty())
        return {std::nullopt, ParseError::empty};
    qsizetype at = 0;
    bool negative = false;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        ++at;
    }
    qint64 value = 0; // in units
    int digits = 0;
    int fraction = -1;  // decimals read so far; -1 before the point
    bool finer = false; // a non-zero digit past `decimals`
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c == u'.' && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return {std::nullopt, ParseError::notNumber};
        const int digit = c.unicode() - u'0';
        ++digits;
        if (fraction >= 0) {
            ++fraction;
            if (fraction > decimals) {
                finer = finer || digit != 0;
                continue;
            }
        }
        if (value > (limit - digit) / 10)
            return {std::nullopt, ParseError::tooLarge};
        value = value * 10 + digit;
    }
    if (digits == 0)
        return {std::nullopt, ParseError::notNumber};
    if (negative && (value != 0 || finer))
        return {std::nullopt, ParseError::negative};
    if (finer)
        return {std::nullopt, ParseError::tooPrecise};
    // Scale what was read to units.
    const int read = std::max(0, std::min(fraction, decimals));
    const qint64 scale = powerOfTen(unitDecimals - read);
    if (value > (limit - 1) / scale)
        return {std::nullopt, ParseError::tooLarge};
    return {value * scale, std::nullopt};
}

QString text(qint64 units, int decimals)
{
    const qint64 scaled = divideRounded(units, powerOfTen(unitDecimals - decimals));
    const qint64 step = powerOfTen(decimals);
    QString out = QString::number(std::llabs(scaled / step));
    if (decimals > 0) {
        out += u'.';
        out += QStringLiteral("%1").arg(std::llabs(scaled % step), decimals, 10, QChar(u'0'));
    }
    if (scaled < 0)
        out.prepend(u'-');
    return out;
}

} // namespace Money
