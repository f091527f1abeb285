#include "QuorvelClientUI/Views/Editor/ClientModelLiveStates.h"

#include "QuorvelClientUI/ClientModel.h"

namespace Quorvel {

ClientModelLiveStates::ClientModelLiveStates(ClientModel &model, QObject *parent)
    : LiveStates(parent), m_model(model)
{
    connect(&model, &ClientModel::stateChanged, this, &LiveStates::stateChanged);
    connect(&model, &ClientModel::statesChanged, this, [this] { emit stateChanged(QString()); });
}

std::optional<ControlState> ClientModelLiveStates::state(const QString &controlID) const
{
    return m_model.state(controlID);
}

bool ClientModelLiveStates::offersLinks() const
{
    return m_model.persistent();
}

} // namespace Quorvel
