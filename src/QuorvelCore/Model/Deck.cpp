#include "QuorvelCore/Model/Deck.h"

#include "QuorvelCore/Model/CanonicalText.h"
#include "QuorvelCore/Model/JsonReader.h"
#include "QuorvelCore/Model/QuitAppScript.h"
#include "QuorvelCore/Model/ReadoutPreset.h"

#include <QJsonArray>

#include <algorithm>

namespace Quorvel {

namespace {

// A switch that opens SonoBus and quits it, a button, and a readout: one of each kind, so a new
// host shows what a deck can hold, made of commands this desktop runs.
Deck makeSample()
{
    // Seconds the quit may take before the run counts as failed.
    constexpr double quitTimeout = 30;
    // Seconds between two uptime readings.
    constexpr double uptimeInterval = 30;
    const QString app = QStringLiteral("SonoBus");

    Control stream{
        QStringLiteral("turntable_stream"),
        QStringLiteral("Turntable Stream"),
        ControlType::toggle,
        QStringLiteral("record.circle"),
        std::nullopt,
        Action{Action::Kind::app, app, std::nullopt, std::nullopt, std::nullopt},
        Action{Action::Kind::applescript, quitAppTarget(app).value_or(QString()), quitTimeout,
               std::nullopt, std::nullopt},
        StatusCheck{StatusCheck::Kind::processRunning, app, std::nullopt, std::nullopt},
    };
    Control hello{
        QStringLiteral("say_hello"),
        QStringLiteral("Say Hello"),
        ControlType::button,
        QStringLiteral("speaker.wave.2"),
        Action{Action::Kind::shell, QStringLiteral("notify-send 'Hello from the studio'"),
               std::nullopt, std::nullopt, std::nullopt},
        std::nullopt,
        std::nullopt,
        std::nullopt,
    };
    Control uptime{
        QStringLiteral("uptime"),
        QStringLiteral("Uptime"),
        ControlType::metric,
        QStringLiteral("clock"),
        std::nullopt,
        std::nullopt,
        std::nullopt,
        StatusCheck{StatusCheck::Kind::shellOutput, readoutPresetCommand(ReadoutPreset::uptime),
                    uptimeInterval, std::nullopt},
    };
    return Deck{QStringLiteral("Studio Controls"), {stream, hello, uptime}};
}

} // namespace

std::optional<Control> Deck::control(const QString &id) const
{
    const auto found =
        std::find_if(controls.cbegin(), controls.cend(),
                     [&](const Control &control) { return sameText(control.id, id); });
    if (found == controls.cend())
        return std::nullopt;
    return *found;
}

Deck Deck::sample()
{
    static const Deck sample = makeSample();
    return sample;
}

QJsonObject Deck::toJson() const
{
    QJsonArray array;
    for (const Control &control : controls)
        array.append(control.toJson());
    return QJsonObject{{QStringLiteral("deck_name"), deckName},
                       {QStringLiteral("controls"), array}};
}

std::optional<Deck> Deck::fromJson(const QJsonValue &json, QString *error)
{
    JsonReader reader(json, error);
    Deck deck;
    deck.deckName = reader.requiredString(QStringLiteral("deck_name"));
    deck.controls = reader.requiredRecordList<Control>(QStringLiteral("controls"));
    if (!reader.ok())
        return std::nullopt;
    return deck;
}

bool operator==(const Deck &a, const Deck &b)
{
    return sameText(a.deckName, b.deckName) && a.controls == b.controls;
}

} // namespace Quorvel
