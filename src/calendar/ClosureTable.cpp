#include "ClosureTable.h"

#include "market/Log.h"

#include <QFile>

using namespace Qt::StringLiterals;

// Resources of a static library are not registered unless someone asks;
// Q_INIT_RESOURCE must stand outside any namespace.
static void registerCalendarResource()
{
    Q_INIT_RESOURCE(calendar);
}

namespace {

// No closure the exchanges have announced ran longer than nine days; a range
// of this many days or more is a typing error in the table.
constexpr qint64 kLongestClosure = 15;

std::optional<QDate> isoDate(const QString& text)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() || date.toString(Qt::ISODate) != text)
        return std::nullopt;
    return date;
}

struct Entry {
    QDate first;
    QDate last;
    ClosureTable::Day day;
    std::optional<Market> only;
};

// One entry line, or the reason it is not one.
std::optional<Entry> readEntry(const QStringList& fields, int year, QString& error)
{
    if (fields.size() < 3 || fields.size() > 4) {
        error = u"expected \"DATE[..DATE] holiday|makeup NAME [stocks|gold]\""_s;
        return std::nullopt;
    }
    Entry entry;
    const QStringList dates = fields[0].split(u".."_s);
    const auto first = isoDate(dates[0]);
    const auto last = dates.size() == 2 ? isoDate(dates[1]) : first;
    if (dates.size() > 2 || !first || !last) {
        error = u"not a date or a range of dates: "_s + fields[0];
        return std::nullopt;
    }
    entry.first = *first;
    entry.last = *last;
    if (entry.last < entry.first || entry.first.daysTo(entry.last) >= kLongestClosure) {
        error = u"not a closure's range: "_s + fields[0];
        return std::nullopt;
    }
    // A year's notices close at most the last days of the year before (元旦).
    if (entry.last.year() != year) {
        error = u"not a day of %1: "_s.arg(year) + fields[0];
        return std::nullopt;
    }
    if (fields[1] == u"holiday"_s) {
        entry.day.kind = ClosureTable::Kind::holiday;
    } else if (fields[1] == u"makeup"_s) {
        entry.day.kind = ClosureTable::Kind::makeUpDay;
        if (entry.first != entry.last || entry.first.dayOfWeek() < 6) {
            error = u"a make-up day is one Saturday or Sunday: "_s + fields[0];
            return std::nullopt;
        }
    } else {
        error = u"neither holiday nor makeup: "_s + fields[1];
        return std::nullopt;
    }
    entry.day.name = fields[2];
    if (fields.size() == 4) {
        if (fields[3] == u"stocks"_s) {
            entry.only = Market::stocks;
        } else if (fields[3] == u"gold"_s) {
            entry.only = Market::gold;
        } else {
            error = u"neither stocks nor gold: "_s + fields[3];
            return std::nullopt;
        }
    }
    return entry;
}

} // namespace

QList<QDate> ClosureTable::holidays(Market market) const
{
    QList<QDate> out;
    const auto& all = days(market);
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (it->kind == Kind::holiday)
            out.append(it.key());
    }
    return out;
}

std::optional<ClosureTable> ClosureTable::parse(QStringView text, QString* error)
{
    ClosureTable table;
    int lineNumber = 0;
    const auto fail = [&](const QString& why) {
        if (error)
            *error = u"line %1: "_s.arg(lineNumber) + why;
        return std::nullopt;
    };
    for (QStringView raw : text.split(u'\n')) {
        ++lineNumber;
        const qsizetype hash = raw.indexOf(u'#');
        const QString line = raw.left(hash < 0 ? raw.size() : hash).toString().simplified();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(u' ');
        if (fields[0] == u"year"_s) {
            bool ok = false;
            const int year = fields.size() == 2 ? fields[1].toInt(&ok) : 0;
            if (!ok || year < 1990 || year > 9999)
                return fail(u"expected \"year YYYY\""_s);
            // A gap would pass a year nobody read off as one without closures.
            if (table.lastYear != 0 && year != table.lastYear + 1)
                return fail(u"year %1 does not follow %2"_s.arg(year).arg(table.lastYear));
            if (table.firstYear == 0)
                table.firstYear = year;
            table.lastYear = year;
            continue;
        }
        if (table.lastYear == 0)
            return fail(u"an entry before the first \"year\""_s);
        QString why;
        const auto entry = readEntry(fields, table.lastYear, why);
        if (!entry)
            return fail(why);
        for (QDate d = entry->first; d <= entry->last; d = d.addDays(1)) {
            for (Market market : {Market::stocks, Market::gold}) {
                if (entry->only && *entry->only != market)
                    continue;
                QMap<QDate, Day>& days = market == Market::stocks ? table.stocks : table.gold;
                if (days.contains(d))
                    return fail(u"%1 is listed twice"_s.arg(d.toString(Qt::ISODate)));
                days.insert(d, entry->day);
            }
        }
    }
    return table;
}

const ClosureTable& ClosureTable::builtIn()
{
    static const ClosureTable table = [] {
        registerCalendarResource();
        QFile file(u":/calendar/market-closures.txt"_s);
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(quotaraLog, "the market closure table is missing; every weekday trades");
            return ClosureTable{};
        }
        QString error;
        const auto parsed = parse(QString::fromUtf8(file.readAll()), &error);
        if (!parsed) {
            qCWarning(quotaraLog,
                      "the market closure table does not read (%s); every weekday "
                      "trades",
                      qPrintable(error));
            return ClosureTable{};
        }
        return *parsed;
    }();
    return table;
}
