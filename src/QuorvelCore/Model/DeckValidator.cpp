#include "QuorvelCore/Model/DeckValidator.h"

#include "QuorvelCore/Model/AppControlValue.h"
#include "QuorvelCore/Model/CanonicalText.h"

#include <QSet>

#include <cmath>

namespace Quorvel::DeckValidator {

namespace {

// Checking more often than once a second would keep the host busy for nothing.
constexpr double shortestInterval = 1.0;

// Space separators and the tab; a line break is not white space here, so a title that is only
// a line feed still counts as a title.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

bool isBlankText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), isBlank);
}

bool isBlankText(const std::optional<QString> &text)
{
    return !text || isBlankText(*text);
}

// What an action or a check runs reaches its program as C strings, which end at a NUL: the rest
// would silently not run.
bool holdsNul(const QString &text)
{
    return text.contains(QChar(0));
}

QString labelOf(const Control &control, qsizetype position)
{
    if (!control.id.isEmpty())
        return u'"' + control.id + u'"';
    return QStringLiteral("action #%1").arg(position);
}

void checkStatusCheck(const StatusCheck &check, const QString &label, QStringList &problems)
{
    if (isBlankText(check.target))
        problems.append(label + QStringLiteral(": status_check target is empty"));
    else if (holdsNul(check.target))
        problems.append(label + QStringLiteral(": status_check target holds a NUL character"));
    if (check.type == StatusCheck::Kind::appControl && isBlankText(check.control))
        problems.append(label + QStringLiteral(": status_check needs the app's control"));
    if (!check.interval)
        return;
    // NaN and positive infinity slip past the comparison but could never be saved or sent, so they
    // get a problem of their own in the same place.
    if (*check.interval < shortestInterval)
        problems.append(label +
                        QStringLiteral(": status_check interval must be at least 1 second"));
    else if (!std::isfinite(*check.interval))
        problems.append(
            label + QStringLiteral(": status_check interval must be a finite number of seconds"));
}

} // namespace

void checkAction(const std::optional<Action> &action, const QString &slot, const QString &label,
                 QStringList &problems)
{
    const QString head = label + QStringLiteral(": ") + slot;
    if (!action) {
        problems.append(head + QStringLiteral(" is missing"));
        return;
    }
    if (isBlankText(action->target))
        problems.append(head + QStringLiteral(" target is empty"));
    else if (holdsNul(action->target))
        problems.append(head + QStringLiteral(" target holds a NUL character"));
    // NaN and positive infinity slip past the comparison but could never be saved or sent, so they
    // get a problem of their own in the same place.
    if (action->timeout) {
        if (*action->timeout <= 0)
            problems.append(head + QStringLiteral(" timeout must be positive"));
        else if (!std::isfinite(*action->timeout))
            problems.append(head + QStringLiteral(" timeout must be a finite number of seconds"));
    }
    if (action->type != Action::Kind::appControl)
        return;
    if (isBlankText(action->control))
        problems.append(head + QStringLiteral(" needs the app's control"));
    if (!AppControlValue::fromString(action->value.value_or(QString())))
        problems.append(head +
                        QStringLiteral(" value must be on, off, press, or a level from 0 to 1"));
}

QStringList problems(const Deck &deck)
{
    QStringList found;
    if (isBlankText(deck.deckName))
        found.append(QStringLiteral("the title is empty"));
    if (deck.controls.empty()) {
        found.append(QStringLiteral("there are no actions"));
        return found;
    }
    QSet<QString> seenIDs;
    qsizetype position = 0;
    for (const Control &control : deck.controls) {
        ++position;
        const QString label = labelOf(control, position);
        if (isBlankText(control.id)) {
            found.append(label + QStringLiteral(": id is empty"));
        } else {
            const QString id = canonicalText(control.id);
            if (seenIDs.contains(id))
                found.append(label + QStringLiteral(": id is used more than once"));
            else
                seenIDs.insert(id);
        }
        if (isBlankText(control.title))
            found.append(label + QStringLiteral(": title is empty"));
        switch (control.type) {
        case ControlType::button:
            checkAction(control.action, QStringLiteral("action"), label, found);
            break;
        case ControlType::toggle:
            checkAction(control.onAction, QStringLiteral("on_action"), label, found);
            checkAction(control.offAction, QStringLiteral("off_action"), label, found);
            if (!control.statusCheck)
                found.append(
                    label +
                    QStringLiteral(": toggles need a status_check so they can show on or off"));
            break;
        case ControlType::metric:
            if (!control.statusCheck)
                found.append(label + QStringLiteral(": metrics need a status_check"));
            break;
        }
        if (control.statusCheck)
            checkStatusCheck(*control.statusCheck, label, found);
    }
    return found;
}

} // namespace Quorvel::DeckValidator
