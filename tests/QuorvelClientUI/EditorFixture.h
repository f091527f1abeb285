#pragma once

#include "QuorvelCore/Model/Deck.h"

#include <QString>

namespace Quorvel::EditorTest {

// A deck of three valid actions: the button "lamp", the switch "fan" and the readout "temp".
inline Deck threeActions(const QString &name = QStringLiteral("Studio"))
{
    const Action yes{Action::Kind::shell, QStringLiteral("true"), std::nullopt, std::nullopt,
                     std::nullopt};
    Control lamp;
    lamp.id = QStringLiteral("lamp");
    lamp.title = QStringLiteral("Lamp");
    lamp.type = ControlType::button;
    lamp.action = yes;
    Control fan;
    fan.id = QStringLiteral("fan");
    fan.title = QStringLiteral("Fan");
    fan.type = ControlType::toggle;
    fan.onAction = yes;
    fan.offAction = yes;
    fan.statusCheck = StatusCheck{StatusCheck::Kind::shellExitCode, QStringLiteral("true"),
                                  std::nullopt, std::nullopt};
    Control temp;
    temp.id = QStringLiteral("temp");
    temp.title = QStringLiteral("Temperature");
    temp.type = ControlType::metric;
    temp.statusCheck = StatusCheck{StatusCheck::Kind::shellOutput, QStringLiteral("echo 21"),
                                   std::nullopt, std::nullopt};
    return Deck{name, {lamp, fan, temp}};
}

// The deck with one action's title changed, as another editor would save it.
inline Deck withTitle(Deck deck, int index, const QString &title)
{
    deck.controls[size_t(index)].title = title;
    return deck;
}

} // namespace Quorvel::EditorTest
