#include "AlertNotifier.h"

#include "market/Format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Numbers without the C library's locale, as everywhere in the panel: a
// German desktop must not turn 701.35 into "701,35" in a notification.
using Format::fixed;

// The tray app's one line on its console. Flushed at once: when the output
// goes to a pipe or a log file it would otherwise sit in the buffer until the
// app quits.
void printToStdout(const QString& line)
{
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

AlertNotifier::AlertNotifier(NotificationChannel* primary, NotificationChannel* fallback,
                             QObject* parent)
    : QObject(parent), m_primary(primary), m_fallback(fallback),
      m_now([] { return QDateTime::currentDateTimeUtc(); }), m_failureSink(printToStdout)
{
    const auto tapped = [this](const QString& identifier) {
        if (onNotificationTap)
            onNotificationTap(identifier);
    };
    if (primary) {
        connect(primary, &NotificationChannel::availabilityKnown, this,
                &AlertNotifier::onAvailability);
        connect(
            primary, &NotificationChannel::delivered, this,
            [this, primary](const QString& identifier) { onAnswer(primary, identifier, true); });
        connect(primary, &NotificationChannel::failed, this,
                [this, primary](const QString& identifier, const QString& message) {
                    if (m_failureSink)
                        m_failureSink(u"UN 通知发送失败: "_s + message);
                    onAnswer(primary, identifier, false);
                });
        connect(primary, &NotificationChannel::activated, this, tapped);
    }
    if (fallback) {
        connect(
            fallback, &NotificationChannel::delivered, this,
            [this, fallback](const QString& identifier) { onAnswer(fallback, identifier, true); });
        connect(fallback, &NotificationChannel::failed, this,
                [this, fallback](const QString& identifier, const QString&) {
                    onAnswer(fallback, identifier, false);
                });
        connect(fallback, &NotificationChannel::activated, this, tapped);
    }
}

void AlertNotifier::setClock(Clock now)
{
    m_now = std::move(now);
}

void AlertNotifier::setFailureSink(FailureSink sink)
{
    m_failureSink = std::move(sink);
}

void AlertNotifier::requestPermission()
{
    if (m_primary)
        probePrimary();
}

void AlertNotifier::sendNotification(const AlertRule& rule, double currentValue)
{
    Delivery delivery{.identifier = rule.id,
                      .title = title(rule),
                      .body = body(rule, currentValue),
                      .undeliveredText = undeliveredText(rule, currentValue)};
    // The service may have come up since it last said no: ask again first,
    // so that this alert already goes through it.
    if (m_primary && m_unAvailable == false && (m_probing || reprobeDue())) {
        m_waiting.append(std::move(delivery));
        if (!m_probing)
            probePrimary();
        return;
    }
    route(std::move(delivery));
}

QStringList AlertNotifier::undeliveredAlerts() const
{
    QStringList texts;
    for (const auto& entry : m_undelivered)
        texts.append(entry.second);
    return texts;
}

void AlertNotifier::onAvailability(bool available)
{
    m_unAvailable = available;
    m_probing = false;
    for (Delivery& delivery : std::exchange(m_waiting, {}))
        route(std::move(delivery));
}

void AlertNotifier::onAnswer(NotificationChannel* channel, const QString& identifier,
                             bool delivered)
{
    const auto it = std::find_if(m_inFlight.begin(), m_inFlight.end(), [&](const Delivery& d) {
        return d.channel == channel && d.identifier == identifier;
    });
    if (it == m_inFlight.end())
        return;
    Delivery delivery = std::move(*it);
    m_inFlight.erase(it);
    if (delivered) {
        if (!m_undelivered.isEmpty()) {
            m_undelivered.clear();
            emit undeliveredAlertsChanged();
        }
    } else if (channel == m_primary) {
        fallBack(std::move(delivery));
    } else {
        giveUp(delivery);
    }
}

bool AlertNotifier::reprobeDue() const
{
    if (!m_lastProbe)
        return true;
    const qint64 elapsed = m_lastProbe->msecsTo(m_now());
    // A clock set back must not hold the next probe off for as long.
    return elapsed < 0 || elapsed >= std::chrono::milliseconds(reprobeInterval).count();
}

void AlertNotifier::probePrimary()
{
    m_probing = true;
    m_lastProbe = m_now();
    m_primary->probe();
}

void AlertNotifier::route(Delivery delivery)
{
    // Not yet known counts as delivering: the answer to this very send tells
    // whether the fallback is needed, and the user never gets both.
    if (m_primary && m_unAvailable.value_or(true))
        sendThrough(m_primary, std::move(delivery));
    else
        fallBack(std::move(delivery));
}

void AlertNotifier::fallBack(Delivery delivery)
{
    if (m_fallback)
        sendThrough(m_fallback, std::move(delivery));
    else
        giveUp(delivery);
}

void AlertNotifier::sendThrough(NotificationChannel* channel, Delivery delivery)
{
    delivery.channel = channel;
    const QString identifier = delivery.identifier;
    const QString heading = delivery.title;
    const QString text = delivery.body;
    // Noted before sending: a channel may answer before send() returns.
    m_inFlight.append(std::move(delivery));
    channel->send(identifier, heading, text);
}

void AlertNotifier::giveUp(const Delivery& delivery)
{
    // One line per rule: a rule that crossed again replaces its older line.
    m_undelivered.removeIf([&](const auto& entry) { return entry.first == delivery.identifier; });
    m_undelivered.append({delivery.identifier, delivery.undeliveredText});
    emit undelivered(delivery.undeliveredText);
    emit undeliveredAlertsChanged();
}

QString AlertNotifier::title(const AlertRule& rule)
{
    return rule.targetName + u" 到价提醒"_s;
}

QString AlertNotifier::body(const AlertRule& rule, double value)
{
    const QString verb = rule.direction == AlertDirection::above ? u"涨到"_s : u"跌到"_s;
    return rule.targetName + u" 已"_s + verb + u' ' + formatNumber(rule, value) + u"（阈值 "_s +
           formatNumber(rule, rule.threshold) + u"）\n"_s + rule.label;
}

QString AlertNotifier::undeliveredText(const AlertRule& rule, double value)
{
    // The panel's message line and the tool tip have a line each for it; an
    // empty label leaves no trailing space.
    return u"通知无法送达："_s + body(rule, value).replace(u'\n', u' ').trimmed();
}

QString AlertNotifier::formatNumber(const AlertRule& rule, double value)
{
    switch (rule.targetType) {
    case AlertTargetType::goldCNY:
        return fixed(value, 2);
    case AlertTargetType::sector:
        return fixed(value, 2) + u'%';
    case AlertTargetType::fund:
        if (rule.fundMetric == FundMetric::changePct)
            return fixed(value, 2) + u'%';
        return fixed(value, 3);
    }
    return fixed(value, 2);
}

QString AlertNotifier::appleScript(const QString& title, const QString& body)
{
    // Backslashes first, so the ones added for the quotes stay single.
    const auto quoted = [](QString text) {
        text.replace(u'\\', u"\\\\"_s);
        text.replace(u'"', u"\\\""_s);
        return u'"' + text + u'"';
    };
    return u"display notification "_s + quoted(body) + u" with title "_s + quoted(title) +
           u" sound name \"default\""_s;
}
