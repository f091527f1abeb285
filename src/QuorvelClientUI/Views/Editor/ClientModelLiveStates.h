#pragma once

#include "QuorvelClientUI/Views/Editor/LiveStates.h"

namespace Quorvel {

class ClientModel;

// The live states of a real client model.
class ClientModelLiveStates : public LiveStates {
    Q_OBJECT

public:
    // The model must outlive this.
    explicit ClientModelLiveStates(ClientModel &model, QObject *parent = nullptr);

    std::optional<ControlState> state(const QString &controlID) const override;
    bool offersLinks() const override;

private:
    ClientModel &m_model;
};

} // namespace Quorvel
