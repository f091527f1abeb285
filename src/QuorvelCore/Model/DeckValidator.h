#pragma once

#include "QuorvelCore/Model/Deck.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel::DeckValidator {

// Every problem of the deck, as plain-English texts in a fixed order; empty means valid.
QStringList problems(const Deck &deck);

// The rules for one action slot ("action", "on_action" or "off_action") of the control labelled
// label; appends what it finds to problems.
void checkAction(const std::optional<Action> &action, const QString &slot, const QString &label,
                 QStringList &problems);

} // namespace Quorvel::DeckValidator
