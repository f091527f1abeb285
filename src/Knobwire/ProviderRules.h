#pragma once

#include "Knobwire/Control.h"
#include "Knobwire/Update.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace Knobwire {

// Compares a consumer's key with the announced one in time that does not depend on where they
// differ, so that a local process cannot guess the key byte by byte.
bool keysMatch(const QString &given, const QString &expected);

// A consumer's level for the owner: anything not finite or below 0 is 0, above 1 is 1, the rest
// passes unchanged.
double limitedLevel(double value);

// Meter levels as consumers receive them: at most two, to a tenth of a decibel, within
// Limits::meterRange; anything not finite is the silence floor.
QList<double> meterLevels(const QList<double> &levels);

// What to tell consumers after a control changed from `before` to `after`: the fields that
// changed, and, when an echo is due, every live field the control has so the consumer that
// asked learns the outcome even when nothing changed. Carries only the id when there is
// nothing to say.
Update outgoingUpdate(const Control &before, const Control &after, bool echo);

// How many controls, from the front of `controls`, fit in one controls line that a consumer
// reads (at most Limits::maxLine bytes before its line feed). A longer line would only make
// every consumer hang up, so the rest of the list cannot be offered.
qsizetype controlsThatFit(const QList<Control> &controls);

} // namespace Knobwire
