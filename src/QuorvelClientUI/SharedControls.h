#pragma once

#include "Knobwire/Control.h"
#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelCore/Model/Deck.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// How the host's actions look to other applications on this machine: one offered control per
// deck action, in deck order.

// What every offered control says while the host is not connected.
QString notConnectedText(const std::optional<QString> &hostName);

// The offered controls for a deck (none without one); states are looked up by action id.
QList<Knobwire::Control> offeredControls(const std::optional<Deck> &deck,
                                         const QHash<QString, ControlState> &states, bool connected,
                                         const std::optional<QString> &hostName);

// Whether two lists offer the same controls apart from their live values (value, text and on),
// so that an update of those is enough.
bool sameShape(const QList<Knobwire::Control> &a, const QList<Knobwire::Control> &b);

// The line under the sharing switch.
QString sharingStatusText(bool enabled, const QStringList &users,
                          const QLocale &locale = QLocale());

} // namespace Quorvel
