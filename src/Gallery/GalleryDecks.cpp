#include "Gallery/GalleryDecks.h"

namespace Quorvel::GalleryDecks {

namespace {

// Kinds in turn in the large deck.
constexpr int kindsInTurn = 3;
// The slow button's action, long enough for its row to show it busy.
const QString slowCommand = QStringLiteral("sleep 2");

Action shell(const QString &command)
{
    return Action{Action::Kind::shell, command, std::nullopt, std::nullopt, std::nullopt};
}

Control control(const QString &id, const QString &title, ControlType type,
                const std::optional<QString> &icon)
{
    Control made;
    made.id = id;
    made.title = title;
    made.type = type;
    made.icon = icon;
    return made;
}

Control button(const QString &id, const QString &title, const QString &command,
               const std::optional<QString> &icon)
{
    Control made = control(id, title, ControlType::button, icon);
    made.action = shell(command);
    return made;
}

Control toggle(const QString &id, const QString &title, StatusCheck::Kind kind,
               const QString &check, const std::optional<QString> &icon)
{
    Control made = control(id, title, ControlType::toggle, icon);
    made.onAction = shell(QStringLiteral("true"));
    made.offAction = shell(QStringLiteral("true"));
    made.statusCheck = StatusCheck{kind, check, std::nullopt, std::nullopt};
    return made;
}

Control readout(const QString &id, const QString &title, StatusCheck::Kind kind,
                const QString &check, const std::optional<QString> &icon)
{
    Control made = control(id, title, ControlType::metric, icon);
    made.statusCheck = StatusCheck{kind, check, std::nullopt, std::nullopt};
    return made;
}

} // namespace

Deck studio()
{
    using Kind = StatusCheck::Kind;
    Deck deck;
    deck.deckName = QStringLiteral("Studio");
    deck.controls = {
        button(QStringLiteral("record"), QStringLiteral("Start Recording"), QStringLiteral("true"),
               QStringLiteral("record.circle")),
        button(QLatin1String(slowButtonID), QStringLiteral("Render Mix"), slowCommand,
               QStringLiteral("hourglass")),
        toggle(QLatin1String(onSwitchID), QStringLiteral("Stream"), Kind::shellExitCode,
               QStringLiteral("true"), QStringLiteral("dot.radiowaves.left.and.right")),
        toggle(QLatin1String(offSwitchID), QStringLiteral("Speakers"), Kind::shellExitCode,
               QStringLiteral("false"), QStringLiteral("speaker.wave.2")),
        toggle(QLatin1String(unknownSwitchID), QStringLiteral("Desk Lamp"), Kind::shellOutput,
               QStringLiteral("echo standby"), std::nullopt),
        readout(QStringLiteral("uptime"), QStringLiteral("Uptime"), Kind::shellOutput,
                QStringLiteral("echo 3 days, 4 hours"), QStringLiteral("clock")),
        readout(QStringLiteral("disk"), QStringLiteral("Free Disk"), Kind::shellExitCode,
                QStringLiteral("true"), QStringLiteral("gauge.with.dots.needle.50percent")),
        button(QStringLiteral("markup"), QStringLiteral("<b>Bold</b> & <i>plain</i>"),
               QStringLiteral("true"), QStringLiteral("no.such.symbol")),
    };
    return deck;
}

Deck large(int count)
{
    Deck deck;
    deck.deckName = QStringLiteral("Large");
    for (int i = 0; i < count; ++i) {
        const QString id = QStringLiteral("c%1").arg(i);
        const QString title = QStringLiteral("Action %1").arg(i);
        switch (i % kindsInTurn) {
        case 0:
            deck.controls.push_back(
                button(id, title, QStringLiteral("true"), QStringLiteral("play.fill")));
            break;
        case 1:
            deck.controls.push_back(toggle(id, title, StatusCheck::Kind::shellExitCode,
                                           QStringLiteral("true"), QStringLiteral("power.circle")));
            break;
        default:
            deck.controls.push_back(readout(id, title, StatusCheck::Kind::shellOutput,
                                            QStringLiteral("echo 1"), QStringLiteral("clock")));
            break;
        }
    }
    return deck;
}

} // namespace Quorvel::GalleryDecks
