#pragma once

#include "QuorvelCore/Model/Control.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <vector>

namespace Quorvel {

// One computer's set of actions: the content of the deck file and of the deck messages.
struct Deck {
    QString deckName;
    // The actions in display order.
    std::vector<Control> controls;

    // A deck's identity is its name.
    QString id() const { return deckName; }

    // The first control whose id is canonically equivalent to id, or none.
    std::optional<Control> control(const QString &id) const;

    // The deck the host falls back to when its deck file is missing or invalid; a fresh copy on
    // every call.
    static Deck sample();

    QJsonObject toJson() const;
    // One bad control fails the whole deck.
    static std::optional<Deck> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const Deck &a, const Deck &b);
};

} // namespace Quorvel
