#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"

#include <QList>
#include <QString>

#include <optional>

namespace Quorvel {

// The one sentence that tells what an action does, as plain words and chips; each chip names the
// part of the action its popover changes. Reading it never stores a default into the action.
class ActionSentence {
public:
    enum class Part {
        type,
        appControl,
        action,
        onAction,
        offAction,
        statusCheck,
        source,
        interval
    };

    struct Piece {
        // Plain words when part is none.
        QString text;
        std::optional<Part> part;
        bool warning = false;
        friend bool operator==(const Piece &, const Piece &) = default;
    };

    static QList<Piece> pieces(const Control &control, const std::optional<HostCatalog> &catalog,
                               const std::optional<HostInfo> &hostInfo);

    // The values the chips show while a part is absent.
    static Action defaultAction();
    static Action defaultOnAction();
    static Action defaultOffAction();
    static StatusCheck defaultStatusCheck();

    // What a readout shows, in words.
    static QString sourcePhrase(const StatusCheck &check, const std::optional<HostCatalog> &catalog,
                                const std::optional<HostInfo> &hostInfo);
    // The kind word a user sees: "button", "switch", "readout".
    static QString kindWord(ControlType type);
};

} // namespace Quorvel
