#pragma once

#include "config/AlertConfig.h"
#include "config/ConfigStore.h"
#include "config/HoldingsStore.h"
#include "market/Money.h"

#include <QStringList>

// The edits the two-process tests make, as lines of text: a test runs them
// on its own stores, settings_storm (sent them on its standard input) on the
// stores of another process.
namespace StoreCommands {

inline AlertRule rule(const QString& id)
{
    AlertRule r = AlertConfig::defaultRules().first();
    r.id = id;
    r.label = id;
    return r;
}

// "fire <id>" and "rearm <id>" answer "1" when they changed the rule, "0"
// when not; "add-rule <id>", "remove-rule <id>", "toggle <id>",
// "add-board <code>", "remove-board <code>", "add-fund <code>",
// "source <board code>", "hold <fund code> <whole shares>", "unhold <fund
// code>" and "hide" answer "ok"; anything else "?".
inline QString run(ConfigStore& watch, AlertConfig& alerts, HoldingsStore& holdings,
                   const QString& line)
{
    const QString verb = line.section(u' ', 0, 0);
    const QString arg = line.section(u' ', 1);
    const QString ok = QStringLiteral("ok");
    if (verb == u"fire")
        return alerts.markTriggeredIfArmed(arg, QDateTime::fromSecsSinceEpoch(1'780'000'000))
                   ? QStringLiteral("1")
                   : QStringLiteral("0");
    if (verb == u"rearm")
        return alerts.rearmIfTriggered(arg) ? QStringLiteral("1") : QStringLiteral("0");
    if (verb == u"add-rule") {
        alerts.add(rule(arg));
        return ok;
    }
    if (verb == u"remove-rule") {
        alerts.remove(rule(arg));
        return ok;
    }
    if (verb == u"toggle") {
        alerts.toggle(rule(arg));
        return ok;
    }
    if (verb == u"add-board") {
        watch.addSector({arg, arg});
        return ok;
    }
    if (verb == u"remove-board") {
        watch.removeSector({arg, QString()});
        return ok;
    }
    if (verb == u"add-fund") {
        watch.addFund({arg, arg});
        return ok;
    }
    if (verb == u"hold") {
        holdings.setFund(arg.section(u' ', 0, 0),
                         {.quantity = arg.section(u' ', 1).toLongLong() * Money::unitsPerOne,
                          .cost = std::nullopt});
        return ok;
    }
    if (verb == u"unhold") {
        holdings.clearFund(arg);
        return ok;
    }
    if (verb == u"hide") {
        holdings.setHideAmounts(true);
        return ok;
    }
    if (verb == u"source") {
        // As the settings view chooses the tray's figure: the whole record
        // as this process shows it, with the one field changed.
        WatchConfig config = watch.config();
        config.statusBarSource = arg;
        watch.setConfig(config);
        return ok;
    }
    return QStringLiteral("?");
}

// One line for the rules, the watch list and the holdings: "gold-tp1*
// gold-tp2! | BK0475 BK0547 | 161725 | gold | 161725:100 hidden", a star for
// a fired rule, "!" for one switched off, then the boards, the funds, the
// tray's source and the whole shares held of each fund ("-" for none).
inline QString describe(const WatchConfig& watch, const QList<AlertRule>& rules,
                        const Holdings& holdings)
{
    QStringList ids;
    for (const AlertRule& r : rules)
        ids.append(r.id + (r.triggered ? QStringLiteral("*") : QString()) +
                   (r.enabled ? QString() : QStringLiteral("!")));
    QStringList boards;
    for (const SectorConfig& s : watch.sectors)
        boards.append(s.code);
    QStringList funds;
    for (const FundConfig& f : watch.funds)
        funds.append(f.code);
    QStringList held;
    for (auto it = holdings.funds.begin(); it != holdings.funds.end(); ++it)
        held.append(it.key() + u':' + QString::number(it->quantity / Money::unitsPerOne));
    if (holdings.hideAmounts)
        held.append(QStringLiteral("hidden"));
    return QStringList{ids.join(u' '), boards.join(u' '), funds.join(u' '),
                       watch.statusBarSource.value_or(QStringLiteral("gold")),
                       held.isEmpty() ? QStringLiteral("-") : held.join(u' ')}
        .join(QStringLiteral(" | "));
}

} // namespace StoreCommands
