#include "GoldTrend.h"

#include <QDate>
#include <QMap>

#include <algorithm>

namespace GoldTrend {

namespace {

struct StampParts {
    QStringView date;
    QStringView time; // may be empty
};

// The piece of `text` up to the next `separator` from `at` on, empty pieces
// skipped; `at` ends up past it. Empty when nothing is left.
QStringView nextPiece(QStringView text, char16_t separator, qsizetype& at)
{
    while (at < text.size() && text[at] == separator)
        ++at;
    const qsizetype start = at;
    while (at < text.size() && text[at] != separator)
        ++at;
    return text.sliced(start, at - start);
}

// Date and time, the first two pieces between spaces. Every minute of every
// gold refresh comes through here, so no list of pieces is built.
std::optional<StampParts> split(QStringView dt)
{
    qsizetype at = 0;
    const QStringView date = nextPiece(dt, u' ', at);
    if (date.isEmpty())
        return std::nullopt;
    return StampParts{date, nextPiece(dt, u' ', at)};
}

// ASCII digits as a number; -1 for anything else.
int digits(QStringView text)
{
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// "yyyy-MM-dd". QDate::fromString runs the general date-time parser, which
// cost more than reading the rest of the gold answer; the provider's shape,
// four, two and two digits, is read here, anything else is still left to it
// so that what it accepts stays the rule.
QDate readDate(QStringView text)
{
    if (text.size() == 10 && text[4] == u'-' && text[7] == u'-') {
        const int year = digits(text.first(4));
        const int month = digits(text.sliced(5, 2));
        const int day = digits(text.sliced(8, 2));
        if (year >= 0 && month >= 0 && day >= 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(text.toString(), QStringLiteral("yyyy-MM-dd"));
}

// The same text as QDate::toString("yyyy-MM-dd"), for four-digit years
// without the locale-aware formatter (and without QString::asprintf, which
// costs nearly as much).
QString writeDate(const QDate& date)
{
    if (date.year() <= 0 || date.year() > 9999)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    QChar text[10];
    const auto put = [&text](int at, int value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            text[at + i] = QChar(u'0' + value % 10);
            value /= 10;
        }
    };
    put(0, date.year(), 4);
    text[4] = u'-';
    put(5, date.month(), 2);
    text[7] = u'-';
    put(8, date.day(), 2);
    return QString(text, 10);
}

// Optional sign and decimal digits, nothing else.
std::optional<int> strictInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size() || text.size() - i > 9)
        return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

std::optional<int> hourOf(QStringView dt)
{
    const auto parts = split(dt);
    if (!parts)
        return std::nullopt;
    qsizetype at = 0;
    const QStringView hour = nextPiece(parts->time, u':', at);
    return strictInteger(hour.isEmpty() ? QStringView(u"0") : hour);
}

std::optional<QString> tradingDayKey(QStringView dt)
{
    const auto parts = split(dt);
    if (!parts)
        return std::nullopt;
    const auto hour = hourOf(dt);
    if (hour && *hour >= 21) {
        // Shanghai keeps no daylight saving time, so a plain calendar step
        // is the same as stepping a day in that zone.
        const QDate date = readDate(parts->date);
        if (date.isValid())
            return writeDate(date.addDays(1));
    }
    return parts->date.toString();
}

QList<RawPoint> chooseTradingDay(const QList<RawPoint>& points)
{
    QMap<QString, QList<RawPoint>> byDay;
    for (const RawPoint& point : points) {
        if (const auto key = tradingDayKey(point.dt))
            byDay[*key].append(point);
    }
    if (byDay.isEmpty())
        return {};

    auto hasDaySession = [](const QList<RawPoint>& day) {
        return std::any_of(day.begin(), day.end(), [](const RawPoint& p) {
            const auto hour = hourOf(p.dt);
            return hour && *hour >= 9 && *hour <= 14;
        });
    };
    // QMap keeps keys ascending; walk them latest first.
    QList<RawPoint> chosen = std::prev(byDay.end()).value();
    for (auto it = byDay.end(); it != byDay.begin();) {
        --it;
        if (hasDaySession(it.value())) {
            chosen = it.value();
            break;
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const RawPoint& a, const RawPoint& b) { return a.dt < b.dt; });
    return chosen;
}

QString newestStamp(const QList<RawPoint>& points)
{
    // "yyyy-MM-dd HH:mm" orders as text the way it orders in time.
    QString newest;
    for (const RawPoint& point : points) {
        if (point.dt > newest && tradingDayKey(point.dt))
            newest = point.dt;
    }
    return newest;
}

} // namespace GoldTrend
