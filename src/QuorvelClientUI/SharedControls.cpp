#include "QuorvelClientUI/SharedControls.h"

namespace Quorvel {

QString notConnectedText(const std::optional<QString> &hostName)
{
    return hostName.value_or(QStringLiteral("The host")) + QStringLiteral(" isn't connected");
}

QList<Knobwire::Control> offeredControls(const std::optional<Deck> &deck,
                                         const QHash<QString, ControlState> &states, bool connected,
                                         const std::optional<QString> &hostName)
{
    QList<Knobwire::Control> result;
    if (!deck)
        return result;
    const QString offline = notConnectedText(hostName);
    for (const Control &action : deck->controls) {
        const auto state = states.constFind(action.id);
        const bool hasState = state != states.cend();
        std::optional<QString> text;
        std::optional<bool> on;
        Knobwire::Control::Kind kind = Knobwire::Control::Kind::button;
        bool readOnly = false;
        switch (action.type) {
        case ControlType::button:
            if (!connected)
                text = offline;
            break;
        case ControlType::toggle:
            kind = Knobwire::Control::Kind::toggle;
            text = connected ? (hasState ? state->detail : std::nullopt) : offline;
            on = connected && hasState && state->isOn.value_or(false);
            break;
        case ControlType::metric:
            kind = Knobwire::Control::Kind::level;
            readOnly = true;
            text = connected ? (hasState ? state->detail : std::nullopt) : offline;
            break;
        }
        result.append(Knobwire::Control(action.id, action.title, kind, std::nullopt, text, on,
                                        deck->deckName, std::nullopt, readOnly));
    }
    return result;
}

bool sameShape(const QList<Knobwire::Control> &a, const QList<Knobwire::Control> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).remembered() != b.at(i).remembered())
            return false;
    }
    return true;
}

QString sharingStatusText(bool enabled, const QStringList &users, const QLocale &locale)
{
    if (!enabled)
        return QStringLiteral("Your actions aren't offered to other apps.");
    if (users.isEmpty())
        return QStringLiteral("Offered to other apps on this computer, while they're running.");
    return QStringLiteral("In use by ") + locale.createSeparatedList(users) + QStringLiteral(".");
}

} // namespace Quorvel
