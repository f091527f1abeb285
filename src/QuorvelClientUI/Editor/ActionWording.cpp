#include "QuorvelClientUI/Editor/ActionWording.h"

#include "QuorvelCore/Model/AppControlValue.h"
#include "QuorvelCore/Model/QuitAppScript.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <cmath>

namespace Quorvel {

namespace {

// A command this long or longer is cut so a phrase stays on one short line.
constexpr qsizetype longestWholeText = 42;
// What is left of a cut command before the ellipsis.
constexpr qsizetype cutLength = 40;
// The host checks every 5 seconds when a check names no interval.
constexpr double defaultInterval = 5.0;
// The host never waits longer than a day between checks, whatever the deck says.
constexpr double longestInterval = 24.0 * 60 * 60;
constexpr qint64 secondsPerMinute = 60;
constexpr qint64 secondsPerHour = 60 * 60;
// Levels are shown as whole percentages.
constexpr double percent = 100.0;

// The offsets where user-perceived characters start, and the text's end.
QList<qsizetype> characterBoundaries(const QString &text)
{
    QList<qsizetype> boundaries;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at != -1; at = finder.toNextBoundary())
        boundaries.append(at);
    return boundaries;
}

QString levelPercent(double level)
{
    return QString::number(static_cast<qint64>(std::round(level * percent)));
}

} // namespace

QString flattenedText(const QString &text)
{
    QString flat = text;
    flat.replace(u'\n', u' ');
    const QList<qsizetype> boundaries = characterBoundaries(flat);
    if (boundaries.size() <= longestWholeText)
        return flat;
    return flat.left(boundaries.at(cutLength - 1)) + QChar(0x2026);
}

std::optional<QString> openCommandApp(const Action &action)
{
    switch (action.type) {
    case Action::Kind::app:
        return action.target;
    case Action::Kind::shell:
        break;
    default:
        return std::nullopt;
    }
    static const QRegularExpression openCommand(
        QStringLiteral(R"re(\A\s*open\s+-a\s+(?:"([^"]+)"|'([^']+)'|(\S+))\s*\z)re"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = openCommand.match(action.target);
    if (!match.hasMatch())
        return std::nullopt;
    for (int group = 1; group <= 3; ++group) {
        if (match.hasCaptured(group))
            return match.captured(group);
    }
    return std::nullopt;
}

QString appControlPhrase(const QString &app, const std::optional<QString> &control,
                         const std::optional<HostCatalog> &catalog)
{
    const QString controlName = control.value_or(QStringLiteral("a control"));
    if (catalog) {
        for (const HostCatalog::AppControls &entry : catalog->appControls) {
            if (entry.app != app)
                continue;
            if (const auto item = entry.item(control))
                return item->name + QStringLiteral(" in ") + entry.name;
            return controlName + QStringLiteral(" in ") + entry.name;
        }
    }
    const QStringList pieces = app.split(u'.', Qt::SkipEmptyParts);
    const QString place = pieces.isEmpty() ? app : pieces.last();
    return controlName + QStringLiteral(" in ") + place;
}

QString actionPhrase(const Action &action, const std::optional<HostCatalog> &catalog)
{
    const QString target = action.target.trimmed();
    if (target.isEmpty())
        return QStringLiteral("does nothing yet");
    switch (action.type) {
    case Action::Kind::app:
        return QStringLiteral("opens ") + target;
    case Action::Kind::shortcut:
        return QStringLiteral("runs ") + target;
    case Action::Kind::shell:
        if (const auto app = openCommandApp(action))
            return QStringLiteral("opens ") + *app;
        return QStringLiteral("runs the command ") + flattenedText(target);
    case Action::Kind::applescript:
        if (const auto app = quittingAppName(action.target))
            return QStringLiteral("quits ") + *app;
        return QStringLiteral("runs an AppleScript");
    case Action::Kind::script:
        return QStringLiteral("runs the script ") + flattenedText(target);
    case Action::Kind::appControl:
        break;
    }
    const QString name = appControlPhrase(target, action.control, catalog);
    const auto value = AppControlValue::fromString(action.value.value_or(QString()));
    if (!value)
        return QStringLiteral("uses ") + name;
    switch (value->kind()) {
    case AppControlValue::Kind::on:
        return QStringLiteral("turns ") + name + QStringLiteral(" on");
    case AppControlValue::Kind::off:
        return QStringLiteral("turns ") + name + QStringLiteral(" off");
    case AppControlValue::Kind::press:
        return QStringLiteral("presses ") + name;
    case AppControlValue::Kind::level:
        break;
    }
    return QStringLiteral("sets ") + name + QStringLiteral(" to ") +
           levelPercent(value->levelValue()) + u'%';
}

QString statusCheckPhrase(StatusCheck::Kind kind, const QString &target,
                          const std::optional<QString> &control,
                          const std::optional<HostCatalog> &catalog)
{
    const QString trimmed = target.trimmed();
    switch (kind) {
    case StatusCheck::Kind::processRunning:
        return trimmed.isEmpty() ? QStringLiteral("an app is running")
                                 : trimmed + QStringLiteral(" is running");
    case StatusCheck::Kind::shellExitCode:
        return trimmed.isEmpty() ? QStringLiteral("a command succeeds")
                                 : flattenedText(trimmed) + QStringLiteral(" succeeds");
    case StatusCheck::Kind::shellOutput:
        return QStringLiteral("a command has output");
    case StatusCheck::Kind::appControl:
        break;
    }
    if (trimmed.isEmpty())
        return QStringLiteral("an app's switch is on");
    return appControlPhrase(trimmed, control, catalog) + QStringLiteral(" is on");
}

QString intervalPhrase(std::optional<double> interval)
{
    const double seconds = interval.value_or(defaultInterval);
    // NaN fails every comparison and so counts as the shortest interval.
    const double used = seconds > longestInterval ? longestInterval : seconds;
    const qint64 whole = used >= 2 ? static_cast<qint64>(std::trunc(used)) : 0;
    if (whole < 2)
        return QStringLiteral("every second");
    if (whole == secondsPerMinute)
        return QStringLiteral("every minute");
    if (whole == secondsPerHour)
        return QStringLiteral("every hour");
    if (whole % secondsPerHour == 0)
        return QStringLiteral("every %1 hours").arg(whole / secondsPerHour);
    if (whole % secondsPerMinute == 0)
        return QStringLiteral("every %1 minutes").arg(whole / secondsPerMinute);
    return QStringLiteral("every %1 seconds").arg(whole);
}

} // namespace Quorvel
