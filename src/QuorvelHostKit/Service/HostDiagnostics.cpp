#include "QuorvelHostKit/Service/HostDiagnostics.h"

#include <QMap>
#include <QRegularExpression>

namespace Quorvel {

namespace {

// The locale's time with hours, minutes and seconds, without the time zone name.
QString timeWithSeconds(const QLocale &locale, const QTime &time)
{
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.replace(zone, QString());
    return locale.toString(time, format.trimmed());
}

QString activityLine(const HostActivity &entry, const QLocale &locale)
{
    const QDateTime local = entry.date.toLocalTime();
    const QString date = locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                         timeWithSeconds(locale, local.time());
    return QStringLiteral("  ") + date + QStringLiteral("  ") +
           HostActivity::outcomeName(entry.outcome) + QStringLiteral("  ") + entry.summary +
           QStringLiteral(" (") + entry.device + QLatin1Char(')');
}

} // namespace

QString HostDiagnostics::actionKinds(const Deck &deck)
{
    QMap<QString, int> counts;
    for (const Control &control : deck.controls) {
        for (const auto *action : {&control.action, &control.onAction, &control.offAction}) {
            if (*action) {
                ++counts[rawValue((*action)->type)];
            }
        }
    }
    QStringList groups;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        groups.append(it.key() + QStringLiteral(" ×") + QString::number(it.value()));
    }
    groups.sort();
    return groups.join(QStringLiteral(", "));
}

QStringList HostDiagnostics::lines(const QLocale &locale) const
{
    QStringList result;
    result.append(QStringLiteral("Name: ") + hostName);
    result.append(QStringLiteral("Listener: ") + listenerStatus);
    result.append(QStringLiteral("Local network: ") + localNetwork);
    QStringList names = connectedClientNames;
    names.sort();
    result.append(QStringLiteral("Connected devices: ") +
                  (names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "))));
    result.append(QStringLiteral("Pairing code: ") +
                  (pairingSetByEnvironment ? QStringLiteral("set by QUORVEL_TOKEN")
                                           : QStringLiteral("saved")) +
                  (pairingSyncedToICloud ? QStringLiteral(", shared via iCloud Keychain")
                                         : QStringLiteral(", not shared via iCloud Keychain")) +
                  (iCloudSignedIn ? QString() : QStringLiteral(" (not signed in to iCloud)")));
    result.append(QStringLiteral("Editing from other devices: ") +
                  (allowDeckEditing ? QStringLiteral("allowed") : QStringLiteral("off")));
    result.append(QStringLiteral("Keep awake: ") +
                  (keepsAwake ? QStringLiteral("on") : QStringLiteral("off")) +
                  (keepsAwake && !keepAwakeDetail.isEmpty()
                       ? QStringLiteral(" (") + keepAwakeDetail + QLatin1Char(')')
                       : QString()));
    result.append(QStringLiteral("Actions: ") + QString::number(deck.controls.size()) +
                  QStringLiteral(" (") + actionKinds(deck) + QLatin1Char(')'));
    if (deckProblem) {
        result.append(QStringLiteral("Actions file problem: ") + *deckProblem);
    }
    if (!activity.isEmpty()) {
        result.append(QStringLiteral("Recent activity:"));
        for (const HostActivity &entry : activity.mid(0, recentActivityLines)) {
            result.append(activityLine(entry, locale));
        }
    }
    return result;
}

} // namespace Quorvel
