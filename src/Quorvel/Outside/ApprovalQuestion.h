#pragma once

#include "Quorvel/Outside/LinkSender.h"

#include <QString>

#include <optional>

namespace Quorvel {

// The alert that asks whether a link may run an action: from a known application it asks once
// for good, from an unknown opener it asks for this one link.
struct ApprovalQuestion {
    std::optional<LinkSender> sender;
    QString actionTitle;
    QString hostName;

    QString message() const;
    QString informativeText() const;
    // The first button answers yes.
    QString yesButton() const;
    QString noButton() const;
};

} // namespace Quorvel
