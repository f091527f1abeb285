#pragma once

#include "QuorvelClientUI/Views/Editor/LiveStates.h"

#include <QHash>

namespace Quorvel {

// Live states that are told what to hold: for an editor without a real link (tests, the
// gallery), or one whose link reports none.
class FixedLiveStates : public LiveStates {
    Q_OBJECT

public:
    explicit FixedLiveStates(bool offersLinks = true, QObject *parent = nullptr)
        : LiveStates(parent), m_offersLinks(offersLinks)
    {}

    std::optional<ControlState> state(const QString &controlID) const override
    {
        const auto found = m_states.constFind(controlID);
        return found == m_states.cend() ? std::nullopt : std::optional(*found);
    }
    bool offersLinks() const override { return m_offersLinks; }

    void setState(const ControlState &state)
    {
        m_states.insert(state.id, state);
        emit stateChanged(state.id);
    }

private:
    bool m_offersLinks;
    QHash<QString, ControlState> m_states;
};

} // namespace Quorvel
