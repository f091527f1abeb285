#pragma once

#include "QuorvelClientUI/Editor/EditableControl.h"
#include "QuorvelCore/Model/ControlState.h"

#include <QString>

#include <optional>

namespace Quorvel {

// The short text beside a card's title: new or changed, working, or what the host reports now.
class CardStateLine {
public:
    // live is the host's state under the row's current action id, when it has one.
    static QString text(const EditableControl &row, const std::optional<ControlState> &live);
};

} // namespace Quorvel
