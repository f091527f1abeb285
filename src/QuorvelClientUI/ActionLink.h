#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/RawEnum.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <utility>

namespace Quorvel {

// A link of the application's own scheme that names one of the connected host's actions:
// "quorvel://<verb>/<action id>", and for run an optional "?state=on|off".
struct ActionLink {
    enum class Verb { run, on, off };

    struct Offer;

    static inline const QString scheme = QStringLiteral("quorvel");

    Verb verb = Verb::run;
    // The action's id as written in the link; a title also finds its action.
    QString action;

    // The desired state of the run request: none presses a button or flips a switch.
    static std::optional<bool> desiredState(Verb verb);

    // None when the URL breaks the grammar.
    static std::optional<ActionLink> fromUrl(const QUrl &url);
    QUrl url() const;

    // The control with the link's id, else the first whose title equals it ignoring case.
    std::optional<Control> findControl(const Deck &deck) const;

    // The links a control offers, in menu order; a readout offers none.
    static QList<Offer> links(const Control &control);

    friend bool operator==(const ActionLink &a, const ActionLink &b) = default;
};

// One link offered for an action, with its menu title.
struct ActionLink::Offer {
    QString title;
    ActionLink link;
    friend bool operator==(const Offer &a, const Offer &b) = default;
};

template<> struct RawEnumTraits<ActionLink::Verb> {
    static constexpr std::array<std::pair<ActionLink::Verb, const char *>, 3> cases{{
        {ActionLink::Verb::run, "run"},
        {ActionLink::Verb::on, "on"},
        {ActionLink::Verb::off, "off"},
    }};
};

} // namespace Quorvel
