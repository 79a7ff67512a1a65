#include "AlertNotifier.h"

#include "market/Format.h"

#include <charconv>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Numbers without the C library's locale, as everywhere in the panel: a
// German desktop must not turn 701.35 into "701,35" in a notification.
using Format::fixed;

// The one line the app ever writes to the console. Flushed at once: when the
// output goes to a pipe or a log file it would otherwise sit in the buffer
// until the app quits.
void printFailure(const QString& message)
{
    const QByteArray line = (u"UN 通知发送失败: "_s + message + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

} // namespace

AlertNotifier::AlertNotifier(NotificationChannel* primary, NotificationChannel* fallback,
                             QObject* parent)
    : QObject(parent), m_primary(primary), m_fallback(fallback)
{
    const auto tapped = [this](const QString& identifier) {
        if (onNotificationTap)
            onNotificationTap(identifier);
    };
    if (primary) {
        connect(primary, &NotificationChannel::availabilityKnown, this, [this](bool available) {
            // The first answer decides; a later probe must not switch channels
            // under the user's feet halfway through a session.
            if (!m_unAvailable)
                m_unAvailable = available;
        });
        connect(primary, &NotificationChannel::failed, this,
                [](const QString&, const QString& message) { printFailure(message); });
        connect(primary, &NotificationChannel::activated, this, tapped);
    }
    if (fallback)
        connect(fallback, &NotificationChannel::activated, this, tapped);
}

void AlertNotifier::requestPermission()
{
    if (m_primary)
        m_primary->probe();
}

void AlertNotifier::sendNotification(const AlertRule& rule, double currentValue)
{
    const QString heading = title(rule);
    const QString text = body(rule, currentValue);
    // While the answer is pending both channels fire: a duplicate is better
    // than a price alert nobody sees.
    if (m_primary && m_unAvailable.value_or(true))
        m_primary->send(rule.id, heading, text);
    if (m_fallback && !m_unAvailable.value_or(false))
        m_fallback->send(rule.id, heading, text);
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
