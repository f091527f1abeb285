#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/Deck.h"

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// One action of the host's deck as scripts see it: D-Bus type (ssss), the icon empty when the
// action has none.
struct ActionEntity {
    QString id;
    // The action's title, or its id when the title is empty.
    QString title;
    // "Button", "Switch" or "Readout".
    QString kind;
    QString icon;

    static ActionEntity from(const Control &control);

    // Every action of the deck, in deck order; none without a deck.
    static QList<ActionEntity> list(const std::optional<Deck> &deck);
    // The deck's actions whose id is one of ids, in deck order, each once.
    static QList<ActionEntity> withIDs(const std::optional<Deck> &deck, const QStringList &ids);
    // The deck's actions whose title contains text in any letter case, in deck order.
    static QList<ActionEntity> matching(const std::optional<Deck> &deck, const QString &text);

    friend bool operator==(const ActionEntity &, const ActionEntity &) = default;
};

QDBusArgument &operator<<(QDBusArgument &argument, const ActionEntity &entity);
const QDBusArgument &operator>>(const QDBusArgument &argument, ActionEntity &entity);

} // namespace Quorvel

Q_DECLARE_METATYPE(Quorvel::ActionEntity)
