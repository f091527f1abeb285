#include "QuorvelClientUI/Editor/CheckEditing.h"

#include "QuorvelClientUI/Editor/ActionWording.h"

#include <QCollator>
#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace Quorvel {

namespace {

using Kind = StatusCheck::Kind;

constexpr std::array<Kind, 3> stateKinds{Kind::processRunning, Kind::shellExitCode,
                                         Kind::appControl};
// The row a command check shows as.
constexpr int commandRow = 1;
// What an absent interval means on the host.
constexpr double defaultInterval = 5.0;
// The intervals offered, in seconds: 5 s, 10 s, 30 s, a minute, 5 and 15 minutes, an hour.
constexpr std::array<double, 7> offeredIntervals{5, 10, 30, 60, 300, 900, 3600};

bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); });
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

} // namespace

QStringList CheckEditing::stateRows()
{
    return {QCoreApplication::translate("CheckEditing", "an app is running"),
            QCoreApplication::translate("CheckEditing", "a command succeeds"),
            QCoreApplication::translate("CheckEditing", "another app's switch is on")};
}

int CheckEditing::stateRow(const StatusCheck &check)
{
    const auto found = std::find(stateKinds.cbegin(), stateKinds.cend(), check.type);
    return found == stateKinds.cend() ? commandRow : int(found - stateKinds.cbegin());
}

StatusCheck CheckEditing::withStateRow(const StatusCheck &check, int row)
{
    StatusCheck next = check;
    next.type = stateKinds.at(std::clamp(row, 0, int(stateKinds.size()) - 1));
    next.target.clear();
    next.control.reset();
    return next;
}

StatusCheck CheckEditing::withStateCommand(const StatusCheck &check, const QString &command)
{
    StatusCheck next = check;
    if (next.type == Kind::shellOutput)
        next.type = Kind::shellExitCode;
    next.target = command;
    return next;
}

StatusCheck CheckEditing::withControl(const StatusCheck &check, const QString &item)
{
    StatusCheck next = check;
    next.control = item.isEmpty() ? std::nullopt : std::optional<QString>(item);
    return next;
}

QStringList CheckEditing::appNames(const std::optional<HostCatalog> &catalog)
{
    if (!catalog)
        return {};
    QStringList names;
    for (const HostCatalog::App &app : catalog->apps)
        names.append(app.name);
    names.append(catalog->runningApps);
    names.removeDuplicates();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    return names;
}

std::optional<ValuePreset> CheckEditing::currentPreset(const StatusCheck &check)
{
    return ValuePreset::fromCommand(check.target);
}

StatusCheck CheckEditing::presetCheck(const ValuePreset &preset)
{
    return StatusCheck{Kind::shellOutput, preset.command(), preset.interval(), std::nullopt};
}

QString CheckEditing::commandText(const StatusCheck &check)
{
    return check.type == Kind::appControl ? QString() : check.target;
}

StatusCheck CheckEditing::withReadoutCommand(const StatusCheck &check, const QString &command)
{
    StatusCheck next = check;
    next.type = Kind::shellOutput;
    next.control.reset();
    next.target = command;
    return next;
}

QString CheckEditing::pickedItem(const StatusCheck &check, const QString &pickedApp)
{
    if (check.type != Kind::appControl || check.target != pickedApp)
        return {};
    return check.control.value_or(QString());
}

std::optional<StatusCheck> CheckEditing::withPickedItem(const QString &pickedApp,
                                                        const QString &item)
{
    if (item.isEmpty())
        return std::nullopt;
    return StatusCheck{Kind::appControl, pickedApp, std::nullopt, item};
}

bool CheckEditing::canCheck(const StatusCheck &check)
{
    return !isBlank(check.target);
}

QList<CheckEditing::IntervalOption> CheckEditing::intervalOptions(std::optional<double> current)
{
    QList<IntervalOption> options;
    for (double seconds : offeredIntervals)
        options.append({seconds, capitalised(intervalPhrase(seconds))});
    const bool offered = !current || std::find(offeredIntervals.cbegin(), offeredIntervals.cend(),
                                               *current) != offeredIntervals.cend();
    if (!offered)
        options.append({*current, capitalised(intervalPhrase(*current))});
    return options;
}

qsizetype CheckEditing::chosenInterval(std::optional<double> current)
{
    const double seconds = current.value_or(defaultInterval);
    const QList<IntervalOption> options = intervalOptions(current);
    for (qsizetype i = 0; i < options.size(); ++i) {
        // A NaN interval equals nothing, itself included: it is the extra option, the last.
        if (options.at(i).seconds == seconds)
            return i;
    }
    return options.size() - 1;
}

} // namespace Quorvel
