#include "EstimateHistory.h"

#include "OrderedJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <cmath>

namespace {

constexpr int kVersion = 1;

std::optional<double> finite(const QJsonValue& value)
{
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

std::optional<EstimateDay> readDay(const QJsonValue& value)
{
    const QJsonArray a = value.toArray();
    if (!value.isArray() || a.size() < 4 || a.size() > 5 || !a[0].isString() || !a[1].isString())
        return std::nullopt;
    const QString dateText = a[0].toString();
    const QDate date = QDate::fromString(dateText, Qt::ISODate);
    const QDateTime madeAt = QDateTime::fromString(a[1].toString(), Qt::ISODate);
    const auto change = finite(a[2]);
    const auto nav = finite(a[3]);
    if (!date.isValid() || date.toString(Qt::ISODate) != dateText || !madeAt.isValid() || !change ||
        !nav)
        return std::nullopt;
    EstimateDay day{.date = date,
                    .madeAt = madeAt,
                    .changePct = *change,
                    .nav = *nav,
                    .publishedChangePct = std::nullopt};
    if (a.size() == 5) {
        day.publishedChangePct = finite(a[4]);
        if (!day.publishedChangePct)
            return std::nullopt;
    }
    return day;
}

} // namespace

EstimateHistory::EstimateHistory()
{
    const auto stored = m_preferences.data(key);
    if (!stored)
        return;
    if (auto record = decode(*stored))
        m_record = std::move(*record);
    else
        m_unreadable = stored;
}

void EstimateHistory::note(const QList<FundDetail>& funds, const QStringList& watched,
                           const QDateTime& now, const TradingCalendar& calendar)
{
    bool changed = false;
    const QSet<QString> kept(watched.begin(), watched.end());
    changed |=
        m_record.removeIf([&](Record::iterator entry) { return !kept.contains(entry.key()); }) > 0;
    for (const FundDetail& fund : funds) {
        if (!kept.contains(fund.quote.code))
            continue;
        QList<EstimateDay> days = m_record.value(fund.quote.code);
        if (!EstimateLog::note(days, fund, now, calendar))
            continue;
        changed = true;
        if (days.isEmpty())
            m_record.remove(fund.quote.code);
        else
            m_record.insert(fund.quote.code, days);
    }
    if (!changed)
        return;
    m_unwritten = true;
    if (m_lastWrite && m_lastWrite <= now && m_lastWrite->secsTo(now) < writeEverySecs)
        return;
    m_lastWrite = now;
    flush();
}

EstimateHistory::~EstimateHistory()
{
    flush();
}

void EstimateHistory::flush()
{
    if (!m_unwritten)
        return;
    m_unwritten = false;
    const auto bytes = encode(m_record);
    if (!bytes)
        return;
    if (m_unreadable) {
        m_preferences.setData(key + QStringLiteral(".unreadable"), *m_unreadable);
        m_unreadable.reset();
    }
    m_preferences.setData(key, *bytes);
}

std::optional<QByteArray> EstimateHistory::encode(const Record& record)
{
    QList<QPair<QString, QByteArray>> funds;
    for (auto it = record.begin(); it != record.end(); ++it) {
        QList<QByteArray> days;
        for (const EstimateDay& d : it.value()) {
            const auto change = OrderedJson::number(d.changePct);
            const auto nav = OrderedJson::number(d.nav);
            if (!change || !nav)
                return std::nullopt;
            QList<QByteArray> fields{OrderedJson::string(d.date.toString(Qt::ISODate)),
                                     OrderedJson::string(d.madeAt.toString(Qt::ISODate)), *change,
                                     *nav};
            if (d.publishedChangePct) {
                const auto published = OrderedJson::number(*d.publishedChangePct);
                if (!published)
                    return std::nullopt;
                fields.append(*published);
            }
            days.append(OrderedJson::array(fields));
        }
        funds.append({it.key(), OrderedJson::array(days)});
    }
    return OrderedJson::object({{QStringLiteral("v"), QByteArray::number(kVersion)},
                                {QStringLiteral("funds"), OrderedJson::object(funds)}});
}

std::optional<EstimateHistory::Record> EstimateHistory::decode(const QByteArray& bytes)
{
    const auto root = OrderedJson::versionedObject(bytes, kVersion);
    const QJsonValue funds = root ? root->value(QStringLiteral("funds")) : QJsonValue();
    if (!funds.isObject())
        return std::nullopt;
    Record record;
    const QJsonObject byFund = funds.toObject();
    for (auto it = byFund.begin(); it != byFund.end(); ++it) {
        if (!it.value().isArray())
            return std::nullopt;
        QList<EstimateDay> days;
        for (const QJsonValue& value : it.value().toArray()) {
            auto day = readDay(value);
            // One day each, oldest first, as they are written.
            if (!day || (!days.isEmpty() && !(days.constLast().date < day->date)))
                return std::nullopt;
            days.append(std::move(*day));
        }
        if (!days.isEmpty())
            record.insert(it.key(), std::move(days));
    }
    return record;
}
