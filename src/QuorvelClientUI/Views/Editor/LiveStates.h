#pragma once

#include "QuorvelCore/Model/ControlState.h"

#include <QObject>
#include <QString>

#include <optional>

namespace Quorvel {

// What the editor's cards read of the host's live states beyond the editor's own model: each
// action's state now, and whether the link belongs to the remembered host, whose actions other
// apps may reach by link.
class LiveStates : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual std::optional<ControlState> state(const QString &controlID) const = 0;
    // The remote's own remembered link (not the local editor's private one).
    virtual bool offersLinks() const = 0;

signals:
    // The state of one action, or of every action when the id is empty.
    void stateChanged(const QString &controlID);
};

} // namespace Quorvel
