#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/ControlType.h"

namespace Quorvel {

// Makes control an action of the new type (also when it already is one): an action bound to one
// offered control of another application stays bound to it; otherwise every part the new type
// needs and lacks is filled with a default (or taken from the old type's part), an unsuitable
// status check is replaced, and parts the new type does not use are kept for a later change back.
void changingType(Control &control, ControlType type);

} // namespace Quorvel
